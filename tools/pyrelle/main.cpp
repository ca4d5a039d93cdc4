#include <cstdio>
#include <cstring>

#include "tools/pyrelle/commands.h"

namespace {

const char usage[] =
    "usage: pyrelle COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  render   run the fire off screen and write what the screen would show\n"
    "  config   show or write a stored settings blob\n"
    "\n"
    "Run 'pyrelle COMMAND --help' for the options of a command; 'pyrelle --version' shows the\n"
    "version.\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(usage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::puts("pyrelle " PYRELLE_VERSION);
        return 0;
    }
    if (std::strcmp(argv[1], "render") == 0) {
        return run_render_command(argc - 1, argv + 1);
    }
    if (std::strcmp(argv[1], "config") == 0) {
        return run_config_command(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "pyrelle: unknown command '%s' (try 'pyrelle --help')\n", argv[1]);
    return 2;
}
