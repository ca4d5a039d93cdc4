#pragma once
// An MP4 of the render: H.264 video (libx264 through libavcodec) at the module's real pace and,
// when there is a song, its sound as AAC (FFmpeg's own encoder), cut to the video's length.
// A straight-through output (FIFO, device, standard output) cannot be sought back into, so it gets
// a fragmented MP4, which players read from the start without an index at the end.
#include <cstdint>
#include <memory>

#include "audio/pcm_audio.h"
#include "tools/pyrelle/output_file.h"

namespace pyrelle::tools {

class video_writer {
public:
    // `period_ms` is the time of one frame. `sound` (may be null: a silent video) must outlive the
    // writer. Throws std::runtime_error naming the file, also for an odd width or height, which
    // H.264's 4:2:0 pictures cannot hold.
    video_writer(output_file& file, std::int32_t width, std::int32_t height, std::uint32_t period_ms,
                 const pcm_audio* sound);
    ~video_writer();
    video_writer(const video_writer&) = delete;
    video_writer& operator=(const video_writer&) = delete;

    // One frame of width x height RGB bytes (red, green, blue per pixel, rows top to bottom).
    void add_frame(const std::uint8_t* rgb);

    // Drains the encoders and closes the MP4 (the output_file itself is committed by its owner).
    void finish();

private:
    struct impl;
    std::unique_ptr<impl> impl_;
};

}  // namespace pyrelle::tools
