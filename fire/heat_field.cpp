#include "fire/heat_field.h"

#include <cstring>

#include "fire/heat_filter_blocks.h"
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
// product: the evaluation order is fixed so that every build picks exactly the same sample. The
// product's magnitude stays below n / 2 < 2^31, so a 32-bit conversion holds it (and is one SSE2
// instruction, where a 64-bit one is not on a 32-bit build).
std::uint32_t half_spread_index(std::int32_t x, std::int32_t w, std::uint32_t n) noexcept
{
    const double product = (static_cast<double>(x) / static_cast<double>(w)) * static_cast<double>(n) * -0.5;
    return static_cast<std::uint32_t>(-static_cast<std::int32_t>(product));
}

// Rows h-2 .. h+1 as seed_bottom_rows describes, column x's offset from offset_of(x). Row A takes
// the first half of the samples, row B the second, column x the same offset in each.
template <typename Offset>
void seed_rows(std::uint8_t* heat, std::int32_t width, std::int32_t height, const float* samples, std::uint32_t n,
               Offset offset_of, random_state& random) noexcept
{
    if (n == 0) {
        return;
    }
    const std::size_t w = static_cast<std::size_t>(width);
    std::uint8_t* const row_a = heat + (static_cast<std::size_t>(height) - 2) * w;
    std::uint8_t* const row_b = row_a + 2 * w;
    const float* const second_half = samples + n / 2;
    for (std::int32_t x = 0; x < width; ++x) {
        const std::uint32_t i = offset_of(x);
        row_a[x] = sample_byte(samples[i]);
        row_b[x] = sample_byte(second_half[i]);
    }
    next_random_bytes(random, row_a + w, w);      // row h-1
    next_random_bytes(random, row_a + 3 * w, w);  // row h+1
}

// One position of the filter: the mean of three neighbours two rows down and the byte four rows
// down, cooled by one, and half way between that and the byte four rows down one row lower.
inline void visit(std::uint8_t* heat, std::size_t w, std::size_t p) noexcept
{
    const unsigned below4 = heat[p + 4 * w];
    const unsigned sum = heat[p + 2 * w - 1] + heat[p + 2 * w] + heat[p + 2 * w + 1] + below4;
    unsigned v = sum / 4;
    if (v > 0) {
        --v;
    }
    heat[p] = static_cast<std::uint8_t>(v);
    heat[p + w] = static_cast<std::uint8_t>((v + below4) / 2);
}

// A pass of the filter is a run of positions [start, start + count) visited in order. Each
// position reads bytes two and four rows further down, which no earlier position of the same run
// has written, so the filter works in place. Every run starts in some row r and ends with
// column 0 of row r + 1.
void reference_run(std::uint8_t* heat, std::size_t w, std::size_t start, std::size_t count) noexcept
{
    for (std::size_t p = start; p < start + count; ++p) {
        visit(heat, w, p);
    }
}

// The run of reference_run: the vector blocks of row r first, then the rest one at a time.
void fast_run(std::uint8_t* heat, std::size_t w, std::size_t start, std::size_t count) noexcept
{
    const std::size_t p = filter_row_blocks(heat, w, start, (start / w + 1) * w);
    reference_run(heat, w, p, start + count - p);
}

// The filter's passes over the field: pass 0 is row 0 and column 0 of row 1, pass k (1 .. h/2 - 2)
// the `width` positions from column 1 of row 2k. Once pass k is done, rows 2k and 2k + 1 hold
// their final bytes; `done(k)` is told so. Returns the first row that no pass completes.
template <typename Run, typename Done>
std::int32_t for_each_pass(std::uint8_t* heat, std::int32_t width, std::int32_t height, Run run, Done done) noexcept
{
    const std::size_t w = static_cast<std::size_t>(width);
    run(heat, w, 0, w + 1);
    done(0);
    const std::int32_t passes = height / 2 - 2;
    for (std::int32_t k = 1; k <= passes; ++k) {
        run(heat, w, 2 * static_cast<std::size_t>(k) * w + 1, w);
        done(k);
    }
    return 2 * passes + 2;
}

void no_copy(std::int32_t) noexcept {}

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
                      std::uint32_t sample_count, random_state& random) noexcept
{
    seed_rows(
        heat, width, height, samples, sample_count,
        [=](std::int32_t x) { return half_spread_index(x, width, sample_count); }, random);
}

void sample_spread(std::uint32_t* offsets, std::int32_t width, std::uint32_t sample_count) noexcept
{
    for (std::int32_t x = 0; x < width; ++x) {
        offsets[x] = half_spread_index(x, width, sample_count);
    }
}

void seed_bottom_rows(std::uint8_t* heat, std::int32_t width, std::int32_t height, const float* samples,
                      std::uint32_t sample_count, const std::uint32_t* offsets, random_state& random) noexcept
{
    seed_rows(heat, width, height, samples, sample_count, [offsets](std::int32_t x) { return offsets[x]; }, random);
}

void propagate_heat(std::uint8_t* heat, std::int32_t width, std::int32_t height) noexcept
{
    for_each_pass(heat, width, height, fast_run, no_copy);
}

void propagate_heat_and_copy(std::uint8_t* heat, std::int32_t width, std::int32_t height, std::uint8_t* destination,
                             std::int32_t row_skip) noexcept
{
    // Each pair of rows goes to the surface as soon as its pass is done, while it is still in the
    // processor's nearest cache, so the field is read from memory once per frame instead of twice.
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t pitch = w + static_cast<std::size_t>(row_skip);
    const auto copy_rows = [=](std::int32_t first, std::int32_t count) {
        const auto row = static_cast<std::size_t>(first);
        copy_frame(destination + row * pitch, heat + row * w, width, count, row_skip);
    };
    const std::int32_t copied =
        for_each_pass(heat, width, height, fast_run, [&](std::int32_t k) { copy_rows(2 * k, 2); });
    copy_rows(copied, height - copied);  // the audio and noise rows below the filter's reach
}

void propagate_heat_reference(std::uint8_t* heat, std::int32_t width, std::int32_t height) noexcept
{
    for_each_pass(heat, width, height, reference_run, no_copy);
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
