#pragma once
// What every `pyrelle` command does with its command line: CLI11 parses it (`--opt value` and
// `--opt=value`); -h/--help prints the command's usage text and --version the program's version,
// both to standard output; a bad command line becomes one line on standard error,
// "pyrelle COMMAND: MESSAGE (try 'pyrelle COMMAND --help')", and exit status 2.
#include <CLI/CLI.hpp>

#include <optional>

namespace pyrelle::tools {

// An app whose --help prints `usage` as it stands. Subcommands made with add_command() below
// carry the same flags.
void set_up_command(CLI::App& app, const char* usage);
CLI::App* add_command(CLI::App& parent, const char* name, const char* usage);

// Parses. Returns nothing when the command should go on, or the exit status when the command line
// has already been answered: 0 after help or version, 2 after a usage error.
std::optional<int> parse_command_line(CLI::App& app, int argc, char** argv);

}  // namespace pyrelle::tools
