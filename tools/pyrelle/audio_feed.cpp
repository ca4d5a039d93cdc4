#include "tools/pyrelle/audio_feed.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "support/little_endian.h"

namespace pyrelle::tools {
namespace {

class timed_feed final : public audio_feed {
public:
    timed_feed(demo::pcm_audio audio, std::uint32_t period_ms) : audio_(std::move(audio)), period_ms_(period_ms) {}

    bool chunk_for_frame(std::uint32_t frame, std::vector<float>& chunk) override
    {
        const std::uint64_t first = start_of(frame);
        if (first >= audio_.frame_count()) {
            return false;
        }
        const std::size_t channels = audio_.channels;
        chunk.assign(static_cast<std::size_t>(chunk_sample_frames) * channels, 0.0f);
        const std::uint64_t available = std::min<std::uint64_t>(chunk_sample_frames, audio_.frame_count() - first);
        const auto from = audio_.samples.begin() + static_cast<std::ptrdiff_t>(first * channels);
        std::copy(from, from + static_cast<std::ptrdiff_t>(available * channels), chunk.begin());
        return true;
    }

    std::uint32_t frame_count() const override
    {
        // Frames whose start time lies inside the audio.
        const std::uint64_t duration_ms_num = audio_.frame_count() * 1000;
        const std::uint64_t per_frame = static_cast<std::uint64_t>(period_ms_) * audio_.sample_rate;
        return static_cast<std::uint32_t>((duration_ms_num + per_frame - 1) / per_frame);
    }

private:
    std::uint64_t start_of(std::uint32_t frame) const
    {
        return static_cast<std::uint64_t>(frame) * period_ms_ * audio_.sample_rate / 1000;
    }

    demo::pcm_audio audio_;
    std::uint32_t period_ms_;
};

class raw_feed final : public audio_feed {
public:
    raw_feed(std::vector<float> samples, std::uint32_t chunk) : samples_(std::move(samples)), chunk_(chunk) {}

    bool chunk_for_frame(std::uint32_t frame, std::vector<float>& chunk) override
    {
        if (frame >= frame_count()) {
            return false;
        }
        const auto from = samples_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::uint64_t>(frame) * chunk_);
        chunk.assign(from, from + chunk_);
        return true;
    }

    std::uint32_t frame_count() const override { return static_cast<std::uint32_t>(samples_.size() / chunk_); }

private:
    std::vector<float> samples_;
    std::uint32_t chunk_;
};

}  // namespace

std::unique_ptr<audio_feed> make_timed_feed(demo::pcm_audio audio, std::uint32_t period_ms)
{
    return std::make_unique<timed_feed>(std::move(audio), period_ms);
}

demo::pcm_audio read_sound_file(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot read audio file '" + path + "': " + sf_strerror(nullptr));
    }
    demo::pcm_audio audio;
    audio.sample_rate = static_cast<std::uint32_t>(info.samplerate);
    audio.channels = static_cast<std::uint32_t>(info.channels);
    if (info.samplerate <= 0 || info.channels <= 0 || info.frames <= 0) {
        sf_close(file);
        throw std::runtime_error("audio file '" + path + "' holds no samples");
    }
    audio.samples.resize(static_cast<std::size_t>(info.frames) * audio.channels);
    const sf_count_t read = sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    audio.samples.resize(static_cast<std::size_t>(std::max<sf_count_t>(read, 0)) * audio.channels);
    if (audio.samples.empty()) {
        throw std::runtime_error("audio file '" + path + "' holds no samples");
    }
    return audio;
}

std::unique_ptr<audio_feed> make_raw_feed(const std::string& path, std::uint32_t chunk)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open raw samples '" + path + "': " + std::strerror(errno));
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw std::runtime_error("cannot read raw samples '" + path + "'");
    }
    // Little-endian on disk whatever this machine is; a trailing partial float is ignored.
    std::vector<float> samples(bytes.size() / 4);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::uint32_t bits = load_le32(&bytes[4 * i]);
        std::memcpy(&samples[i], &bits, sizeof bits);
    }
    return std::make_unique<raw_feed>(std::move(samples), chunk);
}

}  // namespace pyrelle::tools
