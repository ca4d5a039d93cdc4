#pragma once
// The module's own growable UTF-8 text object.
//
// Buffer sizing for a required size r (text bytes + 1): a buffer smaller than r becomes r + 16
// bytes; one larger than r + 32 shrinks to exactly r; otherwise it stays. Invariant: when a buffer
// exists it holds the text followed by a NUL at index length(). Allocation failure (and a size
// that would not fit in 32 bits) throws std::bad_alloc and leaves the previous buffer in place.
//
// append/set accept a pointer into this object's own buffer, including bytes left behind a
// truncation: such text is copied first, because resizing may move the buffer under it.
//
// open_buffer() empties the text (length() is 0 until close_buffer()), since it zero-fills the
// buffer that held it.
#include <cstdint>

#include "support/text_object.h"

namespace pyrelle {

class utf8_string final : public text_object {
public:
    utf8_string() noexcept = default;
    explicit utf8_string(const char* s, std::uint32_t max_bytes = whole_text);
    utf8_string(const utf8_string&) = delete;
    utf8_string& operator=(const utf8_string&) = delete;
    ~utf8_string();

    void append(const char* s, std::uint32_t max_bytes) override;
    const char* text() const override;
    void set(const char* s, std::uint32_t max_bytes) override;
    void truncate(std::uint32_t n) override;
    std::uint32_t length() const override;
    char* open_buffer(std::uint32_t n) override;
    // The text ends at the buffer's first NUL; a buffer filled to its last byte loses that byte
    // to the terminator.
    void close_buffer() override;

    // Bytes currently allocated (0 when there is no buffer); shows the sizing rule to tests.
    std::uint32_t buffer_size() const noexcept { return buffer_size_; }

private:
    void size_buffer_for(std::uint32_t required);
    bool within_buffer(const char* s, bool end_counts) const noexcept;

    char* buffer_ = nullptr;
    std::uint32_t buffer_size_ = 0;
    std::uint32_t allocated_size_ = 0;  // always equal to buffer_size_
    std::uint32_t length_ = 0;
};

}  // namespace pyrelle
