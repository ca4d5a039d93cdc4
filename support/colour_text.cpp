#include "support/colour_text.h"

namespace pyrelle {
namespace {

int hex_digit(char c) noexcept
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool parse_hex(std::string_view digits, std::size_t max_digits, std::uint32_t& value) noexcept
{
    if (digits.empty() || digits.size() > max_digits) {
        return false;
    }
    std::uint32_t v = 0;
    for (char c : digits) {
        const int d = hex_digit(c);
        if (d < 0) {
            return false;
        }
        v = v << 4 | static_cast<std::uint32_t>(d);
    }
    value = v;
    return true;
}

}  // namespace

bool parse_colour_text(std::string_view text, std::uint32_t& colour) noexcept
{
    std::uint32_t value = 0;
    if (text.size() == 7 && text[0] == '#') {
        if (!parse_hex(text.substr(1), 6, value)) {
            return false;
        }
        // #RRGGBB reads in the opposite byte order to a COLORREF.
        colour = (value >> 16 & 0xFFu) | (value & 0xFF00u) | (value & 0xFFu) << 16;
        return true;
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (!parse_hex(text.substr(2), 8, value)) {
            return false;
        }
        colour = value;
        return true;
    }
    return false;
}

}  // namespace pyrelle
