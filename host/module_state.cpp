// Every static object of the module, in the one order that load and unload must follow. Within
// this file the statics are initialised in declaration order and destroyed in reverse (the
// compiler registers each destructor in declaration order, also for objects that need no
// initialisation code), so the order below is the contract:
//
//   load:   window-class name, component info, settings, engine, menu command, preferences page,
//           lifecycle, playback listener (each entry pushes at the head of the service list, and
//           is made with the parts it works on);
//   unload: module texts emptied, mode list freed, engine destroyed (ending a run that is still
//           going), scratch list freed, window-class name freed.
//
// The lists and the texts need nothing at load (they start empty); where they stand fixes only
// when unload frees them.
#include "host/module_state.h"

#include <cstring>
#include <memory>
#include <utility>

#include "fire/fire_engine.h"
#include "host/component_services.h"
#include "host/service_lookup.h"
#include "host/static_service.h"
#include "prefs/display_mode_list.h"
#include "prefs/preferences_page.h"
#include "support/run_names.h"
#include "support/utf8_string.h"

namespace pyrelle::module {

namespace {

// A copy of a host text, sized exactly to the text and its terminator.
class owned_text {
public:
    // Copies are made apart from the texts they replace, so that a failed allocation changes
    // nothing. A null text copies as empty.
    static std::unique_ptr<char[]> copy_of(const char* text)
    {
        const char* const source = text != nullptr ? text : "";
        const std::size_t size = std::strlen(source) + 1;
        std::unique_ptr<char[]> copy(new char[size]);
        std::memcpy(copy.get(), source, size);
        return copy;
    }
    void adopt(std::unique_ptr<char[]> bytes) noexcept { bytes_ = std::move(bytes); }
    const char* text() const noexcept { return bytes_ ? bytes_.get() : ""; }

private:
    std::unique_ptr<char[]> bytes_;
};

host_service_registry* registry_pointer = nullptr;
HINSTANCE instance_handle = nullptr;
bool stored_host_flag = false;
service_entry* service_list_head = nullptr;

const module_service_finder host_services{};

// ---- in load order ----------------------------------------------------------------------------

utf8_string window_class_name_text{run_window_class_name};
run_window_class run_window_class_registration{window_class_name_text, instance_handle};
display_mode_list scratch_modes;

static_service_entry<component_info_service> component_info_entry{service_list_head};
configuration settings_variables;
fire_engine the_engine{run_window_class_registration, host_services};
display_mode_list modes;
// The page that the preferences page service hands the host; it needs nothing made at load.
settings_page settings_editor{instance_handle, settings_variables, display_modes{modes, scratch_modes}, host_services};

static_service_entry<menu_command_service> menu_command_entry{service_list_head, the_engine, modes, settings_variables};
static_service_entry<preferences_page_service> preferences_page_entry{service_list_head, settings_editor};
static_service_entry<lifecycle_service> lifecycle_entry{service_list_head, display_modes{modes, scratch_modes}};
static_service_entry<playback_listener_service> playback_listener_entry{service_list_head, the_engine};

owned_text first_text;
owned_text file_name_text;

}  // namespace

host_service_registry* host_registry() noexcept { return registry_pointer; }
HINSTANCE instance() noexcept { return instance_handle; }

void set_host(host_service_registry* registry, HINSTANCE instance) noexcept
{
    registry_pointer = registry;
    instance_handle = instance;
}

void set_module_texts(const char* first, const char* file_name)
{
    std::unique_ptr<char[]> first_copy = owned_text::copy_of(first);
    std::unique_ptr<char[]> file_name_copy = owned_text::copy_of(file_name);
    first_text.adopt(std::move(first_copy));
    file_name_text.adopt(std::move(file_name_copy));
}

const char* first_module_text() noexcept { return first_text.text(); }
const char* module_file_name() noexcept { return file_name_text.text(); }

void set_host_flag(bool flag) noexcept { stored_host_flag = flag; }
bool host_flag() noexcept { return stored_host_flag; }

configuration& settings() noexcept { return settings_variables; }
service_entry* first_entry() noexcept { return service_list_head; }

}  // namespace pyrelle::module
