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

// A player with `loaded` as its track, stopped at the start.
struct clocked_player {
    explicit clocked_player(const track& loaded) : subject([this] { return now_us; })
    {
        subject.load(std::make_shared<track>(loaded));
        subject.stop();
    }
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
    clocked_player f(counting_track("t", 1000));  // 100 s
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
    clocked_player f(counting_track("t", 10));
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
    clocked_player f(counting_track("t", 40));  // 4 s
    f.subject.play();
    f.now_us += 9'000'000;
    EXPECT_NEAR(time_of(f.subject), 1.0, 1e-9);
    std::shared_ptr<const track> playing;
    std::uint64_t frame = 0;
    ASSERT_TRUE(f.subject.current_frame(playing, frame));
    EXPECT_EQ(frame, 10u);
    EXPECT_TRUE(f.subject.played_through());  // a play list would have moved on at 4 s
}

TEST(Player, ALoadedTrackPlaysFromItsStartAndThePreviousOneStaysWithItsHolders)
{
    clocked_player f(counting_track("a", 100));
    f.subject.play();
    f.now_us += 3'000'000;
    const std::shared_ptr<const track> held = f.subject.playing_track();  // as the render thread holds it
    f.subject.pause();
    EXPECT_FALSE(f.subject.played_through());

    EXPECT_EQ(f.subject.load(std::make_shared<track>(counting_track("b", 100))), transition::new_track);
    EXPECT_EQ(f.subject.state(), playback_state::playing);  // also from Paused
    EXPECT_EQ(f.subject.current_track()->title, "b");
    EXPECT_DOUBLE_EQ(time_of(f.subject), 0.0);
    EXPECT_EQ(held->title, "a");
    EXPECT_EQ(held->audio.samples[99], 99.0f);
}

TEST(Player, WithoutATrackNothingPlays)
{
    player subject([] { return std::uint64_t{0}; });
    EXPECT_EQ(subject.play(), transition::none);
    EXPECT_EQ(subject.state(), playback_state::stopped);
    EXPECT_EQ(subject.current_track(), nullptr);
    EXPECT_FALSE(subject.played_through());
}

TEST(Player, RefusesTracksWithoutSamplesAndKeepsWhatItHad)
{
    clocked_player f(counting_track("kept", 4));
    track silent{"silent", {}};
    silent.audio.sample_rate = 44100;
    silent.audio.channels = 2;
    track no_rate = counting_track("x", 4);
    no_rate.audio.sample_rate = 0;
    for (const track& bad : {silent, no_rate}) {
        EXPECT_THROW(f.subject.load(std::make_shared<track>(bad)), std::invalid_argument) << bad.title;
    }
    EXPECT_THROW(f.subject.load(nullptr), std::invalid_argument);
    EXPECT_EQ(f.subject.current_track()->title, "kept");
    EXPECT_EQ(f.subject.state(), playback_state::stopped);
}

}  // namespace
}  // namespace pyrelle::standin
