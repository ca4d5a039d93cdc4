#include "tools/pyrelle/interruption.h"

#include <pthread.h>
#include <signal.h>

#include <cstdlib>

namespace pyrelle::tools {
namespace {

volatile sig_atomic_t received = 0;
volatile sig_atomic_t have_worker = 0;
pthread_t worker;

void note(int signal_number)
{
    received = signal_number;
    if (have_worker && !pthread_equal(pthread_self(), worker))
        pthread_kill(worker, signal_number);
}

void handle(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: an interrupted write or open fails, and the render stops
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

interruption_guard::interruption_guard() { handle(note); }

interruption_guard::~interruption_guard() { handle(SIG_DFL); }

interruptible_thread::interruptible_thread()
{
    worker = pthread_self();
    have_worker = 1;
}

interruptible_thread::~interruptible_thread() { have_worker = 0; }

int interruption_signal() noexcept { return received; }

void end_by_interruption()
{
    handle(SIG_DFL);
    raise(received);
    std::_Exit(128 + received);
}

}  // namespace pyrelle::tools
