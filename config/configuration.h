#pragma once
// The module's eight persisted settings, on one config list.
//
// The variables are members of one object rather than separate globals so that their owner decides
// when they register (the module constructs its single instance at a fixed point of its static
// initialisation) and so that each test can start from a fresh set. Members register in
// declaration order, so the list runs from `frame_rate` (the head) back to `high_colour`, and that
// is the order of the records in a written blob.
//
// A persisted variable: a value that writes and reads its own bytes, tagged with the GUID under
// which the host stores it and linked on a config list. Constructing a variable pushes it at the
// head of the list it is given, so a list runs from the last variable constructed to the first.
//
// Variables are neither copied nor moved: the list points at them where they stand.
#include <cstdint>

#include "config/streams.h"
#include "support/guid.h"

namespace pyrelle {

class config_var {
public:
    // Writes the value's stored bytes.
    virtual void write_value(stream_writer& out, abort_signal& abort) = 0;  // slot 0
    // Reads the value from a record's payload. `in` ends where the payload ends; `payload_size`
    // is the record's byte count (both kinds read their fixed width and ignore it).
    virtual void read_value(stream_reader& in, std::uint32_t payload_size,
                            abort_signal& abort) = 0;  // slot 1

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
        : config_var(list_head, id), value(initial)
    {
    }

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
        : config_var(list_head, id), value(initial)
    {
    }

    void write_value(stream_writer& out, abort_signal& abort) override;
    void read_value(stream_reader& in, std::uint32_t payload_size, abort_signal& abort) override;

    bool is_set() const noexcept { return value != 0; }

    std::uint8_t value;
};

// Values at load, which are also the values that reset() restores. Colours are 0x00BBGGRR.
constexpr std::int32_t initial_high_colour = 0x003EFFFF;    // red 255, green 255, blue 62
constexpr std::int32_t initial_middle_colour = 0x000000FF;  // pure red
constexpr std::int32_t initial_low_colour = 0x00000000;     // black
constexpr std::int32_t initial_display_mode_index = 0;
constexpr std::uint8_t initial_high_flow = 0;
constexpr std::uint8_t initial_middle_flow = 0;
constexpr std::uint8_t initial_low_flow = 0;
constexpr std::int32_t initial_frame_rate = 24;  // frames per second

// Identities in the host's store; changing one orphans every stored value of that variable.
constexpr guid high_colour_id{0x565C55CD, 0x697B, 0x4D38, {0x88, 0xF2, 0xD5, 0xA7, 0x07, 0x06, 0x1C, 0x1A}};
constexpr guid middle_colour_id{0x3CD803C1, 0x5989, 0x4045, {0x96, 0xA8, 0xE3, 0x69, 0xD6, 0x25, 0x8A, 0x56}};
constexpr guid low_colour_id{0xE0D4C9A1, 0x3D55, 0x4E47, {0x91, 0xFF, 0x92, 0xA9, 0x3F, 0x16, 0x15, 0x33}};
constexpr guid display_mode_index_id{0x1D35292B, 0xD3E7, 0x4D9C, {0xB7, 0x10, 0x0C, 0x63, 0x6F, 0x5C, 0x81, 0x6C}};
constexpr guid high_flow_id{0x76032293, 0xEBC7, 0x4955, {0x83, 0x2B, 0x1E, 0x94, 0x96, 0x7A, 0x53, 0x30}};
constexpr guid middle_flow_id{0x1CBFC801, 0xCDEF, 0x45AB, {0xB9, 0x99, 0x51, 0x40, 0xA6, 0x1B, 0xD7, 0x77}};
constexpr guid low_flow_id{0x125705AB, 0x2C3D, 0x49DB, {0x98, 0x0A, 0x2F, 0xFA, 0xB9, 0x75, 0x01, 0x07}};
constexpr guid frame_rate_id{0x0DE42CEF, 0x48EB, 0x4D6D, {0x8A, 0xCA, 0xB4, 0xBB, 0x8A, 0x50, 0x52, 0xE9}};

struct configuration {
    configuration() noexcept = default;
    configuration(const configuration&) = delete;
    configuration& operator=(const configuration&) = delete;

    // Head of the config list: `frame_rate`.
    config_var* first() const noexcept { return list_head_; }

    // Puts every variable back to its initial value.
    void reset() noexcept;

private:
    // Declared before the variables so that it is null when the first of them registers.
    config_var* list_head_ = nullptr;

public:
    config_int high_colour{list_head_, high_colour_id, initial_high_colour};
    config_int middle_colour{list_head_, middle_colour_id, initial_middle_colour};
    config_int low_colour{list_head_, low_colour_id, initial_low_colour};
    // Index into the display-mode list; kept in range by clamp_display_mode_index.
    config_int display_mode_index{list_head_, display_mode_index_id, initial_display_mode_index};
    config_bool high_flow{list_head_, high_flow_id, initial_high_flow};
    config_bool middle_flow{list_head_, middle_flow_id, initial_middle_flow};
    config_bool low_flow{list_head_, low_flow_id, initial_low_flow};
    // Not range-checked here: a run serves only 1 to 1000.
    config_int frame_rate{list_head_, frame_rate_id, initial_frame_rate};
};

}  // namespace pyrelle
