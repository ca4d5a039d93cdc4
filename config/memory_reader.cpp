#include "config/memory_reader.h"

#include <algorithm>
#include <cstring>

namespace pyrelle {

std::uint32_t memory_reader::read(void* buffer, std::uint32_t count, abort_signal&) {
    const std::size_t left = size_ - position_;
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(count, left));
    if (n != 0) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

}  // namespace pyrelle
