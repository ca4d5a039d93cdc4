#pragma once
// Keeps the display on while a run shows: nobody touches the keyboard or mouse while the music
// plays, and without this the screen saver or the monitor's power-off would cut into a long
// album. Gives the thread's earlier request back when it goes.
#include <windows.h>

namespace pyrelle {

class display_awake {
public:
    display_awake() noexcept = default;
    display_awake(const display_awake&) = delete;
    display_awake& operator=(const display_awake&) = delete;
    ~display_awake() { reset(); }

    void keep_on() noexcept
    {
        reset();
        saved_ = ::SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED);
        held_ = true;
    }

    void reset() noexcept
    {
        if (!held_) {
            return;
        }
        held_ = false;
        // A state without ES_CONTINUOUS was no lasting request, so then the thread asks for
        // nothing.
        const bool lasting = (saved_ & ES_CONTINUOUS) != 0;
        ::SetThreadExecutionState(lasting ? saved_ : ES_CONTINUOUS);
    }

private:
    bool held_ = false;
    EXECUTION_STATE saved_ = 0;  // what SetThreadExecutionState reported before keep_on
};

}  // namespace pyrelle
