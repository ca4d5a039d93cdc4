#pragma once
// What the process holds right now, for the script's `resources` command: the figures that must
// come back to where they were after a visualisation has been switched on and off many times.
#include <windows.h>

#include <cstdint>
#include <string>

namespace pyrelle::standin {

struct process_figures {
    std::uint32_t handles = 0;       // kernel handles (GetProcessHandleCount)
    std::uint32_t user_objects = 0;  // windows, menus, ...
    std::uint32_t gdi_objects = 0;
    std::uint64_t private_bytes = 0;  // committed memory of the process alone
    std::uint64_t working_set_bytes = 0;
    std::string handle_kinds;  // "Event:12,File:3,...", when the system can tell
};

process_figures measure_process();

// "handles=N user=N gdi=N private_kb=N working_set_kb=N kinds=..."
std::string describe(const process_figures& figures);

// Whether a window class of that name is registered by that module instance.
bool window_class_registered(HINSTANCE instance, const wchar_t* class_name);

// "1024x768x32", the desktop's current mode.
std::string current_display_mode();

}  // namespace pyrelle::standin
