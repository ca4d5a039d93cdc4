#pragma once
// A video of the render at the module's real pace and, when there is a song, its sound cut to the
// video's length, in one of three containers (video_container.h):
//   MP4    H.264 (libx264) and AAC (FFmpeg's own encoder);
//   WebM   VP9 (libvpx), with an alpha plane when asked, and Opus (libopus, 48 kHz);
//   MOV    ProRes 4444 (prores_ks), with an alpha plane when asked, and 16-bit PCM at the song's rate.
// The sound is encoded as it arrives: the writer holds only the samples that the video has not
// reached. A straight-through output (FIFO, device, standard output) cannot be sought back into, so
// an MP4 or MOV there is fragmented, which players read from the start without an index at the end.
#include <cstdint>
#include <cstddef>
#include <memory>
#include <optional>

#include "tools/pyrelle/output_file.h"
#include "tools/pyrelle/sound_format.h"
#include "tools/pyrelle/video_container.h"

namespace pyrelle::tools {

class video_writer {
public:
    // `alpha`: the pictures carry opacity (only where carries_alpha(container)). `period_ms` is
    // the time of one frame. `sound` is the song's format (none: a silent video). Throws
    // std::runtime_error naming the file, also for an odd width or height, which 4:2:0 pictures
    // cannot hold.
    video_writer(output_file& file, video_container container, bool alpha, std::int32_t width, std::int32_t height,
                 std::uint32_t period_ms, std::optional<sound_format> sound);
    ~video_writer();
    video_writer(const video_writer&) = delete;
    video_writer& operator=(const video_writer&) = delete;

    // One frame of width x height pixels, rows top to bottom: red, green, blue bytes, and with
    // `alpha` a fourth, the opacity (0 clear, 255 opaque).
    void add_frame(const std::uint8_t* pixels);

    // The song's next `sample_frames` sample frames, interleaved floats in its own format, in order
    // from its start. They may run ahead of the pictures; what lies past the video's end at
    // finish() is left out. Ignored by a silent video.
    void add_sound(const float* samples, std::size_t sample_frames);

    // Drains the encoders and closes the video (the output_file itself is committed by its owner).
    void finish();

private:
    struct impl;
    std::unique_ptr<impl> impl_;
};

}  // namespace pyrelle::tools
