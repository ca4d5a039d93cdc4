// The stand-in for the host's shared.dll.
#include <windows.h>

#include <commdlg.h>

#include <cstring>
#include <deque>
#include <mutex>

#include "support/utf16_buffer.h"

namespace {

struct colour_answer {
    DWORD colour;
    BOOL accept;
    bool defines_custom_colours;
    DWORD custom_colours[16];
};

struct colour_request {
    DWORD initial_colour;
    HWND owner;
    DWORD custom_colours[16];
};

// The picker may be driven from another thread than the one that calls it.
std::mutex automation_lock;
std::deque<colour_answer> queued_answers;
colour_request last_request{};
DWORD request_count = 0;

const wchar_t* wide(const pyrelle::utf16_buffer& text) { return reinterpret_cast<const wchar_t*>(text.data()); }

}  // namespace

extern "C" {

HWND __cdecl uCreateWindowEx(DWORD ex_style, const char* class_name, const char* title, DWORD style, int x, int y,
                             int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    // A class may be named by its atom instead of a text.
    const bool class_is_atom = IS_INTRESOURCE(class_name);
    const pyrelle::utf16_buffer wide_class(class_is_atom ? "" : class_name);
    const pyrelle::utf16_buffer wide_title(title);
    const wchar_t* const class_argument =
        class_is_atom ? reinterpret_cast<const wchar_t*>(class_name) : wide(wide_class);
    return CreateWindowExW(ex_style, class_argument, wide(wide_title), style, x, y, width, height, parent, menu,
                           instance, param);
}

BOOL __cdecl uChooseColor(DWORD* colour, HWND owner, DWORD* custom_colours)
{
    colour_answer answer{};
    bool answered = false;
    {
        const std::lock_guard<std::mutex> guard(automation_lock);
        last_request.initial_colour = *colour;
        last_request.owner = owner;
        std::memcpy(last_request.custom_colours, custom_colours, sizeof(last_request.custom_colours));
        ++request_count;
        if (!queued_answers.empty()) {
            answer = queued_answers.front();
            queued_answers.pop_front();
            answered = true;
        }
    }
    if (answered) {
        // Like a user who defines custom colours in the dialog, whether or not they confirm.
        if (answer.defines_custom_colours) {
            std::memcpy(custom_colours, answer.custom_colours, sizeof(answer.custom_colours));
        }
        if (answer.accept) {
            *colour = answer.colour;
        }
        return answer.accept;
    }

    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.rgbResult = *colour;
    dialog.lpCustColors = custom_colours;
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&dialog)) {
        return FALSE;
    }
    *colour = dialog.rgbResult;
    return TRUE;
}

void __cdecl shared_queue_colour_answer(DWORD colour, BOOL accept)
{
    const std::lock_guard<std::mutex> guard(automation_lock);
    queued_answers.push_back({colour, accept, false, {}});
}

void __cdecl shared_queue_colour_answer_with_custom_colours(DWORD colour, BOOL accept, const DWORD* custom_colours)
{
    colour_answer answer{colour, accept, true, {}};
    std::memcpy(answer.custom_colours, custom_colours, sizeof(answer.custom_colours));
    const std::lock_guard<std::mutex> guard(automation_lock);
    queued_answers.push_back(answer);
}

BOOL __cdecl shared_last_colour_request(DWORD* initial_colour, HWND* owner, DWORD* custom_colours)
{
    const std::lock_guard<std::mutex> guard(automation_lock);
    if (request_count == 0) {
        return FALSE;
    }
    if (initial_colour != nullptr) {
        *initial_colour = last_request.initial_colour;
    }
    if (owner != nullptr) {
        *owner = last_request.owner;
    }
    if (custom_colours != nullptr) {
        std::memcpy(custom_colours, last_request.custom_colours, sizeof(last_request.custom_colours));
    }
    return TRUE;
}

DWORD __cdecl shared_colour_request_count(void)
{
    const std::lock_guard<std::mutex> guard(automation_lock);
    return request_count;
}

}  // extern "C"
