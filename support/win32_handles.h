#pragma once
// Move-only owners of Win32 handles and of references to COM-style interfaces. Each kind is
// described by a traits type that names its "no handle" value and the call that closes it; the
// owner closes exactly once.
//
// reset() closes the held handle and leaves the owner empty; release() hands the handle over
// without closing it; put() closes the held handle first and then gives the address for a call
// that fills it (put_void() for the calls that take a void**).
#include <windows.h>

#include <mmsystem.h>
#include <objbase.h>

#include <utility>

namespace pyrelle {

template <typename Traits>
class unique_handle {
public:
    using handle_type = typename Traits::handle_type;

    unique_handle() noexcept = default;
    explicit unique_handle(handle_type handle) noexcept : handle_(handle) {}
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : handle_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~unique_handle() { reset(); }

    // Closes what is held and takes `handle` (the "no handle" value by default).
    void reset(handle_type handle = Traits::invalid()) noexcept
    {
        const handle_type old = std::exchange(handle_, handle);
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }

    [[nodiscard]] handle_type release() noexcept { return std::exchange(handle_, Traits::invalid()); }

    handle_type* put() noexcept
    {
        reset();
        return &handle_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    handle_type get() const noexcept { return handle_; }
    // For interface pointers only; never instantiated for plain handles.
    handle_type operator->() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

private:
    handle_type handle_ = Traits::invalid();
};

// Threads, events, timers, mutexes: null means none.
struct kernel_handle_traits {
    using handle_type = HANDLE;
    static handle_type invalid() noexcept { return nullptr; }
    static void close(handle_type handle) noexcept { ::CloseHandle(handle); }
};
using kernel_handle = unique_handle<kernel_handle_traits>;

// CreateFile and friends report failure as INVALID_HANDLE_VALUE rather than null.
struct file_handle_traits {
    using handle_type = HANDLE;
    static handle_type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(handle_type handle) noexcept { ::CloseHandle(handle); }
};
using file_handle = unique_handle<file_handle_traits>;

// A window, destroyed by reset(). Not a unique_handle: DestroyWindow sends the window's last
// messages, whose handlers still need the handle, so it is cleared only after the call. A window
// can also be destroyed without its owner (its own WM_CLOSE); the owner then calls forget() at
// WM_NCDESTROY, the last message the window receives.
class window_handle {
public:
    window_handle() noexcept = default;
    window_handle(const window_handle&) = delete;
    window_handle& operator=(const window_handle&) = delete;
    window_handle(window_handle&& other) noexcept : window_(std::exchange(other.window_, nullptr)) {}
    window_handle& operator=(window_handle&& other) noexcept
    {
        if (this != &other) {
            adopt(std::exchange(other.window_, nullptr));
        }
        return *this;
    }
    ~window_handle() { reset(); }

    // Takes a window that was just made; a window already held is destroyed first.
    void adopt(HWND window) noexcept
    {
        reset();
        window_ = window;
    }
    void reset() noexcept
    {
        if (window_ != nullptr) {
            ::DestroyWindow(window_);
            window_ = nullptr;
        }
    }
    void forget() noexcept { window_ = nullptr; }

    HWND get() const noexcept { return window_; }
    explicit operator bool() const noexcept { return window_ != nullptr; }

private:
    HWND window_ = nullptr;
};

// A library loaded with LoadLibrary, freed with FreeLibrary.
struct library_traits {
    using handle_type = HMODULE;
    static handle_type invalid() noexcept { return nullptr; }
    static void close(handle_type library) noexcept { ::FreeLibrary(library); }
};
using library_handle = unique_handle<library_traits>;

// An open wave output device. Closing resets it first, which hands back every queued buffer, so
// that the close cannot fail for buffers still playing; whoever prepared headers unprepares them
// between a reset of its own and the close.
struct wave_out_traits {
    using handle_type = HWAVEOUT;
    static handle_type invalid() noexcept { return nullptr; }
    static void close(handle_type device) noexcept
    {
        ::waveOutReset(device);
        ::waveOutClose(device);
    }
};
using wave_out_handle = unique_handle<wave_out_traits>;

// Start-ups that a thread or the process undoes once: COM for the calling thread, and Media
// Foundation for the process. `Traits` names the call that starts (returning an HRESULT) and the
// one that undoes it; the owner undoes only a start that succeeded, on reset() or destruction.
// COM is per thread: the owner must be reset on the thread that made it.
template <typename Traits>
class unique_startup {
public:
    unique_startup() noexcept = default;
    explicit unique_startup(DWORD flags) noexcept : result_(Traits::start(flags)), started_(SUCCEEDED(result_)) {}
    unique_startup(const unique_startup&) = delete;
    unique_startup& operator=(const unique_startup&) = delete;
    unique_startup(unique_startup&& other) noexcept
        : result_(other.result_), started_(std::exchange(other.started_, false))
    {
    }
    unique_startup& operator=(unique_startup&& other) noexcept
    {
        if (this != &other) {
            reset();
            result_ = other.result_;
            started_ = std::exchange(other.started_, false);
        }
        return *this;
    }
    ~unique_startup() { reset(); }

    void reset() noexcept
    {
        if (std::exchange(started_, false)) {
            Traits::stop();
        }
    }
    bool started() const noexcept { return started_; }
    // What the start-up call answered (S_OK before any).
    HRESULT result() const noexcept { return result_; }

private:
    HRESULT result_ = S_OK;
    bool started_ = false;
};

// COM for this thread; the flags are CoInitializeEx's (the apartment model).
struct com_startup_traits {
    static HRESULT start(DWORD flags) noexcept { return ::CoInitializeEx(nullptr, flags); }
    static void stop() noexcept { ::CoUninitialize(); }
};
using com_apartment = unique_startup<com_startup_traits>;

// One reference to a COM-style interface (the DirectDraw objects), given back with Release.
template <typename Interface>
struct com_traits {
    using handle_type = Interface*;
    static handle_type invalid() noexcept { return nullptr; }
    static void close(handle_type object) noexcept { object->Release(); }
};
template <typename Interface>
using com_ptr = unique_handle<com_traits<Interface>>;

}  // namespace pyrelle
