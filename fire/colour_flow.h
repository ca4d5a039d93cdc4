#pragma once
// The drift of the three anchor colours along random ramps. The tables are owned by whoever
// holds the colour_flow (the run allocates them at start); this state only points at them.
#include <cstdint>

#include "fire/fire_palette.h"

namespace pyrelle {

// The user's three anchors and their flow switches, fixed for a run.
struct fire_colours {
    colour low = 0;
    colour middle = 0;
    colour high = 0;
    bool low_flow = false;
    bool middle_flow = false;
    bool high_flow = false;
};

struct colour_flow {
    fire_colours colours;

    palette_entry* palette_entries = nullptr;  // 256 entries
    colour* low_ramp = nullptr;                // 256 colours each
    colour* middle_ramp = nullptr;
    colour* high_ramp = nullptr;

    colour low_from = 0, low_to = 0;
    colour middle_from = 0, middle_to = 0;
    colour high_from = 0, high_to = 0;
    std::int32_t flow_step = 0;  // 0..255, shared by the three ramps

    bool any_flow() const noexcept { return colours.low_flow || colours.middle_flow || colours.high_flow; }
};

// Run start, first step: draws the six end points from `random` (high_from, high_to, middle_from,
// middle_to, low_from, low_to, whatever the switches) and builds the first palette, a flowing
// anchor starting at its _from colour.
void start_colour_flow(colour_flow& flow, random_state& random) noexcept;

// Run start, second step (once the palette object exists): flow_step = 0 and all three ramps built.
void start_colour_ramps(colour_flow& flow) noexcept;

// One advancing frame: steps along the ramps, every 256 steps moving each flowing anchor on to a
// new target drawn from `random`, and rebuilds palette_entries. The caller uploads the palette.
void advance_colour_flow(colour_flow& flow, random_state& random) noexcept;

}  // namespace pyrelle
