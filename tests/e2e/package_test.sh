#!/usr/bin/env bash
# The ZIP as a user gets it: unzipped into a fresh folder whose path has spaces, it holds the
# player, the module, shared.dll, the shared runtime DLLs, README.txt and LICENSE, all stripped and
# nothing else; the player started from there with "my song.mp3" loads the module beside it, plays
# the song and the fire runs on it. Without --profile, the settings go to the user's own folder.
#   package_test.sh BUILD_DIR WORK_DIR ZIP
source "$(dirname "$0")/lib.sh"
zip="${3:?the package}"
[[ -f "$zip" ]] || fail "no package $zip (cmake --build --preset win32 --target package makes it)"

begin_test
unzipped="$e2e_work/Program Files/Pyrelle unzipped"
mkdir -p "$unzipped"
unzip -q "$zip" -d "$unzipped" || fail "cannot unzip $zip"
top="$unzipped/$(basename "$zip" .zip)"
[[ -d "$top" ]] || fail "the package has no top folder $(basename "$zip" .zip)"

expected="LICENSE README.txt libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll orvanel-host.exe pyrelle.dll shared.dll"
found="$(cd "$unzipped" && find . -mindepth 1 | sed "s|^\./$(basename "$top")/||" | grep -v "^\./" | LC_ALL=C sort | xargs)"
[[ "$(ls -A "$unzipped")" == "$(basename "$top")" ]] || fail "more than one top folder: $(ls -A "$unzipped")"
[[ "$found" == "$expected" ]] || fail "the package holds '$found', not '$expected'"
for binary in "$top"/*.dll "$top"/*.exe; do
  if i686-w64-mingw32-objdump -h "$binary" | grep -q '\.debug_'; then
    fail "$(basename "$binary") is not stripped"
  fi
done
grep -q "Copyright (c) 2026 The Pyrelle developers" "$top/LICENSE" || fail "LICENSE has no copyright line"
note "the package holds the eight files, stripped"

# ---- A song and its fire, from the unzipped folder ----------------------------------------------
e2e_bin="$top"
make_sound "$e2e_work/my song.mp3" 3 330 -ac 2 -ar 44100
cat >"$e2e_work/script.txt" <<'SCRIPT'
play
prefs open
prefs select 1014 640x480x8
prefs close
menu
wait 1.5
screen
sync fire
menu
wait 0.3
quit
SCRIPT
run_host "$e2e_work/script.txt" host "$(winpath "$e2e_work/my song.mp3")"
shot fire
finish_host
expect_no_errors
expect_log "^[0-9.]+ module $(winpath "$top" | sed 's/[\\.]/\\&/g')\\\\pyrelle\\.dll\$" "the player did not load the module beside it"
expect_log '^[0-9.]+ component Pyrelle visualisation 0\.93$' "the module did not report its name and version"
expect_log '^[0-9.]+ track my song\.mp3, 44100 Hz, 2 channels, 3\.[0-9] s \(Media Foundation' "the song was not the track"
expect_log '^[0-9.]+ screen 640x480x8$' "the fire did not take the screen"
[[ "$(region_stat "$e2e_work/fire.png" 640x6+0+474 'mean.r*255>=100')" == 1 ]] || fail "no fire at the bottom of the screen"
note "the unzipped player loads the module beside it, plays my song.mp3 and the fire runs"

# ---- Settings in the user's own folder by default ----------------------------------------------
appdata="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Orvanel"
rm -rf "$appdata"
printf 'quit\n' >"$e2e_work/quit.txt"
timeout -k 5 60 "$e2e_root/scripts/wine-run" "$top/orvanel-host.exe" --script "$(winpath "$e2e_work/quit.txt")" \
  >"$e2e_work/default.log" 2>&1 || { e2e_log="$e2e_work/default.log"; fail "the player without --profile failed"; }
wineserver -w >/dev/null 2>&1 || true
[[ -f "$appdata/pyrelle.cfg" ]] || { e2e_log="$e2e_work/default.log"; fail "no pyrelle.cfg in $appdata"; }
[[ ! -e "$top/pyrelle.cfg" ]] || fail "the player wrote its settings beside the program"
rm -rf "$appdata"
note "without --profile the settings go to %APPDATA%\\Orvanel"
