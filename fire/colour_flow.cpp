#include "fire/colour_flow.h"

namespace pyrelle {
namespace {

struct anchor {
    bool flows;
    colour& from;
    colour& to;
    colour* ramp;
};

// High, middle, low: the order in which new targets are drawn.
template <typename Action>
void for_each_anchor(colour_flow& f, Action action)
{
    anchor anchors[] = {
        {f.colours.high_flow, f.high_from, f.high_to, f.high_ramp},
        {f.colours.middle_flow, f.middle_from, f.middle_to, f.middle_ramp},
        {f.colours.low_flow, f.low_from, f.low_to, f.low_ramp},
    };
    for (anchor& a : anchors) {
        action(a);
    }
}

}  // namespace

void start_colour_flow(colour_flow& f, random_state& random) noexcept
{
    f.high_from = random_colour(random);
    f.high_to = random_colour(random);
    f.middle_from = random_colour(random);
    f.middle_to = random_colour(random);
    f.low_from = random_colour(random);
    f.low_to = random_colour(random);
    const fire_colours& c = f.colours;
    build_palette(f.palette_entries, c.low_flow ? f.low_from : c.low, c.middle_flow ? f.middle_from : c.middle,
                  c.high_flow ? f.high_from : c.high);
}

void start_colour_ramps(colour_flow& f) noexcept
{
    f.flow_step = 0;
    for_each_anchor(f, [](anchor& a) { build_ramp(a.ramp, a.from, a.to); });
}

void advance_colour_flow(colour_flow& f, random_state& random) noexcept
{
    if (++f.flow_step == ramp_size) {
        f.flow_step = 0;
        for_each_anchor(f, [&random](anchor& a) {
            if (!a.flows) {
                return;
            }
            a.from = a.to;
            a.to = random_colour(random);
            build_ramp(a.ramp, a.from, a.to);
        });
    }
    const auto shown = [&f](bool flows, const colour* ramp, colour fixed) { return flows ? ramp[f.flow_step] : fixed; };
    build_palette(f.palette_entries, shown(f.colours.low_flow, f.low_ramp, f.colours.low),
                  shown(f.colours.middle_flow, f.middle_ramp, f.colours.middle),
                  shown(f.colours.high_flow, f.high_ramp, f.colours.high));
}

}  // namespace pyrelle
