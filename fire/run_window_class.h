#pragma once
// The run window's class, shared by every fire_engine of the module, whose windows it sends to
// fire_engine::handle through member_window_procedure: registered when a window
// needs it and no registration is left, counted once per window made with it, and unregistered
// when the last of those windows has been accounted as destroyed.
//
// The rules of the count live here alone:
//  - a window takes a use before it is created (acquire) and holds it in a class_use;
//  - the use is given back (class_use::reset) once the window is gone, however it went;
//  - when the count falls to 0 the class is unregistered; if that fails the atom is kept, so the
//    next run reuses the class that is still there;
//  - a count above 0 with no atom (a registration that failed while windows were still counted)
//    refuses new windows.
#include <windows.h>

#include <cstdint>
#include <utility>

#include "support/utf8_string.h"

namespace pyrelle {

class run_window_class {
    // Only the class makes uses; a use made any other way would give back a count never taken.
    struct use_key {
        explicit use_key() = default;
    };

public:
    // One window's use of the class; move-only. reset() gives the use back, once.
    class use {
    public:
        use() noexcept = default;
        use(run_window_class& owner, use_key) noexcept : owner_(&owner) {}
        use(use&& other) noexcept : owner_(std::exchange(other.owner_, nullptr)) {}
        use& operator=(use&& other) noexcept
        {
            if (this != &other) {
                reset();
                owner_ = std::exchange(other.owner_, nullptr);
            }
            return *this;
        }
        use(const use&) = delete;
        use& operator=(const use&) = delete;
        ~use() { reset(); }

        void reset() noexcept
        {
            if (owner_ != nullptr) {
                std::exchange(owner_, nullptr)->release();
            }
        }
        explicit operator bool() const noexcept { return owner_ != nullptr; }

    private:
        run_window_class* owner_ = nullptr;
    };

    // `name` and `instance` are the module's: the instance handle arrives from the host after the
    // class object is made, so it is read where the module keeps it, at each registration.
    constexpr run_window_class(const utf8_string& name, const HINSTANCE& instance) noexcept
        : name_(name), instance_(instance)
    {
    }
    run_window_class(const run_window_class&) = delete;
    run_window_class& operator=(const run_window_class&) = delete;

    // Registers the class when the count is 0 and no atom is kept, and counts one more window.
    // An empty use when the class could not be registered (nothing changes then).
    use acquire();

    const utf8_string& name() const noexcept { return name_; }
    HINSTANCE instance() const noexcept { return instance_; }
    // Windows made with the class and not yet accounted as destroyed.
    std::int32_t use_count() const noexcept { return use_count_; }
    // 0 while the class is not registered.
    ATOM atom() const noexcept { return atom_; }

private:
    void release() noexcept;

    const utf8_string& name_;
    const HINSTANCE& instance_;
    ATOM atom_ = 0;
    std::int32_t use_count_ = 0;
};

using class_use = run_window_class::use;

}  // namespace pyrelle
