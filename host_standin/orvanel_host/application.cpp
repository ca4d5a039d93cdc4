// The stand-in player's start-up and shut-down: what it loads, reads and tells the module, in
// order, and how it undoes that. The main window's requests are in application_window.cpp; the
// script's commands (script_commands.cpp) reach the player through the narrow interfaces at the
// end of this file.
#include "host_standin/orvanel_host/application.h"

#include <cstdio>
#include <vector>

#include "host_standin/orvanel_host/file_streams.h"
#include "host_standin/orvanel_host/process_report.h"
#include "host_standin/orvanel_host/wide_text.h"
#include "support/run_names.h"
#include "support/utf8_string.h"

namespace pyrelle::standin {
namespace {

std::wstring program_folder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::string read_text_file(const std::wstring& path)
{
    file_reader reader(path);
    never_abort abort;
    std::string text;
    char block[4096];
    while (const std::uint32_t got = reader.read(block, sizeof block, abort)) {
        text.append(block, got);
    }
    return text;
}

std::uint64_t milliseconds_now() { return ::GetTickCount64(); }

}  // namespace

application::application(host_options options, host_log& log) : options_(std::move(options)), log_(log) {}

application::~application()
{
    // Whatever happened, the module's objects go before the host's services they may hold.
    preferences_.reset();
    window_.reset();
    menu_.reset();
    module_.reset();
}

int application::run()
{
    try {
        start();
    } catch (const std::exception& error) {
        log_.line(std::string("error: ") + error.what());
        shut_down();
        return exit_cannot_start;
    }

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (preferences_ && preferences_->translate(message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }

    shut_down();
    if (script_ && script_->failed()) {
        failed_ = true;
    }
    return failed_ ? exit_failed : exit_ok;
}

void application::start()
{
    program_folder_ = program_folder();
    profile_ = std::make_unique<profile>(options_.profile_dir.empty() ? default_profile_folder()
                                                                      : full_path(options_.profile_dir));
    sync_folder_ = options_.sync_dir.empty() ? profile_->folder() : full_path(options_.sync_dir);

    std::vector<script_command> commands;
    if (!options_.script_path.empty()) {
        try {
            commands = parse_script(read_text_file(full_path(options_.script_path)));
        } catch (const file_error& error) {
            throw startup_error(std::string("script: ") + error.what());
        }
    }

    decoders_ = std::make_unique<media_foundation>();
    if (!decoders_->ready()) {
        log_.line("decoders: " + decoders_->failure() + "; only WAV files play");
    }
    player_ = std::make_unique<player>();
    std::vector<std::wstring> files;
    for (const std::string& file : options_.audio_files) {
        files.push_back(full_path(file));
    }
    queue_.add(files);
    transport_ = std::make_unique<transport>(*player_);
    visualisation_ = std::make_unique<visualisation_service>(*player_);
    registry_.add_object(host_information_class, information_);
    registry_.add_object(visualisation_manager_class, *visualisation_);

    const std::wstring module_path =
        options_.module_path.empty() ? program_folder_ + L"\\pyrelle.dll" : full_path(options_.module_path);
    module_ = std::make_unique<loaded_module>(module_path, registry_);
    announce_module();
    load_settings();
    settings_read_ = true;

    for (playback_listener* listener : module_->services_of<playback_listener>(playback_listener_class)) {
        transport_->add_listener(*listener);
    }
    notify_start();

    menu_ = std::make_unique<module_menu>(module_->services_of<menu_command>(menu_command_class));
    // A greyed-out command says nothing by itself; Wine offers 8-bit modes only in a virtual desktop.
    for (const std::string& name : menu_->disabled_names()) {
        log_.line("menu: \"" + name +
                  "\" is disabled: the module found no display mode it can use "
                  "(under Wine, 8-bit modes exist only in a virtual desktop)");
    }
    window_ = std::make_unique<main_window>(::GetModuleHandleW(nullptr), *this, *menu_);
    sound_ = std::make_unique<wave_output>(*player_, window_->handle());
    // The first file that plays is the current track, stopped at its start; none: the demo. It
    // opens while the script waits for it.
    carry_out(queue_.start());
    update_status();

    if (!options_.script_path.empty()) {
        commands_ = std::make_unique<script_commands>(*this, *this, *this, *menu_, log_, sync_folder_);
        script_ = std::make_unique<script_runner>(std::move(commands), *commands_, log_, milliseconds_now);
        window_->schedule_script(0);
    }
}

void application::announce_module()
{
    log_.line("module " + narrow(module_->path()));
    for (component_info* info : module_->services_of<component_info>(component_info_class)) {
        utf8_string name;
        utf8_string version;
        info->name(name);
        info->version(version);
        log_.line(std::string("component ") + name.text() + " " + version.text());
    }
    std::string classes;
    for (const module_service& service : module_->services()) {
        classes += (classes.empty() ? "" : ", ") + service_class_name(service.service_class);
    }
    log_.line("services " + classes);
    for (const guid& service_class : module_->misbehaving()) {
        log_.line("warning: the " + service_class_name(service_class) + " service does not answer for its own class");
    }
}

void application::load_settings()
{
    log_.line("settings: " + describe(profile_->load(module_->api()), profile_->config_path()));
}

void application::notify_start()
{
    services_started_ = true;
    for (lifecycle* service : module_->services_of<lifecycle>(lifecycle_class)) {
        try {
            service->on_start();
        } catch (const std::exception& error) {
            log_.line(std::string("error: on_start: ") + error.what());
            failed_ = true;
        }
    }
}

void application::shut_down()
{
    preferences_.reset();
    // No decoder thread outlives the shut-down; a cancelled one ends at its next block.
    retire(opening_);
    retire(feeding_);
    retiring_.clear();
    if (module_) {
        try {
            if (player_ && player_->state() != playback_state::stopped) {
                transport_->stop(stop_reason_shutting_down);
            }
        } catch (const std::exception& error) {
            log_.line(std::string("error: stop: ") + error.what());
        }
        for (lifecycle* service : module_->services_of<lifecycle>(lifecycle_class)) {
            try {
                if (services_started_) {
                    service->on_shutdown();
                }
            } catch (const std::exception& error) {
                log_.line(std::string("error: on_shutdown: ") + error.what());
            }
        }
        if (settings_read_) {
            save_settings();
        }
    }
    sound_.reset();
    window_.reset();
    menu_.reset();
    if (transport_) {
        transport_->clear_listeners();
    }
    if (module_) {
        module_.reset();
        const std::uint32_t held = information_.references() + (visualisation_ ? visualisation_->references() : 0);
        log_.line("unloaded; host objects alive " + std::to_string(live_transient_objects()) +
                  ", host service references held " + std::to_string(held));
    }
}

void application::save_settings()
{
    try {
        if (profile_->save(module_->api()) == save_outcome::written) {
            log_.line("settings: wrote " + narrow(profile_->config_path()));
        } else {
            log_.line("settings: left " + narrow(profile_->config_path()) + " as it is (" + profile_->kept_reason() +
                      "); the settings were not saved");
        }
    } catch (const std::exception& error) {
        log_.line(std::string("error: settings not saved: ") + error.what());
        failed_ = true;
    }
}

// ---- what the script reaches ----

void application::resume()
{
    transport_->resume();
    sound_->follow(false);
    update_status();
}

preferences_window* application::open_window()
{
    return preferences_ && preferences_->is_open() ? preferences_.get() : nullptr;
}

std::vector<preferences_page*> application::pages()
{
    return module_->services_of<preferences_page>(preferences_page_class);
}

void application::open_file(const std::wstring& path)
{
    // File > Open... as the menu runs it, with this file as the dialog's answer.
    scripted_open_ = path;
    window_->choose_open();
}

void application::drop_file(const std::wstring& path) { window_->drop({path}); }

void application::quit() { window_->close(); }

std::uint32_t application::chunks_asked() const { return visualisation_->fill_chunk_calls(); }

std::string application::resources()
{
    // The run window's class is registered only while a run exists.
    const bool registered = window_class_registered(module_->handle(), run_window_class_name_wide.data());
    return describe(measure_process()) + " window_class=" + (registered ? "1" : "0") +
           " host_objects=" + std::to_string(live_transient_objects()) +
           " streams_held=" + std::to_string(visualisation_->references());
}

}  // namespace pyrelle::standin
