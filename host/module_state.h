#pragma once
// The module's process-wide state, and the one place that knows every part: module_state.cpp makes
// the fire engine, the mode lists, the settings and the services by static initialisation when
// the library loads, in this order: the run window's class-name text, the component info service,
// the eight settings, the fire engine, then the menu command, preferences page, lifecycle and
// playback listener services, handing each what it works on; unload undoes it in reverse. The
// settings and the mode lists are touched only on the host's user-interface thread.
//
// What the host hands over and the module's interface operations reach is below.
#include <windows.h>

#include "config/configuration.h"
#include "host/host_interfaces.h"

namespace pyrelle::module {

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

configuration& settings() noexcept;

// The head of the static service list (the playback listener's entry).
service_entry* first_entry() noexcept;

}  // namespace pyrelle::module
