#include "fire/fire_palette.h"

#include "fire/next_random.h"

namespace pyrelle {
namespace {

struct rgb {
    unsigned red, green, blue;
};

rgb channels(colour c) noexcept { return {c & 0xFFu, (c >> 8) & 0xFFu, (c >> 16) & 0xFFu}; }
rgb channels(const palette_entry& e) noexcept { return {e.red, e.green, e.blue}; }

// Fills the inside of [a, b] by halving: the middle first, then each half. Both ends of every
// interval are set before its middle, which is what makes the result differ from a straight line.
template <typename Item, typename Make>
void fill_by_halving(Item* items, int a, int b, Make make) noexcept
{
    if (b - a < 2) {
        return;
    }
    const int m = (a + b) / 2;
    const rgb lo = channels(items[a]);
    const rgb hi = channels(items[b]);
    items[m] = make(rgb{(lo.red + hi.red) / 2, (lo.green + hi.green) / 2, (lo.blue + hi.blue) / 2});
    fill_by_halving(items, a, m, make);
    fill_by_halving(items, m, b, make);
}

}  // namespace

palette_entry entry_from_colour(colour c) noexcept
{
    return {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16),
            static_cast<std::uint8_t>(c >> 24)};
}

void build_palette(palette_entry* entries, colour low, colour middle, colour high) noexcept
{
    entries[0] = entry_from_colour(low);
    entries[127] = entry_from_colour(middle);
    entries[255] = entry_from_colour(high);
    const auto make = [](rgb c) {
        return palette_entry{static_cast<std::uint8_t>(c.red), static_cast<std::uint8_t>(c.green),
                             static_cast<std::uint8_t>(c.blue), pc_nocollapse};
    };
    fill_by_halving(entries, 0, 127, make);
    fill_by_halving(entries, 127, 255, make);
}

void build_ramp(colour* ramp, colour from, colour to) noexcept
{
    ramp[0] = from;
    ramp[255] = to;
    fill_by_halving(ramp, 0, 255, [](rgb c) { return colour{c.red | (c.green << 8) | (c.blue << 16)}; });
}

colour random_colour(random_state& random) noexcept
{
    const colour blue = next_random(random) & 0xFFu;
    const colour green = next_random(random) & 0xFFu;
    const colour red = next_random(random) & 0xFFu;
    return (blue << 16) | (green << 8) | red;
}

}  // namespace pyrelle
