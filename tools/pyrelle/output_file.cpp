#include "tools/pyrelle/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "tools/pyrelle/interruption.h"
#include "tools/pyrelle/link_target.h"

namespace pyrelle::tools {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int error) { fail_on_file(what, path, error); }

}  // namespace

void fail_on_file(const std::string& what, const std::string& path, int error)
{
    throw std::runtime_error(what + " '" + path + "': " + std::strerror(error));
}

void write_all(int fd, const void* data, std::size_t size, const std::string& path)
{
    const auto* p = static_cast<const char*>(data);
    while (size != 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0)
            fail("cannot write", path, errno);  // EINTR too: an interrupted render stops
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

output_file::output_file(const std::string& path) : path_(path)
{
    if (path == "-") {
        fd_ = STDOUT_FILENO;
        return;
    }
    target_ = final_link_target(path);
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        fail("cannot write", path, errno);
    if (exists && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        // A reader on a FIFO (or a device) takes the bytes as they come: nothing to replace.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0)
            fail("cannot write", path, errno);
        close_fd_ = true;
        return;
    }
    if (exists && S_ISDIR(st.st_mode))
        fail("cannot write", path, EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        throw std::runtime_error("cannot write '" + path + "': not a regular file, FIFO or character device");
    }
    // The rename needs only the folder's permission: a file its owner protected is not ours to
    // replace. Without any write permission it is protected from root too, whom access() lets by.
    if (exists && ::access(target_.c_str(), W_OK) != 0)
        fail("cannot write", path, errno);
    if (exists && (st.st_mode & 0222) == 0)
        fail("cannot write", path, EACCES);
    // Beside the target, so that the rename stays on one file system.
    std::string temporary = target_ + ".partial-XXXXXX";
    fd_ = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd_ < 0)
        fail("cannot create", path, errno);
    temporary_ = temporary;
    close_fd_ = true;
    // mkstemp makes the file private: keep the replaced file's mode, or give a new file the usual one.
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
}

output_file::~output_file()
{
    close_descriptor();
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

void output_file::write(const void* data, std::size_t size) { write_all(fd_, data, size, path_); }

void output_file::flush()
{
    if (temporary_.empty() || fd_ < 0)
        return;
    if (::fsync(fd_) != 0)
        fail("cannot write", path_, errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        fail("cannot write", path_, errno);
}

void output_file::commit()
{
    if (temporary_.empty()) {
        close_descriptor();
        return;
    }
    flush();
    // A signal during the flush still stops the command: nothing it began is moved into place.
    stop_if_interrupted();
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0)
        fail("cannot replace", path_, errno);
    temporary_.clear();
}

void output_file::close_descriptor() noexcept
{
    if (fd_ >= 0 && close_fd_)
        ::close(fd_);
    fd_ = -1;
}

}  // namespace pyrelle::tools
