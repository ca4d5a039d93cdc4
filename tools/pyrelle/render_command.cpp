// `pyrelle render`: the module's first full-screen run in a process, off screen.
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "audio/demo_track.h"
#include "config/configuration.h"
#include "fire/fire_settings.h"
#include "fire/frame_rate.h"
#include "fire/next_random.h"
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

// The module's timer period, whole milliseconds, for the run's frame rate.
std::uint32_t period_ms(const fire_settings& settings)
{
    return static_cast<std::uint32_t>(timer_period_ms(settings.frame_rate));
}

// Stored settings first, explicit options over them: what a user who points at their player's
// blob and then tries one colour expects. A stored frame rate that a run cannot serve runs at the
// default, as in the module.
fire_settings resolve(const render_options& options)
{
    configuration stored;
    if (!options.config_file.empty()) {
        std::string error;
        if (!load_configuration_file(options.config_file, stored, error)) {
            throw usage_error(error);
        }
    }
    fire_settings run = stored_fire_settings(stored);
    run.width = options.width;
    run.height = options.height;
    run.bits_per_pixel = 8;
    run.low_colour = options.low.value_or(run.low_colour);
    run.middle_colour = options.middle.value_or(run.middle_colour);
    run.high_colour = options.high.value_or(run.high_colour);
    if (options.flow) {
        run.low_flow = options.flow->low;
        run.middle_flow = options.flow->middle;
        run.high_flow = options.flow->high;
    }
    run.frame_rate = usable_frame_rate(options.frame_rate.value_or(run.frame_rate));
    return run;
}

// Before any input is read or output begun, so that a slip of the keyboard costs nothing.
void refuse_shared_files(const render_options& options)
{
    std::vector<named_file> files;
    auto add = [&](const char* option, const std::string& path, file_use use) {
        if (!path.empty()) {
            files.push_back({option, path, use});
        }
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

// The audio the frames take, read as they need it; the demo track when no input is given.
struct render_audio {
    pcm_audio demo;
    std::unique_ptr<audio_feed> feed;
};

// Fills `audio` in place: a feed of the demo track refers to it.
void open_audio(const render_options& options, std::uint32_t period_ms, render_audio& audio)
{
    if (!options.raw_samples_file.empty()) {
        audio.feed = make_raw_feed(options.raw_samples_file, options.chunk);
    } else if (options.audio_file.empty()) {
        audio.demo = demo::make_demo_track();
        audio.feed = make_timed_feed(audio.demo, period_ms);
    } else {
        audio.feed = make_timed_feed(open_sound_file(options.audio_file), period_ms);
    }
}

// Stops between frames when a signal arrived; the caller then removes what was begun. Without
// `frames`, the render goes on until the audio ends. Returns the frames drawn.
std::uint32_t draw_frames(offscreen_run& run, audio_feed& audio, frame_outputs& outputs,
                          std::optional<std::uint32_t> frames, std::uint32_t period_ms)
{
    std::uint32_t drawn = 0;
    progress_bar progress(frames ? frames : audio.expected_frames(), period_ms);
    std::vector<float> chunk;
    for (std::uint32_t k = 0; (!frames || k < *frames) && interruption_signal() == 0; ++k) {
        const bool have_audio = audio.chunk_for_frame(k, chunk);
        if (!have_audio && !frames) {
            break;
        }
        run.frame(chunk.data(), static_cast<std::uint32_t>(chunk.size()), have_audio);
        outputs.add_frame(run.heat(), run.palette());
        drawn = k + 1;
        progress.update(drawn);
    }
    progress.finish(drawn);
    stop_if_interrupted();
    return drawn;
}

}  // namespace
}  // namespace pyrelle::tools

int run_render_command(int argc, char** argv)
{
    using namespace pyrelle;
    using namespace pyrelle::tools;
    render_options options;
    fire_settings settings;
    render_audio audio;
    // Every failure is one line of the tool's own; FFmpeg's notes on a damaged or odd song (a
    // skipped packet, a guessed duration) or a refused encoder setting would only add lines to it.
    av_log_set_level(AV_LOG_QUIET);
    try {
        if (const std::optional<int> answered = parse_render_options(argc, argv, options)) {
            return *answered;
        }
        refuse_shared_files(options);
        settings = resolve(options);
        open_audio(options, period_ms(settings), audio);
        const bool no_frames = options.frames ? *options.frames == 0 : audio.feed->empty();
        if (no_frames && !(options.video_file.empty() && options.gif_file.empty())) {
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
        outputs =
            std::make_unique<frame_outputs>(paths,
                                            frame_format{settings.width, settings.height, period_ms(settings),
                                                         options.size.value_or(picture_size{}), options.transparent},
                                            audio.feed->sound());
        // The video's sound flows with the frames' reading, from the samples already read on.
        frame_outputs& sound_to = *outputs;
        audio.feed->send_samples_to([&sound_to](const float* samples, std::size_t sample_frames) {
            sound_to.add_sound(samples, sample_frames);
        });
    } catch (const std::exception& e) {
        outputs.reset();
        if (interruption_signal() != 0) {
            end_by_interruption();  // while waiting for a FIFO's reader
        }
        std::fprintf(stderr, "pyrelle render: %s\n", e.what());
        return 2;
    }

    try {
        const auto started = std::chrono::steady_clock::now();
        // Both generators fresh: the module's first run in a process.
        random_state starter;
        offscreen_run run(settings, starter);
        const std::uint32_t frames = draw_frames(run, *audio.feed, *outputs, options.frames, period_ms(settings));
        for (const std::string& path : outputs->commit()) {
            std::fprintf(report, "wrote %s\n", path.c_str());
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
        std::fprintf(report, "%u frames of %dx%d at %d frames per second (one every %u ms) in %.2f s\n", frames,
                     settings.width, settings.height, settings.frame_rate, period_ms(settings), took.count());
        return 0;
    } catch (const std::exception& e) {
        outputs.reset();
        if (interruption_signal() != 0) {
            end_by_interruption();
        }
        std::fprintf(stderr, "pyrelle render: %s\n", e.what());
        return 1;
    }
}
