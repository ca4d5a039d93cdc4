#pragma once
// The window procedure of the player's own windows. It finds its object through the window's user
// data, stored at WM_NCCREATE from the creation parameter, and forwards every message to the
// object's member handler. An exception stops here: it must not unwind through the system's
// dispatch code.
//
// The object provides handle(message, wparam, lparam), attached(window) (at WM_NCCREATE),
// detached() (after WM_NCDESTROY) and failed(error).
#include <windows.h>

#include <exception>

namespace pyrelle::standin {

template <typename Window>
LRESULT CALLBACK member_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->attached(window);
    }
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
    LRESULT result = 0;
    try {
        result = self->handle(message, wparam, lparam);
    } catch (const std::exception& error) {
        self->failed(error);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->detached();
    }
    return result;
}

}  // namespace pyrelle::standin
