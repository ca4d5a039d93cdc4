#!/usr/bin/env bash
# Fifty runs in a row, each switched on and off by the menu command: afterwards no run, the window
# class unregistered, every stream and callback released, and the process's handles and memory
# where they were before the fifty. Then one more run that is still burning when the player quits:
# the module's unload ends it.
#   toggle_test.sh BIN_DIR WORK_DIR
source "$(dirname "$0")/lib.sh"

begin_test
script="$e2e_work/script.txt"
{
  echo play
  # Two runs first: the first one loads DirectDraw and its drivers for good.
  printf 'menu\nwait 0.2\nmenu\nmenu\nwait 0.2\nmenu\n'
  echo frames
  echo resources
  for _ in $(seq 50); do printf 'menu\nwait 0.05\nmenu\n'; done
  echo state
  echo screen
  echo frames
  echo resources
  printf 'menu\nwait 0.3\nquit\n'
} >"$script"
run_host "$script"
finish_host
expect_no_errors

mapfile -t report < <(grep -E '^[0-9.]+ resources ' "$e2e_log")
((${#report[@]} == 2)) || fail "expected two resource reports"
value() { grep -oE " $2=[^ ]+" <<<"$1" | cut -d= -f2; }
before="${report[0]}" after="${report[1]}"

expect_log '^[0-9.]+ state flags=0$' "a run is still going after the last toggle"
expect_log '^[0-9.]+ screen 1024x768x32$' "the desktop mode did not come back"
[[ "$(value "$after" window_class)" == 0 ]] || fail "the run window's class is still registered"
[[ "$(value "$after" host_objects)" == 0 ]] || fail "$(value "$after" host_objects) host objects (streams, callbacks) not released"
[[ "$(value "$after" streams_held)" == 0 ]] || fail "the module still holds the visualisation manager"
mapfile -t frames < <(logged_frames)
((frames[1] - frames[0] >= 25)) || fail "the fifty runs drew only $((frames[1] - frames[0])) frames"

# Handles by kind. Wine's display-mode switch itself leaves registry keys open (six per switch and
# restore, also without the module: the platform's leak, not the module's), so keys may grow by
# at most that much; every other kind must be back exactly.
kinds_before="$(value "$before" kinds | tr ',' '\n' | grep -v '^Key:' | sort)"
kinds_after="$(value "$after" kinds | tr ',' '\n' | grep -v '^Key:' | sort)"
[[ "$kinds_before" == "$kinds_after" ]] || fail "handles changed: before $(value "$before" kinds), after $(value "$after" kinds)"
keys() { value "$1" kinds | tr ',' '\n' | grep '^Key:' | cut -d: -f2; }
key_growth=$(( $(keys "$after") - $(keys "$before") ))
((key_growth <= 6 * 50)) || fail "registry key handles grew by $key_growth in 50 runs"
private_growth=$(( $(value "$after" private_kb) - $(value "$before" private_kb) ))
((private_growth <= 512)) || fail "private memory grew by $private_growth KB in 50 runs"
expect_log '^[0-9.]+ unloaded; host objects alive 0, host service references held 0$' "the module kept host objects after unloading"
note "50 runs: no run left, class unregistered, handles $(value "$before" handles) -> $(value "$after" handles) (keys +$key_growth), private memory +$private_growth KB"
