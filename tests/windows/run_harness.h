#pragma once
// What the whole-run tests need around the module: a message pump (the module has no loop of its
// own, the host's would run it), the display mode as a separate DirectDraw object sees it, and a
// look inside a running fire_engine.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "fire/fire_engine.h"
#include "fire/fire_palette.h"
#include "fire/run_window_class.h"
#include "support/run_names.h"
#include "support/utf8_string.h"
#include "tests/windows/test_registry.h"

namespace pyrelle {

namespace test {

// Dispatches this thread's messages for about `ms` milliseconds.
void pump_messages(DWORD ms);
// Dispatches this thread's messages until `done` answers true (then true) or for at most `ms`
// milliseconds (then false).
bool pump_messages_until(const std::function<bool()>& done, DWORD ms);

// Whether this thread (under Wine: the process) asks the system to keep the display on for good
// (ES_CONTINUOUS | ES_DISPLAY_REQUIRED); the question changes no lasting request.
bool display_kept_on();

struct screen_mode {
    DWORD width;
    DWORD height;
    DWORD bits_per_pixel;
};
bool operator==(const screen_mode& a, const screen_mode& b);
screen_mode current_screen_mode();

// The lines this process sends to the debugger output while the capture exists, without their
// line ends. OutputDebugString raises an exception that a debugger would take; a vectored handler
// sees it first and lets it go on.
class debug_output_capture {
public:
    debug_output_capture();
    ~debug_output_capture();
    debug_output_capture(const debug_output_capture&) = delete;
    debug_output_capture& operator=(const debug_output_capture&) = delete;

    std::vector<std::string> lines() const;

private:
    static LONG CALLBACK note(EXCEPTION_POINTERS* exception);

    void* handler_;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// What the module makes its fire_engine with, made afresh for a test: the run window's class
// under the module's class name for this executable, and host lookups through a test registry.
struct run_parts {
    registry_finder host_services;
    utf8_string class_name{run_window_class_name};
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    run_window_class window_class{class_name, instance};
};

// Whether the run window's class is registered for the instance that `window_class` names.
bool run_window_class_registered(const run_window_class& window_class);

}  // namespace test

// Reads and pokes a run from the test thread. Whatever touches the surfaces or the heat field
// holds the engine's lock, so the render thread drops its frames meanwhile.
struct fire_engine_inspector {
    static HWND window(const fire_engine& engine) { return engine.window(); }
    static bool has_render_thread(const fire_engine& engine) { return engine.run() && engine.run()->thread().exists(); }
    static bool render_thread_ended(const fire_engine& engine)
    {
        return engine.run() && engine.run()->thread().ended();
    }
    static bool has_direct_draw(const fire_engine& engine)
    {
        return engine.run() && engine.run()->display().has_direct_draw();
    }
    static bool has_tables(const fire_engine& engine) { return engine.run() && engine.run()->fire(); }
    static std::int32_t width(const fire_engine& engine) { return engine.settings().width; }
    static std::int32_t height(const fire_engine& engine) { return engine.settings().height; }
    static std::int32_t row_skip(const fire_engine& engine) { return engine.run() ? engine.run()->row_skip() : 0; }

    // The whole field, width x (height + 2) bytes.
    static std::vector<std::uint8_t> heat(fire_engine& engine);
    // The visible picture as palette indices, width x height bytes.
    static std::vector<std::uint8_t> front_buffer(fire_engine& engine);
    static void fill_front_buffer(fire_engine& engine, std::uint8_t index);
    static std::vector<palette_entry> palette(fire_engine& engine);

    // Blocks the render thread's frames until the returned guard goes.
    static critical_section::guard hold_lock(fire_engine& engine) { return engine.frame_lock().lock(); }
};

}  // namespace pyrelle
