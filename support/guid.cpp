#include "support/guid.h"

#include <cstring>

namespace pyrelle {

bool operator==(const guid& a, const guid& b) noexcept
{
    // The struct has no padding (16 bytes, checked in the header), so the bytes are the identity.
    return std::memcmp(&a, &b, sizeof(guid)) == 0;
}

bool operator!=(const guid& a, const guid& b) noexcept { return !(a == b); }

namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

// Writes `digits` hex digits of `value`, most significant first; returns the position after them.
char* put_hex(char* out, std::uint32_t value, int digits) noexcept
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = hex_digits[value & 0xFu];
        value >>= 4;
    }
    return out + digits;
}

}  // namespace

char* format_guid(const guid& id, char* out) noexcept
{
    char* p = put_hex(out, id.data1, 8);
    *p++ = '-';
    p = put_hex(p, id.data2, 4);
    *p++ = '-';
    p = put_hex(p, id.data3, 4);
    *p++ = '-';
    p = put_hex(p, id.data4[0], 2);
    p = put_hex(p, id.data4[1], 2);
    *p++ = '-';
    for (int i = 2; i < 8; ++i) {
        p = put_hex(p, id.data4[i], 2);
    }
    *p = '\0';
    return out;
}

}  // namespace pyrelle
