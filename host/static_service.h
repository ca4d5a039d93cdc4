#pragma once
// The module's own service objects and the registry entries that carry them.
//
// Every module service is a static object that lives as long as the module: add_ref and release
// do nothing and return 1, and query answers only for the service's own class, putting the object
// itself into the reference. A static_service_entry embeds its service right after the entry's
// own fields (operation table, next, class pointer), which is where the host looks for it, and
// registers itself by pushing at the head of a list when it is constructed.
//
// A concrete service names its class as `static constexpr guid class_id`; being a class member it
// is one object for the whole module, so the entry can hand the host its address.
#include <cstdint>
#include <utility>

#include "host/host_interfaces.h"

namespace pyrelle {

template <typename Interface, typename Self>
class static_service : public Interface {
public:
    std::uint32_t release() final { return 1; }
    std::uint32_t add_ref() final { return 1; }

    bool query(service_ref& out, const guid& service_class) final
    {
        if (service_class != Self::class_id) {
            return false;
        }
        out.assign(static_cast<Self*>(this));
        return true;
    }
};

template <typename Service>
class static_service_entry final : public service_entry {
public:
    // `parts` are what the service is made with: the module hands each service what it works on.
    template <typename... Parts>
    explicit static_service_entry(service_entry*& list_head, Parts&&... parts) noexcept
        : service_(std::forward<Parts>(parts)...)
    {
        service_class = &Service::class_id;
        next = list_head;
        list_head = this;
    }
    static_service_entry(const static_service_entry&) = delete;
    static_service_entry& operator=(const static_service_entry&) = delete;

    void instantiate(service_ref& out) override { out.assign(&service_); }

    Service& service() noexcept { return service_; }

private:
    Service service_;
};

}  // namespace pyrelle
