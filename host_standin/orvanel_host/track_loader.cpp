#include "host_standin/orvanel_host/track_loader.h"

#include <windows.h>

#include <cwctype>

#include "host_standin/orvanel_host/media_foundation_reader.h"
#include "host_standin/orvanel_host/wav_file.h"
#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

bool has_wav_extension(const std::wstring& path)
{
    const std::size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || path.size() - dot != 4) {
        return false;
    }
    std::wstring extension = path.substr(dot + 1);
    for (wchar_t& c : extension) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return extension == L"wav";
}

// What can be said of the path before any reader opens it; empty when it is a file with bytes.
std::string unusable_path(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &facts)) {
        return system_error_text(::GetLastError());
    }
    if ((facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return "a folder, not a sound file";
    }
    if (facts.nFileSizeHigh == 0 && facts.nFileSizeLow == 0) {
        return "the file is empty";
    }
    return {};
}

}  // namespace

std::wstring file_name_of(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::unique_ptr<sound_source> open_track_source(const std::wstring& path, bool decoders)
{
    if (const std::string why = unusable_path(path); !why.empty()) {
        throw track_error(why);
    }
    std::string wav_refusal;
    if (has_wav_extension(path)) {
        try {
            return open_wav_file(path);
        } catch (const wav_error& error) {
            wav_refusal = error.what();
        }
    }
    if (!decoders) {
        throw track_error(!wav_refusal.empty() ? wav_refusal + ", and the system's decoders are unavailable"
                                               : "the system's decoders are unavailable, so only WAV files play");
    }
    try {
        return open_with_media_foundation(path);
    } catch (const decode_error& error) {
        throw track_error(error.what());
    }
}

}  // namespace pyrelle::standin
