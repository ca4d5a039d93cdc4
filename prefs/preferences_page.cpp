#include "prefs/preferences_page.h"

#include <exception>
#include <string>

#include "host/host_interfaces.h"
#include "prefs/resource_ids.h"
#include "support/member_window_procedure.h"
#include "support/product_name.h"

namespace pyrelle {

namespace {

// "640x480x8": decimal width, height and depth joined by 'x'.
std::wstring mode_text(const display_mode& mode)
{
    return std::to_wstring(mode.width) + L'x' + std::to_wstring(mode.height) + L'x' +
           std::to_wstring(mode.bits_per_pixel);
}

void set_check(HWND dialog, int control_id, const config_bool& flow)
{
    SendDlgItemMessageW(dialog, control_id, BM_SETCHECK, flow.is_set() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void store_check(HWND dialog, int control_id, config_bool& flow)
{
    flow.value = SendDlgItemMessageW(dialog, control_id, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

// The picker always starts from black custom colours: the page remembers none between picks.
// False when the user cancelled; the colour is then left as it was.
bool pick_colour(HWND dialog, config_int& colour)
{
    DWORD chosen = static_cast<DWORD>(colour.value);
    DWORD custom_colours[16] = {};
    if (uChooseColor(&chosen, dialog, custom_colours) == 0) {
        return false;
    }
    colour.value = static_cast<std::int32_t>(chosen);
    return true;
}

void show_restart_notice(HWND dialog) { ShowWindow(GetDlgItem(dialog, IDC_RESTART_NOTICE), SW_SHOWNORMAL); }

}  // namespace

HWND settings_page::create_window(HWND parent)
{
    // The page travels as the creation parameter and lives in the dialog's user data from
    // WM_INITDIALOG to WM_DESTROY; messages outside that span are not handled.
    return CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_PREFERENCES), parent,
                              member_window_procedure<settings_page, dialog_window>, reinterpret_cast<LPARAM>(this));
}

const char* settings_page::page_name() const noexcept { return component_name; }

guid settings_page::page_guid() const noexcept { return preferences_page_guid; }

guid settings_page::page_parent_guid() const noexcept { return preferences_parent_guid; }

bool settings_page::reset_supported() const noexcept { return true; }

void settings_page::reset()
{
    settings_.reset();
    modes_.rebuild();
}

bool settings_page::help_url(text_object& out)
{
    out.set(help_base_address, whole_text);
    {
        service_ref information;
        host_services_.find(host_information_class, information);
        out.append(static_cast<host_information*>(information.get())->version_text(), whole_text);
    }
    out.append("/preferences/", whole_text);
    char page_id[guid_text_size];
    out.append(format_guid(preferences_page_guid, page_id), whole_text);
    out.append("/", whole_text);
    out.append(page_name(), whole_text);
    return true;
}

INT_PTR settings_page::handle(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        load_controls(dialog);
        break;
    case WM_COMMAND:
        // Whatever the notification: even a combo box that merely gains the focus stores its
        // selection again.
        handle_command(dialog, LOWORD(wparam));
        break;
    default:
        break;
    }
    return 0;
}

void settings_page::load_controls(HWND dialog)
{
    modes_.rebuild();
    const display_mode_list& modes = modes_.list;

    // Unsorted, so that item i is mode i.
    for (const display_mode& mode : modes) {
        const std::wstring text = mode_text(mode);
        SendDlgItemMessageW(dialog, IDC_DISPLAY_MODE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    configuration& settings = settings_;
    settings.display_mode_index.value = clamp_display_mode_index(settings.display_mode_index.value, modes.count());
    if (!modes.empty()) {
        SendDlgItemMessageW(dialog, IDC_DISPLAY_MODE, CB_SETCURSEL,
                            static_cast<WPARAM>(settings.display_mode_index.value), 0);
    }

    set_check(dialog, IDC_HIGH_FLOW, settings.high_flow);
    set_check(dialog, IDC_MIDDLE_FLOW, settings.middle_flow);
    set_check(dialog, IDC_LOW_FLOW, settings.low_flow);

    EnableWindow(GetDlgItem(dialog, IDC_DISPLAY_MODE), modes.empty() ? FALSE : TRUE);
}

void settings_page::handle_command(HWND dialog, int control_id)
{
    configuration& settings = settings_;
    switch (control_id) {
    case IDC_HIGH_COLOUR:
        if (pick_colour(dialog, settings.high_colour)) {
            show_restart_notice(dialog);
        }
        break;
    case IDC_MIDDLE_COLOUR:
        if (pick_colour(dialog, settings.middle_colour)) {
            show_restart_notice(dialog);
        }
        break;
    case IDC_LOW_COLOUR:
        if (pick_colour(dialog, settings.low_colour)) {
            show_restart_notice(dialog);
        }
        break;
    case IDC_HIGH_FLOW:
        store_check(dialog, IDC_HIGH_FLOW, settings.high_flow);
        show_restart_notice(dialog);
        break;
    case IDC_MIDDLE_FLOW:
        store_check(dialog, IDC_MIDDLE_FLOW, settings.middle_flow);
        show_restart_notice(dialog);
        break;
    case IDC_LOW_FLOW:
        store_check(dialog, IDC_LOW_FLOW, settings.low_flow);
        show_restart_notice(dialog);
        break;
    case IDC_DISPLAY_MODE:
        settings.display_mode_index.value =
            static_cast<std::int32_t>(SendDlgItemMessageW(dialog, IDC_DISPLAY_MODE, CB_GETCURSEL, 0, 0));
        show_restart_notice(dialog);
        break;
    default:
        break;
    }
}

}  // namespace pyrelle
