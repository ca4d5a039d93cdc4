#include "tools/pyrelle/frame_file_name.h"

#include <cstdio>
#include <regex>

namespace pyrelle::tools {

std::string frame_file_name(std::uint32_t frame)
{
    char text[32];
    std::snprintf(text, sizeof text, "frame-%05u.png", frame);
    return text;
}

bool is_frame_file_name(const std::string& name)
{
    static const std::regex frame_file(R"(frame-\d{5,}\.png)");
    return std::regex_match(name, frame_file);
}

}  // namespace pyrelle::tools
