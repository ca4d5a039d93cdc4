#include "fire/fire_simulation.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "fire/heat_field.h"
#include "fire/next_random.h"

using namespace pyrelle;

namespace {

using bytes = std::vector<std::uint8_t>;

constexpr std::int32_t width = 37;  // two vector blocks and a remainder per row
constexpr std::int32_t height = 9;
constexpr std::int32_t row_skip = 3;
constexpr int frames = 400;  // 320 advancing: past the 256th, where each flowing anchor draws a new target
const fire_colours colours{0x00102030, 0x000000FF, 0x003EFFFF, true, false, true};

// Frame k's chunk: k % 5 samples (none every fifth frame), varied values.
std::vector<float> chunk_for(int k)
{
    std::vector<float> samples(static_cast<std::size_t>(k % 5));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>((k * 7 + static_cast<int>(i) * 13) % 97) / 200.0f;
    }
    return samples;
}

struct frame_record {
    bytes heat;
    std::array<palette_entry, palette_size> palette;
};

void record(std::vector<frame_record>& out, const bytes& heat, const palette_entry* palette)
{
    frame_record r{heat, {}};
    std::copy(palette, palette + palette_size, r.palette.begin());
    out.push_back(r);
}

}  // namespace

TEST(FireSimulation, FramesFollowTheRunOrderWhateverIsLookedAt)
{
    // By hand: the start colours from the starting generator; the flow, then the seeding, then the
    // reference filter, all from the run's own.
    std::vector<frame_record> expected;
    {
        random_state starter, run_random;
        std::array<palette_entry, palette_size> palette{};
        std::array<colour, ramp_size> low{}, middle{}, high{};
        colour_flow flow;
        flow.colours = colours;
        flow.palette_entries = palette.data();
        flow.low_ramp = low.data();
        flow.middle_ramp = middle.data();
        flow.high_ramp = high.data();
        start_colour_flow(flow, starter);
        start_colour_ramps(flow);
        bytes heat(heat_field_bytes(width, height), 0);
        for (int k = 0; k < frames; ++k) {
            const std::vector<float> samples = chunk_for(k);
            if (!samples.empty()) {
                advance_colour_flow(flow, run_random);
                seed_bottom_rows(heat.data(), width, height, samples.data(), static_cast<std::uint32_t>(samples.size()),
                                 run_random);
                propagate_heat_reference(heat.data(), width, height);
            }
            record(expected, heat, palette.data());
        }
    }

    // The simulation, looked at in every order a caller may use: the copy (which also filters),
    // the field, both, or nothing before the next advance.
    random_state starter, run_random;
    fire_simulation fire(width, height, colours);
    fire.start_colours(starter);
    fire.start_ramps();
    const std::size_t pitch = static_cast<std::size_t>(width + row_skip);
    bytes surface(pitch * static_cast<std::size_t>(height), 0xEE);
    for (int k = 0; k < frames; ++k) {
        const std::vector<float> samples = chunk_for(k);
        const bool changed = fire.advance(samples.data(), static_cast<std::uint32_t>(samples.size()), run_random);
        ASSERT_EQ(changed, !samples.empty()) << "frame " << k;
        const frame_record& want = expected[static_cast<std::size_t>(k)];
        if (k % 4 == 0 || k % 4 == 2) {
            fire.copy_to(surface.data(), row_skip);
            for (std::int32_t y = 0; y < height; ++y) {
                const auto row = surface.begin() + static_cast<std::ptrdiff_t>(pitch) * y;
                const auto field_row = want.heat.begin() + width * y;
                ASSERT_TRUE(std::equal(field_row, field_row + width, row)) << "frame " << k << " row " << y;
                ASSERT_EQ(bytes(row + width, row + static_cast<std::ptrdiff_t>(pitch)), bytes(row_skip, 0xEE));
            }
        }
        if (k % 4 == 1 || k % 4 == 2) {
            ASSERT_EQ(fire.heat(), want.heat) << "frame " << k;
        }
        ASSERT_TRUE(std::equal(want.palette.begin(), want.palette.end(), fire.palette())) << "frame " << k;
    }
    EXPECT_EQ(fire.heat(), expected.back().heat);
}
