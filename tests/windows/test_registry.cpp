#include "tests/windows/test_registry.h"

#include "host/service_lookup.h"

namespace pyrelle::test {

std::uint32_t counting_service::release()
{
    ++releases_;
    --references_;
    return static_cast<std::uint32_t>(references_);
}

std::uint32_t counting_service::add_ref()
{
    ++add_refs_;
    ++references_;
    return static_cast<std::uint32_t>(references_);
}

bool counting_service::query(service_ref& out, const guid& service_class)
{
    if (service_class != service_class_) {
        return false;
    }
    out.assign(this);
    return true;
}

void test_registry::add(const guid& service_class, service_base* object, std::uint32_t instances)
{
    registrations_.push_back({service_class, object, instances});
}

const test_registry::registration* test_registry::find(std::uint32_t class_handle) const noexcept
{
    if (class_handle == 0 || class_handle > registrations_.size()) {
        return nullptr;
    }
    return &registrations_[class_handle - 1];
}

std::uint32_t test_registry::class_of(const guid* service_class)
{
    for (std::size_t i = 0; i < registrations_.size(); ++i) {
        if (registrations_[i].service_class == *service_class) {
            return static_cast<std::uint32_t>(i + 1);
        }
    }
    return 0;
}

bool test_registry::create_instance(service_ref& out, std::uint32_t class_handle, std::uint32_t index)
{
    ++create_calls_;
    const registration* const found = find(class_handle);
    if (found == nullptr || index >= found->instances) {
        return false;
    }
    if (creation_fails_) {
        if (fill_on_failure_) {
            out.assign(found->object);
        }
        return false;
    }
    out.assign(found->object);
    return true;
}

std::uint32_t test_registry::instance_count(std::uint32_t class_handle)
{
    const registration* const found = find(class_handle);
    return found != nullptr ? found->instances : 0;
}

void registry_finder::find(const guid& service_class, service_ref& out) const
{
    if (registry_ == nullptr) {
        throw exception_service_not_found();
    }
    find_unique_service(*registry_, service_class, out);
}

}  // namespace pyrelle::test
