// The component info, menu command, lifecycle and playback listener services, driven through the
// objects the module's service list hands out.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <regex>
#include <stdexcept>
#include <string>

#include "fire/fire_engine.h"
#include "host/component_services.h"
#include "host/module_state.h"
#include "prefs/mode_enumeration.h"
#include "support/utf8_string.h"
#include "tests/windows/run_harness.h"
#include "tests/windows/test_registry.h"
#include "tests/windows/test_stream.h"

namespace pyrelle {
namespace {

using test::counting_service;

template <typename Service>
Service& module_service(const guid& service_class)
{
    for (service_entry* e = module::first_entry(); e != nullptr; e = e->next) {
        if (*e->service_class == service_class) {
            service_ref out;
            e->instantiate(out);
            return *static_cast<Service*>(out.get());
        }
    }
    throw std::logic_error("service not registered");
}

menu_command& menu() { return module_service<menu_command>(menu_command_class); }

// A reference handed to the module by value: the module owns the one reference it carries.
service_base* handed_over(counting_service& service)
{
    service.add_ref();
    return &service;
}

// What the module makes its services with, made afresh for a test.
struct service_parts {
    test::run_parts run;
    fire_engine engine{run.window_class, run.host_services};
    display_mode_list modes;
    display_mode_list scratch;
    configuration settings;
};

TEST(ComponentInfo, ReportsNameVersionAndAboutText)
{
    auto& info = module_service<component_info>(component_info_class);
    utf8_string text("old");
    info.name(text);
    EXPECT_STREQ(text.text(), "Pyrelle visualisation");
    info.version(text);
    EXPECT_STREQ(text.text(), "0.93");
    info.about(text);
    // "Compiled: Mmm dd yyyy hh:mm:ss", one line feed, a credits line.
    EXPECT_TRUE(std::regex_match(text.text(), std::regex("Compiled: [A-Z][a-z]{2} [ 123][0-9] [0-9]{4} "
                                                         "[0-9]{2}:[0-9]{2}:[0-9]{2}\n[^\n]+")))
        << text.text();
}

TEST(MenuCommand, OneCommandAtIndexZero)
{
    menu_command& m = menu();
    EXPECT_EQ(m.command_count(), 1u);
    EXPECT_EQ(m.command_guid(0), (guid{0x27865D33, 0x98EE, 0x4484, {0x9C, 0x46, 0x17, 0x2F, 0x9A, 0xA1, 0xA0, 0x2B}}));
    EXPECT_EQ(m.parent_guid(), (guid{0x29272FEC, 0x21C7, 0x4B00, {0xA9, 0xA7, 0x01, 0xA8, 0xCE, 0x67, 0x5E, 0xBF}}));
    EXPECT_EQ(m.ordering_value(), 0x80000000u);

    utf8_string text("untouched");
    m.command_name(0, text);
    EXPECT_STREQ(text.text(), "Pyrelle visualisation");
    EXPECT_TRUE(m.command_description(0, text));
    EXPECT_STREQ(text.text(), "Toggle on/off pyrelle visualisation.");

    for (const std::uint32_t other : {1u, 2u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(other);
        utf8_string other_text("untouched");
        EXPECT_EQ(m.command_guid(other), guid{});
        m.command_name(other, other_text);
        EXPECT_FALSE(m.command_description(other, other_text));
        EXPECT_STREQ(other_text.text(), "untouched");
    }
}

TEST(MenuCommand, DisabledWithoutModesOtherwiseEnabledForEveryIndex)
{
    service_parts parts;
    menu_command_service menu(parts.engine, parts.modes, parts.settings);
    for (const bool has_modes : {false, true}) {
        parts.modes.resize(0);
        if (has_modes) {
            parts.modes.append({640, 480, 8});
        }
        for (const std::uint32_t index : {0u, 1u, 5u, 0xFFFFFFFFu}) {
            SCOPED_TRACE(index);
            utf8_string text("untouched");
            std::uint32_t flags = 0xDEADBEEF;
            EXPECT_TRUE(menu.display_state(index, text, &flags));
            EXPECT_EQ(flags, has_modes ? 0u : 1u);
            EXPECT_STREQ(text.text(), index == 0 ? "Pyrelle visualisation" : "untouched");
        }
    }
}

TEST(MenuCommand, ExecuteTogglesARunShownCheckedWhileItGoes)
{
    test::test_stream stream;
    test::test_manager manager(stream);
    test::test_registry registry;
    registry.add(visualisation_manager_class, &manager);
    service_parts parts;
    parts.run.host_services.use(&registry);
    parts.modes.append({640, 480, 8});
    menu_command_service menu(parts.engine, parts.modes, parts.settings);

    counting_service callback;
    menu.execute(0, handed_over(callback));
    EXPECT_EQ(callback.references(), 0);
    ASSERT_TRUE(parts.engine.is_running());

    // Checked whatever the mode list holds and whatever the index.
    for (const bool has_modes : {true, false}) {
        if (!has_modes) {
            parts.modes.resize(0);
        }
        for (const std::uint32_t index : {0u, 1u, 9u}) {
            utf8_string text;
            std::uint32_t flags = 0;
            EXPECT_TRUE(menu.display_state(index, text, &flags));
            EXPECT_EQ(flags, 2u) << "index " << index << (has_modes ? "" : ", no modes");
        }
    }

    menu.execute(0, handed_over(callback));
    EXPECT_FALSE(parts.engine.is_running());
    EXPECT_EQ(callback.references(), 0);
    EXPECT_EQ(stream.references.load(), 0);
}

TEST(MenuCommand, ExecuteWithAnotherIndexOnlyReleasesTheCallback)
{
    service_parts parts;
    parts.modes.append({640, 480, 8});
    menu_command_service menu(parts.engine, parts.modes, parts.settings);
    counting_service callback;
    menu.execute(1, handed_over(callback));
    EXPECT_EQ(callback.references(), 0);
    EXPECT_FALSE(parts.engine.is_running());
}

TEST(Lifecycle, StartUpBuildsTheModeListAndShutDownLeavesEverything)
{
    service_parts parts;
    lifecycle_service hooks(display_modes{parts.modes, parts.scratch});
    hooks.on_start();
    ASSERT_FALSE(parts.modes.empty());

    display_mode_list expected;
    display_mode_list scratch;
    ASSERT_TRUE(enumerate_display_modes(expected, scratch));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), parts.modes.begin(), parts.modes.end()));

