#include "fire/heat_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "fire/next_random.h"

using namespace pyrelle;

namespace {

using bytes = std::vector<std::uint8_t>;

bytes field(std::int32_t width, std::int32_t height, std::uint8_t fill = 0)
{
    return bytes(heat_field_bytes(width, height), fill);
}

bytes row(const bytes& heat, std::int32_t width, std::int32_t r)
{
    return bytes(heat.begin() + r * width, heat.begin() + (r + 1) * width);
}

}  // namespace

TEST(HeatField, SizeLimits)
{
    EXPECT_TRUE(heat_field_size_supported(1, 4));
    EXPECT_TRUE(heat_field_size_supported(640, 480));
    EXPECT_FALSE(heat_field_size_supported(640, 3));
    EXPECT_FALSE(heat_field_size_supported(0, 480));
    EXPECT_FALSE(heat_field_size_supported(-640, 480));
    EXPECT_EQ(heat_field_bytes(640, 480), 308480u);
}

TEST(HeatField, ZeroFieldStaysZero)
{
    bytes heat = field(17, 12);
    propagate_heat(heat.data(), 17, 12);
    EXPECT_EQ(heat, field(17, 12));
}

TEST(HeatField, SmallFieldPropagatesExactly)
{
    // Width 3, height 6: rows 0 and 1 empty, rows 2 .. 7 hold increasing heat.
    bytes heat = {
        0,   0,   0,    // row 0
        0,   0,   0,    // row 1
        10,  20,  30,   // row 2
        40,  50,  60,   // row 3
        70,  80,  90,   // row 4 (audio row A)
        100, 110, 120,  // row 5 (noise)
        130, 140, 150,  // row 6 (audio row B, hidden)
        160, 170, 180,  // row 7 (noise, hidden)
    };
    propagate_heat(heat.data(), 3, 6);
    const bytes expected = {
        24,  34,  44,   //
        54,  57,  67,   // column 0 written twice: 47 as a half-mean, then 54 as a cooled mean
        77,  94,  104,  //
        114, 117, 127,  //
        137, 80,  90,   // only column 0 of row A is filtered
        100, 110, 120,  //
        130, 140, 150,  //
        160, 170, 180,  //
    };
    EXPECT_EQ(heat, expected);
}

TEST(HeatField, CoolingOfNeighbourSums)
{
    // The even-row cell at p = 0 of a width-3 field: its sum reads heat[5], heat[6], heat[7] and
    // heat[12].
    struct case_t {
        std::uint8_t left, centre, right, far;
        std::uint8_t cooled;
    };
    const case_t cases[] = {
        {0, 0, 0, 0, 0},            // sum 0: nothing to cool, no wrap below 0
        {0, 0, 0, 7, 0},            // sum 7 -> 1 -> 0
        {2, 2, 2, 2, 1},            // sum 8 -> 2 -> 1
        {3, 3, 3, 2, 1},            // sum 11 -> 2 -> 1
        {3, 3, 3, 3, 2},            // sum 12 -> 3 -> 2
        {255, 255, 255, 255, 254},  // the hottest neighbours never give 255
    };
    for (const case_t& c : cases) {
        bytes heat = field(3, 4);
        heat[5] = c.left;
        heat[6] = c.centre;
        heat[7] = c.right;
        heat[12] = c.far;
        propagate_heat(heat.data(), 3, 4);
        EXPECT_EQ(heat[0], c.cooled) << "sum " << (c.left + c.centre + c.right + c.far);
    }
    bytes hot = field(3, 4, 255);
    propagate_heat(hot.data(), 3, 4);
    EXPECT_EQ(hot[0], 254);
    EXPECT_EQ(hot[3], 254);  // (254 + 255) / 2
}

TEST(HeatField, FilterWritesOnlyItsRowsForEvenAndOddHeights)
{
    // Filtered bytes never exceed 254, so a field full of 255 shows exactly which bytes the filter
    // wrote: every row above the audio row, plus column 0 of the last row it reaches.
    struct case_t {
        std::int32_t width, height;
        std::int32_t full_rows;    // rows 0 .. full_rows - 1 are written completely
        std::int32_t partial_row;  // only its column 0 is written
    };
    const case_t cases[] = {
        {5, 4, 2, 2}, {5, 5, 2, 2}, {5, 6, 4, 4}, {5, 7, 4, 4}, {1, 4, 2, 2}, {640, 480, 478, 478}, {64, 481, 478, 478},
    };
    for (const case_t& c : cases) {
        bytes heat = field(c.width, c.height, 255);
        propagate_heat(heat.data(), c.width, c.height);
        for (std::int32_t r = 0; r < c.height + 2; ++r) {
            for (std::int32_t x = 0; x < c.width; ++x) {
                const bool written = r < c.full_rows || (r == c.partial_row && x == 0);
                const std::uint8_t value = heat[r * c.width + x];
                ASSERT_EQ(value != 255, written) << c.width << "x" << c.height << " row " << r << " column " << x;
            }
        }
    }
}

