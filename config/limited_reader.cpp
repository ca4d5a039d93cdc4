#include "config/limited_reader.h"

#include <algorithm>

#include "config/io_exceptions.h"

namespace pyrelle {

std::uint32_t limited_reader::read(void* buffer, std::uint32_t count, abort_signal& abort) {
    const std::uint32_t wanted = std::min(count, remaining_);
    const std::uint32_t got = source_.read(buffer, wanted, abort);
    // Trusting an oversized answer would wrap `remaining` and let the payload run into the
    // records after it.
    if (got > wanted) throw exception_io_data();
    remaining_ -= got;
    return got;
}

}  // namespace pyrelle
