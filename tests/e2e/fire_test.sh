#!/usr/bin/env bash
# The fire on screen: it appears (hot bottom rows under rows of the low colour) and moves; pause
# freezes the picture and play resumes it; keys other than Escape change nothing; Escape and the
# menu command both end the run, and each time the desktop comes back in its own mode.
#   fire_test.sh BIN_DIR WORK_DIR
source "$(dirname "$0")/lib.sh"

begin_test
script="$e2e_work/script.txt"
cat >"$script" <<'SCRIPT'
play
prefs open
prefs select 1014 640x480x8
prefs close
wait 0.3
sync desktop
menu
wait 1.5
screen
sync fire-1
wait 1
sync fire-2
pause
wait 0.5
sync paused-1
wait 1
sync paused-2
play
wait 1
sync resumed
key space
wait 0.3
state
key escape
wait 0.7
state
screen
sync after-escape
menu
wait 1
state
menu
wait 0.7
state
screen
sync after-menu
quit
SCRIPT
run_host "$script"
for name in desktop fire-1 fire-2 paused-1 paused-2 resumed after-escape after-menu; do
  shot "$name"
done
finish_host
expect_no_errors

# The run shows the chosen mode, which the 1024x768 root shows in its top-left corner.
expect_log '^[0-9.]+ screen 640x480x8$' "the run did not switch to 640x480x8"
fire=640x480+0+0
w="$e2e_work"

# Top half: the low colour (black) and nothing else; bottom rows: hot, red well above blue.
[[ "$(region_stat "$w/fire-1.png" 640x240+0+0 'maxima.r+maxima.g+maxima.b')" == 0 ]] \
  || fail "the top rows are not all the low colour"
[[ "$(region_stat "$w/fire-1.png" 640x6+0+474 'mean.r*255>=100 && mean.r>mean.b+0.2')" == 1 ]] \
  || fail "the bottom rows are not hot: $(region_stat "$w/fire-1.png" 640x6+0+474 'mean.r*255') red"
note "fire appears: top rows low colour, bottom rows red $(region_stat "$w/fire-1.png" 640x6+0+474 'round(mean.r*255)')"

moved=$(differing_pixels "$w/fire-1.png" "$w/fire-2.png" $fire)
((moved > 2000)) || fail "the fire did not change over a second ($moved pixels)"
frozen=$(differing_pixels "$w/paused-1.png" "$w/paused-2.png" $fire)
((frozen == 0)) || fail "the picture changed while paused ($frozen pixels)"
resumed=$(differing_pixels "$w/paused-2.png" "$w/resumed.png" $fire)
((resumed > 2000)) || fail "play did not resume the fire ($resumed pixels)"
[[ "$(region_stat "$w/paused-2.png" 640x6+0+474 'mean.r*255>=100')" == 1 ]] || fail "the paused picture is not the fire"
note "fire moves ($moved px/s), pause freezes it ($frozen px), play resumes it ($resumed px)"

# Escape was pressed in the fire's window; the space bar before it changed nothing.
[[ $(grep -cE '^[0-9.]+ key to "Pyrelle visualisation"$' "$e2e_log") == 2 ]] \
  || fail "the keys did not both go to the visualisation's window"
mapfile -t states < <(grep -oE 'state flags=[0-9]+' "$e2e_log")
[[ "${states[*]}" == "state flags=2 state flags=0 state flags=2 state flags=0" ]] \
  || fail "run states were '${states[*]}', expected on (after space), off (Escape), on, off (menu)"
[[ $(grep -cE '^[0-9.]+ screen 1024x768x32$' "$e2e_log") == 2 ]] || fail "the desktop mode did not come back both times"

# The desktop is back on screen: where the fire was, the same picture as before the run (below
# the main window, whose status line moves on).
for name in after-escape after-menu; do
  left=$(differing_pixels "$w/desktop.png" "$w/$name.png" 1024x500+0+268)
  ((left == 0)) || fail "after ending by ${name#after-} the desktop does not look as before ($left pixels)"
done
note "Escape and the menu both end the run and the desktop comes back"
