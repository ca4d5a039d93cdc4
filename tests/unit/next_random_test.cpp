#include "fire/next_random.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/unit/fresh_thread.h"

using pyrelle::next_random;
using pyrelle::testing::on_fresh_thread;

namespace {
// The first draws of this generator from state 1, as documented for the classic C runtime rand().
const std::vector<std::uint32_t> sequence_from_one = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
}  // namespace

TEST(NextRandom, ExplicitStateFollowsTheKnownSequence)
{
    std::uint32_t state = 1;
    for (std::uint32_t expected : sequence_from_one) {
        EXPECT_EQ(next_random(state), expected);
    }
}

TEST(NextRandom, StateWrapsModulo2To32AndResultHas15Bits)
{
    std::uint32_t state = 0xFFFFFFFFu;
    const std::uint32_t value = next_random(state);
    EXPECT_EQ(state, 0xFFFFFFFFu * 214013u + 2531011u);
    EXPECT_LE(value, 0x7FFFu);
}

TEST(NextRandom, EveryThreadStartsItsOwnSequenceAtOne)
{
    std::vector<std::uint32_t> first, second;
    on_fresh_thread([&] {
        for (std::size_t i = 0; i < 5; ++i)
            first.push_back(next_random());
    });
    // Drawing here must not disturb a thread started afterwards.
    next_random();
    on_fresh_thread([&] {
        for (std::size_t i = 0; i < 5; ++i)
            second.push_back(next_random());
    });
    const std::vector<std::uint32_t> expected(sequence_from_one.begin(), sequence_from_one.begin() + 5);
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
}
