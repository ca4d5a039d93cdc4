#pragma once
// Functions of the host's `shared` library (shared.dll) that the module imports by name.
#include <windows.h>

extern "C" {

// CreateWindowExW's arguments in the same order, with the class name and title as UTF-8. The
// creation messages reach the window procedure before it returns, `param` as the creation
// parameter. Returns the window or null.
__declspec(dllimport) HWND __cdecl uCreateWindowEx(DWORD ex_style, const char* class_name, const char* title,
                                                   DWORD style, int x, int y, int width, int height, HWND parent,
                                                   HMENU menu, HINSTANCE instance, void* param);

// The colour picker: `colour` in is the colour to start from, out the chosen one; `custom_colours`
// points at 16 COLORREFs. Non-zero when the user accepted a colour.
__declspec(dllimport) BOOL __cdecl uChooseColor(DWORD* colour, HWND owner, DWORD* custom_colours);
}
