// What the stand-in player does when the user works its main window, and the window's timers.
#include "host_standin/orvanel_host/application.h"

#include <cstdio>
#include <vector>

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
    switch (action) {
    case transport_action::play:
        transport_->play();
        break;
    case transport_action::pause:
        transport_->pause();
        break;
    case transport_action::stop:
        transport_->stop();
        break;
    case transport_action::next:
        step_list(1);
        break;
    case transport_action::previous:
        step_list(-1);
        break;
    case transport_action::play_pause:
        if (before == playback_state::playing) {
            transport_->pause();
        } else {
            transport_->play();
        }
        break;
    }
    const bool jumped = action == transport_action::next || action == transport_action::previous ||
                        player_->current_track() != track_before ||
                        (before == playback_state::stopped && player_->state() == playback_state::playing);
    sound_->follow(jumped);
    if (jumped && !sound_->has_device() && !sound_->silent_reason().empty() && !silence_reported_) {
        log_.line("sound: " + sound_->silent_reason() + "; playing silently");
        silence_reported_ = true;
    }
    update_status();
}

void application::report_unplayable(const std::string& what)
{
    log_.line("cannot play " + what);
    notice_ = "Cannot play " + what;
}

bool application::play_entry(std::size_t index, long direction, std::size_t attempts, bool start_playing)
{
    for (std::size_t attempt = 0; attempt < attempts; ++attempt) {
        const std::size_t candidate = list_.step(index, direction * static_cast<long>(attempt));
        const std::wstring& path = list_.path(candidate);
        if (window_) {
            window_->set_status("Opening " + narrow(file_name_of(path)) + "...");
        }
        loaded_track loaded;
        const std::uint64_t began = ::GetTickCount64();
        try {
            loaded = load_track(path, decoders_->ready());
        } catch (const track_error& error) {
            report_unplayable(error.what());
            continue;
        }
        const pcm_audio& audio = loaded.playable->audio;
        char length[32];
        std::snprintf(length, sizeof length, "%.1f", static_cast<double>(audio.frame_count()) / audio.sample_rate);
        log_.line("track " + loaded.playable->title + ", " + std::to_string(audio.sample_rate) + " Hz, " +
                  std::to_string(audio.channels) + " channels, " + length + " s (" + loaded.reader + ", " +
                  std::to_string(::GetTickCount64() - began) + " ms)");
        list_index_ = candidate;
        notice_.clear();
        if (!loaded.stopped_early.empty()) {
            notice_ = loaded.playable->title + " ends after " + length + " s: " + loaded.stopped_early;
            log_.line("track " + notice_);
        }
        if (start_playing) {
            transport_->load(loaded.playable);
        } else {
            player_->load(loaded.playable);
            player_->stop();
        }
        return true;
    }
    return false;
}

void application::step_list(long direction)
{
    // One file or the demo track: Next and Previous start it again.
    if (list_.size() <= 1 && player_->current_track()) {
        transport_->load(player_->current_track());
        return;
    }
    if (!list_.empty()) {
        play_entry(list_.step(list_index_, direction), direction, list_.size(), true);
    }
}

void application::add_and_play(const std::vector<std::wstring>& paths)
{
    if (paths.empty()) {
        return;
    }
    const bool was_demo = list_.empty();
    const std::size_t first = list_.add(paths);
    // A file that gives no track leaves the player on what it was playing.
    if (play_entry(first, 1, paths.size(), true)) {
        sound_->follow(true);
    } else if (was_demo) {
        list_index_ = 0;
    }
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
            if (folder.empty() && !list_.empty()) {
                folder = folder_of(list_.path(list_index_));
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
        // A list walks on at a track's end; a single track repeats.
        if (list_.size() > 1 && player_->played_through()) {
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
    std::string line = state_name(player_->state());
    if (current) {
        const double length = static_cast<double>(current->audio.frame_count()) / current->audio.sample_rate;
        double seconds = 0.0;
        player_->current_time(seconds);
        line += ": " + current->title + "  " + minutes_and_seconds(seconds) + " / " + minutes_and_seconds(length);
        if (list_.size() > 1) {
            line += "  (" + std::to_string(list_index_ + 1) + " of " + std::to_string(list_.size()) + ")";
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
