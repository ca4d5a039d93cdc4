#include "fire/fire_simulation.h"

#include <limits>
#include <new>
#include <stdexcept>

#include "fire/heat_field.h"

namespace pyrelle {
namespace {

std::size_t checked_field_bytes(std::int32_t width, std::int32_t height)
{
    if (!heat_field_size_supported(width, height)) {
        throw std::invalid_argument("display mode too small for the fire");
    }
    // A size past the address space cannot come from a mode DirectDraw accepted, but the product
    // must not wrap on a 32-bit build.
    const std::uint64_t bytes = static_cast<std::uint64_t>(width) * (static_cast<std::uint64_t>(height) + 2);
    if (bytes > std::numeric_limits<std::size_t>::max()) {
        throw std::bad_alloc();
    }
    return heat_field_bytes(width, height);
}

}  // namespace

fire_simulation::fire_simulation(std::int32_t width, std::int32_t height, const fire_colours& colours)
    : width_(width),
      height_(height),
      heat_(checked_field_bytes(width, height), 0),
      spread_(static_cast<std::size_t>(width)),
      palette_(palette_size),
      low_ramp_(ramp_size),
      middle_ramp_(ramp_size),
      high_ramp_(ramp_size)
{
    flow_.colours = colours;
    flow_.palette_entries = palette_.data();
    flow_.low_ramp = low_ramp_.data();
    flow_.middle_ramp = middle_ramp_.data();
    flow_.high_ramp = high_ramp_.data();
}

void fire_simulation::start_colours(random_state& starter) noexcept { start_colour_flow(flow_, starter); }

void fire_simulation::start_ramps() noexcept { start_colour_ramps(flow_); }

bool fire_simulation::advance(const float* samples, std::uint32_t sample_count, random_state& run_random) noexcept
{
    if (sample_count == 0) {
        return false;
    }
    settle();  // seeding overwrites rows that the owed propagation still reads
    // The flow draws its new targets before the noise rows: the run's sequence depends on this
    // order.
    const bool palette_changed = flow_.any_flow();
    if (palette_changed) {
        advance_colour_flow(flow_, run_random);
    }
    if (sample_count != spread_count_) {  // the host's chunks rarely change size
        sample_spread(spread_.data(), width_, sample_count);
        spread_count_ = sample_count;
    }
    seed_bottom_rows(heat_.data(), width_, height_, samples, sample_count, spread_.data(), run_random);
    propagation_owed_ = true;
    return palette_changed;
}

void fire_simulation::copy_to(std::uint8_t* destination, std::int32_t row_skip) const noexcept
{
    if (propagation_owed_) {
        propagation_owed_ = false;
        propagate_heat_and_copy(heat_.data(), width_, height_, destination, row_skip);
        return;
    }
    copy_frame(destination, heat_.data(), width_, height_, row_skip);
}

void fire_simulation::settle() const noexcept
{
    if (propagation_owed_) {
        propagation_owed_ = false;
        propagate_heat(heat_.data(), width_, height_);
    }
}

}  // namespace pyrelle
