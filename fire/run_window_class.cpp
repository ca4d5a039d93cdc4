#include "fire/run_window_class.h"

#include "fire/fire_engine.h"
#include "support/member_window_procedure.h"
#include "support/utf16_buffer.h"

namespace pyrelle {

run_window_class::use run_window_class::acquire()
{
    if (use_count_ == 0 && atom_ == 0) {
        const utf16_buffer class_name(name_.text());
        WNDCLASSEXW window_class{};
        window_class.cbSize = sizeof(WNDCLASSEXW);
        window_class.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
        window_class.lpfnWndProc = member_window_procedure<fire_engine>;
        window_class.hInstance = instance_;
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        window_class.lpszClassName = reinterpret_cast<const wchar_t*>(class_name.data());
        atom_ = ::RegisterClassExW(&window_class);
        if (atom_ == 0) {
            return use();
        }
    } else if (atom_ == 0) {
        return use();
    }
    ++use_count_;
    return use(*this, use_key{});
}

void run_window_class::release() noexcept
{
    if (--use_count_ == 0 && ::UnregisterClassW(MAKEINTATOM(atom_), instance_)) {
        // Kept when unregistering failed, so that the next run reuses the class that is still there.
        atom_ = 0;
    }
}

}  // namespace pyrelle
