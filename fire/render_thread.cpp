#include "fire/render_thread.h"

#include "fire/next_random.h"
#include "fire/render_thread_entry.h"
#include "fire/sample_chunk.h"
#include "support/run_names.h"

namespace pyrelle {
namespace {

constexpr LONGLONG first_expiry = -100000;  // relative, in 100 ns units: 10 ms

kernel_handle manual_reset_event() { return kernel_handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

// Waits and draws until the stop; the chunk's storage goes with it however the loop ends. The
// run's generator lives here, so every run's noise starts from a fresh one.
void render_loop(const render_thread_context& context)
{
    sample_chunk chunk;
    random_state run_random;
    // The stop event comes first so that it wins over a timer expiry that is due at once.
    const HANDLE waits[] = {context.stop, context.timer};
    for (;;) {
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            return;
        }
        const auto held = context.lock->try_lock();
        if (!held) {
            continue;  // dropped, not delayed
        }
        context.painter->paint(chunk, run_random);
    }
}

}  // namespace

extern "C" HANDLE pyrelle_render_thread_body(void* parameter) noexcept
{
    const auto& context = *static_cast<const render_thread_context*>(parameter);
    ::SetEvent(context.started);
    try {
        render_loop(context);
    } catch (...) {
        // Letting it go would terminate the host; the run simply stops drawing.
    }
    // After this the thread touches nothing of the run, and the stop may free it all.
    return context.finished;
}

kernel_handle open_frame_timer()
{
    // Auto-reset: each expiry releases one wait. The name is the timer's known identity, but a
    // timer of that name that already exists belongs to another run (a second player): sharing it
    // would split its ticks between the two render threads and hand each the other's period.
    kernel_handle timer(::CreateWaitableTimerW(nullptr, FALSE, frame_timer_name_wide.data()));
    if (timer && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        timer.reset(::CreateWaitableTimerW(nullptr, FALSE, nullptr));
    }
    return timer;
}

step_result render_thread::create(critical_section& lock, frame_painter& painter)
{
    timer_ = open_frame_timer();
    if (const auto made = step_result::of_last_error(static_cast<bool>(timer_), L"CreateWaitableTimerW");
        made.failed()) {
        return made;
    }
    for (kernel_handle* event : {&stop_event_, &started_, &finished_}) {
        *event = manual_reset_event();
        if (const auto made = step_result::of_last_error(static_cast<bool>(*event), L"CreateEventW"); made.failed()) {
            return made;
        }
    }
    context_ = {&lock, &painter, stop_event_.get(), timer_.get(), started_.get(), finished_.get()};
    thread_.reset(::CreateThread(nullptr, 0, render_thread_entry, &context_, CREATE_SUSPENDED, nullptr));
    return step_result::of_last_error(static_cast<bool>(thread_), L"CreateThread");
}

void render_thread::arm_timer(std::int32_t period_ms) noexcept
{
    LARGE_INTEGER due;
    due.QuadPart = first_expiry;
    ::SetWaitableTimer(timer_.get(), &due, period_ms, nullptr, nullptr, FALSE);
}

void render_thread::resume() noexcept
{
    ::ResumeThread(thread_.get());
    // The player may unload the module as soon as the toggle returns; by then the thread must be
    // past its DLL_THREAD_ATTACH, which the unload's loader lock would hold up for ever.
    const HANDLE started[] = {started_.get(), thread_.get()};
    ::WaitForMultipleObjects(2, started, FALSE, INFINITE);
}

void render_thread::stop() noexcept
{
    if (thread_) {
        const auto held = context_.lock->lock();
        ::SetEvent(stop_event_.get());
        // A thread that was never resumed must run to see the stop; for a running thread this
        // does nothing.
        ::ResumeThread(thread_.get());
        // Not the thread's handle alone: inside the module's unload the loader lock holds the
        // thread's exit, while `finished` is set once the thread can no longer run code of the
        // module. The handle counts when the process exit has killed the thread.
        const HANDLE ends[] = {finished_.get(), thread_.get()};
        ::WaitForMultipleObjects(2, ends, FALSE, INFINITE);
        thread_.reset();
    }
    timer_.reset();
    stop_event_.reset();
    started_.reset();
    finished_.reset();
}

bool render_thread::ended() const noexcept
{
    return thread_ && ::WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0;
}

}  // namespace pyrelle
