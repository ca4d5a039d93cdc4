#include "host_standin/orvanel_host/file_streams.h"

#include "host_standin/orvanel_host/wide_text.h"

namespace pyrelle::standin {
namespace {

[[noreturn]] void fail(const char* what, const std::wstring& path)
{
    const DWORD code = ::GetLastError();
    throw file_error(std::string(what) + " " + narrow(path) + ": " + system_error_text(code));
}

void check_abort(const abort_signal& abort)
{
    if (abort.is_aborting()) {
        throw aborted_error();
    }
}

}  // namespace

file_reader::file_reader(const std::wstring& path) : path_(path)
{
    // Songs stay open while they play: other programs may go on writing, renaming or deleting
    // them meanwhile (the readers cope with a file that ends early).
    file_.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_) {
        fail("cannot open", path);
    }
}

std::uint32_t file_reader::read(void* buffer, std::uint32_t count, abort_signal& abort)
{
    check_abort(abort);
    // ReadFile returns short only at the end of the file, so one call per chunk is enough; the
    // loop covers counts above what one call may move.
    std::uint32_t total = 0;
    while (total < count) {
        DWORD got = 0;
        if (!::ReadFile(file_.get(), static_cast<char*>(buffer) + total, count - total, &got, nullptr)) {
            fail("cannot read", path_);
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

file_writer::file_writer(const std::wstring& path, bool only_new) : path_(path)
{
    const DWORD disposition = only_new ? CREATE_NEW : CREATE_ALWAYS;
    file_.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        fail("cannot create", path);
    }
}

void file_writer::write(const void* buffer, std::uint32_t count, abort_signal& abort)
{
    check_abort(abort);
    std::uint32_t total = 0;
    while (total < count) {
        DWORD put = 0;
        if (!::WriteFile(file_.get(), static_cast<const char*>(buffer) + total, count - total, &put, nullptr) ||
            put == 0) {
            fail("cannot write", path_);
        }
        total += put;
    }
}

void file_writer::finish()
{
    if (!::FlushFileBuffers(file_.get())) {
        fail("cannot flush", path_);
    }
    if (!::CloseHandle(file_.release())) {
        fail("cannot close", path_);
    }
}

}  // namespace pyrelle::standin
