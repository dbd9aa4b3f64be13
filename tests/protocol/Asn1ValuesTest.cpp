#include "protocol/Asn1Coder.h"
#include "protocol/Asn1NumberValues.h"
#include "protocol/Asn1OidValues.h"
#include "protocol/Asn1StringValues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <vector>

using namespace Asn1;
using namespace System;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes OctetsOf(const Asn1Integer& integer) {
    const std::uint8_t* octets = Asn1IntegerOctets(&integer);
    return Bytes(octets, octets + integer.size);
}

Bytes OctetsOf(const Asn1OctetString& string) { return Bytes(string.buf, string.buf + string.size); }

// Frees what a value owns when the test ends.
struct IntegerHolder {
    Asn1Integer value{};
    ~IntegerHolder() { Asn1IntegerType.free(&Asn1IntegerType, &value, 1); }
};
struct OctetsHolder {
    Asn1OctetString value{};
    ~OctetsHolder() { Asn1OctetStringType.free(&Asn1OctetStringType, &value, 1); }
};
struct BitsHolder {
    Asn1BitString value{};
    ~BitsHolder() { Asn1BitStringType.free(&Asn1BitStringType, &value, 1); }
};

}  // namespace

TEST(Asn1Values, BooleanBothWaysWithPresence) {
    Asn1Boolean boolean = 7;
    EXPECT_EQ(BoolToAsn1Boolean(&boolean, true), OkNoError);
    EXPECT_EQ(boolean, 1);
    EXPECT_EQ(BoolToAsn1Boolean(&boolean, false), OkNoError);
    EXPECT_EQ(boolean, 0);
    EXPECT_EQ(BoolToAsn1Boolean(nullptr, true), InvalidArguments);

    // A peer's 0xFF reads as true.
    const Asn1Boolean received = 0xFF;
    bool value = false;
    bool present = false;
    EXPECT_EQ(Asn1BooleanToBool(value, &received, &present), OkNoError);
    EXPECT_TRUE(value);
    EXPECT_TRUE(present);
    EXPECT_EQ(Asn1BooleanToBool(value, nullptr, &present), OkNoError);
    EXPECT_FALSE(present);
    EXPECT_EQ(Asn1BooleanToBool(value, nullptr), Error);

    std::string text;
    EXPECT_EQ(Asn1BooleanToText(text, &received), OkNoError);
    EXPECT_EQ(text, "True");
    const Asn1Boolean off = 0;
    EXPECT_EQ(Asn1BooleanToText(text, &off), OkNoError);
    EXPECT_EQ(text, "False");
    EXPECT_EQ(Asn1BooleanToText(text, nullptr), Error);

    Asn1Boolean* optional = &boolean;
    EXPECT_EQ(NewOptionalAsn1Boolean(optional, false, true), OkNoError);
    EXPECT_EQ(optional, nullptr);
    ASSERT_EQ(NewOptionalAsn1Boolean(optional, true, true), OkNoError);
    ASSERT_NE(optional, nullptr);
    EXPECT_EQ(*optional, 1);
    Asn1FreeValue(&Asn1BooleanType, optional);
}

