#pragma once
// A picture of palette indices as what it is, an 8-bit palettised PNG (colour type 3, bit depth 8,
// a PLTE chunk of all 256 entries' red, green and blue), encoded by libpng into memory so that the
// caller decides how the bytes reach a file. Decoded, pixel i is palette[indices[i]]. With
// `opacity` (256 entries, 0 clear to 255 opaque) the palette carries it too, in a tRNS chunk.
#include <cstdint>
#include <vector>

#include "fire/fire_palette.h"

namespace pyrelle::tools {

// Replaces `png` with the whole file (its capacity is reused from frame to frame). `indices` holds
// width x height bytes, rows top to bottom; `opacity` may be null (an opaque picture). Throws
// std::runtime_error with libpng's message.
void encode_indexed_png(const std::uint8_t* indices, std::int32_t width, std::int32_t height,
                        const palette_entry* palette, const std::uint8_t* opacity, std::vector<std::uint8_t>& png);

}  // namespace pyrelle::tools
