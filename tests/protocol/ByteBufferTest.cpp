#include "protocol/ByteBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using Protocol::ByteBuffer;

namespace {

const std::uint8_t kFive[] = {0x10, 0x20, 0x30, 0x40, 0x50};

TEST(ByteBufferTest, WriteBeyondCapacityFailsUntilCompactFreesConsumedRoom) {
    ByteBuffer buffer(8);
    ASSERT_EQ(buffer.Write(kFive, 5), System::OkNoError);
    const std::uint8_t four[] = {1, 2, 3, 4};
    EXPECT_EQ(buffer.Write(four, 4), System::OutOfRange);
    EXPECT_EQ(buffer.Available(), 5u);  // nothing of the refused write went in

    ASSERT_EQ(buffer.Skip(2), System::OkNoError);
    EXPECT_EQ(buffer.Write(four, 4), System::OutOfRange);  // consumed room is not reused by itself
    buffer.Compact();
    ASSERT_EQ(buffer.Write(four, 4), System::OkNoError);

    std::vector<std::uint8_t> unread(buffer.Available());
    ASSERT_EQ(buffer.PeekBytes(0, unread.data(), static_cast<std::uint32_t>(unread.size())), System::OkNoError);
    EXPECT_EQ(unread, (std::vector<std::uint8_t>{0x30, 0x40, 0x50, 1, 2, 3, 4}));
}

TEST(ByteBufferTest, PeeksAreBigEndianAndBoundedByTheUnreadBytes) {
    ByteBuffer buffer(8);
    ASSERT_EQ(buffer.Write(kFive, 5), System::OkNoError);
    std::uint16_t word = 0;
    EXPECT_EQ(buffer.PeekUInt16(4, word), System::OutOfRange);
    ASSERT_EQ(buffer.PeekUInt16(3, word), System::OkNoError);
    EXPECT_EQ(word, 0x4050);
    std::uint32_t longWord = 0;
    ASSERT_EQ(buffer.PeekUInt32(1, longWord), System::OkNoError);
    EXPECT_EQ(longWord, 0x20304050u);
    EXPECT_EQ(buffer.PeekUInt32(2, longWord), System::OutOfRange);
    std::uint8_t octet = 0;
    EXPECT_EQ(buffer.PeekByte(5, octet), System::OutOfRange);
    // An offset near the top of the range must not wrap around into the data.
    EXPECT_EQ(buffer.PeekByte(0xFFFFFFFFu, octet), System::OutOfRange);
    std::uint8_t bytes[2];
    EXPECT_EQ(buffer.PeekBytes(0xFFFFFFFFu, bytes, 2), System::OutOfRange);

    // Peeking consumes nothing; skipping moves the reads on.
    ASSERT_EQ(buffer.Skip(1), System::OkNoError);
    ASSERT_EQ(buffer.PeekByte(0, octet), System::OkNoError);
    EXPECT_EQ(octet, 0x20);
    EXPECT_EQ(buffer.Skip(5), System::OutOfRange);
    EXPECT_EQ(buffer.Available(), 4u);
}

TEST(ByteBufferTest, SetCapacityOnlyOnAnUntouchedBuffer) {
    ByteBuffer buffer(8);
    EXPECT_EQ(buffer.SetCapacity(0), System::InvalidArguments);
    EXPECT_EQ(buffer.SetCapacity(8), System::OkNoError);

    ASSERT_EQ(buffer.Write(kFive, 5), System::OkNoError);
    EXPECT_EQ(buffer.SetCapacity(16), System::InvalidState);
    EXPECT_EQ(buffer.GetCapacity(), 8u);
    std::uint8_t octet = 0;
    ASSERT_EQ(buffer.PeekByte(4, octet), System::OkNoError);
    EXPECT_EQ(octet, 0x50);  // the data stayed

    // All consumed but positions not yet rewound: still refused.
    ASSERT_EQ(buffer.Skip(5), System::OkNoError);
    EXPECT_EQ(buffer.SetCapacity(16), System::InvalidState);
    buffer.Compact();
    EXPECT_EQ(buffer.SetCapacity(16), System::OkNoError);
    EXPECT_EQ(buffer.GetCapacity(), 16u);
    EXPECT_EQ(buffer.Room(), 16u);
}

TEST(ByteBufferTest, ClearForgetsAndAnEmptyBufferTakesNothing) {
    ByteBuffer empty;
    EXPECT_EQ(empty.GetCapacity(), 0u);
    EXPECT_EQ(empty.Write(kFive, 1), System::OutOfRange);
    EXPECT_EQ(empty.Write(kFive, 0), System::OkNoError);

    ByteBuffer buffer(5);
    ASSERT_EQ(buffer.Write(kFive, 5), System::OkNoError);
    buffer.Clear();
    EXPECT_EQ(buffer.Available(), 0u);
    EXPECT_EQ(buffer.Room(), 5u);
}

}  // namespace
