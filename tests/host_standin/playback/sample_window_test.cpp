// The window of decoded samples: what readers get at, behind and beyond the playing position, how
// far the writer runs ahead, and how passes of a repeating track line up.
#include "host_standin/playback/sample_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <numeric>
#include <thread>

namespace pyrelle::standin {
namespace {

using samples = std::vector<float>;

// Mono at 10 Hz, so one second is 10 frames and a second's margin is min(10, capacity / 2).
constexpr std::uint32_t rate = 10;

samples counting(float from, std::size_t count)
{
    samples values(count);
    std::iota(values.begin(), values.end(), from);
    return values;
}

samples read(const sample_window& window, std::uint64_t first, std::uint32_t frames)
{
    samples out(frames, -1.0f);
    window.read(first, frames, out.data());
    return out;
}

void write(sample_window& window, float from, std::size_t count)
{
    const samples values = counting(from, count);
    ASSERT_TRUE(window.write(values.data(), count));
}

// Waits (a little) until the writer on another thread has written `frames`.
bool written_within_a_second(const sample_window& window, std::uint64_t frames)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (window.decoded_frames() < frames) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(SampleWindow, ReadsTheFramesAtThePosition)
{
    sample_window window(rate, 2, 30);
    const samples stereo = {0, -0, 1, -1, 2, -2, 3, -3};
    ASSERT_TRUE(window.write(stereo.data(), 4));
    samples out(4, -9.0f);
    EXPECT_EQ(window.read(1, 2, out.data()), 2u);
    EXPECT_EQ(out, (samples{1, -1, 2, -2}));
}

TEST(SampleWindow, FramesNotDecodedYetAreSilence)
{
    sample_window window(rate, 1, 30);
    write(window, 0, 10);
    samples out(4, -1.0f);
    EXPECT_EQ(window.read(8, 4, out.data()), 2u);
    EXPECT_EQ(out, (samples{8, 9, 0, 0}));
}

TEST(SampleWindow, AtTheEndOfTheTrackReadsGoRoundToItsStart)
{
    pcm_audio audio{rate, 1, counting(0, 10)};
    const auto whole = sample_window::holding(audio);
    EXPECT_EQ(read(*whole, 8, 4), (samples{8, 9, 0, 1}));
    EXPECT_EQ(read(*whole, 23, 1), (samples{3}));
}

TEST(SampleWindow, TheWriterStopsACapacityAheadOfWhatIsKept)
{
    sample_window window(rate, 1, 20);  // keeps 10 frames behind the position
    auto writer = std::async(std::launch::async, [&window] {
        const samples values = counting(0, 40);
        return window.write(values.data(), 40);
    });
    ASSERT_TRUE(written_within_a_second(window, 20));
    window.keep_from(15);  // now held: frames from 5 on stay, so the writer may reach 25
    ASSERT_TRUE(written_within_a_second(window, 25));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(window.decoded_frames(), 25u);
    EXPECT_EQ(read(window, 4, 2), (samples{0, 5}));  // frame 4 gave its place to frame 24
    window.cancel();
    EXPECT_FALSE(writer.get());
}

TEST(SampleWindow, ReadsWhilePausedGiveTheSameSamples)
{
    sample_window window(rate, 1, 20);
    write(window, 0, 20);
    window.keep_from(12);
    auto writer = std::async(std::launch::async, [&window] {
        const samples values = counting(20, 20);
        return window.write(values.data(), 20);
    });
    ASSERT_TRUE(written_within_a_second(window, 22));
    const samples before = read(window, 12, 6);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the writer waits meanwhile
    EXPECT_EQ(read(window, 12, 6), before);
    EXPECT_EQ(before, counting(12, 6));
    window.cancel();
    writer.get();
}

TEST(SampleWindow, ReadsAcrossTheEndOfALongTrackReachIntoTheNextPass)
{
    sample_window window(rate, 1, 8);  // keeps 4 frames behind; the track is 12 frames
    write(window, 0, 8);
    window.keep_from(6);
    write(window, 8, 2);
    window.keep_from(9);
    write(window, 10, 2);
    ASSERT_TRUE(window.end_pass());  // the window does not hold the whole track: go round
    window.keep_from(11);
    write(window, 100, 3);  // track frames 0, 1, 2 of the second pass
    EXPECT_EQ(window.length_frames(), 12u);
    EXPECT_EQ(read(window, 10, 5), (samples{10, 11, 100, 101, 102}));
}

TEST(SampleWindow, PlayingFromTheStartOnceItWasDroppedAsksTheDecoderToRestart)
{
    sample_window window(rate, 1, 8);
    write(window, 0, 8);
    window.keep_from(8);
    write(window, 8, 4);  // frame 0 is gone
    window.play_from_start();
    EXPECT_TRUE(window.take_restart());
    EXPECT_FALSE(window.take_restart());
    EXPECT_EQ(read(window, 0, 2), (samples{0, 0}));
    write(window, 50, 2);
    EXPECT_EQ(read(window, 0, 2), (samples{50, 51}));
}

TEST(SampleWindow, PlayingFromTheStartOfAWholeTrackNeedsNoRestart)
{
    const auto whole = sample_window::holding(pcm_audio{rate, 1, counting(0, 10)});
    whole->play_from_start();
    EXPECT_FALSE(whole->take_restart());
    EXPECT_EQ(read(*whole, 0, 2), (samples{0, 1}));
}

TEST(SampleWindow, WritesAfterARestartWasAskedForAreDropped)
{
    sample_window window(rate, 1, 8);
    write(window, 0, 8);
    window.keep_from(8);
    write(window, 8, 2);
    window.play_from_start();
    const samples stale = counting(10, 2);
    EXPECT_FALSE(window.write(stale.data(), 2));
    EXPECT_EQ(window.decoded_frames(), 0u);
}

TEST(SampleWindow, APassThatEndsAfterARestartWasAskedForFixesNoLength)
{
    sample_window window(rate, 1, 8);
    write(window, 0, 8);
    window.keep_from(8);
    write(window, 8, 2);
    window.play_from_start();  // as the decoder reaches the end of the file
    EXPECT_TRUE(window.end_pass());
    EXPECT_FALSE(window.length_known());
    EXPECT_TRUE(window.take_restart());
}

TEST(SampleWindow, TheFirstPassFixesTheLengthAndWhyItEndedEarly)
{
    sample_window window(rate, 1, 30, 25);
    EXPECT_EQ(window.length_frames(), 25u);  // stated, until decoding knows better
    write(window, 0, 12);
    EXPECT_FALSE(window.end_pass("the decoder failed"));
    EXPECT_TRUE(window.length_known());
    EXPECT_EQ(window.length_frames(), 12u);
    EXPECT_EQ(window.stopped_early(), "the decoder failed");
}

TEST(SampleWindow, CancelWakesAWriterWaitingForRoom)
{
    sample_window window(rate, 1, 4);
    auto writer = std::async(std::launch::async, [&window] {
        const samples values = counting(0, 10);
        return window.write(values.data(), 10);
    });
    ASSERT_TRUE(written_within_a_second(window, 4));
    window.cancel();
    EXPECT_FALSE(writer.get());
}

}  // namespace
}  // namespace pyrelle::standin
