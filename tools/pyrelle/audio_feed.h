#pragma once
// What the host's visualisation stream would hand the render thread at each frame. Audio is read
// as the frames need it: a feed holds a few thousand sample frames, whatever the song's length.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/pcm_audio.h"
#include "tools/pyrelle/sound_decoder.h"
#include "tools/pyrelle/sound_format.h"

namespace pyrelle::tools {

class audio_feed {
public:
    // Every sample as it is read, in order from the song's start: interleaved, `sample_frames` of them.
    using sample_sink = std::function<void(const float* samples, std::size_t sample_frames)>;

    virtual ~audio_feed() = default;

    // The samples for frame k into `chunk`; false when there is no audio for that frame (the
    // module's "no current time"). Frames are asked for in order, each once, from 0.
    virtual bool chunk_for_frame(std::uint32_t frame, std::vector<float>& chunk) = 0;

    // Frames that the audio lasts, when known before its end (from a file's header: an estimate
    // for some formats); none for a stream. The render itself goes on until the audio ends.
    virtual std::optional<std::uint32_t> expected_frames() const = 0;

    // Whether frame 0 already has no audio.
    virtual bool empty() const = 0;

    // The song's format, none for raw samples, which are no sound.
    virtual std::optional<sound_format> sound() const = 0;

    // From now on every sample read goes to `sink` too, also those read before the first frame.
    virtual void send_samples_to(sample_sink sink) = 0;
};

// The sample frames that one chunk of timed audio holds.
constexpr std::uint32_t chunk_sample_frames = 4096;

// Timed audio: frame k starts at k x period_ms; a chunk running past the end is padded with
// silence, and a frame starting at or after the end has no audio.
std::unique_ptr<audio_feed> make_timed_feed(std::unique_ptr<sound_source> song, std::uint32_t period_ms);

// The same over a song in memory, which must outlive the feed.
std::unique_ptr<audio_feed> make_timed_feed(const pcm_audio& audio, std::uint32_t period_ms);

// Raw little-endian floats, `chunk` per frame, read as each frame needs them (an endless device
// too). Throws std::runtime_error naming the problem.
std::unique_ptr<audio_feed> make_raw_feed(const std::string& path, std::uint32_t chunk);

}  // namespace pyrelle::tools
