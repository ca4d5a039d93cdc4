#include "host_standin/orvanel_host/player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>

namespace pyrelle::standin {
namespace {

std::uint64_t steady_microseconds()
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

}  // namespace

std::uint64_t frame_at(double seconds, std::uint32_t rate, std::uint64_t frame_count) noexcept
{
    if (frame_count == 0 || !(seconds > 0.0)) {
        return 0;
    }
    const double frame = std::floor(seconds * rate);
    // Beyond 2^53 frames a double no longer counts whole frames; no clock gets there.
    return static_cast<std::uint64_t>(std::fmod(frame, static_cast<double>(frame_count)));
}

void copy_looped_frames(const pcm_audio& audio, std::uint64_t first, std::uint32_t frames, float* out) noexcept
{
    const std::uint64_t count = audio.frame_count();
    const std::size_t channels = audio.channels;
    if (count == 0) {
        std::fill(out, out + static_cast<std::size_t>(frames) * channels, 0.0f);
        return;
    }
    std::uint64_t frame = first % count;
    std::uint32_t left = frames;
    while (left > 0) {
        const std::uint32_t run = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, count - frame));
        const float* from = audio.samples.data() + frame * channels;
        out = std::copy(from, from + static_cast<std::size_t>(run) * channels, out);
        left -= run;
        frame = 0;
    }
}

player::player(std::function<std::uint64_t()> clock_us)
    : clock_us_(clock_us ? std::move(clock_us) : steady_microseconds)
{
}

transition player::load(std::shared_ptr<const track> next)
{
    if (!next || next->audio.channels == 0 || next->audio.sample_rate == 0 || next->audio.frame_count() == 0) {
        throw std::invalid_argument("track '" + (next ? next->title : std::string()) + "' holds no samples");
    }
    std::lock_guard<std::mutex> hold(lock_);
    track_ = std::move(next);
    played_us_ = 0;
    resumed_at_us_ = clock_us_();
    state_ = playback_state::playing;
    return transition::new_track;
}

transition player::play()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ == playback_state::playing || !track_) {
        return transition::none;
    }
    resumed_at_us_ = clock_us_();
    if (state_ == playback_state::paused) {
        state_ = playback_state::playing;
        return transition::resumed;
    }
    played_us_ = 0;
    state_ = playback_state::playing;
    return transition::new_track;
}

transition player::pause()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ != playback_state::playing) {
        return transition::none;
    }
    played_us_ += clock_us_() - resumed_at_us_;
    state_ = playback_state::paused;
    return transition::paused;
}

transition player::resume()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ != playback_state::paused) {
        return transition::none;
    }
    resumed_at_us_ = clock_us_();
    state_ = playback_state::playing;
    return transition::resumed;
}

transition player::stop()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ == playback_state::stopped) {
        return transition::none;
    }
    played_us_ = 0;
    state_ = playback_state::stopped;
    return transition::stopped;
}

playback_state player::state() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return state_;
}

std::shared_ptr<const track> player::current_track() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return track_;
}

std::uint64_t player::played_locked() const
{
    std::uint64_t played = played_us_;
    if (state_ == playback_state::playing) {
        played += clock_us_() - resumed_at_us_;
    }
    return played;
}

double player::length_locked() const
{
    const pcm_audio& audio = track_->audio;
    return static_cast<double>(audio.frame_count()) / audio.sample_rate;
}

bool player::current_time(double& seconds) const
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ == playback_state::stopped) {
        return false;
    }
    seconds = std::fmod(static_cast<double>(played_locked()) / 1e6, length_locked());
    return true;
}

bool player::current_frame(std::shared_ptr<const track>& playing, std::uint64_t& frame) const
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ == playback_state::stopped) {
        return false;
    }
    playing = track_;
    const double seconds = std::fmod(static_cast<double>(played_locked()) / 1e6, length_locked());
    frame = frame_at(seconds, playing->audio.sample_rate, playing->audio.frame_count());
    return true;
}

std::shared_ptr<const track> player::playing_track() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return state_ == playback_state::stopped ? nullptr : track_;
}

bool player::played_through() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return state_ != playback_state::stopped && static_cast<double>(played_locked()) / 1e6 >= length_locked();
}

}  // namespace pyrelle::standin
