#include "tools/pyrelle/interruption.h"

#include <pthread.h>
#include <signal.h>

#include <cstdlib>

namespace pyrelle::tools {
namespace {

volatile sig_atomic_t received = 0;

void note(int signal) { received = signal; }

sigset_t interrupting_signals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

interruption_guard::interruption_guard()
{
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a blocked write returns, and the render stops
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    const sigset_t set = interrupting_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

interruption_guard::~interruption_guard()
{
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    const sigset_t set = interrupting_signals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void accept_interruptions()
{
    const sigset_t set = interrupting_signals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

int interruption_signal() noexcept { return received; }

void end_by_interruption()
{
    const int signal_number = received;
    signal(signal_number, SIG_DFL);
    const sigset_t set = interrupting_signals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal_number);
    std::_Exit(128 + signal_number);
}

}  // namespace pyrelle::tools
