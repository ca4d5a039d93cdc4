#pragma once
// Reference counting of the host's own service objects.
//
// resident_service: an object that lives as long as the host (the host information service, the
// visualisation manager). It only counts the references that others hold, so that the host can
// tell at exit whether the module gave back every one it took.
//
// transient_service: an object made for one hand-over (a visualisation stream, a track, a command
// callback). It starts with the one reference of its creator and deletes itself when the last one
// is released. The live count of all such objects must return to zero once the module has
// released what it was given.
//
// Both add a virtual destructor or nothing after the interface's own slots, so the operation
// table that the module sees is exactly the interface's.
#include <atomic>
#include <cstdint>

#include "host/host_interfaces.h"

namespace pyrelle::standin {

// Transient host objects alive now.
std::int32_t live_transient_objects() noexcept;

namespace detail {
void count_transient(std::int32_t change) noexcept;
}

template <typename Interface>
class resident_service : public Interface {
public:
    std::uint32_t add_ref() final { return ++references_; }
    std::uint32_t release() final { return --references_; }

    bool query(service_ref& out, const guid& service_class) final
    {
        if (service_class != own_class()) {
            return false;
        }
        out.assign(this);
        return true;
    }

    // References that others hold now.
    std::uint32_t references() const noexcept { return references_.load(); }

protected:
    virtual const guid& own_class() const noexcept = 0;
    ~resident_service() = default;

private:
    std::atomic<std::uint32_t> references_{0};
};

template <typename Interface>
class transient_service : public Interface {
public:
    transient_service() noexcept { detail::count_transient(1); }
    transient_service(const transient_service&) = delete;
    transient_service& operator=(const transient_service&) = delete;

    std::uint32_t add_ref() final { return ++references_; }
    std::uint32_t release() final
    {
        const std::uint32_t left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    // These objects have no service class of their own.
    bool query(service_ref&, const guid&) override { return false; }

protected:
    virtual ~transient_service() { detail::count_transient(-1); }

private:
    std::atomic<std::uint32_t> references_{1};
};

// What a track reference and a menu command's callback are to the module: objects it only
// releases.
class plain_object final : public transient_service<service_base> {};

}  // namespace pyrelle::standin
