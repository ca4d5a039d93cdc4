#include "tools/pyrelle/config_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>

#include "config/config_blob.h"
#include "config/streams.h"
#include "tools/pyrelle/interruption.h"
#include "tools/pyrelle/output_file.h"

namespace pyrelle::tools {
namespace {

// The file failed to read, as opposed to holding a broken blob. Kept apart from the module's own
// exceptions so that read_configuration passes it through untouched.
struct file_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Streams the file to the reader instead of loading it, so an oversized file costs no memory.
class file_reader final : public module_reader {
public:
    explicit file_reader(std::FILE* file) noexcept : file_(file) {}

    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal&) override
    {
        const std::size_t got = std::fread(buffer, 1, count, file_);
        if (got < count && std::ferror(file_))
            throw file_error(std::strerror(errno));
        return static_cast<std::uint32_t>(got);
    }

private:
    std::FILE* file_;
};

struct file_closer {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

}  // namespace

config_file_status apply_configuration_file(const std::string& path, configuration& config, std::string& error)
{
    std::unique_ptr<std::FILE, file_closer> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return config_file_status::unreadable;
    }
    file_reader in(file.get());
    never_abort no_abort;
    try {
        read_configuration(config, in, no_abort);
    } catch (const file_error& e) {
        error = "cannot read " + path + ": " + e.what();
        return config_file_status::unreadable;
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
        if (interruption_signal() != 0)
            end_by_interruption();
        error = e.what();
        return false;
    }
    return true;
}

}  // namespace pyrelle::tools
