// orvanel-host: the project's stand-in for the Orvanel player.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host_standin/orvanel_host/application.h"
#include "host_standin/orvanel_host/command_line.h"
#include "host_standin/orvanel_host/wide_text.h"

namespace {

std::vector<std::string> arguments_as_utf8()
{
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(pyrelle::standin::narrow(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

}  // namespace

int main()
{
    using namespace pyrelle::standin;
    // Plain line feeds, so that scripts reading the log see the lines as written.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const parse_result parsed = parse_command_line(arguments_as_utf8());
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "orvanel-host: %s\n%s", parsed.error.c_str(), usage_text().c_str());
        return exit_cannot_start;
    }
    if (parsed.options.help) {
        std::fputs(usage_text().c_str(), stdout);
        return exit_ok;
    }
    host_log log;
    try {
        application player(parsed.options, log);
        return player.run();
    } catch (const std::exception& error) {
        log.line(std::string("error: ") + error.what());
        return exit_cannot_start;
    }
}
