#include "host_standin/orvanel_host/script_commands.h"

#include <cstdlib>
#include <stdexcept>

#include "host_standin/orvanel_host/process_report.h"
#include "host_standin/orvanel_host/wide_text.h"
#include "shared_automation.h"

namespace pyrelle::standin {
namespace {

std::string window_title(HWND window)
{
    wchar_t title[256] = L"";
    ::GetWindowTextW(window, title, 256);
    return narrow(title);
}

std::string window_class(HWND window)
{
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    return narrow(name);
}

bool equals_ignoring_case(const std::string& a, const char* b) { return ::lstrcmpiA(a.c_str(), b) == 0; }

}  // namespace

script_commands::script_commands(transport_buttons& buttons, preferences_access& preferences, player_shell& shell,
                                 module_menu& menu, log_sink& log, std::wstring sync_folder)
    : buttons_(buttons),
      preferences_(preferences),
      shell_(shell),
      menu_(menu),
      log_(log),
      sync_folder_(std::move(sync_folder))
{
}

const module_command& script_commands::visualisation_command() const
{
    const module_command* command = menu_.first_visualisation();
    if (command == nullptr) {
        throw std::runtime_error("the module offers no visualisation command (no menu command service)");
    }
    return *command;
}

bool script_commands::sync_arrived(const std::string& name)
{
    const std::wstring path = sync_folder_ + L"\\" + widen(name);
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    ::DeleteFileW(path.c_str());  // so that the same name can be used again
    return true;
}

void script_commands::press_key(key_name key)
{
    const WORD code = key == key_name::escape ? VK_ESCAPE : VK_SPACE;
    HWND foreground = ::GetForegroundWindow();
    if (foreground == nullptr) {
        throw std::runtime_error("no window has the keyboard");
    }
    log_.line("key to \"" + window_title(foreground) + "\"");
    INPUT presses[2]{};
    presses[0].type = INPUT_KEYBOARD;
    presses[0].ki.wVk = code;
    presses[0].ki.wScan = static_cast<WORD>(::MapVirtualKeyW(code, MAPVK_VK_TO_VSC));
    presses[1] = presses[0];
    presses[1].ki.dwFlags = KEYEVENTF_KEYUP;
    if (::SendInput(2, presses, sizeof(INPUT)) != 2) {
        throw std::runtime_error("the key press was refused: " + system_error_text(::GetLastError()));
    }
}

HWND script_commands::page_control(int id)
{
    preferences_window* window = preferences_.open_window();
    if (window == nullptr) {
        throw std::runtime_error("the preferences are not open");
    }
    HWND page = window->page_dialog();
    if (page == nullptr) {
        throw std::runtime_error("the preferences show no page");
    }
    HWND control = ::GetDlgItem(page, id);
    if (control == nullptr) {
        throw std::runtime_error("the page has no control " + std::to_string(id));
    }
    return control;
}

void script_commands::click_on_page(const script_command& command)
{
    if (command.item == "reset") {
        reset_page();
        return;
    }
    if (command.item == "help") {
        preferences_window* window = preferences_.open_window();
        if (window == nullptr) {
            throw std::runtime_error("the preferences are not open");
        }
        log_.line("help " + window->show_help());
        return;
    }
    HWND control = page_control(command.control_id);
    if (!::IsWindowVisible(control) || !::IsWindowEnabled(control)) {
        throw std::runtime_error("control " + std::to_string(command.control_id) +
                                 " cannot be clicked (hidden or disabled)");
    }
    ::SendMessageW(control, BM_CLICK, 0, 0);
}

void script_commands::select_on_page(const script_command& command)
{
    HWND control = page_control(command.control_id);
    if (!equals_ignoring_case(window_class(control), "ComboBox")) {
        throw std::runtime_error("control " + std::to_string(command.control_id) + " is not a combo box");
    }
    if (!::IsWindowEnabled(control)) {
        throw std::runtime_error("control " + std::to_string(command.control_id) + " is disabled");
    }
    // A number picks by position, anything else the item with that text.
    char* end = nullptr;
    long index = std::strtol(command.item.c_str(), &end, 10);
    if (end == command.item.c_str() || *end != '\0') {
        index = static_cast<long>(::SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(widen(command.item).c_str())));
        if (index == CB_ERR) {
            throw std::runtime_error("control " + std::to_string(command.control_id) + " has no item '" + command.item +
                                     "'");
        }
    }
    const LRESULT count = ::SendMessageW(control, CB_GETCOUNT, 0, 0);
    if (index < 0 || index >= count) {
        throw std::runtime_error("control " + std::to_string(command.control_id) + " has no item " +
                                 std::to_string(index) + " (it has " + std::to_string(count) + ")");
    }
    ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // Choosing with the mouse would also tell the page; CB_SETCURSEL alone does not.
    ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(command.control_id, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(control));
}

