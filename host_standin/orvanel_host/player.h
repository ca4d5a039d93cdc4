#pragma once
// The playing track and its clock. The user-interface thread loads tracks and moves the player
// between Stopped, Playing and Paused; the module's render thread asks, through the visualisation
// stream, what is playing at this moment. A track never changes once loaded, so its samples are
// read without the lock by whoever holds it; only the current track, the state and the clock
// take the lock.
//
// Tracks repeat: the position runs from 0 to the track's length and starts again, so a short
// demo track feeds a fire for as long as it burns. Whoever walks a play list asks
// played_through() to move on instead.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "audio/pcm_audio.h"

namespace pyrelle::standin {

struct track {
    std::string title;
    pcm_audio audio;  // at least one frame, at least one channel, a non-zero rate
};

enum class playback_state { stopped, playing, paused };

// What a transport request did; the transport turns it into playback events.
enum class transition { none, new_track, paused, resumed, stopped };

// The frame that plays `seconds` into a repeating track of `frame_count` frames at `rate`.
std::uint64_t frame_at(double seconds, std::uint32_t rate, std::uint64_t frame_count) noexcept;

// Copies `frames` interleaved frames of `audio` from `first` on into `out`, wrapping to the
// track's start at its end.
void copy_looped_frames(const pcm_audio& audio, std::uint64_t first, std::uint32_t frames, float* out) noexcept;

class player {
public:
    // `clock_us` is a steady clock in microseconds. The player starts with no track.
    explicit player(std::function<std::uint64_t()> clock_us = {});

    // Makes `next` the current track, playing from its start. Throws std::invalid_argument for a
    // track without samples, and then keeps what it had.
    transition load(std::shared_ptr<const track> next);

    transition play();    // Stopped: the current track from its start. Paused: resumes.
    transition pause();   // Playing only.
    transition resume();  // Paused only.
    transition stop();    // Playing or Paused.

    playback_state state() const;
    // The loaded track, playing or not; null before the first load.
    std::shared_ptr<const track> current_track() const;

    // Any thread. The position in the current track in seconds; false while stopped.
    bool current_time(double& seconds) const;
    // The current track and the frame at its position; false while stopped.
    bool current_frame(std::shared_ptr<const track>& playing, std::uint64_t& frame) const;
    // Any thread: the track playing now, or null while stopped.
    std::shared_ptr<const track> playing_track() const;
    // True once the track has played to its end at least once (it goes on from its start).
    bool played_through() const;

private:
    std::uint64_t played_locked() const;
    double length_locked() const;

    std::function<std::uint64_t()> clock_us_;
    mutable std::mutex lock_;
    std::shared_ptr<const track> track_;
    playback_state state_ = playback_state::stopped;
    // Position = played_us_ + (now - resumed_at_us_) while playing, played_us_ otherwise.
    std::uint64_t played_us_ = 0;
    std::uint64_t resumed_at_us_ = 0;
};

}  // namespace pyrelle::standin
