#include "config/config_blob.h"

#include "config/streams.h"
#include "support/little_endian.h"

namespace pyrelle {
namespace {

config_var* find_variable(config_var* first, const guid& id) noexcept
{
    for (config_var* var = first; var != nullptr; var = var->next) {
        if (var->guid == id) {
            return var;
        }
    }
    return nullptr;
}

}  // namespace

void write_configuration(config_var* first, stream_writer& out, abort_signal& abort)
{
    byte_buffer value;
    memory_writer value_writer(value);
    for (config_var* var = first; var != nullptr; var = var->next) {
        value.clear();
        var->write_value(value_writer, abort);
        const std::uint32_t size = value.size();
        std::uint8_t size_bytes[4];
        store_le32(size_bytes, size);
        out.write(&var->guid, sizeof var->guid, abort);
        out.write(size_bytes, sizeof size_bytes, abort);
        if (size != 0) {
            out.write(value.data(), size, abort);
        }
    }
}

void write_configuration(configuration& config, stream_writer& out, abort_signal& abort)
{
    write_configuration(config.first(), out, abort);
}

void read_configuration(config_var* first, stream_reader& in, abort_signal& abort)
{
    for (;;) {
        guid id;
        const std::uint32_t got = in.read(&id, sizeof id, abort);
        if (got > sizeof id) {
            throw exception_io_data();
        }
        if (got != sizeof id) {
            return;
        }
        std::uint8_t size_bytes[4];
        in.read_exact(size_bytes, sizeof size_bytes, abort);
        const std::uint32_t size = load_le32(size_bytes);

        config_var* var = find_variable(first, id);
        if (var == nullptr) {
            in.skip_exact(size, abort);
            continue;
        }
        limited_reader payload(in, size);
        try {
            var->read_value(payload, size, abort);
        } catch (const exception_io_data&) {
            // A value that cannot be read keeps its old value; the skip below decides whether
            // the blob can still be followed.
        }
        // A stream that answered with more than it was asked has lost its place: what it reads
        // next is no longer the start of a record.
        if (payload.source_overran()) {
            throw exception_io_data();
        }
        if (payload.remaining() != 0) {
            payload.skip_exact(payload.remaining(), abort);
        }
    }
}

void read_configuration(configuration& config, stream_reader& in, abort_signal& abort)
{
    read_configuration(config.first(), in, abort);
}

}  // namespace pyrelle
