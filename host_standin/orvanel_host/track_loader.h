#pragma once
// A sound file opened for decoding, whatever reads it. WAV files that the WAV reader takes
// (16-bit PCM and 32-bit float) go through it: it is exact, fast and needs no decoder installed.
// Every other file, and the WAV files it refuses, go to the system's decoders. Runs on the
// decoder's thread: opening may read and wait on the file.
#include <memory>
#include <stdexcept>
#include <string>

#include "host_standin/playback/track_decoder.h"

namespace pyrelle::standin {

// Why a file gives no track: what() is the reason, without the file's name.
class track_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `decoders`: whether Media Foundation started. Only ever reads the file. Throws track_error.
std::unique_ptr<sound_source> open_track_source(const std::wstring& path, bool decoders);

// The last part of a path.
std::wstring file_name_of(const std::wstring& path);

}  // namespace pyrelle::standin
