// The module's own streams: the shared exact reads and skips, the payload window, the growable
// write buffer, and the exceptions they raise.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "config/streams.h"

namespace pyrelle {
namespace {

// A reader of `size` bytes (byte i holds i mod 256) that logs every count it is asked for and
// can be told to answer with more than it was asked, as a broken host stream might.
class logging_reader final : public module_reader {
public:
    explicit logging_reader(std::uint64_t size) : size_(size) {}

    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal&) override
    {
        asked.push_back(count);
        const std::uint64_t left = size_ - position_;
        auto n = static_cast<std::uint32_t>(count < left ? count : left);
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::uint32_t i = 0; i < n; ++i) {
            out[i] = static_cast<std::uint8_t>(position_ + i);
        }
        position_ += n;
        return n + overstate_by;
    }

    std::vector<std::uint32_t> asked;
    std::uint32_t overstate_by = 0;

private:
    std::uint64_t size_;
    std::uint64_t position_ = 0;
};

never_abort no_abort;

TEST(ConfigStreams, ExceptionsShareOneStaticMessageAndNest)
{
    const exception_io_data_truncation truncation;
    EXPECT_STREQ(truncation.what(), "Unsupported format or corrupted file");
    // The very same text every time: nothing is copied when one is thrown.
    EXPECT_EQ(truncation.what(), exception_io_data_truncation().what());

    try {
        throw exception_io_data_truncation();
    } catch (const exception_io_data& e) {
        EXPECT_STREQ(e.what(), "Unsupported format or corrupted file");
    }
    EXPECT_THROW(throw exception_io_data(), exception_io);
    EXPECT_THROW(throw exception_io(), std::exception);
}

TEST(ConfigStreams, ReadExactDemandsTheWholeCountInOneRead)
{
    logging_reader in(6);
    std::uint8_t bytes[4] = {};
    in.read_exact(bytes, 4, no_abort);
    EXPECT_EQ(bytes[3], 3);
    EXPECT_THROW(in.read_exact(bytes, 4, no_abort), exception_io_data_truncation);
    EXPECT_EQ(in.asked, (std::vector<std::uint32_t>{4, 4}));
}

TEST(ConfigStreams, SkipReadsAtMost256BytesAtATime)
{
    logging_reader in(1000);
    EXPECT_EQ(in.skip(600, no_abort), 600u);
    EXPECT_EQ(in.asked, (std::vector<std::uint32_t>{256, 256, 88}));
}

TEST(ConfigStreams, SkipStopsAtTheFirstShortRead)
{
    logging_reader in(300);
    EXPECT_EQ(in.skip(1000, no_abort), 300u);
    // 256 then a read of 256 that brings 44: no third read after the data has ended.
    EXPECT_EQ(in.asked, (std::vector<std::uint32_t>{256, 256}));
}

TEST(ConfigStreams, SkipOfNothingReadsNothing)
{
    logging_reader in(10);
    EXPECT_EQ(in.skip(0, no_abort), 0u);
    in.skip_exact(0, no_abort);
    EXPECT_TRUE(in.asked.empty());
}

TEST(ConfigStreams, SkipExactThrowsWhenTheDataEndsFirst)
{
    logging_reader in(100);
    in.skip_exact(40, no_abort);
    EXPECT_THROW(in.skip_exact(61, no_abort), exception_io_data_truncation);
}

TEST(ConfigStreams, SkipCountsAreNotNarrowedTo32Bits)
{
    // 4 GiB + 10 must not wrap to 10 and succeed against a stream of 100 bytes.
    logging_reader in(100);
    EXPECT_THROW(in.skip_exact(0x10000000Aull, no_abort), exception_io_data_truncation);
    logging_reader again(100);
    EXPECT_EQ(again.skip(0x100000000ull, no_abort), 100u);
}

TEST(ConfigStreams, ReaderAnsweringMoreThanAskedIsRejected)
{
    logging_reader in(1000);
    in.overstate_by = 1;
    EXPECT_THROW(in.skip(10, no_abort), exception_io_data);

    logging_reader source(1000);
    source.overstate_by = 5;
    limited_reader window(source, 8);
    std::uint8_t bytes[16];
    EXPECT_THROW(window.read(bytes, 4, no_abort), exception_io_data);
    EXPECT_EQ(window.remaining(), 8u);
}

