#include "tools/pyrelle/audio_feed.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "support/little_endian.h"
#include "tools/pyrelle/posix_file.h"

namespace pyrelle::tools {
namespace {

// A song already in memory (the demo track), handed out in blocks as a decoder would.
class song_in_memory final : public sound_source {
public:
    explicit song_in_memory(const pcm_audio& audio) : audio_(audio) {}

    sound_format format() const override { return {audio_.sample_rate, audio_.channels}; }

    std::optional<std::uint64_t> expected_length() const override { return audio_.frame_count(); }

    bool read(std::vector<float>& samples) override
    {
        constexpr std::uint64_t block_frames = 4096;
        const std::uint64_t count = std::min(block_frames, audio_.frame_count() - next_);
        if (count == 0) {
            return false;
        }
        const auto from = audio_.samples.begin() + static_cast<std::ptrdiff_t>(next_ * audio_.channels);
        samples.insert(samples.end(), from, from + static_cast<std::ptrdiff_t>(count * audio_.channels));
        next_ += count;
        return true;
    }

private:
    const pcm_audio& audio_;
    std::uint64_t next_ = 0;
};

// Keeps a window of the song from the current frame's start: frames only move forward, so what
// lies before it is never needed again.
class timed_feed final : public audio_feed {
public:
    timed_feed(std::unique_ptr<sound_source> song, std::uint32_t period_ms)
        : song_(std::move(song)), format_(song_->format()), period_ms_(period_ms)
    {
        if (format_.channels == 0 || format_.sample_rate == 0) {
            throw std::runtime_error("audio without channels or rate");
        }
        fill_to(1);  // whether there is any audio at all
    }

    bool chunk_for_frame(std::uint32_t frame, std::vector<float>& chunk) override
    {
        const std::uint64_t first = start_of(frame);
        // The chunk, and the whole of the frame's time for the sink even when the frame is longer.
        fill_to(std::max(first + chunk_sample_frames, start_of(frame + 1)));
        const std::size_t channels = format_.channels;
        if (first > window_start_) {
            const std::uint64_t drop = std::min<std::uint64_t>(first - window_start_, window_.size() / channels);
            window_.erase(window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(drop * channels));
            window_start_ += drop;
        }
        if (first >= window_end()) {
            return false;
        }
        chunk.assign(static_cast<std::size_t>(chunk_sample_frames) * channels, 0.0f);
        const std::uint64_t available = std::min<std::uint64_t>(chunk_sample_frames, window_end() - first);
        std::copy(window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(available * channels), chunk.begin());
        return true;
    }

    std::optional<std::uint32_t> expected_frames() const override
    {
        const std::optional<std::uint64_t> length = song_->expected_length();
        if (!length) {
            return std::nullopt;
        }
        // Frames whose start time lies inside the audio.
        const std::uint64_t per_frame = static_cast<std::uint64_t>(period_ms_) * format_.sample_rate;
        return static_cast<std::uint32_t>((*length * 1000 + per_frame - 1) / per_frame);
    }

    bool empty() const override { return window_start_ == 0 && window_.empty(); }

    std::optional<sound_format> sound() const override { return format_; }

    void send_samples_to(sample_sink sink) override
    {
        sink_ = std::move(sink);
        if (window_start_ == 0 && !window_.empty()) {
            sink_(window_.data(), window_.size() / format_.channels);
        }
    }

private:
    std::uint64_t start_of(std::uint32_t frame) const
    {
        return static_cast<std::uint64_t>(frame) * period_ms_ * format_.sample_rate / 1000;
    }

    std::uint64_t window_end() const { return window_start_ + window_.size() / format_.channels; }

    // Reads until the window reaches sample frame `end` or the song ends.
    void fill_to(std::uint64_t end)
    {
        while (!ended_ && window_end() < end) {
            const std::size_t before = window_.size();
            if (!song_->read(window_)) {
                ended_ = true;
                break;
            }
            if (sink_) {
                sink_(window_.data() + before, (window_.size() - before) / format_.channels);
            }
        }
    }

    std::unique_ptr<sound_source> song_;
    sound_format format_;
    std::uint32_t period_ms_;
    std::vector<float> window_;  // interleaved, from sample frame window_start_ on
    std::uint64_t window_start_ = 0;
    bool ended_ = false;
    sample_sink sink_;
};

class raw_feed final : public audio_feed {
public:
    raw_feed(const std::string& path, std::uint32_t chunk)
        : path_(path), file_(std::fopen(path.c_str(), "rb")), chunk_(chunk), bytes_(static_cast<std::size_t>(chunk) * 4)
    {
        if (!file_) {
            throw std::runtime_error("cannot open raw samples '" + path + "': " + std::strerror(errno));
        }
        struct stat st{};
        if (::fstat(::fileno(file_.get()), &st) == 0 && S_ISREG(st.st_mode)) {
            expected_ = static_cast<std::uint32_t>(static_cast<std::uint64_t>(st.st_size) / bytes_);
        }
        has_first_ = read_chunk(first_);
    }

    bool chunk_for_frame(std::uint32_t frame, std::vector<float>& chunk) override
    {
        if (frame == 0) {
            chunk = first_;
            return has_first_;
        }
        return read_chunk(chunk);
    }

    std::optional<std::uint32_t> expected_frames() const override { return expected_; }

    bool empty() const override { return !has_first_; }

    std::optional<sound_format> sound() const override { return std::nullopt; }

    void send_samples_to(sample_sink) override {}

private:
    // The next whole chunk; false (and for ever after) once the file has no whole chunk left.
    bool read_chunk(std::vector<float>& chunk)
    {
        if (ended_) {
            return false;
        }
        buffer_.resize(bytes_);
        if (std::fread(buffer_.data(), 1, bytes_, file_.get()) != bytes_) {
            if (std::ferror(file_.get())) {
                throw std::runtime_error("cannot read raw samples '" + path_ + "': " + std::strerror(errno));
            }
            ended_ = true;  // a trailing partial chunk is ignored
            return false;
        }
        // Little-endian on disk whatever this machine is.
        chunk.resize(chunk_);
        for (std::size_t i = 0; i < chunk_; ++i) {
            const std::uint32_t bits = load_le32(&buffer_[4 * i]);
            std::memcpy(&chunk[i], &bits, sizeof bits);
        }
        return true;
    }

    std::string path_;
    unique_file file_;
    std::uint32_t chunk_;
    std::size_t bytes_;
    std::optional<std::uint32_t> expected_;
    std::vector<std::uint8_t> buffer_;
    std::vector<float> first_;  // read on opening, to know whether there is any audio
    bool has_first_ = false;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<audio_feed> make_timed_feed(std::unique_ptr<sound_source> song, std::uint32_t period_ms)
{
    return std::make_unique<timed_feed>(std::move(song), period_ms);
}

std::unique_ptr<audio_feed> make_timed_feed(const pcm_audio& audio, std::uint32_t period_ms)
{
    return make_timed_feed(std::make_unique<song_in_memory>(audio), period_ms);
}

std::unique_ptr<audio_feed> make_raw_feed(const std::string& path, std::uint32_t chunk)
{
    return std::make_unique<raw_feed>(path, chunk);
}

}  // namespace pyrelle::tools
