#pragma once
// SIGINT and SIGTERM during a render: noted instead of fatal, so that the render can stop at the
// next frame (or at the write that the signal interrupts) and remove what it began, and then end
// as the signal would have ended it.
namespace pyrelle::tools {

// From construction to destruction the two signals are noted, and system calls they interrupt
// fail with EINTR instead of going on, so a wait for a FIFO's reader ends too; a signal that was
// ignored when the guard began stays ignored. A signal that lands on another thread (an encoder's)
// is passed on to the thread that made the guard, which renders and writes, so that a write it is
// blocked in returns. SIGPIPE is ignored meanwhile, so a write to a reader that went away fails
// with EPIPE. The destructor puts back what each signal did before.
class interruption_guard {
public:
    interruption_guard();
    ~interruption_guard();
    interruption_guard(const interruption_guard&) = delete;
    interruption_guard& operator=(const interruption_guard&) = delete;
};

// The signal that arrived, or 0.
int interruption_signal() noexcept;

// Throws std::runtime_error("interrupted") when a signal arrived: checked between frames and
// before anything is moved into place, so an interrupted render commits nothing.
void stop_if_interrupted();

// Ends the process as the signal that arrived would have.
[[noreturn]] void end_by_interruption();

}  // namespace pyrelle::tools
