#pragma once
// The player's Preferences window: the pages listed by name on the left, the chosen page's own
// dialog embedded on the right, and Reset (for pages that support it), Help and Close below.
// Reset puts the page's settings back and opens the page afresh, so that it shows them.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "host/host_interfaces.h"
#include "host_standin/orvanel_host/host_log.h"
#include "support/member_window_procedure.h"
#include "support/win32_handles.h"

namespace pyrelle::standin {

class preferences_window {
public:
    // Shows the window with the first page. Throws std::runtime_error when the window cannot be
    // made; a page whose dialog cannot be made leaves its area empty and is logged. `closed` runs
    // once the user (or close()) has closed the window, not when the window is destroyed with its
    // owner or its holder.
    preferences_window(HINSTANCE instance, HWND owner, std::vector<preferences_page*> pages, log_sink& log,
                       std::function<void()> closed = {});
    preferences_window(const preferences_window&) = delete;
    preferences_window& operator=(const preferences_window&) = delete;
    ~preferences_window();

    // False once the user closed the window.
    bool is_open() const noexcept { return static_cast<bool>(window_); }
    HWND handle() const noexcept { return window_.get(); }
    // The current page's dialog, or null.
    HWND page_dialog() const noexcept { return page_dialog_.get(); }

    void show_page(std::size_t index);
    void reset_page();
    // The page's help address, also shown in the window; empty when the page has none.
    std::string show_help();
    void close();

    // Keyboard navigation inside the page; true when the message was used.
    bool translate(MSG& message);

private:
    template <typename Object, typename Kind>
    friend typename Kind::result_type CALLBACK pyrelle::member_window_procedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void attached(HWND window) noexcept;
    void detached() noexcept;
    void failed(const std::exception& error);
    void destroy() noexcept;
    void create_controls();
    void lay_out();

    HINSTANCE instance_;
    std::vector<preferences_page*> pages_;
    log_sink& log_;
    std::function<void()> closed_;
    window_handle window_;
    HWND list_ = nullptr;
    HWND reset_button_ = nullptr;
    HWND help_button_ = nullptr;
    HWND close_button_ = nullptr;
    HWND help_line_ = nullptr;
    window_handle page_dialog_;  // a child of window_, destroyed with it
    std::size_t current_ = 0;
};

}  // namespace pyrelle::standin
