// The play queue's policy: which entry opens next, what is skipped, where a walk ends.
#include "host_standin/playback/play_queue.h"

#include <gtest/gtest.h>

namespace pyrelle::standin {
namespace {

std::vector<std::wstring> files(std::size_t count)
{
    std::vector<std::wstring> names;
    for (std::size_t i = 0; i < count; ++i) {
        names.push_back(L"song" + std::to_wstring(i));
    }
    return names;
}

// A queue of `count` files with `current` the current entry.
play_queue queue_at(std::size_t count, std::size_t current)
{
    play_queue queue;
    queue.add(files(count));
    for (std::size_t i = 0; i < current; ++i) {
        queue.failed();  // as if the files before `current` could not play
    }
    queue.opened();
    return queue;
}

void expect_open(const queue_move& move, std::size_t entry, bool play = true)
{
    EXPECT_EQ(move.what, queue_move::open);
    EXPECT_EQ(move.entry, entry);
    EXPECT_EQ(move.play, play);
}

TEST(PlayQueue, StartUpOpensTheFirstFileStoppedAndSkipsWhatCannotPlay)
{
    play_queue queue;
    queue.add(files(3));
    expect_open(queue.start(), 0, false);
    expect_open(queue.failed(), 1, false);
    queue.opened();
    EXPECT_EQ(queue.current(), 1u);
    EXPECT_TRUE(queue.has_current());
    EXPECT_FALSE(queue.walking());
}

TEST(PlayQueue, TheDemoTrackPlaysWithoutAListOrWhenNothingOfItPlays)
{
    play_queue none;
    EXPECT_EQ(none.start().what, queue_move::demo);

    play_queue broken;
    broken.add(files(2));
    broken.start();
    broken.failed();
    EXPECT_EQ(broken.failed().what, queue_move::demo);
    EXPECT_FALSE(broken.has_current());
    EXPECT_FALSE(broken.moves_on_at_end());  // no retrying the list at every end of the demo
}

TEST(PlayQueue, NextAndPreviousGoRoundTheList)
{
    const struct {
        std::size_t current;
        long direction;
        std::size_t opened;
    } cases[] = {{0, 1, 1}, {2, 1, 0}, {0, -1, 2}, {1, -1, 0}};
    for (const auto& c : cases) {
        play_queue queue = queue_at(3, c.current);
        ASSERT_EQ(queue.current(), c.current);
        expect_open(queue.step(c.direction), c.opened);
    }
}

TEST(PlayQueue, AStepThatFindsNothingPlayableEndsOnTheCurrentEntryAndThenStays)
{
    play_queue queue = queue_at(3, 1);
    expect_open(queue.step(1), 2);
    expect_open(queue.failed(), 0);
    expect_open(queue.failed(), 1);  // the current file itself is tried last
    EXPECT_EQ(queue.failed().what, queue_move::stay);
    EXPECT_EQ(queue.current(), 1u);
}

TEST(PlayQueue, ASingleFileOrTheDemoStartsAgain)
{
    EXPECT_EQ(queue_at(1, 0).step(1).what, queue_move::restart);
    play_queue demo;
    demo.start();
    EXPECT_EQ(demo.step(-1).what, queue_move::restart);
}

TEST(PlayQueue, OnlyAListOfSeveralFilesMovesOnAtATracksEnd)
{
    EXPECT_FALSE(queue_at(1, 0).moves_on_at_end());
    EXPECT_TRUE(queue_at(2, 0).moves_on_at_end());
}

TEST(PlayQueue, AddedFilesPlayFromTheFirstAddedThatPlays)
{
    play_queue queue = queue_at(2, 1);
    expect_open(queue.add(files(3)), 2);
    expect_open(queue.failed(), 3);
    expect_open(queue.failed(), 4);
    EXPECT_EQ(queue.failed().what, queue_move::stay);  // none did: what played goes on
    EXPECT_EQ(queue.current(), 1u);
    EXPECT_EQ(queue.size(), 5u);
}

TEST(PlayQueue, NextDuringAnOpenGoesOnFromTheEntryBeingOpened)
{
    play_queue queue = queue_at(4, 0);
    expect_open(queue.step(1), 1);
    expect_open(queue.step(1), 2);
    queue.opened();
    EXPECT_EQ(queue.current(), 2u);
}

TEST(PlayQueue, PlayDuringTheStartUpOpenPlaysTheTrackOnceOpen)
{
    play_queue queue;
    queue.add(files(2));
    queue.start();
    queue.play_when_opened();
    expect_open(queue.failed(), 1, true);
}

TEST(PlayQueue, StopDuringAnOpenLeavesTheTrackStoppedOnceOpen)
{
    play_queue queue = queue_at(3, 0);
    expect_open(queue.step(1), 1, true);
    queue.stop_when_opened();
    EXPECT_FALSE(queue.opening_plays());
    expect_open(queue.failed(), 2, false);
    // A later Next plays again.
    expect_open(queue.step(1), 0, true);
}

}  // namespace
}  // namespace pyrelle::standin
