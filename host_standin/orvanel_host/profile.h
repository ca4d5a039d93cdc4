#pragma once
// The profile folder and the module's pyrelle.cfg in it.
//
// At start the module reads the file; a file it rejects (its read throws) is moved aside, byte
// for byte, under a ".bad" name, and the module's settings go back to what they were before the
// read began, so the player starts with the defaults rather than with half a file. The module
// writes a temporary file that then replaces pyrelle.cfg in one rename, so a crash while writing
// never leaves a half-written configuration behind.
//
// Whatever is at pyrelle.cfg and was not read (a file another program holds locked, a folder, a
// rejected file that could not be moved aside) is never replaced: its bytes may be all the user
// has of their settings. Saving then leaves it as it is.
#include <string>

#include "host/host_interfaces.h"

namespace pyrelle::standin {

struct load_outcome {
    enum kind { no_file, loaded, rejected, unreadable } what = no_file;
    std::string reason;             // rejected: the module's message; unreadable: what is wrong
    std::wstring kept_aside_as;     // rejected: where the file went (empty when it could not move)
    std::string not_moved_because;  // rejected and not moved: why it stays where it is
};

enum class save_outcome { written, left_alone };

// The user's own settings folder, %APPDATA%\Orvanel: a program's folder (under Program Files, say)
// is often not writable. Throws file_error when Windows names no such folder.
std::wstring default_profile_folder();

// One line for the log: what was found at `path` and what the player starts with.
std::string describe(const load_outcome& outcome, const std::wstring& path);

class profile {
public:
    explicit profile(std::wstring folder);

    const std::wstring& folder() const noexcept { return folder_; }
    std::wstring config_path() const;

    // The module's settings stay as they were unless the outcome is `loaded`.
    load_outcome load(module_interface& module);

    // left_alone when what load() found at pyrelle.cfg must be kept (see above). Throws
    // file_error when the file cannot be written; pyrelle.cfg is then left as it was. An
    // exception from the module's write passes through, with the same guarantee.
    save_outcome save(module_interface& module);

    // Why save() leaves pyrelle.cfg alone; empty when it does not.
    const std::string& kept_reason() const noexcept { return kept_reason_; }

private:
    std::wstring free_bad_name() const;

    std::wstring folder_;
    std::string kept_reason_;
};

}  // namespace pyrelle::standin
