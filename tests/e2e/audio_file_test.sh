#!/usr/bin/env bash
# The player plays people's sound files: an MP3 with a Unicode name and spaces, a FLAC and a WAV,
# named on the command line, opened with File > Open... and dropped on the window, and walked with
# Next, Previous and the end of a track. Files that give no track (no sound, empty, a folder) are
# named in the log with the reason, skipped or left for what was playing, and never written to; a
# file whose decoder fails half way plays up to there, and then the next one plays.
#   audio_file_test.sh BIN_DIR WORK_DIR
source "$(dirname "$0")/lib.sh"

begin_test
w="$e2e_work"
song="$w/Ünïcødé — 曲.mp3"
make_sound "$song" 3 440 -ac 2 -ar 44100
make_sound "$w/b.flac" 3 300 -ac 1 -ar 22050
make_sound "$w/noise.wav" 1 600 -ac 2 -ar 22050 -c:a pcm_s16le
# A decoder that meets damage half way: the FLAC's last 60 % are noise.
make_sound "$w/damaged.flac" 2.5 500 -ac 2 -ar 44100
size=$(stat -c %s "$w/damaged.flac")
# Noise from a fixed seed, so that every run meets the same bytes.
noise() { perl -e 'srand($ARGV[1]); print map { chr int rand 256 } 1 .. $ARGV[0]' "$1" "$2"; }
noise $((size - size * 2 / 5)) 7 | dd of="$w/damaged.flac" bs=1 seek=$((size * 2 / 5)) conv=notrunc status=none
noise 6000 11 >"$w/photo.mp3"
cp "$w/photo.mp3" "$w/photo.copy"
: >"$w/empty.mp3"
mkdir "$w/album.flac"

cat >"$w/script.txt" <<SCRIPT
play
menu
wait 1
frames
next
wait 1
frames
previous
open $(winpath "$w/empty.mp3")
drop $(winpath "$w/album.flac")
drop $(winpath "$w/noise.wav")
drop $(winpath "$w/damaged.flac")
wait 0.5
frames
wait 1.5
menu
quit
SCRIPT
run_host "$w/script.txt" host "$(winpath "$song")" "$(winpath "$w/photo.mp3")" "$(winpath "$w/b.flac")"
finish_host
expect_no_errors

# The tracks in the order they became current, with the reader of each, and the refusals; where
# the damaged FLAC's decodable part ends the list goes round to its first file.
mapfile -t order < <(grep -E '^[0-9.]+ (track|cannot play) ' "$e2e_log" | cut -d' ' -f2-)
expected=("track Ünïcødé — 曲.mp3" "cannot play photo.mp3: 0x" "track b.flac" "cannot play photo.mp3: 0x"
  "track Ünïcødé — 曲.mp3" "cannot play empty.mp3: the file is empty"
  "cannot play album.flac: a folder, not a sound file" "track noise.wav" "track damaged.flac"
  "track damaged.flac ends after" "track Ünïcødé — 曲.mp3")
[[ ${#order[@]} == "${#expected[@]}" ]] || fail "the tracks went: $(printf '[%s] ' "${order[@]}")"
for i in "${!expected[@]}"; do
  [[ "${order[$i]}" == "${expected[$i]}"* ]] || fail "step $i was '${order[$i]}', expected '${expected[$i]}'"
done
expect_log '^[0-9.]+ track Ünïcødé — 曲\.mp3, 44100 Hz, 2 channels, 3\.[0-9] s \(Media Foundation' "the MP3's format"
expect_log '^[0-9.]+ track b\.flac, 22050 Hz, 1 channels, 3\.0 s \(Media Foundation' "the FLAC's format"
expect_log '^[0-9.]+ track noise\.wav, 22050 Hz, 2 channels, 1\.0 s \(WAV reader' "the WAV did not take the WAV reader"
note "command line, Next, Previous, Open and drop walk the list; the unplayable files are named"

mapfile -t frames < <(logged_frames)
((frames[0] >= 10 && frames[1] - frames[0] >= 10)) || fail "the MP3 and the FLAC fed only ${frames[*]} chunks"
cmp -s "$w/photo.mp3" "$w/photo.copy" || fail "photo.mp3 changed"
note "the MP3 and the FLAC fed the fire (${frames[*]} chunks); photo.mp3 is as it was"
