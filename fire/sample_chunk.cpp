#include "fire/sample_chunk.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace pyrelle {

sample_chunk::~sample_chunk() { clear(); }

void sample_chunk::clear() noexcept
{
    std::free(samples_);
    samples_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

void sample_chunk::set_sample_count(std::uint32_t count)
{
    if (count == 0) {
        clear();
        return;
    }
    // The host's side of this interface sizes blocks in 32 bits, so the same limit holds here on
    // every build.
    if (count > 0xFFFFFFFFu / sizeof(float)) {
        throw std::bad_alloc();
    }
    if (count != capacity_) {
        // realloc keeps the leading samples and, on failure, leaves the old block untouched.
        void* const grown = std::realloc(samples_, static_cast<std::size_t>(count) * sizeof(float));
        if (grown == nullptr) {
            throw std::bad_alloc();
        }
        samples_ = static_cast<float*>(grown);
        if (count > capacity_) {
            std::memset(samples_ + capacity_, 0, static_cast<std::size_t>(count - capacity_) * sizeof(float));
        }
        capacity_ = count;
    }
    count_ = count;
}

}  // namespace pyrelle
