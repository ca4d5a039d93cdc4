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

// Thread start routine; `engine` is the fire_engine. It signals the engine's thread_started_,
// runs the loop and ends by setting the engine's loop_finished_ through a jump into SetEvent, so
// that once the event is set the thread never again runs code of the module (fire_engine.h says
// why). An exception from a frame (a host call, the chunk's allocation) ends the thread quietly:
// the run stays up with its last picture until it is torn down. The thread's exit code is
// SetEvent's result.
extern "C" DWORD WINAPI render_thread_entry(void* engine) noexcept;

// Everything the thread does before its last act: the handle that render_thread_entry sets.
HANDLE run_render_thread(fire_engine& engine) noexcept;

// Waits and draws until the stop; the chunk's storage is released on every way out. Always 0.
std::uint32_t render_loop(fire_engine& engine);

// Asks the run's stream for the current audio: false when it has no current time (no audio for
// this frame); otherwise fills the chunk, through the fallback when the first fill fails, and
// returns true whatever the fills did.
bool fetch_samples(fire_engine& engine, sample_chunk& chunk);

// After another program took the display (changed its mode, or took exclusive mode) the
// surfaces' memory is gone. True when they are back, with the palette attached again; false when
// they are not (the frame must not be drawn), and then, when the display is in another mode and
// so cannot show the fire any more, the run's window is asked to close.
bool restore_surfaces(fire_engine& engine) noexcept;

// One frame under the engine's lock.
void draw_frame(fire_engine& engine, sample_chunk& chunk);

}  // namespace pyrelle
