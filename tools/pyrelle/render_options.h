#pragma once
// The command line of `pyrelle render`.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "fire/fire_palette.h"
#include "tools/pyrelle/frame_scaling.h"

namespace pyrelle::tools {

// Bad usage: the message names the problem in one line.
struct usage_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct flow_switches {
    bool low = false;
    bool middle = false;
    bool high = false;
};

struct render_options {
    std::int32_t width = 640;
    std::int32_t height = 480;
    std::optional<picture_size> size;        // of the video, GIF and PNG pictures; default: the mode's
    std::optional<std::uint32_t> frames;     // default: until the audio ends
    std::optional<std::int32_t> frame_rate;  // default: stored setting, else 24

    std::string audio_file;        // any song FFmpeg reads; "-": standard input
    std::string raw_samples_file;  // little-endian 32-bit floats
    std::uint32_t chunk = 0;       // floats per frame with raw samples

    std::string config_file;  // stored settings; explicit options below win over it
    std::optional<colour> low, middle, high;
    std::optional<flow_switches> flow;

    std::string video_file;  // its extension picks the container (video_container.h)
    std::string gif_file;
    std::string png_dir;
    std::string heat_dump_file;
    std::string palette_dump_file;
    bool transparent = false;  // the video, GIF and PNGs with the heat as opacity (heat_opacity.h)
};

// Reads the command line (argv[0] is the command's own name) into `options`. Returns nothing
// when the render should go on, or the exit status when the command line has been answered:
// help, version, or a usage error already reported on standard error.
std::optional<int> parse_render_options(int argc, char** argv, render_options& options);

}  // namespace pyrelle::tools
