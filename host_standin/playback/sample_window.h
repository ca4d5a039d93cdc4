#pragma once
// A few seconds of one track's decoded samples around its playing position: the decoder thread
// writes ahead of the position, the sound output and the visualisation stream read at it. What is
// held is bounded by the capacity, however long the track.
//
// Frames are counted two ways. Track frames run from 0 to the track's length and are what readers
// ask for. Stream frames count every frame written since the last restart; a track that repeats
// is decoded again from its start, one pass after another, so a track frame may have been written
// once per pass. The window holds the stream frames [first, end), end - first <= capacity.
//
// The writer never overwrites frames from a second before the playing position on, so readers at
// the position find what they ask for while the position moves forward at the playing rate; a
// paused position keeps its frames, and the writer waits. Frames not held read as silence.
//
// Thread safety: every member may be called from any thread.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/pcm_audio.h"

namespace pyrelle::standin {

class sample_window {
public:
    // Frames kept behind the playing position, in seconds, for readers a little late.
    static constexpr std::uint32_t behind_seconds = 1;

    // `stated_frames`: the length the file states (0: unknown), until the first pass ends.
    // rate, channels and capacity are not zero.
    sample_window(std::uint32_t rate, std::uint32_t channels, std::uint64_t capacity_frames,
                  std::uint64_t stated_frames = 0);

    // A window that holds the whole of `audio` (at least one frame), its first pass ended.
    static std::shared_ptr<sample_window> holding(const pcm_audio& audio);

    std::uint32_t rate() const noexcept { return rate_; }
    std::uint32_t channels() const noexcept { return channels_; }
    std::uint64_t capacity_frames() const noexcept { return capacity_; }

    // The track's length in frames: what the first pass decoded once it ended, the stated length
    // before; 0 while neither is known.
    std::uint64_t length_frames() const;
    // Whether the first pass has ended, so that length_frames() is what decoding found.
    bool length_known() const;
    // Why the first pass ended before the end of the file; empty when it did not.
    std::string stopped_early() const;
    // Frames written in this pass so far (and all of them once it has ended).
    std::uint64_t decoded_frames() const;

    // ---- readers ----
    // Copies `frames` interleaved frames from track frame `first` on into `out`, going round to
    // the track's start past its known end. Frames that are not held are silence. Returns how many
    // frames were held.
    std::uint32_t read(std::uint64_t first, std::uint32_t frames, float* out) const;
    // The playing position in track frames; the writer keeps what is from a second before it on.
    void keep_from(std::uint64_t position);
    // Playback starts again at track frame 0. When that frame is no longer held, what is held
    // is dropped and the writer is asked to decode from the start (take_restart()).
    void play_from_start();

    // ---- the decoder thread ----
    // Appends `frames` interleaved frames, waiting while there is no room. False when the writer
    // is to stop this pass: cancelled, or a restart was asked for (the frames are dropped).
    bool write(const float* samples, std::size_t frames);
    // The decoder reached the end of the file, or could go no further (`why_early` says why). The
    // first call fixes the track's length. True when the decoder should go round again from the
    // start; false when the window holds the whole track and no further pass is needed. A restart
    // asked for meanwhile voids the pass: true, and nothing is fixed.
    bool end_pass(const std::string& why_early = {});
    // True once after play_from_start() dropped what was held: the decoder must seek to the start.
    bool take_restart();
    // Waits until a restart is asked for (true) or the window is cancelled (false).
    bool wait_for_restart();
    // Wakes a waiting writer; every later write() returns false.
    void cancel();
    bool cancelled() const;

private:
    // The stream frame that holds track frame `track_frame`, or `end_` when none does.
    std::uint64_t stream_frame_locked(std::uint64_t track_frame) const;
    std::uint64_t room_locked() const;

    const std::uint32_t rate_;
    const std::uint32_t channels_;
    const std::uint64_t capacity_;
    const std::uint64_t stated_;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<float> ring_;  // stream frame s at (s % capacity_) * channels_
    std::uint64_t end_ = 0;    // stream frames written
    // Stream frames at which the current and the previous pass began.
    std::uint64_t pass_start_ = 0;
    std::uint64_t previous_pass_start_ = 0;
    std::uint64_t length_ = 0;  // the first pass's frames, once it ended
    bool length_known_ = false;
    std::string stopped_early_;
    std::uint64_t keep_ = 0;  // stream frames from here on are never overwritten
    bool restart_ = false;
    bool cancelled_ = false;
};

}  // namespace pyrelle::standin
