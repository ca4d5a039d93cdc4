#include "host_standin/orvanel_host/play_list.h"

namespace pyrelle::standin {

std::size_t play_list::add(const std::vector<std::wstring>& paths)
{
    const std::size_t first = paths_.size();
    paths_.insert(paths_.end(), paths.begin(), paths.end());
    return first;
}

std::size_t play_list::step(std::size_t index, long steps) const noexcept
{
    const long size = static_cast<long>(paths_.size());
    const long moved = (static_cast<long>(index) + steps % size + size) % size;
    return static_cast<std::size_t>(moved);
}

}  // namespace pyrelle::standin
