#pragma once
// POSIX file descriptors as the tool holds them: one owner per descriptor, closed when the owner
// ends, and the checked writes and the one error text that every file the tool writes shares.
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace pyrelle::tools {

// Owns one descriptor (or none: -1). Move-only; empty after a move, a reset or close().
class unique_fd {
public:
    unique_fd() noexcept = default;
    explicit unique_fd(int fd) noexcept : fd_(fd) {}
    unique_fd(unique_fd&& other) noexcept : fd_(other.release()) {}
    unique_fd& operator=(unique_fd&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    unique_fd(const unique_fd&) = delete;
    unique_fd& operator=(const unique_fd&) = delete;
    ~unique_fd() { reset(); }

    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }

    // Closes the held descriptor, if any, ignoring what close() says, and holds `fd` instead. For
    // paths that are already failing; a write that must be known to have landed uses close().
    void reset(int fd = -1) noexcept;
    // Gives the descriptor up without closing it.
    int release() noexcept;
    // Closes now; returns 0, or the errno of a failed close() (a delayed write error). Empty
    // afterwards either way.
    int close() noexcept;

private:
    int fd_ = -1;
};

// A stdio stream, closed with fclose when its owner ends (for reading: nothing to check on close).
struct stdio_closer {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using unique_file = std::unique_ptr<std::FILE, stdio_closer>;

// Throws std::runtime_error "WHAT 'PATH': REASON", REASON the text of the errno value `error`.
[[noreturn]] void fail_on_file(const std::string& what, const std::string& path, int error);

// Writes all `size` bytes to `fd`, or throws naming `path` ("cannot write 'PATH': ..."). A write
// interrupted by a signal fails too: an interrupted render stops.
void write_all(int fd, const void* data, std::size_t size, const std::string& path);

}  // namespace pyrelle::tools
