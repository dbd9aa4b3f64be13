#include "app/goose/GooseBerReaders.h"
#include "app/goose/GooseFrameBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
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

// One primitive reader over contents given with their length octet; the value as text.
struct PrimitiveCase {
    const char* name;
    std::function<int(const std::uint8_t*, std::size_t, std::size_t&, std::string&)> read;
    Bytes octets;
    int ok;
    std::string value;
};

int ReadBoolean(const std::uint8_t* d, std::size_t e, std::size_t& p, std::string& v) {
    std::uint32_t value;
    const int ok = BerReadBoolean(d, e, p, value);
    v = std::to_string(value);
    return ok;
}
int ReadInteger(const std::uint8_t* d, std::size_t e, std::size_t& p, std::string& v) {
    std::int64_t value;
    const int ok = BerReadInteger(d, e, p, value);
    v = std::to_string(value);
    return ok;
}
int ReadUnsigned(const std::uint8_t* d, std::size_t e, std::size_t& p, std::string& v) {
    std::uint64_t value;
    const int ok = BerReadUnsigned(d, e, p, value);
    v = std::to_string(value);
    return ok;
}
int ReadUnsigned32(const std::uint8_t* d, std::size_t e, std::size_t& p, std::string& v) {
    std::uint32_t value;
    const int ok = BerReadUnsigned32(d, e, p, value);
    v = std::to_string(value);
    return ok;
}
int ReadFloat(const std::uint8_t* d, std::size_t e, std::size_t& p, std::string& v) {
    double value;
    const int ok = BerReadFloat(d, e, p, value);
    v = std::to_string(value);
    return ok;
}
int ReadBits(const std::uint8_t* d, std::size_t e, std::size_t& p, std::string& v) {
    BoundedOctets<255> bits;
    std::uint16_t count = 0;
    const int ok = BerReadBitString(d, e, p, bits, count);
    v = std::to_string(count) + ":";
    for (std::size_t i = 0; i < bits.length; ++i) v += std::to_string(bits.octets[i]) + " ";
    return ok;
}
int ReadTime(const std::uint8_t* d, std::size_t e, std::size_t& p, std::string& v) {
    std::uint32_t seconds, fraction;
    const int ok = BerReadUtcTime(d, e, p, seconds, fraction);
    v = std::to_string(seconds) + "/" + std::to_string(fraction);
    return ok;
}

