#include "fire/heat_field.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Row A takes the first half of the samples, row B the second, column x the same offset in each.
void seed_audio_rows(std::uint8_t* row_a, std::uint8_t* row_b, std::int32_t width, const float* samples,
                     std::uint32_t n) noexcept
{
    const float* const second_half = samples + n / 2;
    for (std::int32_t x = 0; x < width; ++x) {
        const std::uint32_t i = half_spread_index(x, width, n);
        row_a[x] = sample_byte(samples[i]);
        row_b[x] = sample_byte(second_half[i]);
    }
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

// Where a run also writes what it filters: rows of `pitch` bytes, row 0 first.
struct surface_rows {
    std::uint8_t* first;
    std::size_t pitch;
};

#if defined(__SSE2__)
// Sixteen positions of the filter, the same bytes as visit(): `cooled` for the first row and
// `next` for the second. The arithmetic stays in bytes: _mm_avg_epu8 rounds halves up, so with
// x, y the rounded-up halves of a + b and c + d, floor((a + b + c + d) / 4) is avg(x, y) less 1
// exactly when a halving rounded (a ^ b or c ^ d odd) or x + y is odd. Checked against visit() for
// every combination of the four bytes.
inline void filter_block(__m128i a, __m128i b, __m128i c, __m128i d, __m128i& cooled, __m128i& next) noexcept
{
    const __m128i one = _mm_set1_epi8(1);
    const __m128i x = _mm_avg_epu8(a, b);
    const __m128i y = _mm_avg_epu8(c, d);
    const __m128i rounded = _mm_or_si128(_mm_or_si128(_mm_xor_si128(a, b), _mm_xor_si128(c, d)), _mm_xor_si128(x, y));
    const __m128i quarter = _mm_sub_epi8(_mm_avg_epu8(x, y), _mm_and_si128(rounded, one));
    cooled = _mm_subs_epu8(quarter, one);  // never below 0
    next = _mm_sub_epi8(_mm_avg_epu8(cooled, d), _mm_and_si128(_mm_xor_si128(cooled, d), one));
}
#endif

// The run of reference_run, sixteen positions at a time where the build has SSE2, and with
// `Mirror` every written byte also written to the surface. Every byte a block reads is written, if
// at all, by the same or a later position (never an earlier one), so loading a whole block before
// storing it keeps the in-place order. Blocks stay inside row r, so their bytes are contiguous on
// the surface too; the step into row r + 1 goes one position at a time.
template <bool Mirror>
void fast_run(std::uint8_t* heat, std::size_t w, std::size_t start, std::size_t count, surface_rows out) noexcept
{
    const std::size_t row = start / w;
    const std::size_t row_end = (row + 1) * w;  // column 0 of row r + 1: the run's last position
    std::size_t p = start;
#if defined(__SSE2__)
    const auto load = [heat](std::size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(heat + at)); };
    const auto store = [](std::uint8_t* at, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v); };
    const auto block = [&](std::size_t q) {
        __m128i cooled, next;
        filter_block(load(q + 2 * w - 1), load(q + 2 * w), load(q + 2 * w + 1), load(q + 4 * w), cooled, next);
        store(heat + q + w, next);
        store(heat + q, cooled);
        if (Mirror) {
            std::uint8_t* const shown = out.first + row * out.pitch + (q - row * w);
            store(shown + out.pitch, next);
            store(shown, cooled);
        }
    };
    for (; row_end - p >= 16; p += 16) {
        block(p);
    }
    // The rest of row r as one block that overlaps the last: a position visited again reads the
    // same bytes as the first time (its inputs lie in rows below r + 1, which only the step into
    // row r + 1 writes, and that comes last), so it writes the same values again. The block must
    // not reach back to the run's first position, whose input the row's last position overwrites.
    if (p != start && p != row_end) {
        p = row_end;
        block(p - 16);
    }
#endif
    for (; p < start + count; ++p) {
        visit(heat, w, p);
        if (Mirror) {
            const std::size_t r = p < row_end ? row : row + 1;
            std::uint8_t* const shown = out.first + r * out.pitch + (p - r * w);
            shown[out.pitch] = heat[p + w];
            shown[0] = heat[p];
        }
    }
}

// The filter's passes over the field: row 0 and column 0 of row 1, then one run of `width`
// positions per pair of rows. Returns the first row that no pass wrote completely.
template <typename Run>
std::int32_t for_each_pass(std::uint8_t* heat, std::int32_t width, std::int32_t height, Run run) noexcept
{
    const std::size_t w = static_cast<std::size_t>(width);
    run(heat, w, 0, w + 1);
    const std::int32_t passes = height / 2 - 2;
    for (std::int32_t k = 1; k <= passes; ++k) {
        run(heat, w, 2 * static_cast<std::size_t>(k) * w + 1, w);
    }
    return 2 * passes + 2;
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
    seed_audio_rows(row_a, row_a + 2 * w, width, samples, sample_count);
    next_random_bytes(row_a + w, w);      // row h-1
    next_random_bytes(row_a + 3 * w, w);  // row h+1
}

void propagate_heat(std::uint8_t* heat, std::int32_t width, std::int32_t height) noexcept
{
    for_each_pass(heat, width, height, [](std::uint8_t* field, std::size_t w, std::size_t start, std::size_t count) {
        fast_run<false>(field, w, start, count, surface_rows{nullptr, 0});
    });
}

void propagate_heat_and_copy(std::uint8_t* heat, std::int32_t width, std::int32_t height, std::uint8_t* destination,
                             std::int32_t row_skip) noexcept
{
    const surface_rows out{destination, static_cast<std::size_t>(width) + static_cast<std::size_t>(row_skip)};
    const std::int32_t copied = for_each_pass(
        heat, width, height, [out](std::uint8_t* field, std::size_t w, std::size_t start, std::size_t count) {
            fast_run<true>(field, w, start, count, out);
        });
    // The rows below the filter's reach: the audio and noise rows as seeded.
    const std::size_t w = static_cast<std::size_t>(width);
    const auto first = static_cast<std::size_t>(copied);
    copy_frame(destination + first * out.pitch, heat + first * w, width, height - copied, row_skip);
}

void propagate_heat_reference(std::uint8_t* heat, std::int32_t width, std::int32_t height) noexcept
{
    for_each_pass(heat, width, height, reference_run);
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
