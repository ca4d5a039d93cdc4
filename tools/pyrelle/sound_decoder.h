#pragma once
// A song decoded block by block through libavformat and libavcodec, as the render needs it: any
// format FFmpeg reads (M4A/AAC, MP3, FLAC, Ogg, Opus, WMA, WAV, AIFF, the sound of a video), from
// a file or from standard input read as a stream. Samples come out as decoded, at the song's own
// rate and channel count, converted to floats (16-bit samples as s / 32768 exactly).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/pyrelle/sound_format.h"

namespace pyrelle::tools {

// Where a timed feed takes its samples from, in order.
class sound_source {
public:
    virtual ~sound_source() = default;

    virtual sound_format format() const = 0;

    // The song's length in sample frames when known before its end (a file's header, which may
    // only estimate it); none for a stream.
    virtual std::optional<std::uint64_t> expected_length() const = 0;

    // Appends the next interleaved samples (at least one sample frame) to `samples`; false at the
    // end. Throws std::runtime_error naming the song when it cannot be read.
    virtual bool read(std::vector<float>& samples) = 0;
};

// Opens `path` ("-": standard input) and decodes up to its first samples. Throws std::runtime_error
// with a one-line message naming the file: FFmpeg cannot open it, it holds no audio stream, or
// that stream holds no samples.
std::unique_ptr<sound_source> open_sound_file(const std::string& path);

}  // namespace pyrelle::tools
