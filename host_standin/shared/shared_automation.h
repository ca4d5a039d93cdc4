#pragma once
// Hooks of the stand-in shared.dll for automation and tests. A queued answer makes the next
// uChooseColor call return without showing a dialog; answers are used in the order queued.
#include <windows.h>

extern "C" {

// accept FALSE: the user cancels the picker. Otherwise the picker returns `colour`.
__declspec(dllimport) void __cdecl shared_queue_colour_answer(DWORD colour, BOOL accept);

// The same, and the picker also overwrites the caller's 16 custom colours with `custom_colours`,
// as a user who defines custom colours in the dialog does.
__declspec(dllimport) void __cdecl shared_queue_colour_answer_with_custom_colours(DWORD colour, BOOL accept,
                                                                                  const DWORD* custom_colours);

// What the latest uChooseColor call was given: the colour it started from, its owner and the 16
// custom colours as they were at the call. FALSE (outputs untouched) before the first call. Any
// output may be null.
__declspec(dllimport) BOOL __cdecl shared_last_colour_request(DWORD* initial_colour, HWND* owner,
                                                              DWORD* custom_colours);

// uChooseColor calls so far, answered or shown.
__declspec(dllimport) DWORD __cdecl shared_colour_request_count(void);
}
