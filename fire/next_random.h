#pragma once
// The fire's random generator: a linear congruential generator with one state per thread. Each
// thread's state starts at 1 the first time it draws and is never reseeded, so every run's render
// thread (a new thread) produces the same noise sequence.
#include <cstddef>
#include <cstdint>

namespace pyrelle {

// One step of the generator on an explicit state: state = state * 214013 + 2531011 (mod 2^32),
// result (state >> 16) & 0x7FFF.
std::uint32_t next_random(std::uint32_t& state) noexcept;

// The calling thread's generator; 0..32767. Callers use the low 8 bits.
std::uint32_t next_random() noexcept;

// `count` draws of the calling thread's generator, the low 8 bits of each, in order: the same
// bytes and the same state afterwards as `count` calls of next_random().
void next_random_bytes(std::uint8_t* bytes, std::size_t count) noexcept;

}  // namespace pyrelle
