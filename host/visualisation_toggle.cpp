#include "host/visualisation_toggle.h"

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
    fire_settings run = stored_fire_settings(settings);
    run.width = static_cast<std::int32_t>(mode.width);
    run.height = static_cast<std::int32_t>(mode.height);
    run.bits_per_pixel = mode.bits_per_pixel;
    engine.open(run);
}

}  // namespace pyrelle
