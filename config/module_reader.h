#pragma once
// Base of every stream_reader that the module implements itself: a derived reader supplies only
// `read`, and the exact read and the skips are built on it here, so they can never pass a limit
// that `read` enforces.
#include <cstdint>

#include "config/host_streams.h"

namespace pyrelle {

class module_reader : public stream_reader {
public:
    // One `read` of the full count; any other result throws exception_io_data_truncation.
    void read_exact(void* buffer, std::uint32_t count, abort_signal& abort) final;
    // Reads and discards through a 256-byte local buffer, at most 256 bytes per `read`, until the
    // count is reached or one `read` returns short; returns the bytes consumed. A reader that
    // reports more than it was asked for is broken and throws exception_io_data.
    std::uint64_t skip(std::uint64_t count, abort_signal& abort) final;
    // `skip`, then exception_io_data_truncation unless the whole count was skipped.
    void skip_exact(std::uint64_t count, abort_signal& abort) final;

protected:
    module_reader() = default;
    module_reader(const module_reader&) = default;
    module_reader& operator=(const module_reader&) = default;
    ~module_reader() = default;
};

}  // namespace pyrelle
