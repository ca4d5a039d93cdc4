#include "fire/fire_engine.h"

#include "fire/heat_field.h"
#include "support/product_name.h"

namespace pyrelle {

bool display_mode_drawable(std::int32_t width, std::int32_t height, std::uint32_t bits_per_pixel) noexcept
{
    // Heat bytes are copied one per pixel, so any other depth would write past the surface's rows.
    return bits_per_pixel == 8 && heat_field_size_supported(width, height);
}

fire_engine::fire_engine(run_window_class& window_class, const service_finder& host_services) noexcept
    : window_class_(window_class), host_services_(host_services)
{
}

fire_engine::~fire_engine()
{
    close_window();
    // Destroying the window tears the run down through WM_DESTROY, but only on the thread that
    // owns the window; an unload on any other thread must still stop the render thread and give
    // the display back before the module's code goes away. A second tear_down does nothing.
    tear_down();
}

HWND fire_engine::open(const fire_settings& settings)
{
    // The render thread reads the settings: a second window would change them under it.
    if (window_) {
        return nullptr;
    }
    // A window destroyed behind the engine's back (not by Escape, WM_CLOSE or the toggle) still
    // holds its use of the class.
    account_window_destroyed();

    settings_ = settings;

    class_use_ = window_class_.acquire();
    if (!class_use_) {
        return nullptr;
    }

    // WM_CREATE runs set_up before this returns: the run is under way, stranded or already gone.
    HWND const window = ::uCreateWindowEx(0, window_class_.name().text(), component_name, WS_POPUP, 0, 0,
                                          ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr,
                                          nullptr, window_class_.instance(), this);
    if (window == nullptr) {
        // Never made, or destroyed during its creation; accounting twice is harmless.
        account_window_destroyed();
    }
    return window;
}

LRESULT fire_engine::set_up()
{
    if (!display_mode_drawable(settings_.width, settings_.height, settings_.bits_per_pixel)) {
        step_result::of(E_INVALIDARG, L"drawable display mode %ldx%ldx%lu", static_cast<long>(settings_.width),
                        static_cast<long>(settings_.height), static_cast<unsigned long>(settings_.bits_per_pixel))
            .report();
        close_window();
        return 0;
    }

    ::ShowWindow(window_.get(), SW_SHOW);
    ::UpdateWindow(window_.get());

    // An exception from here on strands the run with what it made so far.
    run_ = std::make_unique<fire_run>(window_.get(), settings_, lock_, paused_, starter_random_);
    const step_result started = run_->start(host_services_);
    if (started.failed()) {
        started.report();
        close_window();  // WM_DESTROY gives back what the steps before made
    }
    return 0;
}

bool fire_engine::tear_down() noexcept
{
    run_.reset();
    return true;
}

void fire_engine::close_window()
{
    if (!window_) {
        return;
    }
    window_.reset();  // WM_DESTROY tears the run down
    account_window_destroyed();
}

void fire_engine::account_window_destroyed() noexcept
{
    if (!window_) {
        class_use_.reset();
    }
}

void fire_engine::end_on_deactivation() noexcept
{
    // Another window has the keyboard now: a run that went on would hold the screen in its own
    // mode while Escape went elsewhere, and the system may already have minimised the window.
    // Ending it gives the desktop back, and the menu command starts a fresh run; bringing the
    // exclusive mode, surfaces and palette back on reactivation would depend on how each system
    // hands a lost exclusive mode back. Posted, so that the activation change completes before
    // the window goes; a second post finds the window gone and is dropped with it.
    ::PostMessageW(window_.get(), WM_CLOSE, 0, 0);
}

LRESULT fire_engine::handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        return set_up();
    case WM_CLOSE: {
        tear_down();
        const LRESULT result = ::DefWindowProcW(window, message, wparam, lparam);
        account_window_destroyed();  // DefWindowProcW has destroyed the window
        return result;
    }
    case WM_DESTROY:
        tear_down();
        return ::DefWindowProcW(window, message, wparam, lparam);
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE) {
            end_on_deactivation();
        }
        return ::DefWindowProcW(window, message, wparam, lparam);
    case WM_ACTIVATEAPP:
        if (wparam == FALSE) {
            end_on_deactivation();
        }
        return ::DefWindowProcW(window, message, wparam, lparam);
    case WM_SYSCOMMAND:
        // The run has no user input for as long as the music plays; these would darken it.
        if ((wparam & 0xFFF0) == SC_SCREENSAVE || (wparam & 0xFFF0) == SC_MONITORPOWER) {
            return 0;
        }
        return ::DefWindowProcW(window, message, wparam, lparam);
    case WM_SETCURSOR:
        ::SetCursor(nullptr);
        return 0;
    case WM_KEYDOWN:
        if (LOWORD(wparam) == VK_ESCAPE) {
            ::SendMessageW(window, WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace pyrelle
