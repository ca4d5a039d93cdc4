#pragma once
// The module's five services: the component info the host shows, the main-menu command that
// switches the fire on and off, the preferences page, the start-up hook that lists the display
// modes, and the playback listener that freezes the fire while nothing plays. Each works on the
// parts it is made with; the component info reads the module texts (host/module_state.h).
#include <cstdint>

#include "config/configuration.h"
#include "host/host_interfaces.h"
#include "host/static_service.h"
#include "prefs/display_mode_list.h"
#include "prefs/mode_enumeration.h"
#include "prefs/preferences_page.h"
#include "pyrelle_version.h"
#include "support/product_name.h"

namespace pyrelle {

class fire_engine;

inline constexpr char component_version[] = PYRELLE_VERSION_TEXT;

// "Compiled: <Mmm dd yyyy> <hh:mm:ss>", a line feed, then the credits line.
extern const char* const component_about_text;

class component_info_service final : public static_service<component_info, component_info_service> {
public:
    static constexpr guid class_id = component_info_class;

    void file_name(text_object& out) override;  // "" until the host supplies the module texts
    void name(text_object& out) override;
    void version(text_object& out) override;
    void about(text_object& out) override;
};

// {27865D33-98EE-4484-9C46-172F9AA1A02B}
inline constexpr guid toggle_command_guid{0x27865D33, 0x98EE, 0x4484, {0x9C, 0x46, 0x17, 0x2F, 0x9A, 0xA1, 0xA0, 0x2B}};
// {29272FEC-21C7-4B00-A9A7-01A8CE675EBF}: the host's View, Visualisations group.
inline constexpr guid visualisations_menu_guid{
    0x29272FEC, 0x21C7, 0x4B00, {0xA9, 0xA7, 0x01, 0xA8, 0xCE, 0x67, 0x5E, 0xBF}};
inline constexpr char toggle_command_description[] = "Toggle on/off pyrelle visualisation.";
inline constexpr std::uint32_t toggle_command_ordering = 0x80000000u;

// One command, index 0, which toggles the run; every other index names nothing and does nothing.
class menu_command_service final : public static_service<menu_command, menu_command_service> {
public:
    static constexpr guid class_id = menu_command_class;

    menu_command_service(fire_engine& engine, const display_mode_list& modes, const configuration& settings) noexcept
        : engine_(engine), modes_(modes), settings_(settings)
    {
    }

    std::uint32_t command_count() override;
    guid command_guid(std::uint32_t index) override;
    void command_name(std::uint32_t index, text_object& out) override;
    bool command_description(std::uint32_t index, text_object& out) override;
    guid parent_guid() override;
    std::uint32_t ordering_value() override;
    // Checked while a run is going, else disabled while there is no mode to run in.
    bool display_state(std::uint32_t index, text_object& out, std::uint32_t* flags) override;
    void execute(std::uint32_t index, service_base* callback) override;

private:
    fire_engine& engine_;
    const display_mode_list& modes_;
    const configuration& settings_;
};

// The page of settings (prefs/preferences_page.h) as the host's preferences page service: every
// operation goes to the page the service is made with.
class preferences_page_service final : public static_service<preferences_page, preferences_page_service> {
public:
    static constexpr guid class_id = preferences_page_class;

    explicit preferences_page_service(settings_page& page) noexcept : page_(page) {}

    HWND create_window(HWND parent) override { return page_.create_window(parent); }
    const char* page_name() override { return page_.page_name(); }
    guid page_guid() override { return page_.page_guid(); }
    guid page_parent_guid() override { return page_.page_parent_guid(); }
    bool reset_supported() override { return page_.reset_supported(); }
    void reset() override { page_.reset(); }
    bool help_url(text_object& out) override { return page_.help_url(out); }

private:
    settings_page& page_;
};

class lifecycle_service final : public static_service<lifecycle, lifecycle_service> {
public:
    static constexpr guid class_id = lifecycle_class;

    explicit lifecycle_service(display_modes modes) noexcept : modes_(modes) {}

    void on_start() override;  // builds the mode list
    void on_shutdown() override;

private:
    display_modes modes_;
};

// Events 1, 2 and 4: new track, stop, pause.
inline constexpr std::uint32_t playback_event_mask = 22;

// A new track resumes the fire, a stop freezes it, a pause event copies its state into the pause
// flag. Every reference an event brings is released, whether or not the event was asked for.
class playback_listener_service final : public static_service<playback_listener, playback_listener_service> {
public:
    static constexpr guid class_id = playback_listener_class;

    explicit playback_listener_service(fire_engine& engine) noexcept : engine_(engine) {}

    std::uint32_t event_mask() override;

    void on_event_0(std::uint64_t value) override;
    void on_new_track(service_base* track) override;
    void on_stop(std::uint32_t reason) override;
    void on_event_3(std::uint64_t value) override;
    void on_pause(bool paused) override;
    void on_event_5(service_base* reference) override;
    void on_event_6(std::uint32_t value) override;
    void on_event_7(std::uint32_t value) override;
    void on_event_8(std::uint64_t value) override;
    void on_event_9(std::uint32_t value) override;

private:
    fire_engine& engine_;
};

}  // namespace pyrelle
