// Whole full-screen runs under the Wine virtual desktop: start and end by the toggle, Escape and
// WM_CLOSE, lost activation, pause, silent and failing streams, refused modes and the stranded
// start, a second player's timer, a display mode changed behind the run's back. After every run
// the desktop's display mode is back, no window is left, the class is unregistered and nothing
// keeps the display on any more.
#include <gtest/gtest.h>

#include <windows.h>

#include <ddraw.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/windows/bench_clock.h"
#include "config/configuration.h"
#include "fire/fire_engine.h"
#include "host/visualisation_toggle.h"
#include "prefs/display_mode_list.h"
#include "support/run_names.h"
#include "support/win32_handles.h"
#include "tests/windows/child_process.h"
#include "tests/windows/run_harness.h"
#include "tests/windows/test_registry.h"
#include "tests/windows/test_stream.h"

namespace pyrelle {
namespace {

using test::pump_messages;
using inspect = fire_engine_inspector;

const wchar_t* const run_class = run_window_class_name_wide.data();
const wchar_t* const timer_name = frame_timer_name_wide.data();

bool all_zero(const std::vector<std::uint8_t>& bytes)
{
    return !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// The front surface over several frames: the chain flips between surfaces, so one look could
// catch a stale one.
bool front_stays_zero(fire_engine& engine)
{
    for (int look = 0; look < 6; ++look) {
        if (!all_zero(fire_engine_inspector::front_buffer(engine))) {
            return false;
        }
        pump_messages(50);
    }
    return true;
}

class FireRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        registry_.add(visualisation_manager_class, &manager_);
        use_registry(&registry_);
        desktop_ = test::current_screen_mode();
        ASSERT_NE(desktop_.width, 0u) << "no DirectDraw: run under the virtual desktop";
        modes_.append({640, 480, 8});
    }

    void TearDown() override
    {
        if (engine_.is_running()) {
            engine_.close_window();
        }
        pump_messages(20);
        EXPECT_FALSE(engine_.is_running());
        EXPECT_TRUE(test::current_screen_mode() == desktop_) << "display mode not restored";
        EXPECT_FALSE(test::run_window_class_registered(parts_.window_class));
        EXPECT_EQ(parts_.window_class.use_count(), 0);
        EXPECT_EQ(parts_.window_class.atom(), 0);
        EXPECT_EQ(stream_.references.load(), 0) << "the run's stream was not released";
        EXPECT_FALSE(test::display_kept_on()) << "the display is still kept on";
    }

    void use_registry(host_service_registry* registry) { parts_.host_services.use(registry); }

    void toggle() { toggle_visualisation(engine_, modes_, settings_); }

    // Starts a run and checks that it is under way in the first mode asked for.
    void start_running()
    {
        toggle();
        ASSERT_TRUE(engine_.is_running());
        ASSERT_TRUE(inspect::has_render_thread(engine_));
    }

    // fill_chunk calls per second over the next `ms` milliseconds.
    double fill_rate(DWORD ms)
    {
        const int before = stream_.fill_calls;
        const double start = bench::seconds_now();
        pump_messages(ms);
        return (stream_.fill_calls - before) / (bench::seconds_now() - start);
    }

