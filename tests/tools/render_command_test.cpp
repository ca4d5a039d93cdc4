// `pyrelle render` as a user runs it: the real program, its files and its exit status.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "tests/tools/cli_harness.h"

namespace {

using pyrelle::testing::bytes;
using pyrelle::testing::read_bytes;
using RenderCommand = pyrelle::testing::scratch_folder_test;

const std::string data_dir = std::string(PYRELLE_TEST_DATA_DIR) + "/render/";
// Five chunks of 64 little-endian floats: a sine sweep, louder (and wrapping) in the third chunk.
const std::string sweep = data_dir + "sweep_5_chunks_of_64.f32";

constexpr std::size_t heat_16x8 = 16 * 10;
constexpr std::size_t palette_bytes = 1024;

bytes frame_of(const bytes& dump, std::size_t frame_size, std::size_t k)
{
    return bytes(dump.begin() + static_cast<std::ptrdiff_t>(k * frame_size),
                 dump.begin() + static_cast<std::ptrdiff_t>((k + 1) * frame_size));
}

// A GIF as a viewer shows it: each picture's delay (hundredths) and RGB pixels, and its loop count.
struct gif_pictures {
    std::vector<int> delays;
    std::vector<int> clear_indices;  // each picture's transparent index, NO_TRANSPARENT_COLOR for none
    std::vector<int> disposals;
    std::vector<bytes> rgb;
    int loops = -1;  // from the NETSCAPE2.0 extension; 0: for ever
};

gif_pictures read_gif(const std::string& file, int width, int height)
{
    gif_pictures pictures;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    EXPECT_NE(gif, nullptr) << file;
    if (gif == nullptr) {
        return pictures;
    }
    EXPECT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->SWidth, width);
    EXPECT_EQ(gif->SHeight, height) << "only the visible rows";
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control{};
        EXPECT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        pictures.delays.push_back(control.DelayTime);
        pictures.clear_indices.push_back(control.TransparentColor);
        pictures.disposals.push_back(control.DisposalMode);
        for (int b = 0; b + 1 < image.ExtensionBlockCount; ++b) {
            const ExtensionBlock& app = image.ExtensionBlocks[b];
            const ExtensionBlock& data = image.ExtensionBlocks[b + 1];
            if (app.Function == APPLICATION_EXT_FUNC_CODE && app.ByteCount == 11 &&
                std::memcmp(app.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 && data.Bytes[0] == 1) {
                pictures.loops = data.Bytes[1] | data.Bytes[2] << 8;
            }
        }
        EXPECT_EQ(image.ImageDesc.Width * image.ImageDesc.Height, width * height) << "whole pictures";
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        bytes rgb;
        for (int p = 0; map != nullptr && p < width * height; ++p) {
            const GifColorType& c = map->Colors[image.RasterBits[p] % map->ColorCount];
            rgb.insert(rgb.end(), {c.Red, c.Green, c.Blue});
        }
        pictures.rgb.push_back(rgb);
    }
    DGifCloseFile(gif, &error);
    return pictures;
}

// A PNG decoded by libpng to RGB and alpha, and whether it was stored palettised.
struct png_picture {
    bool palettised = false;
    png_uint_32 width = 0;
    bytes rgb;
    bytes alpha;
};

png_picture read_png(const std::string& file)
{
    png_picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, file.c_str()) == 0) {
        ADD_FAILURE() << file << ": " << image.message;
        return picture;
    }
    picture.palettised = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
    picture.width = image.width;
    image.format = PNG_FORMAT_RGBA;
    bytes rgba(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr), 0) << file;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        picture.rgb.insert(picture.rgb.end(), rgba.begin() + static_cast<std::ptrdiff_t>(i),
                           rgba.begin() + static_cast<std::ptrdiff_t>(i + 3));
        picture.alpha.push_back(rgba[i + 3]);
    }
    return picture;
}

