#include "host_standin/orvanel_host/main_window.h"

#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <stdexcept>

#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

constexpr wchar_t class_name[] = L"OrvanelHostMainWindow";
constexpr UINT_PTR script_timer = 1;
constexpr UINT_PTR status_timer = 2;
constexpr UINT status_period_ms = 250;
constexpr UINT track_news_message = WM_APP + 1;

enum : UINT {
    id_play = 100,
    id_pause,
    id_stop,
    id_next,
    id_previous,
    id_open = 200,
    id_preferences,
    id_save,
    id_exit,
    id_about = 300,
};

constexpr int client_width = 546;
constexpr int client_height = 110;

}  // namespace

main_window::main_window(HINSTANCE instance, main_window_handler& handler, module_menu& commands)
    : instance_(instance), handler_(handler), commands_(commands)
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = member_window_procedure<main_window>;
    window_class.hInstance = instance;
    window_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = class_name;
    if (::RegisterClassExW(&window_class) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("cannot register the main window's class: " + system_error_text(::GetLastError()));
    }

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, client_width, client_height};
    ::AdjustWindowRectEx(&frame, style, TRUE, 0);
    // WM_NCCREATE attaches the window to this object before CreateWindowExW returns.
    ::CreateWindowExW(WS_EX_ACCEPTFILES, class_name, L"Orvanel", style, 40, 40, frame.right - frame.left,
                      frame.bottom - frame.top, nullptr, build_menu(), instance, this);
    if (!window_) {
        throw std::runtime_error("cannot create the main window: " + system_error_text(::GetLastError()));
    }
    ::SetTimer(window_.get(), status_timer, status_period_ms, nullptr);
    ::ShowWindow(window_.get(), SW_SHOW);
    ::UpdateWindow(window_.get());
    ::SetForegroundWindow(window_.get());
}

main_window::~main_window()
{
    close();
    ::UnregisterClassW(class_name, instance_);
}

void main_window::close() { window_.reset(); }

std::function<void()> main_window::news_poster() const
{
    HWND window = window_.get();
    return [window] { ::PostMessageW(window, track_news_message, 0, 0); };
}

HMENU main_window::build_menu()
{
    HMENU bar = ::CreateMenu();
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuW(file, MF_STRING, id_open, L"&Open...");
    ::AppendMenuW(file, MF_STRING, id_preferences, L"&Preferences...");
    ::AppendMenuW(file, MF_STRING, id_save, L"&Save settings");
    ::AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(file, MF_STRING, id_exit, L"E&xit");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");

    HMENU playback = ::CreatePopupMenu();
    ::AppendMenuW(playback, MF_STRING, id_play, L"&Play");
    ::AppendMenuW(playback, MF_STRING, id_pause, L"P&ause");
    ::AppendMenuW(playback, MF_STRING, id_stop, L"&Stop");
    ::AppendMenuW(playback, MF_STRING, id_next, L"&Next");
    ::AppendMenuW(playback, MF_STRING, id_previous, L"Pre&vious");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(playback), L"&Playback");

    HMENU view = ::CreatePopupMenu();
    commands_.build(bar, view);
    if (::GetMenuItemCount(view) == 0) {
        ::AppendMenuW(view, MF_STRING | MF_GRAYED, 0, L"(no visualisation)");
    }
    ::InsertMenuW(bar, 2, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(view), L"&View");

    HMENU help = ::CreatePopupMenu();
    ::AppendMenuW(help, MF_STRING, id_about, L"&About components...");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
    return bar;
}

