#pragma once
// The pace of a run. The stored frame rate is not range-checked where it is stored: a run serves
// 1 to 1000 frames a second and runs any other rate at the default. The frame timer counts whole
// milliseconds, so a frame lasts 1000 / rate of them, truncated: 24 frames a second give 41 ms,
// really 24.39 frames a second.
#include <cstdint>

#include "config/configuration.h"

namespace pyrelle {

constexpr std::int32_t min_frame_rate = 1;
// Above this the period would truncate to 0, which fires a periodic timer only once.
constexpr std::int32_t max_frame_rate = 1000;
constexpr std::int32_t fallback_frame_rate = initial_frame_rate;

// The rate a run keeps for a stored `frame_rate`: itself within min..max, else the fallback.
constexpr std::int32_t usable_frame_rate(std::int32_t frame_rate) noexcept
{
    return frame_rate >= min_frame_rate && frame_rate <= max_frame_rate ? frame_rate : fallback_frame_rate;
}

// The frame timer's period in milliseconds for a stored `frame_rate`: 24 gives 41, 30 gives 33.
constexpr std::int32_t timer_period_ms(std::int32_t frame_rate) noexcept
{
    return 1000 / usable_frame_rate(frame_rate);
}

}  // namespace pyrelle