// The entries of a PNG's tRNS chunk (after its 4-byte length and its name); empty without one.
bytes trns_chunk(const std::string& file)
{
    const bytes png = read_bytes(file);
    const char name[] = "tRNS";
    const auto at = std::search(png.begin(), png.end(), name, name + 4);
    if (at == png.end() || at - png.begin() < 4 || png.end() - at < 4 + at[-2] * 256 + at[-1]) {
        return {};
    }
    return bytes(at + 4, at + 4 + at[-2] * 256 + at[-1]);
}

// The opacity of a transparent picture's pixel of heat h, as the help states it: min(2h, 255).
int opacity_of(int heat) { return std::min(2 * heat, 255); }

// Where the mode's frame lands in a picture: each pixel `factor` times over at (left, top), black
// elsewhere.
struct placement {
    int width, height, factor, left, top;
};

// Every picture of the GIF and of frames/ against what the screen shows for the same frame of the
// heat and palette dumps in `folder`. Transparent pictures take their opacity from the heat, and
// their bars are index 0, clear; opaque ones have black bars.
void expect_pictures_show_the_dumps(const std::string& folder, const gif_pictures& gif, std::size_t frames,
                                    int mode_width, int mode_height, const placement& at, bool transparent = false)
{
    const bytes heat = read_bytes(folder + "heat"), palette = read_bytes(folder + "palette");
    const auto heat_frame = static_cast<std::size_t>(mode_width * (mode_height + 2));
    ASSERT_EQ(gif.rgb.size(), frames);
    for (std::size_t k = 0; k < frames; ++k) {
        const bytes frame = frame_of(heat, heat_frame, k), colours = frame_of(palette, palette_bytes, k);
        const auto pixels = static_cast<std::size_t>(at.width * at.height);
        bytes screen(pixels * 3, 0), alpha(pixels, transparent ? 0 : 255);
        for (std::size_t p = 0; transparent && p < pixels; ++p) {
            std::copy_n(colours.begin(), 3, screen.begin() + static_cast<std::ptrdiff_t>(p * 3));
        }
        for (int y = 0; y < mode_height * at.factor; ++y) {
            for (int x = 0; x < mode_width * at.factor; ++x) {
                const std::uint8_t heat = frame[static_cast<std::size_t>(y / at.factor * mode_width + x / at.factor)];
                const auto p = static_cast<std::size_t>((at.top + y) * at.width + at.left + x);
                std::copy_n(colours.begin() + heat * 4, 3, screen.begin() + static_cast<std::ptrdiff_t>(p * 3));
                alpha[p] = static_cast<std::uint8_t>(transparent ? opacity_of(heat) : 255);
            }
        }
        char name[48];
        std::snprintf(name, sizeof name, "frames/frame-%05zu.png", k);
        const png_picture png = read_png(folder + name);
        EXPECT_TRUE(png.palettised) << name;
        EXPECT_EQ(png.width, static_cast<png_uint_32>(at.width)) << name;
        EXPECT_EQ(png.rgb, screen) << name;
        EXPECT_EQ(png.alpha, alpha) << name;
        EXPECT_EQ(gif.rgb[k], screen) << "GIF picture " << k;
        EXPECT_EQ(gif.clear_indices[k], transparent ? 0 : NO_TRANSPARENT_COLOR) << "GIF picture " << k;
        // Drawn over the one before, the clear pixels would show old flames.
        EXPECT_EQ(gif.disposals[k], transparent ? DISPOSE_BACKGROUND : DISPOSAL_UNSPECIFIED) << "GIF picture " << k;
    }
}

// Red, green and blue of entry i of frame k's palette in a dump.
bytes colour_of(const bytes& dump, std::size_t k, std::size_t i)
{
    const auto at = dump.begin() + static_cast<std::ptrdiff_t>(k * palette_bytes + i * 4);
    return bytes(at, at + 3);
}

