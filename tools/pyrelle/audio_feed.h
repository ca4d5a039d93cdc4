#pragma once
// What the host's visualisation stream would hand the render thread at each frame.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/pcm_audio.h"

namespace pyrelle::tools {

class audio_feed {
public:
    virtual ~audio_feed() = default;

    // The samples for frame k into `chunk`; false when there is no audio for that frame (the
    // module's "no current time").
    virtual bool chunk_for_frame(std::uint32_t frame, std::vector<float>& chunk) = 0;

    // Frames that the audio lasts.
    virtual std::uint32_t frame_count() const = 0;
};

// The sample frames that one chunk of timed audio holds.
constexpr std::uint32_t chunk_sample_frames = 4096;

// Timed audio: frame k starts at k x period_ms; a chunk running past the end is padded with
// silence, and a frame starting at or after the end has no audio. `audio` must outlive the feed.
std::unique_ptr<audio_feed> make_timed_feed(const pcm_audio& audio, std::uint32_t period_ms);

// Reads a sound file with libsndfile, to its real end whatever its header claims. "-" reads
// standard input whole first, so that a pipe serves every format, also those whose reader seeks.
// Throws std::runtime_error naming the problem.
pcm_audio read_sound_file(const std::string& path);

// Raw little-endian floats, `chunk` per frame. Throws std::runtime_error naming the problem.
std::unique_ptr<audio_feed> make_raw_feed(const std::string& path, std::uint32_t chunk);

}  // namespace pyrelle::tools
