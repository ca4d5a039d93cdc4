#pragma once
// The playing track and its clock. The user-interface thread moves the player between Stopped,
// Playing and Paused; the module's render thread asks, through the visualisation stream, what is
// playing at this moment. The track list never changes after construction, so a track's samples
// are read without the lock; only the state, the current index and the clock take it.
//
// Tracks repeat: the position runs from 0 to the track's length and starts again, so a short
// demo track feeds a fire for as long as it burns.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tools/common/demo_track.h"

namespace pyrelle::standin {

struct track {
    std::string title;
    demo::pcm_audio audio;  // at least one frame, at least one channel, a non-zero rate
};

enum class playback_state { stopped, playing, paused };

// What a transport request did; the transport turns it into playback events.
enum class transition { none, new_track, paused, resumed, stopped };

// The frame that plays `seconds` into a repeating track of `frame_count` frames at `rate`.
std::uint64_t frame_at(double seconds, std::uint32_t rate, std::uint64_t frame_count) noexcept;

// Copies `frames` interleaved frames of `audio` from `first` on into `out`, wrapping to the
// track's start at its end.
void copy_looped_frames(const demo::pcm_audio& audio, std::uint64_t first, std::uint32_t frames, float* out) noexcept;

class player {
public:
    // `clock_us` is a steady clock in microseconds. Throws std::invalid_argument for an empty
    // list or a track without samples.
    explicit player(std::vector<track> tracks, std::function<std::uint64_t()> clock_us = {});

    transition play();    // Stopped: the current track from its start. Paused: resumes.
    transition pause();   // Playing only.
    transition resume();  // Paused only.
    transition stop();    // Playing or Paused.
    transition next();    // The next track (after the last, the first) from its start, playing.

    playback_state state() const;
    std::size_t track_index() const;
    const track& current_track() const;
    std::size_t track_count() const noexcept { return tracks_.size(); }

    // Any thread. The position in the current track in seconds; false while stopped.
    bool current_time(double& seconds) const;
    // The current track and the frame at its position; false while stopped.
    bool current_frame(const track*& playing, std::uint64_t& frame) const;

    // Any thread: the track playing now, or null while stopped. Tracks live as long as the player.
    const track* playing_track() const;

private:
    double position_locked() const;

    const std::vector<track> tracks_;
    std::function<std::uint64_t()> clock_us_;
    mutable std::mutex lock_;
    playback_state state_ = playback_state::stopped;
    std::size_t index_ = 0;
    // Position = played_us_ + (now - resumed_at_us_) while playing, played_us_ otherwise.
    std::uint64_t played_us_ = 0;
    std::uint64_t resumed_at_us_ = 0;
};

}  // namespace pyrelle::standin
