#include "support/utf16_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using pyrelle::decode_utf8_sequence;
using pyrelle::utf16_buffer;

namespace {
std::vector<char16_t> units_of(const utf16_buffer& b) { return std::vector<char16_t>(b.data(), b.data() + b.count()); }

// Copies `bytes` into an allocation of exactly that size, so that reading one byte past them is an
// out-of-bounds read under a memory checker.
std::unique_ptr<char[]> at_end_of_allocation(const std::string& bytes)
{
    std::unique_ptr<char[]> p(new char[bytes.size()]);
    std::memcpy(p.get(), bytes.data(), bytes.size());
    return p;
}
}  // namespace

TEST(Utf16Buffer, DecodesOneSequence)
{
    struct row {
        std::string bytes;
        std::size_t available;
        std::uint32_t used, code_point;
    };
    const row rows[] = {
        {"A", 6, 1, 0x41},
        {std::string(1, '\0'), 6, 0, 0},       // the terminator
        {"A", 0, 0, 0},                        // nothing available
        {"\xC3\xA9", 6, 2, 0xE9},              // e acute
        {"\xC2\x80", 6, 2, 0x80},              // smallest two-byte value
        {"\xC0\x80", 6, 0, 0},                 // overlong NUL
        {"\xC1\xBF", 6, 0, 0},                 // overlong U+007F
        {"\xE0\x80\x90", 6, 3, 0x10},          // overlong, yet its third byte carries bits
        {"\xE0\x80\x80", 6, 0, 0},             // overlong NUL
        {"\xF0\x80\x88\x80", 6, 4, 0x200},     // overlong, third byte carries bits
        {"\xF0\x80\x87\xBF", 6, 0, 0},         // overlong, third byte too small
        {"\xED\xA0\x80", 6, 3, 0xD800},        // a surrogate value
        {"\xF4\x90\x80\x80", 6, 4, 0x110000},  // above U+10FFFF still decodes
        {"\xF8\x88\x80\x80\x80", 6, 5, 0x200000},
        {"\xFD\xBF\xBF\xBF\xBF\xBF", 6, 6, 0x7FFFFFFF},
        {"\x80", 6, 0, 0},  // continuation byte as lead
        {"\xFE\x80\x80\x80\x80\x80\x80", 7, 0, 0},
        {"\xFF", 6, 0, 0},
        {"\xC3\x41", 6, 0, 0},                    // second byte not a continuation
        {std::string("\xE2\x82\0", 3), 6, 0, 0},  // NUL inside the sequence
        {"\xE2\x82\xAC", 2, 0, 0},                // euro sign cut short by the limit
        {"\xE2\x82\xAC", 3, 3, 0x20AC},
        {"\xFC\x84\x80\x80\x80\x80", 5, 0, 0},  // six-byte form with five available
    };
    for (const row& r : rows) {
        const pyrelle::decoded_sequence d = decode_utf8_sequence(r.bytes.c_str(), r.available);
        EXPECT_EQ(d.bytes_used, r.used) << ::testing::PrintToString(r.bytes);
        EXPECT_EQ(d.code_point, r.code_point) << ::testing::PrintToString(r.bytes);
    }
}

