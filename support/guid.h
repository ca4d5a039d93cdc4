#pragma once
// The 16-byte identifier that names services, configuration variables and pages. Layout is the
// Windows one (little-endian 32/16/16-bit fields, then 8 bytes), so a pyrelle::guid can be handed
// to the host or read from a stored record as it stands.
#include <cstddef>
#include <cstdint>

namespace pyrelle {

struct guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};
static_assert(sizeof(guid) == 16, "guid must have the 16-byte Windows layout");

// Equal when all 16 bytes are equal.
bool operator==(const guid& a, const guid& b) noexcept;
bool operator!=(const guid& a, const guid& b) noexcept;

// Bytes format_guid writes: 36 characters and the NUL.
constexpr std::size_t guid_text_size = 37;

// Writes the 36-character upper-case 8-4-4-4-12 form (no braces) and a NUL into `out`, which must
// hold at least guid_text_size bytes; returns `out`.
char* format_guid(const guid& id, char* out) noexcept;

}  // namespace pyrelle
