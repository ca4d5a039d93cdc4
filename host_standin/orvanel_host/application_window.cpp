// What the stand-in player does when the user works its main window, and the window's timers.
#include "host_standin/orvanel_host/application.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "audio/demo_track.h"

#include "host_standin/orvanel_host/open_dialog.h"
#include "host_standin/orvanel_host/track_loader.h"
#include "host_standin/orvanel_host/wide_text.h"
#include "support/utf8_string.h"

namespace pyrelle::standin {
namespace {

const char* state_name(playback_state state)
{
    switch (state) {
    case playback_state::playing:
        return "Playing";
    case playback_state::paused:
        return "Paused";
    default:
        return "Stopped";
    }
}

// m:ss of a position in seconds.
std::string minutes_and_seconds(double seconds)
{
    const long whole = static_cast<long>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

void application::move_playback(transport_action action)
{
    const playback_state before = player_->state();
    const std::shared_ptr<const track> track_before = player_->current_track();
    bool restarted = false;
    switch (action) {
    case transport_action::play:
        if (queue_.walking()) {
            queue_.play_when_opened();
        }
        transport_->play();
        break;
    case transport_action::pause:
        if (queue_.walking()) {
            queue_.stop_when_opened();
        }
        transport_->pause();
        break;
    case transport_action::stop:
        if (queue_.walking()) {
            queue_.stop_when_opened();
        }
        transport_->stop();
        break;
    case transport_action::next:
    case transport_action::previous: {
        const queue_move move = queue_.step(action == transport_action::next ? 1 : -1);
        restarted = move.what == queue_move::restart;
        carry_out(move);
        break;
    }
    case transport_action::play_pause:
        if (before == playback_state::playing) {
            if (queue_.walking()) {
                queue_.stop_when_opened();
            }
            transport_->pause();
        } else {
            if (queue_.walking()) {
                queue_.play_when_opened();
            }
            transport_->play();
        }
        break;
    }
    // A track that another opens is followed once it is current.
    follow_sound(restarted || player_->current_track() != track_before ||
                 (before == playback_state::stopped && player_->state() == playback_state::playing));
    update_status();
}

void application::follow_sound(bool position_jumped)
{
    sound_->follow(position_jumped);
    if (position_jumped && !sound_->has_device() && !sound_->silent_reason().empty() && !silence_reported_) {
        log_.line("sound: " + sound_->silent_reason() + "; playing silently");
        silence_reported_ = true;
    }
}

void application::report_unplayable(const std::string& what)
{
    log_.line("cannot play " + what);
    notice_ = "Cannot play " + what;
}

void application::retire(std::unique_ptr<track_decoder>& decoder)
{
    if (decoder) {
        decoder->cancel();
        retiring_.push_back(std::move(decoder));
    }
}

void application::load_demo_track(bool play)
{
    make_current(std::make_shared<track>(track{"Demo track", sample_window::holding(demo::make_demo_track())}), play);
}

void application::make_current(std::shared_ptr<track> made, bool play)
{
    if (play) {
        transport_->load(std::move(made));
    } else {
        player_->load(std::move(made));
        player_->stop();
    }
}

void application::carry_out(const queue_move& move)
{
    // Whatever was being opened is not wanted any more.
    retire(opening_);
    switch (move.what) {
    case queue_move::stay:
        break;
    case queue_move::restart:
        if (player_->current_track()) {
            transport_->load(player_->current_track());
        }
        break;
    case queue_move::demo:
        load_demo_track(move.play);
        break;
    case queue_move::open:
        begin_open(move.entry);
        break;
    }
}

void application::begin_open(std::size_t entry)
{
    const std::wstring path = queue_.path(entry);
    opening_title_ = narrow(file_name_of(path));
    opening_began_ms_ = ::GetTickCount64();
    const bool decoders = decoders_->ready();
    opening_ = std::make_unique<track_decoder>(
        opening_title_, [path, decoders] { return open_track_source(path, decoders); }, window_->news_poster());
}

void application::track_news()
{
    try {
        // Decoders cancelled earlier whose threads have ended can go without waiting.
        retiring_.erase(
            std::remove_if(retiring_.begin(), retiring_.end(),
                           [](const std::unique_ptr<track_decoder>& decoder) { return decoder->finished(); }),
            retiring_.end());
        if (opening_) {
            switch (opening_->stage()) {
            case decoder_stage::opening:
                break;
            case decoder_stage::failed:
                report_unplayable(opening_->failure());
                carry_out(queue_.failed());
                break;
            case decoder_stage::playable:
                make_opened_track_current();
                break;
            }
        }
        report_early_end();
    } catch (const std::exception& error) {
        log_.line(std::string("error: opening a track: ") + error.what());
    }
    update_status();
}

void application::make_opened_track_current()
{
    const std::shared_ptr<sample_window> window = opening_->window();
    auto made = std::make_shared<track>(track{opening_title_, window});
    char length[32] = "unknown length";
    if (const std::uint64_t frames = window->length_frames(); frames != 0) {
        std::snprintf(length, sizeof length, "%.1f s", static_cast<double>(frames) / window->rate());
    }
    log_.line("track " + made->title + ", " + std::to_string(window->rate()) + " Hz, " +
              std::to_string(window->channels()) + " channels, " + length + " (" + opening_->reader() + ", " +
              std::to_string(::GetTickCount64() - opening_began_ms_) + " ms)");
    notice_.clear();
    const bool play = queue_.opening_plays();
    queue_.opened();
    retire(feeding_);
    feeding_ = std::move(opening_);
    early_end_reported_ = false;
    make_current(std::move(made), play);
    follow_sound(true);
}

void application::report_early_end()
{
    const std::shared_ptr<const track> current = player_->current_track();
    if (early_end_reported_ || !feeding_ || !current || current->samples != feeding_->window()) {
        return;
    }
    const sample_window& window = *current->samples;
    if (!window.length_known()) {
        return;
    }
    early_end_reported_ = true;
    if (const std::string why = window.stopped_early(); !why.empty()) {
        char length[32];
        std::snprintf(length, sizeof length, "%.1f", static_cast<double>(window.length_frames()) / window.rate());
        notice_ = current->title + " ends after " + length + " s: " + why;
        log_.line("track " + notice_);
    }
}

void application::add_and_play(const std::vector<std::wstring>& paths)
{
    carry_out(queue_.add(paths));
    update_status();
}

void application::open_requested()
{
    try {
        std::vector<std::wstring> chosen;
        if (scripted_open_) {
            chosen.push_back(*scripted_open_);
            scripted_open_.reset();
        } else {
            std::wstring folder = open_folder_;
            if (folder.empty() && !queue_.empty()) {
                folder = folder_of(queue_.path(queue_.current()));
            }
            chosen = ask_for_sound_files(window_->handle(), folder);
        }
        if (chosen.empty()) {
            return;
        }
        open_folder_ = folder_of(chosen.front());
        add_and_play(chosen);
    } catch (const std::exception& error) {
        log_.line(std::string("error: open: ") + error.what());
    }
}

void application::files_dropped(const std::vector<std::wstring>& paths)
{
    try {
        add_and_play(paths);
    } catch (const std::exception& error) {
        log_.line(std::string("error: drop: ") + error.what());
    }
}

void application::transport_requested(transport_action action)
{
    try {
        move_playback(action);
    } catch (const std::exception& error) {
        log_.line(std::string("error: playback: ") + error.what());
    }
}

void application::module_command_chosen(const module_command& command)
{
    try {
        module_menu::execute(command);
    } catch (const std::exception& error) {
        log_.line(std::string("error: menu command: ") + error.what());
    }
}

void application::open_preferences()
{
    if (preferences_ && preferences_->is_open()) {
        ::SetForegroundWindow(preferences_->handle());
        return;
    }
    preferences_.reset();
    std::vector<preferences_page*> pages = module_->services_of<preferences_page>(preferences_page_class);
    if (pages.empty()) {
        throw std::runtime_error("the module offers no preferences page");
    }
    // Closing the window is when the user expects the changes kept, whatever ends the player later.
    preferences_ = std::make_unique<preferences_window>(::GetModuleHandleW(nullptr), window_->handle(),
                                                        std::move(pages), log_, [this] { save_settings(); });
}

void application::preferences_requested()
{
    try {
        open_preferences();
    } catch (const std::exception& error) {
        log_.line(std::string("error: preferences: ") + error.what());
    }
}

void application::save_requested() { save_settings(); }

void application::about_requested()
{
    std::string text;
    try {
        for (component_info* info : module_->services_of<component_info>(component_info_class)) {
            utf8_string name, version, about, file;
            info->name(name);
            info->version(version);
            info->about(about);
            info->file_name(file);
            text +=
                std::string(name.text()) + " " + version.text() + " (" + file.text() + ")\n" + about.text() + "\n\n";
        }
    } catch (const std::exception& error) {
        text += error.what();
    }
    ::MessageBoxW(window_->handle(), widen(text).c_str(), L"About components", MB_OK | MB_ICONINFORMATION);
}

void application::session_ending()
{
    // Windows ends the player with the session, before any exit code would run.
    if (settings_read_) {
        save_settings();
    }
}

void application::script_timer_expired()
{
    if (!script_ || script_->finished()) {
        return;
    }
    // A command that shows a modal window (the system colour dialog when no answer was queued)
    // runs a message loop of its own, which delivers this timer again: the script waits for the
    // command to finish instead of running inside it.
    constexpr unsigned busy_retry_ms = 50;
    if (in_script_step_) {
        window_->schedule_script(busy_retry_ms);
        return;
    }
    in_script_step_ = true;
    const std::optional<std::uint32_t> delay = script_->resume();  // commands' failures are caught inside
    in_script_step_ = false;
    if (delay && window_) {
        window_->schedule_script(*delay);
    }
}

void application::wave_buffer_done() { sound_->refill(); }

void application::status_tick()
{
    try {
        // A list walks on at a track's end (once: not again while the next one opens); a single
        // track repeats.
        if (queue_.moves_on_at_end() && !queue_.walking() && player_->played_through()) {
            move_playback(transport_action::next);
        }
        transport_->tick();
    } catch (const std::exception& error) {
        log_.line(std::string("error: position event: ") + error.what());
    }
    update_status();
}

void application::update_status()
{
    if (!window_) {
        return;
    }
    const std::shared_ptr<const track> current = player_->current_track();
    std::string line = opening_ ? "Opening " + opening_title_ + "...\r\n" : std::string();
    line += state_name(player_->state());
    if (current) {
        const sample_window& samples = *current->samples;
        const double length = static_cast<double>(samples.length_frames()) / samples.rate();
        double seconds = 0.0;
        player_->current_time(seconds);
        line += ": " + current->title + "  " + minutes_and_seconds(seconds) + " / " + minutes_and_seconds(length);
        if (queue_.size() > 1 && queue_.has_current()) {
            line += "  (" + std::to_string(queue_.current() + 1) + " of " + std::to_string(queue_.size()) + ")";
        }
        window_->set_title(current->title + " - Orvanel");
    } else {
        line += ": no track";
    }
    line += sound_ && sound_->has_device() ? "" : " (no sound device)";
    line += "\r\nframes asked for: " + std::to_string(visualisation_->fill_chunk_calls());
    if (!notice_.empty()) {
        line += "\r\n" + notice_;
    }
    window_->set_status(line);
}

}  // namespace pyrelle::standin
