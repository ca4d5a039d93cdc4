#include "host_standin/orvanel_host/service_registry.h"

namespace pyrelle::standin {

void service_registry::add(const guid& service_class, instance_maker make)
{
    for (service_class_entry& entry : classes_) {
        if (entry.id == service_class) {
            entry.instances.push_back(std::move(make));
            return;
        }
    }
    classes_.push_back({service_class, {std::move(make)}});
}

void service_registry::add_object(const guid& service_class, service_base& object)
{
    add(service_class, [&object](service_ref& out) {
        out.assign(&object);
        return true;
    });
}

void service_registry::remove(const guid& service_class) noexcept
{
    // Handles of later classes shift; nobody keeps a handle across a module's unload.
    for (auto it = classes_.begin(); it != classes_.end(); ++it) {
        if (it->id == service_class) {
            classes_.erase(it);
            return;
        }
    }
}

std::uint32_t service_registry::class_of(const guid* service_class)
{
    if (service_class == nullptr) {
        return 0;
    }
    for (std::size_t i = 0; i < classes_.size(); ++i) {
        if (classes_[i].id == *service_class) {
            return static_cast<std::uint32_t>(i + 1);
        }
    }
    return 0;
}

std::uint32_t service_registry::instance_count(std::uint32_t class_handle)
{
    if (class_handle == 0 || class_handle > classes_.size()) {
        return 0;
    }
    return static_cast<std::uint32_t>(classes_[class_handle - 1].instances.size());
}

bool service_registry::create_instance(service_ref& out, std::uint32_t class_handle, std::uint32_t index)
{
    if (index >= instance_count(class_handle)) {
        return false;
    }
    service_ref made;
    if (!classes_[class_handle - 1].instances[index](made) || !made) {
        return false;
    }
    out.adopt(made.release());
    return true;
}

}  // namespace pyrelle::standin
