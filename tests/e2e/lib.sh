# Shared steps of the end-to-end tests: a private headless X server, orvanel-host.exe under Wine
# in the prefix's virtual desktop driven by a script, screenshots of the X root at the script's
# `sync` points, and checks on the log, the pictures and the profile's files.
#
# A test sources this file with the folder of the Windows binaries and its own work folder:
#   source lib.sh BIN_DIR WORK_DIR
# Everything it starts (Xvfb, Wine) is ended when the test exits, however it exits.
set -uo pipefail

e2e_here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
e2e_root="$(cd "$e2e_here/../.." && pwd)"
e2e_bin="$(cd "${1:?binary folder}" && pwd)"
e2e_work="${2:?work folder}"
e2e_name="$(basename "$0" .sh)"

export WINEPREFIX="${PYRELLE_WINEPREFIX:-$e2e_root/build/wineprefix}"
export PYRELLE_WINEPREFIX="$WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}" WINEARCH=win32
# No sound drivers: the player plays silently on its clock, and nothing waits for a device.
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv="
export PYRELLE_WINE_DESKTOP=1

"$e2e_root/scripts/wine-usable" || exit $?

source "$e2e_root/scripts/private-display.sh"
e2e_host_pid=
e2e_log=
e2e_status=
e2e_temp_folders=()

