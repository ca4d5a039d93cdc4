#pragma once
// The stand-in's command line:
//   orvanel-host [--module PATH] [--profile DIR] [--audio FILE.wav] [--script FILE]
//                [--sync-dir DIR] [--help]
#include <string>
#include <vector>

namespace pyrelle::standin {

struct host_options {
    std::string module_path;  // empty: pyrelle.dll beside the program
    std::string profile_dir;  // empty: the program's folder
    std::string audio_path;   // empty: the built-in demo track
    std::string script_path;  // empty: no automation
    std::string sync_dir;     // empty: the profile folder
    bool help = false;
};

struct parse_result {
    host_options options;
    std::string error;  // empty when the command line was understood
};

// `arguments` without the program name, as UTF-8.
parse_result parse_command_line(const std::vector<std::string>& arguments);

extern const char* const usage_text;

}  // namespace pyrelle::standin
