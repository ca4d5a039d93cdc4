#pragma once
// The automation script: one command per line, run in order on the user-interface thread. The
// commands and their forms are the table in script.cpp, which script_command_forms() lists (and
// `orvanel-host --help` shows).
//
// Blank lines and lines starting with '#' are skipped. A line that is not a command is kept as an
// `invalid` command carrying the reason, so that the error is reported where it stands in the run
// and the commands before it still run.
#include <cstdint>
#include <string>
#include <vector>

namespace pyrelle::standin {

enum class command_kind {
    invalid,
    wait,
    menu,
    key,
    play,
    pause,
    resume,
    stop,
    next,
    previous,
    open,
    drop,
    state,
    prefs_open,
    prefs_click,
    prefs_select,
    prefs_show,
    prefs_close,
    pick_colour,
    pick_colour_cancel,
    reset,
    save,
    frames,
    screen,
    resources,
    sync,
    quit,
};

enum class key_name { escape, space };

struct script_command {
    command_kind kind = command_kind::invalid;
    std::string text;   // the line as written, without surrounding blanks: what the log shows
    int line = 0;       // 1-based line number in the script
    std::string error;  // why an `invalid` line is not a command

    std::uint32_t milliseconds = 0;   // wait
    key_name key = key_name::escape;  // key
    int control_id = 0;               // prefs click, select, show
    std::string item;                 // prefs select: an index or an item's text; prefs click: a name
    std::uint32_t colour = 0;         // pick-colour, as a COLORREF 0x00BBGGRR
    std::string name;                 // sync
    std::string path;                 // open, drop: the rest of the line, as written
};

// Every command's form ("wait SECONDS", "menu", ...), in the order the parser's table has them.
std::vector<const char*> script_command_forms();

// One line; `line_number` only labels the result.
script_command parse_script_line(const std::string& line, int line_number);

// Every command of a script text, skipping blank and comment lines. CR LF line ends are accepted.
std::vector<script_command> parse_script(const std::string& text);

}  // namespace pyrelle::standin
