// The module's only export and the interface object it hands the host.
#include "config/config_blob.h"
#include "host/host_interfaces.h"
#include "host/module_state.h"

namespace pyrelle {

namespace {

class module_interface_object final : public module_interface {
public:
    std::uint32_t interface_version() override { return module_interface_version; }

    service_entry* first_entry() override { return module::first_entry(); }

    void write_configuration(stream_writer& out, abort_signal& abort) override
    {
        pyrelle::write_configuration(module::settings(), out, abort);
    }

    void read_configuration(stream_reader& in, abort_signal& abort) override
    {
        pyrelle::read_configuration(module::settings(), in, abort);
    }

    void set_module_texts(const char* first, const char* file_name) override
    {
        module::set_module_texts(first, file_name);
    }

    void store_host_flag(bool flag) override { module::set_host_flag(flag); }

    bool report_flag() override { return false; }
};

module_interface_object the_interface;

}  // namespace

}  // namespace pyrelle

extern "C" pyrelle::module_interface* __cdecl orvanel_get_interface(pyrelle::host_service_registry* registry,
                                                                    HINSTANCE module_instance)
{
    pyrelle::module::set_host(registry, module_instance);
    return &pyrelle::the_interface;
}
