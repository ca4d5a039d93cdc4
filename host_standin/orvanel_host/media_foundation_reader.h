#pragma once
// Sound files decoded by the system's own decoders through Media Foundation's source reader: on
// Windows MP3, AAC/M4A, WMA and WAV (FLAC from Windows 10 on); under Wine whatever its GStreamer
// plug-ins decode. The samples come out as 32-bit floats at the file's own rate and channel
// count, channels in the file's order; 16-bit integer samples become s / 32768.
#include <stdexcept>
#include <string>

#include "audio/pcm_audio.h"

namespace pyrelle::standin {

class decode_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Media Foundation for this thread: COM (single-threaded apartment, which the file dialog needs
// too) and MFStartup, undone in reverse by the destructor. Without it, only WAV files play.
class media_foundation {
public:
    media_foundation() noexcept;
    media_foundation(const media_foundation&) = delete;
    media_foundation& operator=(const media_foundation&) = delete;
    ~media_foundation();

    bool ready() const noexcept { return started_; }
    // Why it is not ready ("MFStartup failed: 0x..."); empty when it is.
    const std::string& failure() const noexcept { return failure_; }

private:
    bool com_ = false;
    bool started_ = false;
    std::string failure_;
};

// What a decoder that failed part of the way through left.
struct decoded_audio {
    pcm_audio audio;
    std::string stopped_early;  // empty, or why decoding ended before the end of the file
};

// Decodes the whole of the first audio stream. Throws decode_error with the reason (not the file's
// name) when no frame could be decoded. Only reads the file.
decoded_audio read_with_media_foundation(const std::wstring& path);

// "0x8007000E"-style text of an HRESULT with what it means here, for the log.
std::string describe_media_result(long result);

}  // namespace pyrelle::standin
