#include "tools/pyrelle/command_line.h"

#include <cstdio>
#include <memory>
#include <string>

namespace pyrelle::tools {
namespace {

// The help of each command is written by hand, as a page to read; CLI11's own layout lists the
// options but cannot say how they work together.
class usage_formatter final : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override
    {
        return app->get_description();
    }
};

// "pyrelle config write" for a subcommand that was reached, else the app's own name.
std::string command_name(const CLI::App& app)
{
    std::string name = app.get_name();
    for (const CLI::App* sub = &app; !sub->get_subcommands().empty();) {
        sub = sub->get_subcommands().front();
        name += " " + sub->get_name();
    }
    return name;
}

}  // namespace

void set_up_command(CLI::App& app, const char* usage)
{
    app.description(usage);
    app.formatter(std::make_shared<usage_formatter>());
    app.set_help_flag("-h,--help");
    app.set_version_flag("--version", "pyrelle " PYRELLE_VERSION);
}

CLI::App* add_command(CLI::App& parent, const char* name, const char* usage)
{
    CLI::App* command = parent.add_subcommand(name);
    set_up_command(*command, usage);
    return command;
}

std::optional<int> parse_command_line(CLI::App& app, int argc, char** argv)
{
    try {
        app.parse(argc, argv);
        return std::nullopt;
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::CallForVersion& e) {
        std::printf("%s\n", e.what());
        return 0;
    } catch (const CLI::ParseError& e) {
        const std::string name = command_name(app);
        std::fprintf(stderr, "%s: %s (try '%s --help')\n", name.c_str(), e.what(), name.c_str());
        return 2;
    }
}

}  // namespace pyrelle::tools
