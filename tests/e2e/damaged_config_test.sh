#!/usr/bin/env bash
# A pyrelle.cfg that the module rejects is kept aside untouched under a .bad name, and the player
# starts with the defaults (not with the records read before the damage) and saves them.
#   damaged_config_test.sh BIN_DIR WORK_DIR
source "$(dirname "$0")/lib.sh"

begin_test
cfg="$e2e_work/profile/pyrelle.cfg"
# A complete low-colour record (0x00123456), then a record that breaks off inside its size.
damaged="$e2e_root/tests/data/config/truncated_in_size.bin"
cp "$damaged" "$cfg"

cat >"$e2e_work/script.txt" <<'SCRIPT'
state
prefs open
prefs show 1014
prefs close
quit
SCRIPT
run_host "$e2e_work/script.txt"
finish_host
expect_no_errors
expect_log 'settings: the module rejected .*pyrelle\.cfg \(Unsupported format or corrupted file\); kept as .*pyrelle\.cfg\.bad; starting with the defaults' \
  "the rejection was not reported"
expect_log '^[0-9.]+ state flags=0$' "the player did not come up"
cmp -s "$cfg.bad" "$damaged" || fail "the rejected file was not kept as it was"
cmp -s "$cfg" "$e2e_root/tests/data/config/initial_values.bin" \
  || fail "the player did not start with the defaults (low colour $(record_payload "$cfg" $guid_low_colour))"
note "the damaged file is kept as pyrelle.cfg.bad and the defaults were used and saved"
