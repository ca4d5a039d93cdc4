// Sound files made into tracks: which reader takes a file, that both give the same samples, and
// what a file that gives no track says.
#include "host_standin/orvanel_host/track_loader.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>

#include "host_standin/orvanel_host/file_streams.h"
#include "host_standin/orvanel_host/media_foundation_reader.h"
#include "tests/host_standin/wav_bytes.h"

namespace pyrelle::standin {
namespace {

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

    const loaded_track loaded = load_track(path, true);
    EXPECT_STREQ(loaded.reader, "WAV reader");
    EXPECT_EQ(loaded.playable->title,
              "\xC3\x9Cn\xC3\xAF"
              "c\xC3\xB8"
              "d\xC3\xA9 \xE2\x80\x94 \xE6\x9B\xB2.wav");
    EXPECT_EQ(loaded.playable->audio.samples, expected);

    const decoded_audio decoded = read_with_media_foundation(path);
    EXPECT_EQ(decoded.audio.sample_rate, 22050u);
    EXPECT_EQ(decoded.audio.channels, 2u);
    EXPECT_EQ(decoded.audio.samples, expected);
    EXPECT_EQ(decoded.stopped_early, "");
}

TEST_F(TrackLoader, WavFilesTheWavReaderRefusesGoToTheSystemsDecoders)
{
    // 8-bit samples are unsigned: 0x80 is silence, 0xC0 half way up.
    const std::wstring path = write(L"eight-bit.wav", make_wav({1, 1, 8000, 8}, bytes(800, 0xC0)));
    const loaded_track loaded = load_track(path, true);
    EXPECT_STREQ(loaded.reader, "Media Foundation");
    ASSERT_EQ(loaded.playable->audio.frame_count(), 800u);
    EXPECT_EQ(loaded.playable->audio.samples[400], 0.5f);

    try {
        load_track(path, false);
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
        try {
            load_track(path, true);
            ADD_FAILURE() << "no error for case " << r.content.size();
        } catch (const track_error& error) {
            const std::string what = error.what();
            const std::string name(r.name, r.name + std::wcslen(r.name));
            EXPECT_EQ(what.rfind(name + ": ", 0), 0u) << what;
            EXPECT_GT(what.size(), name.size() + 6) << what;
            if (r.reason != nullptr) {
                EXPECT_NE(what.find(r.reason), std::string::npos) << what;
            }
        }
        EXPECT_EQ(read_back(path), r.content);
    }

    const std::wstring folder = folder_ + L"\\album.mp3";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    written_.push_back(folder);
    EXPECT_THROW(load_track(folder, true), track_error);
    EXPECT_THROW(load_track(folder_ + L"\\missing.flac", true), track_error);
}

}  // namespace
}  // namespace pyrelle::standin
