#include "tools/pyrelle/offscreen_run.h"

namespace pyrelle::tools {

offscreen_run::offscreen_run(const fire_settings& settings, random_state& starter)
    : fire_(settings.width, settings.height, settings.colours())
{
    fire_.start_colours(starter);
    fire_.start_ramps();
}

bool offscreen_run::frame(const float* samples, std::uint32_t count, bool have_audio)
{
    // A fetch that delivered no samples cannot seed; the frame shows the field as it stands.
    if (!have_audio || count == 0) {
        return false;
    }
    fire_.advance(samples, count, run_random_);
    return true;
}

}  // namespace pyrelle::tools