TEST(GooseBerPrimitives, DecodeAcceptedLengthsAndFailTheRest) {
    const PrimitiveCase cases[] = {
        {"boolean true", ReadBoolean, {0x01, 0xFF}, 1, "1"},
        {"boolean false", ReadBoolean, {0x01, 0x00}, 1, "0"},
        {"boolean of four octets", ReadBoolean, {0x04, 0, 0, 0, 1}, 1, "1"},
        {"boolean of five octets", ReadBoolean, {0x05, 0, 0, 0, 0, 1}, 0, ""},
        {"boolean empty", ReadBoolean, {0x00}, 0, ""},
        {"integer 5", ReadInteger, {0x01, 0x05}, 1, "5"},
        {"integer -1", ReadInteger, {0x01, 0xFF}, 1, "-1"},
        {"integer -32768", ReadInteger, {0x02, 0x80, 0x00}, 1, "-32768"},
        {"integer empty", ReadInteger, {0x00}, 1, "0"},
        {"integer of 5 octets", ReadInteger, {0x05, 0x01, 0, 0, 0, 0}, 1, "4294967296"},
        {"integer INT64 min", ReadInteger, {0x08, 0x80, 0, 0, 0, 0, 0, 0, 0}, 1, "-9223372036854775808"},
        {"integer of 9 octets", ReadInteger, {0x09, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 0, ""},
        {"unsigned 300", ReadUnsigned, {0x02, 0x01, 0x2C}, 1, "300"},
        {"unsigned of 8 octets",
         ReadUnsigned,
         {0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
         1,
         "18446744073709551615"},
        {"unsigned empty", ReadUnsigned, {0x00}, 0, ""},
        {"unsigned of 9 octets", ReadUnsigned, {0x09, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 0, ""},
        {"32-bit field, 5 octets led by 0", ReadUnsigned32, {0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, 1, "4294967295"},
        {"32-bit field over 32 bits", ReadUnsigned32, {0x05, 0x01, 0, 0, 0, 0}, 0, ""},
        {"float 1.5", ReadFloat, {0x05, 0x08, 0x3F, 0xC0, 0x00, 0x00}, 1, "1.500000"},
        {"float64 -2.25", ReadFloat, {0x09, 0x0B, 0xC0, 0x02, 0x00, 0, 0, 0, 0, 0}, 1, "-2.250000"},
        {"float with exponent width 11 in 5 octets", ReadFloat, {0x05, 0x0B, 0x3F, 0xC0, 0x00, 0x00}, 0, ""},
        {"float of 4 octets", ReadFloat, {0x04, 0x08, 0x3F, 0xC0, 0x00}, 0, ""},
        {"float empty", ReadFloat, {0x00}, 0, ""},
        {"bits 03 A0", ReadBits, {0x02, 0x03, 0xA0}, 1, "5:160 "},
        {"bits unused low bits cleared", ReadBits, {0x02, 0x03, 0xFF}, 1, "5:248 "},
        {"bits empty", ReadBits, {0x00}, 1, "0:"},
        {"bits only the unused count", ReadBits, {0x01, 0x00}, 1, "0:"},
        {"bits unused without octets", ReadBits, {0x01, 0x03}, 0, ""},
        {"bits 8 unused", ReadBits, {0x02, 0x08, 0xA0}, 0, ""},
        {"utc-time", ReadTime, {0x08, 0, 0, 0, 1, 0x80, 0, 0, 0x0A}, 1, "1/2147483658"},
        {"utc-time of 7 octets", ReadTime, {0x07, 0, 0, 0, 1, 0x80, 0, 0}, 0, ""},
    };
    for (const PrimitiveCase& c : cases) {
        std::size_t position = 0;
        std::string value;
        const int ok = c.read(c.octets.data(), c.octets.size(), position, value);
        EXPECT_EQ(ok, c.ok) << c.name;
        if (ok && c.ok) {
            EXPECT_EQ(value, c.value) << c.name;
            EXPECT_EQ(position, c.octets.size()) << c.name;
        }
        // The same contents one octet short never decode.
        if (c.octets.size() > 1) {
            std::size_t cutPosition = 0;
            EXPECT_EQ(c.read(c.octets.data(), c.octets.size() - 1, cutPosition, value), 0) << c.name << " cut";
        }
    }
}

TEST(GooseBerOctetString, FailsWhenLongerThanItsField) {
    for (std::size_t size : {0u, 1u, 255u, 256u, 257u}) {
        Bytes data{0x82, static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)};
        data.resize(data.size() + size, 'x');
        BoundedOctets<255> value;
        BoundedOctets<256> header;
        std::size_t position = 0;
        EXPECT_EQ(BerReadOctetString(data.data(), data.size(), position, value), size <= 255 ? 1 : 0) << size;
        position = 0;
        EXPECT_EQ(BerReadOctetString(data.data(), data.size(), position, header), size <= 256 ? 1 : 0) << size;
        if (size <= 256) {
            EXPECT_EQ(header.length, size);
        }
    }
}

TEST(GooseReadValue, SkipsConstructedAndUnshownTypesByLength) {
    // A structure nested far deeper than any decoder would recurse, an array, a BCD [13].
    Bytes nested{0x85, 0x01, 0x07};
    for (int depth = 0; depth < 500; ++depth) nested = GooseTest::Tlv(0xA2, nested);
    const Bytes array{0xA1, 0x03, 0x83, 0x01, 0xFF};
    const Bytes bcd{0x8D, 0x01, 0x12};
    for (const Bytes& element : {nested, array, bcd}) {
        GooseValue value;
        std::size_t position = 0;
        EXPECT_EQ(GooseReadValue(element.data(), element.size(), position, value), 1);
        EXPECT_EQ(position, element.size());
        position = 0;
        EXPECT_EQ(GooseReadValue(element.data(), element.size() - 1, position, value), 0);
    }
    GooseValue value;
    std::size_t position = 0;
    EXPECT_EQ(GooseReadValue(array.data(), array.size(), position, value), 1);
    EXPECT_EQ(value.type, kGooseArray);
}

}  // namespace
