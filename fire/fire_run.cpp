#include "fire/fire_run.h"

#include "fire/frame_rate.h"
#include "fire/sample_chunk.h"

namespace pyrelle {
namespace {

// Asks the run's stream for the current audio: false when it has no current time (no audio for
// this frame); otherwise fills the chunk, through the fallback when the first fill fails, and
// returns true whatever the fills did.
bool fetch_samples(visualisation_stream* stream, sample_chunk& chunk)
{
    if (stream == nullptr) {
        return false;
    }
    double time = 0.0;
    if (!stream->current_time(&time)) {
        return false;
    }
    if (!stream->fill_chunk(chunk, time, requested_chunk_size)) {
        stream->fill_chunk_fallback(chunk, time, requested_chunk_size);
    }
    return true;
}

// The copy writes `width` bytes into each of `height` rows `width + row_skip` bytes apart; a
// surface that Lock reports smaller than that would be written past its end.
bool surface_holds_frame(const DDSURFACEDESC2& locked, std::int32_t width, std::int32_t height,
                         std::int32_t row_skip) noexcept
{
    return locked.lpSurface != nullptr && row_skip >= 0 && locked.lPitch >= width + row_skip &&
           locked.dwHeight >= static_cast<DWORD>(height);
}

}  // namespace

fire_run::fire_run(HWND window, const fire_settings& settings, critical_section& lock, const std::atomic<bool>& paused,
                   random_state& starter) noexcept
    : window_(window), settings_(settings), lock_(lock), paused_(paused), starter_(starter), display_(window)
{
}

step_result fire_run::start(const service_finder& host_services)
{
    {
        service_ref manager;
        host_services.find(visualisation_manager_class, manager);
        static_cast<visualisation_manager*>(manager.get())->create_stream(vis_stream_, 0);
    }

    if (auto step = display_.create_direct_draw(); step.failed()) {
        return step;
    }
    if (auto step = display_.take_exclusive_mode(); step.failed()) {
        return step;
    }
    if (auto step = display_.set_display_mode(settings_.width, settings_.height, settings_.bits_per_pixel);
        step.failed()) {
        return step;
    }
    if (auto step = display_.create_flip_chain(); step.failed()) {
        return step;
    }

    fire_ = std::make_unique<fire_simulation>(settings_.width, settings_.height, settings_.colours());
    fire_->start_colours(starter_);

    if (auto step = display_.create_palette(*fire_); step.failed()) {
        return step;
    }
    if (auto step = thread_.create(lock_, *this); step.failed()) {
        return step;
    }

    display_.attach_palette(*fire_);
    if (auto step = display_.find_back_buffer(); step.failed()) {
        return step;
    }
    row_skip_ = display_.surface_pitch() - settings_.width;
    fire_->start_ramps();

    thread_.arm_timer(timer_period_ms(settings_.frame_rate));
    awake_.keep_on();
    thread_.resume();
    return step_result();
}

bool fire_run::restore_surfaces() noexcept
{
    IDirectDrawSurface7* const primary = display_.primary_surface();
    const HRESULT restored = primary->Restore();
    if (restored == DDERR_WRONGMODE) {
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        return false;
    }
    if (FAILED(restored) || primary->IsLost() != DD_OK) {
        return false;  // tried again at the next tick
    }
    // The hardware palette went with the mode; the next copy redraws the whole picture.
    display_.attach_palette(*fire_);
    return true;
}

void fire_run::paint(sample_chunk& chunk, random_state& run_random)
{
    // The thread runs only once every step has succeeded, so all of these exist.
    IDirectDrawSurface7* const primary = display_.primary_surface();
    IDirectDrawSurface7* const back = display_.back_buffer();
    DDSURFACEDESC2& locked = display_.surface_desc();
    if (primary->IsLost() != DD_OK && !restore_surfaces()) {
        return;
    }
    // No DDLOCK_WAIT: a busy or lost surface drops this frame instead of holding up the next.
    constexpr DWORD drop_when_busy = 0;
    if (FAILED(back->Lock(nullptr, &locked, drop_when_busy, nullptr))) {
        return;
    }
    if (!surface_holds_frame(locked, settings_.width, settings_.height, row_skip_)) {
        back->Unlock(nullptr);
        return;
    }
    try {
        // A fetch that leaves no samples has nothing to seed the fire with: the frame stands still.
        if (!paused_.load(std::memory_order_relaxed) &&
            fetch_samples(static_cast<visualisation_stream*>(vis_stream_.get()), chunk) &&
            fire_->advance(chunk.samples(), chunk.sample_count(), run_random)) {
            display_.palette_object()->SetEntries(0, 0, palette_size, palette_entries(*fire_));
        }
    } catch (...) {
        back->Unlock(nullptr);
        throw;
    }
    // Every locked frame is presented, advanced or not, so a paused or silent run keeps showing
    // its frozen picture.
    fire_->copy_to(static_cast<std::uint8_t*>(locked.lpSurface), row_skip_);
    back->Unlock(nullptr);
    primary->Flip(back, DDFLIP_WAIT);
}

}  // namespace pyrelle
