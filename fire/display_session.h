#pragma once
// A run's hold on the display: the DirectDraw object, exclusive full-screen cooperation, the
// run's display mode, the triple-buffered flip chain and the palette. Each step of taking them is
// a method, called in the order of the run's start; each that fails says which it was.
//
// The session gives everything back when it is destroyed, in this order: the palette, the back
// buffer's reference, the chain, then the display itself (the GDI surface in front, the desktop's
// mode, normal cooperation) and last the DirectDraw object. The members are declared so that
// their destruction is that order.
//
// Threads: the user-interface thread makes and destroys the session; while a run's render thread
// exists it uses the surfaces, the palette and surface_desc() under the run's lock.
#include <windows.h>

#include <ddraw.h>

#include <cstdint>

#include "fire/fire_simulation.h"
#include "fire/step_result.h"
#include "support/win32_handles.h"

namespace pyrelle {

// The simulation's palette as DirectDraw's CreatePalette and SetEntries take it.
PALETTEENTRY* palette_entries(const fire_simulation& fire) noexcept;

class display_session {
public:
    // `window` is the run's window, for which the session takes exclusive mode.
    explicit display_session(HWND window) noexcept : claim_(window) {}
    display_session(const display_session&) = delete;
    display_session& operator=(const display_session&) = delete;

    // The start's steps, in the order the run takes them.
    step_result create_direct_draw();
    step_result take_exclusive_mode();
    step_result set_display_mode(std::int32_t width, std::int32_t height, std::uint32_t bits_per_pixel);
    step_result create_flip_chain();
    step_result create_palette(const fire_simulation& fire);
    // Puts the palette on the chain and loads its entries; the run goes on whatever they return.
    void attach_palette(const fire_simulation& fire) noexcept;
    // Without the back buffer the render thread could never draw.
    step_result find_back_buffer();
    // Bytes from one row of the front surface to the next, as the driver reports them.
    LONG surface_pitch() noexcept;

    bool has_direct_draw() const noexcept { return static_cast<bool>(direct_draw_); }
    IDirectDrawSurface7* primary_surface() const noexcept { return primary_surface_.get(); }
    IDirectDrawSurface7* back_buffer() const noexcept { return back_buffer_.get(); }
    IDirectDrawPalette* palette_object() const noexcept { return palette_object_.get(); }
    // Scratch for the render thread's Lock, which fills it.
    DDSURFACEDESC2& surface_desc() noexcept { return surface_desc_; }

private:
    // Gives the display back: the GDI surface in front, the desktop's mode, normal cooperation.
    // Taken with the DirectDraw object, before the level and the mode: the calls are harmless for
    // what was never changed, and a start that failed half way must not leave the mode behind.
    class display_claim {
    public:
        explicit display_claim(HWND window) noexcept : window_(window) {}
        display_claim(const display_claim&) = delete;
        display_claim& operator=(const display_claim&) = delete;
        ~display_claim() { reset(); }

        void take(IDirectDraw7* direct_draw) noexcept { direct_draw_ = direct_draw; }
        void reset() noexcept;
        HWND window() const noexcept { return window_; }

    private:
        HWND window_;
        IDirectDraw7* direct_draw_ = nullptr;  // owned by the session's com_ptr, which outlives this
    };

    com_ptr<IDirectDraw7> direct_draw_;
    display_claim claim_;
    com_ptr<IDirectDrawSurface7> primary_surface_;
    // GetAttachedSurface added a reference, given back before the chain goes.
    com_ptr<IDirectDrawSurface7> back_buffer_;
    com_ptr<IDirectDrawPalette> palette_object_;
    DDSURFACEDESC2 surface_desc_{};  // scratch: CreateSurface, GetSurfaceDesc, every Lock
};

}  // namespace pyrelle
