#pragma once
// The fire of one full-screen run, without a screen: the heat field, the palette and the colour
// flow as the module's run holds them, advanced frame by frame as its render thread does.
//
// The start colours come from `starter`, the generator of whoever starts runs; the noise rows and
// every later flow colour from the run's own, fresh generator. With a fresh starter the output is
// the module's first run in a process.
#include <cstdint>
#include <vector>

#include "fire/fire_settings.h"
#include "fire/fire_simulation.h"
#include "fire/next_random.h"

namespace pyrelle::tools {

class offscreen_run {
public:
    // Uses the settings' mode and colours (the frame rate is the caller's to keep).
    offscreen_run(const fire_settings& settings, random_state& starter);
    offscreen_run(const offscreen_run&) = delete;
    offscreen_run& operator=(const offscreen_run&) = delete;

    // One drawn frame: with audio the fire advances by the chunk (fire_simulation::advance);
    // without, the picture stays as it was. Returns whether it advanced.
    bool frame(const float* samples, std::uint32_t count, bool have_audio);

    std::int32_t width() const { return fire_.width(); }
    std::int32_t height() const { return fire_.height(); }
    const std::vector<std::uint8_t>& heat() const { return fire_.heat(); }
    const palette_entry* palette() const { return fire_.palette(); }

    // Rows 0 .. height-1, as the screen shows them (palette indices).
    void screen(std::uint8_t* destination) const { fire_.copy_to(destination, 0); }

private:
    fire_simulation fire_;
    random_state run_random_;
};

}  // namespace pyrelle::tools
