#pragma once
// The preferences page: a modeless child dialog (resource 101) that the host places in its own
// preferences window. Every control writes its setting the moment the user changes it; a run
// keeps the settings it started with, so any change shows a notice that the visualisation must be
// restarted. The page holds no data of its own: it works on the settings and the mode list it is
// handed. The host reaches it through the preferences page service (host/component_services.h),
// which forwards the host's operations here.
#include <windows.h>

#include <exception>

#include "config/configuration.h"
#include "host/host_interfaces.h"
#include "prefs/mode_enumeration.h"

namespace pyrelle {

// {F7FAB292-4B36-4956-8E27-3601E7E357F3}
inline constexpr guid preferences_page_guid{
    0xF7FAB292, 0x4B36, 0x4956, {0x8E, 0x27, 0x36, 0x01, 0xE7, 0xE3, 0x57, 0xF3}};
// {494326C8-88FF-4265-B2B2-E6470BEE13B3}: the host's page under which this one is listed.
inline constexpr guid preferences_parent_guid{
    0x494326C8, 0x88FF, 0x4265, {0xB2, 0xB2, 0xE6, 0x47, 0x0B, 0xEE, 0x13, 0xB3}};
// The host's help site; the page's own part of the address follows it.
inline constexpr char help_base_address[] = "https://help.orvanel.example/";

class settings_page {
public:
    // `instance` is where the module keeps the instance handle that holds the dialog resource
    // (the host supplies it after the page is made); `host_services` reaches the host's services.
    settings_page(const HINSTANCE& instance, configuration& settings, display_modes modes,
                  const service_finder& host_services) noexcept
        : instance_(instance), settings_(settings), modes_(modes), host_services_(host_services)
    {
    }
    settings_page(const settings_page&) = delete;
    settings_page& operator=(const settings_page&) = delete;

    // The dialog, or null when the platform could not create it.
    HWND create_window(HWND parent);
    const char* page_name() const noexcept;
    guid page_guid() const noexcept;
    guid page_parent_guid() const noexcept;
    bool reset_supported() const noexcept;
    // Puts the settings back to their initial values and rebuilds the mode list; an open dialog
    // keeps showing what it showed.
    void reset();
    // base address, the host's version text, "/preferences/", the page GUID, "/", the page name.
    // The host-service lookup's exceptions pass through.
    bool help_url(text_object& out);

    // The dialog's messages, through member_window_procedure. Answers every message with 0, so
    // the dialog manager leaves the keyboard focus alone.
    INT_PTR handle(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    void attached(HWND) noexcept {}
    void detached() noexcept {}
    // A message whose handling failed (a mode list that could not grow) is answered as if handled.
    void failed(const std::exception&) noexcept {}

private:
    void load_controls(HWND dialog);
    void handle_command(HWND dialog, int control_id);

    const HINSTANCE& instance_;
    configuration& settings_;
    display_modes modes_;
    const service_finder& host_services_;
};

}  // namespace pyrelle
