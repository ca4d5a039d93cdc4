#include "fire/sample_chunk.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

namespace pyrelle {
namespace {

std::vector<float> contents(sample_chunk& chunk)
{
    return std::vector<float>(chunk.samples(), chunk.samples() + chunk.sample_count());
}

TEST(SampleChunk, StartsEmpty)
{
    sample_chunk chunk;
    EXPECT_EQ(chunk.samples(), nullptr);
    EXPECT_EQ(chunk.sample_count(), 0u);
    EXPECT_EQ(chunk.capacity(), 0u);
    EXPECT_EQ(chunk.host_value_1() | chunk.host_value_2() | chunk.host_value_3() | chunk.host_value_4(), 0u);
}

TEST(SampleChunk, ResizingKeepsTheLeadingSamplesAndSizesExactly)
{
    sample_chunk chunk;
    audio_chunk& host_view = chunk;  // the host fills it through the interface
    host_view.set_sample_count(3);
    float* samples = host_view.samples();
    samples[0] = 1.0f;
    samples[1] = -2.0f;
    samples[2] = 0.5f;

    host_view.set_sample_count(5);
    EXPECT_EQ(contents(chunk), (std::vector<float>{1.0f, -2.0f, 0.5f, 0.0f, 0.0f}));
    EXPECT_EQ(chunk.capacity(), 5u);

    host_view.set_sample_count(2);
    EXPECT_EQ(contents(chunk), (std::vector<float>{1.0f, -2.0f}));
    EXPECT_EQ(chunk.capacity(), 2u);
    EXPECT_EQ(host_view.samples_const(), host_view.samples());

    host_view.set_sample_count(0);
    EXPECT_EQ(chunk.samples(), nullptr);
    EXPECT_EQ(chunk.sample_count(), 0u);
    EXPECT_EQ(chunk.capacity(), 0u);
}

TEST(SampleChunk, SameCountReusesTheStorage)
{
    sample_chunk chunk;
    chunk.set_sample_count(4096);
    const float* const first = chunk.samples();
    chunk.samples()[4095] = 7.0f;
    chunk.set_sample_count(4096);
    EXPECT_EQ(chunk.samples(), first);
    EXPECT_EQ(chunk.samples()[4095], 7.0f);
}

TEST(SampleChunk, CountTooLargeThrowsAndLeavesTheChunkAsItWas)
{
    // 0x40000000 floats are 2^32 bytes, past 32 bits; 0x3FFFFFFF fit in 32 bits but not in a
    // 32-bit process beside everything else.
    for (const std::uint32_t count : {0x40000000u, 0xFFFFFFFFu, 0x3FFFFFFFu}) {
        SCOPED_TRACE(count);
        sample_chunk chunk;
        chunk.set_sample_count(2);
        chunk.samples()[1] = 3.0f;
        EXPECT_THROW(chunk.set_sample_count(count), std::bad_alloc);
        EXPECT_EQ(contents(chunk), (std::vector<float>{0.0f, 3.0f}));
    }
}

TEST(SampleChunk, KeepsTheHostValuesApart)
{
    sample_chunk chunk;
    audio_chunk& host_view = chunk;
    host_view.set_host_value_1(11);
    host_view.set_host_values_2_3(22, 33);
    host_view.set_host_value_4(44);
    host_view.set_sample_count(8);
    EXPECT_EQ(host_view.host_value_1(), 11u);
    EXPECT_EQ(host_view.host_value_2(), 22u);
    EXPECT_EQ(host_view.host_value_3(), 33u);
    EXPECT_EQ(host_view.host_value_4(), 44u);
}

}  // namespace
}  // namespace pyrelle
