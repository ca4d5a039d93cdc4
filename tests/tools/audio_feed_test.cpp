// The samples that each frame of a render takes from a song: those from the frame's start time on.
#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(feed->frame_count(), 196u) << "8 s at 41 ms: frames 0..195 start inside the track";
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
    for (int i = 1; i <= 25; ++i)
        song.samples.push_back(static_cast<float>(i));
    const auto feed = pyrelle::tools::make_timed_feed(song, 10);
    EXPECT_EQ(feed->frame_count(), 3u);
    std::vector<float> chunk(chunk_sample_frames, 99.0f);  // a reused buffer must not show through
    ASSERT_TRUE(feed->chunk_for_frame(2, chunk));
    ASSERT_EQ(chunk.size(), chunk_sample_frames);
    EXPECT_EQ(std::vector<float>(chunk.begin(), chunk.begin() + 6), (std::vector<float>{21, 22, 23, 24, 25, 0}));
    EXPECT_EQ(std::count(chunk.begin() + 5, chunk.end(), 0.0f), static_cast<long>(chunk_sample_frames - 5));
    EXPECT_FALSE(feed->chunk_for_frame(3, chunk));
}

}  // namespace
