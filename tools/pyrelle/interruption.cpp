#include "tools/pyrelle/interruption.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>

namespace pyrelle::tools {
namespace {

// Read by the handler on whichever thread the signal lands: lock-free atomics are safe there, and
// the release/acquire pair makes `guarded` visible before `have_guarded` says it may be used.
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);
std::atomic<int> received{0};
std::atomic<bool> have_guarded{false};
pthread_t guarded;

// What each signal did before the guard; put back when it ends.
struct sigaction previous_int{};
struct sigaction previous_term{};
struct sigaction previous_pipe{};

void note(int signal_number)
{
    received.store(signal_number);
    if (have_guarded.load(std::memory_order_acquire) && !pthread_equal(pthread_self(), guarded)) {
        pthread_kill(guarded, signal_number);
    }
}

// Notes the signal, unless whoever started us asked for it to be ignored (nohup, a background
// job): that wish stands.
void note_unless_ignored(int signal_number, struct sigaction& previous)
{
    sigaction(signal_number, nullptr, &previous);
    if (previous.sa_handler == SIG_IGN) {
        return;
    }
    struct sigaction action{};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: an interrupted write or open fails, and the render stops
    sigaction(signal_number, &action, nullptr);
}

}  // namespace

interruption_guard::interruption_guard()
{
    guarded = pthread_self();
    have_guarded.store(true, std::memory_order_release);
    note_unless_ignored(SIGINT, previous_int);
    note_unless_ignored(SIGTERM, previous_term);
    // A reader that goes away (`| head`, a FIFO's reader closing) then fails the write with EPIPE,
    // and the outputs are removed as for any failed write, instead of the process dying mid-file.
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previous_pipe);
}

interruption_guard::~interruption_guard()
{
    sigaction(SIGPIPE, &previous_pipe, nullptr);
    sigaction(SIGTERM, &previous_term, nullptr);
    sigaction(SIGINT, &previous_int, nullptr);
    have_guarded.store(false);
}

int interruption_signal() noexcept { return received.load(); }

void stop_if_interrupted()
{
    if (interruption_signal() != 0) {
        throw std::runtime_error("interrupted");
    }
}

void end_by_interruption()
{
    const int signal_number = received.load();
    struct sigaction action{};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
    raise(signal_number);
    std::_Exit(128 + signal_number);
}

}  // namespace pyrelle::tools