    test::test_stream stream_;
    test::test_manager manager_{stream_};
    test::test_registry registry_;
    configuration settings_;
    display_mode_list modes_;
    test::run_parts parts_;
    fire_engine engine_{parts_.window_class, parts_.host_services};
    test::screen_mode desktop_{};
};

TEST_F(FireRun, ToggleStartsA640x480RunDrawingAbout24FramesASecondAndEndsIt)
{
    start_running();
    EXPECT_TRUE(test::current_screen_mode() == (test::screen_mode{640, 480, 8}));
    EXPECT_TRUE(::IsWindowVisible(inspect::window(engine_)));
    EXPECT_TRUE(test::run_window_class_registered(parts_.window_class));
    EXPECT_EQ(parts_.window_class.use_count(), 1);
    EXPECT_EQ(stream_.references.load(), 1);
    EXPECT_GE(inspect::row_skip(engine_), 0);

    pump_messages(200);
    EXPECT_NEAR(fill_rate(1500), 1000.0 / 41, 2.5);
    EXPECT_EQ(stream_.fallback_calls.load(), 0);
    EXPECT_FALSE(all_zero(inspect::heat(engine_)));
    EXPECT_FALSE(all_zero(inspect::front_buffer(engine_))) << "the fire never reached the screen";

    toggle();
    EXPECT_FALSE(engine_.is_running());
    EXPECT_FALSE(inspect::has_tables(engine_));
    EXPECT_FALSE(inspect::has_direct_draw(engine_));
}

TEST_F(FireRun, EscapeEndsTheRunAndOtherInputDoesNot)
{
    for (int run = 0; run < 2; ++run) {  // the second run registers the class again
        SCOPED_TRACE(run);
        start_running();
        HWND const window = inspect::window(engine_);
        ::PostMessageW(window, WM_KEYDOWN, 'A', 0);
        ::PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        pump_messages(150);
        ASSERT_TRUE(engine_.is_running());

        ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        pump_messages(100);
        EXPECT_FALSE(engine_.is_running());
        EXPECT_FALSE(::IsWindow(window));
        EXPECT_FALSE(test::run_window_class_registered(parts_.window_class));
        EXPECT_TRUE(test::current_screen_mode() == desktop_);
    }
}

TEST_F(FireRun, EscapeTypedOnTheKeyboardEndsTheRun)
{
    start_running();
    ::SetForegroundWindow(inspect::window(engine_));
    pump_messages(100);
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(::SendInput(2, keys, sizeof(INPUT)), 2u);
    pump_messages(300);
    EXPECT_FALSE(engine_.is_running());
}

TEST_F(FireRun, CloseMessageTearsDownOnceAndALaterTearDownFindsNothing)
{
    start_running();
    // WM_CLOSE tears down, then its default processing destroys the window, whose WM_DESTROY
    // tears down a second time.
    ::SendMessageW(inspect::window(engine_), WM_CLOSE, 0, 0);
    EXPECT_FALSE(engine_.is_running());
    EXPECT_TRUE(engine_.tear_down());
    EXPECT_FALSE(inspect::has_direct_draw(engine_));
}

TEST_F(FireRun, PauseFlagHoldsTheFireAndPaletteEntryZeroUntilCleared)
{
    engine_.set_paused(true);
    start_running();
    // Whatever the screen held, the frames drawn while paused show the zero field.
    inspect::fill_front_buffer(engine_, 0xAB);
    pump_messages(300);
    EXPECT_TRUE(front_stays_zero(engine_));
    EXPECT_TRUE(all_zero(inspect::heat(engine_)));
    EXPECT_EQ(stream_.time_calls.load(), 0);
    EXPECT_EQ(stream_.fill_calls.load(), 0);
    const std::vector<palette_entry> entries = inspect::palette(engine_);
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_EQ(entries[0], (palette_entry{0, 0, 0, 0})) << "entry 0 is the low colour, black";

    engine_.set_paused(false);
    pump_messages(400);
    EXPECT_GT(stream_.fill_calls.load(), 0);
    EXPECT_FALSE(all_zero(inspect::heat(engine_)));

    engine_.set_paused(true);
    pump_messages(100);  // a change may take effect one frame late
    const std::vector<std::uint8_t> frozen = inspect::heat(engine_);
    const int fills = stream_.fill_calls;
    pump_messages(400);
    EXPECT_EQ(inspect::heat(engine_), frozen);
    EXPECT_EQ(stream_.fill_calls.load(), fills);
}

TEST_F(FireRun, StreamWithoutCurrentTimeKeepsPresentingAnUnchangedPicture)
{
    stream_.has_time = false;
    start_running();
    inspect::fill_front_buffer(engine_, 0xAB);
    pump_messages(400);
    EXPECT_TRUE(front_stays_zero(engine_));
    EXPECT_GE(stream_.time_calls.load(), 10) << "frames are still drawn";
    EXPECT_EQ(stream_.fill_calls.load(), 0);
    EXPECT_TRUE(all_zero(inspect::heat(engine_)));
}

TEST_F(FireRun, FailedFillUsesTheFallbackSamples)
{
    stream_.fill_fails = true;
    stream_.samples_per_fill = 1;  // one sample of 0.125: heat 64 across both audio rows
    start_running();
    pump_messages(400);
    EXPECT_GT(stream_.fallback_calls.load(), 0);
    EXPECT_EQ(stream_.fallback_calls.load(), stream_.fill_calls.load());
    const std::vector<std::uint8_t> heat = inspect::heat(engine_);
    const std::size_t audio_row_a = 478 * 640;
    EXPECT_EQ(heat[audio_row_a + 1], 64);
    EXPECT_EQ(heat[audio_row_a + 639], 64);
}

TEST_F(FireRun, FetchThatLeavesNoSamplesDoesNotAdvanceTheFire)
{
    settings_.middle_flow.value = 1;
    stream_.samples_per_fill = 3;  // any count works: the seeding spreads what the chunk holds
    start_running();
    pump_messages(300);
    ASSERT_FALSE(all_zero(inspect::heat(engine_)));

    stream_.samples_per_fill = 0;
    pump_messages(100);  // the frame in progress may still use the last samples
    const std::vector<std::uint8_t> heat = inspect::heat(engine_);
    const std::vector<palette_entry> palette = inspect::palette(engine_);
    const int fills = stream_.fill_calls;
    pump_messages(400);
    EXPECT_GT(stream_.fill_calls.load(), fills);
    EXPECT_EQ(inspect::heat(engine_), heat) << "the fire moved without samples";
    EXPECT_EQ(inspect::palette(engine_), palette) << "the colours flowed without samples";
}

TEST_F(FireRun, BusyLockDropsFramesInsteadOfDelayingThem)
{
    start_running();
    pump_messages(200);
    {
        const auto held = inspect::hold_lock(engine_);
        const int before = stream_.fill_calls;
        ::Sleep(500);
        EXPECT_EQ(stream_.fill_calls.load(), before);
    }
    // No burst of made-up frames once the lock is free again.
    EXPECT_NEAR(fill_rate(1000), 1000.0 / 41, 3.0);
}

TEST_F(FireRun, ThrowingStreamEndsOnlyTheRenderThread)
{
    stream_.throws = true;
    start_running();
    pump_messages(300);
    EXPECT_TRUE(inspect::render_thread_ended(engine_));
    EXPECT_EQ(stream_.time_calls.load(), 1);
    EXPECT_TRUE(engine_.is_running()) << "the window stays until the user ends the run";
    toggle();
    EXPECT_FALSE(engine_.is_running());
}

TEST_F(FireRun, FlowingColoursReachThePaletteObject)
{
    settings_.low_flow.value = 1;
    settings_.middle_flow.value = 1;
    settings_.high_flow.value = 1;
    start_running();
    pump_messages(100);
    const std::vector<palette_entry> early = inspect::palette(engine_);
    pump_messages(400);
    const std::vector<palette_entry> later = inspect::palette(engine_);
    ASSERT_EQ(later.size(), 256u);
    EXPECT_NE(early, later);
}

TEST_F(FireRun, FixedColoursKeepTheStartPalette)
{
    start_running();
    pump_messages(300);
    std::vector<palette_entry> expected(256);
    build_palette(expected.data(), initial_low_colour, initial_middle_colour, initial_high_colour);
    EXPECT_EQ(inspect::palette(engine_), expected);
}

struct rate_case {
    std::int32_t stored;
    double expected_per_second;
};

class FireRunRate : public FireRun, public ::testing::WithParamInterface<rate_case> {};

TEST_P(FireRunRate, RunsAtTheUsableRate)
{
    settings_.frame_rate.value = GetParam().stored;
    start_running();
    pump_messages(200);
    EXPECT_NEAR(fill_rate(1200), GetParam().expected_per_second, 3.0);
    EXPECT_EQ(settings_.frame_rate.value, GetParam().stored) << "the stored value is left alone";
}

INSTANTIATE_TEST_SUITE_P(StoredRates, FireRunRate,
                         ::testing::Values(rate_case{0, 1000.0 / 41}, rate_case{100000, 1000.0 / 41},
                                           rate_case{30, 1000.0 / 33}));

class FireRunRefused : public FireRun, public ::testing::WithParamInterface<display_mode> {};

TEST_P(FireRunRefused, LeavesNoWindowAndTheDesktopAsItWas)
{
    modes_.resize(0);
    modes_.append(GetParam());
    toggle();
    EXPECT_FALSE(engine_.is_running());
    EXPECT_TRUE(test::current_screen_mode() == desktop_);
    EXPECT_FALSE(inspect::has_direct_draw(engine_));
    EXPECT_FALSE(inspect::has_tables(engine_));
}

INSTANTIATE_TEST_SUITE_P(Modes, FireRunRefused,
                         ::testing::Values(display_mode{640, 3, 8},     // too low for the heat filter
                                           display_mode{0, 480, 8},     // no column
                                           display_mode{640, 480, 4},   // not a byte per pixel
                                           display_mode{123, 45, 8}));  // the display refuses it

TEST_F(FireRun, FrameTimerThatCannotBeMadeEndsTheStartWithoutHanging)
{
    // An object of another kind under the timer's name makes CreateWaitableTimerW fail.
    const kernel_handle squatter(::CreateEventW(nullptr, TRUE, FALSE, timer_name));
    ASSERT_TRUE(squatter);
    toggle();
    EXPECT_FALSE(engine_.is_running());
    EXPECT_FALSE(inspect::has_render_thread(engine_));
    EXPECT_FALSE(inspect::has_direct_draw(engine_));
}

// While it exists, every surface's GetAttachedSurface answers "not found": a driver whose flip
// chain has no back buffer. The surfaces share one operation table (bench/windows/run_bench.cpp).
class missing_back_buffer {
public:
    missing_back_buffer()
    {
        com_ptr<IDirectDraw7> direct_draw;
        EXPECT_HRESULT_SUCCEEDED(::DirectDrawCreateEx(nullptr, direct_draw.put_void(), IID_IDirectDraw7, nullptr));
        EXPECT_HRESULT_SUCCEEDED(direct_draw->SetCooperativeLevel(nullptr, DDSCL_NORMAL));
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = desc.dwHeight = 8;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        com_ptr<IDirectDrawSurface7> surface;
        EXPECT_HRESULT_SUCCEEDED(direct_draw->CreateSurface(&desc, surface.put(), nullptr));
        slot_ = &(*reinterpret_cast<void***>(surface.get()))[get_attached_surface_slot];
        original_ = swap(reinterpret_cast<void*>(&not_found));
    }
    ~missing_back_buffer() { swap(original_); }
    missing_back_buffer(const missing_back_buffer&) = delete;
    missing_back_buffer& operator=(const missing_back_buffer&) = delete;

private:
    static constexpr int get_attached_surface_slot = 12;  // right after Flip
    static HRESULT STDMETHODCALLTYPE not_found(IDirectDrawSurface7*, DDSCAPS2*, IDirectDrawSurface7** out)
    {
        *out = nullptr;
        return DDERR_NOTFOUND;
    }
    void* swap(void* operation)
    {
        DWORD protection = 0;
        ::VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &protection);
        void* const previous = std::exchange(*slot_, operation);
        ::VirtualProtect(slot_, sizeof(void*), protection, &protection);
        return previous;
    }

