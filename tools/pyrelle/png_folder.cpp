#include "tools/pyrelle/png_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "tools/pyrelle/frame_file_name.h"
#include "tools/pyrelle/posix_file.h"

namespace fs = std::filesystem;

namespace pyrelle::tools {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int error) { fail_on_file(what, path, error); }

std::string make_folder_inside(const std::string& dir, const char* prefix)
{
    std::string folder = (fs::path(dir) / prefix).string() + "XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        fail("cannot write into folder", dir, errno);
    }
    return folder;
}

}  // namespace

png_folder::png_folder(const std::string& dir) : dir_(dir)
{
    std::error_code error;
    made_ = !fs::exists(dir_, error);
    fs::create_directories(dir_, error);
    if (error || !fs::is_directory(dir_)) {
        made_ = false;
        throw std::runtime_error("cannot create folder '" + dir + "'");
    }
    try {
        staging_ = make_folder_inside(dir_, ".pyrelle-frames-");
    } catch (...) {
        discard();
        throw;
    }
}

png_folder::~png_folder() { discard(); }

std::string png_folder::frame_path(const std::string& folder, std::uint32_t frame) const
{
    return (fs::path(folder) / frame_file_name(frame)).string();
}

void png_folder::write(std::uint32_t frame, const std::vector<std::uint8_t>& png)
{
    const std::string staged = frame_path(staging_, frame);
    const std::string shown = frame_path(dir_, frame);  // what the user will find
    unique_fd file(::open(staged.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file) {
        fail("cannot write", shown, errno);
    }
    try {
        write_all(file.get(), png.data(), png.size(), shown);
        if (const int error = file.close(); error != 0) {
            fail("cannot write", shown, error);
        }
    } catch (...) {
        file.reset();
        ::unlink(staged.c_str());
        throw;
    }
    frames_ = frame + 1;
}

void png_folder::flush()
{
    // One sync of the file system instead of one per frame: hundreds of fsyncs cost seconds.
    const unique_fd folder(::open(staging_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) {
        fail("cannot write into folder", dir_, errno);
    }
    if (::syncfs(folder.get()) != 0) {
        fail("cannot write into folder", dir_, errno);
    }
}

void png_folder::commit()
{
    try {
        // The earlier frames step aside rather than being overwritten, so that they can come back.
        aside_ = make_folder_inside(dir_, ".pyrelle-previous-");
        for (const fs::directory_entry& entry : fs::directory_iterator(dir_)) {
            const std::string name = entry.path().filename().string();
            const fs::file_type type = entry.symlink_status().type();
            if (is_frame_file_name(name) && (type == fs::file_type::regular || type == fs::file_type::symlink)) {
                moved_aside_.push_back(name);
            }
        }
        for (std::size_t i = 0; i < moved_aside_.size(); ++i) {
            const std::string from = (fs::path(dir_) / moved_aside_[i]).string();
            if (std::rename(from.c_str(), (fs::path(aside_) / moved_aside_[i]).c_str()) != 0) {
                const int reason = errno;
                moved_aside_.resize(i);
                fail("cannot replace", from, reason);
            }
        }
        for (; moved_in_ < frames_; ++moved_in_) {
            const std::string to = frame_path(dir_, moved_in_);
            if (std::rename(frame_path(staging_, moved_in_).c_str(), to.c_str()) != 0) {
                fail("cannot write", to, errno);
            }
        }
    } catch (...) {
        put_back();
        throw;
    }
    std::error_code ignored;
    fs::remove_all(aside_, ignored);
    fs::remove(staging_, ignored);
    aside_.clear();
    staging_.clear();
    moved_aside_.clear();
    made_ = false;
}

void png_folder::put_back() noexcept
{
    for (; moved_in_ > 0; --moved_in_) {
        std::rename(frame_path(dir_, moved_in_ - 1).c_str(), frame_path(staging_, moved_in_ - 1).c_str());
    }
    for (const std::string& name : moved_aside_) {
        std::rename((fs::path(aside_) / name).c_str(), (fs::path(dir_) / name).c_str());
    }
    moved_aside_.clear();
    std::error_code ignored;
    if (!aside_.empty()) {
        fs::remove(aside_, ignored);  // empty now: remove() keeps it should a frame not come back
    }
    aside_.clear();
}

void png_folder::discard() noexcept
{
    std::error_code ignored;
    if (!staging_.empty()) {
        fs::remove_all(staging_, ignored);
    }
    staging_.clear();
    // Only an empty folder goes; remove() leaves one that holds anything else.
    if (made_) {
        fs::remove(dir_, ignored);
    }
    made_ = false;
}

}  // namespace pyrelle::tools
