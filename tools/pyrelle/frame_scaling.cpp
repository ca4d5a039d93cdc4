#include "tools/pyrelle/frame_scaling.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace pyrelle::tools {

frame_placement place_frame(picture_size frame, picture_size picture)
{
    frame_placement p;
    p.picture = picture;
    p.factor = std::min(picture.width / frame.width, picture.height / frame.height);
    p.left = (picture.width - frame.width * p.factor) / 2;
    p.top = (picture.height - frame.height * p.factor) / 2;
    return p;
}

std::string describe_placement(picture_size frame, picture_size picture)
{
    const frame_placement p = place_frame(frame, picture);
    const auto size = [](std::int32_t width, std::int32_t height) {
        return std::to_string(width) + "x" + std::to_string(height);
    };
    std::string text = size(frame.width, frame.height) + " in " + size(picture.width, picture.height) + " is " +
                       size(frame.width * p.factor, frame.height * p.factor);
    if (!p.has_bars(frame)) {
        return text + " with no bars";
    }
    return text + " with bars of " + std::to_string(p.left) + " and " + std::to_string(p.top);
}

void scale_frame(const std::uint8_t* frame_pixels, picture_size frame, std::size_t pixel_bytes,
                 const frame_placement& placement, const std::uint8_t* bar_pixel, std::uint8_t* picture_pixels)
{
    const auto picture_row = static_cast<std::size_t>(placement.picture.width) * pixel_bytes;
    const auto factor = static_cast<std::size_t>(placement.factor);
    const std::size_t left = static_cast<std::size_t>(placement.left) * pixel_bytes;
    const std::size_t scaled_row = static_cast<std::size_t>(frame.width) * factor * pixel_bytes;

    // One bar row, from which every bar pixel is copied.
    std::uint8_t* bar_row = picture_pixels;
    for (std::size_t x = 0; x < picture_row; x += pixel_bytes) {
        std::memcpy(bar_row + x, bar_pixel, pixel_bytes);
    }
    const auto top = static_cast<std::size_t>(placement.top);
    const std::size_t frame_rows = static_cast<std::size_t>(frame.height) * factor;
    for (std::size_t y = 1; y < top; ++y) {
        std::memcpy(picture_pixels + y * picture_row, bar_row, picture_row);
    }
    for (std::size_t y = top + frame_rows; y < static_cast<std::size_t>(placement.picture.height); ++y) {
        std::memcpy(picture_pixels + y * picture_row, bar_row, picture_row);
    }

    // Each frame row is widened once into the first of its picture rows, then copied below it.
    // (Row 0 served as the bar row above; with no bar on top, the frame now takes it.)
    for (std::size_t y = 0; y < static_cast<std::size_t>(frame.height); ++y) {
        std::uint8_t* first = picture_pixels + (top + y * factor) * picture_row;
        for (std::size_t x = 0; x < left; x += pixel_bytes) {
            std::memcpy(first + x, bar_pixel, pixel_bytes);
        }
        for (std::size_t x = left + scaled_row; x < picture_row; x += pixel_bytes) {
            std::memcpy(first + x, bar_pixel, pixel_bytes);
        }
        const std::uint8_t* source = frame_pixels + y * static_cast<std::size_t>(frame.width) * pixel_bytes;
        std::uint8_t* target = first + left;
        for (std::int32_t x = 0; x < frame.width; ++x, source += pixel_bytes) {
            for (std::size_t k = 0; k < factor; ++k, target += pixel_bytes) {
                std::memcpy(target, source, pixel_bytes);
            }
        }
        for (std::size_t k = 1; k < factor; ++k) {
            std::memcpy(first + k * picture_row, first, picture_row);
        }
    }
}

std::uint8_t bar_index(const std::uint8_t* frame_pixels, std::size_t count, palette_entry* palette)
{
    auto brightness = [&](int i) { return palette[i].red + palette[i].green + palette[i].blue; };
    int darkest = 0;
    for (int i = 1; i < palette_size; ++i) {
        if (brightness(i) < brightness(darkest)) {
            darkest = i;
        }
    }
    if (brightness(darkest) == 0) {
        return static_cast<std::uint8_t>(darkest);
    }
    std::array<bool, palette_size> used{};
    for (std::size_t i = 0; i < count; ++i) {
        used[frame_pixels[i]] = true;
    }
    const auto unused = std::find(used.begin(), used.end(), false);
    if (unused == used.end()) {
        return static_cast<std::uint8_t>(darkest);
    }
    const auto index = static_cast<std::uint8_t>(unused - used.begin());
    palette[index] = palette_entry{0, 0, 0, 0};
    return index;
}

}  // namespace pyrelle::tools
