#pragma once
// The files the user named (command line, File > Open..., dropped on the window), in the order
// given, which of them is current, and what to open next.
//
// A walk tries entries one after another until one gives a track: from the first file at
// start-up, from the one after (or before) the current entry for Next (Previous) and at a
// track's end, from the first added file when files are added. Entries that cannot play are
// skipped; the list goes round from its last entry to its first. A list of one file repeats it:
// Next and Previous start it again. With no list, or when nothing of it played at start-up, the
// demo track plays. A walk that finds nothing leaves the current track playing.
//
// Opening takes time: the caller starts opening the entry that a move names and reports back with
// opened() or failed(). A new walk replaces one in progress, going on from the entry it was at,
// so that pressing Next twice skips two entries.
#include <cstddef>
#include <string>
#include <vector>

namespace pyrelle::standin {

struct queue_move {
    enum kind {
        stay,     // nothing to do: the current track goes on
        restart,  // start the current track (or the demo track) again from its start
        open,     // open `entry`
        demo,     // nothing of the list plays: play the demo track
    };
    kind what = stay;
    std::size_t entry = 0;
    // Whether the track, once open, plays at once or waits stopped at its start.
    bool play = true;
};

class play_queue {
public:
    bool empty() const noexcept { return paths_.empty(); }
    std::size_t size() const noexcept { return paths_.size(); }
    const std::wstring& path(std::size_t index) const { return paths_.at(index); }

    // Whether an entry of the list is the current track; false while the demo track plays.
    bool has_current() const noexcept { return has_current_; }
    // The current entry; 0 while the demo track plays.
    std::size_t current() const noexcept { return current_; }
    // Whether a walk waits for opened() or failed().
    bool walking() const noexcept { return walking_; }
    // Whether the list moves on at a track's end; a single file or the demo track repeats.
    bool moves_on_at_end() const noexcept { return has_current_ && paths_.size() > 1; }

    // Start-up, with the command line's files already added: the first that plays, stopped.
    queue_move start();
    // Next (+1), Previous (-1), and a track's end in a list (+1).
    queue_move step(long direction);
    // Appends the files and walks from the first of them; no files: stay.
    queue_move add(const std::vector<std::wstring>& paths);
    // Play pressed while a walk is opening a track: it plays once open.
    void play_when_opened() noexcept { walk_.play = true; }
    // Stop or Pause pressed meanwhile: it waits stopped at its start once open.
    void stop_when_opened() noexcept { walk_.play = false; }
    // Whether the track that the walk is opening plays once open, or waits stopped.
    bool opening_plays() const noexcept { return walk_.play; }

    // The entry the walk tried gave a track: it is the current entry now.
    void opened();
    // It gave none: the next entry to try, or where the walk ends.
    queue_move failed();

private:
    queue_move walk(std::size_t from, long direction, std::size_t attempts, bool play, bool demo_if_none);
    std::size_t round(std::size_t index, long steps) const noexcept;

    std::vector<std::wstring> paths_;
    std::size_t current_ = 0;
    bool has_current_ = false;

    struct walk_state {
        std::size_t entry = 0;  // the entry being opened
        long direction = 1;
        std::size_t left = 0;  // entries still to try after this one
        bool play = true;
        bool demo_if_none = false;
    };
    bool walking_ = false;
    walk_state walk_;
};

}  // namespace pyrelle::standin
