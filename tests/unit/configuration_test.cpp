// The eight persisted variables and the blob they are stored in.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <algorithm>
#include <functional>
#include <iterator>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/config_blob.h"
#include "config/configuration.h"
#include "config/streams.h"

namespace pyrelle {
namespace {

using bytes = std::vector<std::uint8_t>;

never_abort no_abort;

bytes fixture(const std::string& name)
{
    std::ifstream file(std::string(PYRELLE_TEST_DATA_DIR) + "/config/" + name, std::ios::binary);
    if (!file) {
        throw std::runtime_error("missing fixture " + name);
    }
    return bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bytes operator+(bytes a, const bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Keeps everything written, and the byte count of each write.
class recording_writer final : public stream_writer {
public:
    void write(const void* buffer, std::uint32_t count, abort_signal&) override
    {
        const auto* p = static_cast<const std::uint8_t*>(buffer);
        written.insert(written.end(), p, p + count);
        writes.push_back(count);
    }
    bytes written;
    std::vector<std::uint32_t> writes;
};

bytes write_blob(configuration& config)
{
    recording_writer out;
    write_configuration(config, out, no_abort);
    return out.written;
}

void read_blob(configuration& config, const bytes& blob)
{
    memory_reader in(blob.data(), blob.size());
    read_configuration(config, in, no_abort);
}

// Every value of a configuration, comparable and printable in one go.
struct values {
    std::int32_t high_colour, middle_colour, low_colour, display_mode_index;
    int high_flow, middle_flow, low_flow;
    std::int32_t frame_rate;

    bool operator==(const values& o) const
    {
        return high_colour == o.high_colour && middle_colour == o.middle_colour && low_colour == o.low_colour &&
               display_mode_index == o.display_mode_index && high_flow == o.high_flow && middle_flow == o.middle_flow &&
               low_flow == o.low_flow && frame_rate == o.frame_rate;
    }
    bool operator!=(const values& o) const { return !(*this == o); }
};

std::ostream& operator<<(std::ostream& os, const values& v)
{
    return os << std::hex << "{colours " << v.high_colour << ' ' << v.middle_colour << ' ' << v.low_colour << std::dec
              << ", mode " << v.display_mode_index << ", flows " << v.high_flow << ' ' << v.middle_flow << ' '
              << v.low_flow << ", rate " << v.frame_rate << '}';
}

values values_of(const configuration& c)
{
    return {c.high_colour.value, c.middle_colour.value, c.low_colour.value, c.display_mode_index.value,
            c.high_flow.value,   c.middle_flow.value,   c.low_flow.value,   c.frame_rate.value};
}

const values initial{0x003EFFFF, 0x000000FF, 0, 0, 0, 0, 0, 24};

values initial_with(const std::function<void(values&)>& change)
{
    values v = initial;
    change(v);
    return v;
}

// Record headers written out: a variable's stored GUID bytes followed by a size.
const bytes frame_rate_guid = {0xEF, 0x2C, 0xE4, 0x0D, 0xEB, 0x48, 0x6D, 0x4D,
                               0x8A, 0xCA, 0xB4, 0xBB, 0x8A, 0x50, 0x52, 0xE9};
const bytes low_colour_guid = {0xA1, 0xC9, 0xD4, 0xE0, 0x55, 0x3D, 0x47, 0x4E,
                               0x91, 0xFF, 0x92, 0xA9, 0x3F, 0x16, 0x15, 0x33};
const bytes middle_colour_guid = {0xC1, 0x03, 0xD8, 0x3C, 0x89, 0x59, 0x45, 0x40,
                                  0x96, 0xA8, 0xE3, 0x69, 0xD6, 0x25, 0x8A, 0x56};
const bytes unknown_guid = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                            0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
const bytes size_4 = {0x04, 0x00, 0x00, 0x00};

TEST(Configuration, StartsAtTheInitialValuesAndResetsToThem)
{
    configuration config;
    EXPECT_EQ(values_of(config), initial);

    read_blob(config, fixture("custom_values.bin"));
    ASSERT_NE(values_of(config), initial);
    config.reset();
    EXPECT_EQ(values_of(config), initial);
}

TEST(Configuration, ListRunsFromFrameRateBackToHighColour)
{
    configuration config;
    std::vector<const config_var*> order;
    for (const config_var* var = config.first(); var != nullptr; var = var->next) {
        order.push_back(var);
    }
    const std::vector<const config_var*> expected = {
        &config.frame_rate,         &config.low_flow,   &config.middle_flow,   &config.high_flow,
        &config.display_mode_index, &config.low_colour, &config.middle_colour, &config.high_colour};
    EXPECT_EQ(order, expected);
}

TEST(Configuration, InstancesAreIndependent)
{
    configuration a;
    configuration b;
    read_blob(a, fixture("custom_values.bin"));
    EXPECT_EQ(values_of(b), initial);
    EXPECT_EQ(write_blob(b), fixture("initial_values.bin"));
}

TEST(Configuration, InitialValuesWriteThe183ByteBlob)
{
    configuration config;
    // Record by record, in list order: GUID as stored, size, payload.
    const bytes expected =
        bytes{0xEF, 0x2C, 0xE4, 0x0D, 0xEB, 0x48, 0x6D, 0x4D, 0x8A, 0xCA, 0xB4, 0xBB,
              0x8A, 0x50, 0x52, 0xE9, 0x04, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00} +  // frame_rate 24
        bytes{0xAB, 0x05, 0x57, 0x12, 0x3D, 0x2C, 0xDB, 0x49, 0x98, 0x0A, 0x2F,
              0xFA, 0xB9, 0x75, 0x01, 0x07, 0x01, 0x00, 0x00, 0x00, 0x00} +  // low_flow off
        bytes{0x01, 0xC8, 0xBF, 0x1C, 0xEF, 0xCD, 0xAB, 0x45, 0xB9, 0x99, 0x51,
              0x40, 0xA6, 0x1B, 0xD7, 0x77, 0x01, 0x00, 0x00, 0x00, 0x00} +  // middle_flow off
        bytes{0x93, 0x22, 0x03, 0x76, 0xC7, 0xEB, 0x55, 0x49, 0x83, 0x2B, 0x1E,
              0x94, 0x96, 0x7A, 0x53, 0x30, 0x01, 0x00, 0x00, 0x00, 0x00} +  // high_flow off
        bytes{0x2B, 0x29, 0x35, 0x1D, 0xE7, 0xD3, 0x9C, 0x4D, 0xB7, 0x10, 0x0C, 0x63,
              0x6F, 0x5C, 0x81, 0x6C, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00} +  // display_mode_index 0
        bytes{0xA1, 0xC9, 0xD4, 0xE0, 0x55, 0x3D, 0x47, 0x4E, 0x91, 0xFF, 0x92, 0xA9,
              0x3F, 0x16, 0x15, 0x33, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00} +  // low_colour black
        bytes{0xC1, 0x03, 0xD8, 0x3C, 0x89, 0x59, 0x45, 0x40, 0x96, 0xA8, 0xE3, 0x69,
              0xD6, 0x25, 0x8A, 0x56, 0x04, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00} +  // middle_colour red
        bytes{0xCD, 0x55, 0x5C, 0x56, 0x7B, 0x69, 0x38, 0x4D, 0x88, 0xF2, 0xD5, 0xA7,
              0x07, 0x06, 0x1C, 0x1A, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x3E, 0x00};  // high_colour
    ASSERT_EQ(expected.size(), 183u);

    recording_writer out;
    write_configuration(config, out, no_abort);
    EXPECT_EQ(out.written, expected);
    EXPECT_EQ(out.written, fixture("initial_values.bin"));
    // GUID, size and payload go to the host as three writes per record.
    const std::vector<std::uint32_t> int_record = {16, 4, 4}, bool_record = {16, 4, 1};
    std::vector<std::uint32_t> expected_writes;
    for (const auto* record :
         {&int_record, &bool_record, &bool_record, &bool_record, &int_record, &int_record, &int_record, &int_record}) {
        expected_writes.insert(expected_writes.end(), record->begin(), record->end());
    }
    EXPECT_EQ(out.writes, expected_writes);
}

TEST(Configuration, WrittenValuesReadBackUnchanged)
{
    configuration source;
    source.high_colour.value = -1;  // the whole 32 bits survive, sign included
    source.middle_colour.value = 0x00123456;
    source.low_colour.value = 0x00ABCDEF;
    source.display_mode_index.value = 7;
    source.high_flow.value = 1;
    source.low_flow.value = 0xFF;
    source.frame_rate.value = 60;

    configuration copy;
    read_blob(copy, write_blob(source));
    EXPECT_EQ(values_of(copy), values_of(source));
}

// Each stored scenario, applied to a configuration at its initial values.
struct blob_case {
    const char* file;
    values expected;
    bool truncated;  // reading ends with "Unsupported format or corrupted file"
};

const blob_case blob_cases[] = {
    {"empty.bin", initial, false},
    {"initial_values.bin", initial, false},
    // Records in the reverse of the written order still reach their variables.
    {"custom_values.bin", {0x12345678, -1, 0x8000, 3, 1, 1, 1, 60}, false},
    // The unknown record's 7 bytes are skipped and the record after it applies.
    {"unknown_record.bin", initial_with([](values& v) {
         v.frame_rate = 30;
         v.low_colour = 0xFF00;
     }),
     false},
    {"repeated_record.bin", initial_with([](values& v) { v.low_colour = 0x00222222; }), false},
    // A 2-byte and an empty payload leave their variables alone; the stream stays in step.
    {"short_payload.bin", initial_with([](values& v) { v.high_colour = 0xFF00; }), false},
    // Longer payloads give their first bytes; the rest is skipped.
    {"long_payload.bin", initial_with([](values& v) {
         v.high_flow = 1;
         v.frame_rate = 15;
         v.low_flow = 1;
     }),
     false},
    {"bool_byte_02.bin", initial_with([](values& v) { v.middle_flow = 2; }), false},
    // Ending inside a GUID is the normal end of the data.
    {"truncated_in_guid.bin", initial_with([](values& v) { v.low_colour = 0x123456; }), false},
    {"truncated_in_size.bin", initial_with([](values& v) { v.low_colour = 0x123456; }), true},
    {"truncated_in_payload.bin", initial_with([](values& v) { v.low_colour = 0x123456; }), true},
    {"truncated_in_unknown_payload.bin", initial_with([](values& v) { v.low_colour = 0x123456; }), true},
    {"oversized_unknown_payload.bin", initial_with([](values& v) { v.low_colour = 0x123456; }), true},
};

TEST(Configuration, StoredScenariosApplyAsExpected)
{
    for (const blob_case& c : blob_cases) {
        SCOPED_TRACE(c.file);
        configuration config;
        const bytes blob = fixture(c.file);
        memory_reader in(blob.data(), blob.size());
        if (c.truncated) {
            try {
                read_configuration(config, in, no_abort);
                ADD_FAILURE() << "no exception";
            } catch (const exception_io_data_truncation& e) {
                EXPECT_STREQ(e.what(), "Unsupported format or corrupted file");
            }
        } else {
            EXPECT_NO_THROW(read_configuration(config, in, no_abort));
            EXPECT_EQ(in.position(), blob.size()) << "the whole blob is consumed";
        }
        EXPECT_EQ(values_of(config), c.expected);
    }
}

TEST(Configuration, EveryCutInsideAGuidEndsQuietly)
{
    const bytes record = low_colour_guid + size_4 + bytes{0x01, 0x02, 0x03, 0x00};
    for (std::size_t cut = 1; cut <= 15; ++cut) {
        SCOPED_TRACE(cut);
        configuration config;
        const bytes blob = record + bytes(frame_rate_guid.begin(), frame_rate_guid.begin() + cut);
        EXPECT_NO_THROW(read_blob(config, blob));
        EXPECT_EQ(config.low_colour.value, 0x030201);
        EXPECT_EQ(config.frame_rate.value, 24);
    }
}

TEST(Configuration, EveryCutInsideASizeOrPayloadThrows)
{
    // A whole frame_rate record (60) for a known GUID and a 4-byte record for an unknown one.
    const bytes known = frame_rate_guid + size_4 + bytes{0x3C, 0x00, 0x00, 0x00};
    const bytes unknown = unknown_guid + size_4 + bytes{0xAA, 0xBB, 0xCC, 0xDD};
    for (const bytes* record : {&known, &unknown}) {
        for (std::size_t cut = 16; cut < record->size(); ++cut) {
            SCOPED_TRACE(cut);
            configuration config;
            const bytes blob(record->begin(), record->begin() + cut);
            EXPECT_THROW(read_blob(config, blob), exception_io_data_truncation);
            EXPECT_EQ(config.frame_rate.value, 24) << "a value read in part is not stored";
        }
    }
}

TEST(Configuration, BoolKeepsAndWritesBackTheByteItRead)
{
    configuration config;
    read_blob(config, fixture("bool_byte_02.bin"));
    EXPECT_EQ(config.middle_flow.value, 2);
    EXPECT_TRUE(config.middle_flow.is_set());

    const bytes written = write_blob(config);
    // middle_flow is the third record: 24 + 21 bytes in, payload at offset 20 of its record.
    ASSERT_EQ(written.size(), 183u);
    EXPECT_EQ(written[24 + 21 + 20], 0x02);
}

TEST(Configuration, ListWithoutVariablesSkipsEveryRecord)
{
    const bytes blob = fixture("custom_values.bin");
    memory_reader in(blob.data(), blob.size());
    EXPECT_NO_THROW(read_configuration(static_cast<config_var*>(nullptr), in, no_abort));
    EXPECT_EQ(in.position(), blob.size());

    recording_writer out;
    write_configuration(static_cast<config_var*>(nullptr), out, no_abort);
    EXPECT_TRUE(out.written.empty());
}

// A host stream over bytes that raises a chosen exception, once, at the first read that would
// pass byte `fail_at`; after that it reads on normally.
template <typename Failure>
class failing_reader final : public module_reader {
public:
    failing_reader(bytes data, std::size_t fail_at) : data_(std::move(data)), fail_at_(fail_at) {}

    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal&) override
    {
        if (!failed_ && position_ + count > fail_at_) {
            failed_ = true;
            throw Failure();
        }
        const std::size_t left = data_.size() - position_;
        const std::size_t n = count < left ? count : left;
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(position_), n, static_cast<std::uint8_t*>(buffer));
        position_ += n;
        return static_cast<std::uint32_t>(n);
    }

private:
    bytes data_;
    std::size_t fail_at_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

// A failure of the host's own, outside the module's exception family.
struct host_failure : std::runtime_error {
    host_failure() : std::runtime_error("host failure") {}
};

TEST(Configuration, DataErrorInsideAValueIsIgnoredButOtherFailuresPassThrough)
{
    // frame_rate 60, then low_colour 0x030201; the failure strikes inside frame_rate's payload.
    const bytes blob =
        frame_rate_guid + size_4 + bytes{0x3C, 0, 0, 0} + low_colour_guid + size_4 + bytes{0x01, 0x02, 0x03, 0x00};
    {
        configuration config;
        failing_reader<exception_io_data> in(blob, 21);
        EXPECT_NO_THROW(read_configuration(config, in, no_abort));
        EXPECT_EQ(config.frame_rate.value, 24);
        EXPECT_EQ(config.low_colour.value, 0x030201) << "reading goes on after the failed value";
    }
    {
        configuration config;
        failing_reader<host_failure> in(blob, 21);
        EXPECT_THROW(read_configuration(config, in, no_abort), host_failure);
        EXPECT_EQ(config.frame_rate.value, 24);
        EXPECT_EQ(config.low_colour.value, 0);
    }
}

// A host stream over bytes whose n-th read (counting from 0) consumes `count` + 16 bytes and says
// so, as a broken host stream might; every other read is honest.
class overreporting_reader final : public module_reader {
public:
    overreporting_reader(bytes data, int overreport_on) : data_(std::move(data)), left_(overreport_on) {}

    std::uint32_t read(void* buffer, std::uint32_t count, abort_signal&) override
    {
        const std::size_t left = data_.size() - position_;
        const std::size_t n = count < left ? count : left;
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(position_), n, static_cast<std::uint8_t*>(buffer));
        const std::size_t claimed = left_-- == 0 ? n + 16 : n;
        position_ += std::min(left, claimed);
        return static_cast<std::uint32_t>(claimed);
    }

private:
    bytes data_;
    int left_;
    std::size_t position_ = 0;
};

TEST(Configuration, StreamAnsweringMoreThanAskedEndsTheReadWhateverTheRecord)
{
    // frame_rate 60; an unknown record whose payload is a whole low_colour record (0x030201);
    // then middle_colour 0x0C0B0A. Reads: 0 GUID, 1 size, 2 payload, 3 GUID, 4 size, 5 skip,
    // 6 GUID, 7 size, 8 payload.
    const bytes blob = frame_rate_guid + size_4 + bytes{0x3C, 0, 0, 0} + unknown_guid + bytes{24, 0, 0, 0} +
                       low_colour_guid + size_4 + bytes{0x01, 0x02, 0x03, 0x00} + middle_colour_guid + size_4 +
                       bytes{0x0A, 0x0B, 0x0C, 0x00};
    const struct {
        int overreport_on;
        values expected;
    } cases[] = {
        {0, initial},
        // Inside a payload, where a short read is swallowed: 16 bytes too far plus the skip of the
        // "remaining" 4 would land on the low_colour record inside the unknown payload.
        {2, initial},
        {5, initial_with([](values& v) { v.frame_rate = 60; })},
        {6, initial_with([](values& v) { v.frame_rate = 60; })},
        {8, initial_with([](values& v) { v.frame_rate = 60; })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.overreport_on);
        configuration config;
        overreporting_reader in(blob, c.overreport_on);
        try {
            read_configuration(config, in, no_abort);
            ADD_FAILURE() << "no exception";
        } catch (const exception_io_data& e) {
            EXPECT_STREQ(e.what(), "Unsupported format or corrupted file");
        }
        EXPECT_EQ(values_of(config), c.expected);
    }
}

// A host writer that fails on its n-th write.
class failing_writer final : public stream_writer {
public:
    explicit failing_writer(int fail_on) : left_(fail_on) {}
    void write(const void*, std::uint32_t, abort_signal&) override
    {
        if (--left_ == 0) {
            throw std::runtime_error("disk full");
        }
    }

private:
    int left_;
};

TEST(Configuration, WriterFailurePassesThrough)
{
    configuration config;
    failing_writer out(5);
    EXPECT_THROW(write_configuration(config, out, no_abort), std::runtime_error);
}

}  // namespace
}  // namespace pyrelle
