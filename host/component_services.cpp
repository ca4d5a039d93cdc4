#include "host/component_services.h"

#include "fire/fire_engine.h"
#include "host/visualisation_toggle.h"
#include "host/module_state.h"
#include "support/credits.h"

namespace pyrelle {

const char* const component_about_text = "Compiled: " __DATE__ " " __TIME__ "\n" PYRELLE_CREDITS_LINE;

// ---- component info ---------------------------------------------------------------------------

void component_info_service::file_name(text_object& out) { out.set(module::module_file_name(), whole_text); }
void component_info_service::name(text_object& out) { out.set(component_name, whole_text); }
void component_info_service::version(text_object& out) { out.set(component_version, whole_text); }
void component_info_service::about(text_object& out) { out.set(component_about_text, whole_text); }

// ---- menu command ------------------------------------------------------------------------------

std::uint32_t menu_command_service::command_count() { return 1; }

guid menu_command_service::command_guid(std::uint32_t index) { return index == 0 ? toggle_command_guid : guid{}; }

void menu_command_service::command_name(std::uint32_t index, text_object& out)
{
    if (index == 0) {
        out.set(component_name, whole_text);
    }
}

bool menu_command_service::command_description(std::uint32_t index, text_object& out)
{
    if (index != 0) {
        return false;
    }
    out.set(toggle_command_description, whole_text);
    return true;
}

guid menu_command_service::parent_guid() { return visualisations_menu_guid; }

std::uint32_t menu_command_service::ordering_value() { return toggle_command_ordering; }

bool menu_command_service::display_state(std::uint32_t index, text_object& out, std::uint32_t* flags)
{
    if (engine_.is_running()) {
        *flags = menu_flag_checked;
    } else if (modes_.empty()) {
        *flags = menu_flag_disabled;
    } else {
        *flags = 0;
    }
    command_name(index, out);
    return true;
}

void menu_command_service::execute(std::uint32_t index, service_base* callback)
{
    // The callback's reference is ours to drop, also when the toggle throws.
    service_ref held_callback;
    held_callback.adopt(callback);
    if (index == 0) {
        toggle_visualisation(engine_, modes_, settings_);
    }
}

// ---- lifecycle ---------------------------------------------------------------------------------

void lifecycle_service::on_start() { modes_.rebuild(); }

void lifecycle_service::on_shutdown() {}

// ---- playback listener -------------------------------------------------------------------------

std::uint32_t playback_listener_service::event_mask() { return playback_event_mask; }

void playback_listener_service::on_event_0(std::uint64_t) {}

void playback_listener_service::on_new_track(service_base* track)
{
    service_ref held_track;
    held_track.adopt(track);
    engine_.set_paused(false);
}

void playback_listener_service::on_stop(std::uint32_t) { engine_.set_paused(true); }

void playback_listener_service::on_event_3(std::uint64_t) {}

void playback_listener_service::on_pause(bool paused) { engine_.set_paused(paused); }

void playback_listener_service::on_event_5(service_base* reference)
{
    service_ref held_reference;
    held_reference.adopt(reference);
}

void playback_listener_service::on_event_6(std::uint32_t) {}
void playback_listener_service::on_event_7(std::uint32_t) {}
void playback_listener_service::on_event_8(std::uint64_t) {}
void playback_listener_service::on_event_9(std::uint32_t) {}

}  // namespace pyrelle
