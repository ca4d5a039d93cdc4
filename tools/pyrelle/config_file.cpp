#include "tools/pyrelle/config_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <vector>

#include "config/config_blob.h"
#include "config/streams.h"
#include "tools/pyrelle/interruption.h"
#include "tools/pyrelle/output_file.h"

namespace pyrelle::tools {
config_file_status apply_configuration_file(const std::string& path, configuration& config, std::string& error)
{
    unique_file file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return config_file_status::unreadable;
    }
    // Read whole first, one byte past the bound: an oversized or endless input is refused before
    // anything of it is applied.
    std::vector<char> bytes(max_configuration_file_size + 1);
    const std::size_t size = std::fread(bytes.data(), 1, bytes.size(), file.get());
    if (std::ferror(file.get())) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return config_file_status::unreadable;
    }
    if (size > max_configuration_file_size) {
        error = "cannot read " + path + ": more than 1 MiB, and a settings blob is a few hundred bytes";
        return config_file_status::unreadable;
    }
    memory_reader in(bytes.data(), size);
    never_abort no_abort;
    try {
        read_configuration(config, in, no_abort);
    } catch (const std::exception& e) {
        error = path + ": " + e.what();
        return config_file_status::corrupted;
    }
    return config_file_status::applied;
}

bool load_configuration_file(const std::string& path, configuration& config, std::string& error)
{
    return apply_configuration_file(path, config, error) == config_file_status::applied;
}

bool save_configuration_file(const std::string& path, configuration& config, std::string& error)
{
    byte_buffer blob;
    memory_writer out(blob);
    never_abort no_abort;
    write_configuration(config, out, no_abort);

    // Ctrl-C while the file is written (or while a FIFO waits for its reader) leaves no
    // temporary file behind: the write stops, the file goes, and the process ends by the signal.
    const interruption_guard interruptions;
    try {
        output_file file(path);
        file.write(blob.data(), blob.size());
        file.commit();
    } catch (const std::exception& e) {
        if (interruption_signal() != 0) {
            end_by_interruption();
        }
        error = e.what();
        return false;
    }
    return true;
}

}  // namespace pyrelle::tools
