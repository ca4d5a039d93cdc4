#include "host_standin/orvanel_host/open_dialog.h"

#include <commdlg.h>

#include <stdexcept>

namespace pyrelle::standin {
namespace {

// Pairs of a name and its patterns, each ending in a NUL, the whole ending in another.
constexpr wchar_t filter[] =
    L"Sound files (mp3, flac, ogg, m4a, aac, wma, wav)\0*.mp3;*.flac;*.ogg;*.oga;*.m4a;*.aac;*.wma;*.wav\0"
    L"All files\0*.*\0";

// Room for many names from one folder (the buffer holds the folder, then each name).
constexpr std::size_t buffer_characters = 64 * 1024;

}  // namespace

std::wstring folder_of(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::vector<std::wstring> ask_for_sound_files(HWND owner, const std::wstring& folder)
{
    std::wstring buffer(buffer_characters, L'\0');
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
    request.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    request.lpstrTitle = L"Open sound files";
    request.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!::GetOpenFileNameW(&request)) {
        const DWORD error = ::CommDlgExtendedError();
        if (error == 0) {
            return {};  // cancelled
        }
        throw std::runtime_error("the open dialog failed (error " + std::to_string(error) + ")");
    }
    // One file: its full path. Several: the folder, then each name, each ending in a NUL.
    std::vector<std::wstring> parts;
    for (const wchar_t* part = buffer.c_str(); *part != L'\0'; part += parts.back().size() + 1) {
        parts.emplace_back(part);
    }
    if (parts.size() <= 1) {
        return parts;
    }
    std::vector<std::wstring> paths;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        paths.push_back(parts[0] + L"\\" + parts[i]);
    }
    return paths;
}

}  // namespace pyrelle::standin
