#include "host_standin/orvanel_host/media_foundation_reader.h"

#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "support/win32_handles.h"

namespace pyrelle::standin {
namespace {

constexpr DWORD audio_stream = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
constexpr std::uint32_t most_channels = 8;

std::string hex(long result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

bool under_wine()
{
    HMODULE system = ::GetModuleHandleW(L"ntdll.dll");
    return system != nullptr && ::GetProcAddress(system, "wine_get_version") != nullptr;
}

[[noreturn]] void fail(const char* step, HRESULT result)
{
    throw decode_error(std::string(step) + " failed: " + describe_media_result(result));
}

// The stream's output as floats at its own rate and channel count: only the major type and the
// sample format are asked for, so the decoder keeps the rest as the file has it.
void ask_for_floats(IMFSourceReader& reader)
{
    HRESULT result = reader.SetStreamSelection(static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS), FALSE);
    if (SUCCEEDED(result)) {
        result = reader.SetStreamSelection(audio_stream, TRUE);
    }
    if (FAILED(result)) {
        throw decode_error("holds no audio stream (" + hex(result) + ")");
    }
    com_ptr<IMFMediaType> wanted;
    result = ::MFCreateMediaType(wanted.put());
    if (FAILED(result)) {
        fail("MFCreateMediaType", result);
    }
    wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    wanted->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_Float);
    result = reader.SetCurrentMediaType(audio_stream, nullptr, wanted.get());
    if (FAILED(result)) {
        fail("decoding to float samples", result);
    }
}

struct stream_format {
    std::uint32_t rate = 0;
    std::uint32_t channels = 0;
};

// The rate and channel count that the reader now delivers; throws unless they are float samples
// the player can use.
stream_format read_format(IMFSourceReader& reader)
{
    com_ptr<IMFMediaType> type;
    HRESULT result = reader.GetCurrentMediaType(audio_stream, type.put());
    if (FAILED(result)) {
        fail("GetCurrentMediaType", result);
    }
    GUID subtype{};
    UINT32 bits = 0, channels = 0, rate = 0;
    type->GetGUID(MF_MT_SUBTYPE, &subtype);
    type->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
    type->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
    type->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
    if (subtype != MFAudioFormat_Float || bits != 32) {
        throw decode_error("the decoder delivers no 32-bit float samples");
    }
    if (channels == 0 || channels > most_channels || rate == 0) {
        throw decode_error("unusable channel count (" + std::to_string(channels) + ") or rate (" +
                           std::to_string(rate) + " Hz)");
    }
    return {rate, channels};
}

// The length that the container states, in 100 ns units; 0 when it states none.
std::uint64_t stated_duration(IMFSourceReader& reader)
{
    PROPVARIANT duration;
    ::PropVariantInit(&duration);
    std::uint64_t units = 0;
    if (SUCCEEDED(reader.GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION,
                                                  &duration)) &&
        duration.vt == VT_UI8) {
        units = duration.uhVal.QuadPart;
    }
    ::PropVariantClear(&duration);
    return units;
}

// One decoded block at a time, on the decoder's thread.
class media_foundation_source final : public sound_source {
public:
    // A thread already in an apartment (RPC_E_CHANGED_MODE: a test's own thread) stays in it,
    // which serves the reader as well; the owner then undoes nothing.
    explicit media_foundation_source(const std::wstring& path)
        : com_(COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE), path_(path)
    {
        open_reader();
        format_ = read_format(*reader_.get());
        // 100 ns units to frames, without overflow for any length a container can state.
        const std::uint64_t units = stated_duration(*reader_.get());
        stated_frames_ = units / 10'000'000 * format_.rate + units % 10'000'000 * format_.rate / 10'000'000;
    }

    const char* reader_name() const override { return "Media Foundation"; }
    std::uint32_t rate() const override { return format_.rate; }
    std::uint32_t channels() const override { return format_.channels; }
    std::uint64_t stated_frames() const override { return stated_frames_; }

