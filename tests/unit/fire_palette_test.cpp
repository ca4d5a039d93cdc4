#include "fire/fire_palette.h"

#include <gtest/gtest.h>

#include <array>

using namespace pyrelle;

namespace pyrelle {

std::ostream& operator<<(std::ostream& out, const palette_entry& e)
{
    return out << "(" << int(e.red) << ", " << int(e.green) << ", " << int(e.blue) << ", flags " << int(e.flags) << ")";
}

}  // namespace pyrelle

TEST(FirePalette, DefaultColoursGiveTheKnownEntries)
{
    // low black, middle pure red, high (255, 255, 62)
    std::array<palette_entry, palette_size> entries{};
    build_palette(entries.data(), 0x00000000, 0x000000FF, 0x003EFFFF);
    struct expected_t {
        int index;
        palette_entry entry;
    };
    const expected_t expected[] = {
        {0, {0, 0, 0, 0}},        {1, {3, 0, 0, 4}},        {2, {5, 0, 0, 4}},        {63, {127, 0, 0, 4}},
        {64, {129, 0, 0, 4}},     {126, {253, 0, 0, 4}},    {127, {255, 0, 0, 0}},    {128, {255, 1, 0, 4}},
        {191, {255, 127, 31, 4}}, {254, {255, 253, 61, 4}}, {255, {255, 255, 62, 0}},
    };
    for (const expected_t& e : expected) {
        EXPECT_EQ(entries[e.index], e.entry) << "entry " << e.index;
    }
}

TEST(FirePalette, AnchorsKeepTheirTopByteAsFlagsAndTheRestIsNoCollapse)
{
    std::array<palette_entry, palette_size> entries{};
    build_palette(entries.data(), 0x11000000, 0x22FFFFFF, 0x33000000);
    EXPECT_EQ(entries[0].flags, 0x11);
    EXPECT_EQ(entries[127].flags, 0x22);
    EXPECT_EQ(entries[255].flags, 0x33);
    for (int i = 0; i < palette_size; ++i) {
        if (i != 0 && i != 127 && i != 255) {
            EXPECT_EQ(entries[i].flags, pc_nocollapse) << "entry " << i;
        }
    }
    EXPECT_EQ(entries[126], (palette_entry{253, 253, 253, 4})) << "the means ignore the flags";
}

TEST(FirePalette, HalvingNeverOverflowsAChannel)
{
    std::array<palette_entry, palette_size> entries{};
    build_palette(entries.data(), 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF);
    for (int i = 0; i < palette_size; ++i) {
        EXPECT_EQ(entries[i].red, 255) << "entry " << i;
        EXPECT_EQ(entries[i].blue, 255) << "entry " << i;
    }
}

TEST(FireRamp, BlackToWhiteIsExactlyLinear)
{
    std::array<colour, ramp_size> ramp{};
    build_ramp(ramp.data(), 0x00000000, 0x00FFFFFF);
    for (colour i = 0; i < ramp_size; ++i) {
        EXPECT_EQ(ramp[i], i | (i << 8) | (i << 16)) << "entry " << i;
    }
}

TEST(FireRamp, ChannelsMoveIndependentlyAndTopBytesAreCleared)
{
    std::array<colour, ramp_size> ramp{};
    // from (red 255, green 0, blue 16) to (red 0, green 255, blue 16), both with stray top bytes
    build_ramp(ramp.data(), 0xAA1000FF, 0xBB10FF00);
    EXPECT_EQ(ramp[0], 0xAA1000FFu);
    EXPECT_EQ(ramp[255], 0xBB10FF00u);
    EXPECT_EQ(ramp[127], 0x00107F7Fu);  // (255 + 0) / 2 both ways, blue unchanged
    for (int i = 1; i < 255; ++i) {
        EXPECT_EQ(ramp[i] >> 24, 0u) << "entry " << i;
        EXPECT_EQ((ramp[i] >> 16) & 0xFF, 0x10u) << "entry " << i;
        EXPECT_LE(ramp[i] & 0xFF, ramp[i - 1] & 0xFF) << "red falls, entry " << i;
        EXPECT_GE((ramp[i] >> 8) & 0xFF, (ramp[i - 1] >> 8) & 0xFF) << "green rises, entry " << i;
    }
}

TEST(RandomColour, FirstDrawIsBlueThenGreenThenRed)
{
    random_state random;
    // The first three draws from state 1 are 41 (0x29), 18467 (0x4823) and 6334 (0x18BE); only
    // their low bytes count.
    EXPECT_EQ(random_colour(random), 0x002923BEu);
    // The next three: 26500 (0x6784), 19169 (0x4AE1), 15724 (0x3D6C).
    EXPECT_EQ(random_colour(random), 0x0084E16Cu);
}
