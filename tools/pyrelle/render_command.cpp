// `pyrelle render`: the module's first full-screen run in a process, off screen.
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "config/configuration.h"
#include "audio/demo_track.h"
#include "tools/pyrelle/audio_feed.h"
#include "tools/pyrelle/commands.h"
#include "tools/pyrelle/config_file.h"
#include "tools/pyrelle/distinct_files.h"
#include "tools/pyrelle/frame_outputs.h"
#include "tools/pyrelle/interruption.h"
#include "tools/pyrelle/offscreen_run.h"
#include "tools/pyrelle/progress_bar.h"
#include "tools/pyrelle/render_options.h"

namespace pyrelle::tools {
namespace {

constexpr std::int32_t default_frame_rate = 24;

struct resolved_render {
    run_settings run;
    std::int32_t frame_rate = default_frame_rate;

    // The module's timer period, whole milliseconds.
    std::uint32_t period_ms() const { return static_cast<std::uint32_t>(1000 / frame_rate); }
};

// Stored settings first, explicit options over them: what a user who points at their player's
// blob and then tries one colour expects.
resolved_render resolve(const render_options& options)
{
    configuration stored;
    if (!options.config_file.empty()) {
        std::string error;
        if (!load_configuration_file(options.config_file, stored, error)) {
            throw usage_error(error);
        }
    }
    resolved_render r;
    r.run.width = options.width;
    r.run.height = options.height;
    r.run.low = options.low.value_or(static_cast<colour>(stored.low_colour.value));
    r.run.middle = options.middle.value_or(static_cast<colour>(stored.middle_colour.value));
    r.run.high = options.high.value_or(static_cast<colour>(stored.high_colour.value));
    const flow_switches stored_flow{stored.low_flow.is_set(), stored.middle_flow.is_set(), stored.high_flow.is_set()};
    const flow_switches flow = options.flow.value_or(stored_flow);
    r.run.low_flow = flow.low;
    r.run.middle_flow = flow.middle;
    r.run.high_flow = flow.high;
    // A stored rate the module could not divide by runs at the default, as the module does.
    const std::int32_t stored_rate = stored.frame_rate.value;
    r.frame_rate =
        options.frame_rate.value_or(stored_rate >= 1 && stored_rate <= 1000 ? stored_rate : default_frame_rate);
    return r;
}

// Before any input is read or output begun, so that a slip of the keyboard costs nothing.
void refuse_shared_files(const render_options& options)
{
    std::vector<named_file> files;
    auto add = [&](const char* option, const std::string& path, file_use use) {
        if (!path.empty())
            files.push_back({option, path, use});
    };
    add("--audio", options.audio_file, file_use::input);
    add("--raw-samples", options.raw_samples_file, file_use::input);
    add("--config", options.config_file, file_use::input);
    add("--video", options.video_file, file_use::output);
    add("--gif", options.gif_file, file_use::output);
    add("--png", options.png_dir, file_use::frame_folder);
    add("--dump-heat", options.heat_dump_file, file_use::output);
    add("--dump-palette", options.palette_dump_file, file_use::output);
    require_distinct_files(files);
}

// The song, when there is one: what the timed feed plays and the video's sound.
struct render_audio {
    pcm_audio song;
    std::unique_ptr<audio_feed> feed;
};

// Fills `audio` in place: the feed refers to the song.
void open_audio(const render_options& options, std::uint32_t period_ms, render_audio& audio)
{
    if (!options.raw_samples_file.empty()) {
        audio.feed = make_raw_feed(options.raw_samples_file, options.chunk);
        return;
    }
    audio.song = options.audio_file.empty() ? demo::make_demo_track() : read_sound_file(options.audio_file);
    audio.feed = make_timed_feed(audio.song, period_ms);
}

// The render runs on a thread of its own, as the module's render thread does: its own generator
// starts at 1. SIGINT and SIGTERM are passed on to it, so that a write blocked on a FIFO returns.
void draw_frames(offscreen_run& run, audio_feed& audio, frame_outputs& outputs, std::uint32_t frames)
{
    std::exception_ptr failure;
    std::thread render_thread([&] {
        try {
            const interruptible_thread interruptible;
            progress_bar progress(frames);
            std::vector<float> chunk;
            for (std::uint32_t k = 0; k < frames && interruption_signal() == 0; ++k) {
                const bool have_audio = audio.chunk_for_frame(k, chunk);
                run.frame(chunk.data(), static_cast<std::uint32_t>(chunk.size()), have_audio);
                outputs.add_frame(run.heat(), run.palette());
                progress.update(k + 1);
            }
        } catch (...) {
            failure = std::current_exception();
        }
    });
    render_thread.join();
    stop_if_interrupted();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace
}  // namespace pyrelle::tools

int run_render_command(int argc, char** argv)
{
    using namespace pyrelle::tools;
    render_options options;
    resolved_render settings;
    render_audio audio;
    std::uint32_t frames = 0;
    try {
        if (const std::optional<int> answered = parse_render_options(argc, argv, options)) {
            return *answered;
        }
        refuse_shared_files(options);
        settings = resolve(options);
        open_audio(options, settings.period_ms(), audio);
        frames = options.frames.value_or(audio.feed->frame_count());
        if (frames == 0 && !(options.video_file.empty() && options.gif_file.empty())) {
            throw usage_error("a video or GIF needs at least one frame, and this render has none");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pyrelle render: %s\n", e.what());
        return 2;
    }

    const output_paths paths{options.video_file, options.gif_file, options.png_dir, options.heat_dump_file,
                             options.palette_dump_file};
    // What goes to standard output must stay clean: the report then goes to standard error.
    std::FILE* report = paths.uses_standard_output() ? stderr : stdout;
    interruption_guard interruptions;
    std::unique_ptr<frame_outputs> outputs;
    try {
        outputs = std::make_unique<frame_outputs>(
            paths,
            frame_format{settings.run.width, settings.run.height, settings.period_ms(),
                         options.size.value_or(picture_size{}), options.transparent},
            options.raw_samples_file.empty()
                ? std::optional<sound_format>({audio.song.sample_rate, audio.song.channels})
                : std::nullopt);
        outputs->add_sound(audio.song.samples.data(), audio.song.frame_count());
    } catch (const std::exception& e) {
        outputs.reset();
        if (interruption_signal() != 0)
            end_by_interruption();  // while waiting for a FIFO's reader
        std::fprintf(stderr, "pyrelle render: %s\n", e.what());
        return 2;
    }

    try {
        const auto started = std::chrono::steady_clock::now();
        // Run start happens on this thread: it draws the six start colours from this thread's
        // generator before the render thread exists.
        offscreen_run run(settings.run);
        draw_frames(run, *audio.feed, *outputs, frames);
        for (const std::string& path : outputs->commit()) {
            std::fprintf(report, "wrote %s\n", path.c_str());
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        std::fprintf(report, "%u frames of %dx%d at %d frames per second (one every %u ms) in %.2f s\n", frames,
                     settings.run.width, settings.run.height, settings.frame_rate, settings.period_ms(), took.count());
        return 0;
    } catch (const std::exception& e) {
        outputs.reset();
        if (interruption_signal() != 0)
            end_by_interruption();
        std::fprintf(stderr, "pyrelle render: %s\n", e.what());
        return 1;
    }
}
