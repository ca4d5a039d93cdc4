#pragma once
// A one-line progress bar on standard error, drawn only when standard error is a terminal. Without
// a known total (audio from a pipe) it shows the frames and the song's time so far instead.
#include <cstdint>
#include <optional>

namespace pyrelle::tools {

class progress_bar {
public:
    // `total` may be an estimate (a file's header); `period_ms` is one frame's time.
    progress_bar(std::optional<std::uint32_t> total, std::uint32_t period_ms);
    ~progress_bar();
    progress_bar(const progress_bar&) = delete;
    progress_bar& operator=(const progress_bar&) = delete;

    void update(std::uint32_t done);

    // The render ended after `done` frames: a bar shows it complete, whatever the estimate said.
    void finish(std::uint32_t done);

private:
    void draw_count(std::uint32_t done);

    std::optional<std::uint32_t> total_;
    std::uint32_t period_ms_;
    bool shown_;
    int last_width_ = -1;
    std::uint64_t last_second_ = UINT64_MAX;
};

}  // namespace pyrelle::tools
