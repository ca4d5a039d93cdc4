#pragma once
// Where a path that may be a symbolic link finally leads.
#include <string>

namespace pyrelle::tools {

// The path that a chain of symbolic links finally names, each relative link resolved from its own
// link's folder. A link whose target does not exist yet names that target all the same, so
// writing through it creates the file the link points to. A path that is no link is returned as
// given. Throws std::runtime_error naming `path` for a link that cannot be read or a loop.
std::string final_link_target(const std::string& path);

}  // namespace pyrelle::tools
