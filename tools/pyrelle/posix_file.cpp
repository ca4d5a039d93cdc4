#include "tools/pyrelle/posix_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace pyrelle::tools {

void unique_fd::reset(int fd) noexcept
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
}

int unique_fd::release() noexcept
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

int unique_fd::close() noexcept
{
    if (fd_ < 0) {
        return 0;
    }
    // Linux closes the descriptor even when close() fails, so it is never tried twice.
    const int closed = ::close(release());
    return closed == 0 ? 0 : errno;
}

void fail_on_file(const std::string& what, const std::string& path, int error)
{
    throw std::runtime_error(what + " '" + path + "': " + std::strerror(error));
}

void write_all(int fd, const void* data, std::size_t size, const std::string& path)
{
    const auto* p = static_cast<const char*>(data);
    while (size != 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            fail_on_file("cannot write", path, errno);
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace pyrelle::tools
