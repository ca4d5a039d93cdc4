// Pyrelle's own full-screen run, measured the way minimal_flip measures itself: a 640x480x8 run
// at 24 frames per second, started by the visualisation toggle with a stand-in host stream,
// pumped like a host's message loop for N seconds and ended by the toggle.
//
// Frames are counted where they reach the screen: IDirectDrawSurface7::Flip is wrapped in the
// surfaces' shared operation table before the run starts, so the count and the time of the first
// flip come from the run's own calls. The stream's fill_chunk count is printed beside them.
//
// Usage: run_bench [seconds]   (10 by default; prints the report of bench_clock.h)
#include <windows.h>

#include <ddraw.h>

#include <atomic>
#include <cmath>
#include <cstdio>

#include "bench/windows/bench_clock.h"
#include "config/configuration.h"
#include "fire/fire_engine.h"
#include "host/visualisation_toggle.h"
#include "prefs/display_mode_list.h"
#include "support/win32_handles.h"
#include "tests/windows/run_harness.h"
#include "tests/windows/test_registry.h"
#include "tests/windows/test_stream.h"

using namespace pyrelle;

namespace {

using flip_operation = HRESULT(STDMETHODCALLTYPE*)(IDirectDrawSurface7*, IDirectDrawSurface7*, DWORD);
constexpr int flip_slot = 11;  // QueryInterface, AddRef, Release, AddAttachedSurface, ... Flip

flip_operation original_flip = nullptr;
std::atomic<long> flips{0};
std::atomic<double> first_flip_at{0};
std::atomic<double> last_flip_at{0};

HRESULT STDMETHODCALLTYPE counted_flip(IDirectDrawSurface7* surface, IDirectDrawSurface7* target, DWORD flags)
{
    const HRESULT result = original_flip(surface, target, flags);
    const double now = bench::seconds_now();
    last_flip_at = now;
    if (flips++ == 0) {
        first_flip_at = now;
    }
    return result;
}

// Every surface of the DirectDraw implementation shares one operation table, so a throwaway
// off-screen surface gives the table that the run's flip chain will use.
bool wrap_flip()
{
    com_ptr<IDirectDraw7> direct_draw;
    if (FAILED(::DirectDrawCreateEx(nullptr, direct_draw.put_void(), IID_IDirectDraw7, nullptr)) ||
        FAILED(direct_draw->SetCooperativeLevel(nullptr, DDSCL_NORMAL))) {
        return false;
    }
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 8;
    desc.dwHeight = 8;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    com_ptr<IDirectDrawSurface7> surface;
    if (FAILED(direct_draw->CreateSurface(&desc, surface.put(), nullptr))) {
        return false;
    }
    void** const table = *reinterpret_cast<void***>(surface.get());
    DWORD protection = 0;
    if (!::VirtualProtect(&table[flip_slot], sizeof(void*), PAGE_READWRITE, &protection)) {
        return false;
    }
    original_flip = reinterpret_cast<flip_operation>(table[flip_slot]);
    table[flip_slot] = reinterpret_cast<void*>(&counted_flip);
    ::VirtualProtect(&table[flip_slot], sizeof(void*), protection, &protection);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = bench::run_seconds(argc, argv);
    if (!wrap_flip()) {
        std::fprintf(stderr, "run_bench: cannot reach the surfaces' Flip\n");
        return 1;
    }

    test::test_stream stream;
    test::test_manager manager{stream};
    test::test_registry registry;
    registry.add(visualisation_manager_class, &manager);
    test::run_parts parts;
    parts.host_services.use(&registry);

    configuration settings;  // 24 frames per second, fixed colours
    display_mode_list modes;
    modes.append({640, 480, 8});
    fire_engine engine(parts.window_class, parts.host_services);

    const double start = bench::seconds_now();
    const double cpu_start = bench::process_cpu_seconds();
    toggle_visualisation(engine, modes, settings);
    if (!engine.is_running()) {
        std::fprintf(stderr, "run_bench: the run did not start\n");
        return 1;
    }
    const double started = bench::seconds_now();
    bench::pump_until(start + seconds);

    bench::run_report report{};
    report.wall_seconds = bench::seconds_now() - start;
    report.cpu_seconds = bench::process_cpu_seconds() - cpu_start;
    report.frames = flips;
    report.first_flip_seconds = report.frames > 0 ? first_flip_at - start : -1;
    report.last_flip_seconds = last_flip_at - start;
    const int fills = stream.fill_calls;
    toggle_visualisation(engine, modes, settings);

    bench::print_report("pyrelle_run", report);
    std::printf("fill_chunk_calls %d\n", fills);
    std::printf("toggle_ms %.1f\n", (started - start) * 1000);
    return engine.is_running() ? 1 : 0;
}
