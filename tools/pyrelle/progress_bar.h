#pragma once
// A one-line progress bar on standard error, drawn only when standard error is a terminal.
#include <cstdint>

namespace pyrelle::tools {

class progress_bar {
public:
    explicit progress_bar(std::uint32_t total);
    ~progress_bar();
    progress_bar(const progress_bar&) = delete;
    progress_bar& operator=(const progress_bar&) = delete;

    void update(std::uint32_t done);

private:
    std::uint32_t total_;
    bool shown_;
    int last_width_ = -1;
};

}  // namespace pyrelle::tools
