#include "host_standin/playback/wav_header.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/little_endian.h"

namespace pyrelle::standin {
namespace {

constexpr std::uint16_t format_pcm = 1;
constexpr std::uint16_t format_float = 3;
constexpr std::uint16_t format_extensible = 0xFFFE;
constexpr std::uint32_t most_channels = 8;
// Chunks that come before the samples (tags, cover art) are skipped a block at a time.
constexpr std::size_t skip_block = 1 << 16;

std::uint16_t load_le16(const std::uint8_t* in) noexcept { return static_cast<std::uint16_t>(in[0] | in[1] << 8); }

bool read_exact(const byte_source& read, void* buffer, std::size_t count) { return read(buffer, count) == count; }

bool skip(const byte_source& read, std::uint64_t count)
{
    std::vector<unsigned char> block(static_cast<std::size_t>(std::min<std::uint64_t>(count, skip_block)));
    while (count > 0) {
        const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(count, block.size()));
        if (!read_exact(read, block.data(), step)) {
            return false;
        }
        count -= step;
    }
    return true;
}

}  // namespace

wav_header read_wav_header(const byte_source& read)
{
    std::uint8_t riff[12];
    if (!read_exact(read, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        throw wav_error("not a RIFF WAVE file");
    }
    wav_header header;
    std::uint64_t offset = sizeof riff;
    bool have_format = false;
    std::uint16_t tag = 0;
    std::uint16_t bits = 0;
    std::uint16_t block_align = 0;
    for (;;) {
        std::uint8_t chunk[8];
        if (!read_exact(read, chunk, sizeof chunk)) {
            throw wav_error(have_format ? "no 'data' chunk" : "no 'fmt ' chunk");
        }
        offset += sizeof chunk;
        const std::uint32_t size = load_le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            // The extensible form is the largest, 40 bytes; a shorter chunk leaves the rest zero.
            std::uint8_t format[40] = {};
            const std::uint32_t wanted = std::min<std::uint32_t>(size, sizeof format);
            if (size < 16 || !read_exact(read, format, wanted) || !skip(read, size - wanted + (size & 1u))) {
                throw wav_error("the 'fmt ' chunk is too short");
            }
            offset += size + (size & 1u);
            tag = load_le16(format);
            header.channels = load_le16(format + 2);
            header.rate = load_le32(format + 4);
            block_align = load_le16(format + 12);
            bits = load_le16(format + 14);
            if (tag == format_extensible) {
                if (size < sizeof format) {
                    throw wav_error("the extensible 'fmt ' chunk is too short");
                }
                // The sub-format GUID's first field is the plain format tag.
                tag = static_cast<std::uint16_t>(load_le32(format + 24));
            }
            have_format = true;
            continue;
        }
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (!have_format) {
                throw wav_error("no 'fmt ' chunk");
            }
            header.data_offset = offset;
            header.declared_data_bytes = size;
            break;
        }
        if (!skip(read, std::uint64_t{size} + (size & 1u))) {
            throw wav_error(have_format ? "no 'data' chunk" : "no 'fmt ' chunk");
        }
        offset += std::uint64_t{size} + (size & 1u);
    }

    const bool pcm16 = tag == format_pcm && bits == 16;
    header.float_samples = tag == format_float && bits == 32;
    if (!pcm16 && !header.float_samples) {
        throw wav_error("only 16-bit PCM and 32-bit float samples are played (this file has format " +
                        std::to_string(tag) + ", " + std::to_string(bits) + " bits)");
    }
    if (header.channels == 0 || header.channels > most_channels || header.rate == 0) {
        throw wav_error("unusable channel count or sample rate");
    }
    header.frame_bytes = header.channels * (bits / 8u);
    if (block_align != header.frame_bytes) {
        throw wav_error("the block size does not match the channels and sample size");
    }
    return header;
}

void wav_samples_to_floats(const wav_header& header, const unsigned char* bytes, std::size_t frames, float* out)
{
    const std::size_t count = frames * header.channels;
    if (header.float_samples) {
        std::memcpy(out, bytes, count * sizeof(float));
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = static_cast<std::int16_t>(load_le16(bytes + 2 * i));
        out[i] = static_cast<float>(value) / 32768.0f;
    }
}

}  // namespace pyrelle::standin
