#pragma once
// What a song's decoded samples are: interleaved 32-bit floats at the song's own rate and channel
// count, as they reach the fire and the video's sound.
#include <cstdint>

namespace pyrelle::tools {

struct sound_format {
    std::uint32_t sample_rate = 0;  // sample frames per second
    std::uint32_t channels = 0;
};

}  // namespace pyrelle::tools
