#include "tools/pyrelle/progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace pyrelle::tools {

namespace {
constexpr int bar_width = 40;
}

progress_bar::progress_bar(std::optional<std::uint32_t> total, std::uint32_t period_ms)
    : total_(total), period_ms_(period_ms), shown_(total != 0u && isatty(STDERR_FILENO) == 1)
{
}

progress_bar::~progress_bar()
{
    if (shown_ && (last_width_ >= 0 || last_second_ != UINT64_MAX)) {
        std::fputc('\n', stderr);
    }
}

void progress_bar::update(std::uint32_t done)
{
    if (!shown_) {
        return;
    }
    if (!total_ || done > *total_) {
        draw_count(done);
        return;
    }
    const int filled = static_cast<int>(static_cast<std::uint64_t>(done) * bar_width / *total_);
    // Redrawing only when the bar moves keeps the terminal traffic small on long renders.
    if (filled == last_width_ && done != *total_) {
        return;
    }
    last_width_ = filled;
    std::fprintf(stderr, "\rrender [%.*s%*s] %u/%u frames", filled, "########################################",
                 bar_width - filled, "", done, *total_);
    std::fflush(stderr);
}

void progress_bar::finish(std::uint32_t done)
{
    if (!shown_ || done == 0) {
        return;
    }
    if (total_ && done < *total_) {
        total_ = done;  // an estimate that ran long: the bar still ends full
        last_width_ = -1;
    }
    last_second_ = UINT64_MAX;  // a count shows its last figures
    update(done);
}

// Frames and the song's time so far, once a second of the song.
void progress_bar::draw_count(std::uint32_t done)
{
    const std::uint64_t ms = static_cast<std::uint64_t>(done) * period_ms_;
    const std::uint64_t second = ms / 1000;
    if (second == last_second_) {
        return;
    }
    last_second_ = second;
    std::fprintf(stderr, "\rrender %u frames, %llu:%02llu:%02llu of sound", done,
                 static_cast<unsigned long long>(second / 3600), static_cast<unsigned long long>(second / 60 % 60),
                 static_cast<unsigned long long>(second % 60));
    std::fflush(stderr);
}

}  // namespace pyrelle::tools
