#include "host_standin/playback/play_queue.h"

namespace pyrelle::standin {

std::size_t play_queue::round(std::size_t index, long steps) const noexcept
{
    const long size = static_cast<long>(paths_.size());
    return static_cast<std::size_t>((static_cast<long>(index) + steps % size + size) % size);
}

queue_move play_queue::walk(std::size_t from, long direction, std::size_t attempts, bool play, bool demo_if_none)
{
    if (attempts == 0 || paths_.empty()) {
        walking_ = false;
        return {demo_if_none ? queue_move::demo : queue_move::stay, 0, play};
    }
    walking_ = true;
    walk_ = {from, direction, attempts - 1, play, demo_if_none};
    return {queue_move::open, from, play};
}

queue_move play_queue::start() { return walk(0, 1, paths_.size(), false, true); }

queue_move play_queue::step(long direction)
{
    if (paths_.size() <= 1 && !walking_) {
        return {queue_move::restart, current_, true};
    }
    const std::size_t from = walking_ ? walk_.entry : current_;
    return walk(round(from, direction), direction, paths_.size(), true, false);
}

queue_move play_queue::add(const std::vector<std::wstring>& paths)
{
    if (paths.empty()) {
        return {queue_move::stay, current_, true};
    }
    const std::size_t first = paths_.size();
    paths_.insert(paths_.end(), paths.begin(), paths.end());
    return walk(first, 1, paths.size(), true, false);
}

void play_queue::opened()
{
    if (!walking_) {
        return;
    }
    walking_ = false;
    current_ = walk_.entry;
    has_current_ = true;
}

queue_move play_queue::failed()
{
    if (!walking_) {
        return {queue_move::stay, current_, true};
    }
    return walk(round(walk_.entry, walk_.direction), walk_.direction, walk_.left, walk_.play, walk_.demo_if_none);
}

}  // namespace pyrelle::standin