void main_window::create_controls()
{
    const HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const struct {
        UINT id;
        const wchar_t* text;
    } buttons[] = {
        {id_previous, L"Previous"}, {id_play, L"Play"}, {id_pause, L"Pause"}, {id_stop, L"Stop"}, {id_next, L"Next"}};
    int x = 10;
    for (const auto& button : buttons) {
        HWND control = ::CreateWindowExW(0, L"BUTTON", button.text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, 10, 96,
                                         28, window_.get(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(button.id)),
                                         instance_, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        x += 106;
    }
    status_ = ::CreateWindowExW(0, L"STATIC", L"Stopped", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 10, 50,
                                client_width - 20, 52, window_.get(), nullptr, instance_, nullptr);
    ::SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void main_window::set_status(const std::string& text)
{
    std::wstring wide = widen(text);
    if (status_ != nullptr && wide != status_text_) {
        status_text_ = std::move(wide);
        ::SetWindowTextW(status_, status_text_.c_str());
        ::UpdateWindow(status_);  // also while a long decode holds the message loop
    }
}

void main_window::set_title(const std::string& text)
{
    std::wstring wide = widen(text);
    if (window_.get() != nullptr && wide != title_) {
        title_ = std::move(wide);
        ::SetWindowTextW(window_.get(), title_.c_str());
    }
}

void main_window::choose_open()
{
    if (window_.get() != nullptr) {
        ::SendMessageW(window_.get(), WM_COMMAND, MAKEWPARAM(id_open, 0), 0);
    }
}

void main_window::drop(const std::vector<std::wstring>& paths)
{
    // What the shell hands over: a DROPFILES header, then the names, each ending in a NUL, and a
    // final NUL. The receiver's DragFinish frees it.
    std::size_t characters = 1;
    for (const std::wstring& path : paths) {
        characters += path.size() + 1;
    }
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    if (memory == nullptr || window_.get() == nullptr) {
        ::GlobalFree(memory);
        throw std::runtime_error("cannot make the dropped files' list");
    }
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& path : paths) {
        names = std::copy(path.begin(), path.end(), names);
        *names++ = L'\0';
    }
    ::GlobalUnlock(memory);
    ::SendMessageW(window_.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void main_window::schedule_script(unsigned milliseconds)
{
    if (window_.get() != nullptr) {
        ::SetTimer(window_.get(), script_timer, milliseconds == 0 ? USER_TIMER_MINIMUM : milliseconds, nullptr);
    }
}

void main_window::attached(HWND window) noexcept { window_.adopt(window); }

void main_window::detached() noexcept
{
    window_.forget();
    status_ = nullptr;
}

void main_window::failed(const std::exception& error) noexcept { ::OutputDebugStringA(error.what()); }

LRESULT main_window::handle(HWND, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        create_controls();
        return 0;
    case WM_COMMAND: {
        const UINT id = LOWORD(wparam);
        switch (id) {
        case id_play:
            handler_.transport_requested(transport_action::play);
            break;
        case id_pause:
            handler_.transport_requested(transport_action::pause);
            break;
        case id_stop:
            handler_.transport_requested(transport_action::stop);
            break;
        case id_next:
            handler_.transport_requested(transport_action::next);
            break;
        case id_previous:
            handler_.transport_requested(transport_action::previous);
            break;
        case id_open:
            handler_.open_requested();
            break;
        case id_preferences:
            handler_.preferences_requested();
            break;
        case id_save:
            handler_.save_requested();
            break;
        case id_about:
            handler_.about_requested();
            break;
        case id_exit:
            close();
            break;
        default:
            if (const module_command* command = commands_.find(id)) {
                handler_.module_command_chosen(*command);
            }
            break;
        }
        // A clicked button keeps no focus, so that the space bar stays the window's own key.
        if (lparam != 0) {
            ::SetFocus(window_.get());
        }
        return 0;
    }
    case WM_KEYDOWN:
        if (wparam == VK_SPACE) {
            handler_.transport_requested(transport_action::play_pause);
            return 0;
        }
        break;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wparam);
        std::vector<std::wstring> paths;
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
            path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
            paths.push_back(std::move(path));
        }
        ::DragFinish(drop);
        handler_.files_dropped(paths);
        return 0;
    }
    case WM_INITMENUPOPUP:
        commands_.refresh(reinterpret_cast<HMENU>(wparam));
        return 0;
    case WM_TIMER:
        if (wparam == script_timer) {
            ::KillTimer(window_.get(), script_timer);
            handler_.script_timer_expired();
        } else if (wparam == status_timer) {
            handler_.status_tick();
        }
        return 0;
    case WM_QUERYENDSESSION:
        handler_.session_ending();
        session_end_reported_ = true;
        return TRUE;
    case WM_ENDSESSION:
        // Once per ending: the query normally came first. A cancelled ending is reported afresh.
        if (wparam != FALSE && !session_end_reported_) {
            handler_.session_ending();
        }
        session_end_reported_ = false;
        return 0;
    case MM_WOM_DONE:
        handler_.wave_buffer_done();
        return 0;
    case track_news_message:
        handler_.track_news();
        return 0;
    case WM_DESTROY:
        ::KillTimer(window_.get(), status_timer);
        ::KillTimer(window_.get(), script_timer);
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_.get(), message, wparam, lparam);
}

}  // namespace pyrelle::standin
