#include "tools/pyrelle/link_target.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace pyrelle::tools {

std::string final_link_target(const std::string& path)
{
    // The kernel's own limit on links followed in one lookup.
    constexpr int max_hops = 40;
    fs::path current = path;
    for (int hops = 0; hops < max_hops; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) {
            return current.string();
        }
        const fs::path next = fs::read_symlink(current, error);
        if (error) {
            throw std::runtime_error("cannot follow the link '" + path + "': " + error.message());
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    throw std::runtime_error("cannot follow the link '" + path + "': " + std::strerror(ELOOP));
}

}  // namespace pyrelle::tools
