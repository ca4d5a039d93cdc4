#include "host_standin/orvanel_host/module_menu.h"

#include <algorithm>

#include "host_standin/orvanel_host/host_objects.h"
#include "host_standin/orvanel_host/wide_text.h"
#include "support/utf8_string.h"

namespace pyrelle::standin {

module_menu::module_menu(const std::vector<menu_command*>& services)
{
    for (menu_command* service : services) {
        const guid group = service->parent_guid();
        const std::uint32_t ordering = service->ordering_value();
        const std::uint32_t count = service->command_count();
        for (std::uint32_t i = 0; i < count; ++i) {
            commands_.push_back({service, i, group, ordering, 0});
        }
    }
    std::stable_sort(commands_.begin(), commands_.end(),
                     [](const module_command& a, const module_command& b) { return a.ordering < b.ordering; });
    for (std::size_t i = 0; i < commands_.size(); ++i) {
        commands_[i].item_id = first_module_command_id + static_cast<UINT>(i);
    }
}

const module_command* module_menu::find(UINT item_id) const noexcept
{
    for (const module_command& command : commands_) {
        if (command.item_id == item_id) {
            return &command;
        }
    }
    return nullptr;
}

const module_command* module_menu::first_visualisation() const noexcept
{
    for (const module_command& command : commands_) {
        if (command.group == visualisations_group) {
            return &command;
        }
    }
    return nullptr;
}

std::uint32_t module_menu::display_state(const module_command& command, std::string& name)
{
    utf8_string text;
    std::uint32_t flags = 0;
    if (!command.service->display_state(command.index, text, &flags)) {
        command.service->command_name(command.index, text);
        flags = 0;
    }
    name = text.text();
    return flags;
}

void module_menu::execute(const module_command& command) { command.service->execute(command.index, new plain_object); }

std::vector<std::string> module_menu::disabled_names() const
{
    std::vector<std::string> names;
    for (const module_command& command : commands_) {
        std::string name;
        if ((display_state(command, name) & menu_flag_disabled) != 0) {
            names.push_back(name);
        }
    }
    return names;
}

void module_menu::build(HMENU bar, HMENU view_menu)
{
    HMENU visualisations = nullptr;
    HMENU components = nullptr;
    for (const module_command& command : commands_) {
        HMENU& target = command.group == visualisations_group ? visualisations : components;
        if (target == nullptr) {
            target = ::CreatePopupMenu();
            menus_.push_back(target);
        }
        std::string name;
        display_state(command, name);
        ::AppendMenuW(target, MF_STRING, command.item_id, widen(name).c_str());
    }
    if (visualisations != nullptr) {
        ::AppendMenuW(view_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(visualisations), L"&Visualisations");
    }
    if (components != nullptr) {
        ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(components), L"&Components");
    }
}

void module_menu::refresh(HMENU menu) const
{
    if (std::find(menus_.begin(), menus_.end(), menu) == menus_.end()) {
        return;
    }
    for (const module_command& command : commands_) {
        std::string name;
        const std::uint32_t flags = display_state(command, name);
        UINT state = MF_BYCOMMAND | MF_STRING;
        state |= (flags & menu_flag_checked) ? MF_CHECKED : MF_UNCHECKED;
        state |= (flags & menu_flag_disabled) ? MF_GRAYED : MF_ENABLED;
        ::ModifyMenuW(menu, command.item_id, state, command.item_id, widen(name).c_str());
    }
}

}  // namespace pyrelle::standin
