#pragma once
// What a run starts from: a display mode, the three anchor colours, their flow switches and the
// frame rate, as ten 32-bit values. The module's toggle and `pyrelle render` both make one from
// the stored settings; what neither sets keeps the stored settings' initial values.
#include <cstdint>

#include "config/configuration.h"
#include "fire/colour_flow.h"

namespace pyrelle {

struct fire_settings {
    // One display mode, as the mode list holds it; no mode until the caller picks one.
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t bits_per_pixel = 0;
    colour low_colour = initial_low_colour;
    colour middle_colour = initial_middle_colour;
    colour high_colour = initial_high_colour;
    std::uint32_t low_flow = initial_low_flow;  // only the low byte counts, as in the stored byte
    std::uint32_t middle_flow = initial_middle_flow;
    std::uint32_t high_flow = initial_high_flow;
    std::int32_t frame_rate = initial_frame_rate;  // as stored; timer_period_ms brings it into range

    // The colours and switches that the fire itself takes.
    fire_colours colours() const noexcept;
};
static_assert(sizeof(fire_settings) == 40, "fire_settings is ten 32-bit values");

// The stored colours, flow switches and frame rate; the display mode is the caller's to pick (the
// module from its mode list, the tool from its command line).
fire_settings stored_fire_settings(const configuration& stored) noexcept;

}  // namespace pyrelle
