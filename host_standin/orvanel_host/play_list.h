#pragma once
// The files the user named (command line, File > Open..., dropped on the window), in the order
// given, and which of them is current. Next and Previous walk it round: after the last comes the
// first. An empty list means the built-in demo track.
#include <cstddef>
#include <string>
#include <vector>

namespace pyrelle::standin {

class play_list {
public:
    // Appends the files; returns the index of the first one added (the list's size when none).
    std::size_t add(const std::vector<std::wstring>& paths);

    bool empty() const noexcept { return paths_.empty(); }
    std::size_t size() const noexcept { return paths_.size(); }
    const std::wstring& path(std::size_t index) const { return paths_.at(index); }

    // The entry `steps` after (negative: before) `index`, round the list. The list is not empty.
    std::size_t step(std::size_t index, long steps) const noexcept;

private:
    std::vector<std::wstring> paths_;
};

}  // namespace pyrelle::standin
