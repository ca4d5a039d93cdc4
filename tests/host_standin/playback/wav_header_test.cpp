// The WAV header as the player's own reader takes it: where the samples start. What it refuses is
// in wav_file_test, through the reader that uses it.
#include "host_standin/playback/wav_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/host_standin/wav_bytes.h"

namespace pyrelle::standin {
namespace {

// Reads `file` from its start, as the file reader would; `at` is where reading stands.
struct memory_file {
    explicit memory_file(bytes content) : file(std::move(content)) {}
    byte_source source()
    {
        return [this](void* buffer, std::size_t count) {
            const std::size_t step = std::min(count, file.size() - at);
            std::memcpy(buffer, file.data() + at, step);
            at += step;
            return step;
        };
    }
    bytes file;
    std::size_t at = 0;
};

TEST(WavHeader, SamplesStartAfterTheChunksBeforeThem)
{
    bytes wav = make_wav({1, 2, 22050, 16}, {0x00, 0x40, 0x00, 0xC0});
    // A tag chunk of odd size (so with a pad byte) between 'fmt ' and 'data'.
    bytes tags;
    put_tag(tags, "LIST");
    put32(tags, 3);
    tags.insert(tags.end(), {'a', 'b', 'c', 0});
    wav.insert(wav.begin() + 36, tags.begin(), tags.end());
    memory_file file(wav);
    const wav_header header = read_wav_header(file.source());
    EXPECT_EQ(header.data_offset, 56u);
    EXPECT_EQ(file.at, 56u);
    EXPECT_EQ(header.declared_data_bytes, 4u);
    float frame[2];
    wav_samples_to_floats(header, wav.data() + header.data_offset, 1, frame);
    EXPECT_EQ(frame[0], 0.5f);
    EXPECT_EQ(frame[1], -0.5f);
}

}  // namespace
}  // namespace pyrelle::standin
