#include "fire/fire_engine.h"

#include <cstdint>
#include <memory>

#include "fire/heat_field.h"
#include "fire/render_loop.h"

namespace pyrelle {
namespace {

// Multithreaded: the render thread uses the surfaces while this thread owns the window and the
// DirectDraw object.
constexpr DWORD exclusive_level =
    DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX | DDSCL_MULTITHREADED;
static_assert(exclusive_level == 0x453, "the cooperative level the run has always asked for");
constexpr DWORD default_refresh_rate = 0;
constexpr DWORD no_display_mode_flags = 0;
constexpr DWORD back_buffer_count = 2;      // triple buffering
constexpr LONGLONG first_expiry = -100000;  // relative, in 100 ns units: 10 ms
constexpr wchar_t frame_timer_name[] = L"{B636A55C-AC58-4b5e-86BE-2217B47ECA6F}";

}  // namespace

PALETTEENTRY* palette_entries(const fire_simulation& fire) noexcept
{
    // DirectDraw only reads the entries, but its calls take them without const.
    return reinterpret_cast<PALETTEENTRY*>(const_cast<palette_entry*>(fire.palette()));
}

std::int32_t timer_period_ms(std::int32_t frame_rate) noexcept
{
    // 0 cannot divide, and above 1000 the period would be 0, which fires the timer only once.
    const bool usable = frame_rate >= 1 && frame_rate <= 1000;
    return 1000 / (usable ? frame_rate : fallback_frame_rate);
}

bool display_mode_drawable(std::int32_t width, std::int32_t height, std::uint32_t bits_per_pixel) noexcept
{
    // Heat bytes are copied one per pixel, so any other depth would write past the surface's rows.
    return bits_per_pixel == 8 && heat_field_size_supported(width, height);
}

fire_engine::fire_engine(run_window_class& window_class, const service_finder& host_services) noexcept
    : window_class_(window_class), host_services_(host_services)
{
}

fire_engine::~fire_engine()
{
    close_window();
    // Destroying the window tears the run down through WM_DESTROY, but only on the thread that
    // owns the window; an unload on any other thread must still stop the render thread and give
    // the display back before the module's code goes away. A second tear_down does nothing.
    tear_down();
}

LRESULT fire_engine::set_up()
{
    const auto give_up = [this] {
        close_window();
        return LRESULT{0};
    };
    if (!display_mode_drawable(width_, height_, bits_per_pixel_)) {
        return give_up();
    }

    ::ShowWindow(window_.get(), SW_SHOW);
    ::UpdateWindow(window_.get());

    // Throws when the host has no single manager; the window then stays up, stranded.
    {
        service_ref manager;
        host_services_.find(visualisation_manager_class, manager);
        static_cast<visualisation_manager*>(manager.get())->create_stream(vis_stream_, 0);
    }

    if (FAILED(::DirectDrawCreateEx(nullptr, direct_draw_.put_void(), IID_IDirectDraw7, nullptr))) {
        return give_up();
    }
    if (FAILED(direct_draw_->SetCooperativeLevel(window_.get(), exclusive_level))) {
        return give_up();
    }
    if (FAILED(direct_draw_->SetDisplayMode(static_cast<DWORD>(width_), static_cast<DWORD>(height_), bits_per_pixel_,
                                            default_refresh_rate, no_display_mode_flags))) {
        return give_up();
    }

    surface_desc_ = DDSURFACEDESC2{};
    surface_desc_.dwSize = sizeof(DDSURFACEDESC2);
    surface_desc_.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    surface_desc_.dwBackBufferCount = back_buffer_count;
    surface_desc_.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    if (FAILED(direct_draw_->CreateSurface(&surface_desc_, primary_surface_.put(), nullptr))) {
        return give_up();
    }

    // std::bad_alloc strands the run like a lookup failure.
    fire_ = std::make_unique<fire_simulation>(width_, height_, colours_);
    fire_->start_colours();

    if (FAILED(direct_draw_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, palette_entries(*fire_),
                                           palette_object_.put(), nullptr))) {
        return give_up();
    }
    if (!start_render_thread()) {
        return give_up();
    }

