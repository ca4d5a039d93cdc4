// What the stand-in player does when the user works its main window, and the window's timers.
#include "host_standin/orvanel_host/application.h"

#include <cstdio>
#include <vector>

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

}  // namespace

void application::move_playback(transport_action action)
{
    const playback_state before = player_->state();
    const std::size_t track_before = player_->track_index();
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
        transport_->next();
        break;
    case transport_action::play_pause:
        if (before == playback_state::playing) {
            transport_->pause();
        } else {
            transport_->play();
        }
        break;
    }
    const bool jumped = action == transport_action::next || player_->track_index() != track_before ||
                        (before == playback_state::stopped && player_->state() == playback_state::playing);
    sound_->follow(jumped);
    if (jumped && !sound_->has_device() && !sound_->silent_reason().empty() && !silence_reported_) {
        log_.line("sound: " + sound_->silent_reason() + "; playing silently");
        silence_reported_ = true;
    }
    update_status();
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
    double seconds = 0.0;
    const bool timed = player_->current_time(seconds);
    char position[32] = "";
    if (timed) {
        std::snprintf(position, sizeof position, " %.1f s", seconds);
    }
    std::string line = std::string(state_name(player_->state())) + ": " + player_->current_track().title + position;
    line += sound_ && sound_->has_device() ? "" : " (no sound device)";
    line += "\r\nframes asked for: " + std::to_string(visualisation_->fill_chunk_calls());
    window_->set_status(line);
}

}  // namespace pyrelle::standin
