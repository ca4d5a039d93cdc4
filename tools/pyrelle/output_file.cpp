#include "tools/pyrelle/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "tools/pyrelle/interruption.h"
#include "tools/pyrelle/link_target.h"

namespace pyrelle::tools {

output_file::output_file(const std::string& path) : path_(path)
{
    if (path == "-") {
        fd_.reset(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
        if (!fd_) {
            fail_on_file("cannot write", path, errno);
        }
        return;
    }
    target_ = final_link_target(path);
    struct stat st{};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        fail_on_file("cannot write", path, errno);
    }
    if (exists && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        // A reader on a FIFO (or a device) takes the bytes as they come: nothing to replace.
        fd_.reset(::open(target_.c_str(), O_WRONLY | O_CLOEXEC));
        if (!fd_) {
            fail_on_file("cannot write", path, errno);
        }
        return;
    }
    if (exists && S_ISDIR(st.st_mode)) {
        fail_on_file("cannot write", path, EISDIR);
    }
    if (exists && !S_ISREG(st.st_mode)) {
        throw std::runtime_error("cannot write '" + path + "': not a regular file, FIFO or character device");
    }
    // The rename needs only the folder's permission: a file its owner protected is not ours to
    // replace. Without any write permission it is protected from root too, whom access() lets by.
    if (exists && ::access(target_.c_str(), W_OK) != 0) {
        fail_on_file("cannot write", path, errno);
    }
    if (exists && (st.st_mode & 0222) == 0) {
        fail_on_file("cannot write", path, EACCES);
    }
    // Beside the target, so that the rename stays on one file system.
    std::string temporary = target_ + ".partial-XXXXXX";
    fd_.reset(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd_) {
        fail_on_file("cannot create", path, errno);
    }
    temporary_ = temporary;
    // mkstemp makes the file private: keep the replaced file's mode, or give a new file the usual one.
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd_.get(), mode);
}

output_file::~output_file()
{
    fd_.reset();
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
    }
}

void output_file::write(const void* data, std::size_t size) { write_all(fd_.get(), data, size, path_); }

void output_file::flush()
{
    if (temporary_.empty() || !fd_) {
        return;
    }
    if (::fsync(fd_.get()) != 0) {
        fail_on_file("cannot write", path_, errno);
    }
    if (const int error = fd_.close(); error != 0) {
        fail_on_file("cannot write", path_, error);
    }
}

void output_file::commit()
{
    if (temporary_.empty()) {
        fd_.reset();
        return;
    }
    flush();
    // A signal during the flush still stops the command: nothing it began is moved into place.
    stop_if_interrupted();
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        fail_on_file("cannot replace", path_, errno);
    }
    temporary_.clear();
}

}  // namespace pyrelle::tools