TEST(HeatField, FilterAndFusedCopyMatchTheReferenceAtEveryWidth)
{
    // Random bytes reach both ends of the arithmetic (sums of 0 and 1020); widths 1 .. 40 cover a
    // run shorter than a vector, exactly one, and every remainder; the small heights give one and
    // two passes, odd and even. The fused copy writes a padded surface whose padding must survive.
    struct field_size {
        std::int32_t width, height;
    };
    std::vector<field_size> sizes;
    for (std::int32_t w = 1; w <= 40; ++w) {
        for (std::int32_t h = 4; h <= 7; ++h) {
            sizes.push_back({w, h});
        }
    }
    for (const field_size s :
         {field_size{640, 480}, field_size{1024, 768}, field_size{1920, 1080}, field_size{720, 481}}) {
        sizes.push_back(s);
    }
    random_state state{7};
    for (const field_size s : sizes) {
        const std::int32_t skip = s.width % 3;
        const std::size_t surface_bytes = static_cast<std::size_t>((s.width + skip) * s.height);
        bytes expected = field(s.width, s.height);
        for (std::uint8_t& b : expected) {
            b = static_cast<std::uint8_t>(next_random(state) >> 3);
        }
        bytes in_place = expected, fused = expected;
        bytes expected_surface(surface_bytes, 0xEE), surface(surface_bytes, 0xEE);
        for (int frame = 0; frame < 2; ++frame) {  // the second frame starts from filtered bytes
            propagate_heat_reference(expected.data(), s.width, s.height);
            copy_frame(expected_surface.data(), expected.data(), s.width, s.height, skip);
            propagate_heat(in_place.data(), s.width, s.height);
            propagate_heat_and_copy(fused.data(), s.width, s.height, surface.data(), skip);
            ASSERT_EQ(in_place, expected) << s.width << "x" << s.height << " frame " << frame;
            ASSERT_EQ(fused, expected) << s.width << "x" << s.height << " frame " << frame;
            ASSERT_EQ(surface, expected_surface) << s.width << "x" << s.height << " frame " << frame;
        }
    }
}

TEST(HeatField, SampleBytesWrapModulo256)
{
    struct case_t {
        float sample;
        std::uint8_t byte;
    };
    const case_t cases[] = {
        {0.0f, 0},
        {0.25f, 128},
        {0.49f, 250},
        {0.5f, 0},
        {-0.1f, 205},
        {-0.002f, 255},
        {1.0f, 0},
        {0.001f, 0},
        {-0.001f, 0},  // truncation toward zero
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {std::numeric_limits<float>::infinity(), 0},
        {-std::numeric_limits<float>::infinity(), 0},
        {1e10f, 0},        // outside the 32-bit range
        {-4194304.0f, 0},  // exactly -2^31 after scaling: representable, low byte 0
        {4194303.5f, 0},   // 2^31 - 256 after scaling
    };
    for (const case_t& c : cases) {
        random_state random;
        bytes heat = field(1, 4);
        const float samples[] = {c.sample};
        seed_bottom_rows(heat.data(), 1, 4, samples, 1, random);
        EXPECT_EQ(heat[2], c.byte) << "sample " << c.sample;  // row A
        EXPECT_EQ(heat[4], c.byte) << "sample " << c.sample;  // row B
    }
}