    void** slot_ = nullptr;
    void* original_ = nullptr;
};

TEST_F(FireRun, FailedStartWritesItsStepAndResultToTheDebuggerOutput)
{
    test::test_registry no_manager;
    const struct {
        std::string line;
        display_mode mode;
        bool timer_name_taken;
        bool manager_missing;
        bool back_buffer_missing;
    } cases[] = {
        {"Pyrelle: drawable display mode 640x3x8 failed: 0x80070057", {640, 3, 8}, false, false, false},
        // Wine's DirectDraw refuses it with DDERR_UNSUPPORTED, which is E_NOTIMPL's value.
        {"Pyrelle: SetDisplayMode 123x45x8 failed: 0x80004001", {123, 45, 8}, false, false, false},
        {"Pyrelle: CreateWaitableTimerW failed: 0x80070006", {640, 480, 8}, true, false, false},
        {"Pyrelle: GetAttachedSurface back buffer failed: 0x887600FF", {640, 480, 8}, false, false, true},
        {"Pyrelle: run start failed: Service not found", {640, 480, 8}, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        modes_.resize(0);
        modes_.append(c.mode);
        use_registry(c.manager_missing ? &no_manager : &registry_);
        // An object of another kind under the timer's name makes CreateWaitableTimerW fail.
        const kernel_handle squatter(c.timer_name_taken ? ::CreateEventW(nullptr, TRUE, FALSE, timer_name) : nullptr);
        std::optional<missing_back_buffer> driver;
        if (c.back_buffer_missing) {
            driver.emplace();
        }
        std::vector<std::string> lines;
        {
            const test::debug_output_capture output;
            toggle();
            lines = output.lines();
        }
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [](const std::string& line) { return line.rfind("Pyrelle:", 0) != 0; }),
                    lines.end());
        EXPECT_EQ(lines, std::vector<std::string>{c.line});
        if (c.manager_missing) {
            EXPECT_TRUE(engine_.is_running()) << "an exception strands the start, the window stays";
            toggle();
        }
        EXPECT_FALSE(engine_.is_running());
        EXPECT_FALSE(inspect::has_direct_draw(engine_));
        EXPECT_TRUE(test::current_screen_mode() == desktop_);
    }
}

