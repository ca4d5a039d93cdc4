#pragma once
// A growable byte buffer and the stream_writer that appends to it. write_configuration collects
// each variable's value in one before it knows the value's byte count.
//
// Growth doubles the capacity (starting from 1) until the new size fits, so a run of small writes
// costs few reallocations; clearing keeps the capacity for the next variable. Sizes are 32-bit,
// like the record's size field: a size or capacity that would not fit, like an exhausted heap,
// throws std::bad_alloc and leaves the buffer as it was.
#include <cstdint>

#include "config/host_streams.h"

namespace pyrelle {

// The capacity a buffer of `capacity` bytes holding `size` needs to take `count` more bytes:
// `capacity` itself when they fit, otherwise max(capacity, 1) doubled until they do.
// Throws std::bad_alloc when size + count or a doubling overflows 32 bits.
std::uint32_t grown_capacity(std::uint32_t size, std::uint32_t capacity, std::uint32_t count);

class byte_buffer {
public:
    byte_buffer() noexcept = default;
    byte_buffer(const byte_buffer&) = delete;
    byte_buffer& operator=(const byte_buffer&) = delete;
    ~byte_buffer();

    // Appends `count` bytes; `bytes` may point into this buffer.
    void append(const void* bytes, std::uint32_t count);
    // Size back to 0; the block and its capacity stay.
    void clear() noexcept { size_ = 0; }

    const std::uint8_t* data() const noexcept { return data_; }
    std::uint32_t size() const noexcept { return size_; }
    std::uint32_t capacity() const noexcept { return capacity_; }

private:
    std::uint8_t* data_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 0;
};

class memory_writer final : public stream_writer {
public:
    // The buffer belongs to the caller and must outlive the writer.
    explicit memory_writer(byte_buffer& target) noexcept : target_(target) {}

    void write(const void* buffer, std::uint32_t count, abort_signal& abort) override;

private:
    byte_buffer& target_;
};

}  // namespace pyrelle
