#pragma once
// Sound files decoded by the system's own decoders through Media Foundation's source reader: on
// Windows MP3, AAC/M4A, WMA and WAV (FLAC from Windows 10 on); under Wine whatever its GStreamer
// plug-ins decode. The samples come out as 32-bit floats at the file's own rate and channel
// count, channels in the file's order; 16-bit integer samples become s / 32768. The file is read
// as the samples are asked for, never written.
#include <windows.h>

#include <mfapi.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "host_standin/playback/track_decoder.h"
#include "support/win32_handles.h"

namespace pyrelle::standin {

// Media Foundation for the process; the flags are MFStartup's. Kept out of support/, which the
// module includes too: the module has no use for Media Foundation's headers.
struct media_foundation_startup_traits {
    static HRESULT start(DWORD flags) noexcept { return ::MFStartup(MF_VERSION, flags); }
    static void stop() noexcept { ::MFShutdown(); }
};
using media_foundation_startup = unique_startup<media_foundation_startup_traits>;

class decode_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Media Foundation for the process, and COM for the user-interface thread (a single-threaded
// apartment, which the file dialog needs), undone in reverse by the destructor. Without it, only
// WAV files play.
class media_foundation {
public:
    media_foundation() noexcept;

    bool ready() const noexcept { return started_.started(); }
    // Why it is not ready ("MFStartup failed: 0x..."); empty when it is.
    const std::string& failure() const noexcept { return failure_; }

private:
    com_apartment com_;
    media_foundation_startup started_;
    std::string failure_;
};

// Opens the first audio stream of `path` for decoding on the calling thread, which the source
// joins to COM's multi-threaded apartment for its lifetime: make, use and destroy it on one
// thread. Throws decode_error with the reason (not the file's name).
std::unique_ptr<sound_source> open_with_media_foundation(const std::wstring& path);

// "0x8007000E"-style text of an HRESULT with what it means here, for the log.
std::string describe_media_result(long result);

}  // namespace pyrelle::standin
