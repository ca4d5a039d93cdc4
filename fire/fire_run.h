#pragma once
// One full-screen run's own objects: the host's visualisation stream, the fire, the hold on the
// display, the request that keeps the display on, and the render thread. start() makes them in
// the order of the run's start and stops at the first step that fails; whatever it made then
// stays held, and destroying the run gives it all back. The members are declared in the order
// they are made, so destruction is the tear-down's order: the thread ends first (under the
// lock), then the display is given back, then the fire and last the stream go.
//
// Threads: the user-interface thread makes, starts and destroys the run; the render thread calls
// paint() under the lock while the run exists.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "fire/display_awake.h"
#include "fire/display_session.h"
#include "fire/fire_settings.h"
#include "fire/fire_simulation.h"
#include "fire/next_random.h"
#include "fire/render_thread.h"
#include "fire/step_result.h"
#include "host/host_interfaces.h"
#include "support/critical_section.h"

namespace pyrelle {

class fire_run final : private frame_painter {
public:
    // `window` is the run's window; `lock`, `paused` and `starter` (the generator of the thread
    // that starts runs) are the engine's, which outlive the run.
    fire_run(HWND window, const fire_settings& settings, critical_section& lock, const std::atomic<bool>& paused,
             random_state& starter) noexcept;
    fire_run(const fire_run&) = delete;
    fire_run& operator=(const fire_run&) = delete;
    ~fire_run() = default;

    // The start, from the stream to the resumed thread. A failed step ends it and is returned.
    // Throws when the host has no single visualisation manager or memory runs out; the run then
    // keeps what the steps before made, and no thread runs.
    step_result start(const service_finder& host_services);

    // What the whole-run tests look at.
    const display_session& display() const noexcept { return display_; }
    const fire_simulation* fire() const noexcept { return fire_.get(); }
    const render_thread& thread() const noexcept { return thread_; }
    std::int32_t row_skip() const noexcept { return row_skip_; }

private:
    // One frame, on the render thread, under the lock.
    void paint(sample_chunk& chunk, random_state& run_random) override;
    // After another program took the display the surfaces' memory is gone. True when they are
    // back, with the palette attached again; false when they are not (the frame must not be
    // drawn), and then, when the display is in another mode and so cannot show the fire any
    // more, the run's window is asked to close.
    bool restore_surfaces() noexcept;

    HWND const window_;
    const fire_settings settings_;
    critical_section& lock_;
    const std::atomic<bool>& paused_;
    random_state& starter_;

    service_ref vis_stream_;  // the host's visualisation_stream for this run
    std::unique_ptr<fire_simulation> fire_;
    display_session display_;
    std::int32_t row_skip_ = 0;  // surface pitch minus width, taken once at the start
    display_awake awake_;
    render_thread thread_;
};

}  // namespace pyrelle
