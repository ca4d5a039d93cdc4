#pragma once
// Asking DirectDraw which 8-bit full-screen modes the default display adapter offers.
#include <windows.h>

#include <ddraw.h>

#include "prefs/display_mode_list.h"

namespace pyrelle {

// Lists the adapter's 8-bit modes, in DirectDraw's order, into the module's scratch list and,
// when the whole enumeration succeeded, copies them into `target`. False when DirectDraw, the
// cooperative level, the primary surface or the enumeration failed; `target` then keeps what it
// held. Throws std::bad_alloc when a list cannot grow, also leaving `target` as it was.
bool enumerate_display_modes(display_mode_list& target);

// The EnumDisplayModes callback: keeps 8-bit modes in the module's scratch list. `context` points
// at a std::exception_ptr that receives an allocation failure, after which the enumeration is
// cancelled: an exception must not unwind through DirectDraw's own frames.
HRESULT WINAPI on_display_mode(DDSURFACEDESC2* description, void* context);

}  // namespace pyrelle
