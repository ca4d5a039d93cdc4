// The player's states and clock, and the looping of its tracks.
#include "host_standin/orvanel_host/player.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pyrelle::standin {
namespace {

// A mono track of `frames` frames at 10 Hz whose sample i is i, so positions are easy to read.
track counting_track(const char* title, std::uint32_t frames, std::uint32_t channels = 1)
{
    track t{title, {}};
    t.audio.sample_rate = 10;
    t.audio.channels = channels;
    for (std::uint32_t i = 0; i < frames * channels; ++i) {
        t.audio.samples.push_back(static_cast<float>(i));
    }
    return t;
}

struct clocked_player {
    explicit clocked_player(std::vector<track> tracks) : subject(std::move(tracks), [this] { return now_us; }) {}
    std::uint64_t now_us = 5'000'000;
    player subject;
};

double time_of(const player& p)
{
    double seconds = -1.0;
    EXPECT_TRUE(p.current_time(seconds));
    return seconds;
}

TEST(Player, FrameAtWrapsAroundTheTrack)
{
    EXPECT_EQ(frame_at(0.0, 10, 50), 0u);
    EXPECT_EQ(frame_at(0.09, 10, 50), 0u);
    EXPECT_EQ(frame_at(0.1, 10, 50), 1u);
    EXPECT_EQ(frame_at(4.95, 10, 50), 49u);
    EXPECT_EQ(frame_at(5.0, 10, 50), 0u);
    EXPECT_EQ(frame_at(12.3, 10, 50), 23u);
    EXPECT_EQ(frame_at(-1.0, 10, 50), 0u);
    EXPECT_EQ(frame_at(1.0, 10, 0), 0u);
}

TEST(Player, CopiedFramesContinueFromTheStartAtTheEnd)
{
    const track t = counting_track("t", 5, 2);  // frames (0,1) (2,3) (4,5) (6,7) (8,9)
    std::vector<float> out(2 * 7, -1.0f);
    copy_looped_frames(t.audio, 3, 7, out.data());
    EXPECT_EQ(out, (std::vector<float>{6, 7, 8, 9, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    std::vector<float> many(2 * 12);
    copy_looped_frames(t.audio, 13, 12, many.data());  // starts at frame 3, wraps twice
    EXPECT_EQ(many[0], 6.0f);
    EXPECT_EQ(many[2 * 2], 0.0f);
    EXPECT_EQ(many[2 * 7], 0.0f);
    EXPECT_EQ(many[2 * 11 + 1], 9.0f);  // frame 4
}

TEST(Player, ClockRunsOnlyWhilePlaying)
{
    clocked_player f({counting_track("t", 1000)});  // 100 s
    double seconds = 0.0;
    EXPECT_FALSE(f.subject.current_time(seconds));
    EXPECT_EQ(f.subject.playing_track(), nullptr);

    EXPECT_EQ(f.subject.play(), transition::new_track);
    f.now_us += 2'500'000;
    EXPECT_DOUBLE_EQ(time_of(f.subject), 2.5);

    EXPECT_EQ(f.subject.pause(), transition::paused);
    f.now_us += 10'000'000;
    EXPECT_DOUBLE_EQ(time_of(f.subject), 2.5);  // paused: the position stands

    EXPECT_EQ(f.subject.play(), transition::resumed);  // play while paused resumes
    f.now_us += 1'000'000;
    EXPECT_DOUBLE_EQ(time_of(f.subject), 3.5);

    EXPECT_EQ(f.subject.stop(), transition::stopped);
    EXPECT_FALSE(f.subject.current_time(seconds));
    EXPECT_EQ(f.subject.play(), transition::new_track);  // from the start again
    EXPECT_DOUBLE_EQ(time_of(f.subject), 0.0);
}

TEST(Player, RequestsThatDoNotApplyChangeNothing)
{
    clocked_player f({counting_track("t", 10)});
    EXPECT_EQ(f.subject.pause(), transition::none);
    EXPECT_EQ(f.subject.resume(), transition::none);
    EXPECT_EQ(f.subject.stop(), transition::none);
    EXPECT_EQ(f.subject.state(), playback_state::stopped);
    f.subject.play();
    EXPECT_EQ(f.subject.play(), transition::none);
    EXPECT_EQ(f.subject.resume(), transition::none);
    f.subject.pause();
    EXPECT_EQ(f.subject.pause(), transition::none);
}

TEST(Player, TheTrackRepeats)
{
    clocked_player f({counting_track("t", 40)});  // 4 s
    f.subject.play();
    f.now_us += 9'000'000;
    EXPECT_NEAR(time_of(f.subject), 1.0, 1e-9);
    const track* playing = nullptr;
    std::uint64_t frame = 0;
    ASSERT_TRUE(f.subject.current_frame(playing, frame));
    EXPECT_EQ(frame, 10u);
}

TEST(Player, NextMovesOnAndStartsPlayingFromTheStart)
{
    clocked_player f({counting_track("a", 100), counting_track("b", 100)});
    EXPECT_EQ(f.subject.next(), transition::new_track);  // also from Stopped
    EXPECT_EQ(f.subject.state(), playback_state::playing);
    EXPECT_EQ(f.subject.current_track().title, "b");
    f.now_us += 3'000'000;
    f.subject.pause();
    EXPECT_EQ(f.subject.next(), transition::new_track);
    EXPECT_EQ(f.subject.current_track().title, "a");  // after the last, the first
    EXPECT_EQ(f.subject.state(), playback_state::playing);
    EXPECT_DOUBLE_EQ(time_of(f.subject), 0.0);
}

TEST(Player, RefusesTracksWithoutSamples)
{
    EXPECT_THROW(player({}), std::invalid_argument);
    track silent{"silent", {}};
    silent.audio.sample_rate = 44100;
    silent.audio.channels = 2;
    EXPECT_THROW(player({silent}), std::invalid_argument);
    track no_rate = counting_track("x", 4);
    no_rate.audio.sample_rate = 0;
    EXPECT_THROW(player({no_rate}), std::invalid_argument);
}

}  // namespace
}  // namespace pyrelle::standin
