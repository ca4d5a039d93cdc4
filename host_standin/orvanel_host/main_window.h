#pragma once
// The player's main window: a menu bar (File, Playback, View with the module's visualisation
// commands, Help), Previous / Play / Pause / Stop / Next buttons and a status line; files dropped
// on it join the play list. It only routes what the user does to its handler; the handler decides
// what happens.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "host_standin/orvanel_host/module_menu.h"
#include "support/member_window_procedure.h"
#include "support/win32_handles.h"

namespace pyrelle::standin {

enum class transport_action { play, pause, stop, next, previous, play_pause };

class main_window_handler {
public:
    virtual void transport_requested(transport_action action) = 0;
    virtual void module_command_chosen(const module_command& command) = 0;
    virtual void preferences_requested() = 0;
    // File > Open...
    virtual void open_requested() = 0;
    // Files (or folders) dropped on the window, in the order the shell gives them.
    virtual void files_dropped(const std::vector<std::wstring>& paths) = 0;
    virtual void save_requested() = 0;
    virtual void about_requested() = 0;
    // The Windows session is ending (log-off, shut-down): the process ends with it.
    virtual void session_ending() = 0;
    virtual void script_timer_expired() = 0;
    virtual void wave_buffer_done() = 0;
    // Four times a second: time to refresh the status and send the position event.
    virtual void status_tick() = 0;
    // A track decoder has news (see news_poster()).
    virtual void track_news() = 0;

protected:
    ~main_window_handler() = default;
};

class main_window {
public:
    main_window(HINSTANCE instance, main_window_handler& handler, module_menu& commands);
    main_window(const main_window&) = delete;
    main_window& operator=(const main_window&) = delete;
    ~main_window();

    HWND handle() const noexcept { return window_.get(); }
    void set_status(const std::string& text);
    void set_title(const std::string& text);
    // What the user's own actions send, for the script: File > Open... and a drop of `paths`.
    void choose_open();
    void drop(const std::vector<std::wstring>& paths);
    // What another thread calls to have track_news() run on this one; it only posts a message,
    // and a message to a window already gone is dropped.
    std::function<void()> news_poster() const;
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
    window_handle window_;
    HWND status_ = nullptr;
    std::wstring status_text_;
    std::wstring title_;
    bool session_end_reported_ = false;
};

}  // namespace pyrelle::standin
