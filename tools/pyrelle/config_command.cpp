// `pyrelle config`: shows a stored settings blob, or writes one.
#include <array>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "tools/pyrelle/commands.h"
#include "support/colour_text.h"
#include "tools/pyrelle/command_line.h"
#include "tools/pyrelle/config_file.h"

namespace pyrelle::tools {
namespace {

const char config_usage[] =
    "usage: pyrelle config show FILE\n"
    "       pyrelle config write FILE [NAME=VALUE ...]\n"
    "       pyrelle config [show|write] --help | --version\n"
    "\n"
    "Reads or writes a stored settings blob: the bytes the player keeps for the module.\n"
    "\n"
    "Commands:\n"
    "  show    print the settings that FILE gives, one 'NAME VALUE' per line\n"
    "  write   write a blob of the initial settings, changed by NAME=VALUE pairs\n"
    "\n"
    "Run 'pyrelle config COMMAND --help' for details.\n";

const char show_usage[] =
    "usage: pyrelle config show FILE\n"
    "\n"
    "Starts from the initial settings, applies FILE exactly as the module applies a stored blob\n"
    "(unknown records skipped, short values ignored, the last of repeated records wins) and prints\n"
    "the eight settings, one 'NAME VALUE' per line:\n"
    "  high_colour, middle_colour, low_colour   COLORREF 0x00BBGGRR, 8 hex digits\n"
    "  display_mode_index, frame_rate           decimal\n"
    "  high_flow, middle_flow, low_flow         the stored byte, decimal (0 off, else on)\n"
    "\n"
    "Exit status: 0 done; 1 the blob is corrupted (the settings applied before the break are\n"
    "still printed, the error goes to stderr); 2 bad usage, or FILE unreadable or over 1 MiB.\n";

const char write_usage[] =
    "usage: pyrelle config write FILE [NAME=VALUE ...]\n"
    "\n"
    "Writes FILE as the module writes its blob: the initial settings, each NAME=VALUE applied in\n"
    "turn. NAME is one of the eight that 'show' prints, VALUE in the form it prints; a colour may\n"
    "also be given as #RRGGBB. A regular FILE (or a new one) is replaced whole or not at all; a\n"
    "symbolic link is followed and its target replaced; a FIFO, a character device or '-'\n"
    "(standard output) is written straight through.\n"
    "\n"
    "  high_colour=0x003EFFFF  middle_colour=#FF0000  low_colour=0x00000000\n"
    "  display_mode_index=0    frame_rate=24          high_flow=1\n"
    "\n"
    "Exit status: 0 done; 1 FILE could not be written; 2 bad usage, an unknown NAME or a bad\n"
    "VALUE (nothing is written).\n";

enum class value_form { colour, integer, flag };

struct named_variable {
    const char* name;
    value_form form;
    config_int* int_var;    // colour and integer
    config_bool* bool_var;  // flag
};

// In registration order, which is also the order 'show' prints.
std::array<named_variable, 8> named_variables(configuration& c)
{
    return {{
        {"high_colour", value_form::colour, &c.high_colour, nullptr},
        {"middle_colour", value_form::colour, &c.middle_colour, nullptr},
        {"low_colour", value_form::colour, &c.low_colour, nullptr},
        {"display_mode_index", value_form::integer, &c.display_mode_index, nullptr},
        {"high_flow", value_form::flag, nullptr, &c.high_flow},
        {"middle_flow", value_form::flag, nullptr, &c.middle_flow},
        {"low_flow", value_form::flag, nullptr, &c.low_flow},
        {"frame_rate", value_form::integer, &c.frame_rate, nullptr},
    }};
}

std::string format_value(const named_variable& v)
{
    char text[16];
    switch (v.form) {
    case value_form::colour:
        std::snprintf(text, sizeof text, "0x%08" PRIX32, static_cast<std::uint32_t>(v.int_var->value));
        break;
    case value_form::integer:
        std::snprintf(text, sizeof text, "%" PRId32, v.int_var->value);
        break;
    case value_form::flag:
        std::snprintf(text, sizeof text, "%u", unsigned{v.bool_var->value});
        break;
    }
    return text;
}

// Decimal digits, all of `text`, at most `max`.
bool parse_decimal(const std::string& text, std::uint64_t max, std::uint64_t& out)
{
    if (text.empty()) {
        return false;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > max) {
            return false;
        }
    }
    out = value;
    return true;
}

bool parse_colour(const std::string& text, std::int32_t& out)
{
    std::uint32_t value = 0;
    if (!parse_colour_text(text, value)) {
        return false;
    }
    out = static_cast<std::int32_t>(value);
    return true;
}

bool parse_integer(const std::string& text, std::int32_t& out)
{
    const bool negative = !text.empty() && text[0] == '-';
    std::uint64_t magnitude = 0;
    if (!parse_decimal(negative ? text.substr(1) : text, negative ? 0x80000000u : 0x7FFFFFFFu, magnitude)) {
        return false;
    }
    out = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                             : static_cast<std::int64_t>(magnitude));
    return true;
}

