#pragma once
// File > Open...: the system's open dialog, filtered to sound files, several at a time.
#include <windows.h>

#include <string>
#include <vector>

namespace pyrelle::standin {

// The chosen files, full paths in the dialog's order; none when the user cancelled. Starts in
// `folder` (empty: wherever the system last was). Throws std::runtime_error when the dialog
// itself failed.
std::vector<std::wstring> ask_for_sound_files(HWND owner, const std::wstring& folder);

// The folder part of a path ("C:\Music" of "C:\Music\a.mp3").
std::wstring folder_of(const std::wstring& path);

}  // namespace pyrelle::standin
