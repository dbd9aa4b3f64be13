#include "app/goose/GooseBerReaders.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct LengthCase {
    const char* name;
    Bytes octets;  // length octets; `contents` more octets follow
    std::size_t contents;
    int ok;
    std::size_t length;
    std::size_t position;
};

TEST(GooseBerReadLength, ReadsDefiniteLengthsAndRefusesWhatDoesNotFit) {
    const LengthCase cases[] = {
        {"short form", {0x05}, 5, 1, 5, 1},
        {"zero", {0x00}, 0, 1, 0, 1},
        {"one length octet", {0x81, 0x80}, 128, 1, 128, 2},
        {"0x82 0x01 0x2C", {0x82, 0x01, 0x2C}, 300, 1, 300, 3},
        {"four length octets", {0x84, 0x00, 0x00, 0x00, 0x03}, 3, 1, 3, 5},
        {"contents one short", {0x05}, 4, 0, 0, 0},
        {"indefinite form", {0x80}, 10, 0, 0, 0},
        {"five length octets", {0x85, 0, 0, 0, 0, 1}, 1, 0, 0, 0},
        {"0xFFFFFFFF", {0x84, 0xFF, 0xFF, 0xFF, 0xFF}, 16, 0, 0, 0},
        {"length octets cut", {0x82, 0x01}, 0, 0, 0, 0},
    };
    for (const LengthCase& c : cases) {
        Bytes data = c.octets;
        data.resize(data.size() + c.contents, 0xEE);
        std::size_t position = 0, length = 0;
        EXPECT_EQ(BerReadLength(data.data(), data.size(), position, length), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(length, c.length) << c.name;
            EXPECT_EQ(position, c.position) << c.name;
        }
    }
    std::size_t position = 0, length = 0;
    EXPECT_EQ(BerReadLength(nullptr, 0, position, length), 0) << "nothing left";
}

// Header fields are 32-bit: a value that needs more fails rather than being cut.
TEST(GooseBerReadUnsigned32, TakesFiveOctetsOnlyWithALeadingZero) {
    struct Case {
        Bytes octets;
        int ok;
        std::uint32_t value;
    };
    const Case cases[] = {{{0x01, 0x07}, 1, 7},
                          {{0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, 1, 0xFFFFFFFF},
                          {{0x05, 0x01, 0x00, 0x00, 0x00, 0x00}, 0, 0},
                          {{0x00}, 0, 0}};
    for (const Case& c : cases) {
        std::size_t position = 0;
        std::uint32_t value = 0;
        EXPECT_EQ(BerReadUnsigned32(c.octets.data(), c.octets.size(), position, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

}  // namespace
