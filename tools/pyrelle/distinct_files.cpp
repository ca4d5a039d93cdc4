#include "tools/pyrelle/distinct_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "tools/pyrelle/frame_file_name.h"
#include "tools/pyrelle/link_target.h"

namespace fs = std::filesystem;

namespace pyrelle::tools {
namespace {

struct file_identity {
    bool exists = false;
    bool shared = false;  // a character device
    dev_t device = 0;
    ino_t inode = 0;
    fs::path resolved;  // absolute, links and dots resolved; empty for standard input or output
};

file_identity identity_of(const struct stat& st)
{
    file_identity id;
    id.exists = true;
    id.shared = S_ISCHR(st.st_mode);
    id.device = st.st_dev;
    id.inode = st.st_ino;
    return id;
}

file_identity identity_of(const named_file& file)
{
    struct stat st{};
    if (file.path == "-") {
        const int fd = file.use == file_use::input ? STDIN_FILENO : STDOUT_FILENO;
        return ::fstat(fd, &st) == 0 ? identity_of(st) : file_identity{};
    }
    file_identity id = ::stat(file.path.c_str(), &st) == 0 ? identity_of(st) : file_identity{};
    std::error_code ignored;
    id.resolved = fs::weakly_canonical(fs::absolute(final_link_target(file.path)), ignored);
    return id;
}

bool same_file(const file_identity& a, const file_identity& b)
{
    if (a.shared || b.shared) {
        return false;
    }
    if (a.exists && b.exists) {
        return a.device == b.device && a.inode == b.inode;
    }
    return !a.resolved.empty() && a.resolved == b.resolved;
}

// Whether `file` is a frame file that the frame folder `folder` would replace or remove.
bool inside_frame_folder(const file_identity& file, const file_identity& folder)
{
    if (file.resolved.empty() || !is_frame_file_name(file.resolved.filename().string())) {
        return false;
    }
    struct stat st{};
    const fs::path parent = file.resolved.parent_path();
    const file_identity parent_id = ::stat(parent.c_str(), &st) == 0 ? identity_of(st) : file_identity{};
    file_identity named_parent = parent_id;
    named_parent.resolved = parent;
    return same_file(named_parent, folder);
}

std::string quoted(const named_file& file) { return file.option + " '" + file.path + "'"; }

}  // namespace

void require_distinct_files(const std::vector<named_file>& files)
{
    std::vector<file_identity> ids;
    ids.reserve(files.size());
    for (const named_file& file : files) {
        ids.push_back(identity_of(file));
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        for (std::size_t j = i + 1; j < files.size(); ++j) {
            if (files[i].use == file_use::input && files[j].use == file_use::input) {
                continue;  // reading one file twice harms nothing
            }
            // `out` an output of the pair, `other` the input when there is one.
            const bool j_writes = files[j].use != file_use::input;
            const std::size_t o = j_writes ? j : i, k = j_writes ? i : j;
            const named_file& out = files[o];
            const named_file& other = files[k];
            if (same_file(ids[o], ids[k])) {
                throw std::runtime_error(other.use == file_use::input
                                             ? quoted(out) + " is the file that " + quoted(other) +
                                                   " reads: an output must not replace an input"
                                             : quoted(other) + " and " + quoted(out) +
                                                   " are one file: each output needs a file of its own");
            }
            for (const auto& [folder, file] : {std::pair{o, k}, std::pair{k, o}}) {
                if (files[folder].use == file_use::frame_folder && inside_frame_folder(ids[file], ids[folder])) {
                    throw std::runtime_error(quoted(files[file]) + " is a frame file of " + quoted(files[folder]) +
                                             ", which the render replaces or removes");
                }
            }
        }
    }
}

}  // namespace pyrelle::tools
