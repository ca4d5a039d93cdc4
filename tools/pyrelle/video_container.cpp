#include "tools/pyrelle/video_container.h"

#include <strings.h>

namespace pyrelle::tools {
namespace {

bool ends_with(const std::string& path, const char* extension, std::size_t length)
{
    return path.size() > length && ::strcasecmp(path.c_str() + path.size() - length, extension) == 0;
}

}  // namespace

video_container video_container_for(const std::string& path)
{
    if (ends_with(path, ".webm", 5)) {
        return video_container::webm;
    }
    if (ends_with(path, ".mov", 4)) {
        return video_container::mov;
    }
    return video_container::mp4;
}

}  // namespace pyrelle::tools
