// The run's window: its class, its creation (which starts the run), its procedure and messages,
// and the accounting that unregisters the class once no window of it is left.
#include <exception>

#include "fire/fire_engine.h"
#include "host/component_services.h"
#include "host/module_state.h"
#include "host/shared_library.h"
#include "support/utf16_buffer.h"

namespace pyrelle {
namespace {

// Module-wide, like the class itself.
ATOM class_atom = 0;
std::int32_t class_use_count = 0;

}  // namespace

std::int32_t window_class_use_count() noexcept { return class_use_count; }
ATOM window_class_atom() noexcept { return class_atom; }

HWND fire_engine::open(const fire_settings& settings)
{
    // The render thread reads the settings: a second window would change them under it.
    if (window_ != nullptr) {
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

    if (class_use_count == 0 && class_atom == 0) {
        const utf16_buffer class_name(module::window_class_name().text());
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof(WNDCLASSEXW);
        window_class.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
        window_class.lpfnWndProc = window_procedure;
        window_class.hInstance = module::instance();
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        window_class.lpszClassName = reinterpret_cast<const wchar_t*>(class_name.data());
        class_atom = ::RegisterClassExW(&window_class);
        if (class_atom == 0) {
            return nullptr;
        }
    } else if (class_atom == 0) {
        return nullptr;
    }
    ++class_use_count;
    window_counted_ = true;

    // WM_CREATE runs set_up before this returns: the run is under way, stranded or already gone.
    HWND const window = ::uCreateWindowEx(0, module::window_class_name().text(), component_name, WS_POPUP, 0, 0,
                                          ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                          nullptr, nullptr, module::instance(), this);
    if (window == nullptr) {
        // Never made, or destroyed during its creation; accounting twice is harmless.
        account_window_destroyed();
    }
    return window;
}

void fire_engine::close_window()
{
    if (window_ == nullptr) {
        return;
    }
    ::DestroyWindow(window_);  // WM_DESTROY tears the run down, WM_NCDESTROY clears window_
    window_ = nullptr;
    account_window_destroyed();
}

void fire_engine::account_window_destroyed() noexcept
{
    if (!window_counted_ || window_ != nullptr) {
        return;
    }
    window_counted_ = false;
    if (--class_use_count == 0 && ::UnregisterClassW(MAKEINTATOM(class_atom), module::instance())) {
        // Kept when unregistering failed, so that the next run reuses the class that is still there.
        class_atom = 0;
    }
}

LRESULT CALLBACK fire_engine::window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* engine = reinterpret_cast<fire_engine*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        engine = static_cast<fire_engine*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(engine));
        engine->window_ = window;
    }
    if (engine == nullptr) {
        return ::DefWindowProcW(window, message, wparam, lparam);
    }

    LRESULT result = 0;
    try {
        result = engine->handle_message(message, wparam, lparam);
    } catch (const std::exception&) {
        // An exception out of set_up leaves the run stranded: the window stays, with whatever
        // the steps before it made, until Escape or the toggle ends it.
        result = 0;
    }
    if (message == WM_NCDESTROY) {
        engine->window_ = nullptr;
    }
    return result;
}

void fire_engine::end_on_deactivation() noexcept
{
    // Another window has the keyboard now: a run that went on would hold the screen in its own
    // mode while Escape went elsewhere, and the system may already have minimised the window.
    // Ending it gives the desktop back, and the menu command starts a fresh run; bringing the
    // exclusive mode, surfaces and palette back on reactivation would depend on how each system
    // hands a lost exclusive mode back. Posted, so that the activation change completes before
    // the window goes; a second post finds the window gone and is dropped with it.
    ::PostMessageW(window_, WM_CLOSE, 0, 0);
}

LRESULT fire_engine::handle_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    HWND const window = window_;
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
