#pragma once
// WAV files read with the system's multimedia file functions: 16-bit integer PCM or 32-bit float
// samples, any rate, 1 to 8 channels, plain or in the extensible header.
#include <stdexcept>
#include <string>

#include "audio/pcm_audio.h"

namespace pyrelle::standin {

class wav_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Samples as floats in -1 .. 1. A data chunk that ends early gives the whole frames it holds.
// Throws wav_error naming the file and the problem.
pcm_audio read_wav_file(const std::wstring& path);

}  // namespace pyrelle::standin
