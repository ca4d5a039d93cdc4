#pragma once
// The files that `pyrelle render` writes, frame by frame, each through an output_file: a regular
// file is written under a temporary name and only replaced by commit(), a link's target likewise,
// a FIFO, device or standard output straight through. PNG frames go to a staging folder inside the
// PNG folder and move into place at commit(), where the frame files of an earlier render that this
// one did not write are removed, so the folder never mixes two renders. Without commit() the
// destructor removes everything begun, so a failed or interrupted render leaves nothing partial.
#include <cstdint>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fire/fire_palette.h"
#include "tools/pyrelle/frame_scaling.h"
#include "tools/pyrelle/sound_format.h"

namespace pyrelle::tools {

struct output_paths {
    std::string video_file;
    std::string gif_file;
    std::string png_dir;
    std::string heat_dump_file;
    std::string palette_dump_file;

    // Whether anything goes to standard output, which the report must then keep clear of.
    bool uses_standard_output() const;
};

struct frame_format {
    std::int32_t width;
    std::int32_t height;
    std::uint32_t period_ms;  // the module's timer period: 1000 / frame rate, truncated
    // The size of the video, GIF and PNG pictures, at least the frame's (see frame_scaling.h);
    // 0 x 0: the frame's own.
    picture_size picture;
    // Whether the video, GIF and PNG pictures carry the heat as opacity (heat_opacity.h), their
    // bars fully clear.
    bool transparent = false;
};

class frame_outputs {
public:
    // Opens every requested output; `soundtrack` is the format of the video's sound (none: silent).
    // Throws std::runtime_error naming the file that cannot be made.
    frame_outputs(const output_paths& paths, const frame_format& format, std::optional<sound_format> soundtrack);
    ~frame_outputs();  // removes whatever was not committed
    frame_outputs(const frame_outputs&) = delete;
    frame_outputs& operator=(const frame_outputs&) = delete;

    // `heat` is the whole field (width x (height + 2)); `palette` its 256 entries.
    void add_frame(const std::vector<std::uint8_t>& heat, const palette_entry* palette);

    // The song's next samples, in order, for the video's sound (see video_writer::add_sound).
    void add_sound(const float* samples, std::size_t sample_frames);

    // Finishes the files and moves them into place; returns the paths written, for the user.
    std::vector<std::string> commit();

private:
    struct impl;
    std::unique_ptr<impl> impl_;
};

}  // namespace pyrelle::tools
