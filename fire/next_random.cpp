#include "fire/next_random.h"

namespace pyrelle {

std::uint32_t next_random(std::uint32_t& state) noexcept
{
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
}

std::uint32_t next_random() noexcept
{
    // Per thread: the render thread of each run starts its own sequence afresh.
    thread_local std::uint32_t state = 1;
    return next_random(state);
}

}  // namespace pyrelle