TEST_F(FireRun, EmptyModeListStartsNothing)
{
    modes_.resize(0);
    toggle();
    EXPECT_FALSE(engine_.is_running());
    EXPECT_EQ(manager_.streams_created.load(), 0);
}

TEST_F(FireRun, IndexOutsideTheListUsesTheNearestMode)
{
    modes_.resize(0);
    modes_.append({320, 200, 8});
    modes_.append({640, 480, 8});
    const struct {
        std::int32_t stored;
        test::screen_mode shown;
    } cases[] = {{9, {640, 480, 8}}, {-3, {320, 200, 8}}, {INT_MAX, {640, 480, 8}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        settings_.display_mode_index.value = c.stored;
        start_running();
        EXPECT_TRUE(test::current_screen_mode() == c.shown);
        EXPECT_EQ(settings_.display_mode_index.value, c.stored);
        toggle();
        ASSERT_FALSE(engine_.is_running());
    }
}

TEST_F(FireRun, MissingManagerStrandsTheRunUntilEscapeOrToggle)
{
    test::test_registry empty;
    use_registry(&empty);
    for (const bool by_escape : {true, false}) {
        SCOPED_TRACE(by_escape ? "escape" : "toggle");
        toggle();
        ASSERT_TRUE(engine_.is_running());
        EXPECT_TRUE(::IsWindowVisible(inspect::window(engine_)));
        EXPECT_FALSE(inspect::has_render_thread(engine_));
        EXPECT_FALSE(inspect::has_direct_draw(engine_));
        EXPECT_TRUE(test::current_screen_mode() == desktop_);
        if (by_escape) {
            ::SendMessageW(inspect::window(engine_), WM_KEYDOWN, VK_ESCAPE, 0);
        } else {
            toggle();
        }
        EXPECT_FALSE(engine_.is_running());
        EXPECT_FALSE(test::run_window_class_registered(parts_.window_class));
    }
}

TEST_F(FireRun, WindowIsAScreenSizedPopupOfTheNamedClass)
{
    // Stranded before DirectDraw, so the window keeps the shape it was created with.
    test::test_registry empty;
    use_registry(&empty);
    const int screen_width = ::GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = ::GetSystemMetrics(SM_CYSCREEN);
    toggle();
    ASSERT_TRUE(engine_.is_running());
    HWND const window = inspect::window(engine_);

    wchar_t text[64] = {};
    ::GetClassNameW(window, text, 64);
    EXPECT_STREQ(text, run_class);
    ::GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, L"Pyrelle visualisation");
    // The system adds WS_CLIPSIBLINGS to every top-level window.
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE));
    EXPECT_EQ(style & ~static_cast<DWORD>(WS_CLIPSIBLINGS), static_cast<DWORD>(WS_POPUP | WS_VISIBLE));
    EXPECT_EQ(::GetWindowLongW(window, GWL_EXSTYLE), 0);
    EXPECT_EQ(::GetParent(window), nullptr);
    RECT shape{};
    ASSERT_TRUE(::GetWindowRect(window, &shape));
    EXPECT_EQ(shape.left, 0);
    EXPECT_EQ(shape.top, 0);
    EXPECT_EQ(shape.right, screen_width);
    EXPECT_EQ(shape.bottom, screen_height);

    WNDCLASSEXW found{};
    found.cbSize = sizeof(found);
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), run_class, &found));
    EXPECT_EQ(found.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC));
    EXPECT_EQ(found.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(found.hCursor, nullptr);
    EXPECT_EQ(found.hIcon, nullptr);
    EXPECT_EQ(found.cbClsExtra, 0);
    EXPECT_EQ(found.cbWndExtra, 0);
    EXPECT_EQ(found.lpszMenuName, nullptr);

    toggle();
}

