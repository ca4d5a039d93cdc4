#pragma once
// The names of the PNG frame files in a frame folder: frame-00000.png, frame-00001.png, ...
#include <cstdint>
#include <string>

namespace pyrelle::tools {

// Frame k's file name: at least five digits, more past 99999.
std::string frame_file_name(std::uint32_t frame);

// Whether `name` has that form: the files that a render into the folder replaces or removes.
bool is_frame_file_name(const std::string& name);

}  // namespace pyrelle::tools
