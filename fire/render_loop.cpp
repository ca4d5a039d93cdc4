#include "fire/render_loop.h"

#include "fire/fire_engine.h"
#include "fire/sample_chunk.h"

namespace pyrelle {

#if !defined(__i386__)
#error "render_thread_entry's last jump is written for 32-bit x86"
#endif

// What render_thread_entry calls: the whole life of the thread but its last act.
extern "C" [[gnu::used]] HANDLE pyrelle_run_render_thread(void* engine) noexcept
{
    return run_render_thread(*static_cast<fire_engine*>(engine));
}

// The jump into SetEvent: render_thread_entry is stdcall with one argument, like SetEvent, so it
// overwrites its own argument with the event and jumps. SetEvent then returns straight to the
// system's thread start-up code, which ends the thread. A call would return into this module, and
// an unload that saw the event could already have unmapped it.
asm(R"(
    .text
    .globl _render_thread_entry@4
    .def _render_thread_entry@4; .scl 2; .type 32; .endef
_render_thread_entry@4:
    pushl 4(%esp)
    call _pyrelle_run_render_thread
    addl $4, %esp
    movl %eax, 4(%esp)
    jmp *__imp__SetEvent@4
)");

HANDLE run_render_thread(fire_engine& engine) noexcept
{
    ::SetEvent(engine.thread_started_.get());
    try {
        render_loop(engine);
    } catch (...) {
        // Letting it go would terminate the host; the run simply stops drawing.
    }
    // After the event the thread touches nothing of the run, and tear_down may free it all.
    return engine.loop_finished_.get();
}

std::uint32_t render_loop(fire_engine& engine)
{
    sample_chunk chunk;  // its destructor frees the storage however the loop ends
    // Both handles outlive the loop: tear_down closes them only once the loop has finished.
    // The stop event comes first so that it wins over a timer expiry that is due at once.
    const HANDLE waits[] = {engine.stop_event_.get(), engine.frame_timer_.get()};
    for (;;) {
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            break;
        }
        const auto held = engine.lock_.try_lock();
        if (!held) {
            continue;  // dropped, not delayed
        }
        draw_frame(engine, chunk);
    }
    return 0;
}

bool fetch_samples(fire_engine& engine, sample_chunk& chunk)
{
    auto* const stream = static_cast<visualisation_stream*>(engine.vis_stream_.get());
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

namespace {

// The copy writes `width` bytes into each of `height` rows `width + row_skip` bytes apart; a
// surface that Lock reports smaller than that would be written past its end.
bool surface_holds_frame(const DDSURFACEDESC2& locked, std::int32_t width, std::int32_t height,
                         std::int32_t row_skip) noexcept
{
    return locked.lpSurface != nullptr && row_skip >= 0 && locked.lPitch >= width + row_skip &&
           locked.dwHeight >= static_cast<DWORD>(height);
}

}  // namespace

bool restore_surfaces(fire_engine& engine) noexcept
{
    const HRESULT restored = engine.primary_surface_->Restore();
    if (restored == DDERR_WRONGMODE) {
        ::PostMessageW(engine.window_.get(), WM_CLOSE, 0, 0);
        return false;
    }
    if (FAILED(restored) || engine.primary_surface_->IsLost() != DD_OK) {
        return false;  // tried again at the next tick
    }
    // The hardware palette went with the mode; the next copy redraws the whole picture.
    engine.primary_surface_->SetPalette(engine.palette_object_.get());
    if (engine.fire_) {
        engine.palette_object_->SetEntries(0, 0, palette_size, palette_entries(*engine.fire_));
    }
    return true;
}

void draw_frame(fire_engine& engine, sample_chunk& chunk)
{
    IDirectDrawSurface7* const primary = engine.primary_surface_.get();
    IDirectDrawSurface7* const back = engine.back_buffer_.get();
    if (primary == nullptr || back == nullptr || engine.fire_ == nullptr) {
        return;
    }
    if (primary->IsLost() != DD_OK && !restore_surfaces(engine)) {
        return;
    }
    // No DDLOCK_WAIT: a busy or lost surface drops this frame instead of holding up the next.
    constexpr DWORD drop_when_busy = 0;
    if (FAILED(back->Lock(nullptr, &engine.surface_desc_, drop_when_busy, nullptr))) {
        return;
    }
    if (!surface_holds_frame(engine.surface_desc_, engine.width_, engine.height_, engine.row_skip_)) {
        back->Unlock(nullptr);
        return;
    }
    try {
        // A fetch that leaves no samples has nothing to seed the fire with: the frame stands still.
        if (!engine.paused() && fetch_samples(engine, chunk) &&
            engine.fire_->advance(chunk.samples(), chunk.sample_count())) {
            engine.palette_object_->SetEntries(0, 0, palette_size, palette_entries(*engine.fire_));
        }
    } catch (...) {
        back->Unlock(nullptr);
        throw;
    }
    // Every locked frame is presented, advanced or not, so a paused or silent run keeps showing
    // its frozen picture.
    engine.fire_->copy_to(static_cast<std::uint8_t*>(engine.surface_desc_.lpSurface), engine.row_skip_);
    back->Unlock(nullptr);
    primary->Flip(back, DDFLIP_WAIT);
}

}  // namespace pyrelle
