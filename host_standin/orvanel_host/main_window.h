#pragma once
// The player's main window: a menu bar (File, Playback, View with the module's visualisation
// commands, Help), Play / Pause / Stop / Next buttons and a status line. It only routes what the
// user does to its handler; the handler decides what happens.
#include <windows.h>

#include <exception>
#include <string>

#include "host_standin/orvanel_host/module_menu.h"
#include "support/member_window_procedure.h"

namespace pyrelle::standin {

enum class transport_action { play, pause, stop, next, play_pause };

class main_window_handler {
public:
    virtual void transport_requested(transport_action action) = 0;
    virtual void module_command_chosen(const module_command& command) = 0;
    virtual void preferences_requested() = 0;
    virtual void save_requested() = 0;
    virtual void about_requested() = 0;
    // The Windows session is ending (log-off, shut-down): the process ends with it.
    virtual void session_ending() = 0;
    virtual void script_timer_expired() = 0;
    virtual void wave_buffer_done() = 0;
    // Four times a second: time to refresh the status and send the position event.
    virtual void status_tick() = 0;

protected:
    ~main_window_handler() = default;
};

class main_window {
public:
    main_window(HINSTANCE instance, main_window_handler& handler, module_menu& commands);
    main_window(const main_window&) = delete;
    main_window& operator=(const main_window&) = delete;
    ~main_window();

    HWND handle() const noexcept { return window_; }
    void set_status(const std::string& text);
    // Runs the script step `milliseconds` from now (0: as soon as the queue is empty).
    void schedule_script(unsigned milliseconds);
    void close();

private:
    template <typename Object, typename Kind>
    friend typename Kind::result_type CALLBACK pyrelle::member_window_procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void attached(HWND window) noexcept;
    void detached() noexcept;
    void failed(const std::exception& error) noexcept;
    void create_controls();
    HMENU build_menu();

    HINSTANCE instance_;
    main_window_handler& handler_;
    module_menu& commands_;
    HWND window_ = nullptr;
    HWND status_ = nullptr;
    std::wstring status_text_;
    bool session_end_reported_ = false;
};

}  // namespace pyrelle::standin
