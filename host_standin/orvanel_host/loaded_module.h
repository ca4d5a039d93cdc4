#pragma once
// A visualisation module, loaded as the player loads one: LoadLibrary, the one export, the
// interface version, the module's texts, then every entry of its service list instantiated and
// registered by its class GUID. Destruction releases every service reference and unloads the
// library, which runs the module's static clean-up.
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "host/host_interfaces.h"
#include "host_standin/orvanel_host/service_registry.h"
#include "support/win32_handles.h"

namespace pyrelle::standin {

class module_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct module_service {
    guid service_class;
    service_ref object;  // one reference, held until the module unloads
};

class loaded_module {
public:
    // Throws module_error naming the problem; nothing stays loaded then.
    loaded_module(const std::wstring& path, service_registry& registry);
    loaded_module(const loaded_module&) = delete;
    loaded_module& operator=(const loaded_module&) = delete;
    ~loaded_module();

    module_interface& api() const noexcept { return *api_; }
    HMODULE handle() const noexcept { return library_.get(); }
    const std::wstring& path() const noexcept { return path_; }

    // The services in list order (head first).
    const std::vector<module_service>& services() const noexcept { return services_; }

    // The services of one class, as their interface. The module promised the class, so the
    // object is of that interface.
    template <typename Interface>
    std::vector<Interface*> services_of(const guid& service_class) const
    {
        std::vector<Interface*> found;
        for (const module_service& service : services_) {
            if (service.service_class == service_class) {
                found.push_back(static_cast<Interface*>(service.object.get()));
            }
        }
        return found;
    }

    // Services whose `query` does not answer for their own class: a fault of the module, which
    // the host reports and otherwise ignores.
    const std::vector<guid>& misbehaving() const noexcept { return misbehaving_; }

    // Releases every service reference and unloads; safe to call twice.
    void unload() noexcept;

private:
    void walk_services(service_registry& registry);

    std::wstring path_;
    service_registry& registry_;
    library_handle library_;
    module_interface* api_ = nullptr;
    std::vector<module_service> services_;
    std::vector<guid> misbehaving_;
};

// "playback listener" and the like for the module's five service classes, else the GUID's text.
std::string service_class_name(const guid& service_class);

}  // namespace pyrelle::standin
