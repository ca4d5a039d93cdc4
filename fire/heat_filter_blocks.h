#pragma once
// The vector part of the heat filter (heat_field.cpp), in a file of its own so that it can be
// compiled with its own options.
#include <cstddef>
#include <cstdint>

namespace pyrelle {

// Visits positions start, start + 1, ... of a filter run sixteen at a time, as long as whole
// blocks fit before `row_end` (column 0 of the next row, the run's last position), with exactly
// the bytes of the one-position filter. Returns the first position not visited: `start` when the
// build has no SSE2 or the row holds no whole block.
std::size_t filter_row_blocks(std::uint8_t* heat, std::size_t w, std::size_t start, std::size_t row_end) noexcept;

}  // namespace pyrelle
