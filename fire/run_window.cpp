// The run's window: its creation (which starts the run), its messages, and giving its use of the
// class back once it is gone.
#include "fire/fire_engine.h"
#include "host/host_interfaces.h"
#include "support/product_name.h"

namespace pyrelle {

HWND fire_engine::open(const fire_settings& settings)
{
    // The render thread reads the settings: a second window would change them under it.
    if (window_) {
        return nullptr;
    }
    // A window destroyed behind the engine's back (not by Escape, WM_CLOSE or the toggle) still
    // holds its use of the class.
    account_window_destroyed();

    width_ = settings.width;
    height_ = settings.height;
    bits_per_pixel_ = settings.bits_per_pixel;
    colours_.low = settings.low_colour;
    colours_.middle = settings.middle_colour;
    colours_.high = settings.high_colour;
    colours_.low_flow = (settings.low_flow & 0xFF) != 0;
    colours_.middle_flow = (settings.middle_flow & 0xFF) != 0;
    colours_.high_flow = (settings.high_flow & 0xFF) != 0;
    frame_rate_ = settings.frame_rate;

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