// Peak resident memory (kB) of `pyrelle render --mode 16x8 --audio -` fed `seconds` of a 44.1 kHz
// stereo 16-bit WAV tone through a pipe, written here as the program reads it; -1 when it failed.
long peak_memory_kb_piping(int seconds)
{
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) {
        return -1;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipe_ends[0], STDIN_FILENO);
        ::close(pipe_ends[0]);
        ::close(pipe_ends[1]);
        // The sanitizer's quarantine holds freed blocks back, which is not the program's memory.
        const char* sanitizer = std::getenv("ASAN_OPTIONS");
        ::setenv("ASAN_OPTIONS", (std::string(sanitizer ? sanitizer : "") + ":quarantine_size_mb=4").c_str(), 1);
        ::execl(PYRELLE_PROGRAM, PYRELLE_PROGRAM, "render", "--mode", "16x8", "--audio", "-",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipe_ends[0]);
    std::signal(SIGPIPE, SIG_IGN);
    const std::uint32_t frames = 44100u * static_cast<std::uint32_t>(seconds), data = frames * 4;
    auto le32 = [](std::uint32_t v) {
        return std::vector<std::uint8_t>{std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                                         std::uint8_t(v >> 24)};
    };
    bytes header = {'R', 'I', 'F', 'F'};
    for (const auto& part :
         {le32(36 + data), bytes{'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}, le32(16), bytes{1, 0, 2, 0}, le32(44100),
          le32(44100 * 4), bytes{4, 0, 16, 0}, bytes{'d', 'a', 't', 'a'}, le32(data)}) {
        header.insert(header.end(), part.begin(), part.end());
    }
    bool written = ::write(pipe_ends[1], header.data(), header.size()) == static_cast<ssize_t>(header.size());
    std::vector<std::int16_t> block(2 * 4410);
    for (std::uint32_t f = 0; written && f < frames; f += 4410) {
        for (std::size_t i = 0; i < 4410; ++i) {
            block[2 * i] = block[2 * i + 1] =
                static_cast<std::int16_t>(8000 * std::sin(static_cast<double>(f + i) * 0.05));
        }
        const auto size = static_cast<ssize_t>(block.size() * 2);
        written = ::write(pipe_ends[1], block.data(), static_cast<std::size_t>(size)) == size;
    }
    ::close(pipe_ends[1]);
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !written || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return usage.ru_maxrss;
}

}  // namespace

TEST_F(RenderCommand, HelpDocumentsEveryOption)
{
    const auto r = run({"render", "--help"});
    ASSERT_EQ(r.status, 0);
    for (const char* option : {"--mode", "--frames", "--frame-rate", "--audio", "--raw-samples", "--chunk", "--config",
                               "--low", "--middle", "--high", "--flow", "--video", "--gif", "--png", "--dump-heat",
                               "--dump-palette", "--transparent", "min(2h, 255) of 255", "--version"}) {
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
    }
}

