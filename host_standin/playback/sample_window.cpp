#include "host_standin/playback/sample_window.h"

#include <algorithm>
#include <stdexcept>

namespace pyrelle::standin {

sample_window::sample_window(std::uint32_t rate, std::uint32_t channels, std::uint64_t capacity_frames,
                             std::uint64_t stated_frames)
    : rate_(rate), channels_(channels), capacity_(capacity_frames), stated_(stated_frames)
{
    if (rate == 0 || channels == 0 || capacity_frames == 0) {
        throw std::invalid_argument("a sample window needs a rate, channels and room");
    }
    ring_.resize(static_cast<std::size_t>(capacity_frames) * channels);
}

std::shared_ptr<sample_window> sample_window::holding(const pcm_audio& audio)
{
    const std::uint64_t frames = audio.frame_count();
    auto whole =
        std::make_shared<sample_window>(audio.sample_rate, audio.channels, std::max<std::uint64_t>(frames, 1), frames);
    whole->write(audio.samples.data(), static_cast<std::size_t>(frames));
    whole->end_pass();
    return whole;
}

std::uint64_t sample_window::length_frames() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return length_known_ ? length_ : stated_;
}

bool sample_window::length_known() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return length_known_;
}

std::string sample_window::stopped_early() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return stopped_early_;
}

std::uint64_t sample_window::decoded_frames() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return length_known_ ? length_ : end_;
}

std::uint64_t sample_window::stream_frame_locked(std::uint64_t track_frame) const
{
    if (length_known_ && length_ > 0) {
        track_frame %= length_;
    }
    const std::uint64_t first = end_ > capacity_ ? end_ - capacity_ : 0;
    const std::uint64_t current = pass_start_ + track_frame;
    if (current >= first && current < end_) {
        return current;
    }
    const std::uint64_t previous = previous_pass_start_ + track_frame;
    if (previous < pass_start_ && previous >= first && previous < end_) {
        return previous;
    }
    return end_;
}

std::uint32_t sample_window::read(std::uint64_t first, std::uint32_t frames, float* out) const
{
    std::lock_guard<std::mutex> hold(lock_);
    std::uint32_t held = 0;
    for (std::uint32_t i = 0; i < frames; ++i) {
        float* to = out + static_cast<std::size_t>(i) * channels_;
        const std::uint64_t stream = stream_frame_locked(first + i);
        if (stream < end_) {
            const float* from = ring_.data() + static_cast<std::size_t>(stream % capacity_) * channels_;
            std::copy(from, from + channels_, to);
            ++held;
        } else {
            std::fill(to, to + channels_, 0.0f);
        }
    }
    return held;
}

void sample_window::keep_from(std::uint64_t position)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        const std::uint64_t first = end_ > capacity_ ? end_ - capacity_ : 0;
        const std::uint64_t stream = stream_frame_locked(position);
        // Small windows (the tests') keep half of themselves behind at most, so the writer can go on.
        const std::uint64_t behind = std::min<std::uint64_t>(std::uint64_t{behind_seconds} * rate_, capacity_ / 2);
        // A position beyond what is held frees the writer to fill the whole window.
        keep_ = stream == end_ ? end_ : std::max(first, stream > behind ? stream - behind : 0);
    }
    changed_.notify_all();
}

void sample_window::play_from_start()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        const std::uint64_t first = end_ > capacity_ ? end_ - capacity_ : 0;
        keep_ = 0;
        if (first != 0 || pass_start_ != 0) {
            end_ = 0;
            pass_start_ = 0;
            previous_pass_start_ = 0;
            restart_ = true;
        }
    }
    changed_.notify_all();
}

std::uint64_t sample_window::room_locked() const
{
    const std::uint64_t limit = keep_ + capacity_;
    return limit > end_ ? limit - end_ : 0;
}

bool sample_window::write(const float* samples, std::size_t frames)
{
    std::unique_lock<std::mutex> hold(lock_);
    while (frames > 0) {
        changed_.wait(hold, [this] { return cancelled_ || restart_ || room_locked() > 0; });
        if (cancelled_ || restart_) {
            return false;
        }
        const std::uint64_t slot = end_ % capacity_;
        const std::uint64_t run = std::min<std::uint64_t>({room_locked(), frames, capacity_ - slot});
        const std::size_t values = static_cast<std::size_t>(run) * channels_;
        std::copy(samples, samples + values, ring_.data() + static_cast<std::size_t>(slot) * channels_);
        samples += values;
        frames -= static_cast<std::size_t>(run);
        end_ += run;
    }
    return true;
}

bool sample_window::end_pass(const std::string& why_early)
{
    std::lock_guard<std::mutex> hold(lock_);
    // Playback went back to the start while the pass ended: what was held is gone, so this pass
    // tells nothing of the length; the decoder starts again.
    if (restart_) {
        return !cancelled_;
    }
    if (!length_known_) {
        length_ = end_ - pass_start_;
        length_known_ = true;
        stopped_early_ = why_early;
    }
    const bool whole_track_held = pass_start_ == 0 && end_ <= capacity_;
    // A pass that gave nothing would give nothing again: no endless round of empty passes.
    const bool pass_empty = end_ == pass_start_;
    if (whole_track_held || pass_empty || cancelled_) {
        return false;
    }
    previous_pass_start_ = pass_start_;
    pass_start_ = end_;
    return true;
}

bool sample_window::take_restart()
{
    std::lock_guard<std::mutex> hold(lock_);
    const bool asked = restart_;
    restart_ = false;
    return asked;
}

bool sample_window::wait_for_restart()
{
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return cancelled_ || restart_; });
    return !cancelled_;
}

void sample_window::cancel()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

bool sample_window::cancelled() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return cancelled_;
}

}  // namespace pyrelle::standin