e2e_cleanup() {
  if [[ -n "$e2e_host_pid" ]] && kill -0 "$e2e_host_pid" 2>/dev/null; then
    kill "$e2e_host_pid" 2>/dev/null
  fi
  wineserver -k >/dev/null 2>&1 || true
  stop_private_display
  if ((${#e2e_temp_folders[@]})); then
    rm -rf "${e2e_temp_folders[@]}"
  fi
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "FAIL ($e2e_name): $*" >&2
  if [[ -n "${e2e_log:-}" && -f "$e2e_log" ]]; then
    echo "---- host log ($e2e_log) ----" >&2
    tail -n 60 "$e2e_log" >&2
  fi
  exit 1
}

note() { echo "$e2e_name: $*"; }

# Z:\path\to\file for a Linux path.
winpath() { local p="$1"; echo "Z:${p//\//\\}"; }

# Starts a private X server; the tests always use their own, so that the screen is 1024x768 and
# nothing else draws on it.
start_display() {
  start_private_display || fail "Xvfb did not start"
}

# A fresh work folder: profile/, sync/, the script and the log. A Wine left over in this prefix
# by an earlier test that was killed would still show on that test's display.
prepare_work() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$e2e_work"
  mkdir -p "$e2e_work/profile" "$e2e_work/sync"
}

# Every test's start: a fresh work folder and a private display.
begin_test() {
  prepare_work
  start_display
}

# make_sound FILE SECONDS HZ [FFMPEG OUTPUT OPTIONS...]: a sine tone over a little noise, in the
# format that FILE's extension names (MP3, FLAC, WAV, ...).
make_sound() {
  local file="$1" seconds="$2" hz="$3"
  shift 3
  ffmpeg -v error -y -f lavfi -i "sine=frequency=$hz:duration=$seconds" \
    -f lavfi -i "anoisesrc=duration=$seconds:amplitude=0.2" -filter_complex amix=inputs=2 "$@" "$file" \
    || fail "ffmpeg could not make $file"
}

# temp_folder: a new folder under the system's temporary folder, removed when the test exits
# however it exits; its path in e2e_temp. For files too big to leave in the work folder.
temp_folder() {
  e2e_temp="$(mktemp -d "${TMPDIR:-/tmp}/pyrelle-$e2e_name.XXXXXX")" || fail "no temporary folder"
  e2e_temp_folders+=("$e2e_temp")
}

# log_seconds PATTERN: the time stamp of the first log line matching the extended regex.
log_seconds() { grep -E -m1 -- "$1" "$e2e_log" | cut -d' ' -f1; }

# The chunk counts of the script's `frames` commands, one a line.
logged_frames() { grep -oE '^[0-9.]+ frames [0-9]+$' "$e2e_log" | grep -oE '[0-9]+$'; }

# run_host SCRIPT_FILE [LOG_NAME [MORE OPTIONS AND FILES...]]: starts the player in the background
# with that script; its output goes to WORK/LOG_NAME.log (default host.log), its errors to
# WORK/LOG_NAME.stderr.
run_host() {
  local script="$1" name="${2:-host}"
  shift $(($# < 2 ? $# : 2))
  local log="$e2e_work/$name.log"
  : >"$log"
  timeout -k 5 "${E2E_HOST_TIMEOUT:-90}" "$e2e_root/scripts/wine-run" "$e2e_bin/orvanel-host.exe" \
    --profile "$(winpath "$e2e_work/profile")" --sync-dir "$(winpath "$e2e_work/sync")" \
    --script "$(winpath "$script")" "$@" >"$log" 2>"$e2e_work/$name.stderr" &
  e2e_host_pid=$!
  e2e_log="$log"
}

# Waits for the player to end; its exit status is in e2e_status.
finish_host() {
  wait "$e2e_host_pid"
  e2e_status=$?
  e2e_host_pid=
  # The next start finds no Wine process left behind by this one.
  wineserver -w >/dev/null 2>&1 || true
}

# await_line PATTERN [SECONDS]: waits until the log has a line matching the extended regex.
await_line() {
  local pattern="$1" deadline=$((SECONDS + ${2:-40}))
  until grep -qE -- "$pattern" "$e2e_log"; do
    if ! kill -0 "$e2e_host_pid" 2>/dev/null; then
      grep -qE -- "$pattern" "$e2e_log" && return 0
      fail "the player ended before '$pattern'"
    fi
    ((SECONDS < deadline)) || fail "no '$pattern' in the log within ${2:-40} s"
    sleep 0.05
  done
}

# shot NAME: at the script's `sync NAME`, captures the X root into WORK/NAME.png and lets the
# script go on.
shot() {
  await_line "^[0-9.]+ sync $1\$"
  import -window root "$e2e_work/$1.png" || fail "import could not capture the screen"
  : >"$e2e_work/sync/$1"
}

# expect_log PATTERN [WHAT]: the log has a line matching the extended regex.
expect_log() {
  grep -qE -- "$1" "$e2e_log" || fail "${2:-expected a line matching '$1'}"
}

expect_no_errors() {
  if grep -qE '^[0-9.]+ error:' "$e2e_log"; then
    fail "the player logged errors: $(grep -E '^[0-9.]+ error:' "$e2e_log" | head -3)"
  fi
  [[ "$e2e_status" == 0 ]] || fail "the player's exit status was $e2e_status"
}

# region_stat FILE GEOMETRY FX: an ImageMagick fx expression over a region, e.g. mean.r*255.
region_stat() {
  convert "$1" -crop "$2" +repage -format "%[fx:$3]" info:
}

# differing_pixels A B GEOMETRY: pixels that differ between two screenshots inside the region.
differing_pixels() {
  convert "$1" -crop "$3" +repage "$e2e_work/.a.png"
  convert "$2" -crop "$3" +repage "$e2e_work/.b.png"
  compare -metric AE "$e2e_work/.a.png" "$e2e_work/.b.png" null: 2>&1 | cut -d' ' -f1
}

pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }

# The hex bytes of a file, one string.
hex_of() { od -An -tx1 -v "$1" | tr -d ' \n'; }

# record_payload FILE GUID_HEX: the payload of the record with that GUID (stored byte order).
record_payload() {
  local hex guid="$2" rest size
  hex="$(hex_of "$1")"
  rest="${hex#*"$guid"}"
  [[ "$rest" != "$hex" ]] || { echo "missing"; return; }
  size=$((16#${rest:6:2}${rest:4:2}${rest:2:2}${rest:0:2}))
  echo "${rest:8:$((size * 2))}"
}

# GUIDs of the settings as stored (Data1..3 little-endian, then Data4).
guid_high_colour=cd555c567b69384d88f2d5a707061c1a
guid_middle_colour=c103d83c8959454096a8e369d6258a56
guid_low_colour=a1c9d4e0553d474e91ff92a93f161533
guid_display_mode_index=2b29351de7d39c4db7100c636f5c816c
guid_high_flow=93220376c7eb5549832b1e94967a5330
guid_low_flow=ab0557123d2cdb49980a2ffab9750107