TEST_F(RenderCommand, CommandLineTakesBothFormsAndNamesWhatIsWrong)
{
    const auto r = run({"render", "--mode=16X8", "--frames=1", "--dump-heat", "heat"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_bytes(path("heat")).size(), heat_16x8) << "either case of x";
    EXPECT_EQ(run({"--version"}).out, "pyrelle 0.93\n");
    EXPECT_EQ(run({"render", "--version"}).out, "pyrelle 0.93\n");
    EXPECT_EQ(run({"config", "write", "--version"}).out, "pyrelle 0.93\n");
    EXPECT_EQ(run({"render", "--mode"}).err,
              "pyrelle render: --mode: 1 required WxH missing (try 'pyrelle render --help')\n");
    EXPECT_EQ(run({"render", "--bogus"}).err,
              "pyrelle render: The following argument was not expected: --bogus (try 'pyrelle render --help')\n");
}

TEST_F(RenderCommand, ProgressShowsOnlyWhenStandardErrorIsATerminal)
{
    // Standard error on the terminal, the report in a file: the bar shows.
    ASSERT_EQ(shell("script -qec \"$PYRELLE render --mode 16x8 --frames 30 > report\" /dev/null > terminal"), 0);
    const std::string terminal = pyrelle::testing::read_text(path("terminal"));
    EXPECT_NE(terminal.find("\rrender [" + std::string(40, '#') + "] 30/30 frames"), std::string::npos) << terminal;
    // Standard output on the terminal, standard error a file: no bar anywhere.
    ASSERT_EQ(shell("script -qec \"$PYRELLE render --mode 16x8 --frames 30 2> errors\" /dev/null > terminal"), 0);
    EXPECT_EQ(pyrelle::testing::read_text(path("terminal")).find("render ["), std::string::npos);
    EXPECT_EQ(pyrelle::testing::read_text(path("errors")), "");
    // A song from a pipe has no length before its end: frames and the song's time so far.
    ASSERT_EQ(shell("ffmpeg -v error -f lavfi -i sine=duration=2 -f wav - > song.wav && script -qec \"cat song.wav | "
                    "$PYRELLE render --mode 16x8 --audio -\" /dev/null > streamed"),
              0);
    const std::string streamed = pyrelle::testing::read_text(path("streamed"));
    EXPECT_NE(streamed.find("\rrender 49 frames, 0:00:02 of sound"), std::string::npos) << streamed;
    const auto piped = run({"render", "--mode", "16x8", "--frames", "30"});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(piped.out.rfind("30 frames of 16x8 at 24 frames per second (one every 41 ms) in ", 0), 0u) << piped.out;
}

TEST_F(RenderCommand, ReportKeepsClearOfAnOutputOnStandardOutput)
{
    const auto r = run({"render", "--mode", "16x8", "--frames", "2", "--dump-heat", "-"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.size(), 2 * heat_16x8) << "only the heat";
    EXPECT_EQ(r.err.rfind("wrote -\n2 frames of 16x8 at 24 frames per second", 0), 0u) << r.err;
}

TEST_F(RenderCommand, SizeExampleInTheHelpIsTheDocs)
{
    const std::string help = run({"render", "--help"}).out;
    const std::string example = "640x480 in 1920x1080 is 1280x960 with bars of 320 and 60";
    EXPECT_NE(help.find(example), std::string::npos) << help;
    const std::string docs = pyrelle::testing::read_text(std::string(PYRELLE_SOURCE_DIR) + "/docs/tools.md");
    EXPECT_NE(docs.find(example), std::string::npos);
}

TEST_F(RenderCommand, FirstRunIsReproducedByteForByte)
{
    // Six frames, the last without a complete chunk; all three colours flowing. The expected dumps
    // were checked against an independent implementation of the fire when they were made.
    const auto r = run({"render", "--mode", "16x8", "--raw-samples", sweep, "--chunk", "64", "--frames", "6", "--flow",
                        "low,middle,high", "--dump-heat", "heat", "--dump-palette", "palette"});
    ASSERT_EQ(r.status, 0) << r.err;
    const bytes heat = read_bytes(path("heat"));
    const bytes palette = read_bytes(path("palette"));
    EXPECT_EQ(heat, read_bytes(data_dir + "all_flow_16x8.heat"));
    EXPECT_EQ(palette, read_bytes(data_dir + "all_flow_16x8.palette"));

    ASSERT_EQ(heat.size(), 6 * heat_16x8);
    ASSERT_EQ(palette.size(), 6 * palette_bytes);
    EXPECT_EQ(frame_of(heat, heat_16x8, 5), frame_of(heat, heat_16x8, 4)) << "no audio: the fire stands still";
    EXPECT_EQ(frame_of(palette, palette_bytes, 5), frame_of(palette, palette_bytes, 4)) << "and so does the flow";
    EXPECT_NE(frame_of(palette, palette_bytes, 1), frame_of(palette, palette_bytes, 0)) << "flow moves each frame";
}

TEST_F(RenderCommand, WithoutFlowThePaletteNeverChanges)
{
    const auto r = run({"render", "--mode", "16x8", "--raw-samples", sweep, "--chunk", "64", "--low", "#102030",
                        "--dump-palette", "palette"});
    ASSERT_EQ(r.status, 0) << r.err;
    const bytes palette = read_bytes(path("palette"));
    ASSERT_EQ(palette.size(), 5 * palette_bytes) << "frames default to the complete chunks";
    for (std::size_t k = 1; k < 5; ++k) {
        EXPECT_EQ(frame_of(palette, palette_bytes, k), frame_of(palette, palette_bytes, 0));
    }
    // #102030 is red 0x10, green 0x20, blue 0x30: entry 0 as (red, green, blue, flags).
    EXPECT_EQ(colour_of(palette, 0, 0), (bytes{0x10, 0x20, 0x30}));
    // The default high colour, COLORREF 0x003EFFFF, at entry 255.
    EXPECT_EQ(bytes(palette.begin() + 1020, palette.begin() + 1024), (bytes{0xFF, 0xFF, 0x3E, 0x00}));
}

TEST_F(RenderCommand, PicturesShowEachFrameThroughItsOwnPaletteAtTheTimersRealPace)
{
    // Flowing colours, so that every frame has a palette of its own.
    const auto r =
        run({"render", "--mode", "32x12", "--raw-samples", sweep, "--chunk", "16", "--flow", "low,middle,high", "--gif",
             "fire.gif", "--png", "frames", "--dump-heat", "heat", "--dump-palette", "palette"});
    ASSERT_EQ(r.status, 0) << r.err;
    const gif_pictures gif = read_gif(path("fire.gif"), 32, 12);
    EXPECT_EQ(gif.loops, 0) << "for ever";
    // 24 frames per second is a 41 ms timer: the hundredths must add up to 41 per frame.
    ASSERT_EQ(gif.delays.size(), 20u);
    for (int delay : gif.delays) {
        EXPECT_TRUE(delay == 4 || delay == 5) << delay;
    }
    EXPECT_EQ(std::accumulate(gif.delays.begin(), gif.delays.end(), 0), 82) << "20 frames of 41 ms";
    expect_pictures_show_the_dumps(path(""), gif, 20, 32, 12, {32, 12, 1, 0, 0});

    // 60 frames per second is 16 ms: no delay may fall below the 2 hundredths that viewers honour,
    // so some frames are left out, and the length stays 20 x 16 ms.
    ASSERT_EQ(run({"render", "--mode", "32x12", "--raw-samples", sweep, "--chunk", "16", "--frame-rate", "60", "--gif",
                   "fast.gif"})
                  .status,
              0);
    const std::vector<int> fast = read_gif(path("fast.gif"), 32, 12).delays;
    for (int delay : fast) {
        EXPECT_GE(delay, 2);
    }
    EXPECT_EQ(std::accumulate(fast.begin(), fast.end(), 0), 32);
}

TEST_F(RenderCommand, SizeReplicatesEachPixelBetweenBlackBars)
{
    // 32x12 in 70x40: twice, 64x24 at column 3, row 8. No palette entry of these colours is black,
    // so the bars take an index that the frame leaves free.
    const auto r =
        run({"render", "--mode",      "32x12", "--size",         "70x40",  "--low", "#102030",  "--raw-samples",
             sweep,    "--chunk",     "16",    "--frames",       "3",      "--gif", "fire.gif", "--png",
             "frames", "--dump-heat", "heat",  "--dump-palette", "palette"});
    ASSERT_EQ(r.status, 0) << r.err;
    expect_pictures_show_the_dumps(path(""), read_gif(path("fire.gif"), 70, 40), 3, 32, 12, {70, 40, 2, 3, 8});

    EXPECT_EQ(run({"render", "--mode", "32x12", "--size", "70x11", "--png", "frames"}).err,
              "pyrelle render: --size: 70x11 is smaller than the mode, 32x12 (try 'pyrelle render --help')\n");
    EXPECT_EQ(run({"render", "--size", "1280x961", "--video", "fire.mp4"}).err,
              "pyrelle render: --size: 1280x961 is odd, and a video needs an even width and height (try 'pyrelle "
              "render --help')\n");
}

TEST_F(RenderCommand, TransparentPicturesTakeTheirOpacityFromTheHeat)
{
    // Bars too, which must be clear.
    const auto r = run({"render",  "--mode", "32x12",       "--size", "70x40",          "--raw-samples", sweep,
                        "--chunk", "16",     "--flow",      "low",    "--transparent",  "--gif",         "fire.gif",
                        "--png",   "frames", "--dump-heat", "heat",   "--dump-palette", "palette"});
    ASSERT_EQ(r.status, 0) << r.err;
    expect_pictures_show_the_dumps(path(""), read_gif(path("fire.gif"), 70, 40), 20, 32, 12, {70, 40, 2, 3, 8}, true);
    bytes rule(256);
    for (int heat = 0; heat < 256; ++heat) {
        rule[static_cast<std::size_t>(heat)] = static_cast<std::uint8_t>(opacity_of(heat));
    }
    EXPECT_EQ(trns_chunk(path("frames/frame-00007.png")), rule);

    const auto mp4 = run({"render", "--frames", "1", "--transparent", "--video", "fire.mp4"});
    EXPECT_EQ(mp4.status, 2);
    EXPECT_EQ(mp4.err,
              "pyrelle render: --transparent: --video 'fire.mp4' is an MP4, whose H.264 has no alpha: name "
              "a .webm (VP9) or .mov (ProRes 4444) file (try 'pyrelle render --help')\n");
}

TEST_F(RenderCommand, RawSamplesEndingInAPartialChunkDrawNothingFromBeyondTheFile)
{
    // 320 floats in chunks of 60: five whole chunks and 20 floats over.
    const auto r = run({"render", "--mode", "16x8", "--raw-samples", sweep, "--chunk", "60", "--dump-heat", "heat"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_bytes(path("heat")).size(), 5 * heat_16x8) << "frames default to the whole chunks";
    ASSERT_EQ(run({"render", "--mode", "16x8", "--raw-samples", sweep, "--chunk", "60", "--frames", "6", "--dump-heat",
                   "heat"})
                  .status,
              0);
    const bytes heat = read_bytes(path("heat"));
    ASSERT_EQ(heat.size(), 6 * heat_16x8);
    EXPECT_EQ(frame_of(heat, heat_16x8, 5), frame_of(heat, heat_16x8, 4)) << "the partial chunk does not advance";
}

TEST_F(RenderCommand, AudioFromAPipeReadsLikeTheFile)
{
    ASSERT_EQ(shell("ffmpeg -v error -f lavfi -i sine=frequency=330:duration=1 -ac 2 song.wav && "
                    "ffmpeg -v error -i song.wav song.flac"),
              0);
    const std::vector<std::string> args = {"render", "--mode", "16x8", "--dump-heat"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> all = args;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    ASSERT_EQ(run(with({"file.heat", "--audio", "song.wav"})).status, 0);
    const bytes from_file = read_bytes(path("file.heat"));
    ASSERT_EQ(from_file.size(), 25 * heat_16x8) << "one second at 41 ms a frame";
    // A WAV streamed without its length, and a FLAC, whose reader seeks.
    EXPECT_EQ(
        shell("ffmpeg -v error -i song.wav -f wav - | $PYRELLE render --mode 16x8 --dump-heat wav.heat --audio -"), 0);
    EXPECT_EQ(shell("cat song.flac | $PYRELLE render --mode 16x8 --dump-heat flac.heat --audio -"), 0);
    EXPECT_EQ(read_bytes(path("wav.heat")), from_file);
    EXPECT_EQ(read_bytes(path("flac.heat")), from_file);
    ASSERT_EQ(run(with({"flac_file.heat", "--audio", "song.flac"})).status, 0);
    EXPECT_EQ(read_bytes(path("flac_file.heat")), from_file);
}

TEST(RenderMemory, APipedSongIsReadAsTheFramesNeedIt)
{
    // 15 minutes are 150 MB of WAV and 300 MB of floats; the whole song once held both.
    const long short_song = peak_memory_kb_piping(10);
    const long long_song = peak_memory_kb_piping(15 * 60);
    ASSERT_GT(short_song, 0);
    ASSERT_GT(long_song, 0);
    EXPECT_LT(long_song - short_song, 16 * 1024) << short_song << " kB for 10 s, " << long_song << " kB for 15 min";
}

TEST_F(RenderCommand, EndlessInputsEndAtTheFramesAsked)
{
    const auto r = run({"render", "--mode", "16x8", "--raw-samples", "/dev/zero", "--chunk", "64", "--frames", "100",
                        "--dump-heat", "heat"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_bytes(path("heat")).size(), 100 * heat_16x8);
    // An endless song through a pipe starts at once and ends at the frames asked.
    ASSERT_EQ(shell("ffmpeg -v quiet -f lavfi -i sine -f wav - | timeout 60 $PYRELLE render --mode 16x8 --audio - "
                    "--frames 50 --dump-heat piped.heat"),
              0);
    EXPECT_EQ(read_bytes(path("piped.heat")).size(), 50 * heat_16x8);
}

TEST_F(RenderCommand, DemoTrackRendersWithoutAnyInput)
{
    const auto r = run({"render", "--mode", "64x200", "--frames", "30", "--dump-heat", "heat"});
    ASSERT_EQ(r.status, 0) << r.err;
    const bytes heat = read_bytes(path("heat"));
    ASSERT_EQ(heat.size(), 30u * 64 * 202);
    const bytes last = frame_of(heat, 64 * 202, 29);
    std::size_t hot_top = 0, hot_bottom = 0;
    for (std::size_t x = 0; x < 64; ++x) {
        hot_top += last[100 * 64 + x] > 0;
        hot_bottom += last[190 * 64 + x] > 0;
    }
    EXPECT_EQ(hot_top, 0u) << "heat rises two rows a frame: 30 frames cannot reach row 100";
    EXPECT_GT(hot_bottom, 32u) << "the music feeds the bottom rows";
}

TEST_F(RenderCommand, BadInputIsRefusedWithoutWritingAnything)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--mode", "640x3"},
        {"--mode", "0x480"},
        {"--mode", "640by480"},
        {"--size", "640x479"},
        {"--mode", "16x8", "--size", "15x8"},
        {"--size", "1920"},
        {"--size", "1921x1080", "--video", "fire.mp4"},
        {"--frame-rate", "0"},
        {"--frame-rate", "1001"},
        {"--frames", "-1"},
        {"--low", "#12345"},
        {"--high", "red"},
        {"--flow", "low,sideways"},
        {"--raw-samples", "missing.f32", "--chunk", "64"},
        {"--raw-samples", sweep},
        {"--chunk", "64"},
        {"--raw-samples", sweep, "--chunk", "0"},
        {"--audio", "missing.wav"},
        {"--audio", "-"},                        // standard input is empty
        {"--frames", "0", "--gif", "fire.gif"},  // a GIF of no picture is no GIF
        {"--frames", "0", "--video", "fire.mp4"},
        {"--transparent", "--video", "-"},                                         // an MP4 on standard output
        {"--transparent"},                                                         // nothing to make clear
        {"--audio", sweep},                                                        // not a sound file
        {"--audio", std::string(PYRELLE_TEST_DATA_DIR) + "/../../docs/fire.png"},  // no audio stream
        {"--audio", "a.wav", "--raw-samples", sweep, "--chunk", "4"},
        {"--config", "missing.cfg"},
        {"--gif", "no/such/folder/out.gif"},
        // Outputs opened before the one that fails must go too.
        {"--gif", "fire.gif", "--dump-palette", "no/such/folder/palette"},
        {"--gif", "fire.gif", "--png", std::string(300, 'f')},  // a name too long for any file system
        {"--sparkle"},
        {"--mode"},
    };
    for (const auto& bad : cases) {
        std::vector<std::string> args = {"render", "--dump-heat", "heat", "--dump-palette", "palette"};
        args.insert(args.end(), bad.begin(), bad.end());
        const auto r = run(args);
        EXPECT_EQ(r.status, 2) << bad[0];
        EXPECT_EQ(r.err.find("pyrelle render: "), 0u) << bad[0] << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
        EXPECT_TRUE(files().empty()) << bad[0] << " left " << files().front();
    }
}

TEST_F(RenderCommand, StoredSettingsApplyAndOptionsOverrideThem)
{
    ASSERT_EQ(run({"config", "write", "stored.cfg", "low_colour=#203040", "middle_colour=#00FF00", "frame_rate=50",
                   "middle_flow=1"})
                  .status,
              0);
    const auto r = run({"render", "--config", "stored.cfg", "--middle", "#0000FF", "--flow", "none", "--mode", "16x8",
                        "--raw-samples", sweep, "--chunk", "64", "--dump-palette", "palette", "--gif", "fire.gif"});
    ASSERT_EQ(r.status, 0) << r.err;
    const bytes palette = read_bytes(path("palette"));
    ASSERT_GE(palette.size(), palette_bytes);
    EXPECT_EQ(colour_of(palette, 0, 0), (bytes{0x20, 0x30, 0x40})) << "stored low colour";
    EXPECT_EQ(colour_of(palette, 0, 127), (bytes{0x00, 0x00, 0xFF})) << "the explicit middle colour wins";
    EXPECT_EQ(read_gif(path("fire.gif"), 16, 8).delays, std::vector<int>(5, 2)) << "the stored 50 frames per second";

    const std::string corrupted = std::string(PYRELLE_TEST_DATA_DIR) + "/config/truncated_in_payload.bin";
    const auto refused = run({"render", "--config", corrupted, "--frames", "1", "--dump-heat", "heat"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "pyrelle render: " + corrupted + ": Unsupported format or corrupted file\n");
    EXPECT_EQ(files(), (std::vector<std::string>{"fire.gif", "palette", "stored.cfg"})) << "nothing written";
}

TEST_F(RenderCommand, StoredFlowSwitchesAndFrameRatesAreTheModules)
{
    // Only the middle anchor flows: entry 127 drifts, entries 0 and 255 keep the stored colours.
    ASSERT_EQ(run({"config", "write", "flow.cfg", "middle_flow=1", "high_colour=#102030"}).status, 0);
    ASSERT_EQ(run({"render", "--config", "flow.cfg", "--mode", "16x8", "--raw-samples", sweep, "--chunk", "64",
                   "--dump-palette", "palette"})
                  .status,
              0);
    const bytes palette = read_bytes(path("palette"));
    ASSERT_EQ(palette.size(), 5 * palette_bytes);
    EXPECT_NE(colour_of(palette, 1, 127), colour_of(palette, 0, 127)) << "the middle flows";
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(colour_of(palette, k, 255), (bytes{0x10, 0x20, 0x30})) << "the high does not";
        EXPECT_EQ(colour_of(palette, k, 0), (bytes{0, 0, 0})) << "nor the low";
    }

    // A stored rate the module could not divide by runs at the default.
    const std::pair<const char*, const char*> rates[] = {{"0", "at 24 frames per second"},
                                                         {"-5", "at 24 frames per second"},
                                                         {"1001", "at 24 frames per second"},
                                                         {"1000", "at 1000 frames per second"},
                                                         {"1", "at 1 frames per second"}};
    for (const auto& [stored, shown] : rates) {
        ASSERT_EQ(run({"config", "write", "rate.cfg", std::string("frame_rate=") + stored}).status, 0);
        const auto r = run({"render", "--config", "rate.cfg", "--mode", "16x8", "--frames", "1"});
        EXPECT_EQ(r.status, 0) << stored << ": " << r.err;
        EXPECT_NE(r.out.find(shown), std::string::npos) << stored << ": " << r.out;
    }
}