bool parse_flag(const std::string& text, std::uint8_t& out)
{
    std::uint64_t value = 0;
    if (!parse_decimal(text, 255, value)) {
        return false;
    }
    out = static_cast<std::uint8_t>(value);
    return true;
}

const char* form_description(value_form form)
{
    switch (form) {
    case value_form::colour:
        return "a colour 0x00BBGGRR or #RRGGBB";
    case value_form::integer:
        return "a whole number from -2147483648 to 2147483647";
    case value_form::flag:
        return "a byte from 0 to 255";
    }
    return "";
}

// Applies one NAME=VALUE; false with `error` set when either part is bad.
bool apply_assignment(configuration& config, const std::string& assignment, std::string& error)
{
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) {
        error = "'" + assignment + "' is not NAME=VALUE";
        return false;
    }
    const std::string name = assignment.substr(0, equals);
    const std::string text = assignment.substr(equals + 1);
    for (const named_variable& v : named_variables(config)) {
        if (name != v.name) {
            continue;
        }
        bool ok = false;
        switch (v.form) {
        case value_form::colour:
            ok = parse_colour(text, v.int_var->value);
            break;
        case value_form::integer:
            ok = parse_integer(text, v.int_var->value);
            break;
        case value_form::flag:
            ok = parse_flag(text, v.bool_var->value);
            break;
        }
        if (!ok) {
            error = name + ": '" + text + "' is not " + form_description(v.form);
        }
        return ok;
    }
    error = "unknown setting '" + name + "'";
    return false;
}

int run_show(const std::string& file)
{
    configuration config;
    std::string error;
    const config_file_status status = apply_configuration_file(file, config, error);
    if (status == config_file_status::unreadable) {
        std::fprintf(stderr, "pyrelle config show: %s\n", error.c_str());
        return 2;
    }
    for (const named_variable& v : named_variables(config)) {
        std::printf("%s %s\n", v.name, format_value(v).c_str());
    }
    std::fflush(stdout);
    if (status == config_file_status::corrupted) {
        std::fprintf(stderr, "pyrelle config show: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int run_write(const std::string& file, const std::vector<std::string>& assignments)
{
    configuration config;
    for (const std::string& assignment : assignments) {
        std::string error;
        if (!apply_assignment(config, assignment, error)) {
            std::fprintf(stderr, "pyrelle config write: %s (try 'pyrelle config write --help')\n", error.c_str());
            return 2;
        }
    }
    std::string error;
    if (!save_configuration_file(file, config, error)) {
        std::fprintf(stderr, "pyrelle config write: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace pyrelle::tools

int run_config_command(int argc, char** argv)
{
    using namespace pyrelle::tools;
    CLI::App app("", "pyrelle config");
    set_up_command(app, config_usage);
    app.require_subcommand(1);
    std::string file;
    std::vector<std::string> assignments;
    CLI::App* show = add_command(app, "show", show_usage);
    show->add_option("FILE", file)->required();
    CLI::App* write = add_command(app, "write", write_usage);
    write->add_option("FILE", file)->required();
    write->add_option("NAME=VALUE", assignments);
    if (const std::optional<int> answered = parse_command_line(app, argc, argv)) {
        return *answered;
    }
    return show->parsed() ? run_show(file) : run_write(file, assignments);
}
