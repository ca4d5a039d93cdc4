#include "tools/pyrelle/offscreen_run.h"

namespace pyrelle::tools {

offscreen_run::offscreen_run(const run_settings& s)
    : fire_(s.width, s.height, fire_colours{s.low, s.middle, s.high, s.low_flow, s.middle_flow, s.high_flow})
{
    fire_.start_colours();
    fire_.start_ramps();
}

bool offscreen_run::frame(const float* samples, std::uint32_t count, bool have_audio)
{
    // A fetch that delivered no samples cannot seed; the frame shows the field as it stands.
    if (!have_audio || count == 0) {
        return false;
    }
    fire_.advance(samples, count);
    return true;
}

}  // namespace pyrelle::tools
