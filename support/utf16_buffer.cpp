#include "support/utf16_buffer.h"

#include <new>

namespace pyrelle {

namespace {

constexpr std::uint32_t last_code_point = 0x10FFFF;

std::uint8_t byte_at(const char* bytes, std::size_t i) noexcept { return static_cast<std::uint8_t>(bytes[i]); }

// Units that `code_point` takes in UTF-16 (0 when it has no UTF-16 form).
std::size_t units_for(std::uint32_t code_point) noexcept
{
    if (code_point == 0 || code_point > last_code_point) {
        return 0;
    }
    return code_point < 0x10000 ? 1 : 2;
}

}  // namespace

decoded_sequence decode_utf8_sequence(const char* bytes, std::size_t available) noexcept
{
    constexpr decoded_sequence invalid{0, 0};
    if (available == 0 || bytes == nullptr) {
        return invalid;
    }
    const std::size_t looked_at = available < 6 ? available : 6;

    const std::uint32_t lead = byte_at(bytes, 0);
    if (lead < 0x80) {
        return {lead != 0 ? 1u : 0u, lead};
    }

    std::uint32_t n = 0;
    if (looked_at >= 2 && (lead & 0xE0) == 0xC0) {
        n = 2;
    } else if (looked_at >= 3 && (lead & 0xF0) == 0xE0) {
        n = 3;
    } else if (looked_at >= 4 && (lead & 0xF8) == 0xF0) {
        n = 4;
    } else if (looked_at >= 5 && (lead & 0xFC) == 0xF8) {
        n = 5;
    } else if (looked_at >= 6 && (lead & 0xFE) == 0xFC) {
        n = 6;
    }
    if (n == 0) {
        return invalid;
    }

    // Stop at the first NUL: it is the end of the text, and nothing after it may be read.
    for (std::uint32_t k = 1; k < n; ++k) {
        if (byte_at(bytes, k) == 0) {
            return invalid;
        }
    }
    if (n == 2 && (lead & 0x1E) == 0) {
        return invalid;  // C0 and C1 only encode ASCII
    }

    std::uint32_t value = lead & (0xFFu >> (n + 1));
    for (std::uint32_t k = 1; k < n; ++k) {
        const std::uint32_t b = byte_at(bytes, k);
        if ((b & 0xC0) != 0x80) {
            return invalid;
        }
        // No payload bits yet: the bits this byte adds must not all be zero either, which turns
        // away the overlong forms of the smallest values, U+0000 among them.
        if (k == 2 && value == 0 && ((b & 0x7F) >> (7 - n)) == 0) {
            return invalid;
        }
        value = (value << 6) | (b & 0x3F);
    }
    return {n, value};
}

std::size_t count_utf16_units(const char* text, std::size_t max_bytes) noexcept
{
    std::size_t units = 1;
    std::size_t used = 0;
    while (used < max_bytes) {
        const decoded_sequence d = decode_utf8_sequence(text + used, max_bytes - used);
        const std::size_t more = units_for(d.code_point);
        if (d.bytes_used == 0 || more == 0) {
            break;
        }
        units += more;
        used += d.bytes_used;
    }
    return units;
}

std::size_t utf8_to_utf16(char16_t* out, std::size_t capacity, const char* text, std::size_t max_bytes) noexcept
{
    if (capacity == 0) {
        return 0;
    }
    // The last unit is kept for the terminator, and a code point is written whole or not at all,
    // so a short destination never ends in half a surrogate pair.
    const std::size_t room = capacity - 1;
    std::size_t written = 0;
    std::size_t used = 0;
    while (used < max_bytes && written < room) {
        const decoded_sequence d = decode_utf8_sequence(text + used, max_bytes - used);
        const std::size_t units = units_for(d.code_point);
        if (d.bytes_used == 0 || units == 0 || units > room - written) {
            break;
        }
        written = append_utf16(out, room, written, d.code_point);
        used += d.bytes_used;
    }
    out[written] = 0;
    return written;
}

std::size_t append_utf16(char16_t* out, std::size_t capacity, std::size_t written, std::uint32_t code_point) noexcept
{
    if (code_point == 0 || code_point > last_code_point) {
        return written;
    }
    if (code_point < 0x10000) {
        if (written < capacity) {
            out[written++] = static_cast<char16_t>(code_point);
        }
        return written;
    }
    const std::uint32_t offset = code_point - 0x10000;
    const char16_t units[2] = {static_cast<char16_t>(0xD800 | ((offset >> 10) & 0x3FF)),
                               static_cast<char16_t>(0xDC00 | (code_point & 0x3FF))};
    for (const char16_t unit : units) {
        if (written < capacity) {
            out[written++] = unit;
        }
    }
    return written;
}

utf16_buffer::utf16_buffer(const char* text, std::size_t max_bytes)
{
    const std::size_t units = count_utf16_units(text, max_bytes);
    // Sizes are 32-bit quantities whatever the platform; two bytes per unit must fit.
    if (units > 0xFFFFFFFFu / 2) {
        throw std::bad_alloc();
    }
    units_ = new char16_t[units];
    count_ = static_cast<std::uint32_t>(units);
    capacity_ = count_;
    utf8_to_utf16(units_, units, text, max_bytes);
}

utf16_buffer::~utf16_buffer() { delete[] units_; }

}  // namespace pyrelle