TEST(HeatField, AudioRowsSpreadEachHalfOverTheWidth)
{
    // Sample i carries (i % 256) / 512, so each seeded byte tells which sample it came from.
    const std::uint32_t n = 4096;
    std::vector<float> samples(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        samples[i] = static_cast<float>(i % 256) / 512.0f;
    }

    const std::int32_t w = 640, h = 480;
    random_state random;
    bytes heat = field(w, h);
    seed_bottom_rows(heat.data(), w, h, samples.data(), n, random);
    const bytes row_a = row(heat, w, h - 2);
    const bytes row_b = row(heat, w, h);
    for (std::int32_t x = 0; x < w; ++x) {
        const std::uint32_t offset = static_cast<std::uint32_t>(std::floor(3.2 * x + 1e-9));  // 0, 3, 6, 9, 12, 16, ...
        ASSERT_EQ(row_a[x], offset % 256) << "column " << x;
        ASSERT_EQ(row_b[x], (2048 + offset) % 256) << "column " << x;
    }
    EXPECT_EQ(row_a[639], 2044 % 256);
    EXPECT_EQ(row_b[639], 4092 % 256);

    // 208 / 720 * 4410 / 2 is 637 in exact arithmetic but just below it in double precision; the
    // test's own thread may run the x87 unit at a higher precision, which would pick 637.
    const std::int32_t w2 = 720;
    const std::uint32_t n2 = 4410;
    std::vector<float> samples2(n2);
    for (std::uint32_t i = 0; i < n2; ++i) {
        samples2[i] = static_cast<float>(i % 256) / 512.0f;
    }
    bytes heat2 = field(w2, h);
    seed_bottom_rows(heat2.data(), w2, h, samples2.data(), n2, random);
    EXPECT_EQ(heat2[static_cast<std::size_t>(h - 2) * w2 + 208], 636 % 256);
}

TEST(HeatField, OddSampleCountsStayInsideTheSamples)
{
    // Exactly sized heap copies, so a read past the end shows under a memory checker.
    for (std::uint32_t n : {1u, 2u, 3u, 5u, 7u, 4095u}) {
        std::vector<float> samples(n, 0.25f);
        samples.back() = 0.5f - 1.0f / 512.0f;  // byte 255
        bytes heat = field(13, 6);
        random_state random;
        seed_bottom_rows(heat.data(), 13, 6, samples.data(), n, random);
        for (std::int32_t x = 0; x < 13; ++x) {
            const std::uint8_t b = heat[6 * 13 + x];
            EXPECT_TRUE(b == 128 || b == 255) << "n " << n;
        }
        if (n == 1) {
            EXPECT_EQ(row(heat, 13, 4), bytes(13, 255));
            EXPECT_EQ(row(heat, 13, 6), bytes(13, 255));
        }
    }
}

TEST(HeatField, NoiseRowsTakeTwoWidthsOfDraws)
{
    const std::int32_t w = 7, h = 5;
    const std::vector<float> silence(64, 0.0f);
    random_state random;
    bytes heat = field(w, h);
    seed_bottom_rows(heat.data(), w, h, silence.data(), 64, random);

    random_state expected;
    bytes noise_1, noise_2;
    for (std::int32_t x = 0; x < w; ++x) {
        noise_1.push_back(static_cast<std::uint8_t>(next_random(expected)));
    }
    for (std::int32_t x = 0; x < w; ++x) {
        noise_2.push_back(static_cast<std::uint8_t>(next_random(expected)));
    }
    EXPECT_EQ(row(heat, w, h - 2), bytes(w, 0));  // silence
    EXPECT_EQ(row(heat, w, h - 1), noise_1);
    EXPECT_EQ(row(heat, w, h), bytes(w, 0));
    EXPECT_EQ(row(heat, w, h + 1), noise_2);
    EXPECT_EQ(random.value, expected.value) << "exactly 2 x width draws";
    EXPECT_EQ(row(heat, w, 0), bytes(w, 0)) << "seeding touches only the bottom rows";
}

TEST(HeatField, NoSamplesSeedNothingAndDrawNothing)
{
    random_state random;
    bytes heat = field(8, 6, 9);
    seed_bottom_rows(heat.data(), 8, 6, nullptr, 0, random);
    EXPECT_EQ(heat, field(8, 6, 9));
    EXPECT_EQ(random.value, random_state{}.value);
}

TEST(HeatField, CopyFrameHonoursRowSkip)
{
    const std::int32_t w = 6, h = 4;
    bytes heat = field(w, h);
    for (std::size_t i = 0; i < heat.size(); ++i) {
        heat[i] = static_cast<std::uint8_t>(i + 1);
    }

    bytes packed(static_cast<std::size_t>(w * h), 0xEE);
    copy_frame(packed.data(), heat.data(), w, h, 0);
    EXPECT_EQ(packed, bytes(heat.begin(), heat.begin() + w * h)) << "the hidden rows are not copied";

    const std::int32_t skip = 128;
    bytes padded(static_cast<std::size_t>((w + skip) * h), 0xEE);
    copy_frame(padded.data(), heat.data(), w, h, skip);
    for (std::int32_t r = 0; r < h; ++r) {
        const auto start = padded.begin() + r * (w + skip);
        EXPECT_EQ(bytes(start, start + w), row(heat, w, r));
        EXPECT_EQ(bytes(start + w, start + w + skip), bytes(skip, 0xEE)) << "padding of row " << r;
    }
}
