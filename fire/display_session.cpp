#include "fire/display_session.h"

namespace pyrelle {
namespace {

// Multithreaded: the render thread uses the surfaces while the user-interface thread owns the
// window and the DirectDraw object.
constexpr DWORD exclusive_level =
    DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX | DDSCL_MULTITHREADED;
static_assert(exclusive_level == 0x453, "the cooperative level the run has always asked for");
constexpr DWORD default_refresh_rate = 0;
constexpr DWORD no_display_mode_flags = 0;
constexpr DWORD back_buffer_count = 2;  // triple buffering

}  // namespace

PALETTEENTRY* palette_entries(const fire_simulation& fire) noexcept
{
    // DirectDraw only reads the entries, but its calls take them without const.
    return reinterpret_cast<PALETTEENTRY*>(const_cast<palette_entry*>(fire.palette()));
}

void display_session::display_claim::reset() noexcept
{
    if (direct_draw_ == nullptr) {
        return;
    }
    direct_draw_->FlipToGDISurface();
    direct_draw_->RestoreDisplayMode();
    direct_draw_->SetCooperativeLevel(window_, DDSCL_NORMAL);
    direct_draw_ = nullptr;
}

step_result display_session::create_direct_draw()
{
    const HRESULT created = ::DirectDrawCreateEx(nullptr, direct_draw_.put_void(), IID_IDirectDraw7, nullptr);
    if (SUCCEEDED(created)) {
        claim_.take(direct_draw_.get());
    }
    return step_result::of(created, L"DirectDrawCreateEx");
}

step_result display_session::take_exclusive_mode()
{
    return step_result::of(direct_draw_->SetCooperativeLevel(claim_.window(), exclusive_level),
                           L"SetCooperativeLevel exclusive");
}

step_result display_session::set_display_mode(std::int32_t width, std::int32_t height, std::uint32_t bits_per_pixel)
{
    return step_result::of(direct_draw_->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                                        bits_per_pixel, default_refresh_rate, no_display_mode_flags),
                           L"SetDisplayMode %ldx%ldx%lu", static_cast<long>(width), static_cast<long>(height),
                           static_cast<unsigned long>(bits_per_pixel));
}

step_result display_session::create_flip_chain()
{
    surface_desc_ = DDSURFACEDESC2{};
    surface_desc_.dwSize = sizeof(DDSURFACEDESC2);
    surface_desc_.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    surface_desc_.dwBackBufferCount = back_buffer_count;
    surface_desc_.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    return step_result::of(direct_draw_->CreateSurface(&surface_desc_, primary_surface_.put(), nullptr),
                           L"CreateSurface flip chain");
}

step_result display_session::create_palette(const fire_simulation& fire)
{
    return step_result::of(direct_draw_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, palette_entries(fire),
                                                       palette_object_.put(), nullptr),
                           L"CreatePalette");
}

void display_session::attach_palette(const fire_simulation& fire) noexcept
{
    primary_surface_->SetPalette(palette_object_.get());
    palette_object_->SetEntries(0, 0, palette_size, palette_entries(fire));
}

step_result display_session::find_back_buffer()
{
    surface_desc_.ddsCaps.dwCaps = DDSCAPS_BACKBUFFER;
    const HRESULT found = primary_surface_->GetAttachedSurface(&surface_desc_.ddsCaps, back_buffer_.put());
    // A driver that reports success without a surface would leave the thread nothing to draw on.
    return step_result::of(SUCCEEDED(found) && !back_buffer_ ? E_POINTER : found, L"GetAttachedSurface back buffer");
}

LONG display_session::surface_pitch() noexcept
{
    surface_desc_.dwSize = sizeof(DDSURFACEDESC2);
    primary_surface_->GetSurfaceDesc(&surface_desc_);
    return surface_desc_.lPitch;
}

}  // namespace pyrelle
