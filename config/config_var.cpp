#include "config/config_var.h"

namespace pyrelle {

config_var::config_var(config_var*& list_head, const pyrelle::guid& id) noexcept
    : guid(id), next(list_head) {
    list_head = this;
}

void config_int::write_value(stream_writer& out, abort_signal& abort) {
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    out.write(bytes, sizeof bytes, abort);
}

void config_int::read_value(stream_reader& in, std::uint32_t, abort_signal& abort) {
    std::uint8_t bytes[4];
    in.read_exact(bytes, sizeof bytes, abort);
    value = static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                      std::uint32_t{bytes[2]} << 16 |
                                      std::uint32_t{bytes[3]} << 24);
}

void config_bool::write_value(stream_writer& out, abort_signal& abort) {
    out.write(&value, 1, abort);
}

void config_bool::read_value(stream_reader& in, std::uint32_t, abort_signal& abort) {
    std::uint8_t byte;
    in.read_exact(&byte, 1, abort);
    value = byte;
}

}  // namespace pyrelle
