#include "tools/pyrelle/progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace pyrelle::tools {

namespace {
constexpr int bar_width = 40;
}

progress_bar::progress_bar(std::uint32_t total) : total_(total), shown_(total > 0 && isatty(STDERR_FILENO) == 1) {}

progress_bar::~progress_bar()
{
    if (shown_ && last_width_ >= 0) {
        std::fputc('\n', stderr);
    }
}

void progress_bar::update(std::uint32_t done)
{
    if (!shown_)
        return;
    const int filled = static_cast<int>(static_cast<std::uint64_t>(done) * bar_width / total_);
    // Redrawing only when the bar moves keeps the terminal traffic small on long renders.
    if (filled == last_width_ && done != total_)
        return;
    last_width_ = filled;
    std::fprintf(stderr, "\rrender [%.*s%*s] %u/%u frames", filled, "########################################",
                 bar_width - filled, "", done, total_);
    std::fflush(stderr);
}

}  // namespace pyrelle::tools
