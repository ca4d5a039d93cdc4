// Loading the real pyrelle.dll the way the player does, and refusing what is not a module.
#include "host_standin/orvanel_host/loaded_module.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "host_standin/orvanel_host/host_services.h"
#include "support/utf8_string.h"

namespace pyrelle::standin {
namespace {

// The module and shared.dll are built beside the test program.
std::wstring beside_this_program(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

TEST(LoadedModule, WalksTheFiveServicesAndRegistersThemByClass)
{
    service_registry registry;
    loaded_module module(beside_this_program(L"pyrelle.dll"), registry);

    std::vector<guid> classes;
    for (const module_service& service : module.services()) {
        classes.push_back(service.service_class);
    }
    const std::vector<guid> expected = {playback_listener_class, lifecycle_class, preferences_page_class,
                                        menu_command_class, component_info_class};
    EXPECT_EQ(classes, expected);
    EXPECT_TRUE(module.misbehaving().empty());

    for (const guid& service_class : expected) {
        const std::uint32_t handle = registry.class_of(&service_class);
        ASSERT_NE(handle, 0u) << service_class_name(service_class);
        service_ref instance;
        EXPECT_TRUE(registry.create_instance(instance, handle, 0));
        EXPECT_TRUE(instance);
    }

    // The module was told its file name.
    const auto infos = module.services_of<component_info>(component_info_class);
    ASSERT_EQ(infos.size(), 1u);
    utf8_string file;
    infos.front()->file_name(file);
    EXPECT_STREQ(file.text(), "pyrelle.dll");

    module.unload();
    EXPECT_EQ(registry.class_of(&menu_command_class), 0u);  // gone with the module
}

TEST(LoadedModule, RefusesALibraryWithoutTheExport)
{
    service_registry registry;
    try {
        loaded_module module(beside_this_program(L"shared.dll"), registry);
        FAIL() << "loaded";
    } catch (const module_error& error) {
        EXPECT_NE(std::string(error.what()).find("orvanel_get_interface"), std::string::npos) << error.what();
    }
    EXPECT_EQ(::GetModuleHandleW(L"shared.dll") != nullptr, true);  // still imported by this program
}

TEST(LoadedModule, AMissingFileIsAClearError)
{
    service_registry registry;
    EXPECT_THROW(loaded_module(beside_this_program(L"no-such-module.dll"), registry), module_error);
}

}  // namespace
}  // namespace pyrelle::standin
