#pragma once
// WAV files read by the player itself: 16-bit integer PCM or 32-bit float samples, any rate, 1 to
// 8 channels, plain or in the extensible header. The samples are read as they are asked for.
#include <memory>
#include <string>

#include "audio/pcm_audio.h"
#include "host_standin/playback/track_decoder.h"
#include "host_standin/playback/wav_header.h"

namespace pyrelle::standin {

// Reads the header and stands at the samples. A data chunk that ends early gives the whole frames
// it holds. Throws wav_error with the reason (not the file's name). Only ever reads the file.
std::unique_ptr<sound_source> open_wav_file(const std::wstring& path);

// The whole file at once, for what is short. Throws wav_error naming the file and the problem.
pcm_audio read_wav_file(const std::wstring& path);

}  // namespace pyrelle::standin
