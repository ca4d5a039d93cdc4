#include "host_standin/orvanel_host/loaded_module.h"

#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

using get_interface_function = module_interface*(__cdecl*)(host_service_registry*, HINSTANCE);

// A list longer than this is taken for a cycle in the module's `next` pointers.
constexpr std::size_t most_services = 1024;

std::wstring file_part(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string service_class_name(const guid& service_class)
{
    struct known {
        const guid* id;
        const char* name;
    };
    static const known names[] = {
        {&component_info_class, "component info"},       {&menu_command_class, "menu command"},
        {&preferences_page_class, "preferences page"},   {&lifecycle_class, "lifecycle"},
        {&playback_listener_class, "playback listener"},
    };
    for (const known& entry : names) {
        if (*entry.id == service_class) {
            return entry.name;
        }
    }
    char text[guid_text_size];
    return std::string("{") + format_guid(service_class, text) + "}";
}

loaded_module::loaded_module(const std::wstring& path, service_registry& registry) : path_(path), registry_(registry)
{
    library_.reset(::LoadLibraryW(path.c_str()));
    if (!library_) {
        throw module_error("cannot load " + narrow(path) + ": " + system_error_text(::GetLastError()));
    }
    // GetProcAddress knows no signatures; the export's is fixed by the interface.
    const auto get_interface = reinterpret_cast<get_interface_function>(
        reinterpret_cast<void*>(::GetProcAddress(library_.get(), "orvanel_get_interface")));
    if (get_interface == nullptr) {
        unload();
        throw module_error(narrow(path) + " has no orvanel_get_interface export");
    }
    api_ = get_interface(&registry, library_.get());
    if (api_ == nullptr) {
        unload();
        throw module_error(narrow(path) + ": orvanel_get_interface returned nothing");
    }
    const std::uint32_t version = api_->interface_version();
    if (version != module_interface_version) {
        unload();
        throw module_error(narrow(path) + " speaks interface version " + std::to_string(version) + ", this host " +
                           std::to_string(module_interface_version));
    }
    try {
        api_->set_module_texts(narrow(path).c_str(), narrow(file_part(path)).c_str());
        walk_services(registry);
    } catch (const std::exception& error) {
        unload();
        throw module_error(narrow(path) + ": " + error.what());
    }
}

loaded_module::~loaded_module() { unload(); }

void loaded_module::walk_services(service_registry& registry)
{
    for (service_entry* entry = api_->first_entry(); entry != nullptr; entry = entry->next) {
        if (services_.size() == most_services) {
            throw module_error("the service list does not end");
        }
        if (entry->service_class == nullptr) {
            throw module_error("a service entry names no class");
        }
        module_service service{*entry->service_class, {}};
        entry->instantiate(service.object);
        if (!service.object) {
            throw module_error("the " + service_class_name(service.service_class) + " entry gave no service");
        }
        service_ref answer;
        if (!service.object->query(answer, service.service_class) || answer.get() != service.object.get()) {
            misbehaving_.push_back(service.service_class);
        }
        const guid service_class = service.service_class;
        services_.push_back(std::move(service));
        registry.add(service_class, [entry](service_ref& out) {
            entry->instantiate(out);
            return static_cast<bool>(out);
        });
    }
}

void loaded_module::unload() noexcept
{
    for (const module_service& service : services_) {
        registry_.remove(service.service_class);
    }
    services_.clear();
    api_ = nullptr;
    library_.reset();
}

}  // namespace pyrelle::standin
