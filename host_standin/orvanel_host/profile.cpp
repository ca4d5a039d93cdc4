#include "host_standin/orvanel_host/profile.h"

#include <windows.h>

#include <shlobj.h>

#include <optional>
#include <string>

#include "config/streams.h"
#include "host_standin/orvanel_host/file_streams.h"
#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

constexpr wchar_t config_name[] = L"pyrelle.cfg";

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

std::wstring default_profile_folder()
{
    wchar_t folder[MAX_PATH] = L"";
    const HRESULT result = ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (FAILED(result) || folder[0] == L'\0') {
        throw file_error("Windows names no application data folder for this user (--profile DIR gives one)");
    }
    return std::wstring(folder) + L"\\Orvanel";
}

profile::profile(std::wstring folder) : folder_(std::move(folder))
{
    while (folder_.size() > 1 && (folder_.back() == L'\\' || folder_.back() == L'/')) {
        folder_.pop_back();
    }
}

std::wstring profile::config_path() const { return folder_.empty() ? config_name : folder_ + L"\\" + config_name; }

// The first free name of pyrelle.cfg.bad, pyrelle.cfg.2.bad ... pyrelle.cfg.999.bad; empty when
// all are taken.
std::wstring profile::free_bad_name() const
{
    const std::wstring base = config_path();
    constexpr int last_number = 999;
    for (int n = 1; n <= last_number; ++n) {
        const std::wstring candidate = n == 1 ? base + L".bad" : base + L"." + std::to_wstring(n) + L".bad";
        if (::GetFileAttributesW(candidate.c_str()) == INVALID_FILE_ATTRIBUTES &&
            ::GetLastError() == ERROR_FILE_NOT_FOUND) {
            return candidate;
        }
    }
    return {};
}

load_outcome profile::load(module_interface& module)
{
    load_outcome outcome;
    kept_reason_.clear();
    const std::wstring path = config_path();
    const auto keep = [&](load_outcome::kind what, std::string reason) {
        outcome.what = what;
        outcome.reason = std::move(reason);
        kept_reason_ = outcome.reason;
        return outcome;
    };

    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return outcome;
        }
        return keep(load_outcome::unreadable, "cannot examine it: " + system_error_text(code));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return keep(load_outcome::unreadable, "it is a folder, not a file");
    }

    // What the settings are now, so that a file read in part leaves no trace in them.
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
    } catch (const file_error& error) {
        // The file system failed, not the module: nothing to blame on the file's content, and
        // nothing to replace it with.
        restore();
        return keep(load_outcome::unreadable, error.what());
    } catch (const std::exception& error) {
        outcome.reason = error.what();
    } catch (...) {
        outcome.reason = "an exception that is not a standard one";
    }
    outcome.what = load_outcome::rejected;
    restore();

    const std::wstring aside = free_bad_name();
    if (aside.empty()) {
        outcome.not_moved_because = "every name from pyrelle.cfg.bad to pyrelle.cfg.999.bad is taken";
    } else if (!::MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
        outcome.not_moved_because = "it could not be moved aside: " + system_error_text(::GetLastError());
    } else {
        outcome.kept_aside_as = aside;
        return outcome;
    }
    kept_reason_ = "the module rejected it; " + outcome.not_moved_because;
    return outcome;
}

std::string describe(const load_outcome& outcome, const std::wstring& path)
{
    const std::string name = narrow(path);
    switch (outcome.what) {
    case load_outcome::no_file:
        return "no " + name + ", starting with the defaults";
    case load_outcome::loaded:
        return "read " + name;
    case load_outcome::unreadable:
        return "cannot read " + name + " (" + outcome.reason + "); starting with the defaults and leaving it as it is";
    case load_outcome::rejected:
        break;
    }
    return "the module rejected " + name + " (" + outcome.reason + "); " +
           (outcome.kept_aside_as.empty() ? "left as it is (" + outcome.not_moved_because + ")"
                                          : "kept as " + narrow(outcome.kept_aside_as)) +
           "; starting with the defaults";
}

save_outcome profile::save(module_interface& module)
{
    if (!kept_reason_.empty()) {
        return save_outcome::left_alone;
    }
    make_folder(folder_);
    const std::wstring path = config_path();
    // A name of this process's own, made new: a user's file of another name, or another player
    // saving to the same profile at the same moment, is never truncated, renamed or deleted.
    const std::wstring temporary = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    host_abort abort;
    std::optional<file_writer> writer;
    writer.emplace(temporary, true);  // throws before anything is made
    try {
        module.write_configuration(*writer, abort);
        writer->finish();
    } catch (...) {
        writer.reset();  // closed, so that it can go
        ::DeleteFileW(temporary.c_str());
        throw;
    }
    if (!::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        throw file_error("cannot replace " + narrow(path) + ": " + system_error_text(code));
    }
    return save_outcome::written;
}

}  // namespace pyrelle::standin
