#!/usr/bin/env bash
# The player plays a WAV file given with --audio, and refuses one it cannot read.
#   audio_file_test.sh BIN_DIR WORK_DIR
source "$(dirname "$0")/lib.sh"

prepare_work
start_display

# A 16-bit stereo PCM WAV at 22050 Hz holding one second of noise: the 44-byte header written out
# field by field, then the samples.
wav="$e2e_work/noise.wav"
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))\\x$(printf %02x $(($1 >> 24 & 255)))"; }
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
data_bytes=$((22050 * 4))
{
  printf 'RIFF'; le32 $((36 + data_bytes)); printf 'WAVE'
  printf 'fmt '; le32 16
  le16 1        # PCM
  le16 2        # channels
  le32 22050    # frames per second
  le32 $((22050 * 4))  # bytes per second
  le16 4        # bytes per frame
  le16 16       # bits per sample
  printf 'data'; le32 $data_bytes
  head -c $data_bytes /dev/urandom
} >"$wav"

cat >"$e2e_work/script.txt" <<'SCRIPT'
play
menu
wait 1
menu
frames
quit
SCRIPT
run_host "$e2e_work/script.txt" played --audio "$(winpath "$wav")"
finish_host
expect_no_errors
expect_log '^[0-9.]+ track noise\.wav, 22050 Hz, 2 channels, 1\.0 s$' "the WAV file was not the track"
frames=$(grep -oE 'frames [0-9]+' "$e2e_log" | cut -d' ' -f2)
((frames >= 10)) || fail "the run asked for only $frames chunks of the file's audio"
note "the WAV file played and fed $frames frames"

# Eight-bit samples: refused before anything is shown, with the reason and exit status 2.
printf 'RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00data\x00\x00\x00\x00' \
  >"$e2e_work/eight-bit.wav"
run_host "$e2e_work/script.txt" refused --audio "$(winpath "$e2e_work/eight-bit.wav")"
finish_host
[[ "$e2e_status" == 2 ]] || fail "an unplayable file gave exit status $e2e_status, not 2"
expect_log 'error: .*eight-bit\.wav: only 16-bit PCM and 32-bit float' "the refusal does not say why"
note "an 8-bit file is refused with exit status 2"
