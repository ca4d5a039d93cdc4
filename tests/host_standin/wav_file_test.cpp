// WAV files read through the multimedia file functions.
#include "host_standin/orvanel_host/wav_file.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "host_standin/orvanel_host/file_streams.h"

namespace pyrelle::standin {
namespace {

using bytes = std::vector<std::uint8_t>;

void put16(bytes& b, std::uint32_t v) { b.push_back(v & 0xFF), b.push_back(v >> 8 & 0xFF); }
void put32(bytes& b, std::uint32_t v) { put16(b, v & 0xFFFF), put16(b, v >> 16); }
void put_tag(bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

struct wav_shape {
    std::uint16_t tag;  // 1 PCM, 3 float, 0xFFFE extensible
    std::uint16_t channels;
    std::uint32_t rate;
    std::uint16_t bits;
    std::uint16_t sub_tag = 0;        // extensible: the sub-format's first field
    std::uint32_t declared_data = 0;  // 0: the data's real size
};

// RIFF 'WAVE' with a 'fmt ' chunk (16 bytes, or 40 for the extensible form) and a 'data' chunk.
bytes make_wav(const wav_shape& shape, const bytes& data)
{
    const bool extensible = shape.tag == 0xFFFE;
    bytes fmt;
    put16(fmt, shape.tag);
    put16(fmt, shape.channels);
    put32(fmt, shape.rate);
    put32(fmt, shape.rate * shape.channels * shape.bits / 8);                 // bytes per second
    put16(fmt, static_cast<std::uint16_t>(shape.channels * shape.bits / 8));  // block align
    put16(fmt, shape.bits);
    if (extensible) {
        put16(fmt, 22);             // extra bytes
        put16(fmt, shape.bits);     // valid bits
        put32(fmt, 3);              // channel mask
        put32(fmt, shape.sub_tag);  // sub-format GUID {0000000x-0000-0010-8000-00AA00389B71}
        const std::uint8_t rest[] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        fmt.insert(fmt.end(), rest, rest + sizeof rest);
    }
    bytes body;
    put_tag(body, "WAVE");
    put_tag(body, "fmt ");
    put32(body, static_cast<std::uint32_t>(fmt.size()));
    body.insert(body.end(), fmt.begin(), fmt.end());
    put_tag(body, "data");
    put32(body, shape.declared_data ? shape.declared_data : static_cast<std::uint32_t>(data.size()));
    body.insert(body.end(), data.begin(), data.end());
    bytes file;
    put_tag(file, "RIFF");
    put32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

bytes floats(std::initializer_list<float> values)
{
    bytes b(values.size() * 4);
    std::memcpy(b.data(), values.begin(), b.size());
    return b;
}

class WavFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t folder[MAX_PATH];
        ::GetTempPathW(MAX_PATH, folder);
        path_ = std::wstring(folder) + L"orvanel-wav-" + std::to_wstring(::GetCurrentProcessId()) + L".wav";
    }
    void TearDown() override { ::DeleteFileW(path_.c_str()); }

    demo::pcm_audio read(const bytes& file)
    {
        file_writer writer(path_);
        never_abort abort;
        writer.write(file.data(), static_cast<std::uint32_t>(file.size()), abort);
        writer.finish();
        return read_wav_file(path_);
    }

    std::wstring path_;
};

TEST_F(WavFile, SixteenBitPcmBecomesFloats)
{
    // Two stereo frames: (0x4000, 0xC000) and (0x7FFF, 0x8000), little-endian.
    const bytes data = {0x00, 0x40, 0x00, 0xC0, 0xFF, 0x7F, 0x00, 0x80};
    const demo::pcm_audio audio = read(make_wav({1, 2, 22050, 16}, data));
    EXPECT_EQ(audio.sample_rate, 22050u);
    EXPECT_EQ(audio.channels, 2u);
    EXPECT_EQ(audio.samples, (std::vector<float>{0.5f, -0.5f, 32767.0f / 32768.0f, -1.0f}));
}

TEST_F(WavFile, FloatSamplesArriveAsTheyAre)
{
    const demo::pcm_audio audio = read(make_wav({3, 1, 8000, 32}, floats({0.25f, -2.0f, 1.0f})));
    EXPECT_EQ(audio.channels, 1u);
    EXPECT_EQ(audio.samples, (std::vector<float>{0.25f, -2.0f, 1.0f}));
}

TEST_F(WavFile, TheExtensibleHeaderIsReadByItsSubFormat)
{
    const demo::pcm_audio audio = read(make_wav({0xFFFE, 2, 48000, 32, 3}, floats({0.5f, -0.5f})));
    EXPECT_EQ(audio.sample_rate, 48000u);
    EXPECT_EQ(audio.samples, (std::vector<float>{0.5f, -0.5f}));
}

TEST_F(WavFile, DataThatEndsEarlyGivesTheWholeFramesItHolds)
{
    // Holds one whole stereo frame and half of the next; declares more, up to the size that
    // streaming recorders leave behind.
    const bytes data = {0x00, 0x40, 0x00, 0x40, 0x00, 0x20};
    for (const std::uint32_t declared : {16u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        wav_shape shape{1, 2, 44100, 16};
        shape.declared_data = declared;
        const demo::pcm_audio audio = read(make_wav(shape, data));
        EXPECT_EQ(audio.samples, (std::vector<float>{0.5f, 0.5f})) << "declared " << declared;
    }
}

TEST_F(WavFile, RefusesWhatItCannotPlay)
{
    const bytes two_frames(8, 0);
    const std::vector<bytes> refused = {
        make_wav({1, 2, 44100, 8}, two_frames),                     // 8-bit PCM
        make_wav({1, 2, 44100, 24}, bytes(12, 0)),                  // 24-bit PCM
        make_wav({0xFFFE, 2, 44100, 16, 2}, two_frames),            // ADPCM inside the extensible form
        make_wav({1, 0, 44100, 16}, two_frames),                    // no channels
        make_wav({1, 2, 0, 16}, two_frames),                        // no rate
        make_wav({1, 2, 44100, 16}, bytes{}),                       // no samples
        bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '},  // another RIFF form
        bytes{'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'},
    };
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_THROW(read(refused[i]), wav_error) << "case " << i;
    }
}

TEST_F(WavFile, AMissingFileIsNamedInTheError)
{
    try {
        read_wav_file(path_ + L".missing");
        FAIL() << "no error";
    } catch (const wav_error& error) {
        EXPECT_NE(std::string(error.what()).find(".missing"), std::string::npos);
    }
}

}  // namespace
}  // namespace pyrelle::standin
