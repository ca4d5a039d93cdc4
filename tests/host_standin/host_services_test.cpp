// The services the host offers the module, and the registry through which the module finds them.
#include "host_standin/orvanel_host/host_services.h"
#include "host_standin/orvanel_host/service_registry.h"

#include <gtest/gtest.h>

#include <vector>

namespace pyrelle::standin {
namespace {

class vector_chunk final : public audio_chunk {
public:
    float* samples() override { return data.data(); }
    const float* samples_const() override { return data.data(); }
    std::uint32_t sample_count() override { return static_cast<std::uint32_t>(data.size()); }
    void set_sample_count(std::uint32_t count) override { data.resize(count); }
    std::uint32_t host_value_1() override { return values[0]; }
    void set_host_value_1(std::uint32_t value) override { values[0] = value; }
    std::uint32_t host_value_2() override { return values[1]; }
    std::uint32_t host_value_3() override { return values[2]; }
    void set_host_values_2_3(std::uint32_t a, std::uint32_t b) override { values[1] = a, values[2] = b; }
    std::uint32_t host_value_4() override { return values[3]; }
    void set_host_value_4(std::uint32_t value) override { values[3] = value; }

    std::vector<float> data;
    std::uint32_t values[4] = {};
};

// Stereo at 1000 Hz, 10 s; the left sample of frame i is i, the right one -i.
track ramp_track()
{
    pcm_audio audio{1000, 2, {}};
    for (int i = 0; i < 10000; ++i) {
        audio.samples.push_back(static_cast<float>(i));
        audio.samples.push_back(static_cast<float>(-i));
    }
    return track{"ramp", sample_window::holding(audio)};
}

struct stream_fixture {
    stream_fixture() : source([this] { return now_us; }), manager(source)
    {
        source.load(std::make_shared<track>(ramp_track()));
        source.stop();
        manager.create_stream(reference, 0);
        stream = static_cast<visualisation_stream*>(reference.get());
    }
    std::uint64_t now_us = 0;
    player source;
    visualisation_service manager;
    service_ref reference;
    visualisation_stream* stream = nullptr;
};

TEST(VisualisationStream, NoTimeWhileStoppedAndThePositionWhilePlaying)
{
    stream_fixture f;
    double time = -1.0;
    EXPECT_FALSE(f.stream->current_time(&time));
    f.source.play();
    f.now_us = 2'250'000;
    ASSERT_TRUE(f.stream->current_time(&time));
    EXPECT_DOUBLE_EQ(time, 2.25);
    f.source.pause();
    f.now_us = 9'000'000;
    ASSERT_TRUE(f.stream->current_time(&time));  // paused audio still has a time
    EXPECT_DOUBLE_EQ(time, 2.25);
}

TEST(VisualisationStream, FillsTheRequestedFramesFromThatTimeInterleaved)
{
    stream_fixture f;
    f.source.play();
    vector_chunk chunk;
    ASSERT_TRUE(f.stream->fill_chunk(chunk, 9.0, requested_chunk_size));
    ASSERT_EQ(chunk.data.size(), 2u * requested_chunk_size);
    EXPECT_EQ(chunk.data[0], 9000.0f);
    EXPECT_EQ(chunk.data[1], -9000.0f);
    EXPECT_EQ(chunk.data[2 * 999], 9999.0f);
    EXPECT_EQ(chunk.data[2 * 1000], 0.0f);  // the track repeats
    EXPECT_EQ(chunk.data[2 * 1001 + 1], -1.0f);
    EXPECT_EQ(chunk.values[0], 1000u);  // rate
    EXPECT_EQ(chunk.values[1], 2u);     // channels
    EXPECT_EQ(f.manager.fill_chunk_calls(), 1u);
}

TEST(VisualisationStream, WhilePausedTheSameTimeGivesTheSameSamples)
{
    stream_fixture f;
    f.source.play();
    f.now_us = 4'000'000;
    f.source.pause();
    double time = 0.0;
    vector_chunk first, again;
    ASSERT_TRUE(f.stream->current_time(&time));
    ASSERT_TRUE(f.stream->fill_chunk(first, time, requested_chunk_size));
    f.now_us = 60'000'000;
    ASSERT_TRUE(f.stream->current_time(&time));
    ASSERT_TRUE(f.stream->fill_chunk(again, time, requested_chunk_size));
    EXPECT_EQ(first.data[0], 4000.0f);
    EXPECT_EQ(again.data, first.data);
}

TEST(VisualisationStream, StoppedPlaybackGivesNoDataButTheFallbackGivesSilence)
{
    stream_fixture f;
    vector_chunk chunk;
    chunk.data.assign(10, 5.0f);
    EXPECT_FALSE(f.stream->fill_chunk(chunk, 1.0, requested_chunk_size));
    EXPECT_TRUE(f.stream->fill_chunk_fallback(chunk, 1.0, requested_chunk_size));
    EXPECT_EQ(chunk.data, std::vector<float>(2u * requested_chunk_size, 0.0f));
    EXPECT_EQ(f.manager.fill_chunk_calls(), 1u);  // the fallback is not a fill_chunk call
}

TEST(VisualisationStream, StreamsLiveAsLongAsTheirReferences)
{
    const std::int32_t before = live_transient_objects();
    {
        stream_fixture f;
        EXPECT_EQ(live_transient_objects(), before + 1);
        f.reference->add_ref();
        f.reference->release();
        EXPECT_EQ(live_transient_objects(), before + 1);
    }
    EXPECT_EQ(live_transient_objects(), before);
}

TEST(ServiceRegistry, FindsInstancesByClassAndHandsOutOneReferenceEach)
{
    host_information_service information;
    service_registry registry;
    registry.add_object(host_information_class, information);

    const std::uint32_t handle = registry.class_of(&host_information_class);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(registry.instance_count(handle), 1u);
    {
        service_ref out;
        ASSERT_TRUE(registry.create_instance(out, handle, 0));
        EXPECT_EQ(out.get(), static_cast<service_base*>(&information));
        EXPECT_EQ(information.references(), 1u);
        EXPECT_STREQ(static_cast<host_information*>(out.get())->version_text(), host_version_text);

        // Filling a reference that holds something releases what it held.
        ASSERT_TRUE(registry.create_instance(out, handle, 0));
        EXPECT_EQ(information.references(), 1u);
    }
    EXPECT_EQ(information.references(), 0u);
}

TEST(ServiceRegistry, UnknownClassesAndIndicesGiveNothing)
{
    host_information_service information;
    service_registry registry;
    registry.add_object(host_information_class, information);
    registry.add_object(host_information_class, information);

    EXPECT_EQ(registry.class_of(&visualisation_manager_class), 0u);
    EXPECT_EQ(registry.class_of(nullptr), 0u);
    EXPECT_EQ(registry.instance_count(0), 0u);
    EXPECT_EQ(registry.instance_count(99), 0u);
    EXPECT_EQ(registry.instance_count(registry.class_of(&host_information_class)), 2u);

    service_ref out;
    EXPECT_FALSE(registry.create_instance(out, 0, 0));
    EXPECT_FALSE(registry.create_instance(out, registry.class_of(&host_information_class), 2));
    EXPECT_FALSE(out);
}

TEST(ServiceRegistry, AFailingMakerLeavesTheReferenceAsItWas)
{
    service_registry registry;
    registry.add(lifecycle_class, [](service_ref&) { return false; });
    host_information_service information;
    service_ref out;
    out.assign(&information);
    EXPECT_FALSE(registry.create_instance(out, registry.class_of(&lifecycle_class), 0));
    EXPECT_EQ(out.get(), static_cast<service_base*>(&information));
}

TEST(ServiceRegistry, RemovedClassesAreGone)
{
    host_information_service information;
    service_registry registry;
    registry.add_object(host_information_class, information);
    registry.add_object(lifecycle_class, information);
    registry.remove(host_information_class);
    EXPECT_EQ(registry.class_of(&host_information_class), 0u);
    EXPECT_NE(registry.class_of(&lifecycle_class), 0u);
}

TEST(HostServices, AnswerQueriesOnlyForTheirOwnClass)
{
    host_information_service information;
    service_ref out;
    EXPECT_FALSE(information.query(out, visualisation_manager_class));
    EXPECT_FALSE(out);
    EXPECT_TRUE(information.query(out, host_information_class));
    EXPECT_EQ(out.get(), static_cast<service_base*>(&information));
}

}  // namespace
}  // namespace pyrelle::standin
