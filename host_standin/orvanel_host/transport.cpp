#include "host_standin/orvanel_host/transport.h"

#include <cmath>
#include <cstring>

#include "host_standin/orvanel_host/host_objects.h"

namespace pyrelle::standin {
namespace {

// The starting command that event 0 reports.
constexpr std::uint64_t start_by_play = 0;
constexpr std::uint64_t start_by_next = 2;

}  // namespace

void transport::add_listener(playback_listener& listener) { listeners_.push_back({&listener, listener.event_mask()}); }

void transport::announce(transition what, std::uint32_t stop_reason, std::uint64_t start_command)
{
    switch (what) {
    case transition::none:
        return;
    case transition::new_track: {
        for (const binding& listener : listeners_) {
            if (wants(listener, event_starting)) {
                listener.events->on_event_0(start_command);
            }
        }
        // One track object; each listener gets a reference of its own, which it releases.
        auto* track_object = new plain_object;
        for (const binding& listener : listeners_) {
            if (wants(listener, event_new_track)) {
                track_object->add_ref();
                listener.events->on_new_track(track_object);
            }
        }
        track_object->release();
        last_second_ = -1;
        return;
    }
    case transition::paused:
    case transition::resumed:
        for (const binding& listener : listeners_) {
            if (wants(listener, event_pause)) {
                listener.events->on_pause(what == transition::paused);
            }
        }
        return;
    case transition::stopped:
        for (const binding& listener : listeners_) {
            if (wants(listener, event_stop)) {
                listener.events->on_stop(stop_reason);
            }
        }
        return;
    }
}

void transport::play() { announce(player_.play(), 0, start_by_play); }
void transport::pause() { announce(player_.pause(), 0, 0); }
void transport::resume() { announce(player_.resume(), 0, 0); }
void transport::stop(std::uint32_t reason) { announce(player_.stop(), reason, 0); }
void transport::load(std::shared_ptr<const track> next, bool by_user_next)
{
    announce(player_.load(std::move(next)), 0, by_user_next ? start_by_next : start_by_play);
}

void transport::tick()
{
    double seconds = 0.0;
    if (player_.state() != playback_state::playing || !player_.current_time(seconds)) {
        return;
    }
    const long second = static_cast<long>(std::floor(seconds));
    if (second == last_second_) {
        return;
    }
    last_second_ = second;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    for (const binding& listener : listeners_) {
        if (wants(listener, event_position)) {
            listener.events->on_event_8(bits);
        }
    }
}

}  // namespace pyrelle::standin
