// Identifier and length octets.

#include <gtest/gtest.h>

#include <cerrno>

#include "protocol/Asn1TestSupport.h"

using namespace Asn1;
using Asn1TestSupport::Bytes;
using Asn1TestSupport::Hex;

namespace {

struct LengthCase {
    const char* octets;
    std::ptrdiff_t consumed;
    std::size_t length;
};

TEST(Asn1Ber, FetchLengthReadsShortLongAndRefusesOversize) {
    const LengthCase cases[] = {
        {"7F", 1, 127},
        {"81 80", 2, 128},
        {"82 01 00", 3, 256},
        {"83 FF FF FF", 4, 0xFFFFFF},
        {"84 00 00 01 00", 5, 256},  // leading zero octets are taken
        {"80", 1, 0},                // the indefinite form reads as 0
        {"84 01 00 00 00", -1, 0},   // beyond 0xFFFFFF
        {"82 01", 0, 0},             // length octets cut short: more data needed
        {"", 0, 0},
    };
    for (const LengthCase& c : cases) {
        const Bytes octets = Hex(c.octets);
        std::size_t length = 0;
        EXPECT_EQ(BerFetchLength(0, octets.data(), octets.size(), &length), c.consumed) << c.octets;
        if (c.consumed > 0) {
            EXPECT_EQ(length, c.length) << c.octets;
        }
    }
}

TEST(Asn1Ber, WriteLengthUsesMinimalForms) {
    const std::pair<std::size_t, const char*> cases[] = {{0, "00"},      {127, "7F"},       {128, "81 80"},
                                                         {255, "81 FF"}, {256, "82 01 00"}, {0xFFFFFF, "83 FF FF FF"}};
    for (const auto& [length, expected] : cases) {
        std::uint8_t storage[8] = {};
        Asn1OutputBuffer buffer{storage, sizeof storage};
        const std::ptrdiff_t written = BerWriteLength(length, &buffer);
        EXPECT_EQ(Bytes(storage + buffer.position, storage + sizeof storage), Hex(expected));
        EXPECT_EQ(written, static_cast<std::ptrdiff_t>(Hex(expected).size()));
    }
}

TEST(Asn1Ber, FetchTagTakesOneHighTagOctet) {
    struct Case {
        const char* octets;
        std::ptrdiff_t consumed;
        Asn1Tag tag;
    };
    const Case cases[] = {
        {"30", 1, Asn1SequenceTag},
        {"A3", 1, Asn1ContextTag(3)},
        {"9F 40", 2, Asn1ContextTag(64)},
        {"5F 21", 2, Asn1ApplicationTag(33)},
        {"9F 81", -1, 0},  // a second continuation octet
        {"9F", -1, 0},     // the tag runs past the data
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        const Bytes octets = Hex(c.octets);
        Asn1Tag tag = 0;
        EXPECT_EQ(BerFetchTag(octets.data(), octets.size(), &tag), c.consumed) << c.octets;
        if (c.consumed > 0) {
            EXPECT_EQ(tag, c.tag) << c.octets;
        }
    }
    EXPECT_EQ(Asn1ContextTag(64), 258);
}

TEST(Asn1Ber, WriteTagUsesOneTwoOrThreeOctets) {
    struct Case {
        Asn1Tag tag;
        int constructed;
        const char* expected;
    };
    const Case cases[] = {
        {Asn1SequenceTag, Asn1Constructed, "30"},
        {Asn1ContextTag(3), 0, "83"},
        {Asn1ContextTag(77), Asn1Constructed, "BF 4D"},
        {Asn1ApplicationTag(30), 0, "5E"},
        {Asn1ContextTag(31), 0, "9F 1F"},
        {Asn1ContextTag(200), 0, "9F 81 48"},
    };
    for (const Case& c : cases) {
        std::uint8_t storage[4] = {};
        Asn1OutputBuffer buffer{storage, sizeof storage};
        EXPECT_EQ(BerWriteTag(c.tag, &buffer, c.constructed), static_cast<std::ptrdiff_t>(Hex(c.expected).size()));
        EXPECT_EQ(Bytes(storage + buffer.position, storage + sizeof storage), Hex(c.expected));
    }
}

TEST(Asn1Ber, WritersFailWithoutRoomAndLeaveThePosition) {
    std::uint8_t storage[2] = {};
    Asn1OutputBuffer buffer{storage, 2};
    errno = 0;
    EXPECT_EQ(BerWriteLength(256, &buffer), -1);
    EXPECT_EQ(errno, ENOMEM);
    EXPECT_EQ(buffer.position, 2u);
    EXPECT_EQ(BerWriteTag(Asn1ContextTag(200), &buffer, 0), -1);
    EXPECT_EQ(buffer.position, 2u);
    // The length fits, the tag then does not: nothing stays written.
    Asn1OutputBuffer tight{storage, 2};
    EXPECT_EQ(Asn1WriteTagLength(5, Asn1ContextTag(77), &tight, 0), -1);
    EXPECT_EQ(tight.position, 2u);
}

TEST(Asn1Ber, WriteTagLengthPrependsLengthThenTag) {
    std::uint8_t storage[8] = {};
    Asn1OutputBuffer buffer{storage, sizeof storage};
    EXPECT_EQ(Asn1WriteTagLength(300, Asn1SequenceTag, &buffer, Asn1Constructed), 4);
    EXPECT_EQ(Bytes(storage + buffer.position, storage + sizeof storage), Hex("30 82 01 2C"));
}

TEST(Asn1Ber, SkipLengthCountsTheWholeContent) {
    const Bytes whole = Hex("03 41 42 43 44");
    EXPECT_EQ(BerSkipLength(nullptr, 0, whole.data(), whole.size()), 4);
    const Bytes cut = Hex("05 41 42");
    EXPECT_EQ(BerSkipLength(nullptr, 0, cut.data(), cut.size()), 0);
    const Bytes indefinite = Hex("80 00 00");
    EXPECT_EQ(BerSkipLength(nullptr, 1, indefinite.data(), indefinite.size()), -1);
    const Bytes oversize = Hex("84 01 00 00 00");
    EXPECT_EQ(BerSkipLength(nullptr, 0, oversize.data(), oversize.size()), -1);
}

}  // namespace
