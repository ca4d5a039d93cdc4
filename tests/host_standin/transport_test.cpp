// Transport requests become playback events, each listener getting only those its mask asks for.
#include "host_standin/orvanel_host/transport.h"

#include <gtest/gtest.h>

#include <cstring>

#include "host_standin/orvanel_host/host_objects.h"

namespace pyrelle::standin {
namespace {

track one_second_track()
{
    const pcm_audio audio{100, 1, std::vector<float>(1000, 0.0f)};  // 10 s
    track t{"t", sample_window::holding(audio)};
    return t;
}

// Records the events it receives; releases the references it is given, as a module must.
class recording_listener final : public playback_listener {
public:
    explicit recording_listener(std::uint32_t mask) : mask_(mask) {}

    std::uint32_t release() override { return 1; }
    std::uint32_t add_ref() override { return 1; }
    bool query(service_ref&, const guid&) override { return false; }
    std::uint32_t event_mask() override { return mask_; }

    void on_event_0(std::uint64_t value) override { events.push_back("starting " + std::to_string(value)); }
    void on_new_track(service_base* track) override
    {
        events.push_back("new track");
        if (keep_tracks) {
            kept.push_back(track);
        } else {
            track->release();
        }
    }
    void on_stop(std::uint32_t reason) override { events.push_back("stop " + std::to_string(reason)); }
    void on_event_3(std::uint64_t) override { events.push_back("3"); }
    void on_pause(bool paused) override { events.push_back(paused ? "pause" : "unpause"); }
    void on_event_5(service_base* reference) override
    {
        reference->release();
        events.push_back("5");
    }
    void on_event_6(std::uint32_t) override { events.push_back("6"); }
    void on_event_7(std::uint32_t) override { events.push_back("7"); }
    void on_event_8(std::uint64_t bits) override
    {
        double seconds = 0.0;
        std::memcpy(&seconds, &bits, sizeof seconds);
        events.push_back("position " + std::to_string(static_cast<int>(seconds)));
    }
    void on_event_9(std::uint32_t) override { events.push_back("9"); }

    std::vector<std::string> events;
    bool keep_tracks = false;
    std::vector<service_base*> kept;

private:
    std::uint32_t mask_;
};

using events = std::vector<std::string>;

struct transport_fixture {
    transport_fixture() : source([this] { return now_us; }), subject(source)
    {
        source.load(std::make_shared<track>(one_second_track()));
        source.stop();
    }
    std::uint64_t now_us = 0;
    player source;
    transport subject;
};

TEST(Transport, TheModulesMaskGetsNewTrackStopAndPauseOnly)
{
    transport_fixture f;
    recording_listener module_like(22);  // bits 1, 2 and 4
    f.subject.add_listener(module_like);

    f.subject.play();
    f.subject.pause();
    f.subject.pause();  // already paused: nothing to say
    f.subject.play();
    f.now_us += 1'500'000;
    f.subject.tick();
    f.subject.load(f.source.current_track());
    f.subject.stop();
    f.subject.stop();
    EXPECT_EQ(module_like.events, (events{"new track", "pause", "unpause", "new track", "stop 0"}));
}

TEST(Transport, AListenerThatAsksForEverythingGetsStartingAndPositionsToo)
{
    transport_fixture f;
    recording_listener everything(0x3FF);
    f.subject.add_listener(everything);

    f.subject.play();
    f.subject.tick();  // second 0
    f.now_us += 400'000;
    f.subject.tick();  // still second 0: nothing
    f.now_us += 700'000;
    f.subject.tick();  // second 1
    f.subject.pause();
    f.now_us += 5'000'000;
    f.subject.tick();  // paused: no position
    f.subject.resume();
    f.subject.load(f.source.current_track());
    f.subject.stop(stop_reason_shutting_down);
    EXPECT_EQ(everything.events, (events{"starting 0", "new track", "position 0", "position 1", "pause", "unpause",
                                         "starting 2", "new track", "stop 2"}));
}

TEST(Transport, EveryListenerGetsItsOwnTrackReference)
{
    const std::int32_t before = live_transient_objects();
    transport_fixture f;
    recording_listener keeper(22);
    keeper.keep_tracks = true;
    recording_listener releaser(22);
    f.subject.add_listener(keeper);
    f.subject.add_listener(releaser);

    f.subject.play();
    // The host dropped its own reference; the keeper's keeps the track alive.
    EXPECT_EQ(live_transient_objects(), before + 1);
    ASSERT_EQ(keeper.kept.size(), 1u);
    keeper.kept.front()->release();
    EXPECT_EQ(live_transient_objects(), before);
}

TEST(Transport, AListenerWithoutTheBitsHearsNothing)
{
    transport_fixture f;
    recording_listener deaf(0);
    f.subject.add_listener(deaf);
    f.subject.play();
    f.subject.tick();
    f.subject.pause();
    f.subject.load(f.source.current_track());
    f.subject.stop();
    EXPECT_TRUE(deaf.events.empty());
}

}  // namespace
}  // namespace pyrelle::standin
