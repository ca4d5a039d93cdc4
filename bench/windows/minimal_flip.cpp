// The least a program can do to show 8-bit frames full-screen: an exclusive 640x480x8 mode, a
// primary surface with two back buffers, and at each expiry of a 24 fps waitable timer one Lock,
// fill, Unlock and Flip. Its process CPU per second is the yardstick for the module's run.
//
// Usage: minimal_flip [seconds]   (10 by default; prints the report of bench_clock.h)
#include <windows.h>

#include <ddraw.h>

#include <cstdio>
#include <cstring>

#include "bench/windows/bench_clock.h"
#include "support/win32_handles.h"

using namespace pyrelle;

namespace {

constexpr int width = 640;
constexpr int height = 480;
constexpr LONG period_ms = 1000 / 24;

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_SETCURSOR) {
        ::SetCursor(nullptr);
        return TRUE;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

int fail(const char* step, HRESULT result)
{
    std::fprintf(stderr, "minimal_flip: %s failed (0x%08lx)\n", step, static_cast<unsigned long>(result));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = bench::run_seconds(argc, argv);
    HINSTANCE const instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"minimal_flip";
    if (!::RegisterClassW(&window_class)) {
        return fail("RegisterClassW", 0);
    }

    const double start = bench::seconds_now();
    const double cpu_start = bench::process_cpu_seconds();

    HWND const window = ::CreateWindowExW(0, L"minimal_flip", L"minimal_flip", WS_POPUP | WS_VISIBLE, 0, 0,
                                          ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr,
                                          nullptr, instance, nullptr);
    if (window == nullptr) {
        return fail("CreateWindowExW", 0);
    }
    com_ptr<IDirectDraw7> direct_draw;
    HRESULT hr = ::DirectDrawCreateEx(nullptr, direct_draw.put_void(), IID_IDirectDraw7, nullptr);
    if (FAILED(hr)) {
        return fail("DirectDrawCreateEx", hr);
    }
    if (FAILED(hr = direct_draw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE))) {
        return fail("SetCooperativeLevel", hr);
    }
    if (FAILED(hr = direct_draw->SetDisplayMode(width, height, 8, 0, 0))) {
        return fail("SetDisplayMode", hr);
    }
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 2;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    com_ptr<IDirectDrawSurface7> primary;
    if (FAILED(hr = direct_draw->CreateSurface(&desc, primary.put(), nullptr))) {
        return fail("CreateSurface", hr);
    }
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) {
        entries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i / 2), 0, PC_NOCOLLAPSE};
    }
    com_ptr<IDirectDrawPalette> palette;
    if (FAILED(hr = direct_draw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, palette.put(), nullptr))) {
        return fail("CreatePalette", hr);
    }
    primary->SetPalette(palette.get());
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    com_ptr<IDirectDrawSurface7> back;
    if (FAILED(hr = primary->GetAttachedSurface(&caps, back.put()))) {
        return fail("GetAttachedSurface", hr);
    }
    kernel_handle timer(::CreateWaitableTimerW(nullptr, FALSE, nullptr));
    LARGE_INTEGER due;
    due.QuadPart = -100000;
    ::SetWaitableTimer(timer.get(), &due, period_ms, nullptr, nullptr, FALSE);

    bench::run_report report{0, 0, 0, -1, -1};
    const double stop = start + seconds;
    HANDLE const waits[] = {timer.get()};
    while (bench::seconds_now() < stop) {
        const DWORD woken = ::MsgWaitForMultipleObjects(1, waits, FALSE, 100, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 + 1) {
            bench::pump_until(0);
            continue;
        }
        if (woken != WAIT_OBJECT_0) {
            continue;
        }
        desc = DDSURFACEDESC2{};
        desc.dwSize = sizeof(desc);
        if (FAILED(back->Lock(nullptr, &desc, 0, nullptr))) {
            continue;
        }
        auto* row = static_cast<unsigned char*>(desc.lpSurface);
        for (int y = 0; y < height; ++y, row += desc.lPitch) {
            std::memset(row, (y + report.frames) & 0xFF, width);
        }
        back->Unlock(nullptr);
        primary->Flip(back.get(), DDFLIP_WAIT);
        report.last_flip_seconds = bench::seconds_now() - start;
        if (report.frames++ == 0) {
            report.first_flip_seconds = report.last_flip_seconds;
        }
    }
    report.wall_seconds = bench::seconds_now() - start;
    report.cpu_seconds = bench::process_cpu_seconds() - cpu_start;

    back.reset();
    primary.reset();
    palette.reset();
    direct_draw->RestoreDisplayMode();
    direct_draw->SetCooperativeLevel(window, DDSCL_NORMAL);
    direct_draw.reset();
    ::DestroyWindow(window);
    bench::print_report("minimal_flip", report);
    return 0;
}
