#pragma once
// Reaching the host's own services. The module asks only for services of which the host keeps
// exactly one instance, and holds the reference only as long as it needs the service.
#include <exception>

#include "host/host_interfaces.h"

namespace pyrelle {

// The lookup failures. Each reports a fixed static text, so throwing one cannot itself fail.
class exception_service_not_found : public std::exception {
public:
    const char* what() const noexcept override;  // "Service not found"
};

class exception_service_duplicated : public std::exception {
public:
    const char* what() const noexcept override;  // "Service duplicated"
};

class exception_bug_check : public std::exception {
public:
    const char* what() const noexcept override;  // "Bug check"
};

// Puts the single instance of `service_class` from `registry` into `out` (adopting the reference
// the registry hands out). Throws exception_service_not_found when there is none,
// exception_service_duplicated when there are several (without creating any), and
// exception_bug_check when creating it fails; `out` is unchanged on every failure.
void find_unique_service(host_service_registry& registry, const guid& service_class, service_ref& out);

// The same through the registry that the host gave the module; exception_service_not_found while
// the host has given none.
void find_unique_service(const guid& service_class, service_ref& out);

// What the module hands its parts for reaching the host: the lookup above.
class module_service_finder final : public service_finder {
public:
    void find(const guid& service_class, service_ref& out) const override { find_unique_service(service_class, out); }
};

}  // namespace pyrelle
