#pragma once
// Decoded sound as the player and the tools hold it: interleaved 32-bit floats at the sound's own
// rate and channel count, nominally -1 .. 1.
#include <cstdint>
#include <vector>

namespace pyrelle {

struct pcm_audio {
    std::uint32_t sample_rate = 0;  // sample frames per second
    std::uint32_t channels = 0;
    std::vector<float> samples;  // interleaved: frame f, channel c at f * channels + c

    std::uint64_t frame_count() const { return channels ? samples.size() / channels : 0; }
};

}  // namespace pyrelle
