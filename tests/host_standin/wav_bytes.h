#pragma once
// WAV files byte by byte, for the tests of the readers.
#include <cstdint>
#include <vector>

namespace pyrelle::standin {

using bytes = std::vector<std::uint8_t>;

inline void put16(bytes& b, std::uint32_t v) { b.push_back(v & 0xFF), b.push_back(v >> 8 & 0xFF); }
inline void put32(bytes& b, std::uint32_t v) { put16(b, v & 0xFFFF), put16(b, v >> 16); }
inline void put_tag(bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

struct wav_shape {
    std::uint16_t tag;  // 1 PCM, 3 float, 0xFFFE extensible
    std::uint16_t channels;
    std::uint32_t rate;
    std::uint16_t bits;
    std::uint16_t sub_tag = 0;        // extensible: the sub-format's first field
    std::uint32_t declared_data = 0;  // 0: the data's real size
};

// RIFF 'WAVE' with a 'fmt ' chunk (16 bytes, or 40 for the extensible form) and a 'data' chunk.
inline bytes make_wav(const wav_shape& shape, const bytes& data)
{
    const bool extensible = shape.tag == 0xFFFE;
    bytes fmt;
    put16(fmt, shape.tag);
    put16(fmt, shape.channels);
    put32(fmt, shape.rate);
    put32(fmt, shape.rate * shape.channels * shape.bits / 8);                 // bytes per second
    put16(fmt, static_cast<std::uint16_t>(shape.channels * shape.bits / 8));  // block align
    put16(fmt, shape.bits);
    if (extensible) {
        put16(fmt, 22);             // extra bytes
        put16(fmt, shape.bits);     // valid bits
        put32(fmt, 3);              // channel mask
        put32(fmt, shape.sub_tag);  // sub-format GUID {0000000x-0000-0010-8000-00AA00389B71}
        const std::uint8_t rest[] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        fmt.insert(fmt.end(), rest, rest + sizeof rest);
    }
    bytes body;
    put_tag(body, "WAVE");
    put_tag(body, "fmt ");
    put32(body, static_cast<std::uint32_t>(fmt.size()));
    body.insert(body.end(), fmt.begin(), fmt.end());
    put_tag(body, "data");
    put32(body, shape.declared_data ? shape.declared_data : static_cast<std::uint32_t>(data.size()));
    body.insert(body.end(), data.begin(), data.end());
    bytes file;
    put_tag(file, "RIFF");
    put32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

}  // namespace pyrelle::standin
