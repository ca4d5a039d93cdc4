#include "host_standin/orvanel_host/command_line.h"

#include "host_standin/orvanel_host/script.h"

namespace pyrelle::standin {

std::string usage_text()
{
    std::string text =
        "usage: orvanel-host [--module PATH] [--profile DIR] [--audio FILE] [--script FILE]\n"
        "                    [--sync-dir DIR] [--help] [--] [FILE...]\n"
        "\n"
        "A small player that loads a visualisation module as the Orvanel player does and plays\n"
        "sound files to it (MP3, FLAC, M4A, WMA, WAV, ... as far as the system's decoders go),\n"
        "or the built-in demo track when none is given.\n"
        "\n"
        "  FILE...          the play list, in this order; Next and Previous walk it, and\n"
        "                   File > Open... and files dropped on the window add to it\n"
        "  --module PATH    the module to load (default: pyrelle.dll beside this program)\n"
        "  --profile DIR    folder of pyrelle.cfg, read at start, written when the Preferences\n"
        "                   window closes, at the end of the Windows session and at exit\n"
        "                   (default: %APPDATA%\\Orvanel)\n"
        "  --audio FILE     one sound file, played before the FILEs\n"
        "  --script FILE    run these commands, one a line, logging each to standard output:\n";
    // Wrapped to the width of the text above.
    std::string line = "                    ";
    const std::vector<const char*> forms = script_command_forms();
    for (std::size_t i = 0; i < forms.size(); ++i) {
        const std::string item = std::string(" ") + forms[i] + (i + 1 < forms.size() ? "," : "");
        if (line.size() + item.size() > 92) {
            text += line + "\n";
            line = "                    ";
        }
        line += item;
    }
    text += line + "\n";
    text +=
        "                   a failing command is logged and makes the exit status 1\n"
        "  --sync-dir DIR   where 'sync NAME' waits for a file NAME (default: the profile folder)\n"
        "  --help           this text\n"
        "  --               what follows are files, even if they start with '-'\n";
    return text;
}

parse_result parse_command_line(const std::vector<std::string>& arguments)
{
    parse_result result;
    host_options& options = result.options;
    std::string audio;
    struct valued {
        const char* name;
        std::string* target;
    };
    const valued valued_options[] = {
        {"--module", &options.module_path}, {"--profile", &options.profile_dir}, {"--audio", &audio},
        {"--script", &options.script_path}, {"--sync-dir", &options.sync_dir},
    };

    std::vector<std::string> files;
    bool only_files = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (only_files || argument.empty() || argument[0] != '-' || argument == "-") {
            if (argument == "/?" && !only_files) {
                options.help = true;
                continue;
            }
            files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            only_files = true;
            continue;
        }
        if (!files.empty()) {
            result.error = "'" + argument + "' comes after the files; options go first (or use -- before the files)";
            return result;
        }
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        bool known = false;
        for (const valued& option : valued_options) {
            if (argument != option.name) {
                continue;
            }
            known = true;
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                result.error = std::string(option.name) + " needs a value";
                return result;
            }
            if (!option.target->empty()) {
                result.error = std::string(option.name) + " given twice";
                return result;
            }
            *option.target = arguments[++i];
        }
        if (!known) {
            result.error = "unknown option '" + argument + "'";
            return result;
        }
    }
    for (const std::string& file : files) {
        if (file.empty()) {
            result.error = "an empty file name";
            return result;
        }
    }
    if (!audio.empty()) {
        options.audio_files.push_back(audio);
    }
    options.audio_files.insert(options.audio_files.end(), files.begin(), files.end());
    return result;
}

}  // namespace pyrelle::standin
