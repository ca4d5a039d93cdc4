#include "support/utf8_string.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>

namespace pyrelle {

namespace {

constexpr std::uint32_t max_size = 0xFFFFFFFFu;

// Bytes of `s` before its first NUL, reading no further than `max_bytes`; a null `s` has none.
std::uint32_t bounded_length(const char* s, std::uint32_t max_bytes) noexcept
{
    if (s == nullptr) {
        return 0;
    }
    std::uint32_t n = 0;
    while (n < max_bytes && s[n] != '\0') {
        ++n;
    }
    return n;
}

// `a` + `b`, or std::bad_alloc when the sum does not fit in 32 bits.
std::uint32_t checked_sum(std::uint32_t a, std::uint32_t b)
{
    if (a > max_size - b) {
        throw std::bad_alloc();
    }
    return a + b;
}

const char empty_text[] = "";

}  // namespace

utf8_string::utf8_string(const char* s, std::uint32_t max_bytes) { set(s, max_bytes); }

utf8_string::~utf8_string() { std::free(buffer_); }

void utf8_string::size_buffer_for(std::uint32_t required)
{
    std::uint32_t new_size;
    if (buffer_size_ < required) {
        new_size = checked_sum(required, 16);
    } else if (static_cast<std::uint64_t>(buffer_size_) > static_cast<std::uint64_t>(required) + 32) {
        new_size = required;
    } else {
        return;
    }
    // realloc leaves the old block untouched when it fails, which is what keeps the object whole.
    void* moved = std::realloc(buffer_, new_size);
    if (moved == nullptr) {
        throw std::bad_alloc();
    }
    buffer_ = static_cast<char*>(moved);
    buffer_size_ = new_size;
    allocated_size_ = new_size;
}

bool utf8_string::within_buffer(const char* s, bool end_counts) const noexcept
{
    if (buffer_ == nullptr || s == nullptr) {
        return false;
    }
    // std::less gives a total order even for pointers into unrelated objects.
    const std::less<const char*> before;
    const char* end = buffer_ + buffer_size_;
    if (before(s, buffer_)) {
        return false;
    }
    return end_counts ? !before(end, s) : before(s, end);
}

void utf8_string::append(const char* s, std::uint32_t max_bytes)
{
    if (max_bytes != 0 && within_buffer(s, true)) {
        const utf8_string copy(s, max_bytes);
        append(copy.text(), copy.length());
        return;
    }
    const std::uint32_t count = bounded_length(s, max_bytes);
    size_buffer_for(checked_sum(checked_sum(length_, count), 1));
    if (count != 0) {
        std::memcpy(buffer_ + length_, s, count);
    }
    length_ += count;
    buffer_[length_] = '\0';
}

const char* utf8_string::text() const { return length_ != 0 ? buffer_ : empty_text; }

void utf8_string::set(const char* s, std::uint32_t max_bytes)
{
    if (max_bytes != 0 && within_buffer(s, false)) {
        const utf8_string copy(s, max_bytes);
        set(copy.text(), copy.length());
        return;
    }
    const std::uint32_t count = bounded_length(s, max_bytes);
    size_buffer_for(checked_sum(count, 1));
    if (count != 0) {
        std::memcpy(buffer_, s, count);
    }
    length_ = count;
    buffer_[length_] = '\0';
}

void utf8_string::truncate(std::uint32_t n)
{
    if (length_ <= n) {
        return;
    }
    length_ = n;
    buffer_[n] = '\0';
    size_buffer_for(n + 1);
}

std::uint32_t utf8_string::length() const { return length_; }

char* utf8_string::open_buffer(std::uint32_t n)
{
    size_buffer_for(checked_sum(n, 1));
    std::memset(buffer_, 0, buffer_size_);
    // The old text is gone; a stale length could point past a buffer that has just shrunk.
    length_ = 0;
    return buffer_;
}

void utf8_string::close_buffer()
{
    if (buffer_ == nullptr) {
        length_ = 0;
        size_buffer_for(1);
        buffer_[0] = '\0';
        return;
    }
    const void* nul = std::memchr(buffer_, 0, buffer_size_);
    const std::uint32_t n =
        nul != nullptr ? static_cast<std::uint32_t>(static_cast<const char*>(nul) - buffer_) : buffer_size_ - 1;
    length_ = n;
    buffer_[n] = '\0';
    size_buffer_for(n + 1);
}

}  // namespace pyrelle