TEST(Utf16Buffer, ConversionEndsAtTheFirstUnusableSequence)
{
    struct row {
        std::string utf8;
        std::size_t max_bytes;
        std::vector<char16_t> units;
    };
    const std::size_t all = static_cast<std::size_t>(-1);
    const row rows[] = {
        {"", all, {0}},
        {"AB\xE0\x80\x80"
         "C",
         all,
         {u'A', u'B', 0}},                               // overlong NUL stops it
        {"\xF0\x90\x80\x80", all, {0xD800, 0xDC00, 0}},  // U+10000
        {"\xF4\x8F\xBF\xBF", all, {0xDBFF, 0xDFFF, 0}},  // U+10FFFF
        {"A\xF4\x90\x80\x80"
         "B",
         all,
         {u'A', 0}},  // U+110000
        {"A\xF8\x88\x80\x80\x80"
         "B",
         all,
         {u'A', 0}},  // five-byte form
        {"\xED\xA0\x80"
         "A",
         all,
         {0xD800, u'A', 0}},  // surrogate value passes as is
        {"a\xC3\xA9\xE2\x82\xAC", all, {u'a', 0xE9, 0x20AC, 0}},
        {"ABCDEF", 3, {u'A', u'B', u'C', 0}},
        {"A\xC3\xA9", 2, {u'A', 0}},  // limit splits a sequence
        {"A\xC3\xA9"
         "B",
         3,
         {u'A', 0xE9, 0}},  // limit right after two bytes
        {"\xF0\x90\x80\x80"
         "B",
         4,
         {0xD800, 0xDC00, 0}},  // right after four bytes
    };
    for (const row& r : rows) {
        const utf16_buffer b(r.utf8.c_str(), r.max_bytes);
        EXPECT_EQ(units_of(b), r.units) << ::testing::PrintToString(r.utf8);
        EXPECT_EQ(pyrelle::count_utf16_units(r.utf8.c_str(), r.max_bytes), r.units.size());
    }
    EXPECT_EQ(units_of(utf16_buffer(nullptr)), std::vector<char16_t>{0});
}

TEST(Utf16Buffer, NeverReadsPastTheInput)
{
    // "AB" then a two-byte lead as the very last byte, with the limit at the end.
    const auto lead_last = at_end_of_allocation("AB\xC3");
    EXPECT_EQ(units_of(utf16_buffer(lead_last.get(), 3)), (std::vector<char16_t>{u'A', u'B', 0}));
    // Limits at the very end of complete two- and four-byte sequences: they convert whole.
    const auto two_last = at_end_of_allocation("A\xC3\xA9");
    EXPECT_EQ(units_of(utf16_buffer(two_last.get(), 3)), (std::vector<char16_t>{u'A', 0xE9, 0}));
    const auto four_last = at_end_of_allocation("\xF0\x90\x80\x80");
    EXPECT_EQ(units_of(utf16_buffer(four_last.get(), 4)), (std::vector<char16_t>{0xD800, 0xDC00, 0}));
    // A four-byte lead with two continuation bytes and then the terminator, no limit.
    const auto cut_by_nul = at_end_of_allocation(std::string("A\xF0\x90\0", 4));
    EXPECT_EQ(units_of(utf16_buffer(cut_by_nul.get())), (std::vector<char16_t>{u'A', 0}));
    // A three-byte lead right before the terminator.
    const auto lead_then_nul = at_end_of_allocation(std::string("\xE2\0", 2));
    EXPECT_EQ(decode_utf8_sequence(lead_then_nul.get(), static_cast<std::size_t>(-1)).bytes_used, 0u);
}

TEST(Utf16Buffer, ShortDestinationStaysTerminatedAndInBounds)
{
    const char* text =
        "A\xF0\x90\x80\x80"
        "BC";  // "A", U+10000, "BC": 5 units and the terminator
    struct row {
        std::size_t capacity, terminator;
        std::vector<char16_t> units;
    };
    const row rows[] = {
        {1, 0, {0}},
        {2, 1, {u'A', 0}},
        {3, 1, {u'A', 0}},  // the pair does not fit whole: no lone high surrogate
        {4, 3, {u'A', 0xD800, 0xDC00, 0}},
        {6, 5, {u'A', 0xD800, 0xDC00, u'B', u'C', 0}},
    };
    for (const row& r : rows) {
        std::vector<char16_t> out(r.capacity + 1, u'#');
        EXPECT_EQ(pyrelle::utf8_to_utf16(out.data(), r.capacity, text, static_cast<std::size_t>(-1)), r.terminator);
        EXPECT_EQ(std::vector<char16_t>(out.begin(), out.begin() + r.terminator + 1), r.units)
            << "capacity " << r.capacity;
        EXPECT_EQ(out[r.capacity], u'#') << "capacity " << r.capacity;
    }
    char16_t untouched = u'#';
    EXPECT_EQ(pyrelle::utf8_to_utf16(&untouched, 0, text, static_cast<std::size_t>(-1)), 0u);
    EXPECT_EQ(untouched, u'#');
}
