#pragma once
// The fire's random generator: a linear congruential generator whose state its caller owns. A
// fresh state starts at 1 and nothing ever reseeds it, so the owner decides which draws share one
// sequence: each run's render thread owns a fresh one, so every run's noise rows start alike, and
// the module keeps one for the thread that starts runs, so a run's start colours carry on from
// where the run before left off.
#include <cstddef>
#include <cstdint>

namespace pyrelle {

struct random_state {
    std::uint32_t value = 1;
};

// One step: state = state * 214013 + 2531011 (mod 2^32); the result, 0..32767, is
// (state >> 16) & 0x7FFF. Callers use its low 8 bits.
std::uint32_t next_random(random_state& state) noexcept;

// `count` draws, the low 8 bits of each, in order: the same bytes and the same state afterwards
// as `count` calls of next_random.
void next_random_bytes(random_state& state, std::uint8_t* bytes, std::size_t count) noexcept;

}  // namespace pyrelle
