// The automation script's commands, each doing what the user would do through the windows.
#include <windows.h>

#include <cstdlib>
#include <stdexcept>

#include "host_standin/orvanel_host/application.h"
#include "host_standin/orvanel_host/process_report.h"
#include "host_standin/orvanel_host/wide_text.h"
#include "shared_automation.h"
#include "support/run_names.h"

namespace pyrelle::standin {
namespace {

// The run window's class, for the resources report: registered only while a run exists.
constexpr const wchar_t* visualisation_window_class = run_window_class_name_wide.data();

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

const module_command& application::visualisation_command() const
{
    const module_command* command = menu_ ? menu_->first_visualisation() : nullptr;
    if (command == nullptr) {
        throw std::runtime_error("the module offers no visualisation command (no menu command service)");
    }
    return *command;
}

bool application::sync_arrived(const std::string& name)
{
    const std::wstring path = sync_folder_ + L"\\" + widen(name);
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    ::DeleteFileW(path.c_str());  // so that the same name can be used again
    return true;
}

void application::press_key(key_name key)
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

HWND application::page_control(int id) const
{
    if (!preferences_ || !preferences_->is_open()) {
        throw std::runtime_error("the preferences are not open");
    }
    HWND page = preferences_->page_dialog();
    if (page == nullptr) {
        throw std::runtime_error("the preferences show no page");
    }
    HWND control = ::GetDlgItem(page, id);
    if (control == nullptr) {
        throw std::runtime_error("the page has no control " + std::to_string(id));
    }
    return control;
}

void application::click_on_page(const script_command& command)
{
    if (command.item == "reset") {
        reset_page();
        return;
    }
    if (command.item == "help") {
        if (!preferences_ || !preferences_->is_open()) {
            throw std::runtime_error("the preferences are not open");
        }
        log_.line("help " + preferences_->show_help());
        return;
    }
    HWND control = page_control(command.control_id);
    if (!::IsWindowVisible(control) || !::IsWindowEnabled(control)) {
        throw std::runtime_error("control " + std::to_string(command.control_id) +
                                 " cannot be clicked (hidden or disabled)");
    }
    ::SendMessageW(control, BM_CLICK, 0, 0);
}

void application::select_on_page(const script_command& command)
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

void application::show_on_page(const script_command& command)
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

void application::reset_page()
{
    if (preferences_ && preferences_->is_open()) {
        preferences_->reset_page();
        return;
    }
    std::vector<preferences_page*> pages = module_->services_of<preferences_page>(preferences_page_class);
    if (pages.empty()) {
        throw std::runtime_error("the module offers no preferences page");
    }
    if (!pages.front()->reset_supported()) {
        throw std::runtime_error("the page has no reset");
    }
    pages.front()->reset();
}

void application::report_resources()
{
    const bool registered = window_class_registered(module_->handle(), visualisation_window_class);
    log_.line("resources " + describe(measure_process()) + " window_class=" + (registered ? "1" : "0") +
              " host_objects=" + std::to_string(live_transient_objects()) +
              " streams_held=" + std::to_string(visualisation_->references()));
}

void application::run(const script_command& command)
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
        move_playback(transport_action::play);
        return;
    case command_kind::pause:
        move_playback(transport_action::pause);
        return;
    case command_kind::resume:
        transport_->resume();
        sound_->follow(false);
        update_status();
        return;
    case command_kind::stop:
        move_playback(transport_action::stop);
        return;
    case command_kind::next:
        move_playback(transport_action::next);
        return;
    case command_kind::previous:
        move_playback(transport_action::previous);
        return;
    case command_kind::open:
        // File > Open... as the menu runs it, with this file as the dialog's answer.
        scripted_open_ = full_path(command.path);
        window_->choose_open();
        return;
    case command_kind::drop:
        window_->drop({full_path(command.path)});
        return;
    case command_kind::state: {
        std::string name;
        log_.line("state flags=" + std::to_string(module_menu::display_state(visualisation_command(), name)));
        return;
    }
    case command_kind::prefs_open:
        open_preferences();
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
        if (preferences_) {
            preferences_->close();
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
        save_settings();
        return;
    case command_kind::frames:
        log_.line("frames " + std::to_string(visualisation_->fill_chunk_calls()));
        return;
    case command_kind::screen:
        log_.line("screen " + current_display_mode());
        return;
    case command_kind::resources:
        report_resources();
        return;
    case command_kind::quit:
        window_->close();
        return;
    case command_kind::invalid:
    case command_kind::wait:
    case command_kind::sync:
        break;
    }
    throw std::logic_error("the runner handles this command itself");
}

}  // namespace pyrelle::standin
