#pragma once
// The module's menu commands in the main window's menu. Commands of the host's "View >
// Visualisations" group go there, any other group's into a "Components" menu; within a group the
// services come in their ordering value. Each item shows the command's display state (name,
// checked, disabled), refreshed whenever its menu opens.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_interfaces.h"

namespace pyrelle::standin {

// {29272FEC-21C7-4B00-A9A7-01A8CE675EBF}: the host's View, Visualisations group.
inline constexpr guid visualisations_group{
    0x29272FEC, 0x21C7, 0x4B00, {0xA9, 0xA7, 0x01, 0xA8, 0xCE, 0x67, 0x5E, 0xBF}};

// Menu item identifiers of module commands start here.
constexpr UINT first_module_command_id = 2000;

struct module_command {
    menu_command* service;
    std::uint32_t index;
    guid group;
    std::uint32_t ordering;
    UINT item_id;
};

class module_menu {
public:
    // Asks every service for its commands; the order of the result is the menu's order.
    explicit module_menu(const std::vector<menu_command*>& services);

    const std::vector<module_command>& commands() const noexcept { return commands_; }
    // The command behind a menu item, or null.
    const module_command* find(UINT item_id) const noexcept;
    // The first command of the Visualisations group, or null.
    const module_command* first_visualisation() const noexcept;

    // Adds "Visualisations" under `view_menu` and, when needed, a "Components" menu to `bar`.
    void build(HMENU bar, HMENU view_menu);
    // Brings the items of `menu` up to date with the commands' display states.
    void refresh(HMENU menu) const;

    // The names of the commands that are disabled now.
    std::vector<std::string> disabled_names() const;

    // The command's current flags (menu_flag_checked, menu_flag_disabled) and name.
    static std::uint32_t display_state(const module_command& command, std::string& name);

    // Runs the command with a fresh callback reference, which the module releases.
    static void execute(const module_command& command);

private:
    std::vector<module_command> commands_;
    std::vector<HMENU> menus_;  // the popups this object filled
};

}  // namespace pyrelle::standin
