#!/usr/bin/env bash
# The settings outlive the player: closing the Preferences window writes them, and so does the end
# of the Windows session, before the session ends the player. Whatever cannot be read at
# pyrelle.cfg (here a folder) is reported and left alone, and the player starts with the defaults.
#   settings_kept_test.sh BIN_DIR WORK_DIR
source "$(dirname "$0")/lib.sh"

begin_test
cfg="$e2e_work/profile/pyrelle.cfg"

# ---- A folder where pyrelle.cfg should be ------------------------------------------------------
mkdir -p "$cfg"
: >"$cfg/keep-me"
cat >"$e2e_work/script.txt" <<'SCRIPT'
state
quit
SCRIPT
run_host "$e2e_work/script.txt" folder
finish_host
expect_no_errors
expect_log 'settings: cannot read .*pyrelle\.cfg \(it is a folder, not a file\); starting with the defaults and leaving it as it is' \
  "the folder was not reported"
expect_log 'settings: left .*pyrelle\.cfg as it is' "the exit did not say that the folder was left alone"
[[ -d "$cfg" && -f "$cfg/keep-me" ]] || fail "the folder was not left as it was"
note "a folder at pyrelle.cfg is reported and left alone; the player started with the defaults"
rm -rf "$cfg"

# ---- Closing the Preferences window, then the end of the session ------------------------------
cat >"$e2e_work/script.txt" <<'SCRIPT'
prefs open
pick-colour #0000FF
prefs click 1016
prefs close
sync closed
prefs open
prefs click 1017
sync changed
wait 60
quit
SCRIPT
run_host "$e2e_work/script.txt"
await_line "^[0-9.]+ sync closed\$"
[[ -f "$cfg" ]] || fail "closing the Preferences window wrote no pyrelle.cfg"
[[ "$(record_payload "$cfg" $guid_low_colour)" == 0000ff00 ]] \
  || fail "the low colour was stored as $(record_payload "$cfg" $guid_low_colour), not blue"
: >"$e2e_work/sync/closed"
note "closing the Preferences window wrote the new low colour"

# The high flow is switched on in an open Preferences window when the session ends.
await_line "^[0-9.]+ sync changed\$"
[[ "$(record_payload "$cfg" $guid_high_flow)" == 00 ]] || fail "the high flow was stored before the session ended"
timeout 30 wine wineboot --end-session >/dev/null 2>&1
[[ "$(record_payload "$cfg" $guid_high_flow)" == 01 ]] || fail "the end of the session did not store the high flow"
! compgen -G "$cfg.*.tmp" >/dev/null || fail "the temporary file was left behind"
expect_log 'settings: wrote .*pyrelle\.cfg' "no 'settings: wrote' in the log"
note "the end of the session wrote the settings"
# Whatever the session's end left running, ended as a session would end it.
wineserver -k >/dev/null 2>&1 || true
finish_host
