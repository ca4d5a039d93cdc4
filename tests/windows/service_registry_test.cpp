// The module as the host first meets it: the export, the module interface and the static list of
// services with their identities, queries and the reference rules they follow.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/config_blob.h"
#include "config/streams.h"
#include "host/host_interfaces.h"
#include "host/module_state.h"
#include "tests/windows/test_registry.h"

namespace pyrelle {
namespace {

using test::counting_service;

module_interface& the_module() { return *orvanel_get_interface(module::host_registry(), module::instance()); }

std::vector<service_entry*> entries()
{
    std::vector<service_entry*> list;
    for (service_entry* e = the_module().first_entry(); e != nullptr; e = e->next) {
        list.push_back(e);
    }
    return list;
}

service_base* instance_of(service_entry& entry)
{
    service_ref out;
    entry.instantiate(out);
    return out.get();  // static objects: nothing to keep alive
}

const guid* const every_class[] = {&playback_listener_class,    &lifecycle_class,      &preferences_page_class,
                                   &menu_command_class,         &component_info_class, &host_information_class,
                                   &visualisation_manager_class};

TEST(ServiceRegistry, ListsFiveServicesFromTheLastRegisteredToTheFirst)
{
    const std::vector<service_entry*> list = entries();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(*list[0]->service_class, playback_listener_class);
    EXPECT_EQ(*list[1]->service_class, lifecycle_class);
    EXPECT_EQ(*list[2]->service_class, preferences_page_class);
    EXPECT_EQ(*list[3]->service_class, menu_command_class);
    EXPECT_EQ(*list[4]->service_class, component_info_class);
    EXPECT_EQ(list[0], module::first_entry());
}

TEST(ServiceRegistry, EachServiceSitsRightAfterItsEntryFields)
{
    // The host reads next and the class pointer in place and finds the service after them.
    for (service_entry* entry : entries()) {
        const char* const entry_bytes = reinterpret_cast<const char*>(entry);
        EXPECT_EQ(reinterpret_cast<const char*>(&entry->next), entry_bytes + sizeof(void*));
        EXPECT_EQ(reinterpret_cast<const char*>(&entry->service_class), entry_bytes + 2 * sizeof(void*));
        EXPECT_EQ(reinterpret_cast<const char*>(instance_of(*entry)), entry_bytes + 3 * sizeof(void*));
    }
}

TEST(ServiceRegistry, PlaybackListenerCarriesItsEventTableRightAfterItsServiceTable)
{
    auto* const listener = static_cast<playback_listener*>(instance_of(*module::first_entry()));
    const playback_events* const events = listener;
    EXPECT_EQ(reinterpret_cast<const char*>(events), reinterpret_cast<const char*>(listener) + sizeof(void*));
}

TEST(ServiceRegistry, QueryAnswersOnlyTheServicesOwnClass)
{
    for (service_entry* entry : entries()) {
        service_base* const service = instance_of(*entry);
        for (const guid* asked : every_class) {
            counting_service previous;
            service_ref out;
            out.assign(&previous);
            const bool own = *asked == *entry->service_class;
            EXPECT_EQ(service->query(out, *asked), own);
            if (own) {
                EXPECT_EQ(out.get(), service);
                EXPECT_EQ(previous.references(), 0);
            } else {
                EXPECT_EQ(out.get(), &previous) << "a refused query must leave the reference alone";
                EXPECT_EQ(previous.releases(), 0u);
            }
        }
    }
}

TEST(ServiceRegistry, InstantiateReleasesWhatTheReferenceHeldFirst)
{
    for (service_entry* entry : entries()) {
        counting_service previous;
        service_ref out;
        out.assign(&previous);
        entry->instantiate(out);
        EXPECT_EQ(previous.references(), 0);
        EXPECT_EQ(previous.releases(), 1u);
        EXPECT_NE(out.get(), nullptr);
    }
}

TEST(ModuleInterface, ExportStoresTheLatestRegistryAndInstance)
{
    test::test_registry first;
    test::test_registry second;
    const HINSTANCE exe = ::GetModuleHandleW(nullptr);
    const HINSTANCE other = ::GetModuleHandleW(L"kernel32.dll");

    module_interface* const a = orvanel_get_interface(&first, exe);
    EXPECT_EQ(module::host_registry(), &first);
    EXPECT_EQ(module::instance(), exe);
    module_interface* const b = orvanel_get_interface(&second, other);
    EXPECT_EQ(a, b) << "one static interface";
    EXPECT_EQ(module::host_registry(), &second);
    EXPECT_EQ(module::instance(), other);

    orvanel_get_interface(nullptr, exe);
}

TEST(ModuleInterface, FixedAnswersAndTheHostFlag)
{
    module_interface& m = the_module();
    EXPECT_EQ(m.interface_version(), 71u);
    EXPECT_EQ(m.first_entry(), module::first_entry());
    EXPECT_FALSE(m.report_flag());
    m.store_host_flag(true);
    EXPECT_TRUE(module::host_flag());
    EXPECT_FALSE(m.report_flag());
    m.store_host_flag(false);
    EXPECT_FALSE(module::host_flag());
}

TEST(ModuleInterface, ModuleTextsAreCopies)
{
    char first[] = "first text";
    char file_name[] = "C:\\players\\orvanel\\components\\pyrelle.dll";
    the_module().set_module_texts(first, file_name);
    first[0] = 'X';
    file_name[0] = 'X';
    EXPECT_STREQ(module::first_module_text(), "first text");
    EXPECT_STREQ(module::module_file_name(), "C:\\players\\orvanel\\components\\pyrelle.dll");

    the_module().set_module_texts("", nullptr);
    EXPECT_STREQ(module::first_module_text(), "");
    EXPECT_STREQ(module::module_file_name(), "");
}

TEST(ModuleInterface, WritesAndReadsTheModuleSettings)
{
    configuration& settings = module::settings();
    settings.reset();
    settings.middle_colour.value = 0x00123456;
    settings.low_flow.value = 1;
    settings.frame_rate.value = 30;

    never_abort abort;
    byte_buffer blob;
    memory_writer writer(blob);
    the_module().write_configuration(writer, abort);
    ASSERT_EQ(blob.size(), 183u);
    // The first record is frame_rate's: its GUID as stored, size 4, then 30.
    const std::uint8_t frame_rate_record[] = {0xEF, 0x2C, 0xE4, 0x0D, 0xEB, 0x48, 0x6D, 0x4D, 0x8A, 0xCA, 0xB4, 0xBB,
                                              0x8A, 0x50, 0x52, 0xE9, 0x04, 0x00, 0x00, 0x00, 0x1E, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(blob.data(), frame_rate_record, sizeof(frame_rate_record)), 0);

    settings.reset();
    memory_reader reader(blob.data(), blob.size());
    the_module().read_configuration(reader, abort);
    EXPECT_EQ(settings.middle_colour.value, 0x00123456);
    EXPECT_EQ(settings.low_flow.value, 1);
    EXPECT_EQ(settings.frame_rate.value, 30);
    EXPECT_EQ(settings.high_colour.value, initial_high_colour);
    settings.reset();
}

}  // namespace
}  // namespace pyrelle
