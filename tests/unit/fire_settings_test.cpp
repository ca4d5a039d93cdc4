#include "fire/fire_settings.h"

#include <gtest/gtest.h>

using namespace pyrelle;

namespace {

bool same(const fire_settings& a, const fire_settings& b)
{
    return a.width == b.width && a.height == b.height && a.bits_per_pixel == b.bits_per_pixel &&
           a.low_colour == b.low_colour && a.middle_colour == b.middle_colour && a.high_colour == b.high_colour &&
           a.low_flow == b.low_flow && a.middle_flow == b.middle_flow && a.high_flow == b.high_flow &&
           a.frame_rate == b.frame_rate;
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
    fire_settings expected;
    expected.low_colour = 0x00010203;
    expected.middle_colour = 0x00040506;
    expected.high_colour = 0x00070809;
    expected.low_flow = 1;
    expected.middle_flow = 0x80;
    expected.high_flow = 0;
    expected.frame_rate = 0;
    EXPECT_TRUE(same(stored_fire_settings(stored), expected));
}

TEST(FireSettings, OnlyTheLowByteOfAFlowSwitchCounts)
{
    fire_settings s;
    s.low_colour = 0x00112233;
    s.low_flow = 0x100;
    s.middle_flow = 0x1FF;
    s.high_flow = 0x01;
    const fire_colours c = s.colours();
    EXPECT_EQ(c.low, 0x00112233u);
    EXPECT_FALSE(c.low_flow);
    EXPECT_TRUE(c.middle_flow);
    EXPECT_TRUE(c.high_flow);
}
