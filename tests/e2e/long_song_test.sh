#!/usr/bin/env bash
# Songs of any length play, and the window keeps answering while they open: a 40-minute and a
# 5-minute MP3 in a list, the fire burning, the player walked to the long one and back with Next,
# while a probe sends the window WM_NULL all through and fails on any answer slower than a second
# (a bound for a loaded machine; the benchmark records the real figure). The songs are made in a
# temporary folder and removed after.
#   long_song_test.sh BIN_DIR WORK_DIR
source "$(dirname "$0")/lib.sh"

begin_test
temp_folder
long="$e2e_temp/forty minutes.mp3"
short="$e2e_temp/five minutes.mp3"
make_sound "$long" 2400 440 -ac 2 -ar 44100 -b:a 64k
make_sound "$short" 300 330 -ac 2 -ar 44100 -b:a 64k

cat >"$e2e_work/script.txt" <<SCRIPT
play
menu
wait 2
next
wait 3
frames
next
wait 2
frames
menu
quit
SCRIPT
run_host "$e2e_work/script.txt" host "$(winpath "$short")" "$(winpath "$long")"
"$e2e_root/scripts/wine-run" "$e2e_bin/window_probe.exe" OrvanelHostMainWindow 60 1000 >"$e2e_work/probe.txt" 2>&1
probe_status=$?
finish_host
expect_no_errors
((probe_status == 0)) || fail "the window did not answer within a second: $(cat "$e2e_work/probe.txt")"
note "$(cat "$e2e_work/probe.txt")"

# The long song's length comes from the file, and it plays: the fire gets chunks while it does.
expect_log '^[0-9.]+ track forty minutes\.mp3, 44100 Hz, 2 channels, 2400\.[0-9] s \(Media Foundation' \
  "the 40-minute song was not the track, or not at its length"
mapfile -t frames < <(logged_frames)
((${#frames[@]} == 2 && frames[0] >= 10 && frames[1] - frames[0] >= 10)) \
  || fail "the songs fed only ${frames[*]} chunks"
note "the 40-minute song played (${frames[*]} chunks)"

# Next on the list of long songs: each became current well within the wait after it.
mapfile -t nexts < <(grep -E '^[0-9.]+ next$' "$e2e_log" | cut -d' ' -f1)
forty=$(log_seconds '^[0-9.]+ track forty minutes\.mp3')
five_again=$(grep -E '^[0-9.]+ track five minutes\.mp3' "$e2e_log" | sed -n 2p | cut -d' ' -f1)
[[ ${#nexts[@]} == 2 && -n "$forty" && -n "$five_again" ]] || fail "Next did not walk the list"
perl -e 'exit !($ARGV[1] - $ARGV[0] < 5 && $ARGV[3] - $ARGV[2] < 5)' "${nexts[0]}" "$forty" "${nexts[1]}" "$five_again" \
  || fail "Next took ${nexts[0]} -> $forty and ${nexts[1]} -> $five_again s"
note "Next opened each long song within 5 s"
