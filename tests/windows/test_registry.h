#pragma once
// A host for the module's tests: a service registry that hands out registered objects, and a
// service object that counts the references taken and given back.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/host_interfaces.h"

namespace pyrelle::test {

// A host service whose references are counted, so a test can see that every reference the module
// took or was given has been released. It also serves as the host information service (its
// version text) for the lookups that need one.
class counting_service final : public host_information {
public:
    explicit counting_service(const guid& service_class = guid{}, std::string version = "") noexcept
        : service_class_(service_class), version_(std::move(version))
    {
    }

    std::uint32_t release() override;
    std::uint32_t add_ref() override;
    bool query(service_ref& out, const guid& service_class) override;
    const char* version_text() override { return version_.c_str(); }

    // References held beyond the test's own: add_ref calls minus release calls.
    std::int32_t references() const noexcept { return references_; }
    std::uint32_t add_refs() const noexcept { return add_refs_; }
    std::uint32_t releases() const noexcept { return releases_; }

private:
    guid service_class_;
    std::string version_;
    std::int32_t references_ = 0;
    std::uint32_t add_refs_ = 0;
    std::uint32_t releases_ = 0;
};

// Class handles are 1 + the registration index; 0 names a class that nothing registered.
class test_registry final : public host_service_registry {
public:
    // `instances` instances of `service_class`, every one of them `object`.
    void add(const guid& service_class, service_base* object, std::uint32_t instances = 1);

    // Makes create_instance answer false; with `fill_anyway` it still puts the object into the
    // reference first, as a careless host might.
    void fail_creation(bool fill_anyway) noexcept
    {
        creation_fails_ = true;
        fill_on_failure_ = fill_anyway;
    }

    std::uint32_t class_of(const guid* service_class) override;
    bool create_instance(service_ref& out, std::uint32_t class_handle, std::uint32_t index) override;
    std::uint32_t instance_count(std::uint32_t class_handle) override;

    std::uint32_t create_calls() const noexcept { return create_calls_; }

private:
    struct registration {
        guid service_class;
        service_base* object;
        std::uint32_t instances;
    };
    const registration* find(std::uint32_t class_handle) const noexcept;

    std::vector<registration> registrations_;
    bool creation_fails_ = false;
    bool fill_on_failure_ = false;
    std::uint32_t create_calls_ = 0;
};

// What the tests hand the parts that look up host services: the module's unique lookup through a
// registry of the test's choosing; with none, every lookup finds nothing.
class registry_finder final : public service_finder {
public:
    explicit registry_finder(host_service_registry* registry = nullptr) noexcept : registry_(registry) {}
    void use(host_service_registry* registry) noexcept { registry_ = registry; }

    void find(const guid& service_class, service_ref& out) const override;

private:
    host_service_registry* registry_;
};

}  // namespace pyrelle::test
