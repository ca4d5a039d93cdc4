#pragma once
// The host's byte streams over files, through which the module reads and writes pyrelle.cfg.
// Failures of the file system throw file_error naming the file and the system's reason.
#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "config/streams.h"
#include "support/win32_handles.h"

namespace pyrelle::standin {

class file_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised once the user asks to give up; every stream operation looks at it first.
class host_abort final : public abort_signal {
public:
    bool is_aborting() const override { return raised_.load(); }
    void raise() noexcept { raised_ = true; }

private:
    std::atomic<bool> raised_{false};
};

class aborted_error : public std::runtime_error {
public:
    aborted_error() : std::runtime_error("aborted") {}
};

// Reading from an open file; exact reads and skips come from module_reader, built on read.
class file_reader final : public module_reader {
public:
    // Throws file_error when the file cannot be opened.
    explicit file_reader(const std::wstring& path);

    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal& abort) override;

private:
    file_handle file_;
    std::wstring path_;
};

// Writing a new file from its start (an existing one is replaced).
class file_writer final : public stream_writer {
public:
    // Replaces what stands at `path`, or, with `only_new`, fails when anything does.
    explicit file_writer(const std::wstring& path, bool only_new = false);

    void write(const void* buffer, std::uint32_t count, abort_signal& abort) override;
    // Flushes and closes; throws file_error when the data may not have reached the disk.
    void finish();

private:
    file_handle file_;
    std::wstring path_;
};

}  // namespace pyrelle::standin
