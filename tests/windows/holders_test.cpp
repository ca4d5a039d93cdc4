// The Win32 owners: each closes exactly what it holds, exactly once.
#include <gtest/gtest.h>

#include <windows.h>

#include <exception>
#include <thread>
#include <vector>

#include "support/critical_section.h"
#include "support/member_window_procedure.h"
#include "support/win32_handles.h"

namespace pyrelle {
namespace {

std::vector<int> closed;

struct counted_traits {
    using handle_type = int;
    static int invalid() noexcept { return -1; }
    static void close(int handle) noexcept { closed.push_back(handle); }
};
using counted_handle = unique_handle<counted_traits>;

TEST(UniqueHandle, ClosesWhatItHoldsOnce)
{
    closed.clear();
    {
        counted_handle empty;
        EXPECT_FALSE(empty);
        counted_handle held(3);
        held.reset(4);  // closes 3
        EXPECT_EQ(held.get(), 4);
        counted_handle moved(std::move(held));
        EXPECT_FALSE(held);
        counted_handle target(5);
        target = std::move(moved);  // closes 5
        EXPECT_EQ(target.get(), 4);
    }  // closes 4
    EXPECT_EQ(closed, (std::vector<int>{3, 5, 4}));
}

TEST(UniqueHandle, ReleaseHandsOverAndPutClosesFirst)
{
    closed.clear();
    counted_handle held(7);
    EXPECT_EQ(held.release(), 7);
    EXPECT_FALSE(held);
    held.reset(8);
    int* slot = held.put();
    EXPECT_EQ(closed, (std::vector<int>{8}));
    EXPECT_EQ(*slot, -1);
    *slot = 9;
    EXPECT_EQ(held.get(), 9);
    held.reset();
    EXPECT_EQ(closed, (std::vector<int>{8, 9}));
}

TEST(UniqueHandle, KernelHandleReallyCloses)
{
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    HANDLE duplicate = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), raw, ::GetCurrentProcess(), &duplicate, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    kernel_handle event(raw);
    event.reset();
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));
    ::CloseHandle(duplicate);
}

struct counted_object {
    int references = 1;
    unsigned long Release() { return static_cast<unsigned long>(--references); }
};

TEST(ComPtr, ReleasesItsOneReference)
{
    counted_object a, b;
    {
        com_ptr<counted_object> held(&a);
        held.reset(&b);
        EXPECT_EQ(a.references, 0);
        com_ptr<counted_object> moved(std::move(held));
        EXPECT_EQ(held.get(), nullptr);
        EXPECT_EQ(b.references, 1);
    }
    EXPECT_EQ(b.references, 0);

    counted_object c;
    com_ptr<counted_object> handed(&c);
    EXPECT_EQ(handed.release(), &c);
    EXPECT_EQ(c.references, 1);

    counted_object d;
    com_ptr<counted_object> filled(&d);
    counted_object** slot = filled.put();
    EXPECT_EQ(d.references, 0);
    EXPECT_EQ(*slot, nullptr);
}

DWORD WINAPI try_from_other_thread(void* section)
{
    return static_cast<bool>(static_cast<critical_section*>(section)->try_lock()) ? 1 : 0;
}

DWORD try_elsewhere(critical_section& section)
{
    HANDLE thread = ::CreateThread(nullptr, 0, try_from_other_thread, &section, 0, nullptr);
    ::WaitForSingleObject(thread, INFINITE);
    DWORD result = 2;
    ::GetExitCodeThread(thread, &result);
    ::CloseHandle(thread);
    return result;
}

TEST(CriticalSection, TryLockFailsWhileAnotherThreadHoldsIt)
{
    critical_section section;
    {
        const auto held = section.lock();
        EXPECT_EQ(try_elsewhere(section), 0u);
    }
    EXPECT_EQ(try_elsewhere(section), 1u) << "the guard left the section";
    {
        const auto held = section.try_lock();
        ASSERT_TRUE(held);
        EXPECT_EQ(try_elsewhere(section), 0u);
    }
    EXPECT_EQ(try_elsewhere(section), 1u);
}

// A window whose WM_DESTROY records whether its owner still named it, as the run's tear-down
// needs the window while it is destroyed.
struct watched_window {
    window_handle* owner = nullptr;
    bool named_during_destroy = false;
    bool destroyed = false;

    LRESULT handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message == WM_DESTROY) {
            named_during_destroy = owner->get() == window;
            destroyed = true;
        }
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
    void attached(HWND) noexcept {}
    void detached() noexcept { owner->forget(); }
    void failed(const std::exception&) noexcept {}
};

TEST(WindowHandle, ResetDestroysAndClearsAfterTheLastMessages)
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = member_window_procedure<watched_window>;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"pyrelle holders test";
    ASSERT_NE(::RegisterClassExW(&window_class), 0);

    for (const bool by_owner : {true, false}) {
        SCOPED_TRACE(by_owner ? "reset" : "DestroyWindow behind the owner's back");
        window_handle held;
        watched_window watched;
        watched.owner = &held;
        held.adopt(::CreateWindowExW(0, window_class.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     window_class.hInstance, &watched));
        ASSERT_TRUE(held);
        HWND const window = held.get();
        if (by_owner) {
            held.reset();
        } else {
            ::DestroyWindow(window);
        }
        EXPECT_TRUE(watched.destroyed);
        EXPECT_TRUE(watched.named_during_destroy);
        EXPECT_FALSE(held) << "WM_NCDESTROY lets go of the handle";
        EXPECT_FALSE(::IsWindow(window));
    }
    ::UnregisterClassW(window_class.lpszClassName, window_class.hInstance);
}

TEST(ComApartment, UndoesOnlyAStartThatSucceededAndOnlyOnce)
{
    // COM is per thread: a thread of its own starts with none.
    std::thread([] {
        com_apartment joined(COINIT_MULTITHREADED);
        EXPECT_TRUE(joined.started());
        com_apartment refused(COINIT_APARTMENTTHREADED);  // another model on the same thread
        EXPECT_EQ(refused.result(), RPC_E_CHANGED_MODE);
        EXPECT_FALSE(refused.started());
        refused.reset();
        joined.reset();
        joined.reset();
        EXPECT_FALSE(joined.started());
        // Left for good: the thread may join the other apartment now.
        com_apartment other(COINIT_APARTMENTTHREADED);
        EXPECT_TRUE(other.started());
    }).join();
}

}  // namespace
}  // namespace pyrelle
