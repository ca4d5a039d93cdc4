#pragma once
// The playing track and its clock. The user-interface thread loads tracks and moves the player
// between Stopped, Playing and Paused; the module's render thread asks, through the visualisation
// stream, what is playing at this moment. A track's title and window never change once loaded;
// the window has its own lock, and only the current track, the state and the clock take the
// player's. Asking for the position tells the track's window where playback is, so that its
// decoder keeps the samples around it.
//
// Tracks repeat: the position runs from 0 to the track's length and starts again, so a short
// demo track feeds a fire for as long as it burns. Whoever walks a play list asks
// played_through() to move on instead. While the length is not known (the file states none and
// decoding has not reached its end) the position just runs on.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "host_standin/playback/sample_window.h"

namespace pyrelle::standin {

struct track {
    std::string title;
    std::shared_ptr<sample_window> samples;  // never null in a loaded track
};

enum class playback_state { stopped, playing, paused };

// What a transport request did; the transport turns it into playback events.
enum class transition { none, new_track, paused, resumed, stopped };

// The frame that plays `seconds` into a repeating track of `frame_count` frames at `rate`
// (0: a length not known yet, so no repeat).
std::uint64_t frame_at(double seconds, std::uint32_t rate, std::uint64_t frame_count) noexcept;

class player {
public:
    // `clock_us` is a steady clock in microseconds. The player starts with no track.
    explicit player(std::function<std::uint64_t()> clock_us = {});

    // Makes `next` the current track, playing from its start. Throws std::invalid_argument for a
    // track without a window, and then keeps what it had.
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
    // The position in the current track, in seconds, and the window told of it.
    double position_locked() const;

    std::function<std::uint64_t()> clock_us_;
    mutable std::mutex lock_;
    std::shared_ptr<const track> track_;
    playback_state state_ = playback_state::stopped;
    // Position = played_us_ + (now - resumed_at_us_) while playing, played_us_ otherwise.
    std::uint64_t played_us_ = 0;
    std::uint64_t resumed_at_us_ = 0;
};

}  // namespace pyrelle::standin