    bool next_block(std::vector<float>& block) override
    {
        block.clear();
        if (ended_) {
            return false;
        }
        DWORD flags = 0;
        LONGLONG timestamp = 0;
        com_ptr<IMFSample> sample;
        const HRESULT result = reader_->ReadSample(audio_stream, 0, nullptr, &flags, &timestamp, sample.put());
        if (FAILED(result) || (flags & MF_SOURCE_READERF_ERROR) != 0) {
            broken_ = true;  // a reader that reported an error takes no further calls
            throw decode_error("the decoder failed: " + describe_media_result(FAILED(result) ? result : E_FAIL));
        }
        if ((flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) != 0) {
            const stream_format changed = read_format(*reader_.get());
            if (changed.channels != format_.channels || changed.rate != format_.rate) {
                throw decode_error("the format changes part of the way through");
            }
        }
        if (sample) {
            append(*sample.get(), block);
        }
        if ((flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0) {
            ended_ = true;
            return !block.empty();
        }
        return true;
    }

    void rewind() override
    {
        if (broken_) {
            // The next pass ends at the same damage, but plays what comes before it again.
            open_reader();
            const stream_format reopened = read_format(*reader_.get());
            if (reopened.channels != format_.channels || reopened.rate != format_.rate) {
                throw decode_error("the format changed when the file was opened again");
            }
            broken_ = false;
            ended_ = false;
            return;
        }
        PROPVARIANT start;
        ::PropVariantInit(&start);
        start.vt = VT_I8;
        start.hVal.QuadPart = 0;
        const HRESULT result = reader_->SetCurrentPosition(GUID_NULL, start);
        if (FAILED(result)) {
            fail("seeking to the start", result);
        }
        ended_ = false;
    }

private:
    void open_reader()
    {
        const HRESULT opened = ::MFCreateSourceReaderFromURL(path_.c_str(), nullptr, reader_.put());
        if (FAILED(opened)) {
            throw decode_error(describe_media_result(opened));
        }
        ask_for_floats(*reader_.get());
    }

    // The sample's whole frames, after what `block` holds.
    void append(IMFSample& sample, std::vector<float>& block) const
    {
        com_ptr<IMFMediaBuffer> buffer;
        if (FAILED(sample.ConvertToContiguousBuffer(buffer.put()))) {
            throw decode_error("a decoded block could not be read");
        }
        BYTE* bytes = nullptr;
        DWORD length = 0;
        if (FAILED(buffer->Lock(&bytes, nullptr, &length))) {
            throw decode_error("a decoded block could not be read");
        }
        const std::size_t count = length / (sizeof(float) * format_.channels) * format_.channels;
        const std::size_t old = block.size();
        block.resize(old + count);
        std::memcpy(block.data() + old, bytes, count * sizeof(float));
        buffer->Unlock();
    }

    com_apartment com_;  // first: the reader is released before the thread leaves COM
    std::wstring path_;
    com_ptr<IMFSourceReader> reader_;
    stream_format format_;
    std::uint64_t stated_frames_ = 0;
    bool ended_ = false;
    bool broken_ = false;
};

}  // namespace

media_foundation::media_foundation() noexcept
    : com_(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE), started_(MFSTARTUP_FULL)
{
    if (!started_.started()) {
        failure_ = "MFStartup failed: " + describe_media_result(started_.result());
    }
}

std::string describe_media_result(long result)
{
    struct meaning {
        HRESULT code;
        const char* text;
    };
    const meaning meanings[] = {
        {MF_E_UNSUPPORTED_BYTESTREAM_TYPE, "no installed decoder takes this kind of file"},
        {MF_E_INVALIDMEDIATYPE, "no installed decoder takes its audio"},
        {MF_E_TOPO_CODEC_NOT_FOUND, "no installed decoder takes its audio"},
        {MF_E_INVALID_FILE_FORMAT, "the file is damaged or not a sound file"},
        {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "no such file"},
        {HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), "no such folder"},
        {E_ACCESSDENIED, "access denied"},
        {HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), "another program holds the file"},
        {E_OUTOFMEMORY, "out of memory"},
        // Wine's readers answer E_FAIL both for a file that no GStreamer plug-in takes and when
        // the plug-ins are missing altogether.
        {E_FAIL, under_wine() ? "no decoder takes this file (under Wine, decoding needs the 32-bit GStreamer plug-ins)"
                              : "no decoder takes this file"},
    };
    for (const meaning& known : meanings) {
        if (known.code == result) {
            return hex(result) + ", " + known.text;
        }
    }
    return hex(result);
}

std::unique_ptr<sound_source> open_with_media_foundation(const std::wstring& path)
{
    return std::make_unique<media_foundation_source>(path);
}

}  // namespace pyrelle::standin
