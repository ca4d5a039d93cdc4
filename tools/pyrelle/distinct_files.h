#pragma once
// The files that one command line names, checked before anything is written: an output must not
// be one of the inputs, nor the file of another output.
#include <string>
#include <vector>

namespace pyrelle::tools {

enum class file_use {
    input,
    output,
    frame_folder,  // a folder that receives frame files (frame_file_name) and loses stale ones
};

struct named_file {
    std::string option;  // as the user typed it, e.g. "--video"
    std::string path;    // "-" is standard input for an input, standard output for an output
    file_use use;
};

// Throws std::runtime_error naming both options when an output is the same file as an input or
// as another output, or is a frame file inside a frame folder. Files are compared as files: the
// same device and inode where the path exists, otherwise the path with its links and dots
// resolved. A character device is shared harmlessly (two outputs to /dev/null) and never counts.
void require_distinct_files(const std::vector<named_file>& files);

}  // namespace pyrelle::tools
