#include "tests/windows/run_harness.h"

#include <ddraw.h>

#include <algorithm>

#include "bench/windows/bench_clock.h"
#include "support/win32_handles.h"
#include "support/utf16_buffer.h"

namespace pyrelle {
namespace test {

void pump_messages(DWORD ms) { bench::pump_until(bench::seconds_now() + ms / 1000.0); }

bool pump_messages_until(const std::function<bool()>& done, DWORD ms)
{
    const double deadline = bench::seconds_now() + ms / 1000.0;
    while (!done()) {
        if (bench::seconds_now() >= deadline) {
            return false;
        }
        bench::pump_until(bench::seconds_now() + 0.02);
    }
    return true;
}

bool display_kept_on()
{
    // A state without ES_CONTINUOUS leaves a lasting request in place and returns the one before.
    constexpr EXECUTION_STATE lasting_display = ES_CONTINUOUS | ES_DISPLAY_REQUIRED;
    return (::SetThreadExecutionState(0) & lasting_display) == lasting_display;
}

bool operator==(const screen_mode& a, const screen_mode& b)
{
    return a.width == b.width && a.height == b.height && a.bits_per_pixel == b.bits_per_pixel;
}

screen_mode current_screen_mode()
{
    com_ptr<IDirectDraw7> direct_draw;
    if (FAILED(::DirectDrawCreateEx(nullptr, direct_draw.put_void(), IID_IDirectDraw7, nullptr))) {
        return {0, 0, 0};
    }
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    if (FAILED(direct_draw->GetDisplayMode(&desc))) {
        return {0, 0, 0};
    }
    return {desc.dwWidth, desc.dwHeight, desc.ddpfPixelFormat.dwRGBBitCount};
}

bool run_window_class_registered(const run_window_class& window_class)
{
    const utf16_buffer name(window_class.name().text());
    WNDCLASSEXW found{};
    found.cbSize = sizeof(found);
    return ::GetClassInfoExW(window_class.instance(), reinterpret_cast<const wchar_t*>(name.data()), &found) != FALSE;
}

namespace {
debug_output_capture* active_capture = nullptr;
}  // namespace

debug_output_capture::debug_output_capture() : handler_(::AddVectoredExceptionHandler(1, note))
{
    active_capture = this;
}

debug_output_capture::~debug_output_capture()
{
    ::RemoveVectoredExceptionHandler(handler_);
    active_capture = nullptr;
}

std::vector<std::string> debug_output_capture::lines() const
{
    const std::lock_guard<std::mutex> held(mutex_);
    return lines_;
}

LONG CALLBACK debug_output_capture::note(EXCEPTION_POINTERS* exception)
{
    // Wide output arrives a second time as this narrow one, whichever system raised it, so the
    // narrow one alone counts each line once.
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2 && active_capture != nullptr) {
        std::string line(reinterpret_cast<const char*>(record.ExceptionInformation[1]));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        const std::lock_guard<std::mutex> held(active_capture->mutex_);
        active_capture->lines_.push_back(std::move(line));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace test

std::vector<std::uint8_t> fire_engine_inspector::heat(fire_engine& engine)
{
    const auto held = engine.frame_lock().lock();
    if (!engine.run() || !engine.run()->fire()) {
        return {};
    }
    return engine.run()->fire()->heat();
}

namespace {

template <typename Visit>
bool visit_front_rows(IDirectDrawSurface7* primary, DWORD lock_flags, Visit visit)
{
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    if (primary == nullptr || FAILED(primary->Lock(nullptr, &desc, DDLOCK_WAIT | lock_flags, nullptr))) {
        return false;
    }
    auto* row = static_cast<std::uint8_t*>(desc.lpSurface);
    for (DWORD y = 0; y < desc.dwHeight; ++y, row += desc.lPitch) {
        visit(row, desc.dwWidth);
    }
    primary->Unlock(nullptr);
    return true;
}

IDirectDrawSurface7* primary_surface(const fire_engine& engine)
{
    return engine.run() ? engine.run()->display().primary_surface() : nullptr;
}

}  // namespace

std::vector<std::uint8_t> fire_engine_inspector::front_buffer(fire_engine& engine)
{
    const auto held = engine.frame_lock().lock();
    std::vector<std::uint8_t> pixels;
    visit_front_rows(primary_surface(engine), DDLOCK_READONLY, [&pixels](const std::uint8_t* row, DWORD width) {
        pixels.insert(pixels.end(), row, row + width);
    });
    return pixels;
}

void fire_engine_inspector::fill_front_buffer(fire_engine& engine, std::uint8_t index)
{
    const auto held = engine.frame_lock().lock();
    visit_front_rows(primary_surface(engine), 0,
                     [index](std::uint8_t* row, DWORD width) { std::fill(row, row + width, index); });
}

std::vector<palette_entry> fire_engine_inspector::palette(fire_engine& engine)
{
    const auto held = engine.frame_lock().lock();
    std::vector<palette_entry> entries(palette_size);
    IDirectDrawPalette* const palette = engine.run() ? engine.run()->display().palette_object() : nullptr;
    if (!palette || FAILED(palette->GetEntries(0, 0, palette_size, reinterpret_cast<PALETTEENTRY*>(entries.data())))) {
        return {};
    }
    return entries;
}

}  // namespace pyrelle
