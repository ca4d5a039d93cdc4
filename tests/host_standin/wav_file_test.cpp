// WAV files read through the multimedia file functions.
#include "host_standin/orvanel_host/wav_file.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "host_standin/orvanel_host/file_streams.h"
#include "support/win32_handles.h"
#include "tests/host_standin/wav_bytes.h"

namespace pyrelle::standin {
namespace {

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

    pcm_audio read(const bytes& file)
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
    const pcm_audio audio = read(make_wav({1, 2, 22050, 16}, data));
    EXPECT_EQ(audio.sample_rate, 22050u);
    EXPECT_EQ(audio.channels, 2u);
    EXPECT_EQ(audio.samples, (std::vector<float>{0.5f, -0.5f, 32767.0f / 32768.0f, -1.0f}));
}

TEST_F(WavFile, FloatSamplesArriveAsTheyAre)
{
    const pcm_audio audio = read(make_wav({3, 1, 8000, 32}, floats({0.25f, -2.0f, 1.0f})));
    EXPECT_EQ(audio.channels, 1u);
    EXPECT_EQ(audio.samples, (std::vector<float>{0.25f, -2.0f, 1.0f}));
}

TEST_F(WavFile, TheExtensibleHeaderIsReadByItsSubFormat)
{
    const pcm_audio audio = read(make_wav({0xFFFE, 2, 48000, 32, 3}, floats({0.5f, -0.5f})));
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
        const pcm_audio audio = read(make_wav(shape, data));
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

TEST_F(WavFile, ASongStaysOpenToOtherProgramsThatWriteIt)
{
    const bytes data = {0x00, 0x40, 0x00, 0xC0};
    read(make_wav({1, 2, 22050, 16}, data));
    const auto open_for_writing = [this] {
        return ::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    {
        // Another program writes the file while it plays.
        const std::unique_ptr<sound_source> playing = open_wav_file(path_);
        file_handle writer(open_for_writing());
        EXPECT_TRUE(writer) << "error " << ::GetLastError();
    }
    // A file that another program holds open for writing still plays.
    file_handle writer(open_for_writing());
    ASSERT_TRUE(writer);
    EXPECT_EQ(read_wav_file(path_).samples, (std::vector<float>{0.5f, -0.5f}));
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
