// The built pyrelle.dll as the host loads it: found by name, entered through its one export, its
// own static state fresh, its resources the same as the ones the other tests open.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host_interfaces.h"
#include "support/utf8_string.h"
#include "tests/windows/child_process.h"
#include "tests/windows/run_harness.h"
#include "tests/windows/test_registry.h"
#include "tests/windows/test_stream.h"

namespace pyrelle {
namespace {

using get_interface_function = module_interface*(__cdecl*)(host_service_registry*, HINSTANCE);

class loaded_library {
public:
    explicit loaded_library(const wchar_t* name) : module_(LoadLibraryW(name)) {}
    ~loaded_library()
    {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    loaded_library(const loaded_library&) = delete;
    loaded_library& operator=(const loaded_library&) = delete;
    HMODULE get() const noexcept { return module_; }

private:
    HMODULE module_;
};

std::vector<BYTE> resource_bytes(HMODULE module, LPCWSTR type, LPCWSTR name)
{
    HRSRC const found = FindResourceW(module, name, type);
    if (found == nullptr) {
        return {};
    }
    const BYTE* const data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return std::vector<BYTE>(data, data + SizeofResource(module, found));
}

TEST(ModuleLibrary, LoadsAndHandsOutItsFreshServiceList)
{
    loaded_library library(L"pyrelle.dll");
    ASSERT_NE(library.get(), nullptr) << "pyrelle.dll not found beside the test";
    // Through a pointer to a function without prototype, as GetProcAddress results are meant to go.
    auto const get_interface = reinterpret_cast<get_interface_function>(
        reinterpret_cast<void (*)()>(GetProcAddress(library.get(), "orvanel_get_interface")));
    ASSERT_NE(get_interface, nullptr);

    test::test_registry registry;
    module_interface* const module = get_interface(&registry, library.get());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->interface_version(), 71u);

    const guid* const expected[] = {&playback_listener_class, &lifecycle_class, &preferences_page_class,
                                    &menu_command_class, &component_info_class};
    service_entry* entry = module->first_entry();
    component_info* info = nullptr;
    for (const guid* service_class : expected) {
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(*entry->service_class, *service_class);
        if (*service_class == component_info_class) {
            service_ref out;
            entry->instantiate(out);
            info = static_cast<component_info*>(out.get());
        }
        entry = entry->next;
    }
    EXPECT_EQ(entry, nullptr);
    ASSERT_NE(info, nullptr);

    // This copy of the module has never been given its texts.
    utf8_string text("not yet set");
    info->file_name(text);
    EXPECT_STREQ(text.text(), "");
    module->set_module_texts("x", "C:\\Orvanel\\components\\pyrelle.dll");
    info->file_name(text);
    EXPECT_STREQ(text.text(), "C:\\Orvanel\\components\\pyrelle.dll");
    info->version(text);
    EXPECT_STREQ(text.text(), "0.93");
}

template <typename Service>
Service* instance_of(module_interface& module, const guid& service_class)
{
    for (service_entry* entry = module.first_entry(); entry != nullptr; entry = entry->next) {
        if (*entry->service_class == service_class) {
            service_ref out;
            entry->instantiate(out);
            return static_cast<Service*>(out.get());  // a static object: the reference costs nothing
        }
    }
    return nullptr;
}

// Loads pyrelle.dll as the player does, switches the fire on, lets it burn for `burn_ms` (0: not at
// all, the unload follows the toggle at once) and unloads the module without switching it off.
void unload_a_burning_module(DWORD burn_ms)
{
    test::test_stream stream;
    test::test_manager manager(stream);
    test::test_registry registry;
    registry.add(visualisation_manager_class, &manager);
    const test::screen_mode desktop = test::current_screen_mode();

    HMODULE const library = LoadLibraryW(L"pyrelle.dll");
    ASSERT_NE(library, nullptr);
    auto const get_interface = reinterpret_cast<get_interface_function>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "orvanel_get_interface")));
    ASSERT_NE(get_interface, nullptr);
    module_interface* const module = get_interface(&registry, library);
    auto* const starter = instance_of<lifecycle>(*module, lifecycle_class);
    auto* const menu = instance_of<menu_command>(*module, menu_command_class);
    ASSERT_NE(starter, nullptr);
    ASSERT_NE(menu, nullptr);

    starter->on_start();  // the mode list; 640x480x8 is its first mode in the Wine desktop
    menu->execute(0, nullptr);
    if (burn_ms != 0) {
        test::pump_messages(burn_ms);
        ASSERT_GT(stream.fill_calls.load(), 0) << "the run draws before the unload";
        ASSERT_FALSE(test::current_screen_mode() == desktop);
    }

    // The player may unload the module without switching the fire off first. Once FreeLibrary
    // returns the module is gone: no run may go on drawing from it.
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_EQ(GetModuleHandleW(L"pyrelle.dll"), nullptr) << "something kept the module loaded";
    EXPECT_EQ(stream.references.load(), 0) << "the run gave its stream back";
    const int fills = stream.fill_calls;
    test::pump_messages(100);
    EXPECT_EQ(stream.fill_calls.load(), fills) << "a run went on after the unload";
    EXPECT_TRUE(test::current_screen_mode() == desktop);
    EXPECT_FALSE(test::display_kept_on());
}

TEST(ModuleLibrary, UnloadingDuringARunEndsTheRunAndReturns)
{
    if (!test::in_child_process()) {
        const test::child_result child =
            test::run_in_child(L"ModuleLibrary.UnloadingDuringARunEndsTheRunAndReturns", 30000);
        EXPECT_FALSE(child.timed_out) << "the module hung in its unload";
        EXPECT_EQ(child.exit_code, 0u);
        return;
    }
    unload_a_burning_module(400);
}

TEST(ModuleLibrary, UnloadingRightAfterTheToggleNeitherHangsNorCrashes)
{
    // The render thread may not have started yet, or may be leaving the run, when the unload
    // comes: many rounds give both moments their chance.
    if (!test::in_child_process()) {
        const test::child_result child =
            test::run_in_child(L"ModuleLibrary.UnloadingRightAfterTheToggleNeitherHangsNorCrashes", 90000);
        EXPECT_FALSE(child.timed_out) << "the module hung in its unload";
        EXPECT_EQ(child.exit_code, 0u) << "the player crashed or a round failed";
        return;
    }
    for (int round = 0; round < 40 && !::testing::Test::HasFailure(); ++round) {
        SCOPED_TRACE(round);
        unload_a_burning_module(round % 4 == 3 ? 120 : 0);
    }
}

TEST(ModuleLibrary, CarriesThePreferencesDialogAndVersion)
{
    loaded_library library(L"pyrelle.dll");
    ASSERT_NE(library.get(), nullptr);
    const std::vector<BYTE> in_library = resource_bytes(library.get(), RT_DIALOG, MAKEINTRESOURCEW(101));
    const std::vector<BYTE> checked_here = resource_bytes(GetModuleHandleW(nullptr), RT_DIALOG, MAKEINTRESOURCEW(101));
    ASSERT_FALSE(in_library.empty());
    EXPECT_EQ(in_library, checked_here) << "the DLL's dialog differs from the one the page tests open";

    std::vector<BYTE> version = resource_bytes(library.get(), RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO));
    ASSERT_FALSE(version.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(93, 0));
    wchar_t* file_version = nullptr;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&file_version), &size));
    EXPECT_EQ(std::wstring(file_version), L"0.93");
}

}  // namespace
}  // namespace pyrelle
