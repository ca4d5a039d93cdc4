// The module's frame replicated into a larger picture: where it lands, every byte written, and
// the palette index that draws the bars.
#include "tools/pyrelle/frame_scaling.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

using namespace pyrelle;
using namespace pyrelle::tools;

namespace {

using bytes = std::vector<std::uint8_t>;

}  // namespace

TEST(FrameScaling, TheLargestWholeFactorIsCentred)
{
    struct example {
        picture_size frame, picture;
        std::int32_t factor, left, top;
    };
    const example examples[] = {
        {{640, 480}, {1920, 1080}, 2, 320, 60},  // 1280x960: the height limits
        {{640, 480}, {640, 480}, 1, 0, 0},
        {{640, 480}, {1280, 2000}, 2, 0, 520},  // the width limits
        {{960, 540}, {1920, 1080}, 2, 0, 0},    // fills exactly
        {{16, 8}, {33, 17}, 2, 0, 0},           // the odd pixel over goes right and down
        {{3, 2}, {8, 13}, 2, 1, 4},
    };
    for (const example& e : examples) {
        SCOPED_TRACE(testing::Message() << e.frame.width << "x" << e.frame.height << " in " << e.picture.width << "x"
                                        << e.picture.height);
        const frame_placement p = place_frame(e.frame, e.picture);
        EXPECT_EQ(p.factor, e.factor);
        EXPECT_EQ(p.left, e.left);
        EXPECT_EQ(p.top, e.top);
        EXPECT_TRUE(p.picture == e.picture);
        EXPECT_EQ(p.has_bars(e.frame),
                  !(e.frame.width * e.factor == e.picture.width && e.frame.height * e.factor == e.picture.height));
    }
}

TEST(FrameScaling, EveryPixelBecomesASquareBetweenBars)
{
    // Indices: a 3x2 frame, three times in 10x10 (9x6 scaled, one bar column right, two bar rows
    // above and below).
    const bytes frame = {1, 2, 3, 4, 5, 6};
    const frame_placement p = place_frame({3, 2}, {10, 10});
    ASSERT_EQ(p.factor, 3);
    bytes picture(100, 0xEE);
    const std::uint8_t bar = 9;
    scale_frame(frame.data(), {3, 2}, 1, p, &bar, picture.data());
    const bytes expected = {
        9, 9, 9, 9, 9, 9, 9, 9, 9, 9,  //
        9, 9, 9, 9, 9, 9, 9, 9, 9, 9,  //
        1, 1, 1, 2, 2, 2, 3, 3, 3, 9,  //
        1, 1, 1, 2, 2, 2, 3, 3, 3, 9,  //
        1, 1, 1, 2, 2, 2, 3, 3, 3, 9,  //
        4, 4, 4, 5, 5, 5, 6, 6, 6, 9,  //
        4, 4, 4, 5, 5, 5, 6, 6, 6, 9,  //
        4, 4, 4, 5, 5, 5, 6, 6, 6, 9,  //
        9, 9, 9, 9, 9, 9, 9, 9, 9, 9,  //
        9, 9, 9, 9, 9, 9, 9, 9, 9, 9,  //
    };
    EXPECT_EQ(picture, expected);

    // RGB: pixels of three bytes, one bar column left and two right, none above (the frame takes
    // row 0).
    const bytes rgb = {10, 11, 12, 20, 21, 22};
    const std::uint8_t black[3] = {0, 0, 0};
    const frame_placement wide = place_frame({2, 1}, {7, 2});
    bytes out(7 * 2 * 3, 0xEE);
    scale_frame(rgb.data(), {2, 1}, 3, wide, black, out.data());
    const bytes row = {0, 0, 0, 10, 11, 12, 10, 11, 12, 20, 21, 22, 20, 21, 22, 0, 0, 0, 0, 0, 0};
    bytes both = row;
    both.insert(both.end(), row.begin(), row.end());
    EXPECT_EQ(out, both);
}

TEST(FrameScaling, BarsTakeABlackEntryElseAFreeOneElseTheDarkest)
{
    std::array<palette_entry, palette_size> palette{};
    for (int i = 0; i < palette_size; ++i) {
        palette[i] = {static_cast<std::uint8_t>(i), 200, 100, 0x04};
    }
    const bytes frame = {0, 1, 2, 4};

    auto black = palette;
    black[7] = {0, 0, 0, 0x04};
    EXPECT_EQ(bar_index(frame.data(), frame.size(), black.data()), 7);
    EXPECT_EQ(black[7], (palette_entry{0, 0, 0, 0x04})) << "kept as it was";

    auto free = palette;
    EXPECT_EQ(bar_index(frame.data(), frame.size(), free.data()), 3) << "the first index the frame leaves";
    EXPECT_EQ(free[3], (palette_entry{0, 0, 0, 0}));
    free[3] = palette[3];
    EXPECT_EQ(free, palette) << "no other entry changes";

    bytes every(palette_size);
    for (int i = 0; i < palette_size; ++i) {
        every[i] = static_cast<std::uint8_t>(255 - i);
    }
    auto full = palette;
    full[200] = {1, 0, 0, 0x04};
    EXPECT_EQ(bar_index(every.data(), every.size(), full.data()), 200);
    full[100] = {0, 0, 1, 0};
    EXPECT_EQ(bar_index(every.data(), every.size(), full.data()), 100);
    EXPECT_EQ(full[100], (palette_entry{0, 0, 1, 0})) << "every index shows the frame: none is changed";
}
