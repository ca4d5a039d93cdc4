#pragma once
// A persisted variable: a value that writes and reads its own bytes, tagged with the GUID under
// which the host stores it and linked on a config list. Constructing a variable pushes it at the
// head of the list it is given, so a list runs from the last variable constructed to the first.
//
// Variables are neither copied nor moved: the list points at them where they stand.
#include <cstdint>

#include "config/host_streams.h"
#include "support/guid.h"

namespace pyrelle {

class config_var {
public:
    // Writes the value's stored bytes.
    virtual void write_value(stream_writer& out, abort_signal& abort) = 0;            // slot 0
    // Reads the value from a record's payload. `in` ends where the payload ends; `payload_size`
    // is the record's byte count (both kinds read their fixed width and ignore it).
    virtual void read_value(stream_reader& in, std::uint32_t payload_size,
                            abort_signal& abort) = 0;                                 // slot 1

    config_var(const config_var&) = delete;
    config_var& operator=(const config_var&) = delete;

    pyrelle::guid guid;
    config_var* next;

protected:
    // Registers the variable: next := list_head, list_head := this.
    config_var(config_var*& list_head, const pyrelle::guid& id) noexcept;
    ~config_var() = default;
};

// A 32-bit signed value stored as 4 little-endian bytes.
class config_int final : public config_var {
public:
    config_int(config_var*& list_head, const pyrelle::guid& id, std::int32_t initial) noexcept
        : config_var(list_head, id), value(initial) {}

    void write_value(stream_writer& out, abort_signal& abort) override;
    // Stores the value only once all 4 bytes have arrived.
    void read_value(stream_reader& in, std::uint32_t payload_size, abort_signal& abort) override;

    std::int32_t value;
};

// A switch stored as one byte: 0 is false, any other byte true. The byte is kept as read and
// written back unchanged, so a value this module did not write survives a round trip.
class config_bool final : public config_var {
public:
    config_bool(config_var*& list_head, const pyrelle::guid& id, std::uint8_t initial) noexcept
        : config_var(list_head, id), value(initial) {}

    void write_value(stream_writer& out, abort_signal& abort) override;
    void read_value(stream_reader& in, std::uint32_t payload_size, abort_signal& abort) override;

    bool is_set() const noexcept { return value != 0; }

    std::uint8_t value;
};

}  // namespace pyrelle
