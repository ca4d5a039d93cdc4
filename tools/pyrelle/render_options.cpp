#include "tools/pyrelle/render_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "fire/heat_field.h"

namespace pyrelle::tools {

const char render_usage[] =
    "usage: pyrelle render [--mode WxH] [--frames N] [--frame-rate F]\n"
    "                      [--audio FILE | --raw-samples FILE --chunk N]\n"
    "                      [--config FILE] [--low C] [--middle C] [--high C] [--flow LIST]\n"
    "                      [--gif FILE] [--png DIR] [--dump-heat FILE] [--dump-palette FILE]\n"
    "\n"
    "Runs the fire of one full-screen run off screen, frame for frame, exactly as the module\n"
    "draws it, and writes what the screen would show.\n"
    "\n"
    "Display and pace:\n"
    "  --mode WxH           display mode, width x height in pixels (default 640x480;\n"
    "                       width at least 1, height at least 4)\n"
    "  --frames N           frames to draw (default: as many as the audio lasts)\n"
    "  --frame-rate F       frames per second, 1..1000 (default 24); frame k is drawn at\n"
    "                       k x (1000 / F) ms, integer division, like the module's timer\n"
    "\n"
    "Audio (default: the built-in demo track):\n"
    "  --audio FILE         any sound file libsndfile reads; each frame takes 4096 interleaved\n"
    "                       sample frames from the frame's time on\n"
    "  --raw-samples FILE   little-endian 32-bit floats; frame k takes floats [k*N, (k+1)*N);\n"
    "                       a frame without a complete chunk has no audio and does not advance\n"
    "  --chunk N            floats per frame for --raw-samples (required with it, at least 1)\n"
    "\n"
    "Colours (C is #RRGGBB or a COLORREF 0x00BBGGRR):\n"
    "  --config FILE        take colours, flow switches and frame rate from a stored settings\n"
    "                       blob; the options below still override it\n"
    "  --low C              low-temperature colour (default 0x00000000, black)\n"
    "  --middle C           middle-temperature colour (default 0x000000FF, red)\n"
    "  --high C             high-temperature colour (default 0x003EFFFF, pale yellow)\n"
    "  --flow LIST          comma list of low, middle, high: the anchors that drift along\n"
    "                       random ramps ('none' for none; default none)\n"
    "\n"
    "Output (at least one is usual; without any, the run is only timed):\n"
    "  --gif FILE           animated GIF at the frame rate (rows 0..height-1 through the palette)\n"
    "  --png DIR            one PNG per frame, DIR/frame-00000.png, ...\n"
    "  --dump-heat FILE     after every frame, the whole heat field: width x (height + 2) bytes\n"
    "  --dump-palette FILE  after every frame, the 256 palette entries: 1024 bytes\n"
    "                       (red, green, blue, flags)\n"
    "  -h, --help           show this help\n"
    "\n"
    "Exit status: 0 done, 1 failed while writing, 2 bad options or unreadable input (no output\n"
    "file is left behind).\n";

namespace {

// Whole-string unsigned decimal with an upper bound.
std::uint32_t parse_count(const std::string& option, const std::string& text, std::uint32_t low,
                          std::uint32_t high)
{
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = text.empty() || text[0] == '-' ? 0 : std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || end == nullptr || *end != '\0' || errno == ERANGE || value < low ||
        value > high) {
        std::ostringstream message;
        message << option << ": '" << text << "' is not a whole number from " << low << " to " << high;
        throw usage_error(message.str());
    }
    return static_cast<std::uint32_t>(value);
}

// Large enough for any real display, small enough that the buffers stay allocatable.
constexpr std::uint32_t max_mode_side = 16384;

void parse_mode(const std::string& text, render_options& options)
{
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) {
        throw usage_error("--mode: '" + text + "' is not WIDTHxHEIGHT");
    }
    const auto width = parse_count("--mode width", text.substr(0, x), 0, max_mode_side);
    const auto height = parse_count("--mode height", text.substr(x + 1), 0, max_mode_side);
    if (!heat_field_size_supported(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height))) {
        std::ostringstream message;
        message << "--mode: " << width << "x" << height << " is too small for the fire (width at least "
                << min_field_width << ", height at least " << min_field_height << ")";
        throw usage_error(message.str());
    }
    options.width = static_cast<std::int32_t>(width);
    options.height = static_cast<std::int32_t>(height);
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parse_hex(const std::string& digits, std::uint32_t& value)
{
    if (digits.empty() || digits.size() > 8) return false;
    value = 0;
    for (char c : digits) {
        const int d = hex_digit(c);
        if (d < 0) return false;
        value = value << 4 | static_cast<std::uint32_t>(d);
    }
    return true;
}

}  // namespace

colour parse_colour(const std::string& text)
{
    std::uint32_t value = 0;
    if (text.size() == 7 && text[0] == '#' && parse_hex(text.substr(1), value)) {
        // #RRGGBB reads as 0xRRGGBB; a COLORREF keeps red in its low byte.
        return (value >> 16 & 0xFFu) | (value & 0xFF00u) | (value & 0xFFu) << 16;
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && parse_hex(text.substr(2), value)) {
        return value;
    }
    throw usage_error("colour '" + text + "' is neither #RRGGBB nor 0x00BBGGRR");
}

flow_switches parse_flow(const std::string& text)
{
    flow_switches flow;
    if (text.empty() || text == "none") return flow;
    std::istringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ',')) {
        if (part == "low") flow.low = true;
        else if (part == "middle") flow.middle = true;
        else if (part == "high") flow.high = true;
        else throw usage_error("--flow: '" + part + "' is not one of low, middle, high");
    }
    return flow;
}

render_options parse_render_options(int argc, char** argv)
{
    render_options options;
    bool chunk_given = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "-h" || option == "--help") {
            options.help = true;
            continue;
        }
        if (option.rfind("--", 0) != 0) {
            throw usage_error("unexpected argument '" + option + "'");
        }
        if (i + 1 >= argc) {
            throw usage_error(option + " needs a value");
        }
        const std::string value = argv[++i];
        if (option == "--mode") parse_mode(value, options);
        else if (option == "--frames") options.frames = parse_count(option, value, 0, 10'000'000);
        else if (option == "--frame-rate") options.frame_rate = static_cast<std::int32_t>(parse_count(option, value, 1, 1000));
        else if (option == "--audio") options.audio_file = value;
        else if (option == "--raw-samples") options.raw_samples_file = value;
        else if (option == "--chunk") {
            options.chunk = parse_count(option, value, 1, 1u << 24);
            chunk_given = true;
        }
        else if (option == "--config") options.config_file = value;
        else if (option == "--low") options.low = parse_colour(value);
        else if (option == "--middle") options.middle = parse_colour(value);
        else if (option == "--high") options.high = parse_colour(value);
        else if (option == "--flow") options.flow = parse_flow(value);
        else if (option == "--gif") options.gif_file = value;
        else if (option == "--png") options.png_dir = value;
        else if (option == "--dump-heat") options.heat_dump_file = value;
        else if (option == "--dump-palette") options.palette_dump_file = value;
        else throw usage_error("unknown option '" + option + "' (try --help)");
    }
    if (options.help) return options;
    if (!options.audio_file.empty() && !options.raw_samples_file.empty()) {
        throw usage_error("--audio and --raw-samples exclude each other");
    }
    if (!options.raw_samples_file.empty() && !chunk_given) {
        throw usage_error("--raw-samples needs --chunk N");
    }
    if (options.raw_samples_file.empty() && chunk_given) {
        throw usage_error("--chunk only goes with --raw-samples");
    }
    return options;
}

}  // namespace pyrelle::tools
