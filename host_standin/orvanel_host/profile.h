#pragma once
// The profile folder and the module's pyrelle.cfg in it.
//
// At start the module reads the file; a file it rejects (its read throws) is moved aside, byte
// for byte, under a ".bad" name, and the module's settings go back to what they were before the
// read began, so the player starts with the defaults rather than with half a file. At exit the
// module writes a temporary file that then replaces pyrelle.cfg in one rename, so a crash while
// writing never leaves a half-written configuration behind.
#include <string>

#include "host/host_interfaces.h"

namespace pyrelle::standin {

struct load_outcome {
    enum kind { no_file, loaded, rejected } what = no_file;
    std::string reason;           // rejected: the module's message
    std::wstring kept_aside_as;   // rejected: where the file went (empty when it could not move)
};

class profile {
public:
    explicit profile(std::wstring folder);

    const std::wstring& folder() const noexcept { return folder_; }
    std::wstring config_path() const;

    // Throws file_error only when the file exists but cannot be opened.
    load_outcome load(module_interface& module);

    // Throws file_error when the file cannot be written; pyrelle.cfg is then left as it was. An
    // exception from the module's write passes through, with the same guarantee.
    void save(module_interface& module);

private:
    std::wstring free_bad_name() const;

    std::wstring folder_;
};

}  // namespace pyrelle::standin
