#include "fire/next_random.h"

namespace pyrelle {
namespace {

std::uint32_t step(std::uint32_t& state) noexcept
{
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFFu;
}

}  // namespace

std::uint32_t next_random(random_state& state) noexcept { return step(state.value); }

void next_random_bytes(random_state& state, std::uint8_t* bytes, std::size_t count) noexcept
{
    std::uint32_t value = state.value;  // in a register for the whole row, not in memory per byte
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(step(value));
    }
    state.value = value;
}

}  // namespace pyrelle
