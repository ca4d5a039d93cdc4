#!/usr/bin/env bash
# The player's figures for docs/performance.md, not a test: for a 3-, a 5- and a 40-minute MP3,
# the slowest answer of the window to WM_NULL while the song opens through File > Open... and
# plays, and the process's memory after ten seconds of playing it. The songs are made in a
# temporary folder and removed after. Needs Wine (exits 77 where it cannot start).
#   player_bench.sh BIN_DIR WORK_DIR
if [[ "${1:-}" == -h || "${1:-}" == --help ]]; then
  echo "usage: tests/e2e/player_bench.sh BIN_DIR WORK_DIR   the player's slowest window answer and memory with 3-, 5- and 40-minute songs (needs Wine)"
  exit 0
fi
source "$(dirname "$0")/lib.sh"

begin_test
temp_folder
printf '%-8s %18s %12s %16s\n' song slowest_answer_ms private_kb working_set_kb
for minutes in 3 5 40; do
  song="$e2e_temp/$minutes minutes.mp3"
  make_sound "$song" $((minutes * 60)) 440 -ac 2 -ar 44100 -b:a 128k
  cat >"$e2e_work/bench-$minutes.txt" <<SCRIPT
wait 2
open $(winpath "$song")
wait 10
resources
quit
SCRIPT
  run_host "$e2e_work/bench-$minutes.txt" "bench-$minutes"
  "$e2e_root/scripts/wine-run" "$e2e_bin/window_probe.exe" OrvanelHostMainWindow 120 10000 \
    >"$e2e_work/probe-$minutes.txt" 2>&1
  finish_host
  expect_no_errors
  slowest=$(grep -oE 'slowest answer [0-9]+' "$e2e_work/probe-$minutes.txt" | grep -oE '[0-9]+$')
  private=$(grep -oE 'private_kb=[0-9]+' "$e2e_log" | cut -d= -f2)
  working=$(grep -oE 'working_set_kb=[0-9]+' "$e2e_log" | cut -d= -f2)
  [[ -n "$slowest" && -n "$private" ]] || fail "no figures for the $minutes-minute song"
  printf '%-8s %18s %12s %16s\n' "${minutes}min" "$slowest" "$private" "$working"
done