    hooks.on_shutdown();
    EXPECT_EQ(parts.modes.count(), expected.count());
}

TEST(PlaybackListener, EventsSetAndClearThePauseFlag)
{
    service_parts parts;
    playback_listener_service listener(parts.engine);
    EXPECT_EQ(listener.event_mask(), (1u << 1) | (1u << 2) | (1u << 4));  // new track, stop, pause
    playback_events& events = listener;
    fire_engine& engine = parts.engine;
    counting_service track;

    struct step {
        const char* event;
        void (*send)(playback_events&, counting_service&);
        bool paused_after;
    };
    const step steps[] = {
        {"stop", [](playback_events& e, counting_service&) { e.on_stop(3); }, true},
        {"event 0", [](playback_events& e, counting_service&) { e.on_event_0(1); }, true},
        {"pause false after stop", [](playback_events& e, counting_service&) { e.on_pause(false); }, false},
        {"pause true", [](playback_events& e, counting_service&) { e.on_pause(true); }, true},
        {"unasked events",
         [](playback_events& e, counting_service&) {
             e.on_event_3(1);
             e.on_event_6(1);
             e.on_event_7(1);
             e.on_event_8(1);
             e.on_event_9(1);
         },
         true},
        {"new track", [](playback_events& e, counting_service& t) { e.on_new_track(handed_over(t)); }, false},
        {"event 5", [](playback_events& e, counting_service& t) { e.on_event_5(handed_over(t)); }, false},
        {"stop again", [](playback_events& e, counting_service&) { e.on_stop(0); }, true},
        {"event 5 while stopped", [](playback_events& e, counting_service& t) { e.on_event_5(handed_over(t)); }, true},
        {"new track again", [](playback_events& e, counting_service& t) { e.on_new_track(handed_over(t)); }, false},
    };
    ASSERT_FALSE(engine.paused());
    for (const step& s : steps) {
        SCOPED_TRACE(s.event);
        s.send(events, track);
        EXPECT_EQ(engine.paused(), s.paused_after);
        EXPECT_EQ(track.references(), 0) << "a reference an event brought was kept";
    }
    EXPECT_EQ(track.releases(), 4u);
}

}  // namespace
}  // namespace pyrelle
