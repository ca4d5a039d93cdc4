#include "fire/fire_settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace pyrelle;

namespace {

// The ten 32-bit values in their order, so that a mismatch shows which.
std::array<std::uint32_t, 10> values(const fire_settings& s)
{
    std::array<std::uint32_t, 10> v{};
    std::memcpy(v.data(), &s, sizeof s);
    return v;
}

}  // namespace

TEST(FireSettings, TakeEveryStoredValueButTheMode)
{
    configuration stored;
    stored.low_colour.value = 0x00010203;
    stored.middle_colour.value = 0x00040506;
    stored.high_colour.value = 0x00070809;
    stored.low_flow.value = 1;
    stored.middle_flow.value = 0x80;
    stored.high_flow.value = 0;
    stored.frame_rate.value = 0;  // kept as stored: the run's pace brings it into range
    stored.display_mode_index.value = 3;
    const fire_settings expected{0, 0, 0, 0x00010203, 0x00040506, 0x00070809, 1, 0x80, 0, 0};
    EXPECT_EQ(values(stored_fire_settings(stored)), values(expected));
}

TEST(FireSettings, OnlyTheLowByteOfAFlowSwitchCounts)
{
    const fire_colours c = fire_settings{0, 0, 0, 0x00112233, 0, 0, 0x100, 0x1FF, 0x01, 24}.colours();
    EXPECT_EQ(c.low, 0x00112233u);
    EXPECT_FALSE(c.low_flow);
    EXPECT_TRUE(c.middle_flow);
    EXPECT_TRUE(c.high_flow);
}
