#pragma once
// Stored settings blobs as files: what the player keeps in its configuration store, saved to disk.
#include <cstddef>
#include <string>

#include "config/configuration.h"

namespace pyrelle::tools {

enum class config_file_status {
    applied,     // every record up to the end of the file was applied
    unreadable,  // the file could not be opened or read, or is too large; nothing was applied
    corrupted,   // the blob broke off; the records before the break stay applied
};

// The most that a settings file may hold: far above any real blob (183 bytes today), and small
// enough that a device or FIFO that never ends, or a huge file named by mistake, is refused at once.
constexpr std::size_t max_configuration_file_size = std::size_t{1} << 20;

// Applies the file to `config` exactly as the module applies a blob from the player; a file over
// max_configuration_file_size is `unreadable` and changes nothing. On anything but `applied`,
// `error` receives a one-line message naming the file and the problem.
config_file_status apply_configuration_file(const std::string& path, configuration& config, std::string& error);

// apply_configuration_file for callers that only need to know whether it worked.
bool load_configuration_file(const std::string& path, configuration& config, std::string& error);

// Writes the blob of `config` to `path` as an output_file: a regular file is either the old one or
// the whole new blob, a link's target is replaced, a FIFO or device written through. Returns false
// with a one-line message in `error` when that fails. SIGINT or SIGTERM meanwhile removes what was
// begun and ends the process by that signal.
bool save_configuration_file(const std::string& path, configuration& config, std::string& error);

}  // namespace pyrelle::tools
