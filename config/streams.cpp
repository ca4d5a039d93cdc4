#include "config/streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <new>

namespace pyrelle {

const char* exception_io::what() const noexcept { return "Input/output error"; }

const char* exception_io_data::what() const noexcept { return "Unsupported format or corrupted file"; }

const char* exception_io_data_truncation::what() const noexcept { return "Unsupported format or corrupted file"; }

void module_reader::read_exact(void* buffer, std::uint32_t count, abort_signal& abort)
{
    if (read(buffer, count, abort) != count) {
        throw exception_io_data_truncation();
    }
}

std::uint64_t module_reader::skip(std::uint64_t count, abort_signal& abort)
{
    // The count is 64-bit even on the 32-bit target; it is never narrowed to a size_t, so a
    // request of 4 GiB or more is honoured rather than wrapped.
    constexpr std::uint32_t chunk = 256;
    std::uint8_t discard[chunk];
    std::uint64_t skipped = 0;
    while (skipped < count) {
        const auto wanted = static_cast<std::uint32_t>(std::min<std::uint64_t>(count - skipped, chunk));
        const std::uint32_t got = read(discard, wanted, abort);
        if (got > wanted) {
            throw exception_io_data();
        }
        skipped += got;
        if (got < wanted) {
            break;
        }
    }
    return skipped;
}

void module_reader::skip_exact(std::uint64_t count, abort_signal& abort)
{
    if (skip(count, abort) != count) {
        throw exception_io_data_truncation();
    }
}

std::uint32_t limited_reader::read(void* buffer, std::uint32_t count, abort_signal& abort)
{
    const std::uint32_t wanted = std::min(count, remaining_);
    const std::uint32_t got = source_.read(buffer, wanted, abort);
    // Trusting an oversized answer would wrap `remaining` and let the payload run into the
    // records after it.
    if (got > wanted) {
        source_overran_ = true;
        throw exception_io_data();
    }
    remaining_ -= got;
    return got;
}

std::uint32_t memory_reader::read(void* buffer, std::uint32_t count, abort_signal&)
{
    const std::size_t left = size_ - position_;
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(count, left));
    if (n != 0) {
        std::memcpy(buffer, data_ + position_, n);
    }
    position_ += n;
    return n;
}

std::uint32_t grown_capacity(std::uint32_t size, std::uint32_t capacity, std::uint32_t count)
{
    constexpr std::uint32_t max = std::numeric_limits<std::uint32_t>::max();
    if (count > max - size) {
        throw std::bad_alloc();
    }
    const std::uint32_t required = size + count;
    if (required <= capacity) {
        return capacity;
    }
    std::uint32_t grown = capacity != 0 ? capacity : 1;
    while (grown < required) {
        if (grown > max / 2) {
            throw std::bad_alloc();
        }
        grown *= 2;
    }
    return grown;
}

byte_buffer::~byte_buffer() { std::free(data_); }

void byte_buffer::append(const void* bytes, std::uint32_t count)
{
    if (count == 0) {
        return;
    }
    const auto* source = static_cast<const std::uint8_t*>(bytes);
    const std::uint32_t new_capacity = grown_capacity(size_, capacity_, count);
    if (new_capacity != capacity_) {
        // A source inside the old block would dangle once realloc moves it; keep its offset.
        const std::less<const std::uint8_t*> before;
        const bool inside = data_ != nullptr && !before(source, data_) && before(source, data_ + size_);
        const std::size_t offset = inside ? static_cast<std::size_t>(source - data_) : 0;
        void* grown = std::realloc(data_, new_capacity);
        if (grown == nullptr) {
            throw std::bad_alloc();
        }
        data_ = static_cast<std::uint8_t*>(grown);
        capacity_ = new_capacity;
        if (inside) {
            source = data_ + offset;
        }
    }
    std::memmove(data_ + size_, source, count);
    size_ += count;
}

void memory_writer::write(const void* buffer, std::uint32_t count, abort_signal&) { target_.append(buffer, count); }

}  // namespace pyrelle
