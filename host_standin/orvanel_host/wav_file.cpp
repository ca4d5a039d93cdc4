#include "host_standin/orvanel_host/wav_file.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "host_standin/orvanel_host/file_streams.h"
#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

// Frames read per block: about a tenth of a second at common rates.
constexpr std::uint32_t block_frames = 4096;

std::uint64_t file_size(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &facts)) {
        throw wav_error("cannot open the file");
    }
    return std::uint64_t{facts.nFileSizeHigh} << 32 | facts.nFileSizeLow;
}

class wav_source final : public sound_source {
public:
    explicit wav_source(const std::wstring& path) : path_(path)
    {
        open_at_start();
        header_ = read_wav_header([this](void* buffer, std::size_t count) { return read_bytes(buffer, count); });
        // Recorders that stream leave the size as 0xFFFFFFFF or too large: what the file holds counts.
        const std::uint64_t size = file_size(path_);
        const std::uint64_t held = size > header_.data_offset ? size - header_.data_offset : 0;
        data_frames_ = std::min(header_.declared_data_bytes, held) / header_.frame_bytes;
        if (data_frames_ == 0) {
            throw wav_error("holds no samples");
        }
        bytes_.resize(static_cast<std::size_t>(block_frames) * header_.frame_bytes);
    }

    const char* reader_name() const override { return "WAV reader"; }
    std::uint32_t rate() const override { return header_.rate; }
    std::uint32_t channels() const override { return header_.channels; }
    std::uint64_t stated_frames() const override { return data_frames_; }

    bool next_block(std::vector<float>& block) override
    {
        const std::uint64_t frames = std::min<std::uint64_t>(block_frames, data_frames_ - frames_read_);
        if (frames == 0) {
            return false;
        }
        const std::size_t wanted = static_cast<std::size_t>(frames) * header_.frame_bytes;
        const std::size_t got = read_bytes(bytes_.data(), wanted);
        const std::size_t whole = got / header_.frame_bytes;
        if (whole == 0) {
            throw wav_error("the samples end before the header says");
        }
        block.resize(whole * header_.channels);
        wav_samples_to_floats(header_, bytes_.data(), whole, block.data());
        frames_read_ += whole;
        if (got < wanted) {
            data_frames_ = frames_read_;  // the file was cut short since it was opened
        }
        return true;
    }

    void rewind() override
    {
        open_at_start();
        never_abort abort;
        file_->skip_exact(header_.data_offset, abort);
        frames_read_ = 0;
    }

private:
    void open_at_start()
    {
        try {
            file_ = std::make_unique<file_reader>(path_);
        } catch (const file_error&) {
            throw wav_error("cannot open the file");
        }
    }

    std::size_t read_bytes(void* buffer, std::size_t count)
    {
        never_abort abort;
        try {
            return file_->read(buffer, static_cast<std::uint32_t>(count), abort);
        } catch (const std::exception&) {
            throw wav_error("cannot read the file");
        }
    }

    std::wstring path_;
    std::unique_ptr<file_reader> file_;
    wav_header header_;
    std::uint64_t data_frames_ = 0;
    std::uint64_t frames_read_ = 0;
    std::vector<unsigned char> bytes_;
};

}  // namespace

std::unique_ptr<sound_source> open_wav_file(const std::wstring& path) { return std::make_unique<wav_source>(path); }

pcm_audio read_wav_file(const std::wstring& path)
{
    const std::string name = narrow(path);
    try {
        const std::unique_ptr<sound_source> source = open_wav_file(path);
        pcm_audio audio;
        audio.sample_rate = source->rate();
        audio.channels = source->channels();
        std::vector<float> block;
        while (source->next_block(block)) {
            audio.samples.insert(audio.samples.end(), block.begin(), block.end());
        }
        return audio;
    } catch (const std::exception& error) {
        throw wav_error(name + ": " + error.what());
    }
}

}  // namespace pyrelle::standin