TEST_F(FireRun, RunHidesTheCursorAndPacesFramesWithTheNamedTimer)
{
    start_running();
    HWND const window = inspect::window(engine_);

    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(
        ::SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 0);
    EXPECT_EQ(::GetCursor(), nullptr);

    kernel_handle timer(::OpenWaitableTimerW(SYNCHRONIZE, FALSE, timer_name));
    EXPECT_TRUE(timer) << "the frame timer is not under its name";
    timer.reset();

    toggle();
    EXPECT_FALSE(kernel_handle(::OpenWaitableTimerW(SYNCHRONIZE, FALSE, timer_name)))
        << "the frame timer outlived the run";
}

// ---- What users do around a run ------------------------------------------------------------

// A plain visible top-level window, standing for the player's main window or another program's.
HWND make_top_level_window(const wchar_t* title)
{
    return ::CreateWindowExW(0, L"STATIC", title, WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr, nullptr,
                             nullptr);
}

// Another program's window (on another thread, so the run's window loses the application's
// activation as well) comes to the foreground for a moment and closes. This thread keeps pumping
// meanwhile: the activation change sends its messages to the run's window.
void outside_window_comes_and_goes()
{
    std::atomic<bool> done{false};
    std::thread other([&done] {
        HWND const notification = make_top_level_window(L"notification");
        ::SetForegroundWindow(notification);
        test::pump_messages(400);
        ::DestroyWindow(notification);
        done = true;
    });
    test::pump_messages_until([&done] { return done.load(); }, 10000);
    other.join();
}

