#include "config/configuration.h"

#include "support/little_endian.h"

namespace pyrelle {

config_var::config_var(config_var*& list_head, const pyrelle::guid& id) noexcept : guid(id), next(list_head)
{
    list_head = this;
}

void config_int::write_value(stream_writer& out, abort_signal& abort)
{
    std::uint8_t bytes[4];
    store_le32(bytes, static_cast<std::uint32_t>(value));
    out.write(bytes, sizeof bytes, abort);
}

void config_int::read_value(stream_reader& in, std::uint32_t, abort_signal& abort)
{
    std::uint8_t bytes[4];
    in.read_exact(bytes, sizeof bytes, abort);
    value = static_cast<std::int32_t>(load_le32(bytes));
}

void config_bool::write_value(stream_writer& out, abort_signal& abort) { out.write(&value, 1, abort); }

void config_bool::read_value(stream_reader& in, std::uint32_t, abort_signal& abort)
{
    std::uint8_t byte;
    in.read_exact(&byte, 1, abort);
    value = byte;
}

void configuration::reset() noexcept
{
    high_colour.value = initial_high_colour;
    middle_colour.value = initial_middle_colour;
    low_colour.value = initial_low_colour;
    display_mode_index.value = initial_display_mode_index;
    high_flow.value = initial_high_flow;
    middle_flow.value = initial_middle_flow;
    low_flow.value = initial_low_flow;
    frame_rate.value = initial_frame_rate;
}

}  // namespace pyrelle
