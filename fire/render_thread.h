#pragma once
// A run's render thread with what it waits on: the frame timer, the stop event and the two
// events of its hand-shake with the run's start and stop. Woken by the timer, the thread tries the
// run's lock (a busy lock drops the frame, never delays it) and has the run's frame_painter draw
// one frame while it holds it.
//
// The thread and the module's unload: FreeLibrary runs the module's destructors, and so the
// run's stop, under the loader lock, which a thread needs both to start (DLL_THREAD_ATTACH) and
// to end (DLL_THREAD_DETACH). Two rules make an unload at any moment safe:
//  - resume() returns only once the thread has entered its start routine, so no unload can find
//    a thread that is still waiting to start and would never end;
//  - the thread's very last act sets the `finished` event from outside the module's code
//    (render_thread_entry.h): once the event is set the thread runs only system code, so the stop
//    may let the module be unmapped as soon as it sees the event.
// The thread holds no reference on the module: one would keep the module, its window and its
// fire alive after the player's FreeLibrary returned, and would unmap the module under the
// player's thread if the thread let go of it while a stop was still in the window procedure.
#include <windows.h>

#include <cstdint>

#include "fire/step_result.h"
#include "support/critical_section.h"
#include "support/win32_handles.h"

namespace pyrelle {

class sample_chunk;
struct random_state;

// What draws one frame; called on the render thread while it holds the run's lock. The chunk and
// the generator are the thread's own, kept from frame to frame. An exception ends the thread
// quietly: the run stays up with its last picture until it is stopped.
class frame_painter {
public:
    virtual void paint(sample_chunk& chunk, random_state& run_random) = 0;

protected:
    frame_painter() = default;
    frame_painter(const frame_painter&) = default;
    frame_painter& operator=(const frame_painter&) = default;
    ~frame_painter() = default;
};

// The timer that paces a run's frames: the named one, or a private one when a timer of that name
// already exists (another player's run). Empty when none could be made; GetLastError says why.
kernel_handle open_frame_timer();

// What the thread works with; it lives in the render_thread, which outlives the thread.
struct render_thread_context {
    critical_section* lock = nullptr;
    frame_painter* painter = nullptr;
    HANDLE stop = nullptr;      // manual-reset: once set it wakes every later wait
    HANDLE timer = nullptr;     // auto-reset: each expiry releases one wait
    HANDLE started = nullptr;   // manual-reset, set as the thread enters its start routine
    HANDLE finished = nullptr;  // manual-reset, set as the thread leaves the module for good
};

class render_thread {
public:
    render_thread() noexcept = default;
    render_thread(const render_thread&) = delete;
    render_thread& operator=(const render_thread&) = delete;
    // Stops the thread (see stop()).
    ~render_thread() { stop(); }

    // Makes the timer and the events, then the thread, suspended: a thread that exists can always
    // be stopped, so a failure here never leaves one that stop() would wait for.
    step_result create(critical_section& lock, frame_painter& painter);
    // First expiry 10 ms from now, then every `period_ms`. Not checked: the run goes on.
    void arm_timer(std::int32_t period_ms) noexcept;
    // Lets the thread run and returns once it has entered its start routine.
    void resume() noexcept;

    // Ends the thread and closes every handle; nothing left to do the second time. It holds the
    // lock while the thread ends: a frame in progress completes first, and a thread woken later
    // finds the lock taken, draws nothing and sees the stop at its next wait.
    void stop() noexcept;

    bool exists() const noexcept { return static_cast<bool>(thread_); }
    // The thread exists and has ended (an exception out of a frame ends it early).
    bool ended() const noexcept;

private:
    render_thread_context context_;
    kernel_handle timer_;
    kernel_handle stop_event_;
    kernel_handle started_;
    kernel_handle finished_;
    kernel_handle thread_;
};

}  // namespace pyrelle
