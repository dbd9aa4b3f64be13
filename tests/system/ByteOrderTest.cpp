#include "system/ByteOrder.h"

#include <gtest/gtest.h>

#include <array>

using namespace System;

TEST(ByteOrder, BigEndianWritersAndReaders) {
    std::uint8_t octets[8] = {};
    WriteBigEndian(octets, 0x01020304, 4);
    EXPECT_EQ(ReadBigEndian32(octets), 0x01020304u);
    EXPECT_EQ(ReadBigEndian16(octets), 0x0102u);
    EXPECT_EQ(ReadBigEndian24(octets), 0x010203u);
    WriteBigEndian(octets, 0xAABBCC, 3);
    EXPECT_EQ(octets[0], 0xAA);
    EXPECT_EQ(octets[2], 0xCC);
    EXPECT_EQ(octets[3], 0x04);
    WriteBigEndian64(octets, 0x0102030405060708ull, 8);
    EXPECT_EQ(ReadBigEndian64(octets), 0x0102030405060708ull);
    EXPECT_EQ(ReadBigEndian48(octets), 0x010203040506ull);
}

TEST(ByteOrder, BitArrayCountsFromTheLeastSignificantBit) {
    std::uint8_t bits[2] = {};
    SetBitInArray(bits, 0);
    SetBitInArray(bits, 9);
    EXPECT_EQ(bits[0], 0x01);
    EXPECT_EQ(bits[1], 0x02);
    EXPECT_TRUE(TestBitInArray(bits, 9));
    EXPECT_FALSE(TestBitInArray(bits, 8));
}

TEST(ByteOrder, ReversedCopiesAreBounded) {
    std::array<std::uint8_t, 6> buffer = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::uint64_t value = 7;
    EXPECT_EQ(ReadBytesReversed(value, buffer, 4, 1), OkNoError);
    EXPECT_EQ(value, 0x11223344u);
    EXPECT_EQ(ReadBytesReversed(value, buffer, 4, 3), OutOfRange);
    EXPECT_EQ(ReadBytesReversed(value, buffer, 1, 6), OutOfRange);
    EXPECT_EQ(ReadBytesReversed(value, buffer, 0, 6), OkNoError);
    EXPECT_EQ(value, 0u);

    EXPECT_EQ(WriteBytesReversed(buffer, 0xA1B2, 2, 4), OkNoError);
    EXPECT_EQ(buffer[4], 0xA1);
    EXPECT_EQ(buffer[5], 0xB2);
    EXPECT_EQ(WriteBytesReversed(buffer, 0xA1B2, 2, 5), OutOfRange);
    EXPECT_EQ(buffer[5], 0xB2);
    EXPECT_EQ(WriteBytesReversed(buffer, 0xA1B2, 2, SIZE_MAX), OutOfRange);

    std::array<std::uint8_t, 10> wide{};
    EXPECT_EQ(WriteSignExtendedReversed(wide, -2, 10, 0), OkNoError);
    EXPECT_EQ(wide[0], 0xFF);
    EXPECT_EQ(wide[1], 0xFF);
    EXPECT_EQ(wide[9], 0xFE);
    EXPECT_EQ(WriteBytesReversed(wide, UINT64_MAX, 10, 0), OkNoError);
    EXPECT_EQ(wide[0], 0x00);
    EXPECT_EQ(wide[2], 0xFF);
    EXPECT_EQ(WriteSignExtendedReversed(wide, 5, 2, 8), OkNoError);
    EXPECT_EQ(wide[8], 0x00);
    EXPECT_EQ(wide[9], 0x05);
}
