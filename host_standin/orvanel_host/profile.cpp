#include "host_standin/orvanel_host/profile.h"

#include <windows.h>

#include "config/streams.h"
#include "host_standin/orvanel_host/file_streams.h"
#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

constexpr wchar_t config_name[] = L"pyrelle.cfg";

bool file_exists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Creates the folder and its missing parents; an existing folder is fine.
void make_folder(const std::wstring& folder)
{
    if (folder.empty() || ::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return;
    }
    const std::size_t slash = folder.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0) {
        make_folder(folder.substr(0, slash));
    }
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        throw file_error("cannot create the profile folder " + narrow(folder) + ": " +
                         system_error_text(::GetLastError()));
    }
}

}  // namespace

profile::profile(std::wstring folder) : folder_(std::move(folder))
{
    while (folder_.size() > 1 && (folder_.back() == L'\\' || folder_.back() == L'/')) {
        folder_.pop_back();
    }
}

std::wstring profile::config_path() const
{
    return folder_.empty() ? config_name : folder_ + L"\\" + config_name;
}

std::wstring profile::free_bad_name() const
{
    const std::wstring base = config_path();
    std::wstring candidate = base + L".bad";
    for (int n = 2; file_exists(candidate) && n < 1000; ++n) {
        candidate = base + L"." + std::to_wstring(n) + L".bad";
    }
    return candidate;
}

load_outcome profile::load(module_interface& module)
{
    load_outcome outcome;
    const std::wstring path = config_path();
    if (!file_exists(path)) {
        return outcome;
    }

    // What the settings are now, so that a rejected file leaves no trace in them.
    host_abort abort;
    byte_buffer before;
    memory_writer snapshot(before);
    module.write_configuration(snapshot, abort);

    const auto restore = [&] {
        memory_reader earlier(before.data(), before.size());
        module.read_configuration(earlier, abort);
    };
    try {
        file_reader reader(path);
        module.read_configuration(reader, abort);
        outcome.what = load_outcome::loaded;
        return outcome;
    } catch (const file_error&) {
        // The file system failed, not the module: nothing to blame on the file's content.
        restore();
        throw;
    } catch (const std::exception& error) {
        outcome.reason = error.what();
    } catch (...) {
        outcome.reason = "an exception that is not a standard one";
    }
    outcome.what = load_outcome::rejected;
    restore();

    const std::wstring aside = free_bad_name();
    if (::MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
        outcome.kept_aside_as = aside;
    }
    return outcome;
}

void profile::save(module_interface& module)
{
    make_folder(folder_);
    const std::wstring path = config_path();
    const std::wstring temporary = path + L".tmp";
    host_abort abort;
    try {
        file_writer writer(temporary);
        module.write_configuration(writer, abort);
        writer.finish();
    } catch (...) {
        ::DeleteFileW(temporary.c_str());
        throw;
    }
    if (!::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        throw file_error("cannot replace " + narrow(path) + ": " + system_error_text(code));
    }
}

}  // namespace pyrelle::standin
