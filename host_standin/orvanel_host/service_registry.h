#pragma once
// The host's service registry: every service by class, the host's own and the module's. A class
// handle is 1 + the class's position in the registry; 0 names a class nobody offers, which has
// no instances.
#include <cstdint>
#include <functional>
#include <vector>

#include "host/host_interfaces.h"

namespace pyrelle::standin {

class service_registry final : public host_service_registry {
public:
    // Fills `out` with a new reference to the instance; false when it cannot.
    using instance_maker = std::function<bool(service_ref& out)>;

    // Adds one instance of `service_class` (the GUID is copied).
    void add(const guid& service_class, instance_maker make);
    // A host object with a reference count: each instance hands out one more reference.
    void add_object(const guid& service_class, service_base& object);

    // Forgets every instance of the class (a module that unloads takes its services along).
    void remove(const guid& service_class) noexcept;

    std::uint32_t class_of(const guid* service_class) override;
    bool create_instance(service_ref& out, std::uint32_t class_handle, std::uint32_t index) override;
    std::uint32_t instance_count(std::uint32_t class_handle) override;

private:
    struct service_class_entry {
        guid id;
        std::vector<instance_maker> instances;
    };
    std::vector<service_class_entry> classes_;
};

}  // namespace pyrelle::standin
