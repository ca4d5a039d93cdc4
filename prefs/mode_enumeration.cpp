#include "prefs/mode_enumeration.h"

#include "support/win32_handles.h"

namespace pyrelle {

HRESULT WINAPI on_display_mode(DDSURFACEDESC2* description, void* context)
{
    auto& enumeration = *static_cast<mode_enumeration_context*>(context);
    try {
        add_palettised_mode(enumeration.scratch, description->dwWidth, description->dwHeight,
                            description->ddpfPixelFormat.dwRGBBitCount);
    } catch (...) {
        enumeration.failure = std::current_exception();
        return DDENUMRET_CANCEL;
    }
    return DDENUMRET_OK;
}

bool enumerate_display_modes(display_mode_list& target, display_mode_list& scratch)
{
    scratch.resize(0);

    com_ptr<IDirectDraw7> direct_draw;
    if (FAILED(DirectDrawCreateEx(nullptr, direct_draw.put_void(), IID_IDirectDraw7, nullptr))) {
        return false;
    }
    if (FAILED(direct_draw->SetCooperativeLevel(nullptr, DDSCL_NORMAL | DDSCL_MULTITHREADED))) {
        return false;
    }
    // Held until the enumeration has finished; nothing is drawn on it.
    static_assert(sizeof(DDSURFACEDESC2) == 124, "DirectDraw 7 surface description");
    DDSURFACEDESC2 primary_description{};
    primary_description.dwSize = sizeof(primary_description);
    primary_description.dwFlags = DDSD_CAPS;
    primary_description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    com_ptr<IDirectDrawSurface7> primary_surface;
    if (FAILED(direct_draw->CreateSurface(&primary_description, primary_surface.put(), nullptr))) {
        return false;
    }

    // No flags: each width, height and depth is reported once, refresh rates not told apart.
    constexpr DWORD every_mode_once = 0;
    mode_enumeration_context enumeration{scratch, nullptr};
    const HRESULT enumerated = direct_draw->EnumDisplayModes(every_mode_once, nullptr, &enumeration, on_display_mode);
    if (enumeration.failure) {
        std::rethrow_exception(enumeration.failure);
    }
    if (enumerated != DD_OK) {
        return false;
    }
    target.assign(scratch);
    return true;
}

}  // namespace pyrelle
