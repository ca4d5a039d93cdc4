#include "tools/pyrelle/render_options.h"

#include <sstream>

#include "fire/frame_rate.h"
#include "fire/heat_field.h"
#include "support/colour_text.h"
#include "tools/pyrelle/command_line.h"
#include "tools/pyrelle/video_container.h"

namespace pyrelle::tools {
namespace {

// The --size example is worked out by the code that places the pictures, so it cannot go stale.
const picture_size size_example_frame{640, 480};
const picture_size size_example_picture{1920, 1080};

std::string render_usage()
{
    return std::string(
               "usage: pyrelle render [--mode WxH] [--frames N] [--frame-rate F]\n"
               "                      [--audio FILE | --raw-samples FILE --chunk N]\n"
               "                      [--config FILE] [--low C] [--middle C] [--high C] [--flow LIST]\n"
               "                      [--video FILE] [--gif FILE] [--png DIR] [--size WxH]\n"
               "                      [--dump-heat FILE] [--dump-palette FILE] [--transparent]\n"
               "\n"
               "Runs the fire of one full-screen run off screen, frame for frame, exactly as the module\n"
               "draws it, and writes what the screen would show. Options take their value as '--opt VALUE'\n"
               "or '--opt=VALUE'.\n"
               "\n"
               "Display and pace:\n"
               "  --mode WxH           display mode, width x height in pixels (default 640x480;\n"
               "                       width at least 1, height at least 4)\n"
               "  --frames N           frames to draw (default: until the audio ends)\n"
               "  --frame-rate F       frames per second, 1..1000 (default 24); frame k is drawn at\n"
               "                       k x (1000 / F) ms, integer division, like the module's timer, so\n"
               "                       the real pace is 1000 / (1000 / F): 24 gives 24.39 frames a second\n"
               "\n"
               "Audio (default: the built-in demo track):\n"
               "  --audio FILE         any song FFmpeg reads (M4A/AAC, MP3, FLAC, Ogg, Opus, WMA, WAV,\n"
               "                       AIFF, the sound of a video; '-': standard input, as a stream), read\n"
               "                       as the frames need it, at its own rate and channels; each frame\n"
               "                       takes 4096 interleaved sample frames from the frame's time on\n"
               "  --raw-samples FILE   little-endian 32-bit floats, read as the frames need them (a device\n"
               "                       such as /dev/zero too); frame k takes floats [k*N, (k+1)*N);\n"
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
               "Output (without any, the run is only timed and the time printed):\n"
               "  --video FILE         a video at the real pace of rows 0..height-1 and the song's sound\n"
               "                       (none with --raw-samples); width and height even. FILE's extension\n"
               "                       picks the kind: .webm VP9 and Opus, .mov ProRes 4444 and PCM, any\n"
               "                       other (and '-') MP4, H.264 and AAC (a song over 48 kHz at 48 kHz)\n"
               "  --gif FILE           animated GIF at the real pace (rows 0..height-1 through the palette;\n"
               "                       a frame due under 2 hundredths after the last one shown is left out)\n"
               "  --png DIR            one 8-bit palettised PNG per frame (the frame's own palette),\n"
               "                       DIR/frame-00000.png, ...; frame files of an earlier render in DIR\n"
               "                       are replaced, other files left alone\n"
               "  --size WxH           the video's, GIF's and PNGs' picture size, at least the mode's (even\n"
               "                       for a video): each pixel of the fire becomes a square of the largest\n"
               "                       whole size that fits, centred between black bars, so\n"
               "                       ") +
           describe_placement(size_example_frame, size_example_picture) +
           std::string(
               ";\n"
               "                       the fire still runs at --mode (default: the mode's size)\n"
               "  --dump-heat FILE     after every frame, the whole heat field: width x (height + 2) bytes\n"
               "  --dump-palette FILE  after every frame, the 256 palette entries: 1024 bytes\n"
               "                       (red, green, blue, flags)\n"
               "  --transparent        the video, GIF and PNG pictures as an overlay, each pixel as\n"
               "                       opaque as it is hot: a pixel of heat (palette index) h has opacity\n"
               "                       min(2h, 255) of 255, so heat 0 is clear and 128 and above fully\n"
               "                       opaque; the bars of --size are clear. A video needs a .webm or .mov\n"
               "                       FILE; the PNGs carry it in their palette (tRNS), the GIF as its\n"
               "                       clear index 0\n"
               "  A FILE that is a regular file (or new) is replaced whole when the render completes; a\n"
               "  symbolic link is followed and its target replaced; a FIFO, a character device or '-'\n"
               "  (standard output) is written straight through. An MP4 or MOV written straight through is\n"
               "  fragmented. An interrupted or failed render (also Ctrl-C) removes what it began.\n"
               "  An output that is an input, another output or a frame file in DIR is refused; a\n"
               "  character device (/dev/null) may take several.\n"
               "\n"
               "  -h, --help           show this help\n"
               "  --version            show the program's version\n"
               "\n"
               "Exit status: 0 done, 1 failed while writing, 2 bad options or unreadable input (no output\n"
               "file is left behind), 130 or 143 interrupted by SIGINT or SIGTERM.\n");
}

// Large enough for any real display, small enough that the buffers stay allocatable.
constexpr std::uint32_t max_mode_side = 16384;

std::int32_t side(const char* option, const std::string& text, const std::string& whole)
{
    std::uint32_t value = 0;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 5 ||
        (value = static_cast<std::uint32_t>(std::stoul(text))) > max_mode_side) {
        throw CLI::ValidationError(option, "'" + whole + "' is not WIDTHxHEIGHT with sides up to 16384");
    }
    return static_cast<std::int32_t>(value);
}

picture_size parse_size(const char* option, const std::string& text)
{
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) {
        throw CLI::ValidationError(option, "'" + text + "' is not WIDTHxHEIGHT");
    }
    return {side(option, text.substr(0, x), text), side(option, text.substr(x + 1), text)};
}

