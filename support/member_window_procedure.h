#pragma once
// The one window procedure of every window the module and the stand-in player make: it finds the
// window's object through the window's user data and forwards each message to the object's member
// handler. An exception stops here: it must not unwind through the system's dispatch code.
//
// The object provides
//   handle(window, message, wparam, lparam)  the answer to a message;
//   attached(window)   the window is the object's from here on (WM_NCCREATE, or WM_INITDIALOG);
//   detached()         the window is no longer the object's (after WM_NCDESTROY, or WM_DESTROY);
//   failed(error)      handle threw; the message is answered with 0.
// Messages before the object is attached, or after it is detached, get the kind's default answer.
#include <windows.h>

#include <exception>

namespace pyrelle {

// A window made by CreateWindowEx: the object is the creation parameter and lives in
// GWLP_USERDATA; unhandled messages go to DefWindowProcW.
struct plain_window {
    using result_type = LRESULT;
    static constexpr int object_slot = GWLP_USERDATA;
    static constexpr UINT attach_message = WM_NCCREATE;
    static constexpr UINT detach_message = WM_NCDESTROY;
    static void* creation_object(LPARAM lparam) noexcept
    {
        return reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams;
    }
    static result_type unhandled(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
};

// A dialog made by CreateDialogParam: the object is the dialog's parameter and lives in
// DWLP_USER; the dialog manager handles what the procedure answers with 0.
struct dialog_window {
    using result_type = INT_PTR;
    static constexpr int object_slot = static_cast<int>(DWLP_USER);
    static constexpr UINT attach_message = WM_INITDIALOG;
    static constexpr UINT detach_message = WM_DESTROY;
    static void* creation_object(LPARAM lparam) noexcept { return reinterpret_cast<void*>(lparam); }
    static result_type unhandled(HWND, UINT, WPARAM, LPARAM) noexcept { return 0; }
};

template <typename Object, typename Kind = plain_window>
typename Kind::result_type CALLBACK member_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* self = reinterpret_cast<Object*>(::GetWindowLongPtrW(window, Kind::object_slot));
    if (message == Kind::attach_message) {
        self = static_cast<Object*>(Kind::creation_object(lparam));
        ::SetWindowLongPtrW(window, Kind::object_slot, reinterpret_cast<LONG_PTR>(self));
        self->attached(window);
    }
    if (self == nullptr) {
        return Kind::unhandled(window, message, wparam, lparam);
    }
    typename Kind::result_type result = 0;
    try {
        result = self->handle(window, message, wparam, lparam);
    } catch (const std::exception& error) {
        self->failed(error);
        result = 0;
    } catch (...) {
        // Not ours to name, but unwinding through the system's message dispatch would end the host.
        result = 0;
    }
    if (message == Kind::detach_message) {
        ::SetWindowLongPtrW(window, Kind::object_slot, 0);
        self->detached();
    }
    return result;
}

}  // namespace pyrelle
