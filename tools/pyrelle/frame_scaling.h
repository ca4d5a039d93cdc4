#pragma once
// The module's frame in a larger picture, for sharing: each pixel becomes a square block of
// `factor` x `factor` pixels, the largest whole factor that fits, so the pixels stay crisp; the
// scaled frame is centred and what it leaves uncovered is a bar of one fill pixel. Plain code over
// buffers of packed rows (no padding), for palette indices and RGB alike.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fire/fire_palette.h"

namespace pyrelle::tools {

struct picture_size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

inline bool operator==(picture_size a, picture_size b) { return a.width == b.width && a.height == b.height; }

struct frame_placement {
    picture_size picture;     // the whole picture written
    std::int32_t factor = 1;  // each frame pixel is factor x factor picture pixels
    std::int32_t left = 0;    // the scaled frame's first column and row in the picture
    std::int32_t top = 0;

    // Whether the scaled frame leaves any of the picture uncovered.
    bool has_bars(picture_size frame) const
    {
        return picture.width != frame.width * factor || picture.height != frame.height * factor;
    }
};

// Requires picture.width >= frame.width and picture.height >= frame.height, both frame sides >= 1.
// An odd leftover puts the extra bar column or row on the right or at the bottom.
frame_placement place_frame(picture_size frame, picture_size picture);

// The placement in words, as the help and the docs give it: "640x480 in 1920x1080 is 1280x960
// with bars of 320 and 60" (the left and the top bar; the right and bottom ones match them or are
// one pixel wider), or "... with no bars".
std::string describe_placement(picture_size frame, picture_size picture);

// Writes the whole picture (placement.picture, `pixel_bytes` per pixel) into `picture_pixels`:
// the frame's pixels replicated where placement puts them, `bar_pixel` (pixel_bytes) elsewhere.
void scale_frame(const std::uint8_t* frame_pixels, picture_size frame, std::size_t pixel_bytes,
                 const frame_placement& placement, const std::uint8_t* bar_pixel, std::uint8_t* picture_pixels);

// The palette index that draws the bars of a picture of palette indices, making `palette` (256
// entries, changed in place) show it black: an entry that is black already; else an index that
// none of the frame's `count` pixels uses, turned black; else, when every index is in use and none
// is black, the darkest entry (by red + green + blue, the lowest index among equals), unchanged.
std::uint8_t bar_index(const std::uint8_t* frame_pixels, std::size_t count, palette_entry* palette);

}  // namespace pyrelle::tools
