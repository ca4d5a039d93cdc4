// Finding the host's single instance of a service class, and the three ways that fails.
#include <gtest/gtest.h>

#include <cstring>

#include "host/module_state.h"
#include "host/service_lookup.h"
#include "tests/windows/test_registry.h"

namespace pyrelle {
namespace {

using test::counting_service;
using test::test_registry;

constexpr guid wanted_class = host_information_class;

TEST(ServiceLookup, AdoptsTheOneInstanceAndReleasesWhatTheReferenceHeld)
{
    counting_service host_service;
    counting_service previous;
    test_registry registry;
    registry.add(visualisation_manager_class, &previous);
    registry.add(wanted_class, &host_service);

    service_ref out;
    out.assign(&previous);
    find_unique_service(registry, wanted_class, out);

    EXPECT_EQ(out.get(), &host_service);
    EXPECT_EQ(host_service.references(), 1) << "the registry's reference is adopted, not doubled";
    EXPECT_EQ(previous.references(), 0);
    out.reset();
    EXPECT_EQ(host_service.references(), 0);
}

TEST(ServiceLookup, CountsOtherThanOneThrowWithoutCreatingAnything)
{
    struct lookup_case {
        std::uint32_t instances;
        bool registered;
        const char* message;
    };
    const lookup_case cases[] = {
        {1, false, "Service not found"},  // the class is unknown to the host
        {0, true, "Service not found"},
        {2, true, "Service duplicated"},
        {7, true, "Service duplicated"},
    };
    for (const lookup_case& c : cases) {
        SCOPED_TRACE(c.instances);
        counting_service host_service;
        counting_service held;
        test_registry registry;
        if (c.registered) {
            registry.add(wanted_class, &host_service, c.instances);
        }
        service_ref out;
        out.assign(&held);
        try {
            find_unique_service(registry, wanted_class, out);
            ADD_FAILURE() << "no exception";
        } catch (const exception_service_not_found& e) {
            EXPECT_STREQ(e.what(), c.message);
        } catch (const exception_service_duplicated& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(registry.create_calls(), 0u);
        EXPECT_EQ(out.get(), &held) << "a failed lookup leaves the reference as it was";
        EXPECT_EQ(host_service.add_refs(), 0u);
    }
}

TEST(ServiceLookup, AFailedCreationIsABugCheckAndLeavesNothingHeld)
{
    for (const bool host_fills_anyway : {false, true}) {
        SCOPED_TRACE(host_fills_anyway);
        counting_service host_service;
        test_registry registry;
        registry.add(wanted_class, &host_service);
        registry.fail_creation(host_fills_anyway);

        service_ref out;
        try {
            find_unique_service(registry, wanted_class, out);
            ADD_FAILURE() << "no exception";
        } catch (const exception_bug_check& e) {
            EXPECT_STREQ(e.what(), "Bug check");
        }
        EXPECT_EQ(registry.create_calls(), 1u);
        EXPECT_EQ(out.get(), nullptr);
        EXPECT_EQ(host_service.references(), 0) << "the temporary reference was not released";
    }
}

TEST(ServiceLookup, UsesTheRegistryTheHostIntroduced)
{
    counting_service host_service;
    test_registry registry;
    registry.add(wanted_class, &host_service);
    orvanel_get_interface(&registry, ::GetModuleHandleW(nullptr));

    service_ref out;
    find_unique_service(wanted_class, out);
    EXPECT_EQ(out.get(), &host_service);
    out.reset();

    // Before the host has given a registry there is nothing to find (and nothing to crash on).
    orvanel_get_interface(nullptr, ::GetModuleHandleW(nullptr));
    EXPECT_THROW(find_unique_service(wanted_class, out), exception_service_not_found);
    EXPECT_EQ(out.get(), nullptr);
}

}  // namespace
}  // namespace pyrelle
