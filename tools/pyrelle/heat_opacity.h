#pragma once
// How opaque a pixel of a transparent picture is (`--transparent`): its opacity follows its heat,
// which is also its palette index. Heat 0, where nothing burns, is fully clear; each step of heat
// adds 2 of 255, so that from heat 128 on, just past the middle colour at 127, the flames are fully
// opaque. Opaque at a lower heat, the faint glow lays a dark haze over the picture beneath; at a
// higher one, the body of the flames washes out.
#include <cstdint>

namespace pyrelle::tools {

constexpr std::uint8_t heat_opacity(std::uint8_t heat)
{
    return heat >= 128 ? 255 : static_cast<std::uint8_t>(2 * heat);
}

}  // namespace pyrelle::tools
