#!/usr/bin/env bash
# The real module draws exactly the model's frame: the player plays a file whose channels are
# constant, so every chunk the run fetches is the same whatever the clock does. The run is paused,
# `frames` tells how many chunks it advanced by (N), and the screen must equal, pixel for pixel,
# frame N of `pyrelle render --raw-samples` fed that chunk N times with the same settings.
# Cases: fixed colours with a 16-bit stereo FLAC (the system's decoder, each sample s / 32768),
# and all three colours flowing past the 256th frame (a new ramp target) with a 3-channel float
# WAV (the WAV reader).
#   exact_screen_test.sh BIN_DIR WORK_DIR
# Needs the native `pyrelle` tool (build/native, or PYRELLE_TOOL).
source "$(dirname "$0")/lib.sh"

pyrelle="${PYRELLE_TOOL:-$e2e_root/build/native/tools/pyrelle}"
[[ -x "$pyrelle" ]] || fail "no native pyrelle tool at $pyrelle (cmake --build --preset native)"
command -v perl >/dev/null || fail "perl is needed to write the samples"

mode=320x240

begin_test

# One second at 22050 Hz, every frame the same values: 32-bit floats in a WAV, 16-bit integers in
# a FLAC. The *_levels are the floats that the module gets from each.
wav="$e2e_work/constant.wav"
wav_levels="0.1 0.3 0.45"  # heat bytes 51, 153, 230
perl -e '
  my @levels = @ARGV;
  my $channels = @levels;
  my $data = pack("f<*", @levels) x 22050;
  print "RIFF", pack("V", 36 + length $data), "WAVE";
  print "fmt ", pack("VvvVVvv", 16, 3, $channels, 22050, 22050 * 4 * $channels, 4 * $channels, 32);
  print "data", pack("V", length $data), $data;
' $wav_levels >"$wav" || fail "could not write the WAV file"
flac="$e2e_work/constant.flac"
flac_values="3277 -9830"
perl -e 'print pack("s<*", @ARGV) x 22050' -- $flac_values \
  | ffmpeg -v error -f s16le -ar 22050 -ac 2 -i - -c:a flac "$flac" || fail "ffmpeg could not write the FLAC file"
flac_levels="$(perl -e 'print join(" ", map { $_ / 32768 } @ARGV)' -- $flac_values)"

# run_case NAME SECONDS AUDIO "LEVELS" CONFIG_SETTINGS...: one player process (so the run is its
# first, as the tool's is) playing AUDIO, N frames, the screen against the tool's frame N fed
# chunks of LEVELS. Sets case_frames to N.
run_case() {
  local name="$1" seconds="$2" audio="$3" levels="$4"
  shift 4
  local channels
  channels=$(wc -w <<<"$levels")
  "$pyrelle" config write "$e2e_work/profile/pyrelle.cfg" "$@" >/dev/null || fail "pyrelle config write $*"
  cp "$e2e_work/profile/pyrelle.cfg" "$e2e_work/$name.cfg"
  cat >"$e2e_work/$name.txt" <<SCRIPT
prefs open
prefs select 1014 ${mode}x8
prefs close
play
menu
wait $seconds
pause
wait 0.7
frames
screen
sync $name
key escape
wait 0.5
quit
SCRIPT
  run_host "$e2e_work/$name.txt" "$name" "$(winpath "$audio")"
  shot "$name"
  finish_host
  expect_no_errors
  expect_log "^[0-9.]+ screen ${mode}x8\$" "the run did not switch to ${mode}x8"
  local frames
  frames=$(logged_frames)
  [[ -n "$frames" ]] && ((frames > 0)) || fail "$name: the run advanced no frame"

  # The same chunk N times.
  perl -e 'my ($n, @levels) = @ARGV; print pack("f<*", @levels) x (4096 * $n)' -- "$frames" $levels \
    >"$e2e_work/$name.f32"
  local png="$e2e_work/$name-frames"
  "$pyrelle" render --mode "$mode" --config "$e2e_work/$name.cfg" --raw-samples "$e2e_work/$name.f32" \
    --chunk $((4096 * channels)) --frames "$frames" --png "$png" >/dev/null || fail "$name: pyrelle render failed"
  local model
  model="$png/$(printf 'frame-%05d.png' $((frames - 1)))"
  [[ -f "$model" ]] || fail "$name: pyrelle render wrote no $model"
  convert "$e2e_work/$name.png" -crop "${mode}+0+0" +repage "$e2e_work/$name-screen.png"
  local differ
  differ=$(compare -metric AE "$e2e_work/$name-screen.png" "$model" null: 2>&1 | cut -d' ' -f1)
  [[ "$differ" == 0 ]] || fail "$name: $differ pixels of the screen differ from frame $frames of pyrelle render"
  rm -rf "$png" "$e2e_work/$name.f32"
  case_frames=$frames
}

run_case fixed 1.5 "$flac" "$flac_levels" low_colour=#000000 middle_colour=#C02000 high_colour=#FFF080
expect_log '^[0-9.]+ track constant\.flac, 22050 Hz, 2 channels, 1\.0 s \(Media Foundation' "the FLAC was not decoded"
note "fixed colours, FLAC: the screen is frame $case_frames of pyrelle render, pixel for pixel"

# 100 frames per second pass the 256th frame within a few seconds even on a busy machine.
run_case flowing 5 "$wav" "$wav_levels" low_flow=1 middle_flow=1 high_flow=1 frame_rate=100
((case_frames > 256)) || fail "the flowing run stopped at frame $case_frames, before the 256th"
note "three flowing colours, float WAV: the screen is frame $case_frames of pyrelle render, pixel for pixel"
