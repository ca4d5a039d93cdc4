#include "host_standin/playback/player.h"

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
    if (!(seconds > 0.0)) {
        return 0;
    }
    const double frame = std::floor(seconds * rate);
    // Beyond 2^53 frames a double no longer counts whole frames; no clock gets there.
    if (frame_count == 0) {
        return static_cast<std::uint64_t>(frame);
    }
    return static_cast<std::uint64_t>(std::fmod(frame, static_cast<double>(frame_count)));
}

player::player(std::function<std::uint64_t()> clock_us)
    : clock_us_(clock_us ? std::move(clock_us) : steady_microseconds)
{
}

transition player::load(std::shared_ptr<const track> next)
{
    if (!next || !next->samples) {
        throw std::invalid_argument("track '" + (next ? next->title : std::string()) + "' holds no samples");
    }
    next->samples->play_from_start();
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
    track_->samples->play_from_start();
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

double player::position_locked() const
{
    const sample_window& window = *track_->samples;
    const double played = static_cast<double>(played_locked()) / 1e6;
    const std::uint64_t length = window.length_frames();
    const double seconds = length == 0 ? played : std::fmod(played, static_cast<double>(length) / window.rate());
    track_->samples->keep_from(frame_at(seconds, window.rate(), length));
    return seconds;
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

bool player::current_frame(std::shared_ptr<const track>& playing, std::uint64_t& frame) const
{
    std::lock_guard<std::mutex> hold(lock_);
    if (state_ == playback_state::stopped) {
        return false;
    }
    playing = track_;
    frame = frame_at(position_locked(), track_->samples->rate(), track_->samples->length_frames());
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
    if (state_ == playback_state::stopped) {
        return false;
    }
    const std::uint64_t length = track_->samples->length_frames();
    return length != 0 &&
           static_cast<double>(played_locked()) / 1e6 >= static_cast<double>(length) / track_->samples->rate();
}

}  // namespace pyrelle::standin
