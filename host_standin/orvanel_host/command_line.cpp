#include "host_standin/orvanel_host/command_line.h"

namespace pyrelle::standin {

const char* const usage_text =
    "usage: orvanel-host [--module PATH] [--profile DIR] [--audio FILE.wav] [--script FILE]\n"
    "                    [--sync-dir DIR] [--help]\n"
    "\n"
    "A small player that loads a visualisation module as the Orvanel player does and plays\n"
    "the built-in demo track (or a 16-bit PCM or float WAV file) to it.\n"
    "\n"
    "  --module PATH    the module to load (default: pyrelle.dll beside this program)\n"
    "  --profile DIR    folder of pyrelle.cfg, read at start, written when the Preferences\n"
    "                   window closes, at the end of the Windows session and at exit\n"
    "                   (default: %APPDATA%\\Orvanel)\n"
    "  --audio FILE     play this WAV file instead of the demo track\n"
    "  --script FILE    run these commands, one a line, logging each to standard output:\n"
    "                     wait SECONDS, menu, key escape, key space, play, pause, resume,\n"
    "                     stop, next, state, prefs open, prefs click ID|reset|help,\n"
    "                     prefs select ID INDEX|TEXT, prefs show ID, prefs close,\n"
    "                     pick-colour #RRGGBB, pick-colour cancel, reset, save, frames,\n"
    "                     screen, resources, sync NAME, quit\n"
    "                   a failing command is logged and makes the exit status 1\n"
    "  --sync-dir DIR   where 'sync NAME' waits for a file NAME (default: the profile folder)\n"
    "  --help           this text\n";

parse_result parse_command_line(const std::vector<std::string>& arguments)
{
    parse_result result;
    host_options& options = result.options;
    struct valued {
        const char* name;
        std::string* target;
    };
    const valued valued_options[] = {
        {"--module", &options.module_path}, {"--profile", &options.profile_dir}, {"--audio", &options.audio_path},
        {"--script", &options.script_path}, {"--sync-dir", &options.sync_dir},
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h" || argument == "/?") {
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
    return result;
}

}  // namespace pyrelle::standin
