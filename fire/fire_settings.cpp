#include "fire/fire_settings.h"

namespace pyrelle {

fire_colours fire_settings::colours() const noexcept
{
    return fire_colours{low_colour,
                        middle_colour,
                        high_colour,
                        (low_flow & 0xFFu) != 0,
                        (middle_flow & 0xFFu) != 0,
                        (high_flow & 0xFFu) != 0};
}

fire_settings stored_fire_settings(const configuration& stored) noexcept
{
    fire_settings settings;
    settings.low_colour = static_cast<colour>(stored.low_colour.value);
    settings.middle_colour = static_cast<colour>(stored.middle_colour.value);
    settings.high_colour = static_cast<colour>(stored.high_colour.value);
    settings.low_flow = stored.low_flow.value;
    settings.middle_flow = stored.middle_flow.value;
    settings.high_flow = stored.high_flow.value;
    settings.frame_rate = stored.frame_rate.value;
    return settings;
}

}  // namespace pyrelle
