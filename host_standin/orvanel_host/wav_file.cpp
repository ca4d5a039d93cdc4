#include "host_standin/orvanel_host/wav_file.h"

#include <windows.h>

#include <mmreg.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "host_standin/orvanel_host/file_streams.h"
#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

constexpr WORD format_pcm = 1;
constexpr WORD format_float = 3;
constexpr WORD format_extensible = 0xFFFE;
constexpr DWORD most_channels = 8;

// The whole file's bytes. Wine's mmioOpenW passes the name on through the ANSI code page, which
// loses every character outside it, so the file is opened here and parsed from memory.
std::vector<char> read_whole_file(const std::wstring& path, const std::string& name)
{
    try {
        file_reader reader(path);
        never_abort abort;
        std::vector<char> bytes;
        constexpr std::uint32_t block = 1 << 20;
        for (;;) {
            const std::size_t old = bytes.size();
            bytes.resize(old + block);
            const std::uint32_t got = reader.read(bytes.data() + old, block, abort);
            bytes.resize(old + got);
            if (got == 0) {
                return bytes;
            }
        }
    } catch (const file_error&) {
        throw wav_error(name + ": cannot open the file");
    }
}

// The multimedia file functions over bytes in memory.
class mmio_file {
public:
    explicit mmio_file(std::vector<char>& bytes)
    {
        MMIOINFO memory{};
        memory.fccIOProc = FOURCC_MEM;
        memory.pchBuffer = bytes.data();
        memory.cchBuffer = static_cast<LONG>(bytes.size());
        file_ = ::mmioOpenW(nullptr, &memory, MMIO_READ);
    }
    mmio_file(const mmio_file&) = delete;
    mmio_file& operator=(const mmio_file&) = delete;
    ~mmio_file()
    {
        if (file_ != nullptr) {
            ::mmioClose(file_, 0);
        }
    }
    HMMIO get() const noexcept { return file_; }

private:
    HMMIO file_ = nullptr;
};

// The format words that matter here, from either header form.
struct wav_format {
    WORD tag = 0;
    DWORD channels = 0;
    DWORD rate = 0;
    WORD block_align = 0;
    WORD bits = 0;
};

wav_format read_format(HMMIO file, const MMCKINFO& riff, const std::string& name)
{
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (::mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        throw wav_error(name + ": no 'fmt ' chunk");
    }
    // WAVEFORMATEXTENSIBLE is the largest header form; a shorter chunk leaves the rest zero.
    std::vector<char> bytes(sizeof(WAVEFORMATEXTENSIBLE), 0);
    const LONG wanted = static_cast<LONG>(std::min<DWORD>(chunk.cksize, sizeof(WAVEFORMATEXTENSIBLE)));
    if (chunk.cksize < 16 || ::mmioRead(file, bytes.data(), wanted) != wanted) {
        throw wav_error(name + ": the 'fmt ' chunk is too short");
    }
    ::mmioAscend(file, &chunk, 0);

    WAVEFORMATEXTENSIBLE header{};
    std::memcpy(&header, bytes.data(), sizeof header);
    wav_format format;
    format.tag = header.Format.wFormatTag;
    format.channels = header.Format.nChannels;
    format.rate = header.Format.nSamplesPerSec;
    format.block_align = header.Format.nBlockAlign;
    format.bits = header.Format.wBitsPerSample;
    if (format.tag == format_extensible) {
        if (chunk.cksize < sizeof(WAVEFORMATEXTENSIBLE)) {
            throw wav_error(name + ": the extensible 'fmt ' chunk is too short");
        }
        // The sub-format GUID's first field is the plain format tag.
        format.tag = static_cast<WORD>(header.SubFormat.Data1);
    }
    return format;
}

pcm_audio read_samples(const std::wstring& path, const std::string& name)
{
    std::vector<char> whole = read_whole_file(path, name);
    if (whole.empty() || whole.size() > 0x7FFFFFFF) {
        throw wav_error(name + ": not a RIFF WAVE file");
    }
    mmio_file file(whole);
    if (file.get() == nullptr) {
        throw wav_error(name + ": cannot read the file");
    }

    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (::mmioDescend(file.get(), &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
        throw wav_error(name + ": not a RIFF WAVE file");
    }
    const wav_format format = read_format(file.get(), riff, name);
    const bool pcm16 = format.tag == format_pcm && format.bits == 16;
    const bool float32 = format.tag == format_float && format.bits == 32;
    if (!pcm16 && !float32) {
        throw wav_error(name + ": only 16-bit PCM and 32-bit float samples are played (this file has format " +
                        std::to_string(format.tag) + ", " + std::to_string(format.bits) + " bits)");
    }
    if (format.channels == 0 || format.channels > most_channels || format.rate == 0) {
        throw wav_error(name + ": unusable channel count or sample rate");
    }
    const DWORD frame_bytes = format.channels * (format.bits / 8u);
    if (format.block_align != frame_bytes) {
        throw wav_error(name + ": the block size does not match the channels and sample size");
    }

    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (::mmioDescend(file.get(), &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        throw wav_error(name + ": no 'data' chunk");
    }
    // Recorders that stream leave the size as 0xFFFFFFFF or too large: what the file holds counts.
    const LONG file_end = ::mmioSeek(file.get(), 0, SEEK_END);
    if (file_end < 0 || ::mmioSeek(file.get(), static_cast<LONG>(data.dwDataOffset), SEEK_SET) < 0) {
        throw wav_error(name + ": cannot find the samples");
    }
    const DWORD held = std::min<DWORD>(data.cksize, static_cast<DWORD>(file_end) - data.dwDataOffset);
    std::vector<char> bytes(held);
    const LONG got = held ? ::mmioRead(file.get(), bytes.data(), static_cast<LONG>(held)) : 0;
    if (got < 0) {
        throw wav_error(name + ": cannot read the samples");
    }
    const std::size_t frames = static_cast<std::size_t>(got) / frame_bytes;
    if (frames == 0) {
        throw wav_error(name + ": holds no samples");
    }

    pcm_audio audio;
    audio.sample_rate = format.rate;
    audio.channels = format.channels;
    audio.samples.resize(frames * format.channels);
    if (pcm16) {
        for (std::size_t i = 0; i < audio.samples.size(); ++i) {
            std::int16_t value = 0;
            std::memcpy(&value, bytes.data() + 2 * i, 2);
            audio.samples[i] = static_cast<float>(value) / 32768.0f;
        }
    } else {
        std::memcpy(audio.samples.data(), bytes.data(), audio.samples.size() * sizeof(float));
    }
    return audio;
}

}  // namespace

pcm_audio read_wav_file(const std::wstring& path)
{
    const std::string name = narrow(path);
    try {
        return read_samples(path, name);
    } catch (const wav_error&) {
        throw;
    } catch (const std::exception& error) {
        // Memory or length limits: still a problem of this file.
        throw wav_error(name + ": " + error.what());
    }
}

}  // namespace pyrelle::standin
