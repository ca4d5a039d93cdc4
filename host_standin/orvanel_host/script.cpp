#include "host_standin/orvanel_host/script.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "support/colour_text.h"

namespace pyrelle::standin {
namespace {

// A longer wait is surely a typing mistake, and it would hold a test for an hour.
constexpr double longest_wait_seconds = 3600.0;

std::vector<std::string> split_words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

bool parse_seconds(const std::string& text, std::uint32_t& milliseconds)
{
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds) || seconds < 0.0 ||
        seconds > longest_wait_seconds) {
        return false;
    }
    milliseconds = static_cast<std::uint32_t>(std::lround(seconds * 1000.0));
    return true;
}

bool parse_control_id(const std::string& text, int& id)
{
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || value < -1 || value > 0xFFFF) {
        return false;
    }
    id = static_cast<int>(value);
    return true;
}

script_command invalid(script_command command, std::string reason)
{
    command.kind = command_kind::invalid;
    command.error = std::move(reason);
    return command;
}

// Every command, by its form: the first word names it, the rest shows its arguments. The ones
// without arguments are parsed from here alone; the others' arguments below.
struct command_form {
    const char* form;
    command_kind kind;
};
constexpr command_form command_forms[] = {
    {"wait SECONDS", command_kind::wait},
    {"menu", command_kind::menu},
    {"key escape|space", command_kind::key},
    {"play", command_kind::play},
    {"pause", command_kind::pause},
    {"resume", command_kind::resume},
    {"stop", command_kind::stop},
    {"next", command_kind::next},
    {"previous", command_kind::previous},
    {"open FILE", command_kind::open},
    {"drop FILE", command_kind::drop},
    {"state", command_kind::state},
    {"prefs open", command_kind::prefs_open},
    {"prefs click ID|reset|help", command_kind::prefs_click},
    {"prefs select ID INDEX|TEXT", command_kind::prefs_select},
    {"prefs show ID", command_kind::prefs_show},
    {"prefs close", command_kind::prefs_close},
    {"pick-colour #RRGGBB|0x00BBGGRR|cancel", command_kind::pick_colour},
    {"reset", command_kind::reset},
    {"save", command_kind::save},
    {"frames", command_kind::frames},
    {"screen", command_kind::screen},
    {"resources", command_kind::resources},
    {"sync NAME", command_kind::sync},
    {"quit", command_kind::quit},
};

bool has_arguments(const char* form) { return std::strchr(form, ' ') != nullptr; }

// The text after the first word, without surrounding blanks.
std::string rest_of_line(const std::string& line)
{
    const std::size_t verb = line.find_first_not_of(" \t");
    const std::size_t gap = line.find_first_of(" \t", verb);
    const std::size_t first = line.find_first_not_of(" \t", gap);
    if (gap == std::string::npos || first == std::string::npos) {
        return {};
    }
    return line.substr(first, line.find_last_not_of(" \t") + 1 - first);
}

script_command parse_prefs(script_command command, const std::vector<std::string>& words)
{
    const std::string verb = words.size() > 1 ? words[1] : "";
    if ((verb == "open" || verb == "close") && words.size() == 2) {
        command.kind = verb == "open" ? command_kind::prefs_open : command_kind::prefs_close;
        return command;
    }
    if ((verb == "click" || verb == "show") && words.size() == 3) {
        command.kind = verb == "click" ? command_kind::prefs_click : command_kind::prefs_show;
        if (verb == "click" && (words[2] == "reset" || words[2] == "help")) {
            command.item = words[2];
            return command;
        }
        if (!parse_control_id(words[2], command.control_id)) {
            return invalid(command, "'" + words[2] + "' is not a control id");
        }
        return command;
    }
    if (verb == "select" && words.size() == 4) {
        command.kind = command_kind::prefs_select;
        if (!parse_control_id(words[2], command.control_id)) {
            return invalid(command, "'" + words[2] + "' is not a control id");
        }
        command.item = words[3];
        return command;
    }
    return invalid(command,
                   "expected 'prefs open', 'prefs click ID', 'prefs select ID INDEX', "
                   "'prefs show ID' or 'prefs close'");
}

}  // namespace

std::vector<const char*> script_command_forms()
{
    std::vector<const char*> forms;
    for (const command_form& known : command_forms) {
        forms.push_back(known.form);
    }
    return forms;
}

script_command parse_script_line(const std::string& line, int line_number)
{
    script_command command;
    command.line = line_number;
    const std::vector<std::string> words = split_words(line);
    for (std::size_t i = 0; i < words.size(); ++i) {
        command.text += (i ? " " : "") + words[i];
    }
    if (words.empty()) {
        return invalid(command, "empty line");
    }
    const std::string& verb = words[0];

    for (const command_form& known : command_forms) {
        if (!has_arguments(known.form) && verb == known.form) {
            if (words.size() != 1) {
                return invalid(command, "'" + verb + "' takes no argument");
            }
            command.kind = known.kind;
            return command;
        }
    }
    if (verb == "open" || verb == "drop") {
        command.kind = verb == "open" ? command_kind::open : command_kind::drop;
        command.path = rest_of_line(line);
        if (command.path.empty()) {
            return invalid(command, "expected '" + verb + " FILE'");
        }
        return command;
    }
    if (verb == "wait") {
        command.kind = command_kind::wait;
        if (words.size() != 2 || !parse_seconds(words[1], command.milliseconds)) {
            return invalid(command, "expected 'wait SECONDS' with 0 to 3600 seconds");
        }
        return command;
    }
    if (verb == "key") {
        command.kind = command_kind::key;
        if (words.size() == 2 && (words[1] == "escape" || words[1] == "space")) {
            command.key = words[1] == "escape" ? key_name::escape : key_name::space;
            return command;
        }
        return invalid(command, "expected 'key escape' or 'key space'");
    }
    if (verb == "prefs") {
        return parse_prefs(command, words);
    }
    if (verb == "pick-colour") {
        if (words.size() == 2 && words[1] == "cancel") {
            command.kind = command_kind::pick_colour_cancel;
            return command;
        }
        command.kind = command_kind::pick_colour;
        if (words.size() != 2 || !parse_colour_text(words[1], command.colour)) {
            return invalid(command, "expected 'pick-colour #RRGGBB', 'pick-colour 0x00BBGGRR' or 'pick-colour cancel'");
        }
        return command;
    }
    if (verb == "sync") {
        command.kind = command_kind::sync;
        // The name becomes a file name: keep it to characters that are safe on both systems.
        const bool safe =
            words.size() == 2 &&
            words[1].find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.") ==
                std::string::npos &&
            words[1][0] != '.';
        if (!safe) {
            return invalid(command, "expected 'sync NAME' with letters, digits, '-', '_' or '.'");
        }
        command.name = words[1];
        return command;
    }
    return invalid(command, "unknown command '" + verb + "'");
}

std::vector<script_command> parse_script(const std::string& text)
{
    std::vector<script_command> commands;
    std::istringstream in(text);
    int line_number = 0;
    for (std::string line; std::getline(in, line);) {
        ++line_number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        commands.push_back(parse_script_line(line, line_number));
    }
    return commands;
}

}  // namespace pyrelle::standin
