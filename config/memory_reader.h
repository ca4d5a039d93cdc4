#pragma once
// A stream_reader over bytes already in memory: how the tools and the tests hand a stored blob to
// read_configuration.
#include <cstddef>
#include <cstdint>

#include "config/module_reader.h"

namespace pyrelle {

class memory_reader final : public module_reader {
public:
    // The bytes are not copied and must outlive the reader.
    memory_reader(const void* data, std::size_t size) noexcept
        : data_(static_cast<const std::uint8_t*>(data)), size_(size) {}

    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal& abort) override;

    // Bytes consumed so far.
    std::size_t position() const noexcept { return position_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace pyrelle
