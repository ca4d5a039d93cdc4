#pragma once
// The module's full-screen visualisation: one engine, made at load and destroyed at unload,
// showing one run at a time. A run is its window plus a fire_run (fire_run.h), which holds the
// stream, the fire, the display and the render thread. The window's creation starts the run; its
// WM_CLOSE and WM_DESTROY end it, and so do the toggle and the module's unload.
//
// Threads: the host's user-interface thread runs open, the window's messages (so set_up,
// tear_down and close_window) and is_running. The render thread draws while it holds the
// engine's lock, which it only ever tries. set_paused may come from any thread.
//
// When open returns, the run is either under way, already gone (a failed step, which the debugger
// output names), or stranded (an exception left set_up: the window stays up with whatever was
// made, no frames are drawn, and Escape or the toggle ends it).
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>

#include "fire/fire_run.h"
#include "fire/fire_settings.h"
#include "fire/next_random.h"
#include "fire/run_window_class.h"
#include "host/host_interfaces.h"
#include "support/critical_section.h"
#include "support/win32_handles.h"

namespace pyrelle {

// Whether a mode can be shown: one byte per pixel, and a field the heat filter can work on.
bool display_mode_drawable(std::int32_t width, std::int32_t height, std::uint32_t bits_per_pixel) noexcept;

class fire_engine {
public:
    // `window_class` is the module's class for run windows, shared by all engines;
    // `host_services` finds the host's visualisation manager when a run starts.
    fire_engine(run_window_class& window_class, const service_finder& host_services) noexcept;
    // Ends a run whose window still exists.
    ~fire_engine();
    fire_engine(const fire_engine&) = delete;
    fire_engine& operator=(const fire_engine&) = delete;

    // Takes the settings, registers the window class when needed and creates the run's window,
    // whose creation starts the run. The window, or null when no window was made (the class
    // could not be registered, or a run's window already exists).
    HWND open(const fire_settings& settings);

    // Destroys the run's window (which tears the run down) and accounts for it.
    void close_window();

    // True while a run's window exists (Starting, Running, Stranded).
    bool is_running() const noexcept { return static_cast<bool>(window_); }

    // The pause flag: while set the render thread shows its last picture without advancing.
    // It outlives runs, so a run started while it is set starts paused.
    void set_paused(bool paused) noexcept { paused_.store(paused, std::memory_order_relaxed); }
    bool paused() const noexcept { return paused_.load(std::memory_order_relaxed); }

    // The window's messages, through member_window_procedure (support/member_window_procedure.h).
    LRESULT handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void attached(HWND window) noexcept { window_.adopt(window); }
    void detached() noexcept { window_.forget(); }
    // An exception out of set_up leaves the run stranded: the window stays, with whatever the
    // steps before it made, until Escape or the toggle ends it.
    void failed(const std::exception& error) noexcept { report_start_exception(error); }

    // The start sequence, inside WM_CREATE. Always 0: a failed step ends the run, telling only
    // the debugger output.
    LRESULT set_up();
    // Stops the render thread and releases everything the run made; safe to call again.
    bool tear_down() noexcept;

    // What the whole-run tests look at: the window, the settings of the last open, the run
    // (null while none is held) and the lock the render thread tries.
    HWND window() const noexcept { return window_.get(); }
    const fire_settings& settings() const noexcept { return settings_; }
    const fire_run* run() const noexcept { return run_.get(); }
    critical_section& frame_lock() noexcept { return lock_; }

private:
    // Gives the window's use of the class back once the window is gone, however it went.
    void account_window_destroyed() noexcept;
    void end_on_deactivation() noexcept;

    fire_settings settings_;  // keeps its values between runs
    // The generator of the thread that starts runs: each run's start colours carry on from the
    // last run's, for as long as the engine (the module) lives.
    random_state starter_random_;

    // Written on the host's playback thread, read by the render thread at every frame.
    std::atomic<bool> paused_{false};
    static_assert(sizeof(std::atomic<bool>) == 1 && std::atomic<bool>::is_always_lock_free,
                  "the pause flag is one lock-free byte");

    run_window_class& window_class_;
    const service_finder& host_services_;
    class_use class_use_;   // the run window's use of the class, from open until the window is gone
    window_handle window_;  // non-null exactly while the run's window exists
    critical_section lock_;
    // After the lock and the pause flag, which it uses until its thread has ended.
    std::unique_ptr<fire_run> run_;
};

}  // namespace pyrelle
