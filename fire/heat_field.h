#pragma once
// The heat field: one byte per screen pixel, used unchanged as the palette index, laid out as
// width x (height + 2) bytes, row-major, row 0 at the top. Rows h-2 and h hold the audio, rows
// h-1 and h+1 random noise; rows h and h+1 are never shown.
#include <cstddef>
#include <cstdint>

#include "fire/next_random.h"

namespace pyrelle {

// The filter needs at least one pass (height >= 4) and at least one column.
constexpr std::int32_t min_field_width = 1;
constexpr std::int32_t min_field_height = 4;
bool heat_field_size_supported(std::int32_t width, std::int32_t height) noexcept;

// width * (height + 2); the caller checks heat_field_size_supported first.
std::size_t heat_field_bytes(std::int32_t width, std::int32_t height) noexcept;

// Writes rows h-2 .. h+1 from the samples (first half into row h-2, second half into row h) and
// from 2 x width draws of `random`. A sample becomes the low 8 bits of (sample * 512) truncated to
// 32 bits; out-of-range values and NaN give 0. With no samples nothing is written and nothing is
// drawn.
void seed_bottom_rows(std::uint8_t* heat, std::int32_t width, std::int32_t height, const float* samples,
                      std::uint32_t sample_count, random_state& random) noexcept;

// For `sample_count` samples, the offset each column takes into each half of them (the sample
// seed_bottom_rows picks): `width` entries. It costs a division per column, so a caller seeding
// many frames of the same count keeps the table.
void sample_spread(std::uint32_t* offsets, std::int32_t width, std::uint32_t sample_count) noexcept;

// seed_bottom_rows with the table sample_spread made for this `sample_count`.
void seed_bottom_rows(std::uint8_t* heat, std::int32_t width, std::int32_t height, const float* samples,
                      std::uint32_t sample_count, const std::uint32_t* offsets, random_state& random) noexcept;

// Carries heat up two rows and cools it, in place: rows 0 .. h-3 (and column 0 of row h-2) for
// even h, rows 0 .. h-4 (and column 0 of row h-3) for odd h. Written values never exceed 254.
// Sixteen positions at a time where the build has SSE2 (every x86 build of the project).
void propagate_heat(std::uint8_t* heat, std::int32_t width, std::int32_t height) noexcept;

// propagate_heat, then copy_frame of the result, in one pass over the field: what the filter
// writes goes to the surface as well, and only the rows below its reach are copied afterwards.
void propagate_heat_and_copy(std::uint8_t* heat, std::int32_t width, std::int32_t height, std::uint8_t* destination,
                             std::int32_t row_skip) noexcept;

// The same filter one position at a time: the reference that propagate_heat must match byte for
// byte, kept for the tests and the benchmark.
void propagate_heat_reference(std::uint8_t* heat, std::int32_t width, std::int32_t height) noexcept;

// Copies rows 0 .. h-1 to surface memory, stepping over `row_skip` bytes after each destination
// row (surface pitch minus width). With row_skip 0 it is one block copy.
void copy_frame(std::uint8_t* destination, const std::uint8_t* heat, std::int32_t width, std::int32_t height,
                std::int32_t row_skip) noexcept;

}  // namespace pyrelle
