#pragma once
// Play, Pause, Stop and a new track: moves the player and tells every playback listener what happened,
// each only of the events its mask asks for. Events go out on the calling (user-interface) thread.
//
// The events this host sends, by number: 0 playback starting (8 bytes: the starting command in
// the low half), 1 new track (a reference to the track), 2 stop (the reason), 4 pause (the new
// paused state), 8 the position in seconds once a second (a double's 8 bytes). 3, 5, 6, 7 and 9
// are never sent.
#include <cstdint>
#include <memory>
#include <vector>

#include "host/host_interfaces.h"
#include "host_standin/playback/player.h"

namespace pyrelle::standin {

enum : std::uint32_t {
    event_starting = 0,
    event_new_track = 1,
    event_stop = 2,
    event_pause = 4,
    event_position = 8,
};

// Why playback stopped (event 2's argument).
enum : std::uint32_t { stop_reason_user = 0, stop_reason_shutting_down = 2 };

class transport {
public:
    explicit transport(player& source) noexcept : player_(source) {}

    // Reads the listener's mask once; the listener must outlive the transport's use of it.
    void add_listener(playback_listener& listener);
    void clear_listeners() noexcept { listeners_.clear(); }

    void play();
    void pause();
    void resume();
    void stop(std::uint32_t reason = stop_reason_user);
    // Starts `next` from its start; `by_user_next` says whether Next (or Previous) asked for it.
    void load(std::shared_ptr<const track> next, bool by_user_next = true);
    // Sends the position event when a whole second has passed since the last one.
    void tick();

    player& source() noexcept { return player_; }

private:
    struct binding {
        playback_events* events;
        std::uint32_t mask;
    };
    bool wants(const binding& listener, std::uint32_t event) const noexcept
    {
        return (listener.mask >> event & 1u) != 0;
    }
    void announce(transition what, std::uint32_t stop_reason, std::uint64_t start_command);

    player& player_;
    std::vector<binding> listeners_;
    long last_second_ = -1;
};

}  // namespace pyrelle::standin