struct lost_activation_case {
    const char* name;
    std::function<void(HWND run_window, HWND player_window)> act;
};

TEST_F(FireRun, LosingActivationEndsTheRunAndThePlayerComesBackToTheDesktop)
{
    HWND const player = make_top_level_window(L"player");  // the player's own window, this thread
    ASSERT_NE(player, nullptr);
    const lost_activation_case cases[] = {
        {"deactivation message", [](HWND run, HWND) { ::SendMessageW(run, WM_ACTIVATE, WA_INACTIVE, 0); }},
        {"application deactivated", [](HWND run, HWND) { ::SendMessageW(run, WM_ACTIVATEAPP, FALSE, 0); }},
        {"player window activated", [](HWND, HWND player) { ::SetForegroundWindow(player); }},
        {"outside window in the foreground", [](HWND, HWND) { outside_window_comes_and_goes(); }},
    };
    for (const lost_activation_case& c : cases) {
        SCOPED_TRACE(c.name);
        start_running();
        HWND const window = inspect::window(engine_);
        ::SetForegroundWindow(window);
        pump_messages(200);
        ASSERT_TRUE(engine_.is_running()) << "the run ended before it lost the activation";
        ASSERT_EQ(::GetForegroundWindow(), window);

        c.act(window, player);
        EXPECT_TRUE(test::pump_messages_until([this] { return !engine_.is_running(); }, 5000));
        EXPECT_FALSE(::IsWindow(window));
        EXPECT_TRUE(test::current_screen_mode() == desktop_);
        EXPECT_FALSE(test::display_kept_on());

        // Back to the player: its window, the desktop, and a toggle that starts a fresh run.
        ::SetForegroundWindow(player);
        pump_messages(100);
        EXPECT_EQ(::FindWindowW(run_class, nullptr), nullptr);
        EXPECT_FALSE(engine_.is_running());
    }
    start_running();
    const int fills = stream_.fill_calls;
    pump_messages(300);
    EXPECT_GT(stream_.fill_calls.load(), fills) << "the next run does not draw";
    toggle();
    ::DestroyWindow(player);
}

