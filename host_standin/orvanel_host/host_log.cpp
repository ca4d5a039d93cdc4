#include "host_standin/orvanel_host/host_log.h"

namespace pyrelle::standin {

std::string format_log_line(double seconds, const std::string& text)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.3f ", seconds < 0.0 ? 0.0 : seconds);
    return stamp + text;
}

double host_log::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void host_log::line(const std::string& text)
{
    const std::string formatted = format_log_line(seconds(), text);
    std::fputs(formatted.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

}  // namespace pyrelle::standin
