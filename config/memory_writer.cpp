#include "config/memory_writer.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <new>

namespace pyrelle {

std::uint32_t grown_capacity(std::uint32_t size, std::uint32_t capacity, std::uint32_t count) {
    constexpr std::uint32_t max = std::numeric_limits<std::uint32_t>::max();
    if (count > max - size) throw std::bad_alloc();
    const std::uint32_t required = size + count;
    if (required <= capacity) return capacity;
    std::uint32_t grown = capacity != 0 ? capacity : 1;
    while (grown < required) {
        if (grown > max / 2) throw std::bad_alloc();
        grown *= 2;
    }
    return grown;
}

byte_buffer::~byte_buffer() { std::free(data_); }

void byte_buffer::append(const void* bytes, std::uint32_t count) {
    if (count == 0) return;
    const auto* source = static_cast<const std::uint8_t*>(bytes);
    const std::uint32_t new_capacity = grown_capacity(size_, capacity_, count);
    if (new_capacity != capacity_) {
        // A source inside the old block would dangle once realloc moves it; keep its offset.
        const std::less<const std::uint8_t*> before;
        const bool inside = data_ != nullptr && !before(source, data_) && before(source, data_ + size_);
        const std::size_t offset = inside ? static_cast<std::size_t>(source - data_) : 0;
        void* grown = std::realloc(data_, new_capacity);
        if (grown == nullptr) throw std::bad_alloc();
        data_ = static_cast<std::uint8_t*>(grown);
        capacity_ = new_capacity;
        if (inside) source = data_ + offset;
    }
    std::memmove(data_ + size_, source, count);
    size_ += count;
}

void memory_writer::write(const void* buffer, std::uint32_t count, abort_signal&) {
    target_.append(buffer, count);
}

}  // namespace pyrelle