void script_commands::show_on_page(const script_command& command)
{
    HWND control = page_control(command.control_id);
    std::string line = "prefs " + std::to_string(command.control_id) +
                       " visible=" + std::to_string(::IsWindowVisible(control) ? 1 : 0) +
                       " enabled=" + std::to_string(::IsWindowEnabled(control) ? 1 : 0);
    const std::string type = window_class(control);
    if (equals_ignoring_case(type, "Button")) {
        const LONG style = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
        if (style == BS_CHECKBOX || style == BS_AUTOCHECKBOX || style == BS_3STATE || style == BS_AUTO3STATE) {
            line += " checked=" + std::to_string(::SendMessageW(control, BM_GETCHECK, 0, 0));
        }
    } else if (equals_ignoring_case(type, "ComboBox")) {
        const LRESULT selected = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
        line += " items=" + std::to_string(::SendMessageW(control, CB_GETCOUNT, 0, 0)) +
                " selected=" + std::to_string(selected);
        if (selected >= 0) {
            wchar_t text[128] = L"";
            if (::SendMessageW(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0) < 128) {
                ::SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text));
            }
            line += " text=" + narrow(text);
        }
    }
    log_.line(line);
}

void script_commands::reset_page()
{
    if (preferences_window* window = preferences_.open_window()) {
        window->reset_page();
        return;
    }
    std::vector<preferences_page*> pages = preferences_.pages();
    if (pages.empty()) {
        throw std::runtime_error("the module offers no preferences page");
    }
    if (!pages.front()->reset_supported()) {
        throw std::runtime_error("the page has no reset");
    }
    pages.front()->reset();
}

void script_commands::run(const script_command& command)
{
    switch (command.kind) {
    case command_kind::menu: {
        const module_command& toggle = visualisation_command();
        std::string name;
        if (module_menu::display_state(toggle, name) & menu_flag_disabled) {
            throw std::runtime_error("\"" + name + "\" is disabled");
        }
        module_menu::execute(toggle);
        return;
    }
    case command_kind::key:
        press_key(command.key);
        return;
    case command_kind::play:
        buttons_.press(transport_action::play);
        return;
    case command_kind::pause:
        buttons_.press(transport_action::pause);
        return;
    case command_kind::resume:
        buttons_.resume();
        return;
    case command_kind::stop:
        buttons_.press(transport_action::stop);
        return;
    case command_kind::next:
        buttons_.press(transport_action::next);
        return;
    case command_kind::previous:
        buttons_.press(transport_action::previous);
        return;
    case command_kind::open:
        shell_.open_file(full_path(command.path));
        return;
    case command_kind::drop:
        shell_.drop_file(full_path(command.path));
        return;
    case command_kind::state: {
        std::string name;
        log_.line("state flags=" + std::to_string(module_menu::display_state(visualisation_command(), name)));
        return;
    }
    case command_kind::prefs_open:
        preferences_.open_preferences();
        return;
    case command_kind::prefs_click:
        click_on_page(command);
        return;
    case command_kind::prefs_select:
        select_on_page(command);
        return;
    case command_kind::prefs_show:
        show_on_page(command);
        return;
    case command_kind::prefs_close:
        if (preferences_window* window = preferences_.open_window()) {
            window->close();
        }
        return;
    case command_kind::pick_colour:
        shared_queue_colour_answer(command.colour, TRUE);
        return;
    case command_kind::pick_colour_cancel:
        shared_queue_colour_answer(0, FALSE);
        return;
    case command_kind::reset:
        reset_page();
        return;
    case command_kind::save:
        shell_.save_settings();
        return;
    case command_kind::frames:
        log_.line("frames " + std::to_string(shell_.chunks_asked()));
        return;
    case command_kind::screen:
        log_.line("screen " + current_display_mode());
        return;
    case command_kind::resources:
        log_.line("resources " + shell_.resources());
        return;
    case command_kind::quit:
        shell_.quit();
        return;
    case command_kind::invalid:
    case command_kind::wait:
    case command_kind::sync:
        break;
    }
    throw std::logic_error("the runner handles this command itself");
}

}  // namespace pyrelle::standin
