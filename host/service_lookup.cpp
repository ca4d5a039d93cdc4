#include "host/service_lookup.h"

#include <cstdint>

#include "host/module_state.h"

namespace pyrelle {

const char* exception_service_not_found::what() const noexcept { return "Service not found"; }
const char* exception_service_duplicated::what() const noexcept { return "Service duplicated"; }
const char* exception_bug_check::what() const noexcept { return "Bug check"; }

void find_unique_service(host_service_registry& registry, const guid& service_class, service_ref& out)
{
    const std::uint32_t class_handle = registry.class_of(&service_class);
    const std::uint32_t instances = registry.instance_count(class_handle);
    if (instances == 0) {
        throw exception_service_not_found();
    }
    if (instances != 1) {
        throw exception_service_duplicated();
    }
    // A registry that reports failure may still have put something into the reference; the
    // temporary releases it on the way out.
    service_ref created;
    if (!registry.create_instance(created, class_handle, 0)) {
        throw exception_bug_check();
    }
    out.adopt(created.release());
}

void find_unique_service(const guid& service_class, service_ref& out)
{
    // Before the host has introduced itself there is no registry to ask, hence nothing to find.
    host_service_registry* const registry = module::host_registry();
    if (registry == nullptr) {
        throw exception_service_not_found();
    }
    find_unique_service(*registry, service_class, out);
}

}  // namespace pyrelle
