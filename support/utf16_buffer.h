#pragma once
// UTF-8 to UTF-16, for the few wide-character platform calls. Conversion ends at the first NUL,
// the first invalid sequence, the first code point above U+10FFFF or the byte limit, whichever
// comes first; invalid input is not an error. The result is always NUL-terminated.
#include <cstddef>
#include <cstdint>

#include "support/text_object.h"

namespace pyrelle {

struct decoded_sequence {
    std::uint32_t bytes_used;  // 0: end of text or invalid
    std::uint32_t code_point;  // 0 when nothing was decoded
};

// Decodes one sequence from at most `available` bytes (never looks at more than 6, nor past a
// NUL). Five- and six-byte forms and surrogate values decode without error; a null `bytes` is
// the end of text.
decoded_sequence decode_utf8_sequence(const char* bytes, std::size_t available) noexcept;

// Units needed for the text, terminator included (a null `text` is empty).
std::size_t count_utf16_units(const char* text, std::size_t max_bytes) noexcept;

// Writes at most `capacity` units (terminator included); returns the index of the terminator, or
// 0 when `capacity` is 0 (then nothing is written). A code point that does not fit whole before
// the terminator ends the text, so a short destination never ends in half a surrogate pair.
std::size_t utf8_to_utf16(char16_t* out, std::size_t capacity, const char* text, std::size_t max_bytes) noexcept;

// Appends one code point as one or two units at out[written], dropping units that do not fit in
// `capacity`; returns the new written count.
std::size_t append_utf16(char16_t* out, std::size_t capacity, std::size_t written, std::uint32_t code_point) noexcept;

// An owned, exactly sized UTF-16 array made from UTF-8 text. Throws std::bad_alloc when the
// allocation fails or its byte size would not fit in 32 bits.
class utf16_buffer {
public:
    utf16_buffer(const char* text, std::size_t max_bytes = static_cast<std::size_t>(-1));
    utf16_buffer(const utf16_buffer&) = delete;
    utf16_buffer& operator=(const utf16_buffer&) = delete;
    ~utf16_buffer();

    const char16_t* data() const noexcept { return units_; }
    // Units allocated, terminator included.
    std::uint32_t count() const noexcept { return count_; }

private:
    char16_t* units_ = nullptr;
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;  // units; its byte size must fit in 32 bits
};

}  // namespace pyrelle
