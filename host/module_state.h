#pragma once
// The module's process-wide state. All of it is made by static initialisation when the library
// loads, in this order: the run window's class-name text, the component info service, the eight
// settings, the fire engine, then the menu command, preferences page, lifecycle and playback
// listener services; unload undoes it in reverse. The settings and the mode lists are touched only
// on the host's user-interface thread.
#include <windows.h>

#include "config/configuration.h"
#include "host/host_interfaces.h"
#include "prefs/display_mode_list.h"
#include "support/utf8_string.h"

namespace pyrelle {

class fire_engine;
class run_window_class;

namespace module {

// What the host passed to orvanel_get_interface (null before the first call). A later call
// replaces both.
host_service_registry* host_registry() noexcept;
HINSTANCE instance() noexcept;
void set_host(host_service_registry* registry, HINSTANCE instance) noexcept;

// Copies of the two texts the host hands over; "" until it does. The first is kept and not read.
// A null text counts as empty. Throws std::bad_alloc, leaving both texts as they were.
void set_module_texts(const char* first, const char* file_name);
const char* first_module_text() noexcept;
const char* module_file_name() noexcept;

// A flag the host stores in the module; nothing depends on it.
void set_host_flag(bool flag) noexcept;
bool host_flag() noexcept;

// "{A25BCA8A-BB31-4738-861F-42907A2FB640}", the run window's class name, and the class's
// registration that every run window of the module shares.
const utf8_string& window_class_name() noexcept;
run_window_class& window_class() noexcept;

configuration& settings() noexcept;

// The adapter's 8-bit modes, and the list the enumeration fills before copying it over.
display_mode_list& mode_list() noexcept;
display_mode_list& scratch_list() noexcept;

fire_engine& engine() noexcept;

// The head of the static service list (the playback listener's entry).
service_entry* first_entry() noexcept;

}  // namespace module
}  // namespace pyrelle
