#pragma once
// The fire's generator keeps one state per thread, starting at 1; a test that needs the known
// sequence runs its body on a new thread.
#include <thread>
#include <utility>

namespace pyrelle::testing {

template <typename Body>
void on_fresh_thread(Body&& body)
{
    std::thread worker(std::forward<Body>(body));
    worker.join();
}

}  // namespace pyrelle::testing
