#include "fire/next_random.h"

#include <gtest/gtest.h>

#include <vector>

using pyrelle::next_random;
using pyrelle::next_random_bytes;
using pyrelle::random_state;

namespace {
// The first draws of this generator from state 1, as documented for the classic C runtime rand().
const std::vector<std::uint32_t> sequence_from_one = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
}  // namespace

TEST(NextRandom, FreshStateFollowsTheKnownSequenceFromOne)
{
    random_state state;
    for (std::uint32_t expected : sequence_from_one) {
        EXPECT_EQ(next_random(state), expected);
    }
}

TEST(NextRandom, StateWrapsModulo2To32AndResultHas15Bits)
{
    random_state state{0xFFFFFFFFu};
    const std::uint32_t value = next_random(state);
    EXPECT_EQ(state.value, 0xFFFFFFFFu * 214013u + 2531011u);
    EXPECT_LE(value, 0x7FFFu);
}

TEST(NextRandom, GeneratorsShareNoState)
{
    // Interleaved draws: each generator keeps its own sequence, as a run's render thread and the
    // thread that starts runs must.
    random_state first, second;
    std::vector<std::uint32_t> from_first, from_second;
    for (std::size_t i = 0; i < 5; ++i) {
        from_first.push_back(next_random(first));
        next_random(first);
        from_second.push_back(next_random(second));
    }
    const std::vector<std::uint32_t> every_other = {41, 6334, 19169, 11478, 26962};
    const std::vector<std::uint32_t> expected(sequence_from_one.begin(), sequence_from_one.begin() + 5);
    EXPECT_EQ(from_first, every_other);
    EXPECT_EQ(from_second, expected);
}

TEST(NextRandom, BytesAreTheLowBytesOfSuccessiveDraws)
{
    random_state bulk, single;
    std::vector<std::uint8_t> bytes(10);
    next_random_bytes(bulk, bytes.data(), bytes.size());
    for (std::uint8_t b : bytes) {
        EXPECT_EQ(b, next_random(single) & 0xFFu);
    }
    EXPECT_EQ(bulk.value, single.value) << "the state moves on by exactly one step per byte";
}
