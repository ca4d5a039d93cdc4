#include "config/module_reader.h"

#include <algorithm>

#include "config/io_exceptions.h"

namespace pyrelle {

void module_reader::read_exact(void* buffer, std::uint32_t count, abort_signal& abort) {
    if (read(buffer, count, abort) != count) throw exception_io_data_truncation();
}

std::uint64_t module_reader::skip(std::uint64_t count, abort_signal& abort) {
    // The count is 64-bit even on the 32-bit target; it is never narrowed to a size_t, so a
    // request of 4 GiB or more is honoured rather than wrapped.
    constexpr std::uint32_t chunk = 256;
    std::uint8_t discard[chunk];
    std::uint64_t skipped = 0;
    while (skipped < count) {
        const auto wanted = static_cast<std::uint32_t>(std::min<std::uint64_t>(count - skipped, chunk));
        const std::uint32_t got = read(discard, wanted, abort);
        if (got > wanted) throw exception_io_data();
        skipped += got;
        if (got < wanted) break;
    }
    return skipped;
}

void module_reader::skip_exact(std::uint64_t count, abort_signal& abort) {
    if (skip(count, abort) != count) throw exception_io_data_truncation();
}

}  // namespace pyrelle
