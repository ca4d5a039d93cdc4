// Where `pyrelle render` writes: the MP4, and what becomes of whatever stands at an output's path.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/tools/cli_harness.h"

namespace {

using pyrelle::testing::bytes;
using pyrelle::testing::read_bytes;
using pyrelle::testing::read_text;
using RenderOutputs = pyrelle::testing::scratch_folder_test;

const std::string sweep = std::string(PYRELLE_TEST_DATA_DIR) + "/render/sweep_5_chunks_of_64.f32";

// The bits of the path's own mode (not a link's target) under `mask`: S_IFMT for its kind.
mode_t mode_of(const std::string& path, mode_t mask = S_IFMT)
{
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & mask : 0;
}

// A render that began frames/ and did not finish leaves only the user's notes.txt there.
constexpr const char* only_the_notes = "test \"$(ls -A frames)\" = notes.txt";

}  // namespace

TEST_F(RenderOutputs, VideoHoldsTheSongAtTheRealPaceAndThePngPictures)
{
    // Three seconds of a tone: 74 frames at 41 ms.
    ASSERT_EQ(shell("ffmpeg -v error -f lavfi -i sine=frequency=220:duration=3 -ac 2 song.wav"), 0);
    const auto r = run({"render", "--mode", "96x64", "--audio", "song.wav", "--video", "fire.mp4"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(shell("ffprobe -v error -show_entries stream=codec_name,r_frame_rate,nb_frames,width,height,channels,"
                    "start_time,duration_ts -show_entries format=duration -of compact=nk=0 fire.mp4 > probe"),
              0);
    const std::string probe = read_text(path("probe"));
    // The song is 3 s at 44.1 kHz: 129 whole AAC frames of 1024 and a last one of 204 sample frames.
    for (const char* line : {"stream|codec_name=h264|width=96|height=64|r_frame_rate=1000/41|start_time=0.000000|"
                             "duration_ts=48544|nb_frames=74\n",
                             "stream|codec_name=aac|channels=2|r_frame_rate=0/0|start_time=0.000000|"
                             "duration_ts=132300|nb_frames=131\n"}) {
        EXPECT_NE(probe.find(line), std::string::npos) << line << " in\n" << probe;
    }
    const std::size_t at = probe.find("duration=");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NEAR(std::atof(probe.c_str() + at + 9), 3.03, 0.05) << "the song's length, to the last frame";

    // A frame of the video against the PNG of the same frame: lossy, but close. (At the usual
    // display sizes: in small modes the fire's detail is finer than 4:2:0 colour can follow.)
    ASSERT_EQ(run({"render", "--mode", "640x480", "--frames", "40", "--video", "demo.mp4", "--png", "frames"}).status,
              0);
    ASSERT_EQ(shell("ffmpeg -v error -i demo.mp4 -vf 'select=eq(n\\,39)' -frames:v 1 decoded.png && "
                    "ffmpeg -i decoded.png -i frames/frame-00039.png -lavfi psnr -f null - 2>&1 "
                    "| grep -o 'average:[0-9.]*' | cut -d: -f2 > psnr"),
              0);
    EXPECT_GT(std::atof(read_text(path("psnr")).c_str()), 30.0);

    // Raw samples have no sound; a FIFO gets a fragmented MP4 that reads from its start.
    ASSERT_EQ(shell("mkfifo pipe.mp4 && (cat pipe.mp4 > piped.mp4 &) && $PYRELLE render --mode 32x16 "
                    "--raw-samples " +
                    pyrelle::testing::shell_quoted(sweep) +
                    " --chunk 64 --video pipe.mp4 >/dev/null && "
                    "sleep 0.2 && ffprobe -v error -show_entries stream=codec_name -of csv=p=0 piped.mp4 > streams"),
              0);
    EXPECT_EQ(read_text(path("streams")), "h264\n");
    EXPECT_EQ(mode_of(path("pipe.mp4")), S_IFIFO);

    const auto odd = run({"render", "--mode", "33x16", "--video", "odd.mp4"});
    EXPECT_EQ(odd.status, 2);
    EXPECT_NE(odd.err.find("even width and height"), std::string::npos) << odd.err;
}

TEST_F(RenderOutputs, EverySongFFmpegReadsBecomesTheVideosWholeSound)
{
    // Two seconds of each kind that people have; the hi-res song's sound is 48 kHz in the video.
    struct song_kind {
        const char* file;
        const char* make;   // ffmpeg's options after the 2-second tone input
        const char* sound;  // the video's sound stream: rate and channels
    };
    const song_kind kinds[] = {
        {"song.m4a", "-ac 2 -c:a aac", "48000|2"},
        {"song.wma", "-ac 2 -c:a wmav2", "48000|2"},
        {"song.webm", "-ac 2 -c:a libopus", "48000|2"},
        {"clip.mp4", "-f lavfi -i testsrc=size=64x48:rate=25:duration=2 -ac 2 -c:a aac -c:v libx264 -shortest",
         "48000|2"},
        {"hires.flac", "-ar 96000 -ac 2 -c:a flac -sample_fmt s32", "48000|2"},
        {"surround.flac", "-ac 6 -c:a flac", "48000|6"},
    };
    for (const song_kind& kind : kinds) {
        SCOPED_TRACE(kind.file);
        ASSERT_EQ(shell(std::string("ffmpeg -v error -f lavfi -i anoisesrc=d=2:r=48000:a=0.3 ") + kind.make + " " +
                        kind.file),
                  0);
        const auto r = run({"render", "--mode", "32x16", "--audio", kind.file, "--video", "fire.mp4"});
        ASSERT_EQ(r.status, 0) << r.err;
        // The song's length as FFmpeg decodes it (an encoder may drop a tail), in 8 kHz mono bytes.
        ASSERT_EQ(shell(std::string("ffmpeg -v error -i ") + kind.file +
                        " -map 0:a -ar 8000 -ac 1 -f s16le - | wc -c > song_bytes && "
                        "ffprobe -v error -select_streams a -show_entries stream=sample_rate,channels,duration "
                        "-of compact=nk=1:p=0 fire.mp4 > probe"),
                  0);
        const double song_seconds = std::atof(read_text(path("song_bytes")).c_str()) / 16000;
        const std::string probe = read_text(path("probe"));
        EXPECT_EQ(probe.substr(0, probe.rfind('|')), kind.sound);
        EXPECT_NEAR(std::atof(probe.c_str() + probe.rfind('|') + 1), song_seconds, 0.01) << probe;
        ASSERT_EQ(shell("rm fire.mp4 " + std::string(kind.file)), 0);
    }
}

TEST_F(RenderOutputs, WebmAndMovHoldTheSongAtTheRealPace)
{
    ASSERT_EQ(shell("ffmpeg -v error -f lavfi -i sine=frequency=220:duration=3 -ac 2 song.wav"), 0);
    // Each container's video codec, and its sound's codec and rate. Without --transparent the
    // pictures have no alpha plane, also as libvpx decodes them (the built-in decoder never shows one).
    const std::array<std::array<std::string, 3>, 2> containers = {{
        {"webm", "codec_name=vp9", "codec_name=opus|sample_rate=48000"},
        {"mov", "codec_name=prores", "codec_name=pcm_s16le|sample_rate=44100"},
    }};
    for (const auto& [kind, video, sound] : containers) {
        const std::string file = "fire." + kind;
        const auto r = run({"render", "--mode", "96x64", "--audio", "song.wav", "--video", file});
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(shell("ffprobe -v error -count_packets -show_entries stream=codec_name,sample_rate,r_frame_rate,"
                        "nb_read_packets -show_entries format=duration -of compact=nk=0 " +
                        file +
                        " > probe && "
                        "ffprobe -v error -select_streams a -show_entries packet=pts_time,duration_time -of csv=p=0 " +
                        file + " | grep . | tail -n 1 > last && ffmpeg -v verbose " +
                        (kind == "webm" ? "-c:v libvpx-vp9 " : "") + "-i " + file +
                        " -map 0:v -frames:v 1 -f null - 2>&1 | grep -o 'pixfmt:[a-z0-9]*' > pixels"),
                  0);
        const std::string probe = read_text(path("probe"));
        for (const std::string& stream : {video + "|r_frame_rate=1000/41|nb_read_packets=74\n", sound}) {
            EXPECT_NE(probe.find("stream|" + stream), std::string::npos) << stream << " in\n" << probe;
        }
        const std::size_t at = probe.find("duration=");
        ASSERT_NE(at, std::string::npos) << probe;
        EXPECT_NEAR(std::atof(probe.c_str() + at + 9), 3.034, 0.01) << file << ": 74 frames of 41 ms";
        double pts = 0, duration = 0;
        ASSERT_EQ(std::sscanf(read_text(path("last")).c_str(), "%lf,%lf", &pts, &duration), 2) << file;
        EXPECT_NEAR(pts + duration, 3.0, 0.025) << file << ": the sound ends with the song, within a packet";
        EXPECT_EQ(read_text(path("pixels")), kind == "webm" ? "pixfmt:yuv420p\n" : "pixfmt:yuv444p12le\n") << file;
    }
}

TEST_F(RenderOutputs, TransparentVideoAlphaIsTheHeatsOpacity)
{
    // The decoded alpha against min(2h, 255) of the heat dump, and the colour of fully opaque pixels
    // against the palette dump. Measured at 96x64 over 30 frames of the demo track: the WebM's
    // alpha (VP9 at quality 24) is 1.3 off on average and at most 22, its opaque colours 10 off on
    // average (4:2:0 chroma); the MOV's alpha (ProRes 4444) is exact, its colours 0.5 off.
    struct bound {
        const char* file;
        double alpha_mean;
        int alpha_max;
        double colour_mean;
    };
    const bound bounds[] = {{"fire.webm", 2.0, 32, 14.0}, {"fire.mov", 0.0, 0, 1.0}};
    constexpr std::size_t width = 96, height = 64, frames = 30, pixels = width * height;
    for (const bound& b : bounds) {
        const auto r = run({"render", "--mode", "96x64", "--frames", "30", "--transparent", "--video", b.file,
                            "--dump-heat", "heat", "--dump-palette", "palette"});
        ASSERT_EQ(r.status, 0) << r.err;
        // 16 bits a sample, so that no conversion to 8 bits rounds or dithers on the way.
        const std::string decode = std::string("ffmpeg -y -v error ") +
                                   (std::string(b.file) == "fire.webm" ? "-c:v libvpx-vp9 " : "") + "-i " + b.file;
        ASSERT_EQ(shell(decode + " -vf alphaextract -f rawvideo -pix_fmt gray16le alpha && " + decode +
                        " -f rawvideo -pix_fmt rgb48le rgb"),
                  0);
        const bytes heat = read_bytes(path("heat")), palette = read_bytes(path("palette"));
        const bytes alpha = read_bytes(path("alpha")), rgb = read_bytes(path("rgb"));
        ASSERT_EQ(alpha.size(), frames * pixels * 2) << b.file;
        ASSERT_EQ(rgb.size(), frames * pixels * 6) << b.file;
        auto sample = [](const bytes& data, std::size_t i) { return (data[2 * i] | data[2 * i + 1] << 8) / 257.0; };
        double alpha_off = 0, colour_off = 0;
        int alpha_max = 0;
        std::size_t opaque = 0;
        for (std::size_t k = 0; k < frames; ++k) {
            for (std::size_t p = 0; p < pixels; ++p) {
                const std::uint8_t h = heat[k * width * (height + 2) + p];
                const int off =
                    std::abs(static_cast<int>(std::lround(sample(alpha, k * pixels + p))) - std::min(2 * h, 255));
                alpha_off += off;
                alpha_max = std::max(alpha_max, off);
                for (std::size_t c = 0; h >= 128 && c < 3; ++c, ++opaque) {
                    colour_off += std::abs(sample(rgb, (k * pixels + p) * 3 + c) - palette[k * 1024 + h * 4u + c]);
                }
            }
        }
        EXPECT_LE(alpha_off / static_cast<double>(frames * pixels), b.alpha_mean) << b.file;
        EXPECT_LE(alpha_max, b.alpha_max) << b.file;
        ASSERT_GT(opaque, 0u);
        EXPECT_LE(colour_off / static_cast<double>(opaque), b.colour_mean) << b.file;
    }
}

TEST_F(RenderOutputs, VideoPicturesAreRgbReplicatedBetweenBlackBars)
{
    // No complete chunk: the fire never starts and every pixel shows the low colour, orange. 33x16
    // in 90x44 is 66x32 at column 12, row 6; an odd mode makes a video at an even size.
    const auto r = run({"render", "--mode", "33x16", "--size", "90x44", "--low", "#FF8000", "--raw-samples", sweep,
                        "--chunk", "1000", "--frames", "2", "--video", "fire.mp4"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(shell("ffmpeg -v error -i fire.mp4 -frames:v 1 -f rawvideo -pix_fmt rgb24 picture.rgb"), 0);
    const bytes rgb = read_bytes(path("picture.rgb"));
    ASSERT_EQ(rgb.size(), 90u * 44 * 3);
    // Lossy: near enough to tell each channel from the others, and the bars from the fire.
    auto near = [&](int x, int y, std::array<int, 3> want) {
        const std::size_t at = static_cast<std::size_t>(y * 90 + x) * 3;
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_NEAR(rgb[at + c], want[c], 40) << "pixel (" << x << ", " << y << ") channel " << c;
        }
    };
    for (const auto& [x, y] : {std::pair{16, 10}, {45, 22}, {74, 34}}) {
        near(x, y, {255, 128, 0});
    }
    for (const auto& [x, y] : {std::pair{5, 22}, {84, 22}, {45, 2}, {45, 41}, {0, 0}, {89, 43}}) {
        near(x, y, {0, 0, 0});
    }
}

TEST_F(RenderOutputs, NothingStandingAtAPathIsDestroyed)
{
    // The link is relative and in a folder of its own: it names ../target.heat from sub/.
    ASSERT_EQ(
        shell("echo old > target.heat && mkdir sub && ln -s ../target.heat sub/link.heat && echo old > plain.heat "
              "&& chmod 640 plain.heat && mkfifo fifo.palette && echo old > settings.bin && "
              "ln -s settings.bin settings.link && echo old > protected.gif && chmod 444 protected.gif"),
        0);
    auto render = [&](const std::string& extra) {
        std::string line = "(cat fifo.palette > got.palette &) && $PYRELLE render --mode 16x8 --raw-samples " +
                           pyrelle::testing::shell_quoted(sweep) +
                           " --chunk 64 --dump-heat sub/link.heat --gif plain.heat "
                           "--dump-palette fifo.palette " +
                           extra + " >/dev/null 2>&1";
        return shell(line);
    };
    // A render that fails after opening everything leaves every path as it was.
    EXPECT_EQ(render("--png " + std::string(300, 'f')), 2);
    EXPECT_EQ(read_text(path("target.heat")), "old\n");
    EXPECT_EQ(read_text(path("plain.heat")), "old\n");

    ASSERT_EQ(render(""), 0);
    ::usleep(200'000);  // the reader drains the FIFO
    EXPECT_EQ(mode_of(path("sub/link.heat")), S_IFLNK) << "the link stays a link";
    EXPECT_EQ(read_bytes(path("target.heat")).size(), 5u * 16 * 10) << "and its target holds the dump";
    EXPECT_EQ(mode_of(path("plain.heat")), S_IFREG);
    EXPECT_EQ(mode_of(path("plain.heat"), 07777), 0640u) << "a replaced file keeps its mode";
    EXPECT_EQ(read_text(path("plain.heat")).rfind("GIF89a", 0), 0u);
    EXPECT_EQ(mode_of(path("fifo.palette")), S_IFIFO) << "the FIFO stays a FIFO";
    EXPECT_EQ(read_bytes(path("got.palette")).size(), 5u * 1024) << "and its reader got every frame";

    // Even root, whom permissions let by, does not replace a file that nobody may write.
    const auto is_protected = run({"render", "--mode", "16x8", "--frames", "1", "--gif", "protected.gif"});
    EXPECT_EQ(is_protected.status, 2);
    EXPECT_EQ(is_protected.err, "pyrelle render: cannot write 'protected.gif': Permission denied\n");
    EXPECT_EQ(read_text(path("protected.gif")), "old\n");

    ASSERT_EQ(run({"config", "write", "settings.link", "frame_rate=30"}).status, 0);
    EXPECT_EQ(mode_of(path("settings.link")), S_IFLNK);
    EXPECT_EQ(read_bytes(path("settings.bin")).size(), 183u);
    const auto to_stdout = run({"config", "write", "-", "frame_rate=30"});
    EXPECT_EQ(to_stdout.status, 0);
    EXPECT_EQ(to_stdout.out, read_text(path("settings.bin")));
    EXPECT_EQ(files(), (std::vector<std::string>{"fifo.palette", "got.palette", "plain.heat", "protected.gif",
                                                 "settings.bin", "settings.link", "sub", "target.heat"}));
}

TEST_F(RenderOutputs, AnOutputNeverNamesAnInputOrAnotherOutput)
{
    ASSERT_EQ(shell("echo song > song.wav && ln song.wav hard.wav && mkdir sub && ln -s ../song.wav sub/song.link && "
                    "echo blob > my.bin && mkdir frames && echo frame > frames/frame-00001.png"),
              0);
    const std::vector<std::string> before = files();
    struct example {
        std::vector<std::string> args;
        const char* message;
    };
    const example examples[] = {
        {{"--audio", "song.wav", "--video", "song.wav"},
         "--video 'song.wav' is the file that --audio 'song.wav' reads: an output must not replace an input"},
        {{"--audio", "song.wav", "--gif", "./song.wav"},
         "--gif './song.wav' is the file that --audio 'song.wav' reads: an output must not replace an input"},
        {{"--raw-samples", "song.wav", "--chunk", "4", "--dump-heat", "sub/song.link"},
         "--dump-heat 'sub/song.link' is the file that --raw-samples 'song.wav' reads: an output must not replace "
         "an input"},
        {{"--audio", "hard.wav", "--dump-palette", "song.wav"},
         "--dump-palette 'song.wav' is the file that --audio 'hard.wav' reads: an output must not replace an input"},
        {{"--config", "my.bin", "--dump-palette", "sub/../my.bin"},
         "--dump-palette 'sub/../my.bin' is the file that --config 'my.bin' reads: an output must not replace an "
         "input"},
        {{"--gif", "fire.out", "--video", "./fire.out"},
         "--video './fire.out' and --gif 'fire.out' are one file: each output needs a file of its own"},
        {{"--png", "frames", "--gif", "frames/frame-00001.png"},
         "--gif 'frames/frame-00001.png' is a frame file of --png 'frames', which the render replaces or removes"},
        {{"--png", "new", "--dump-heat", "new/frame-00007.png"},
         "--dump-heat 'new/frame-00007.png' is a frame file of --png 'new', which the render replaces or removes"},
    };
    for (const example& e : examples) {
        std::vector<std::string> args = {"render", "--mode", "16x8", "--frames", "1"};
        args.insert(args.end(), e.args.begin(), e.args.end());
        const auto r = run(args);
        EXPECT_EQ(r.status, 2) << e.message;
        EXPECT_EQ(r.err, std::string("pyrelle render: ") + e.message + "\n");
        EXPECT_EQ(files(), before) << e.message;
    }
    EXPECT_EQ(read_text(path("song.wav")), "song\n");
    EXPECT_EQ(read_text(path("my.bin")), "blob\n");
    EXPECT_EQ(read_text(path("frames/frame-00001.png")), "frame\n");
    // A character device takes any number of writers.
    EXPECT_EQ(
        run({"render", "--mode", "16x8", "--frames", "2", "--dump-heat", "/dev/null", "--dump-palette", "/dev/null"})
            .status,
        0);
}

TEST_F(RenderOutputs, FailedWritesFailTheCommandAndLeaveEveryPathAsItWas)
{
    const auto full = run({"render", "--mode", "16x8", "--frames", "1", "--gif", "g.gif", "--dump-heat", "/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "pyrelle render: cannot write '/dev/full': No space left on device\n");
    const auto config = run({"config", "write", "/dev/full"});
    EXPECT_EQ(config.status, 1);
    EXPECT_EQ(config.err, "pyrelle config write: cannot write '/dev/full': No space left on device\n");
    EXPECT_TRUE(files().empty());

    // A frame that cannot be moved into place (a folder holds its name): the frames already moved
    // go back, and so do the earlier render's.
    ASSERT_EQ(run({"render", "--mode", "16x8", "--frames", "4", "--png", "frames"}).status, 0);
    ASSERT_EQ(shell("rm frames/frame-00002.png && mkdir frames/frame-00002.png && ls -lR frames > before"), 0);
    const auto blocked = run({"render", "--mode", "16x8", "--frames", "5", "--flow", "high", "--png", "frames"});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.err, "pyrelle render: cannot write 'frames/frame-00002.png': Is a directory\n");
    EXPECT_EQ(shell("ls -lR frames | diff before -"), 0) << "the folder is as it was";

    // A full disk: a small file system of its own, in a mount namespace that ends with the shell.
    if (shell("unshare -m true 2>/dev/null") != 0) {
        GTEST_SKIP() << "no mount namespace here (not root?)";
    }
    const int status = shell(
        "unshare -m --propagation private bash -c '"
        "mkdir -p disk && mount -t tmpfs -o size=256k tmpfs disk && "
        "$PYRELLE render --mode 64x64 --frames 3 --png disk/frames >/dev/null && echo keep > disk/frames/notes.txt && "
        "ls -lR disk > before.full && "
        "$PYRELLE render --mode 64x64 --frames 400 --png disk/frames 2> err.full; "
        "echo $? > status.full; ls -lR disk | diff before.full - > diff.full'");
    ASSERT_EQ(status, 0);
    EXPECT_EQ(read_text(path("status.full")), "1\n");
    const std::string err = read_text(path("err.full"));
    EXPECT_EQ(err.rfind("pyrelle render: cannot write 'disk/frames/frame-00", 0), 0u) << err;
    EXPECT_NE(err.find(".png': No space left on device\n"), std::string::npos) << err;
    EXPECT_EQ(read_text(path("diff.full")), "") << "the folder and the disk as they were";
}

TEST_F(RenderOutputs, InterruptedRenderRemovesWhatItBegan)
{
    for (const auto& [name, number] : {std::pair{"INT", SIGINT}, std::pair{"TERM", SIGTERM}}) {
        ASSERT_EQ(shell("mkdir -p frames && echo keep > frames/notes.txt"), 0);
        // Long enough to be caught in the middle; stopped as soon as its first outputs exist. It
        // must die by the signal itself, as its caller's shell then reports, not exit with 128 + n.
        const int ended_by =
            shell_signal(std::string("(for i in $(seq 100); do ls frames/.pyrelle-frames-*/frame-00002.png "
                                     ">/dev/null 2>&1 && break; sleep 0.05; done; kill -") +
                         name +
                         " $$) & exec $PYRELLE render --mode 320x240 --frame-rate 1000 --frames "
                         "100000 --video v.mp4 --gif g.gif --png frames --dump-heat h >/dev/null 2>&1");
        EXPECT_EQ(ended_by, number) << name;
        EXPECT_EQ(files(), (std::vector<std::string>{"frames"})) << name;
        EXPECT_EQ(shell(only_the_notes), 0) << name;
    }
    // A reader that goes away is a failed write, not a death by SIGPIPE halfway through the files.
    ASSERT_EQ(shell("$PYRELLE render --mode 64x32 --frames 200 --gif g.gif --png frames --dump-heat - 2>err "
                    "| head -c 10 >/dev/null; echo ${PIPESTATUS[0]} > status"),
              0);
    EXPECT_EQ(read_text(path("status")), "1\n");
    EXPECT_EQ(read_text(path("err")), "pyrelle render: cannot write '-': Broken pipe\n");
    EXPECT_EQ(files(), (std::vector<std::string>{"err", "frames", "status"}));
    EXPECT_EQ(shell(only_the_notes), 0);
}

TEST_F(RenderOutputs, LateAndIgnoredSignalsAreHonoured)
{
    // Started with SIGINT ignored (as nohup or a background job starts it): Ctrl-C stays ignored.
    ASSERT_EQ(shell("(trap '' INT; exec $PYRELLE render --mode 320x240 --frame-rate 1000 --frames 100000 "
                    "--dump-heat h >/dev/null 2>&1) & sleep 0.5; kill -INT $!; sleep 0.5; "
                    "kill -0 $! && echo running > after-int; kill -TERM $!; wait $!; echo $? > status"),
              0);
    EXPECT_EQ(read_text(path("after-int")), "running\n");
    EXPECT_EQ(read_text(path("status")), "143\n");
    EXPECT_EQ(files(), (std::vector<std::string>{"after-int", "status"}));

    // SIGTERM while the finished files are put on disk: nothing is moved into place.
    const std::string late = "export ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD=" +
                             pyrelle::testing::shell_quoted(PYRELLE_SIGNAL_IN_FSYNC) + "; ";
    ASSERT_EQ(shell("echo old > h && echo old > settings.bin && mkdir frames && echo keep > frames/notes.txt && (" +
                    late + "$PYRELLE render --mode 16x8 --frames 3 --dump-heat h --png frames 2>/dev/null; " +
                    "echo $? > status; $PYRELLE config write settings.bin; echo $? > config-status)"),
              0);
    EXPECT_EQ(read_text(path("status")), "143\n");
    EXPECT_EQ(read_text(path("config-status")), "143\n");
    EXPECT_EQ(read_text(path("h")), "old\n");
    EXPECT_EQ(read_text(path("settings.bin")), "old\n");
    EXPECT_EQ(shell(only_the_notes), 0);

    // Waiting for a FIFO's reader, `render` and `config write` both end by the signal.
    EXPECT_EQ(shell_signal("mkfifo wait.heat; (sleep 0.3; kill -TERM $$) & exec $PYRELLE render --mode 16x8 "
                           "--frames 3 --dump-heat wait.heat"),
              SIGTERM);
    EXPECT_EQ(shell_signal("mkfifo wait.bin; (sleep 0.3; kill -TERM $$) & exec $PYRELLE config write wait.bin"),
              SIGTERM);
    EXPECT_EQ(mode_of(path("wait.heat")), S_IFIFO);
    EXPECT_EQ(mode_of(path("wait.bin")), S_IFIFO);
    EXPECT_EQ(files(), (std::vector<std::string>{"after-int", "config-status", "frames", "h", "settings.bin", "status",
                                                 "wait.bin", "wait.heat"}));
}

TEST_F(RenderOutputs, PngFolderHoldsOnlyTheLatestRender)
{
    ASSERT_EQ(run({"render", "--mode", "16x8", "--frames", "5", "--png", "frames"}).status, 0);
    ASSERT_EQ(shell("echo keep > frames/notes.txt"), 0);
    ASSERT_EQ(run({"render", "--mode", "16x8", "--frames", "3", "--png", "frames"}).status, 0);
    EXPECT_EQ(shell("test \"$(ls -A frames | tr '\\n' ' ')\" = "
                    "'frame-00000.png frame-00001.png frame-00002.png notes.txt '"),
              0);
}
