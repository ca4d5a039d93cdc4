#pragma once
// The growable UTF-8 string interface that the host and the module share. The host hands its own
// text objects to the module to be filled, so the slot order of the virtual table is a contract:
// no operation may be added, removed or reordered, and there is no virtual destructor.
#include <cstdint>

namespace pyrelle {

// A byte count meaning "up to the terminating NUL".
constexpr std::uint32_t whole_text = 0xFFFFFFFFu;

class text_object {
public:
    // Appends the bytes of `s` up to `max_bytes` or its first NUL, whichever comes first.
    virtual void append(const char* s, std::uint32_t max_bytes) = 0;  // slot 0
    // The NUL-terminated text; never null.
    virtual const char* text() const = 0;  // slot 1
    // Replaces the text with the bytes of `s` up to `max_bytes` or its first NUL.
    virtual void set(const char* s, std::uint32_t max_bytes) = 0;  // slot 2
    // Cuts the text to `n` bytes when it is longer.
    virtual void truncate(std::uint32_t n) = 0;  // slot 3
    // Bytes of text, terminator excluded.
    virtual std::uint32_t length() const = 0;  // slot 4
    // A writable, zero-filled buffer of at least n + 1 bytes; close_buffer() takes its text.
    virtual char* open_buffer(std::uint32_t n) = 0;  // slot 5
    virtual void close_buffer() = 0;                 // slot 6

protected:
    text_object() = default;
    text_object(const text_object&) = default;
    text_object& operator=(const text_object&) = default;
    ~text_object() = default;
};

}  // namespace pyrelle
