#pragma once
// The render thread of a run. Woken by the frame timer, it tries the engine's lock (a busy lock
// drops the frame), locks the back buffer, fetches the current samples, advances the colour flow
// and the heat field unless paused or silent, copies the field into the surface and flips.
//
// It ends when the engine's stop event is set (the run's tear_down sets it while it holds the
// lock, so no frame starts once the stop has begun). It never blocks on the lock.
#include <windows.h>

#include <cstdint>

namespace pyrelle {

class fire_engine;
class sample_chunk;

// Thread start routine; `engine` is the fire_engine. An exception from a frame (a host call, the
// chunk's allocation) ends the thread quietly: the run stays up with its last picture until it is
// torn down. Always 0.
DWORD WINAPI render_thread_entry(void* engine) noexcept;

// Waits and draws until the stop; the chunk's storage is released on every way out. Always 0.
std::uint32_t render_loop(fire_engine& engine);

// Asks the run's stream for the current audio: false when it has no current time (no audio for
// this frame); otherwise fills the chunk, through the fallback when the first fill fails, and
// returns true whatever the fills did.
bool fetch_samples(fire_engine& engine, sample_chunk& chunk);

// One frame under the engine's lock.
void draw_frame(fire_engine& engine, sample_chunk& chunk);

}  // namespace pyrelle
