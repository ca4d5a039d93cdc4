#pragma once
// The stand-in's command line: options first, then the sound files to play, in that order
// (what Explorer's "Open with" passes). The whole text is usage_text().
#include <string>
#include <vector>

namespace pyrelle::standin {

struct host_options {
    std::string module_path;               // empty: pyrelle.dll beside the program
    std::string profile_dir;               // empty: %APPDATA%\Orvanel
    std::vector<std::string> audio_files;  // --audio FILE, then the files after the options; none: the demo track
    std::string script_path;               // empty: no automation
    std::string sync_dir;                  // empty: the profile folder
    bool help = false;
};

struct parse_result {
    host_options options;
    std::string error;  // empty when the command line was understood
};

// `arguments` without the program name, as UTF-8.
parse_result parse_command_line(const std::vector<std::string>& arguments);

// The --help text, with the script's commands as the script parser knows them.
std::string usage_text();

}  // namespace pyrelle::standin
