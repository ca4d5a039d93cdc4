#pragma once
// Asking DirectDraw which 8-bit full-screen modes the default display adapter offers.
#include <windows.h>

#include <ddraw.h>

#include <exception>

#include "prefs/display_mode_list.h"

namespace pyrelle {

// Lists the adapter's 8-bit modes, in DirectDraw's order, into `scratch` and, when the whole
// enumeration succeeded, copies them into `target`. False when DirectDraw, the cooperative
// level, the primary surface or the enumeration failed; `target` then keeps what it held. Throws
// std::bad_alloc when a list cannot grow, also leaving `target` as it was. `scratch` keeps the
// records of the last enumeration until the next one clears it.
bool enumerate_display_modes(display_mode_list& target, display_mode_list& scratch);

// What the enumeration callback works on: the list it fills, and the place for an allocation
// failure, after which the enumeration is cancelled (an exception must not unwind through
// DirectDraw's own frames).
struct mode_enumeration_context {
    display_mode_list& scratch;
    std::exception_ptr failure;
};

// The EnumDisplayModes callback: keeps 8-bit modes in the list of the mode_enumeration_context
// that `context` points at.
HRESULT WINAPI on_display_mode(DDSURFACEDESC2* description, void* context);

// The module's mode list and the scratch list an enumeration fills before copying it over, handed
// together to the parts that rebuild the list. Neither list is owned: the module frees them at
// different points of its unload.
struct display_modes {
    display_mode_list& list;
    display_mode_list& scratch;

    // enumerate_display_modes into `list`.
    bool rebuild() { return enumerate_display_modes(list, scratch); }
};

}  // namespace pyrelle
