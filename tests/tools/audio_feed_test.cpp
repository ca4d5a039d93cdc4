// The samples that each frame of a render takes from a song: those from the frame's start time on.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/demo_track.h"
#include "tools/pyrelle/audio_feed.h"

namespace {

using pyrelle::pcm_audio;
using pyrelle::tools::chunk_sample_frames;

TEST(TimedFeed, DemoTrackFramesStartAtTheTimersTicks)
{
    const pcm_audio demo = pyrelle::demo::make_demo_track();
    const auto feed = pyrelle::tools::make_timed_feed(demo, 41);
    EXPECT_EQ(feed->expected_frames(), 196u) << "8 s at 41 ms: frames 0..195 start inside the track";
    std::vector<float> chunk;
    // Frame k starts at sample k x 41 x 44100 / 1000, rounded down: 1808 and 180810.
    for (const auto& [frame, first_sample] : {std::pair{1u, 1808u}, std::pair{100u, 180810u}}) {
        ASSERT_TRUE(feed->chunk_for_frame(frame, chunk));
        ASSERT_EQ(chunk.size(), 2u * chunk_sample_frames) << "stereo, interleaved";
        EXPECT_EQ(
            std::vector<float>(chunk.begin(), chunk.begin() + 8),
            std::vector<float>(demo.samples.begin() + 2 * first_sample, demo.samples.begin() + 2 * first_sample + 8))
            << frame;
    }
    EXPECT_FALSE(feed->chunk_for_frame(196, chunk)) << "past the end: no audio";
}

TEST(TimedFeed, LastShortChunkEndsInSilence)
{
    // 1 kHz, 10 ms frames: frame 2 starts at sample 20, 5 before the song's end.
    pcm_audio song;  // mono, every sample its own index + 1, so that a chunk shows where it began
    song.sample_rate = 1000;
    song.channels = 1;
    for (int i = 1; i <= 25; ++i) {
        song.samples.push_back(static_cast<float>(i));
    }
    const auto feed = pyrelle::tools::make_timed_feed(song, 10);
    EXPECT_EQ(feed->expected_frames(), 3u);
    std::vector<float> chunk(chunk_sample_frames, 99.0f);  // a reused buffer must not show through
    ASSERT_TRUE(feed->chunk_for_frame(2, chunk));
    ASSERT_EQ(chunk.size(), chunk_sample_frames);
    EXPECT_EQ(std::vector<float>(chunk.begin(), chunk.begin() + 6), (std::vector<float>{21, 22, 23, 24, 25, 0}));
    EXPECT_EQ(std::count(chunk.begin() + 5, chunk.end(), 0.0f), static_cast<long>(chunk_sample_frames - 5));
    EXPECT_FALSE(feed->chunk_for_frame(3, chunk));
}

TEST(TimedFeed, SinkGetsEverySampleOnceEvenWhenFramesOutlastTheirChunk)
{
    // 1 kHz, 5 s frames: each frame's time is 5000 sample frames, more than its chunk of 4096.
    pcm_audio song;
    song.sample_rate = 1000;
    song.channels = 1;
    for (int i = 1; i <= 17000; ++i) {
        song.samples.push_back(static_cast<float>(i));
    }
    const auto feed = pyrelle::tools::make_timed_feed(song, 5000);
    std::vector<float> heard;
    feed->send_samples_to([&](const float* s, std::size_t n) { heard.insert(heard.end(), s, s + n); });
    std::vector<float> chunk;
    for (std::uint32_t k = 0; k < 4; ++k) {
        ASSERT_TRUE(feed->chunk_for_frame(k, chunk));
        EXPECT_GE(heard.size(), std::min<std::size_t>(5000 * (k + 1), 17000)) << "the video's sound keeps up";
    }
    EXPECT_FALSE(feed->chunk_for_frame(4, chunk));
    EXPECT_EQ(heard, song.samples);
}

TEST(SoundDecoder, SixteenBitSamplesArriveAsTheirValueOver32768)
{
    char folder[] = "/tmp/pyrelle-decoder-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string dir = folder;
    const std::string make = "cd " + dir +
                             " && ffmpeg -v error -f lavfi -i sine=frequency=330:duration=1 -af "
                             "'pan=stereo|c0=c0|c1=-0.5*c0' -f s16le song.s16 && for f in wav flac; do ffmpeg -v "
                             "error -f s16le -ar 44100 -ac 2 -i song.s16 song.$f || exit 1; done";
    ASSERT_EQ(std::system(make.c_str()), 0);
    std::ifstream s16_file(dir + "/song.s16", std::ios::binary);
    const std::string s16((std::istreambuf_iterator<char>(s16_file)), std::istreambuf_iterator<char>());
    std::vector<float> expected;
    for (std::size_t i = 0; i + 1 < s16.size(); i += 2) {
        const auto low = static_cast<std::uint8_t>(s16[i]), high = static_cast<std::uint8_t>(s16[i + 1]);
        expected.push_back(static_cast<std::int16_t>(low | high << 8) / 32768.0f);
    }
    for (const char* kind : {"wav", "flac"}) {
        const auto song = pyrelle::tools::open_sound_file(dir + "/song." + kind);
        EXPECT_EQ(song->format().sample_rate, 44100u) << kind;
        EXPECT_EQ(song->format().channels, 2u) << kind;
        std::vector<float> samples;
        while (song->read(samples)) {
        }
        EXPECT_EQ(samples, expected) << kind << ": interleaved, unscaled but for 1 / 32768";
    }
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace
