#include "tools/pyrelle/offscreen_run.h"

#include <stdexcept>

#include "fire/heat_field.h"

namespace pyrelle::tools {

offscreen_run::offscreen_run(const run_settings& s)
    : width_(s.width),
      height_(s.height),
      palette_(palette_size),
      low_ramp_(ramp_size),
      middle_ramp_(ramp_size),
      high_ramp_(ramp_size)
{
    if (!heat_field_size_supported(width_, height_)) {
        throw std::invalid_argument("display mode too small for the fire");
    }
    heat_.assign(heat_field_bytes(width_, height_), 0);

    flow_.low_colour = s.low;
    flow_.middle_colour = s.middle;
    flow_.high_colour = s.high;
    flow_.low_flow = s.low_flow;
    flow_.middle_flow = s.middle_flow;
    flow_.high_flow = s.high_flow;
    flow_.palette_entries = palette_.data();
    flow_.low_ramp = low_ramp_.data();
    flow_.middle_ramp = middle_ramp_.data();
    flow_.high_ramp = high_ramp_.data();
    start_colour_flow(flow_);
    start_colour_ramps(flow_);
}

bool offscreen_run::frame(const float* samples, std::uint32_t count, bool have_audio)
{
    // A fetch that delivered no samples cannot seed; the frame shows the field as it stands.
    if (!have_audio || count == 0) {
        return false;
    }
    if (flow_.any_flow()) {
        advance_colour_flow(flow_);
    }
    seed_bottom_rows(heat_.data(), width_, height_, samples, count);
    propagate_heat(heat_.data(), width_, height_);
    return true;
}

void offscreen_run::screen(std::uint8_t* destination) const
{
    copy_frame(destination, heat_.data(), width_, height_, 0);
}

}  // namespace pyrelle::tools
