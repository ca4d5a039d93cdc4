#pragma once
// Sound through the system's wave output device, when there is one. Without a device (a server,
// Wine on a machine without sound) the player plays silently on its clock and this does nothing.
//
// Four buffers of about a tenth of a second each circulate: the device hands a played buffer back
// as a message to the notification window, whose handler calls refill(). The samples come from
// the track's sample window, from the player's position at the moment playback starts or moves,
// then run on from there; what the decoder has not delivered yet plays as silence.
#include <windows.h>

#include <mmsystem.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host_standin/playback/player.h"
#include "support/win32_handles.h"

namespace pyrelle::standin {

class wave_output {
public:
    // `notify` receives MM_WOM_DONE and must call refill().
    wave_output(const player& source, HWND notify) noexcept : player_(source), notify_(notify) {}
    wave_output(const wave_output&) = delete;
    wave_output& operator=(const wave_output&) = delete;
    ~wave_output() { close(); }

    // After any transport change: follows the player (opens for a new track's format, pauses,
    // restarts, stops). `position_jumped`: playback moved (a new track, a restart), so what is
    // queued is dropped and the samples start again from the player's position.
    void follow(bool position_jumped);
    // A buffer came back: top up the free ones while playing.
    void refill();

    bool has_device() const noexcept { return static_cast<bool>(device_); }
    // Why there is no sound, for the log; empty while there is.
    const std::string& silent_reason() const noexcept { return silent_reason_; }

private:
    static constexpr std::size_t buffer_count = 4;

    bool open_for(const std::shared_ptr<const track>& playing);
    void close() noexcept;
    void fill(std::size_t index);

    const player& player_;
    HWND notify_;
    wave_out_handle device_;
    std::shared_ptr<const track> opened_for_;
    std::uint32_t frames_per_buffer_ = 0;
    std::uint64_t cursor_ = 0;  // next frame of the track to queue
    bool device_paused_ = false;
    std::array<WAVEHDR, buffer_count> headers_{};
    std::array<std::vector<std::int16_t>, buffer_count> blocks_;
    std::array<bool, buffer_count> queued_{};
    std::string silent_reason_;
};

}  // namespace pyrelle::standin