TEST(Asn1Values, IntegersAreWrittenMinimal) {
    struct Case {
        std::int64_t value;
        Bytes octets;
    };
    const Case cases[] = {
        {0, {0x00}},
        {127, {0x7F}},
        {128, {0x00, 0x80}},
        {-128, {0x80}},
        {-129, {0xFF, 0x7F}},
        {INT32_MIN, {0x80, 0x00, 0x00, 0x00}},
        {INT64_MAX, {0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {INT64_MIN, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        IntegerHolder integer;
        ASSERT_EQ(Int64ToAsn1Integer(&integer.value, c.value), OkNoError);
        EXPECT_EQ(OctetsOf(integer.value), c.octets) << c.value;
        std::int64_t back = 0;
        ASSERT_EQ(Asn1IntegerToInt64(back, &integer.value), OkNoError);
        EXPECT_EQ(back, c.value);
        if (c.value >= INT32_MIN && c.value <= INT32_MAX) {
            IntegerHolder narrow;
            ASSERT_EQ(Int32ToAsn1Integer(&narrow.value, static_cast<std::int32_t>(c.value)), OkNoError);
            EXPECT_EQ(OctetsOf(narrow.value), c.octets) << c.value;
        }
    }
    IntegerHolder top;
    ASSERT_EQ(UInt64ToAsn1Integer(&top.value, UINT64_MAX), OkNoError);
    EXPECT_EQ(OctetsOf(top.value), (Bytes{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    std::uint64_t back = 0;
    ASSERT_EQ(Asn1IntegerToUInt64(back, &top.value), OkNoError);
    EXPECT_EQ(back, UINT64_MAX);
    std::int64_t signedBack = 0;
    EXPECT_EQ(Asn1IntegerToInt64(signedBack, &top.value), OutOfRange);
    EXPECT_EQ(Int32ToAsn1Integer(nullptr, 1), InvalidArguments);
}

TEST(Asn1Values, IntegerReadersCheckTheirRange) {
    struct Case {
        std::int64_t value;
        ResultCode int8, int16, int32, uint8, uint32;
    };
    const Case cases[] = {
        {127, OkNoError, OkNoError, OkNoError, OkNoError, OkNoError},
        {128, OutOfRange, OkNoError, OkNoError, OkNoError, OkNoError},
        {-128, OkNoError, OkNoError, OkNoError, OkNoError, OkNoError},    // octet 80 read unsigned: 128
        {-129, OutOfRange, OkNoError, OkNoError, OutOfRange, OkNoError},  // FF 7F read unsigned: 65407
        {255, OutOfRange, OkNoError, OkNoError, OkNoError, OkNoError},
        {256, OutOfRange, OkNoError, OkNoError, OutOfRange, OkNoError},
        {32767, OutOfRange, OkNoError, OkNoError, OutOfRange, OkNoError},
        {32768, OutOfRange, OutOfRange, OkNoError, OutOfRange, OkNoError},
        {-32769, OutOfRange, OutOfRange, OkNoError, OutOfRange, OkNoError},
        {INT32_MAX + std::int64_t{1}, OutOfRange, OutOfRange, OutOfRange, OutOfRange, OkNoError},
        {UINT32_MAX + std::int64_t{1}, OutOfRange, OutOfRange, OutOfRange, OutOfRange, OutOfRange},
    };
    for (const Case& c : cases) {
        IntegerHolder integer;
        ASSERT_EQ(Int64ToAsn1Integer(&integer.value, c.value), OkNoError);
        std::int8_t i8 = 0;
        std::int16_t i16 = 0;
        std::int32_t i32 = 0;
        std::uint8_t u8 = 0;
        std::uint32_t u32 = 0;
        EXPECT_EQ(Asn1IntegerToInt8(i8, &integer.value), c.int8) << c.value;
        EXPECT_EQ(Asn1IntegerToInt16(i16, &integer.value), c.int16) << c.value;
        EXPECT_EQ(Asn1IntegerToInt32(i32, &integer.value), c.int32) << c.value;
        EXPECT_EQ(Asn1IntegerToUInt8(u8, &integer.value), c.uint8) << c.value;
        EXPECT_EQ(Asn1IntegerToUInt32(u32, &integer.value), c.uint32) << c.value;
        if (c.int32 == OkNoError) {
            EXPECT_EQ(i32, c.value);
        }
    }
    std::int32_t value = 5;
    bool present = true;
    EXPECT_EQ(Asn1IntegerToInt32(value, nullptr, &present), OkNoError);
    EXPECT_FALSE(present);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(Asn1IntegerToInt32(value, nullptr), Error);
}

TEST(Asn1Values, UnsignedByWidth) {
    struct Case {
        std::uint32_t value;
        unsigned width;
        ResultCode result;
        Bytes octets;
    };
    const Case cases[] = {
        {5, 1, OkNoError, {0x05}},    {200, 1, OkNoError, {0x00, 0xC8}},
        {300, 1, OutOfRange, {}},     {65535, 2, OkNoError, {0x00, 0xFF, 0xFF}},
        {65536, 2, OutOfRange, {}},   {UINT32_MAX, 4, OkNoError, {0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
        {1, 3, InvalidArguments, {}}, {1, 8, InvalidArguments, {}},
    };
    for (const Case& c : cases) {
        IntegerHolder integer;
        EXPECT_EQ(UnsignedToAsn1Integer(&integer.value, c.value, c.width), c.result) << c.value;
        if (c.result != OkNoError) continue;
        EXPECT_EQ(OctetsOf(integer.value), c.octets) << c.value;
        std::uint32_t back = 0;
        ASSERT_EQ(Asn1IntegerToUnsigned(back, &integer.value, c.width), OkNoError);
        EXPECT_EQ(back, c.value);
    }
    IntegerHolder big;
    ASSERT_EQ(Int32ToAsn1Integer(&big.value, 65536), OkNoError);
    std::uint32_t value = 0;
    EXPECT_EQ(Asn1IntegerToUnsigned(value, &big.value, 2), OutOfRange);
    EXPECT_EQ(Asn1IntegerToUnsigned(value, &big.value, 4), OkNoError);
    EXPECT_EQ(Asn1IntegerToUnsigned(value, &big.value, 3), InvalidArguments);

    std::string text;
    ASSERT_EQ(Int32ToAsn1Integer(&big.value, -129), OkNoError);
    EXPECT_EQ(Asn1IntegerToText(text, &big.value), OkNoError);
    EXPECT_EQ(text, "-129");

    Asn1Integer* optional = nullptr;
    ASSERT_EQ(NewOptionalAsn1Integer(optional, true, 3), OkNoError);
    ASSERT_NE(optional, nullptr);
    EXPECT_EQ(OctetsOf(*optional), Bytes{0x03});
    Asn1FreeValue(&Asn1IntegerType, optional);
    EXPECT_EQ(NewOptionalAsn1Integer(optional, false, 3), OkNoError);
    EXPECT_EQ(optional, nullptr);
}

TEST(Asn1Values, BitStringsFromBitsAndBack) {
    struct Case {
        Bytes bools;
        Bytes octets;
        std::int32_t unused;
        const char* text;
    };
    const Case cases[] = {
        {{1, 0, 1, 1, 0, 0, 0, 0, 1}, {0xB0, 0x80}, 7, "101100001"},
        {{1, 1, 1, 1, 1, 1, 1, 1}, {0xFF}, 0, "11111111"},
        {{0, 1}, {0x40}, 6, "01"},
        {{}, {}, 0, ""},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}, {0x00, 0x08}, 3, "0000000000001"},
    };
    for (const Case& c : cases) {
        BitsHolder bits;
        ASSERT_EQ(BoolsToAsn1BitString(&bits.value, c.bools), OkNoError);
        EXPECT_EQ(Bytes(bits.value.buf, bits.value.buf + bits.value.size), c.octets) << c.text;
        EXPECT_EQ(bits.value.unusedBits, c.unused) << c.text;
        Bytes back(16, 9);
        std::size_t count = 0;
        ASSERT_EQ(Asn1BitStringToBools(back, count, &bits.value), OkNoError);
        ASSERT_EQ(count, c.bools.size());
        for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(back[i], c.bools[i] ? 1 : 0) << c.text;
        std::string text;
        std::int32_t unused = -1;
        ASSERT_EQ(Asn1BitStringToBitText(text, &bits.value, static_cast<std::uint32_t>(c.bools.size()), &unused),
                  OkNoError);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(unused, c.unused);
        ASSERT_EQ(BitStringToBitText(text, c.octets, static_cast<std::uint32_t>(c.bools.size())), OkNoError);
        EXPECT_EQ(text, c.text);
    }
}

TEST(Asn1Values, BitStringChecks) {
    BitsHolder bits;
    const Bytes thirteen(13, 1);
    ASSERT_EQ(BoolsToAsn1BitString(&bits.value, thirteen), OkNoError);
    Bytes small(12);
    std::size_t count = 0;
    EXPECT_EQ(Asn1BitStringToBools(small, count, &bits.value), Error);
    std::string text = "old";
    EXPECT_EQ(Asn1BitStringToBitText(text, &bits.value, 14), InvalidArguments);
    EXPECT_EQ(text, "old");
    EXPECT_EQ(Asn1BitStringToBitText(text, &bits.value, 13), OkNoError);

    // Impossible unused-bit counts from a peer.
    std::uint8_t octet = 0xFF;
    Asn1BitString bad{&octet, 1, 1, 8};
    EXPECT_EQ(Asn1BitStringToBitText(text, &bad, 0), InvalidArguments);
    Asn1BitString emptyWithUnused{nullptr, 0, 1, 3};
    EXPECT_EQ(Asn1BitStringToBools(small, count, &emptyWithUnused), InvalidArguments);

    ASSERT_EQ(StringBytesToAsn1BitString(&bits.value, std::string("\xFF\xFF", 2), 13), OkNoError);
    EXPECT_EQ(Bytes(bits.value.buf, bits.value.buf + bits.value.size), (Bytes{0xFF, 0xF8}));
    EXPECT_EQ(bits.value.unusedBits, 3);
    EXPECT_EQ(StringBytesToAsn1BitString(&bits.value, "\xFF", 9), InvalidArguments);
    EXPECT_EQ(bits.value.size, 2);
    EXPECT_EQ(BitStringToBitText(text, Bytes{0xFF}, 9), InvalidArguments);
}

TEST(Asn1Values, OctetStrings) {
    OctetsHolder octets;
    const Bytes bytes = {0x01, 0x00, 0xFF};
    ASSERT_EQ(BytesToAsn1OctetString(&octets.value, bytes), OkNoError);
    EXPECT_EQ(OctetsOf(octets.value), bytes);
    ASSERT_EQ(StringToAsn1OctetString(&octets.value, "LD0/LLN0"), OkNoError);
    std::string text;
    ASSERT_EQ(Asn1OctetStringToString(text, &octets.value), OkNoError);
    EXPECT_EQ(text, "LD0/LLN0");
    ASSERT_EQ(StringToAsn1OctetString(&octets.value, std::string("a\0b", 3)), OkNoError);
    ASSERT_EQ(Asn1OctetStringToString(text, &octets.value), OkNoError);
    EXPECT_EQ(text, std::string("a\0b", 3));
    bool present = true;
    EXPECT_EQ(Asn1OctetStringToString(text, nullptr, &present), OkNoError);
    EXPECT_FALSE(present);
    EXPECT_EQ(Asn1OctetStringToString(text, nullptr), Error);

    Asn1OctetString* reversed = nullptr;
    ASSERT_EQ(NewAsn1OctetStringReversed(reversed, bytes), OkNoError);
    EXPECT_EQ(OctetsOf(*reversed), (Bytes{0xFF, 0x00, 0x01}));
    Asn1FreeValue(&Asn1OctetStringType, reversed);

    Asn1OctetString* optional = nullptr;
    ASSERT_EQ(NewOptionalAsn1OctetString(optional, true, "xy"), OkNoError);
    ASSERT_NE(optional, nullptr);
    EXPECT_EQ(OctetsOf(*optional), (Bytes{'x', 'y'}));
    Asn1FreeValue(&Asn1OctetStringType, optional);
    EXPECT_EQ(NewOptionalAsn1OctetString(optional, false, "xy"), OkNoError);
    EXPECT_EQ(optional, nullptr);
}

TEST(Asn1Values, ObjectIdentifiers) {
    struct Case {
        const char* text;
        ResultCode result;
        Bytes octets;
    };
    const Case cases[] = {
        {"1.0.9506.2.3", OkNoError, {0x28, 0xCA, 0x22, 0x02, 0x03}},
        {"2.1.1", OkNoError, {0x51, 0x01}},
        {"2.2.1.0.1", OkNoError, {0x52, 0x01, 0x00, 0x01}},
        {"1.1.1.999.1", OkNoError, {0x29, 0x01, 0x87, 0x67, 0x01}},
        {"1.2.3.4.5.6.7.8.9.10", OkNoError, {0x2A, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A}},
        {"1.2.3.4.5.6.7.8.9.10.11", OutOfRange, {}},
        {"abc", Error, {}},
        {"", Error, {}},
        {"1..2", Error, {}},
        {"3.1", OutOfRange, {}},
    };
    for (const Case& c : cases) {
        Asn1ObjectIdentifier oid{};
        ASSERT_EQ(TextToAsn1Oid(&oid, "1.2"), OkNoError);
        EXPECT_EQ(TextToAsn1Oid(&oid, c.text), c.result) << c.text;
        if (c.result == OkNoError) {
            EXPECT_EQ(OctetsOf(oid), c.octets) << c.text;
            std::string text;
            ASSERT_EQ(Asn1OidToText(text, &oid), OkNoError);
            EXPECT_EQ(text, c.text);
            EXPECT_EQ(CompareAsn1OidWithText(&oid, c.text), 0);
        } else {
            EXPECT_EQ(OctetsOf(oid), (Bytes{0x2A})) << c.text;  // "1.2" kept
        }
        Asn1ObjectIdentifierType.free(&Asn1ObjectIdentifierType, &oid, 1);
    }
}

TEST(Asn1Values, ObjectIdentifierComparison) {
    Asn1ObjectIdentifier* oid = nullptr;
    ASSERT_EQ(NewOptionalAsn1OidFromText(oid, true, "1.0.9506.2.3"), OkNoError);
    EXPECT_EQ(CompareAsn1OidWithText(oid, "1.0.9506.2.3"), 0);
    EXPECT_EQ(CompareAsn1OidWithText(oid, "1.0.9506.2.1"), 5);
    EXPECT_EQ(CompareAsn1OidWithText(oid, "1.1.9506.2.3"), 2);
    EXPECT_EQ(CompareAsn1OidWithText(oid, "1.0.9506.2"), -1);
    EXPECT_EQ(CompareAsn1OidWithText(oid, "x"), -1);
    EXPECT_EQ(CompareAsn1OidWithText(nullptr, "1.0"), -1);
    Asn1FreeValue(&Asn1ObjectIdentifierType, oid);
    EXPECT_EQ(NewOptionalAsn1OidFromText(oid, false, "1.0"), OkNoError);
    EXPECT_EQ(oid, nullptr);
    EXPECT_EQ(NewOptionalAsn1OidFromText(oid, true, "nonsense"), Error);
    EXPECT_EQ(oid, nullptr);

    // A malformed value from a peer (an arc cut short) cannot be read.
    std::uint8_t cut[] = {0x28, 0xCA};
    Asn1ObjectIdentifier received{cut, 2, 1};
    std::string text = "old";
    EXPECT_NE(Asn1OidToText(text, &received), OkNoError);
    EXPECT_EQ(text, "old");
    EXPECT_EQ(CompareAsn1OidWithText(&received, "1.0.9506"), -1);
}
