#pragma once
// The automation script's commands, each doing what the user would do through the windows. They
// reach the player only through the narrow interfaces below, which the application implements:
// the transport buttons, the preferences window, the player's own window and settings, and the
// module's menu commands.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/host_interfaces.h"
#include "host_standin/orvanel_host/host_log.h"
#include "host_standin/orvanel_host/main_window.h"
#include "host_standin/orvanel_host/module_menu.h"
#include "host_standin/orvanel_host/preferences_window.h"
#include "host_standin/orvanel_host/script_runner.h"

namespace pyrelle::standin {

// The transport buttons.
class transport_buttons {
public:
    virtual void press(transport_action action) = 0;
    // Resume only: unlike Play, it does nothing unless paused.
    virtual void resume() = 0;
    // Whether a track is still opening.
    virtual bool opening() const = 0;

protected:
    ~transport_buttons() = default;
};

// The preferences window and the pages it shows.
class preferences_access {
public:
    // Opens the window, or brings it forward; throws when the module offers no page.
    virtual void open_preferences() = 0;
    // The open window; null when none is open.
    virtual preferences_window* open_window() = 0;
    // The module's pages, for a reset without the window.
    virtual std::vector<preferences_page*> pages() = 0;

protected:
    ~preferences_access() = default;
};

// The player's own window and settings.
class player_shell {
public:
    // File > Open..., answered with `path`.
    virtual void open_file(const std::wstring& path) = 0;
    virtual void drop_file(const std::wstring& path) = 0;
    virtual void quit() = 0;
    virtual void save_settings() = 0;
    // fill_chunk calls so far.
    virtual std::uint32_t chunks_asked() const = 0;
    // The resources report's text after "resources ".
    virtual std::string resources() = 0;

protected:
    ~player_shell() = default;
};

class script_commands final : public script_target {
public:
    // `sync_folder`: where the answers to `sync NAME` arrive as files named NAME.
    script_commands(transport_buttons& buttons, preferences_access& preferences, player_shell& shell, module_menu& menu,
                    log_sink& log, std::wstring sync_folder);

    void run(const script_command& command) override;
    bool sync_arrived(const std::string& name) override;
    bool busy() override { return buttons_.opening(); }

private:
    const module_command& visualisation_command() const;
    void press_key(key_name key);
    HWND page_control(int id);
    void click_on_page(const script_command& command);
    void select_on_page(const script_command& command);
    void show_on_page(const script_command& command);
    void reset_page();

    transport_buttons& buttons_;
    preferences_access& preferences_;
    player_shell& shell_;
    module_menu& menu_;
    log_sink& log_;
    std::wstring sync_folder_;
};

}  // namespace pyrelle::standin
