#pragma once
// A window of at most `remaining` bytes onto another reader: a variable reading its record's
// payload through it can never consume the next record, however many bytes it asks for.
#include <cstdint>

#include "config/module_reader.h"

namespace pyrelle {

class limited_reader final : public module_reader {
public:
    // `source` is not owned and must outlive the limited_reader.
    limited_reader(stream_reader& source, std::uint32_t limit) noexcept
        : source_(source), remaining_(limit) {}

    // Asks `source` for min(count, remaining) bytes and counts what arrived against the limit.
    // A source that reports more than it was asked for throws exception_io_data.
    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal& abort) override;

    std::uint32_t remaining() const noexcept { return remaining_; }

private:
    stream_reader& source_;
    std::uint32_t remaining_;
};

}  // namespace pyrelle
