// The module's commands in the main menu: their place, their order and their state.
#include "host_standin/orvanel_host/module_menu.h"

#include <gtest/gtest.h>

#include "host_standin/orvanel_host/host_objects.h"
#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

// {11111111-0000-0000-0000-000000000000}: a group the host does not know.
constexpr guid other_group{0x11111111, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

class fake_commands final : public menu_command {
public:
    fake_commands(std::vector<std::string> names, guid group, std::uint32_t ordering)
        : names_(std::move(names)), group_(group), ordering_(ordering)
    {
    }
    std::uint32_t release() override { return 1; }
    std::uint32_t add_ref() override { return 1; }
    bool query(service_ref&, const guid&) override { return false; }
    std::uint32_t command_count() override { return static_cast<std::uint32_t>(names_.size()); }
    guid command_guid(std::uint32_t) override { return {}; }
    void command_name(std::uint32_t index, text_object& out) override { out.set(names_[index].c_str(), whole_text); }
    bool command_description(std::uint32_t, text_object&) override { return false; }
    guid parent_guid() override { return group_; }
    std::uint32_t ordering_value() override { return ordering_; }
    bool display_state(std::uint32_t index, text_object& out, std::uint32_t* flags) override
    {
        *flags = flags_;
        command_name(index, out);
        return true;
    }
    void execute(std::uint32_t index, service_base* callback) override
    {
        executed.push_back(index);
        callback->release();
    }

    std::uint32_t flags_ = 0;
    std::vector<std::uint32_t> executed;

private:
    std::vector<std::string> names_;
    guid group_;
    std::uint32_t ordering_;
};

std::string item_text(HMENU menu, int position)
{
    wchar_t text[64] = L"";
    ::GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
    return narrow(text);
}

TEST(ModuleMenu, VisualisationsGoUnderViewInTheirOrderingOthersIntoComponents)
{
    fake_commands late({"Late"}, visualisations_group, 0x80000000u);
    fake_commands early({"Early one", "Early two"}, visualisations_group, 5);
    fake_commands other({"Elsewhere"}, other_group, 0);
    module_menu subject({&late, &other, &early});

    ASSERT_NE(subject.first_visualisation(), nullptr);
    EXPECT_EQ(subject.first_visualisation()->service, &early);

    HMENU bar = ::CreateMenu();
    HMENU view = ::CreatePopupMenu();
    subject.build(bar, view);
    ASSERT_EQ(::GetMenuItemCount(view), 1);
    EXPECT_EQ(item_text(view, 0), "&Visualisations");
    HMENU visualisations = ::GetSubMenu(view, 0);
    ASSERT_EQ(::GetMenuItemCount(visualisations), 3);
    EXPECT_EQ(item_text(visualisations, 0), "Early one");
    EXPECT_EQ(item_text(visualisations, 1), "Early two");
    EXPECT_EQ(item_text(visualisations, 2), "Late");
    ASSERT_EQ(::GetMenuItemCount(bar), 1);
    EXPECT_EQ(item_text(::GetSubMenu(bar, 0), 0), "Elsewhere");
    ::DestroyMenu(bar);
    ::DestroyMenu(view);
}

TEST(ModuleMenu, ItemsShowTheDisplayStateWhenTheirMenuOpens)
{
    fake_commands toggle({"Fire"}, visualisations_group, 0);
    module_menu subject({&toggle});
    HMENU bar = ::CreateMenu();
    HMENU view = ::CreatePopupMenu();
    subject.build(bar, view);
    HMENU visualisations = ::GetSubMenu(view, 0);
    const UINT id = subject.commands().front().item_id;

    toggle.flags_ = menu_flag_checked;
    subject.refresh(visualisations);
    EXPECT_EQ(::GetMenuState(visualisations, id, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED),
              static_cast<UINT>(MF_CHECKED));
    EXPECT_TRUE(subject.disabled_names().empty());
    toggle.flags_ = menu_flag_disabled;
    subject.refresh(visualisations);
    EXPECT_EQ(::GetMenuState(visualisations, id, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED),
              static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(subject.disabled_names(), std::vector<std::string>{"Fire"});
    toggle.flags_ = 0;
    subject.refresh(visualisations);
    EXPECT_EQ(::GetMenuState(visualisations, id, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED), 0u);
    ::DestroyMenu(bar);
    ::DestroyMenu(view);
}

TEST(ModuleMenu, ExecuteHandsTheModuleACallbackItReleases)
{
    fake_commands two({"A", "B"}, visualisations_group, 0);
    module_menu subject({&two});
    const std::int32_t before = live_transient_objects();
    const module_command* second = subject.find(subject.commands()[1].item_id);
    ASSERT_NE(second, nullptr);
    module_menu::execute(*second);
    EXPECT_EQ(two.executed, (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(live_transient_objects(), before);
    EXPECT_EQ(subject.find(first_module_command_id + 2), nullptr);
}

}  // namespace
}  // namespace pyrelle::standin
