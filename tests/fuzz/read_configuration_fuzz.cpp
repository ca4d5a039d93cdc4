// Feeds arbitrary bytes to read_configuration as a stored blob. Beyond the sanitizers' own
// checks, whatever the bytes did, the variables must still write a well-formed blob that reads
// back to the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "config/config_blob.h"
#include "config/configuration.h"
#include "config/streams.h"

namespace {

bool same_values(const pyrelle::configuration& a, const pyrelle::configuration& b)
{
    return a.high_colour.value == b.high_colour.value && a.middle_colour.value == b.middle_colour.value &&
           a.low_colour.value == b.low_colour.value && a.display_mode_index.value == b.display_mode_index.value &&
           a.high_flow.value == b.high_flow.value && a.middle_flow.value == b.middle_flow.value &&
           a.low_flow.value == b.low_flow.value && a.frame_rate.value == b.frame_rate.value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pyrelle::never_abort no_abort;
    pyrelle::configuration config;
    pyrelle::memory_reader in(data, size);
    try {
        pyrelle::read_configuration(config, in, no_abort);
    } catch (const pyrelle::exception_io_data_truncation&) {
        // A blob that breaks off is reported this way and no other.
    }
    if (in.position() > size) {
        std::abort();
    }

    pyrelle::byte_buffer blob;
    pyrelle::memory_writer out(blob);
    pyrelle::write_configuration(config, out, no_abort);
    if (blob.size() != 183) {
        std::abort();
    }

    pyrelle::configuration again;
    pyrelle::memory_reader back(blob.data(), blob.size());
    pyrelle::read_configuration(again, back, no_abort);
    if (!same_values(config, again) || back.position() != blob.size()) {
        std::abort();
    }
    return 0;
}
