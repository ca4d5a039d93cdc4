#include "fire/visualisation_toggle.h"

#include "fire/fire_engine.h"

namespace pyrelle {

void toggle_visualisation(fire_engine& engine, const display_mode_list& modes, const configuration& settings)
{
    if (engine.is_running()) {
        engine.close_window();
        return;
    }
    if (modes.empty()) {
        return;
    }
    const display_mode& mode =
        modes[static_cast<std::uint32_t>(clamp_display_mode_index(settings.display_mode_index.value, modes.count()))];
    const fire_settings run{
        static_cast<std::int32_t>(mode.width),
        static_cast<std::int32_t>(mode.height),
        mode.bits_per_pixel,
        static_cast<colour>(settings.low_colour.value),
        static_cast<colour>(settings.middle_colour.value),
        static_cast<colour>(settings.high_colour.value),
        settings.low_flow.value,
        settings.middle_flow.value,
        settings.high_flow.value,
        settings.frame_rate.value,
    };
    engine.open(run);
}

}  // namespace pyrelle
