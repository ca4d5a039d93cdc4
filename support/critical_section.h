#pragma once
// A Win32 critical section as an object that cannot be copied or moved (the system keeps
// pointers into it). enter()/leave() are the plain calls; lock() blocks and returns a guard that
// leaves on destruction; try_lock() never blocks and returns a guard that is either empty (the
// section was taken by another thread) or holds it.
#include <windows.h>

#include <utility>

namespace pyrelle {

class critical_section {
public:
    critical_section() noexcept { ::InitializeCriticalSection(&section_); }
    critical_section(const critical_section&) = delete;
    critical_section& operator=(const critical_section&) = delete;
    ~critical_section() { ::DeleteCriticalSection(&section_); }

    void enter() noexcept { ::EnterCriticalSection(&section_); }
    void leave() noexcept { ::LeaveCriticalSection(&section_); }
    [[nodiscard]] bool try_enter() noexcept { return ::TryEnterCriticalSection(&section_) != FALSE; }

    class guard {
    public:
        guard(const guard&) = delete;
        guard& operator=(const guard&) = delete;
        guard(guard&& other) noexcept : section_(std::exchange(other.section_, nullptr)) {}
        guard& operator=(guard&&) = delete;
        ~guard()
        {
            if (section_ != nullptr) {
                section_->leave();
            }
        }

        // True while the guard holds the section.
        explicit operator bool() const noexcept { return section_ != nullptr; }

    private:
        friend class critical_section;
        explicit guard(critical_section* held) noexcept : section_(held) {}
        critical_section* section_;
    };

    [[nodiscard]] guard lock() noexcept
    {
        enter();
        return guard(this);
    }

    [[nodiscard]] guard try_lock() noexcept { return guard(try_enter() ? this : nullptr); }

private:
    CRITICAL_SECTION section_;
};

}  // namespace pyrelle
