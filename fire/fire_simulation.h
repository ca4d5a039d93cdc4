#pragma once
// One run's fire without a screen: the heat field, the palette, the three ramps and the colour
// flow, driven in the order a run drives them. The module's render thread, `pyrelle render` and
// the benchmark all use this one object, so they draw the same frames byte for byte.
//
// A run: construct, start_colours() when the run starts, start_ramps(), then per frame advance()
// (when it has samples), palette() when that says it changed, and copy_to() into the surface.
// Random numbers come from two generators that the caller owns: the six start colours from the
// one that starts runs, the noise rows and later flow colours from the run's own, fresh for each
// run. With both fresh, the frames are those of the first run in a fresh process.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fire/colour_flow.h"
#include "fire/fire_palette.h"

namespace pyrelle {

class fire_simulation {
public:
    // An all-zero field of width x (height + 2) bytes and the colour tables. Throws
    // std::invalid_argument for a size the filter cannot work on (heat_field_size_supported) and
    // std::bad_alloc when the field does not fit the address space.
    fire_simulation(std::int32_t width, std::int32_t height, const fire_colours& colours);
    fire_simulation(const fire_simulation&) = delete;
    fire_simulation& operator=(const fire_simulation&) = delete;

    // Run start: the six ramp end points, drawn from `starter`, and the first palette.
    void start_colours(random_state& starter) noexcept;
    // Run start, second step: the flow back at step 0 and the three ramps built.
    void start_ramps() noexcept;

    // One advancing frame from a chunk of samples: colour flow (when any anchor flows), seeding,
    // propagation, every random number from the run's own generator `run_random`. With no
    // samples nothing changes and nothing is drawn. Returns whether the palette changed (the
    // caller uploads it).
    //
    // The propagation itself waits for the next copy_to, which filters and writes the surface in
    // one pass over the field, or for the next look at heat(), whichever comes first. It draws no
    // random numbers, so where it runs changes no byte.
    bool advance(const float* samples, std::uint32_t sample_count, random_state& run_random) noexcept;

    // 256 entries, in the layout of the Windows PALETTEENTRY.
    const palette_entry* palette() const noexcept { return palette_.data(); }

    // Rows 0 .. height-1 into surface memory, skipping `row_skip` bytes after each row (pitch
    // minus width; 0 for a packed picture).
    void copy_to(std::uint8_t* destination, std::int32_t row_skip) const noexcept;

    std::int32_t width() const noexcept { return width_; }
    std::int32_t height() const noexcept { return height_; }
    // The whole field, hidden rows included: width x (height + 2) bytes.
    const std::vector<std::uint8_t>& heat() const noexcept
    {
        settle();
        return heat_;
    }

private:
    // Brings the field up to date: the propagation still owed by the last advance.
    void settle() const noexcept;

    std::int32_t width_;
    std::int32_t height_;
    // Logically const: settle() completes the last advance, it changes nothing anyone has seen.
    mutable std::vector<std::uint8_t> heat_;
    mutable bool propagation_owed_ = false;
    std::vector<std::uint32_t> spread_;  // sample_spread for spread_count_ samples
    std::uint32_t spread_count_ = 0;     // 0: no table yet
    std::vector<palette_entry> palette_;
    std::vector<colour> low_ramp_, middle_ramp_, high_ramp_;
    colour_flow flow_;  // points at the tables above
};

}  // namespace pyrelle
