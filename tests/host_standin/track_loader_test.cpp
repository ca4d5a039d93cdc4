// Sound files opened for decoding: which reader takes a file, that both give the same samples, and
// what a file that gives no track says through its decoder.
#include "host_standin/orvanel_host/track_loader.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "host_standin/orvanel_host/file_streams.h"
#include "host_standin/orvanel_host/media_foundation_reader.h"
#include "host_standin/orvanel_host/wide_text.h"
#include "tests/host_standin/wav_bytes.h"

namespace pyrelle::standin {
namespace {

// Every block a source gives, as one piece of audio.
pcm_audio decode_all(sound_source& source)
{
    pcm_audio audio{source.rate(), source.channels(), {}};
    std::vector<float> block;
    while (source.next_block(block)) {
        audio.samples.insert(audio.samples.end(), block.begin(), block.end());
    }
    return audio;
}

// What the player makes of a file, as it does on a decoder's thread: the failure ("NAME: reason"),
// or "" when the file plays.
std::string failure_of(const std::wstring& path)
{
    track_decoder decoder(narrow(file_name_of(path)), [path] { return open_track_source(path, true); }, {}, 1);
    for (int waited = 0; waited < 10000 && decoder.stage() == decoder_stage::opening; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return decoder.failure();
}

class TrackLoader : public ::testing::Test {
protected:
    static void SetUpTestSuite() { decoders_ = std::make_unique<media_foundation>(); }
    static void TearDownTestSuite() { decoders_.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(decoders_->ready()) << decoders_->failure();
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"orvanel-tracks-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const std::wstring& path : written_) {
            ::DeleteFileW(path.c_str());
            ::RemoveDirectoryW(path.c_str());
        }
        ::RemoveDirectoryW(folder_.c_str());
    }

    std::wstring write(const std::wstring& name, const bytes& content)
    {
        const std::wstring path = folder_ + L"\\" + name;
        file_writer writer(path);
        never_abort abort;
        writer.write(content.data(), static_cast<std::uint32_t>(content.size()), abort);
        writer.finish();
        written_.push_back(path);
        return path;
    }

    static bytes read_back(const std::wstring& path)
    {
        file_reader reader(path);
        never_abort abort;
        bytes content(1 << 16);
        content.resize(reader.read(content.data(), static_cast<std::uint32_t>(content.size()), abort));
        return content;
    }

    static std::unique_ptr<media_foundation> decoders_;
    std::wstring folder_;
    std::vector<std::wstring> written_;
};
std::unique_ptr<media_foundation> TrackLoader::decoders_;

TEST_F(TrackLoader, BothReadersGiveEachSixteenBitSampleAsItsValueOver32768InTheFilesChannelOrder)
{
    // Left rises from -32768, right falls from 32767: a swap, a wrong scale or a resampling shows.
    bytes data;
    std::vector<float> expected;
    for (int i = 0; i < 3000; ++i) {
        const int left = -32768 + i * 21, right = 32767 - i * 13;
        put16(data, static_cast<std::uint16_t>(left));
        put16(data, static_cast<std::uint16_t>(right));
        expected.push_back(static_cast<float>(left) / 32768.0f);
        expected.push_back(static_cast<float>(right) / 32768.0f);
    }
    const std::wstring path =
        write(L"\u00dcn\u00efc\u00f8d\u00e9 \u2014 \u66f2.wav", make_wav({1, 2, 22050, 16}, data));

    const std::unique_ptr<sound_source> wav = open_track_source(path, true);
    EXPECT_STREQ(wav->reader_name(), "WAV reader");
    EXPECT_EQ(wav->stated_frames(), 3000u);
    EXPECT_EQ(decode_all(*wav).samples, expected);
    EXPECT_EQ(narrow(file_name_of(path)),
              "\xC3\x9Cn\xC3\xAF"
              "c\xC3\xB8"
              "d\xC3\xA9 \xE2\x80\x94 \xE6\x9B\xB2.wav");

    const std::unique_ptr<sound_source> system = open_with_media_foundation(path);
    const pcm_audio decoded = decode_all(*system);
    EXPECT_EQ(decoded.sample_rate, 22050u);
    EXPECT_EQ(decoded.channels, 2u);
    EXPECT_EQ(decoded.samples, expected);
    // From the start again, as a repeating track is.
    system->rewind();
    EXPECT_EQ(decode_all(*system).samples, expected);
}

TEST_F(TrackLoader, WavFilesTheWavReaderRefusesGoToTheSystemsDecoders)
{
    // 8-bit samples are unsigned: 0x80 is silence, 0xC0 half way up.
    const std::wstring path = write(L"eight-bit.wav", make_wav({1, 1, 8000, 8}, bytes(800, 0xC0)));
    const std::unique_ptr<sound_source> source = open_track_source(path, true);
    EXPECT_STREQ(source->reader_name(), "Media Foundation");
    const pcm_audio audio = decode_all(*source);
    ASSERT_EQ(audio.frame_count(), 800u);
    EXPECT_EQ(audio.samples[400], 0.5f);

    try {
        open_track_source(path, false);
        FAIL() << "played without decoders";
    } catch (const track_error& error) {
        EXPECT_NE(std::string(error.what()).find("decoders are unavailable"), std::string::npos) << error.what();
    }
}

TEST_F(TrackLoader, AFileThatGivesNoTrackIsNamedWithTheReasonAndLeftAsItWas)
{
    bytes noise(5000);
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
    }
    bytes truncated = make_wav({1, 2, 44100, 16}, bytes(4000, 1));
    truncated.resize(30);  // the header breaks off inside 'fmt '
    struct row {
        const wchar_t* name;
        bytes content;
        const char* reason;  // part of the reason; null: any
    };
    const row rows[] = {
        {L"photo.mp3", noise, nullptr},
        {L"empty.mp3", {}, "the file is empty"},
        {L"truncated.wav", truncated, nullptr},
    };
    for (const row& r : rows) {
        const std::wstring path = write(r.name, r.content);
        const std::string what = failure_of(path);
        const std::string name(r.name, r.name + std::wcslen(r.name));
        EXPECT_EQ(what.rfind(name + ": ", 0), 0u) << what;
        EXPECT_GT(what.size(), name.size() + 6) << what;
        if (r.reason != nullptr) {
            EXPECT_NE(what.find(r.reason), std::string::npos) << what;
        }
        EXPECT_EQ(read_back(path), r.content);
    }

    const std::wstring folder = folder_ + L"\\album.mp3";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    written_.push_back(folder);
    EXPECT_EQ(failure_of(folder), "album.mp3: a folder, not a sound file");
    EXPECT_THROW(open_track_source(folder_ + L"\\missing.flac", true), track_error);
}

}  // namespace
}  // namespace pyrelle::standin
