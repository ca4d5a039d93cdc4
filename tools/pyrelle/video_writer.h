#pragma once
// An MP4 of the render: H.264 video (libx264 through libavcodec) at the module's real pace and,
// when there is a song, its sound as AAC (FFmpeg's own encoder), cut to the video's length. The
// sound is encoded as it arrives: the writer holds only the samples that the video has not reached.
// A straight-through output (FIFO, device, standard output) cannot be sought back into, so it gets
// a fragmented MP4, which players read from the start without an index at the end.
#include <cstdint>
#include <cstddef>
#include <memory>
#include <optional>

#include "tools/pyrelle/output_file.h"
#include "tools/pyrelle/sound_format.h"

namespace pyrelle::tools {

class video_writer {
public:
    // `period_ms` is the time of one frame. `sound` is the song's format (none: a silent video).
    // Throws std::runtime_error naming the file, also for an odd width or height, which H.264's
    // 4:2:0 pictures cannot hold.
    video_writer(output_file& file, std::int32_t width, std::int32_t height, std::uint32_t period_ms,
                 std::optional<sound_format> sound);
    ~video_writer();
    video_writer(const video_writer&) = delete;
    video_writer& operator=(const video_writer&) = delete;

    // One frame of width x height RGB bytes (red, green, blue per pixel, rows top to bottom).
    void add_frame(const std::uint8_t* rgb);

    // The song's next `sample_frames` sample frames, interleaved floats in its own format, in order
    // from its start. They may run ahead of the pictures; what lies past the video's end at
    // finish() is left out. Ignored by a silent video.
    void add_sound(const float* samples, std::size_t sample_frames);

    // Drains the encoders and closes the MP4 (the output_file itself is committed by its owner).
    void finish();

private:
    struct impl;
    std::unique_ptr<impl> impl_;
};

}  // namespace pyrelle::tools