TEST(ConfigStreams, LimitedReaderNeverPassesItsLimit)
{
    const std::uint8_t data[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    memory_reader source(data, sizeof data);
    limited_reader window(source, 5);

    std::uint8_t bytes[8] = {};
    EXPECT_EQ(window.read(bytes, 3, no_abort), 3u);
    EXPECT_EQ(window.remaining(), 2u);
    // Asking past the limit gets only what is left of it.
    EXPECT_EQ(window.read(bytes, 8, no_abort), 2u);
    EXPECT_EQ(bytes[0], 4);
    EXPECT_EQ(bytes[1], 5);
    EXPECT_EQ(window.remaining(), 0u);
    EXPECT_THROW(window.read_exact(bytes, 1, no_abort), exception_io_data_truncation);
    EXPECT_EQ(source.position(), 5u);
}

TEST(ConfigStreams, LimitedReaderSkipsStopAtTheLimit)
{
    std::vector<std::uint8_t> data(1000, 0xAB);
    memory_reader source(data.data(), data.size());
    limited_reader window(source, 700);
    EXPECT_EQ(window.skip(900, no_abort), 700u);
    EXPECT_EQ(source.position(), 700u);

    limited_reader rest(source, 400);
    // The window is larger than what the source still has.
    EXPECT_THROW(rest.skip_exact(400, no_abort), exception_io_data_truncation);
    EXPECT_EQ(rest.remaining(), 100u);
}

TEST(ConfigStreams, GrownCapacityDoublesFromOne)
{
    struct example {
        std::uint32_t size, capacity, count, expected;
    };
    const example examples[] = {
        {0, 0, 1, 1}, {0, 0, 4, 4}, {0, 0, 5, 8},
        {3, 4, 1, 4}, {4, 4, 1, 8}, {100, 128, 100, 256},
        {0, 0, 0, 0}, {0, 3, 5, 6}, {0, 0, 0x80000000u, 0x80000000u},
    };
    for (const example& e : examples) {
        EXPECT_EQ(grown_capacity(e.size, e.capacity, e.count), e.expected)
            << "size " << e.size << " capacity " << e.capacity << " count " << e.count;
    }
}

TEST(ConfigStreams, GrownCapacityOverflowIsAnAllocationFailure)
{
    // The new size itself passes 32 bits.
    EXPECT_THROW(grown_capacity(0xFFFFFFF0u, 0xFFFFFFF0u, 0x20), std::bad_alloc);
    // The size fits but no doubling of the capacity reaches it.
    EXPECT_THROW(grown_capacity(0x80000000u, 0x80000000u, 1), std::bad_alloc);
    EXPECT_THROW(grown_capacity(0, 0, 0x80000001u), std::bad_alloc);
}

TEST(ConfigStreams, MemoryWriterAppendsAndKeepsCapacityWhenCleared)
{
    byte_buffer buffer;
    memory_writer out(buffer);
    std::vector<std::uint32_t> capacities;
    for (std::uint8_t b = 1; b <= 5; ++b) {
        out.write(&b, 1, no_abort);
        capacities.push_back(buffer.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<std::uint32_t>{1, 2, 4, 4, 8}));
    ASSERT_EQ(buffer.size(), 5u);
    EXPECT_EQ(std::memcmp(buffer.data(), "\x01\x02\x03\x04\x05", 5), 0);

    buffer.clear();
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(buffer.capacity(), 8u);
    out.write("xyz", 3, no_abort);
    EXPECT_EQ(buffer.capacity(), 8u);
    EXPECT_EQ(std::memcmp(buffer.data(), "xyz", 3), 0);
}

TEST(ConfigStreams, MemoryWriterCopiesFromItsOwnBufferAcrossAMove)
{
    byte_buffer buffer;
    memory_writer out(buffer);
    out.write("abcd", 4, no_abort);
    ASSERT_EQ(buffer.capacity(), 4u);
    // The source is the buffer's own block, which this write must reallocate.
    out.write(buffer.data() + 1, 3, no_abort);
    ASSERT_EQ(buffer.size(), 7u);
    EXPECT_EQ(std::memcmp(buffer.data(), "abcdbcd", 7), 0);
}

TEST(ConfigStreams, MemoryReaderReturnsShortAtTheEnd)
{
    const std::uint8_t data[] = {9, 8, 7};
    memory_reader in(data, sizeof data);
    std::uint8_t bytes[4] = {};
    EXPECT_EQ(in.read(bytes, 2, no_abort), 2u);
    EXPECT_EQ(in.read(bytes, 4, no_abort), 1u);
    EXPECT_EQ(bytes[0], 7);
    EXPECT_EQ(in.read(bytes, 4, no_abort), 0u);
}

}  // namespace
}  // namespace pyrelle