void parse_mode(const std::string& text, render_options& options)
{
    const auto [width, height] = parse_size("--mode", text);
    if (!heat_field_size_supported(width, height)) {
        std::ostringstream message;
        message << width << "x" << height << " is too small for the fire (width at least " << min_field_width
                << ", height at least " << min_field_height << ")";
        throw CLI::ValidationError("--mode", message.str());
    }
    options.width = width;
    options.height = height;
}

colour parse_colour_option(const std::string& option, const std::string& text)
{
    colour value = 0;
    if (!parse_colour_text(text, value)) {
        throw CLI::ValidationError(option, "'" + text + "' is neither #RRGGBB nor 0x00BBGGRR");
    }
    return value;
}

flow_switches parse_flow(const std::string& text)
{
    flow_switches flow;
    if (text.empty() || text == "none") {
        return flow;
    }
    std::istringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ',')) {
        if (part == "low") {
            flow.low = true;
        } else if (part == "middle") {
            flow.middle = true;
        } else if (part == "high") {
            flow.high = true;
        } else {
            throw CLI::ValidationError("--flow", "'" + part + "' is not one of low, middle, high");
        }
    }
    return flow;
}

// The pictures only ever grow the fire: a smaller one would have to drop the module's pixels.
void check_picture_size(const render_options& options)
{
    if (!options.size) {
        return;
    }
    const picture_size size = *options.size;
    const std::string text = std::to_string(size.width) + "x" + std::to_string(size.height);
    if (size.width < options.width || size.height < options.height) {
        throw CLI::ValidationError("--size", text + " is smaller than the mode, " + std::to_string(options.width) +
                                                 "x" + std::to_string(options.height));
    }
    if (!options.video_file.empty() && (size.width % 2 != 0 || size.height % 2 != 0)) {
        throw CLI::ValidationError("--size", text + " is odd, and a video needs an even width and height");
    }
}

// Before anything is read or written: an opaque video where an overlay was asked for would cost
// the whole render.
void check_transparency(const render_options& options)
{
    if (!options.transparent) {
        return;
    }
    if (options.video_file.empty() && options.gif_file.empty() && options.png_dir.empty()) {
        throw CLI::ValidationError("--transparent", "needs a picture to make clear: --video, --gif or --png");
    }
    if (!options.video_file.empty() && !carries_alpha(video_container_for(options.video_file))) {
        throw CLI::ValidationError("--transparent", "--video '" + options.video_file +
                                                        "' is an MP4, whose H.264 has no alpha: name a .webm "
                                                        "(VP9) or .mov (ProRes 4444) file");
    }
}

}  // namespace

std::optional<int> parse_render_options(int argc, char** argv, render_options& options)
{
    CLI::App app("", "pyrelle render");
    const std::string usage = render_usage();
    set_up_command(app, usage.c_str());
    app.add_option_function<std::string>("--mode", [&](const std::string& v) { parse_mode(v, options); })
        ->type_name("WxH");
    app.add_option_function<std::uint32_t>("--frames", [&](std::uint32_t v) { options.frames = v; })
        ->type_name("N")
        ->check(CLI::Range(0u, 10'000'000u));
    app.add_option_function<std::int32_t>("--frame-rate", [&](std::int32_t v) { options.frame_rate = v; })
        ->type_name("F")
        ->check(CLI::Range(min_frame_rate, max_frame_rate));
    CLI::Option* audio = app.add_option("--audio", options.audio_file)->type_name("FILE");
    CLI::Option* raw = app.add_option("--raw-samples", options.raw_samples_file)->type_name("FILE");
    CLI::Option* chunk = app.add_option("--chunk", options.chunk)->type_name("N")->check(CLI::Range(1u, 1u << 24));
    audio->excludes(raw);
    raw->needs(chunk);
    chunk->needs(raw);
    app.add_option("--config", options.config_file)->type_name("FILE");
    app.add_option_function<std::string>("--low",
                                         [&](const std::string& v) { options.low = parse_colour_option("--low", v); })
        ->type_name("C");
    app.add_option_function<std::string>(
           "--middle", [&](const std::string& v) { options.middle = parse_colour_option("--middle", v); })
        ->type_name("C");
    app.add_option_function<std::string>("--high",
                                         [&](const std::string& v) { options.high = parse_colour_option("--high", v); })
        ->type_name("C");
    app.add_option_function<std::string>("--flow", [&](const std::string& v) { options.flow = parse_flow(v); })
        ->type_name("LIST");
    app.add_option("--video", options.video_file)->type_name("FILE");
    app.add_option("--gif", options.gif_file)->type_name("FILE");
    app.add_option("--png", options.png_dir)->type_name("DIR");
    app.add_option("--dump-heat", options.heat_dump_file)->type_name("FILE");
    app.add_option("--dump-palette", options.palette_dump_file)->type_name("FILE");
    app.add_flag("--transparent", options.transparent);
    app.add_option_function<std::string>("--size",
                                         [&](const std::string& v) { options.size = parse_size("--size", v); })
        ->type_name("WxH");
    // After every option, whatever their order: the size is measured against the mode, and the
    // transparency against the outputs.
    app.final_callback([&] {
        check_picture_size(options);
        check_transparency(options);
    });
    return parse_command_line(app, argc, argv);
}

}  // namespace pyrelle::tools
