#pragma once
// The files that `pyrelle render` writes, frame by frame. Single files are written under temporary
// names and only renamed into place by commit(); PNG frames that were written are removed again
// unless commit() ran. A render that fails therefore leaves no partial output.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fire/fire_palette.h"

namespace pyrelle::tools {

struct output_paths {
    std::string gif_file;
    std::string png_dir;
    std::string heat_dump_file;
    std::string palette_dump_file;
};

class frame_outputs {
public:
    // Opens every requested output. Throws std::runtime_error naming the file that cannot be made.
    frame_outputs(const output_paths& paths, std::int32_t width, std::int32_t height, std::int32_t frame_rate);
    ~frame_outputs();  // removes whatever was not committed
    frame_outputs(const frame_outputs&) = delete;
    frame_outputs& operator=(const frame_outputs&) = delete;

    // `heat` is the whole field (width x (height + 2)); `palette` its 256 entries.
    void add_frame(const std::vector<std::uint8_t>& heat, const palette_entry* palette);

    // Moves the finished files into place; returns the paths written, for the user.
    std::vector<std::string> commit();

private:
    struct impl;
    std::unique_ptr<impl> impl_;
};

}  // namespace pyrelle::tools
