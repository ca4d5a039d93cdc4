#include "support/guid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using pyrelle::guid;

namespace {
// {0DE42CEF-48EB-4D6D-8ACA-B4BB8A5052E9} as the 16 bytes a stored record holds (little-endian
// 32/16/16-bit fields, then the 8 bytes as they are).
const unsigned char stored_bytes[16] = {0xEF, 0x2C, 0xE4, 0x0D, 0xEB, 0x48, 0x6D, 0x4D,
                                        0x8A, 0xCA, 0xB4, 0xBB, 0x8A, 0x50, 0x52, 0xE9};
const guid sample = {0x0DE42CEF, 0x48EB, 0x4D6D, {0x8A, 0xCA, 0xB4, 0xBB, 0x8A, 0x50, 0x52, 0xE9}};

std::string formatted(const guid& id)
{
    char out[37];
    return pyrelle::format_guid(id, out);
}
}  // namespace

TEST(Guid, FormatsUpperCaseWithoutBracesAndStopsAt37Bytes)
{
    char out[40];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(pyrelle::format_guid(sample, out), out);
    EXPECT_EQ(std::string(out), "0DE42CEF-48EB-4D6D-8ACA-B4BB8A5052E9");
    EXPECT_EQ(out[37], '#');  // nothing written past the terminator

    EXPECT_EQ(formatted(guid{}), "00000000-0000-0000-0000-000000000000");
    EXPECT_EQ(formatted(guid{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}),
              "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF");
    // Leading zeros inside every field must survive.
    EXPECT_EQ(formatted(guid{0x00000001, 0x0002, 0x0003, {0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B}}),
              "00000001-0002-0003-0405-060708090A0B");
}

TEST(Guid, StoredBytesReadAsTheSameIdentifier)
{
    guid read;
    std::memcpy(&read, stored_bytes, sizeof read);
    EXPECT_EQ(read, sample);
    EXPECT_EQ(formatted(read), "0DE42CEF-48EB-4D6D-8ACA-B4BB8A5052E9");
}

TEST(Guid, DifferingInAnySingleByteIsNotEqual)
{
    for (std::size_t i = 0; i < sizeof(guid); ++i) {
        unsigned char bytes[16];
        std::memcpy(bytes, stored_bytes, sizeof bytes);
        bytes[i] ^= 0x01;
        guid other;
        std::memcpy(&other, bytes, sizeof other);
        EXPECT_NE(other, sample) << "byte " << i;
        EXPECT_FALSE(other == sample) << "byte " << i;
    }
    EXPECT_FALSE(sample != sample);
}
