#!/usr/bin/env bash
# Settings changed on the preferences page reach pyrelle.cfg when the player quits, and the next
# start uses them: the page shows them and the fire burns in the new low colour. Reset puts the
# defaults back, byte for byte.
#   settings_test.sh BIN_DIR WORK_DIR
source "$(dirname "$0")/lib.sh"

begin_test
cfg="$e2e_work/profile/pyrelle.cfg"

# ---- First start: change the low colour and the high flow, cancel a high-colour pick ----------
cat >"$e2e_work/first.txt" <<'SCRIPT'
prefs open
prefs show 1021
pick-colour #0000FF
prefs click 1016
pick-colour cancel
prefs click 1015
prefs click 1017
prefs select 1014 640x480x8
prefs show 1014
prefs show 1021
prefs close
quit
SCRIPT
run_host "$e2e_work/first.txt" first
finish_host
expect_no_errors
expect_log '^[0-9.]+ prefs 1021 visible=0' "the restart notice was visible before any change"
expect_log '^[0-9.]+ prefs 1021 visible=1' "the restart notice did not appear after the changes"
mode_index=$(grep -oE 'prefs 1014 .*selected=[0-9]+ text=640x480x8' "$e2e_log" | grep -oE 'selected=[0-9]+' | cut -d= -f2)
[[ -n "$mode_index" ]] || fail "640x480x8 was not selected"

[[ -f "$cfg" ]] || fail "no pyrelle.cfg after quit"
[[ $(stat -c %s "$cfg") == 183 ]] || fail "pyrelle.cfg has $(stat -c %s "$cfg") bytes, not 183"
! compgen -G "$cfg.*.tmp" >/dev/null || fail "the temporary file was left behind"
[[ "$(record_payload "$cfg" $guid_low_colour)" == 0000ff00 ]] || fail "low colour stored as $(record_payload "$cfg" $guid_low_colour), not blue"
[[ "$(record_payload "$cfg" $guid_high_colour)" == ffff3e00 ]] || fail "the cancelled pick changed the high colour"
[[ "$(record_payload "$cfg" $guid_high_flow)" == 01 ]] || fail "high flow not stored as on"
[[ "$(record_payload "$cfg" $guid_low_flow)" == 00 ]] || fail "low flow changed"
stored_index=$((16#$(record_payload "$cfg" $guid_display_mode_index | cut -c1-2)))
[[ "$stored_index" == "$mode_index" ]] || fail "display mode index stored as $stored_index, chosen $mode_index"
note "first start: the changes are in pyrelle.cfg"

# ---- Second start: the stored settings are the ones in use ------------------------------------
cat >"$e2e_work/second.txt" <<'SCRIPT'
play
prefs open
prefs show 1017
prefs show 1014
prefs close
menu
wait 1.5
screen
sync fire
menu
wait 0.3
reset
quit
SCRIPT
run_host "$e2e_work/second.txt" second
shot fire
finish_host
expect_no_errors
expect_log "settings: read .*pyrelle.cfg" "the second start did not read pyrelle.cfg"
expect_log '^[0-9.]+ prefs 1017 .*checked=1$' "the page does not show the stored high flow"
expect_log '^[0-9.]+ prefs 1014 .*text=640x480x8$' "the page does not show the stored mode"
expect_log '^[0-9.]+ screen 640x480x8$' "the run did not use the stored mode"
# The top rows hold the low colour only: pure blue now.
[[ "$(region_stat "$e2e_work/fire.png" 640x240+0+0 'maxima.r+maxima.g+minima.b')" == 1 ]] \
  || fail "the top rows are not the stored low colour (blue)"
[[ "$(region_stat "$e2e_work/fire.png" 640x6+0+474 'mean.r*255>=100')" == 1 ]] || fail "no fire at the bottom"
note "second start: the page and the fire use the stored settings"

# Reset, then quit: the defaults exactly as a fresh module writes them.
cmp -s "$cfg" "$e2e_root/tests/data/config/initial_values.bin" || fail "after reset pyrelle.cfg does not hold the defaults"
note "reset writes the defaults"
