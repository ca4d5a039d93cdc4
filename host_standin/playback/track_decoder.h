#pragma once
// One track opened and decoded on a thread of its own, into a sample window that stays a few
// seconds ahead of the playing position. The window's thread only starts it, asks how far it got
// when told to, and cancels it; it never waits for the file.
//
// Stages: opening (the source is being opened, or no frame has come yet), playable (the window
// holds the first frames, or the whole short track), failed (no frame at all could be decoded;
// failure() says why, as "NAME: reason"). A source that fails after some frames is playable: the window's length is
// what was decoded and its stopped_early() says why.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host_standin/playback/sample_window.h"

namespace pyrelle::standin {

// What reads a track's file. Made by the opener on the decoder's thread, used and destroyed there.
// Failures throw std::runtime_error whose what() is the reason, without the file's name.
class sound_source {
public:
    virtual ~sound_source() = default;
    // Which reader this is, for the log ("WAV reader", "Media Foundation").
    virtual const char* reader_name() const = 0;
    virtual std::uint32_t rate() const = 0;
    virtual std::uint32_t channels() const = 0;
    // The length that the file states, in frames; 0 when it states none.
    virtual std::uint64_t stated_frames() const = 0;
    // The next decoded frames, interleaved floats, replacing what `block` held (it may come back
    // empty). False at the end of the file.
    virtual bool next_block(std::vector<float>& block) = 0;
    // Back to the start of the file.
    virtual void rewind() = 0;
};

enum class decoder_stage { opening, playable, failed };

class track_decoder {
public:
    using opener = std::function<std::unique_ptr<sound_source>()>;
    // Called on the decoder's thread whenever the stage changes or the first pass ends; it must
    // only pass the news on (post a message), never call back into the decoder.
    using notifier = std::function<void()>;

    // Starts the thread. `name` names the track in failure(); `window_seconds`: how much of the
    // track the window holds.
    track_decoder(std::string name, opener open, notifier notify, std::uint32_t window_seconds = 8);
    track_decoder(const track_decoder&) = delete;
    track_decoder& operator=(const track_decoder&) = delete;
    // Cancels and waits for the thread: call it once finished(), or accept the wait.
    ~track_decoder();

    // Asks the thread to end; returns at once. An open in progress ends when the opener returns.
    void cancel() noexcept;
    // Whether the thread has ended (its destructor then does not wait).
    bool finished() const noexcept { return finished_.load(); }

    decoder_stage stage() const;
    // The window, once playable; null before.
    std::shared_ptr<sample_window> window() const;
    // "NAME: why the track gives nothing to play", once failed.
    std::string failure() const;
    // The source's reader_name(), once opened; "" before.
    std::string reader() const;

private:
    void run(const opener& open, std::uint32_t window_seconds) noexcept;
    void decode(sound_source& source);
    void set_stage(decoder_stage stage, const std::string& failure = {});

    const std::string name_;
    notifier notify_;
    mutable std::mutex lock_;
    decoder_stage stage_ = decoder_stage::opening;
    std::shared_ptr<sample_window> window_;
    std::string failure_;
    std::string reader_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;  // last: starts once everything above exists
};

// Why a first pass that decoded `decoded` frames of `stated` (0: unknown) ended short, as a
// decoder that meets damage may simply end there; empty when it is near enough the stated length.
std::string short_of_stated(std::uint64_t decoded, std::uint64_t stated, std::uint32_t rate);

}  // namespace pyrelle::standin
