#include "config/configuration.h"

namespace pyrelle {

void configuration::reset() noexcept {
    high_colour.value = initial_high_colour;
    middle_colour.value = initial_middle_colour;
    low_colour.value = initial_low_colour;
    display_mode_index.value = initial_display_mode_index;
    high_flow.value = initial_high_flow;
    middle_flow.value = initial_middle_flow;
    low_flow.value = initial_low_flow;
    frame_rate.value = initial_frame_rate;
}

}  // namespace pyrelle
