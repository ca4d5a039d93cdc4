#include "fire/heat_field.h"

#include <cstring>

#include "fire/next_random.h"

namespace pyrelle {
namespace {

// Sample to heat byte: the scaled value wraps modulo 256 on purpose (loud passages flicker), and
// anything a 32-bit conversion could not represent gives 0 instead of undefined behaviour.
std::uint8_t sample_byte(float sample) noexcept
{
    const float scaled = sample * 512.0f;
    if (!(scaled >= -2147483648.0f && scaled < 2147483648.0f)) {
        return 0;
    }
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled)));
}

// floor((x / w) * n * 0.5) in double precision, taken as the negated truncation of the negative
// product: the evaluation order is fixed so that every build picks exactly the same sample.
std::uint32_t half_spread_index(std::int32_t x, std::int32_t w, std::uint32_t n) noexcept
{
    const double product = (static_cast<double>(x) / static_cast<double>(w)) * static_cast<double>(n) * -0.5;
    return static_cast<std::uint32_t>(-static_cast<std::int64_t>(product));
}

void seed_audio_row(std::uint8_t* row, std::int32_t width, const float* samples, std::uint32_t first,
                    std::uint32_t n) noexcept
{
    for (std::int32_t x = 0; x < width; ++x) {
        row[x] = sample_byte(samples[first + half_spread_index(x, width, n)]);
    }
}

void seed_noise_row(std::uint8_t* row, std::int32_t width) noexcept
{
    for (std::int32_t x = 0; x < width; ++x) {
        row[x] = static_cast<std::uint8_t>(next_random());
    }
}

}  // namespace

bool heat_field_size_supported(std::int32_t width, std::int32_t height) noexcept
{
    return width >= min_field_width && height >= min_field_height;
}

std::size_t heat_field_bytes(std::int32_t width, std::int32_t height) noexcept
{
    return static_cast<std::size_t>(width) * (static_cast<std::size_t>(height) + 2);
}

void seed_bottom_rows(std::uint8_t* heat, std::int32_t width, std::int32_t height, const float* samples,
                      std::uint32_t sample_count) noexcept
{
    if (sample_count == 0) {
        return;
    }
    const std::size_t w = static_cast<std::size_t>(width);
    std::uint8_t* const row_a = heat + (static_cast<std::size_t>(height) - 2) * w;
    seed_audio_row(row_a, width, samples, 0, sample_count);
    seed_noise_row(row_a + w, width);
    seed_audio_row(row_a + 2 * w, width, samples, sample_count / 2, sample_count);
    seed_noise_row(row_a + 3 * w, width);
}

void propagate_heat(std::uint8_t* heat, std::int32_t width, std::int32_t height) noexcept
{
    const std::size_t w = static_cast<std::size_t>(width);

    // Each position reads bytes two and four rows further down, which no earlier position of the
    // same call has written, so the filter runs in place.
    const auto visit = [heat, w](std::size_t p) {
        const unsigned below4 = heat[p + 4 * w];
        const unsigned sum = heat[p + 2 * w - 1] + heat[p + 2 * w] + heat[p + 2 * w + 1] + below4;
        unsigned v = sum / 4;
        if (v > 0) {
            --v;
        }
        heat[p] = static_cast<std::uint8_t>(v);
        heat[p + w] = static_cast<std::uint8_t>((v + below4) / 2);
    };

    for (std::size_t p = 0; p <= w; ++p) {
        visit(p);
    }
    const std::int32_t passes = height / 2 - 2;
    for (std::int32_t k = 1; k <= passes; ++k) {
        const std::size_t start = 2 * static_cast<std::size_t>(k) * w + 1;
        for (std::size_t p = start; p < start + w; ++p) {
            visit(p);
        }
    }
}

void copy_frame(std::uint8_t* destination, const std::uint8_t* heat, std::int32_t width, std::int32_t height,
                std::int32_t row_skip) noexcept
{
    const std::size_t w = static_cast<std::size_t>(width);
    if (row_skip == 0) {
        std::memcpy(destination, heat, w * static_cast<std::size_t>(height));
        return;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        std::memcpy(destination, heat, w);
        destination += w + static_cast<std::size_t>(row_skip);
        heat += w;
    }
}

}  // namespace pyrelle
