#pragma once
// The fire of one full-screen run, without a screen: the heat field, the palette and the colour
// flow as the module's run holds them, advanced frame by frame as its render thread does.
//
// Construction draws the six start colours on the constructing thread; frame() must then be called
// from one other thread, the "render thread", whose own generator supplies the noise rows and every
// later flow colour. That split is what makes the output equal the module's first run in a process.
#include <cstdint>
#include <vector>

#include "fire/fire_simulation.h"

namespace pyrelle::tools {

struct run_settings {
    std::int32_t width = 640;
    std::int32_t height = 480;
    colour low = 0x00000000;
    colour middle = 0x000000FF;
    colour high = 0x003EFFFF;
    bool low_flow = false;
    bool middle_flow = false;
    bool high_flow = false;
};

class offscreen_run {
public:
    explicit offscreen_run(const run_settings& settings);
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
};

}  // namespace pyrelle::tools
