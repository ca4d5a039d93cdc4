#include "host_standin/orvanel_host/wave_output.h"

#include <algorithm>
#include <cmath>

namespace pyrelle::standin {

bool wave_output::open_for(const std::shared_ptr<const track>& playing)
{
    close();
    const sample_window& audio = *playing->samples;
    if (::waveOutGetNumDevs() == 0) {
        silent_reason_ = "no wave output device";
        return false;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(audio.channels());
    format.nSamplesPerSec = audio.rate();
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(audio.channels() * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    const MMRESULT result =
        ::waveOutOpen(device_.put(), WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(notify_), 0, CALLBACK_WINDOW);
    if (result != MMSYSERR_NOERROR) {
        static_cast<void>(device_.release());  // a failed open leaves no device to close
        silent_reason_ = "the wave output device refused the format (error " + std::to_string(result) + ")";
        return false;
    }
    silent_reason_.clear();
    opened_for_ = playing;
    frames_per_buffer_ = std::max<std::uint32_t>(audio.rate() / 10, 1);
    for (std::size_t i = 0; i < buffer_count; ++i) {
        blocks_[i].assign(static_cast<std::size_t>(frames_per_buffer_) * audio.channels(), 0);
        headers_[i] = WAVEHDR{};
        headers_[i].lpData = reinterpret_cast<LPSTR>(blocks_[i].data());
        headers_[i].dwBufferLength = static_cast<DWORD>(blocks_[i].size() * sizeof(std::int16_t));
        ::waveOutPrepareHeader(device_.get(), &headers_[i], sizeof(WAVEHDR));
        queued_[i] = false;
    }
    return true;
}

void wave_output::close() noexcept
{
    if (!device_) {
        return;
    }
    ::waveOutReset(device_.get());  // hands every queued buffer back
    for (std::size_t i = 0; i < buffer_count; ++i) {
        ::waveOutUnprepareHeader(device_.get(), &headers_[i], sizeof(WAVEHDR));
        queued_[i] = false;
    }
    device_.reset();
    opened_for_.reset();
    device_paused_ = false;
}

void wave_output::fill(std::size_t index)
{
    const sample_window& audio = *opened_for_->samples;
    std::vector<float> frames(static_cast<std::size_t>(frames_per_buffer_) * audio.channels());
    audio.read(cursor_, frames_per_buffer_, frames.data());
    cursor_ += frames_per_buffer_;
    // Round at the track's end, as the player's position goes.
    if (const std::uint64_t length = audio.length_frames(); length != 0) {
        cursor_ %= length;
    }
    std::vector<std::int16_t>& block = blocks_[index];
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const float clamped = std::clamp(std::isfinite(frames[i]) ? frames[i] : 0.0f, -1.0f, 1.0f);
        block[i] = static_cast<std::int16_t>(std::lround(clamped * 32767.0f));
    }
    headers_[index].dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    if (::waveOutWrite(device_.get(), &headers_[index], sizeof(WAVEHDR)) == MMSYSERR_NOERROR) {
        queued_[index] = true;
    }
}

void wave_output::refill()
{
    if (!device_ || player_.state() != playback_state::playing) {
        return;
    }
    for (std::size_t i = 0; i < buffer_count; ++i) {
        if (queued_[i] && (headers_[i].dwFlags & WHDR_DONE) != 0) {
            queued_[i] = false;
        }
        if (!queued_[i]) {
            fill(i);
        }
    }
}

void wave_output::follow(bool position_jumped)
{
    std::shared_ptr<const track> playing;
    std::uint64_t frame = 0;
    if (!player_.current_frame(playing, frame)) {
        close();
        return;
    }
    // A new format needs a new device; a jump drops what is queued, which reopening does too.
    if (playing != opened_for_ || !device_ || position_jumped) {
        if (!open_for(playing)) {
            return;
        }
        cursor_ = frame;
    }
    if (player_.state() == playback_state::paused) {
        if (!device_paused_) {
            ::waveOutPause(device_.get());
            device_paused_ = true;
        }
        return;
    }
    if (device_paused_) {
        ::waveOutRestart(device_.get());
        device_paused_ = false;
    }
    refill();
}

}  // namespace pyrelle::standin
