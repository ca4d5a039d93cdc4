#include "host_standin/orvanel_host/preferences_window.h"

#include <algorithm>
#include <stdexcept>

#include "host_standin/orvanel_host/wide_text.h"
#include "support/utf8_string.h"

namespace pyrelle::standin {
namespace {

constexpr wchar_t class_name[] = L"OrvanelHostPreferences";
enum : UINT { id_list = 10, id_reset, id_help, id_close };

// Layout in pixels.
constexpr int margin = 8;
constexpr int list_width = 150;
constexpr int button_width = 80;
constexpr int button_height = 26;
constexpr int line_height = 20;
constexpr int smallest_page_width = 320;
constexpr int smallest_page_height = 200;

HWND make_control(HWND parent, HINSTANCE instance, const wchar_t* type, const wchar_t* text, DWORD style, UINT id)
{
    HWND control = ::CreateWindowExW(type == std::wstring(L"LISTBOX") ? WS_EX_CLIENTEDGE : 0, type, text,
                                     WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                                     reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

}  // namespace

preferences_window::preferences_window(HINSTANCE instance, HWND owner, std::vector<preferences_page*> pages,
                                       log_sink& log, std::function<void()> closed)
    : instance_(instance), pages_(std::move(pages)), log_(log), closed_(std::move(closed))
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = member_window_procedure<preferences_window>;
    window_class.hInstance = instance;
    window_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = class_name;
    if (::RegisterClassExW(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("cannot register the preferences window's class: " +
                                 system_error_text(::GetLastError()));
    }
    // WS_EX_CONTROLPARENT lets the dialog manager move the focus into the embedded page.
    // WM_NCCREATE attaches the window to this object before CreateWindowExW returns.
    ::CreateWindowExW(WS_EX_CONTROLPARENT, class_name, L"Preferences", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 80, 120,
                      600, 400, owner, nullptr, instance, this);
    if (!window_) {
        throw std::runtime_error("cannot create the preferences window: " + system_error_text(::GetLastError()));
    }
    for (preferences_page* page : pages_) {
        ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(page->page_name()).c_str()));
    }
    show_page(0);
    ::ShowWindow(window_.get(), SW_SHOW);
    ::SetForegroundWindow(window_.get());
}

preferences_window::~preferences_window() { destroy(); }

void preferences_window::destroy() noexcept
{
    window_.reset();  // takes the page's dialog with it; WM_NCDESTROY lets go of both
}

void preferences_window::close()
{
    if (window_.get() == nullptr) {
        return;
    }
    destroy();
    if (closed_) {
        closed_();
    }
}

void preferences_window::create_controls()
{
    list_ = make_control(window_.get(), instance_, L"LISTBOX", L"", WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, id_list);
    reset_button_ = make_control(window_.get(), instance_, L"BUTTON", L"Reset", WS_TABSTOP | BS_PUSHBUTTON, id_reset);
    help_button_ = make_control(window_.get(), instance_, L"BUTTON", L"Help", WS_TABSTOP | BS_PUSHBUTTON, id_help);
    close_button_ = make_control(window_.get(), instance_, L"BUTTON", L"Close", WS_TABSTOP | BS_PUSHBUTTON, id_close);
    help_line_ = make_control(window_.get(), instance_, L"EDIT", L"", ES_READONLY | ES_AUTOHSCROLL, 0);
}

void preferences_window::show_page(std::size_t index)
{
    page_dialog_.reset();
    if (index >= pages_.size()) {
        ::EnableWindow(reset_button_, FALSE);
        ::EnableWindow(help_button_, FALSE);
        lay_out();
        return;
    }
    current_ = index;
    ::SendMessageW(list_, LB_SETCURSEL, index, 0);
    preferences_page* page = pages_[index];
    page_dialog_.adopt(page->create_window(window_.get()));
    if (!page_dialog_) {
        log_.line(std::string("the page \"") + page->page_name() + "\" made no dialog");
    }
    ::EnableWindow(reset_button_, page->reset_supported() ? TRUE : FALSE);
    ::EnableWindow(help_button_, TRUE);
    ::SetWindowTextW(help_line_, L"");
    lay_out();
    if (page_dialog_.get() != nullptr) {
        ::ShowWindow(page_dialog_.get(), SW_SHOW);
    }
}

void preferences_window::lay_out()
{
    int page_width = smallest_page_width;
    int page_height = smallest_page_height;
    if (page_dialog_.get() != nullptr) {
        RECT bounds{};
        ::GetWindowRect(page_dialog_.get(), &bounds);
        page_width = std::max<int>(page_width, bounds.right - bounds.left);
        page_height = std::max<int>(page_height, bounds.bottom - bounds.top);
        ::SetWindowPos(page_dialog_.get(), nullptr, margin * 2 + list_width, margin, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int width = margin * 3 + list_width + page_width;
    const int buttons_top = margin * 2 + page_height;
    const int height = buttons_top + button_height + margin * 2 + line_height;
    ::MoveWindow(list_, margin, margin, list_width, page_height, TRUE);
    int x = width - margin - 3 * button_width - 2 * margin;
    for (HWND button : {reset_button_, help_button_, close_button_}) {
        ::MoveWindow(button, x, buttons_top, button_width, button_height, TRUE);
        x += button_width + margin;
    }
    ::MoveWindow(help_line_, margin, buttons_top + button_height + margin, width - 2 * margin, line_height, TRUE);

    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(window_.get(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongW(window_.get(), GWL_EXSTYLE)));
    ::SetWindowPos(window_.get(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void preferences_window::reset_page()
{
    if (current_ >= pages_.size() || !pages_[current_]->reset_supported()) {
        throw std::runtime_error("the page has no reset");
    }
    pages_[current_]->reset();
    // The page shows the settings it found when it opened; open it again to show the defaults.
    show_page(current_);
}

std::string preferences_window::show_help()
{
    if (current_ >= pages_.size()) {
        return {};
    }
    utf8_string address;
    if (!pages_[current_]->help_url(address)) {
        ::SetWindowTextW(help_line_, L"(this page has no help)");
        return {};
    }
    ::SetWindowTextW(help_line_, widen(address.text()).c_str());
    return address.text();
}

bool preferences_window::translate(MSG& message)
{
    return window_.get() && ::IsDialogMessageW(window_.get(), &message);
}

void preferences_window::attached(HWND window) noexcept { window_.adopt(window); }

void preferences_window::detached() noexcept
{
    window_.forget();
    page_dialog_.forget();
}

void preferences_window::failed(const std::exception& error)
{
    log_.line(std::string("error: preferences window: ") + error.what());
}

LRESULT preferences_window::handle(HWND, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        create_controls();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case id_list:
            if (HIWORD(wparam) == LBN_SELCHANGE) {
                const LRESULT chosen = ::SendMessageW(list_, LB_GETCURSEL, 0, 0);
                if (chosen >= 0 && static_cast<std::size_t>(chosen) != current_) {
                    show_page(static_cast<std::size_t>(chosen));
                }
            }
            return 0;
        case id_reset:
            try {
                reset_page();
            } catch (const std::exception& error) {
                log_.line(std::string("error: reset: ") + error.what());
            }
            return 0;
        case id_help:
            try {
                const std::string address = show_help();
                log_.line("help " + address);
            } catch (const std::exception& error) {
                log_.line(std::string("error: help: ") + error.what());
            }
            return 0;
        case id_close:
            close();
            return 0;
        default:
            break;
        }
        break;
    case WM_CLOSE:
        close();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_.get(), message, wparam, lparam);
}

}  // namespace pyrelle::standin
