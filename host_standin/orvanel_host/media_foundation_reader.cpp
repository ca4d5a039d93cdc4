#include "host_standin/orvanel_host/media_foundation_reader.h"

#include <windows.h>

#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "support/win32_handles.h"

namespace pyrelle::standin {
namespace {

constexpr DWORD audio_stream = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
constexpr std::uint32_t most_channels = 8;
// The whole track is held as floats in this 32-bit process: 2^27 samples are 512 MB, about 25
// minutes of 44.1 kHz stereo.
constexpr std::uint64_t most_samples = std::uint64_t{1} << 27;

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

// The rate and channel count that the reader now delivers; throws unless they are float samples
// the player can use.
void read_format(IMFSourceReader& reader, pcm_audio& audio)
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
    audio.channels = channels;
    audio.sample_rate = rate;
}

// The length that the container states, in seconds; 0 when it states none.
double stated_seconds(IMFSourceReader& reader)
{
    PROPVARIANT duration;
    ::PropVariantInit(&duration);
    double seconds = 0.0;
    if (SUCCEEDED(reader.GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION,
                                                  &duration)) &&
        duration.vt == VT_UI8) {
        seconds = static_cast<double>(duration.uhVal.QuadPart) / 1e7;  // 100 ns units
    }
    ::PropVariantClear(&duration);
    return seconds;
}

// Room for the whole track at its stated length, so that the samples are not copied as they
// grow; a wrong length only costs copies.
void reserve_for(double seconds, pcm_audio& audio)
{
    const std::uint64_t samples = static_cast<std::uint64_t>(seconds + 1.0) * audio.sample_rate * audio.channels;
    if (samples > most_samples) {
        throw decode_error("too long: longer than " +
                           std::to_string(most_samples / audio.channels / audio.sample_rate / 60) +
                           " minutes at this rate");
    }
    audio.samples.reserve(static_cast<std::size_t>(samples));
}

// Appends the sample's whole frames; false when the track grew beyond what is held.
bool append_sample(IMFSample& sample, pcm_audio& audio)
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
    const std::size_t frame_bytes = sizeof(float) * audio.channels;
    const std::size_t count = length / frame_bytes * audio.channels;
    const bool room = audio.samples.size() + count <= most_samples;
    if (room) {
        const std::size_t old = audio.samples.size();
        audio.samples.resize(old + count);
        std::memcpy(audio.samples.data() + old, bytes, count * sizeof(float));
    }
    buffer->Unlock();
    return room;
}

}  // namespace

media_foundation::media_foundation() noexcept
{
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    com_ = SUCCEEDED(com);
    const HRESULT started = ::MFStartup(MF_VERSION, MFSTARTUP_FULL);
    started_ = SUCCEEDED(started);
    if (!started_) {
        failure_ = "MFStartup failed: " + describe_media_result(started);
    }
}

media_foundation::~media_foundation()
{
    if (started_) {
        ::MFShutdown();
    }
    if (com_) {
        ::CoUninitialize();
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

decoded_audio read_with_media_foundation(const std::wstring& path)
{
    com_ptr<IMFSourceReader> reader;
    const HRESULT opened = ::MFCreateSourceReaderFromURL(path.c_str(), nullptr, reader.put());
    if (FAILED(opened)) {
        throw decode_error(describe_media_result(opened));
    }
    ask_for_floats(*reader.get());

    decoded_audio decoded;
    pcm_audio& audio = decoded.audio;
    read_format(*reader.get(), audio);
    const double stated = stated_seconds(*reader.get());
    try {
        reserve_for(stated, audio);
        for (;;) {
            DWORD flags = 0;
            LONGLONG timestamp = 0;
            com_ptr<IMFSample> sample;
            const HRESULT result = reader->ReadSample(audio_stream, 0, nullptr, &flags, &timestamp, sample.put());
            if (FAILED(result) || (flags & MF_SOURCE_READERF_ERROR) != 0) {
                decoded.stopped_early =
                    "the decoder failed: " + describe_media_result(FAILED(result) ? result : E_FAIL);
                break;
            }
            if ((flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) != 0) {
                pcm_audio changed;
                read_format(*reader.get(), changed);
                if (changed.channels != audio.channels || changed.sample_rate != audio.sample_rate) {
                    decoded.stopped_early = "the format changes part of the way through";
                    break;
                }
            }
            if (sample && !append_sample(*sample.get(), audio)) {
                decoded.stopped_early = "too long to hold; the rest is left out";
                break;
            }
            if ((flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0) {
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        decoded.stopped_early = "too long to hold in memory";
    }
    if (audio.frame_count() == 0) {
        throw decode_error(decoded.stopped_early.empty() ? "holds no sound" : decoded.stopped_early);
    }
    // Decoders that meet damage may just end there; a track well short of its stated length says so.
    const double decoded_seconds = static_cast<double>(audio.frame_count()) / audio.sample_rate;
    if (decoded.stopped_early.empty() && decoded_seconds < 0.9 * stated && decoded_seconds + 1.0 < stated) {
        char text[96];
        std::snprintf(text, sizeof text, "the rest of its %.1f s could not be decoded", stated);
        decoded.stopped_early = text;
    }
    return decoded;
}

}  // namespace pyrelle::standin
