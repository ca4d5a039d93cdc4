#include "tools/pyrelle/audio_feed.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <cstdio>
#include <iterator>
#include <stdexcept>

#include "support/little_endian.h"

namespace pyrelle::tools {
namespace {

class timed_feed final : public audio_feed {
public:
    timed_feed(const pcm_audio& audio, std::uint32_t period_ms) : audio_(audio), period_ms_(period_ms) {}

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

    const pcm_audio& audio_;
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

// Standard input, read whole, as a file that libsndfile can seek in.
struct memory_file {
    const std::vector<char>* bytes;
    sf_count_t position;
};

sf_count_t memory_length(void* user) { return static_cast<sf_count_t>(static_cast<memory_file*>(user)->bytes->size()); }

sf_count_t memory_seek(sf_count_t offset, int whence, void* user)
{
    auto* f = static_cast<memory_file*>(user);
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f->position : memory_length(user);
    const sf_count_t to = base + offset;
    if (to < 0 || to > memory_length(user))
        return -1;
    f->position = to;
    return to;
}

sf_count_t memory_read(void* out, sf_count_t count, void* user)
{
    auto* f = static_cast<memory_file*>(user);
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, memory_length(user) - f->position));
    if (n != 0) {  // an empty input has no data() to copy from, not even nothing
        std::memcpy(out, f->bytes->data() + f->position, static_cast<std::size_t>(n));
    }
    f->position += n;
    return n;
}

sf_count_t memory_tell(void* user) { return static_cast<memory_file*>(user)->position; }

}  // namespace

std::unique_ptr<audio_feed> make_timed_feed(const pcm_audio& audio, std::uint32_t period_ms)
{
    return std::make_unique<timed_feed>(audio, period_ms);
}

pcm_audio read_sound_file(const std::string& path)
{
    const bool from_pipe = path == "-";
    const std::string name = from_pipe ? "standard input" : "'" + path + "'";
    std::vector<char> piped;
    memory_file memory{&piped, 0};
    SF_VIRTUAL_IO memory_io{memory_length, memory_seek, memory_read, nullptr, memory_tell};
    SF_INFO info{};
    SNDFILE* file = nullptr;
    if (from_pipe) {
        char buffer[1 << 16];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stdin)) != 0;) {
            piped.insert(piped.end(), buffer, buffer + got);
        }
        if (std::ferror(stdin))
            throw std::runtime_error("cannot read audio from standard input");
        file = sf_open_virtual(&memory_io, SFM_READ, &info, &memory);
    } else {
        file = sf_open(path.c_str(), SFM_READ, &info);
    }
    if (file == nullptr) {
        throw std::runtime_error("cannot read audio from " + name + ": " + sf_strerror(nullptr));
    }
    if (info.samplerate <= 0 || info.channels <= 0) {
        sf_close(file);
        throw std::runtime_error("audio " + name + " holds no samples");
    }
    pcm_audio audio;
    audio.sample_rate = static_cast<std::uint32_t>(info.samplerate);
    audio.channels = static_cast<std::uint32_t>(info.channels);
    // Block by block to the end: a streamed file's header may not know its length.
    constexpr sf_count_t block_frames = 1 << 16;
    std::vector<float> block(static_cast<std::size_t>(block_frames) * audio.channels);
    for (;;) {
        const sf_count_t got = sf_readf_float(file, block.data(), block_frames);
        if (got <= 0)
            break;
        audio.samples.insert(audio.samples.end(), block.begin(),
                             block.begin() + static_cast<std::ptrdiff_t>(got * info.channels));
    }
    const int error = sf_error(file);
    const std::string error_text = sf_strerror(file);
    sf_close(file);
    if (error != SF_ERR_NO_ERROR) {
        throw std::runtime_error("cannot read audio from " + name + ": " + error_text);
    }
    if (audio.samples.empty()) {
        throw std::runtime_error("audio " + name + " holds no samples");
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
