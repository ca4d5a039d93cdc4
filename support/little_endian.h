#pragma once
// 32-bit values in little-endian byte order, independent of the byte order of the machine that
// runs the code, so that stored records read the same on every build.
#include <cstdint>

namespace pyrelle {

inline void store_le32(std::uint8_t* out, std::uint32_t value) noexcept
{
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}

inline std::uint32_t load_le32(const std::uint8_t* in) noexcept
{
    return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 | std::uint32_t{in[3]} << 24;
}

}  // namespace pyrelle
