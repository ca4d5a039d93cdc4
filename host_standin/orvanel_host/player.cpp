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

void copy_looped_frames(const demo::pcm_audio& audio, std::uint64_t first, std::uint32_t frames, float* out) noexcept
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

player::player(std::vector<track> tracks, std::function<std::uint64_t()> clock_us)
    : tracks_(std::move(tracks)), clock_us_(clock_us ? std::move(clock_us) : steady_microseconds)
{
    if (tracks_.empty()) {
        throw std::invalid_argument("no track to play");
    }
    for (const track& t : tracks_) {
        if (t.audio.channels == 0 || t.audio.sample_rate == 0 || t.audio.frame_count() == 0) {
            throw std::invalid_argument("track '" + t.title + "' holds no samples");
        }
    }
}

transition player::play()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ == playback_state::playing) {
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

transition player::next()
{
    std::lock_guard<std::mutex> hold(lock_);
    index_ = (index_ + 1) % tracks_.size();
    played_us_ = 0;
    resumed_at_us_ = clock_us_();
    state_ = playback_state::playing;
    return transition::new_track;
}

playback_state player::state() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return state_;
}

std::size_t player::track_index() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return index_;
}

const track& player::current_track() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return tracks_[index_];
}

double player::position_locked() const
{
    std::uint64_t played = played_us_;
    if (state_ == playback_state::playing) {
        played += clock_us_() - resumed_at_us_;
    }
    const demo::pcm_audio& audio = tracks_[index_].audio;
    const double length = static_cast<double>(audio.frame_count()) / audio.sample_rate;
    return std::fmod(static_cast<double>(played) / 1e6, length);
}

bool player::current_time(double& seconds) const
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ == playback_state::stopped) {
        return false;
    }
    seconds = position_locked();
    return true;
}

bool player::current_frame(const track*& playing, std::uint64_t& frame) const
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ == playback_state::stopped) {
        return false;
    }
    playing = &tracks_[index_];
    frame = frame_at(position_locked(), playing->audio.sample_rate, playing->audio.frame_count());
    return true;
}

const track* player::playing_track() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return state_ == playback_state::stopped ? nullptr : &tracks_[index_];
}

}  // namespace pyrelle::standin
