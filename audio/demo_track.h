#pragma once
// A few seconds of synthesised music (kick, snare, hi-hat and sustained chords) that the tools and
// the host stand-in play when the user gives no audio of their own. Deterministic: the same
// samples on every run.
#include <cstdint>

#include "audio/pcm_audio.h"

namespace pyrelle::demo {

constexpr std::uint32_t demo_sample_rate = 44100;
constexpr std::uint32_t demo_seconds = 8;

// Stereo at 44.1 kHz, demo_seconds long.
pcm_audio make_demo_track();

}  // namespace pyrelle::demo
