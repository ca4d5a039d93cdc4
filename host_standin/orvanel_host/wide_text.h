#pragma once
// UTF-8 and UTF-16 for the stand-in's own Win32 calls (the module has its own conversion).
#include <string>

namespace pyrelle::standin {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

// The absolute form of a path the user typed (UTF-8), as GetFullPathNameW makes it; the path
// itself when it cannot.
std::wstring full_path(const std::string& path);

// The text of a Win32 error code, without the trailing line end.
std::string system_error_text(unsigned long code);

}  // namespace pyrelle::standin
