#pragma once
// The stand-in player as a whole: it loads the module, offers it the host's services, keeps its
// settings in the profile, plays the play list's tracks on a clock, shows the main and
// preferences windows and runs the automation script. run() returns the process's exit status.
//
// Tracks open and decode on threads of their own (track_decoder); this thread only starts them,
// hears of their progress through the main window's messages and makes a track current once its
// first samples have come. The status line says "Opening ..." meanwhile, and Open, drop, Next and
// Previous return at once; a later one cancels an open in progress. A file that gives no track
// is named in the log and the status line with the reason, and the player goes on to the next
// file, or stays on what it was playing.
//
// Exit status: 0; 1 when a script command failed or the settings could not be saved; 2 when the
// player could not start (the module or the script could not be used).
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host_standin/orvanel_host/command_line.h"
#include "host_standin/orvanel_host/host_log.h"
#include "host_standin/orvanel_host/host_services.h"
#include "host_standin/orvanel_host/loaded_module.h"
#include "host_standin/orvanel_host/main_window.h"
#include "host_standin/orvanel_host/media_foundation_reader.h"
#include "host_standin/orvanel_host/module_menu.h"
#include "host_standin/playback/play_queue.h"
#include "host_standin/playback/player.h"
#include "host_standin/playback/track_decoder.h"
#include "host_standin/orvanel_host/preferences_window.h"
#include "host_standin/orvanel_host/profile.h"
#include "host_standin/orvanel_host/script_commands.h"
#include "host_standin/orvanel_host/script_runner.h"
#include "host_standin/orvanel_host/service_registry.h"
#include "host_standin/orvanel_host/transport.h"
#include "host_standin/orvanel_host/wave_output.h"

namespace pyrelle::standin {

constexpr int exit_ok = 0;
constexpr int exit_failed = 1;
constexpr int exit_cannot_start = 2;

class application final : public main_window_handler,
                          public transport_buttons,
                          public preferences_access,
                          public player_shell {
public:
    application(host_options options, host_log& log);
    ~application();

    int run();

    // main_window_handler
    void transport_requested(transport_action action) override;
    void module_command_chosen(const module_command& command) override;
    void preferences_requested() override;
    void open_requested() override;
    void files_dropped(const std::vector<std::wstring>& paths) override;
    void save_requested() override;
    void about_requested() override;
    void session_ending() override;
    void script_timer_expired() override;
    void wave_buffer_done() override;
    void status_tick() override;
    void track_news() override;

    // transport_buttons, for the script
    void press(transport_action action) override { transport_requested(action); }
    void resume() override;
    bool opening() const override { return opening_ != nullptr; }

    // preferences_access, for the script
    void open_preferences() override;
    preferences_window* open_window() override;
    std::vector<preferences_page*> pages() override;

    // player_shell, for the script
    void open_file(const std::wstring& path) override;
    void drop_file(const std::wstring& path) override;
    void quit() override;
    void save_settings() override;
    std::uint32_t chunks_asked() const override;
    std::string resources() override;

private:
    void start();
    void load_settings();
    void announce_module();
    void notify_start();
    void shut_down();
    void move_playback(transport_action action);
    void update_status();

    // Play queue: carries out what the queue decided, and what came of an open.
    void carry_out(const queue_move& move);
    void begin_open(std::size_t entry);
    void make_opened_track_current();
    void report_early_end();
    void load_demo_track(bool play);
    // Makes `made` the current track: playing through the transport, or stopped at its start.
    void make_current(std::shared_ptr<track> made, bool play);
    void follow_sound(bool position_jumped);
    // Cancels the decoder and keeps it until its thread has ended, so that nothing here waits.
    void retire(std::unique_ptr<track_decoder>& decoder);
    void add_and_play(const std::vector<std::wstring>& paths);
    void report_unplayable(const std::string& what);

    host_options options_;
    host_log& log_;
    std::wstring program_folder_;
    std::wstring sync_folder_;
    std::unique_ptr<media_foundation> decoders_;
    play_queue queue_;
    std::wstring open_folder_;                   // where File > Open... starts
    std::optional<std::wstring> scripted_open_;  // the script's answer to the next File > Open...
    std::string notice_;                         // the last file that could not be played, and why
    std::unique_ptr<player> player_;
    std::unique_ptr<transport> transport_;
    host_information_service information_;
    std::unique_ptr<visualisation_service> visualisation_;
    service_registry registry_;
    std::unique_ptr<loaded_module> module_;
    std::unique_ptr<profile> profile_;
    std::unique_ptr<module_menu> menu_;
    std::unique_ptr<main_window> window_;
    std::unique_ptr<preferences_window> preferences_;
    std::unique_ptr<wave_output> sound_;
    std::unique_ptr<script_commands> commands_;
    std::unique_ptr<script_runner> script_;
    // After decoders_ and the window, so that they go first: the decoder of the entry being opened,
    // the one that feeds the current track, and cancelled ones whose threads have not ended yet.
    std::unique_ptr<track_decoder> opening_;
    std::string opening_title_;
    std::uint64_t opening_began_ms_ = 0;
    std::unique_ptr<track_decoder> feeding_;
    std::vector<std::unique_ptr<track_decoder>> retiring_;
    bool early_end_reported_ = false;
    bool failed_ = false;
    bool silence_reported_ = false;
    bool in_script_step_ = false;
    // What start() got to, so that shutting down undoes only that: settings that could not be
    // read are never overwritten, and only notified services hear of the shut-down.
    bool settings_read_ = false;
    bool services_started_ = false;
};

// Reasons why the player cannot start; run() logs them and returns exit_cannot_start.
class startup_error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace pyrelle::standin
