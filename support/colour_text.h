#pragma once
// Colours as people type them: "#RRGGBB", as colour pickers and web pages write them, or a
// COLORREF written "0x00BBGGRR", as the stored settings hold them. One reader for every program
// of the project, so that a colour that one accepts the others accept too.
#include <cstdint>
#include <string_view>

namespace pyrelle {

// True with `colour` set to the COLORREF (0x00BBGGRR: red in the low byte) when all of `text` is
// '#' and exactly six hex digits, or "0x" / "0X" and one to eight hex digits. Hex digits are
// case-insensitive. On false `colour` is left as it was.
bool parse_colour_text(std::string_view text, std::uint32_t& colour) noexcept;

}  // namespace pyrelle
