#pragma once
// One file that a command writes, such that nothing standing at the path is destroyed:
// - a regular file, or a path where nothing stands, is written under a temporary name beside it
//   and renamed over it by commit(), so the path holds the old file or the whole new one;
// - a symbolic link is followed (to its final target, which may not exist yet), and that target
//   is replaced as above: the link stays a link;
// - a FIFO, a character device or "-" (standard output) is written straight through.
// Without commit() the destructor removes the temporary file; what went straight through stays.
#include <cstddef>
#include <string>

#include "tools/pyrelle/posix_file.h"

namespace pyrelle::tools {

class output_file {
public:
    // Opens for writing. Throws std::runtime_error naming `path` when it cannot be written (a
    // folder, a socket, a missing folder, no permission...).
    explicit output_file(const std::string& path);
    ~output_file();
    output_file(const output_file&) = delete;
    output_file& operator=(const output_file&) = delete;

    const std::string& path() const { return path_; }
    int descriptor() const { return fd_.get(); }
    // Only a temporary regular file can be sought in; a straight-through output cannot.
    bool seekable() const { return !temporary_.empty(); }

    // Writes all bytes or throws std::runtime_error naming the path.
    void write(const void* data, std::size_t size);

    // Puts a temporary file's bytes on disk and closes it, without replacing the target yet, so
    // that several files can be made durable before any of them is moved into place.
    void flush();

    // Flushes and closes; a temporary file then replaces the target, unless SIGINT or SIGTERM
    // arrived under an interruption_guard. Throws on failure.
    void commit();

private:
    std::string path_;       // as the user gave it
    std::string target_;     // what commit() replaces (the link's target for a link)
    std::string temporary_;  // empty when written straight through
    unique_fd fd_;           // for "-", a copy of standard output's, so it is ours to close
};

}  // namespace pyrelle::tools
