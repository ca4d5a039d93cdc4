#pragma once
// The header of a WAV file that the player's own reader plays: 16-bit integer PCM or 32-bit float
// samples, any rate, 1 to 8 channels, in the plain or the extensible 'fmt ' form. Read from the
// file's start up to the first byte of its samples, so that the samples can then be read as
// playback needs them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>

namespace pyrelle::standin {

// Why the reader does not take a file; what() is the reason, without the file's name.
class wav_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct wav_header {
    std::uint32_t rate = 0;
    std::uint32_t channels = 0;
    bool float_samples = false;  // 32-bit float; otherwise 16-bit integers
    std::uint32_t frame_bytes = 0;
    std::uint64_t data_offset = 0;  // where the samples start in the file
    // The sample bytes the header declares. Recorders that stream leave 0xFFFFFFFF or too large a
    // value: the reader stops at the end of the file.
    std::uint64_t declared_data_bytes = 0;
};

// Reads up to `count` bytes into `buffer`, returning how many it read (fewer only at the end).
using byte_source = std::function<std::size_t(void* buffer, std::size_t count)>;

// Reads the header from the file's first byte on, leaving `read` at the first sample byte.
// Throws wav_error.
wav_header read_wav_header(const byte_source& read);

// Samples as floats in -1 .. 1: 16-bit integers s become s / 32768. `bytes` holds whole frames.
void wav_samples_to_floats(const wav_header& header, const unsigned char* bytes, std::size_t frames, float* out);

}  // namespace pyrelle::standin
