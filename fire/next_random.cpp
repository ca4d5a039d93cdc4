#include "fire/next_random.h"

namespace pyrelle {
namespace {

// Per thread: the render thread of each run starts its own sequence afresh.
thread_local std::uint32_t thread_state = 1;

}  // namespace

std::uint32_t next_random(std::uint32_t& state) noexcept
{
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
}

std::uint32_t next_random() noexcept { return next_random(thread_state); }

void next_random_bytes(std::uint8_t* bytes, std::size_t count) noexcept
{
    std::uint32_t state = thread_state;  // one look-up of the thread's state, not one per byte
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(next_random(state));
    }
    thread_state = state;
}

}  // namespace pyrelle
