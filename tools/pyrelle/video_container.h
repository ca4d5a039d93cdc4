#pragma once
// The kind of video that `--video FILE` writes, chosen by the extension of FILE (in any case):
//   .webm   VP9 (libvpx), with alpha when asked, and the song as Opus;
//   .mov    ProRes 4444, with alpha when asked, and the song as PCM;
//   other   MP4: H.264 and the song as AAC, never with alpha (so also standard output, '-').
#include <string>

namespace pyrelle::tools {

enum class video_container { mp4, webm, mov };

video_container video_container_for(const std::string& path);

// Whether the container's video can hold an alpha plane.
inline bool carries_alpha(video_container c) { return c != video_container::mp4; }

}  // namespace pyrelle::tools
