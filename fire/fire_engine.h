#pragma once
// One full-screen showing of the fire: its window, DirectDraw in exclusive 8-bit mode with a
// triple-buffered flip chain, the palette, the heat field and colour tables, the frame timer and
// the render thread. The module has a single engine, made at load and destroyed at unload.
//
// Threads: the host's user-interface thread runs open, the window's messages (so set_up,
// tear_down and close_window) and is_running. The render thread (render_loop.cpp) draws while it
// holds `lock_`, which it only ever tries. set_paused may come from any thread.
//
// A run's start happens inside the window's creation: when open returns, the run is either under
// way, already gone (a failed step), or stranded (an exception left set_up: the window stays up
// with whatever was made, no frames are drawn, and Escape or the toggle ends it).
#include <windows.h>

#include <ddraw.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>

#include "fire/fire_simulation.h"
#include "fire/run_window_class.h"
#include "host/host_interfaces.h"
#include "support/win32_handles.h"
#include "support/critical_section.h"

namespace pyrelle {

class sample_chunk;

// What a run starts from: ten 32-bit values, a display mode first.
struct fire_settings {
    std::int32_t width;
    std::int32_t height;
    std::uint32_t bits_per_pixel;
    colour low_colour;
    colour middle_colour;
    colour high_colour;
    std::uint32_t low_flow;  // only the low byte counts
    std::uint32_t middle_flow;
    std::uint32_t high_flow;
    std::int32_t frame_rate;  // frames per second
};
static_assert(sizeof(fire_settings) == 40, "fire_settings is ten 32-bit values");

// Frames per second that a run uses when the stored rate is outside 1..1000.
constexpr std::int32_t fallback_frame_rate = 24;
// Timer period in milliseconds for a stored frame rate (integer division, as the host's timer
// takes whole milliseconds): 24 gives 41, 30 gives 33; outside 1..1000 the fallback rate's.
std::int32_t timer_period_ms(std::int32_t frame_rate) noexcept;

// The simulation's palette as DirectDraw's CreatePalette and SetEntries take it.
PALETTEENTRY* palette_entries(const fire_simulation& fire) noexcept;

// The timer that paces a run's frames: the named one, or a private one when a timer of that name
// already exists (another player's run). Empty when none could be made.
kernel_handle open_frame_timer();

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
    void failed(const std::exception&) noexcept {}

    // The start sequence, inside WM_CREATE. Always 0: a failed step ends the run silently.
    LRESULT set_up();
    // Stops the render thread and releases everything the run made; safe to call again.
    bool tear_down() noexcept;

private:
    // Gives the window's use of the class back once the window is gone, however it went.
    void account_window_destroyed() noexcept;
    bool start_render_thread();
    void end_on_deactivation() noexcept;
    void keep_display_on() noexcept;
    void let_display_sleep() noexcept;

    friend HANDLE run_render_thread(fire_engine& engine) noexcept;
    friend std::uint32_t render_loop(fire_engine& engine);
    friend bool fetch_samples(fire_engine& engine, sample_chunk& chunk);
    friend void draw_frame(fire_engine& engine, sample_chunk& chunk);
    friend bool restore_surfaces(fire_engine& engine) noexcept;
    friend struct fire_engine_inspector;  // tests look inside a run

    // The run's settings; they keep their values between runs.
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::uint32_t bits_per_pixel_ = 0;
    std::int32_t frame_rate_ = 0;  // as stored; timer_period_ms brings it into range

    // Written on the host's playback thread, read by the render thread at every frame.
    std::atomic<bool> paused_{false};
    static_assert(sizeof(std::atomic<bool>) == 1 && std::atomic<bool>::is_always_lock_free,
                  "the pause flag is one lock-free byte");

    run_window_class& window_class_;
    const service_finder& host_services_;
    class_use class_use_;   // the run window's use of the class, from open until the window is gone
    window_handle window_;  // non-null exactly while the run's window exists

    // The render thread and the module's unload. FreeLibrary runs the engine's destructor, and
    // so tear_down, under the loader lock, which a thread needs both to start (DLL_THREAD_ATTACH)
    // and to end (DLL_THREAD_DETACH). Two rules make an unload at any moment safe:
    //  - set_up returns only once the thread has entered its start routine (`thread_started_`),
    //    so no unload can find a thread that is still waiting to start and would never end;
    //  - the thread's very last act is SetEvent(`loop_finished_`), reached by a jump, not a call
    //    (render_loop.cpp): from the moment the event is set the thread runs only system code,
    //    so tear_down may let the module be unmapped as soon as it sees the event.
    // The thread holds no reference on the module: one would keep the module, its window and its
    // fire alive after the player's FreeLibrary returned, and would unmap the module under the
    // player's thread if the thread let go of it while a tear_down was still in the window
    // procedure.
    kernel_handle render_thread_;
    kernel_handle frame_timer_;
    // Manual-reset: once set it wakes the render thread from every later wait, so the thread
    // ends however many timer expiries are pending.
    kernel_handle stop_event_;
    kernel_handle thread_started_;  // manual-reset, set as the thread enters its start routine
    kernel_handle loop_finished_;   // manual-reset, set as the thread leaves the module for good

    // What SetThreadExecutionState reported before the run asked to keep the display on; the
    // run gives it back at its end.
    bool display_kept_on_ = false;
    EXECUTION_STATE saved_execution_state_ = 0;
    critical_section lock_;

    com_ptr<IDirectDraw7> direct_draw_;
    com_ptr<IDirectDrawSurface7> primary_surface_;
    // GetAttachedSurface added a reference, which tear_down gives back before the chain goes.
    com_ptr<IDirectDrawSurface7> back_buffer_;
    com_ptr<IDirectDrawPalette> palette_object_;
    DDSURFACEDESC2 surface_desc_{};  // scratch: CreateSurface, GetSurfaceDesc, every Lock

    fire_colours colours_;                   // the run's anchors and switches, from open
    std::unique_ptr<fire_simulation> fire_;  // heat field, palette, ramps and flow of the run

    std::int32_t row_skip_ = 0;  // surface pitch minus width, taken once at run start
    service_ref vis_stream_;     // the host's visualisation_stream for this run
};

}  // namespace pyrelle
