#include "fire/colour_flow.h"

#include <gtest/gtest.h>

#include <array>

#include "fire/next_random.h"

using namespace pyrelle;

namespace {

// A colour_flow with its own tables, as a run allocates them.
struct flow_under_test {
    std::array<palette_entry, palette_size> palette{};
    std::array<colour, ramp_size> low{}, middle{}, high{};
    colour_flow flow;
    random_state random;  // fresh: one generator for the start and the frames

    flow_under_test(bool low_flow, bool middle_flow, bool high_flow)
    {
        flow.colours = fire_colours{0x00000000, 0x000000FF, 0x003EFFFF, low_flow, middle_flow, high_flow};
        flow.palette_entries = palette.data();
        flow.low_ramp = low.data();
        flow.middle_ramp = middle.data();
        flow.high_ramp = high.data();
    }

    void start()
    {
        start_colour_flow(flow, random);
        start_colour_ramps(flow);
    }

    void advance(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            advance_colour_flow(flow, random);
        }
    }

    colour entry(int i) const
    {
        const palette_entry& e = palette[static_cast<std::size_t>(i)];
        return colour{e.red} | colour{e.green} << 8 | colour{e.blue} << 16;
    }
};

// The n-th value (1-based) of the generator from state 1.
std::uint32_t nth_draw(int n)
{
    random_state state;
    std::uint32_t value = 0;
    for (int i = 0; i < n; ++i) {
        value = next_random(state);
    }
    return value;
}

}  // namespace

TEST(ColourFlow, StartDrawsSixEndPointsInOrderWhateverTheSwitches)
{
    flow_under_test t(false, false, false);
    t.start();
    // First colour: draws 41, 18467, 6334; second: 26500, 19169, 15724.
    EXPECT_EQ(t.flow.high_from, 0x002923BEu);
    EXPECT_EQ(t.flow.high_to, 0x0084E16Cu);
    EXPECT_EQ(t.flow.flow_step, 0);
    EXPECT_EQ(next_random(t.random), nth_draw(19)) << "exactly 18 draws";
    EXPECT_EQ(t.entry(0), 0x00000000u);
    EXPECT_EQ(t.entry(127), 0x000000FFu);
    EXPECT_EQ(t.entry(255), 0x003EFFFFu);
    EXPECT_EQ(t.high[0], t.flow.high_from) << "ramps are built even without flow";
    EXPECT_EQ(t.low[255], t.flow.low_to);
}

TEST(ColourFlow, FlowingLowAnchorStartsAtItsRampAndSteps)
{
    flow_under_test t(true, false, false);
    for (int run = 1; run <= 2; ++run) {
        // The second start finds the state a run left behind, part way along its ramps.
        t.start();
        EXPECT_EQ(t.entry(0), t.flow.low_from) << "run " << run;
        EXPECT_EQ(t.low[0], t.flow.low_from) << "run " << run;
        t.advance(1);
        EXPECT_EQ(t.entry(0), t.low[1]) << "run " << run << " does not flow from step 0";
        EXPECT_EQ(t.entry(127), 0x000000FFu);
        t.advance(99);
    }
}

TEST(ColourFlow, CycleShowsTheTargetTwiceAndDrawsOnlyForFlowingAnchors)
{
    flow_under_test t(false, true, false);
    t.start();
    const colour old_low_ramp_0 = t.low[0];
    const colour target = t.flow.middle_to;

    t.advance(255);
    EXPECT_EQ(t.flow.flow_step, 255);
    EXPECT_EQ(t.entry(127), target);

    t.advance(1);  // the 256th frame starts the next cycle
    EXPECT_EQ(t.flow.flow_step, 0);
    EXPECT_EQ(t.entry(127), target) << "entry 0 of the new ramp is the old target";
    EXPECT_EQ(t.flow.middle_from, target);
    EXPECT_EQ(t.middle[0], target);
    EXPECT_EQ(t.middle[255], t.flow.middle_to);
    EXPECT_EQ(next_random(t.random), nth_draw(18 + 3 + 1)) << "one new target: three draws";

    EXPECT_EQ(t.entry(0), 0x00000000u) << "low stays at the user's colour";
    EXPECT_EQ(t.entry(255), 0x003EFFFFu) << "high stays at the user's colour";
    EXPECT_EQ(t.low[0], old_low_ramp_0) << "a still anchor keeps its ramp";
}

TEST(ColourFlow, AllThreeAnchorsRenewInHighMiddleLowOrder)
{
    flow_under_test t(true, true, true);
    t.start();
    t.advance(256);
    random_state state;
    for (int i = 0; i < 18; ++i) {
        next_random(state);
    }
    const auto colour_from = [&state] {
        const colour b = next_random(state) & 0xFF, g = next_random(state) & 0xFF, r = next_random(state) & 0xFF;
        return b << 16 | g << 8 | r;
    };
    EXPECT_EQ(t.flow.high_to, colour_from());
    EXPECT_EQ(t.flow.middle_to, colour_from());
    EXPECT_EQ(t.flow.low_to, colour_from());
}
