#pragma once
// A sound file made into a track, whatever reads it. WAV files that the WAV reader takes (16-bit
// PCM and 32-bit float) go through it: it is exact, fast and needs no decoder installed. Every
// other file, and the WAV files it refuses, go to the system's decoders.
#include <memory>
#include <stdexcept>
#include <string>

#include "host_standin/orvanel_host/player.h"

namespace pyrelle::standin {

// Why a file gives no track: what() is "NAME: reason" with the file's name, ready for the log.
class track_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct loaded_track {
    std::shared_ptr<const track> playable;
    const char* reader = "";    // "WAV reader" or "Media Foundation"
    std::string stopped_early;  // empty, or why the track ends before the file does
};

// The track's title is the file's name. `decoders`: whether Media Foundation started. Only ever
// reads the file.
loaded_track load_track(const std::wstring& path, bool decoders);

// The last part of a path.
std::wstring file_name_of(const std::wstring& path);

}  // namespace pyrelle::standin
