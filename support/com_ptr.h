#pragma once
// Move-only owner of one reference to a COM-style interface (the DirectDraw objects): Release is
// called exactly once for the reference it holds.
//
// reset() releases and leaves the owner empty; release() hands the pointer and its reference
// over; put() releases first and then gives the address for a call that fills it (put_void() for
// the calls that take a void**).
#include <utility>

namespace pyrelle {

template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    explicit com_ptr(T* adopted) noexcept : object_(adopted) {}
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    com_ptr(com_ptr&& other) noexcept : object_(other.release()) {}
    com_ptr& operator=(com_ptr&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~com_ptr() { reset(); }

    // Releases what is held and adopts `object`, whose reference it takes over.
    void reset(T* object = nullptr) noexcept
    {
        T* const old = std::exchange(object_, object);
        if (old != nullptr) {
            old->Release();
        }
    }

    [[nodiscard]] T* release() noexcept { return std::exchange(object_, nullptr); }

    T** put() noexcept
    {
        reset();
        return &object_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

}  // namespace pyrelle
