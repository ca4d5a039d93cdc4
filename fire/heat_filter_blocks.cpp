#include "fire/heat_filter_blocks.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pyrelle {
namespace {

#if defined(__SSE2__)
// Sixteen positions of the filter, the same bytes as the one-position filter: `cooled` for the first row and
// `next` for the second. The arithmetic stays in bytes: _mm_avg_epu8 rounds halves up, so with
// x, y the rounded-up halves of a + b and c + d, floor((a + b + c + d) / 4) is avg(x, y) less 1
// exactly when a halving rounded (a ^ b or c ^ d odd) or x + y is odd. Checked against the
// one-position filter for every combination of the four bytes.
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

}  // namespace

// Every byte a block reads is written, if at all, by the same or a later position (never an
// earlier one), so loading a whole block before storing it keeps the in-place order.
std::size_t filter_row_blocks(std::uint8_t* heat, std::size_t w, std::size_t start, std::size_t row_end) noexcept
{
    std::size_t p = start;
#if defined(__SSE2__)
    const auto block = [heat, w](std::size_t q) {
        const auto load = [heat](std::size_t at) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(heat + at));
        };
        __m128i cooled, next;
        filter_block(load(q + 2 * w - 1), load(q + 2 * w), load(q + 2 * w + 1), load(q + 4 * w), cooled, next);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(heat + q + w), next);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(heat + q), cooled);
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
#else
    static_cast<void>(heat);
    static_cast<void>(w);
    static_cast<void>(row_end);
#endif
    return p;
}

}  // namespace pyrelle
