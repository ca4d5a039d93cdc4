// The player's states and clock, and the looping of its tracks.
#include "host_standin/playback/player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>

namespace pyrelle::standin {
namespace {

// A mono track of `frames` frames at 10 Hz whose sample i is i, so positions are easy to read.
track counting_track(const char* title, std::uint32_t frames)
{
    pcm_audio audio;
    audio.sample_rate = 10;
    audio.channels = 1;
    for (std::uint32_t i = 0; i < frames; ++i) {
        audio.samples.push_back(static_cast<float>(i));
    }
    return track{title, sample_window::holding(audio)};
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
    EXPECT_EQ(frame_at(12.3, 10, 0), 123u);  // a length not known yet: no repeat
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
    float last = 0.0f;
    held->samples->read(99, 1, &last);
    EXPECT_EQ(last, 99.0f);
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
    EXPECT_THROW(f.subject.load(std::make_shared<track>(track{"no window", nullptr})), std::invalid_argument);
    EXPECT_THROW(f.subject.load(nullptr), std::invalid_argument);
    EXPECT_EQ(f.subject.current_track()->title, "kept");
    EXPECT_EQ(f.subject.state(), playback_state::stopped);
}

TEST(Player, PlayAfterStopAsksTheDecoderForTheStartAgain)
{
    player subject([] { return std::uint64_t{0}; });
    auto stream = std::make_shared<sample_window>(10, 1, 8);
    subject.load(std::make_shared<track>(track{"long", stream}));
    const std::vector<float> frames(12, 0.5f);
    ASSERT_TRUE(stream->write(frames.data(), 8));
    stream->keep_from(8);
    ASSERT_TRUE(stream->write(frames.data(), 4));  // frame 0 is gone
    subject.stop();
    EXPECT_FALSE(stream->take_restart());
    subject.play();
    EXPECT_TRUE(stream->take_restart());
}

TEST(Player, AskingForThePositionLetsTheDecoderRunOnFromIt)
{
    std::uint64_t now_us = 0;
    player subject([&now_us] { return now_us; });
    auto stream = std::make_shared<sample_window>(10, 1, 20);  // keeps 10 frames behind the position
    subject.load(std::make_shared<track>(track{"long", stream}));
    const std::vector<float> frames(20, 0.5f);
    ASSERT_TRUE(stream->write(frames.data(), 20));  // full while the position is at 0
    now_us = 1'500'000;
    double seconds = 0.0;
    ASSERT_TRUE(subject.current_time(seconds));  // frame 15: frames from 5 on are kept
    auto writer = std::async(std::launch::async, [&] { return stream->write(frames.data(), 5); });
    EXPECT_EQ(writer.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    stream->cancel();
}

TEST(Player, WithNoLengthKnownThePositionRunsOn)
{
    // Stated length unknown and the first pass still going: the clock must not wrap at 0 frames.
    auto open_track = std::make_shared<track>(track{"stream", std::make_shared<sample_window>(10, 1, 40)});
    std::uint64_t now_us = 0;
    player clocked([&now_us] { return now_us; });
    clocked.load(open_track);
    now_us = 7'000'000;
    double seconds = 0.0;
    ASSERT_TRUE(clocked.current_time(seconds));
    EXPECT_DOUBLE_EQ(seconds, 7.0);
    EXPECT_FALSE(clocked.played_through());
}

}  // namespace
}  // namespace pyrelle::standin
