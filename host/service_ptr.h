#pragma once
// A counted reference: holds one pointer to a service object, null or carrying one reference.
//
// assign() adds a reference to the new object and then releases the old one; adopt() takes over a
// pointer that already carries a reference (what the host's create_instance hands out); reset()
// and destruction release. release() hands the pointer and its reference over without releasing.
// put() empties the holder and gives its address for an operation that fills it.
//
// The layout is exactly one pointer, so a holder can be filled through a reference across the
// module boundary. A reference that is passed *by value* across the boundary travels as a plain
// pointer instead (see host_interfaces.h): compilers need not agree on how to pass a C++ object
// with a destructor by value.
#include <utility>

namespace pyrelle {

template <typename T>
class service_ptr {
public:
    service_ptr() noexcept = default;
    service_ptr(const service_ptr&) = delete;
    service_ptr& operator=(const service_ptr&) = delete;
    service_ptr(service_ptr&& other) noexcept : object_(other.release()) {}
    service_ptr& operator=(service_ptr&& other) noexcept
    {
        adopt(other.release());
        return *this;
    }
    ~service_ptr() { reset(); }

    void assign(T* object) noexcept
    {
        if (object != nullptr) {
            object->add_ref();
        }
        T* const old = std::exchange(object_, object);
        if (old != nullptr) {
            old->release();
        }
    }

    void adopt(T* object) noexcept
    {
        T* const old = std::exchange(object_, object);
        if (old != nullptr) {
            old->release();
        }
    }

    void reset() noexcept { adopt(nullptr); }

    [[nodiscard]] T* release() noexcept { return std::exchange(object_, nullptr); }

    service_ptr* put() noexcept
    {
        reset();
        return this;
    }

    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

}  // namespace pyrelle