    // From here on nothing is tested: the run goes on whatever these return.
    primary_surface_->SetPalette(palette_object_.get());
    palette_object_->SetEntries(0, 0, palette_size, palette_entries(*fire_));
    surface_desc_.ddsCaps.dwCaps = DDSCAPS_BACKBUFFER;
    primary_surface_->GetAttachedSurface(&surface_desc_.ddsCaps, back_buffer_.put());
    surface_desc_.dwSize = sizeof(DDSURFACEDESC2);
    primary_surface_->GetSurfaceDesc(&surface_desc_);
    row_skip_ = surface_desc_.lPitch - width_;
    fire_->start_ramps();

    LARGE_INTEGER due;
    due.QuadPart = first_expiry;
    ::SetWaitableTimer(frame_timer_.get(), &due, timer_period_ms(frame_rate_), nullptr, nullptr, FALSE);
    keep_display_on();
    ::ResumeThread(render_thread_.get());
    // The player may unload the module as soon as the toggle returns; by then the thread must be
    // past its DLL_THREAD_ATTACH, which the unload's loader lock would hold up for ever.
    const HANDLE started[] = {thread_started_.get(), render_thread_.get()};
    ::WaitForMultipleObjects(2, started, FALSE, INFINITE);
    return 0;
}

void fire_engine::keep_display_on() noexcept
{
    // Nobody touches the keyboard or mouse while the music plays: without this the screen saver
    // or the monitor's power-off would cut into a long album.
    saved_execution_state_ = ::SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED);
    display_kept_on_ = true;
}

void fire_engine::let_display_sleep() noexcept
{
    if (!display_kept_on_) {
        return;
    }
    display_kept_on_ = false;
    // Gives the player's thread back what it asked for before the run; a state without
    // ES_CONTINUOUS was no lasting request, so then the thread asks for nothing.
    const bool lasting = (saved_execution_state_ & ES_CONTINUOUS) != 0;
    ::SetThreadExecutionState(lasting ? saved_execution_state_ : ES_CONTINUOUS);
}

kernel_handle open_frame_timer()
{
    // Auto-reset: each expiry releases one wait. The name is the timer's known identity, but a
    // timer of that name that already exists belongs to another run (a second player): sharing it
    // would split its ticks between the two render threads and hand each the other's period.
    kernel_handle timer(::CreateWaitableTimerW(nullptr, FALSE, frame_timer_name));
    if (timer && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        timer.reset(::CreateWaitableTimerW(nullptr, FALSE, nullptr));
    }
    return timer;
}

bool fire_engine::start_render_thread()
{
    // The timer and the stop event exist before the thread, so a thread that exists can always
    // be stopped: a failure here never leaves a suspended thread that tear_down would wait for.
    frame_timer_ = open_frame_timer();
    if (!frame_timer_) {
        return false;
    }
    stop_event_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop_event_) {
        return false;
    }
    thread_started_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!thread_started_) {
        return false;
    }
    loop_finished_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!loop_finished_) {
        return false;
    }
    render_thread_.reset(::CreateThread(nullptr, 0, render_thread_entry, this, CREATE_SUSPENDED, nullptr));
    return static_cast<bool>(render_thread_);
}

bool fire_engine::tear_down() noexcept
{
    {
        // Held while the thread ends: a frame in progress completes first, and a thread woken
        // later finds the lock taken, draws nothing and sees the stop at its next wait.
        const auto held = lock_.lock();
        if (render_thread_) {
            ::SetEvent(stop_event_.get());
            // A thread that set_up never resumed must run to see the stop; for a running thread
            // this does nothing.
            ::ResumeThread(render_thread_.get());
            // Not the thread's handle alone: inside the module's unload the loader lock holds the
            // thread's exit, while loop_finished_ is set once the thread can no longer run code
            // of the module. The handle counts when the process exit has killed the thread.
            const HANDLE ends[] = {loop_finished_.get(), render_thread_.get()};
            ::WaitForMultipleObjects(2, ends, FALSE, INFINITE);
            render_thread_.reset();
        }
        frame_timer_.reset();
        stop_event_.reset();
        thread_started_.reset();
        loop_finished_.reset();
    }
    let_display_sleep();

    palette_object_.reset();
    back_buffer_.reset();
    primary_surface_.reset();
    if (direct_draw_) {
        direct_draw_->FlipToGDISurface();
        direct_draw_->RestoreDisplayMode();
        direct_draw_->SetCooperativeLevel(window_.get(), DDSCL_NORMAL);
        direct_draw_.reset();
    }

    fire_.reset();

    vis_stream_.reset();
    return true;
}

}  // namespace pyrelle
