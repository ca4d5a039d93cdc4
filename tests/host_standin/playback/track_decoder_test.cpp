// The decoder thread: when a track becomes playable, what a failing file leaves, and that it
// ends when asked, whatever it waits for.
#include "host_standin/playback/track_decoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <stdexcept>

namespace pyrelle::standin {
namespace {

// Mono at 100 Hz: blocks of 10 frames counting on from 0, as many as `blocks` (-1: endless),
// then the end of the file or, with `failure`, an exception.
class counting_source final : public sound_source {
public:
    counting_source(int blocks, std::string failure, std::uint64_t stated, std::atomic<int>& rewinds)
        : blocks_(blocks), failure_(std::move(failure)), stated_(stated), rewinds_(rewinds)
    {
    }
    const char* reader_name() const override { return "counting"; }
    std::uint32_t rate() const override { return 100; }
    std::uint32_t channels() const override { return 1; }
    std::uint64_t stated_frames() const override { return stated_; }
    bool next_block(std::vector<float>& block) override
    {
        if (blocks_ >= 0 && given_ == blocks_) {
            if (!failure_.empty()) {
                throw std::runtime_error(failure_);
            }
            return false;
        }
        block.resize(10);
        for (float& value : block) {
            value = static_cast<float>(next_++);
        }
        ++given_;
        return true;
    }
    void rewind() override
    {
        ++rewinds_;
        given_ = 0;
        next_ = 0;
    }

private:
    int blocks_;
    std::string failure_;
    std::uint64_t stated_;
    std::atomic<int>& rewinds_;
    int given_ = 0;
    int next_ = 0;
};

// Counts the decoder's news, so that a test can wait for what it expects.
struct news {
    std::mutex lock;
    std::condition_variable arrived;
    template <typename Condition>
    bool await(Condition condition)
    {
        std::unique_lock<std::mutex> hold(lock);
        return arrived.wait_for(hold, std::chrono::seconds(2), condition);
    }
    track_decoder::notifier notifier()
    {
        return [this] {
            std::lock_guard<std::mutex> hold(lock);
            arrived.notify_all();
        };
    }
};

struct decoding {
    decoding(int blocks, std::string failure = {}, std::uint64_t stated = 0)
        : decoder(
              "song.flac",
              [this, blocks, failure, stated] {
                  return std::make_unique<counting_source>(blocks, failure, stated, rewinds);
              },
              events.notifier(), 1)
    {
    }
    bool first_pass_ended()
    {
        return events.await([this] {
            const auto window = decoder.window();
            return decoder.stage() == decoder_stage::failed || (window && window->length_known());
        });
    }
    std::atomic<int> rewinds{0};
    news events;
    track_decoder decoder;
};

TEST(TrackDecoder, AFileThatFailsHalfWayPlaysWhatWasDecodedAndSaysWhy)
{
    decoding d(3, "the decoder failed: 0x80004005");
    ASSERT_TRUE(d.first_pass_ended());
    ASSERT_EQ(d.decoder.stage(), decoder_stage::playable);
    const auto window = d.decoder.window();
    EXPECT_EQ(window->length_frames(), 30u);
    EXPECT_EQ(window->stopped_early(), "the decoder failed: 0x80004005");
    float last = -1.0f;
    window->read(29, 1, &last);
    EXPECT_EQ(last, 29.0f);
}

TEST(TrackDecoder, AFileThatGivesNoFrameFailsWithTheReason)
{
    const struct {
        std::string failure;
        const char* reason;
    } cases[] = {{"", "song.flac: holds no sound"},
                 {"0xC00D36C4, no decoder takes it", "song.flac: 0xC00D36C4, no decoder takes it"}};
    for (const auto& c : cases) {
        decoding d(0, c.failure);
        ASSERT_TRUE(d.first_pass_ended()) << c.reason;
        EXPECT_EQ(d.decoder.stage(), decoder_stage::failed);
        EXPECT_EQ(d.decoder.failure(), c.reason);
        EXPECT_EQ(d.decoder.window(), nullptr);
    }
}

TEST(TrackDecoder, AnOpenThatFailsGivesItsReason)
{
    news events;
    track_decoder decoder(
        "gone.mp3", []() -> std::unique_ptr<sound_source> { throw std::runtime_error("no such file"); },
        events.notifier());
    ASSERT_TRUE(events.await([&decoder] { return decoder.finished(); }));
    EXPECT_EQ(decoder.stage(), decoder_stage::failed);
    EXPECT_EQ(decoder.failure(), "gone.mp3: no such file");
}

TEST(TrackDecoder, AShortTrackIsDecodedOnceAndHeldWhole)
{
    decoding d(5);  // 50 frames; the window holds a second, 100
    ASSERT_TRUE(d.first_pass_ended());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(d.rewinds, 0);
    EXPECT_EQ(d.decoder.window()->length_frames(), 50u);
}

TEST(TrackDecoder, ALongTrackGoesRoundAgainFromItsStart)
{
    decoding d(15);  // 150 frames through a window of 100
    ASSERT_TRUE(d.events.await([&d] { return d.decoder.stage() == decoder_stage::playable; }));
    const auto window = d.decoder.window();
    for (int waited = 0; waited < 2000 && window->decoded_frames() < 100; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    window->keep_from(100);  // the position passed all that the full window holds: room for 100 more
    EXPECT_TRUE(d.events.await([&d] { return d.rewinds == 1; }));
}

TEST(TrackDecoder, ATrackWellShortOfItsStatedLengthSaysSo)
{
    decoding d(3, "", 1000);  // 0.3 s of a stated 10 s
    ASSERT_TRUE(d.first_pass_ended());
    EXPECT_EQ(d.decoder.window()->stopped_early(), "the rest of its 10.0 s could not be decoded");
}

TEST(TrackDecoder, CancelEndsADecoderWaitingForRoom)
{
    decoding d(-1);
    ASSERT_TRUE(d.events.await([&d] { return d.decoder.stage() == decoder_stage::playable; }));
    d.decoder.cancel();
    EXPECT_TRUE(d.events.await([&d] { return d.decoder.finished(); }));
}

TEST(TrackDecoder, ShortOfStatedAllowsASecondOrATenth)
{
    const struct {
        std::uint64_t decoded, stated;
        bool short_of_it;
    } cases[] = {{0, 0, false}, {50, 0, false}, {950, 1000, false}, {80, 150, false}, {899, 1000, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(!short_of_stated(c.decoded, c.stated, 100).empty(), c.short_of_it) << c.decoded << " of " << c.stated;
    }
}

}  // namespace
}  // namespace pyrelle::standin
