#pragma once
// SIGINT and SIGTERM during a render: noted instead of fatal, so that the render can stop at the
// next frame (or the next write, which the signal interrupts) and remove what it began, and then
// end as the signal would have ended it.
namespace pyrelle::tools {

// From construction on, the two signals are noted and, on the constructing thread, held back:
// they reach the thread that calls accept_interruptions() (the one doing the work, so that a write
// blocked on a FIFO returns). Threads started meanwhile (encoders) inherit the held-back mask.
// The destructor restores the signals' default handling.
class interruption_guard {
public:
    interruption_guard();
    ~interruption_guard();
    interruption_guard(const interruption_guard&) = delete;
    interruption_guard& operator=(const interruption_guard&) = delete;
};

void accept_interruptions();

// The signal that arrived, or 0.
int interruption_signal() noexcept;

// Ends the process as the signal that arrived would have.
[[noreturn]] void end_by_interruption();

}  // namespace pyrelle::tools
