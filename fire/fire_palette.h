#pragma once
// The 256-entry palette that turns heat into colour, and the 256-step ramps along which flowing
// anchors drift. Both fill the space between their ends by repeated halving (not linearly).
#include <cstdint>

#include "fire/next_random.h"

namespace pyrelle {

// A Windows COLORREF, 0x00BBGGRR; in memory the bytes red, green, blue, 0.
using colour = std::uint32_t;

// Layout of the Windows PALETTEENTRY.
struct palette_entry {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t flags;
};
static_assert(sizeof(palette_entry) == 4, "palette_entry must match PALETTEENTRY");

inline bool operator==(palette_entry a, palette_entry b) noexcept
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.flags == b.flags;
}
inline bool operator!=(palette_entry a, palette_entry b) noexcept { return !(a == b); }

constexpr int palette_size = 256;
constexpr int ramp_size = 256;
constexpr std::uint8_t pc_nocollapse = 0x04;

// A colour stored whole: its top byte becomes the flags byte.
palette_entry entry_from_colour(colour c) noexcept;

// Entry 0 = low, 127 = middle, 255 = high (flags from the colour's top byte); every other entry is
// a per-channel halving between anchors with flags PC_NOCOLLAPSE.
void build_palette(palette_entry* entries, colour low, colour middle, colour high) noexcept;

// Entry 0 = from, 255 = to; the rest by halving, top byte 0.
void build_ramp(colour* ramp, colour from, colour to) noexcept;

// Three draws of `random`: blue, then green, then red (low 8 bits each).
colour random_colour(random_state& random) noexcept;

}  // namespace pyrelle
