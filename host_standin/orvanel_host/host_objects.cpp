#include "host_standin/orvanel_host/host_objects.h"

namespace pyrelle::standin {
namespace {
std::atomic<std::int32_t> transient_count{0};
}

std::int32_t live_transient_objects() noexcept { return transient_count.load(); }

void detail::count_transient(std::int32_t change) noexcept { transient_count += change; }

}  // namespace pyrelle::standin