// Whether the default processing saw a system command: DefWindowProcW asks the CBT hook before it
// carries one out.
std::vector<WPARAM> commands_carried_out;

LRESULT CALLBACK note_system_commands(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HCBT_SYSCOMMAND) {
        commands_carried_out.push_back(wparam & 0xFFF0);
        return 1;  // nothing is carried out in the test
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(FireRun, RunKeepsTheDisplayOnAndRefusesTheScreenSaver)
{
    start_running();
    EXPECT_TRUE(test::display_kept_on());

    HWND const window = inspect::window(engine_);
    HHOOK const hook = ::SetWindowsHookExW(WH_CBT, note_system_commands, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    commands_carried_out.clear();
    EXPECT_EQ(::SendMessageW(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(::SendMessageW(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);        // 2: power off
    EXPECT_EQ(::SendMessageW(window, WM_SYSCOMMAND, SC_MONITORPOWER | 0xF, 1), 0);  // low bits are the system's
    EXPECT_TRUE(commands_carried_out.empty()) << "the screen saver or power-off went on to the default processing";
    ::SendMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 0);  // other commands still do
    EXPECT_EQ(commands_carried_out, std::vector<WPARAM>{SC_KEYMENU});
    ::UnhookWindowsHookEx(hook);
    EXPECT_TRUE(engine_.is_running());

    ::SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(test::display_kept_on());
}

// The frame rate one timer gives: expiries counted over the next `ms` milliseconds.
int count_expiries(HANDLE timer, DWORD ms)
{
    ::WaitForSingleObject(timer, 0);  // an expiry that nobody waited for is still pending
    int expiries = 0;
    const double end = bench::seconds_now() + ms / 1000.0;
    for (double left = ms / 1000.0; left > 0; left = end - bench::seconds_now()) {
        if (::WaitForSingleObject(timer, static_cast<DWORD>(left * 1000) + 1) == WAIT_OBJECT_0) {
            ++expiries;
        }
    }
    return expiries;
}

// What another player's run does with the frame timer, at 1 frame per second.
kernel_handle other_players_timer()
{
    kernel_handle timer = open_frame_timer();
    LARGE_INTEGER due;
    due.QuadPart = -10000000;  // 1 s
    ::SetWaitableTimer(timer.get(), &due, 1000, nullptr, nullptr, FALSE);
    return timer;
}

TEST_F(FireRun, RunBesideAnotherPlayersTimerKeepsItsOwnPace)
{
    // The other player's run came first and holds the timer's name.
    kernel_handle other = other_players_timer();
    ASSERT_TRUE(other);
    ASSERT_TRUE(kernel_handle(::OpenWaitableTimerW(SYNCHRONIZE, FALSE, timer_name)));
    start_running();
    pump_messages(200);
    EXPECT_NEAR(fill_rate(1500), 1000.0 / 41, 3.0);
    const int other_expiries = count_expiries(other.get(), 2500);
    EXPECT_GE(other_expiries, 2);
    EXPECT_LE(other_expiries, 3) << "the other player's timer took this run's period";
    other.reset();  // the other run ends
    EXPECT_NEAR(fill_rate(1500), 1000.0 / 41, 3.0);
}

TEST_F(FireRun, SecondPlayerProcessDoesNotChangeThisRunsPace)
{
    constexpr wchar_t ready_name[] = L"pyrelle-test-second-player-ready";
    if (test::in_child_process()) {
        // The second player: its run starts while the first is going, at 1 frame per second.
        kernel_handle timer = other_players_timer();
        ASSERT_TRUE(timer);
        ::SetEvent(kernel_handle(::OpenEventW(EVENT_MODIFY_STATE, FALSE, ready_name)).get());
        const int expiries = count_expiries(timer.get(), 3500);
        EXPECT_GE(expiries, 3);
        EXPECT_LE(expiries, 4) << "this player's timer took the other run's period";
        return;
    }
    start_running();  // holds the timer's name
    pump_messages(200);
    const kernel_handle ready(::CreateEventW(nullptr, TRUE, FALSE, ready_name));
    test::child_process second(L"FireRun.SecondPlayerProcessDoesNotChangeThisRunsPace");
    ASSERT_TRUE(
        test::pump_messages_until([&ready] { return ::WaitForSingleObject(ready.get(), 0) == WAIT_OBJECT_0; }, 20000))
        << "the second player did not start";
    EXPECT_NEAR(fill_rate(1500), 1000.0 / 41, 3.0) << "during the other run";
    const test::child_result child = second.wait(30000);
    EXPECT_FALSE(child.timed_out);
    EXPECT_EQ(child.exit_code, 0u) << "the second player's timer was not its own";
    EXPECT_NEAR(fill_rate(1500), 1000.0 / 41, 3.0) << "after the other run";
}

TEST_F(FireRun, DisplayModeChangedByAnotherProgramEndsTheRun)
{
    start_running();
    pump_messages(200);
    DEVMODEW other{};
    other.dmSize = sizeof(other);
    other.dmPelsWidth = 800;
    other.dmPelsHeight = 600;
    other.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    ASSERT_EQ(::ChangeDisplaySettingsExW(nullptr, &other, nullptr, CDS_FULLSCREEN, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_TRUE(test::pump_messages_until([this] { return !engine_.is_running(); }, 5000))
        << "the run went on in a display mode that is not its own";
}

TEST_F(FireRun, SecondOpenWhileRunningIsRefused)
{
    start_running();
    HWND const window = inspect::window(engine_);
    const fire_settings other{320, 200, 8, 0, 0, 0, 0, 0, 0, 24};
    EXPECT_EQ(engine_.open(other), nullptr);
    EXPECT_EQ(inspect::window(engine_), window);
    EXPECT_EQ(inspect::width(engine_), 640);
    EXPECT_EQ(parts_.window_class.use_count(), 1);
}

TEST(FireEngine, IdleEngineTearsDownAndClosesHarmlessly)
{
    test::run_parts parts;
    fire_engine engine{parts.window_class, parts.host_services};
    EXPECT_FALSE(engine.is_running());
    EXPECT_TRUE(engine.tear_down());
    EXPECT_TRUE(engine.tear_down());
    engine.close_window();
    EXPECT_FALSE(engine.is_running());
    EXPECT_FALSE(engine.paused());
    engine.set_paused(true);
    EXPECT_TRUE(engine.paused());
}

TEST(DisplayModeDrawable, NeedsOneBytePerPixelAndHeightFour)
{
    const struct {
        std::int32_t width, height;
        std::uint32_t bits;
        bool drawable;
    } cases[] = {{640, 480, 8, true},   {1, 4, 8, true},       {640, 3, 8, false},    {0, 480, 8, false},
                 {-640, 480, 8, false}, {640, -480, 8, false}, {640, 480, 16, false}, {640, 480, 4, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(display_mode_drawable(c.width, c.height, c.bits), c.drawable)
            << c.width << "x" << c.height << "x" << c.bits;
    }
}

}  // namespace
}  // namespace pyrelle
