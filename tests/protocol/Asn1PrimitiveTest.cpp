// Encoding and decoding of the built-in primitive types.

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>

#include "protocol/Asn1TestSupport.h"

using namespace Asn1;
using namespace Asn1TestSupport;

namespace {

TEST(Asn1Primitive, NativeIntegerUsesMinimalTwosComplement) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "02 01 00"},
        {127, "02 01 7F"},
        {128, "02 02 00 80"},
        {-128, "02 01 80"},
        {-129, "02 02 FF 7F"},
        {-1, "02 01 FF"},
        {256, "02 02 01 00"},
        {INT32_MAX, "02 04 7F FF FF FF"},
        {INT32_MIN, "02 04 80 00 00 00"},
    };
    for (const auto& [number, image] : cases) {
        const Encoded encoded = Encode(Asn1NativeIntegerType, &number);
        EXPECT_EQ(encoded.octets, Hex(image)) << number;
        const auto decoded = Decode<Asn1NativeInteger>(Asn1NativeIntegerType, Hex(image));
        ASSERT_EQ(decoded.result.code, Asn1DecodeDone) << image;
        EXPECT_EQ(decoded.result.consumed, Hex(image).size());
        EXPECT_EQ(*decoded.value, number);
    }
}

TEST(Asn1Primitive, NativeIntegerDecodeRefusesWhatDoesNotFit) {
    EXPECT_EQ(Decode<Asn1NativeInteger>(Asn1NativeIntegerType, Hex("02 05 00 FF FF FF FF")).result.code,
              Asn1DecodeFailure);
    EXPECT_EQ(Decode<Asn1NativeInteger>(Asn1NativeIntegerType, Hex("02 05 01 00 00 00 00")).result.code,
              Asn1DecodeFailure);
    // Redundant sign octets still fit; empty content reads as 0.
    auto redundant = Decode<Asn1NativeInteger>(Asn1NativeIntegerType, Hex("02 05 FF 80 00 00 00"));
    ASSERT_EQ(redundant.result.code, Asn1DecodeDone);
    EXPECT_EQ(*redundant.value, INT32_MIN);
    auto empty = Decode<Asn1NativeInteger>(Asn1NativeIntegerType, Hex("02 00"));
    ASSERT_EQ(empty.result.code, Asn1DecodeDone);
    EXPECT_EQ(*empty.value, 0);
}

TEST(Asn1Primitive, NativeUnsignedTakesTheWholeRangeInItsShortestFormOnly) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0, "02 01 00"},
        {127, "02 01 7F"},
        {128, "02 02 00 80"},
        {INT32_MAX, "02 04 7F FF FF FF"},
        {0x80000000u, "02 05 00 80 00 00 00"},
        {UINT32_MAX, "02 05 00 FF FF FF FF"},
    };
    for (const auto& [number, image] : cases) {
        EXPECT_EQ(Encode(Asn1NativeUnsignedType, &number).octets, Hex(image)) << number;
        const auto decoded = Decode<Asn1NativeUnsigned>(Asn1NativeUnsignedType, Hex(image));
        ASSERT_EQ(decoded.result.code, Asn1DecodeDone) << image;
        EXPECT_EQ(*decoded.value, number);
    }
    // No content, a leading octet the value does not need, a negative number, more than
    // 32 bits: none is an unsigned 32-bit value in BER.
    for (const char* image : {"02 00", "02 02 00 01", "02 0A 00 00 00 00 00 00 00 00 00 01", "02 01 FF",
                              "02 05 FF 80 00 00 00", "02 05 01 00 00 00 00", "02 06 00 FF FF FF FF FF"}) {
        EXPECT_EQ(Decode<Asn1NativeUnsigned>(Asn1NativeUnsignedType, Hex(image)).result.code, Asn1DecodeFailure)
            << image;
    }
}

TEST(Asn1Primitive, IntegerKeepsItsOctetsInlineOrAllocated) {
    const Bytes shortImage = Hex("02 02 FF 7F");
    auto small = Decode<Asn1Integer>(Asn1IntegerType, shortImage);
    ASSERT_EQ(small.result.code, Asn1DecodeDone);
    EXPECT_EQ(small.value->size, 2u);
    EXPECT_EQ(small.value->inlineOctets[0], 0xFF);
    EXPECT_EQ(Encode(Asn1IntegerType, small.value.get()).octets, shortImage);

    const Bytes longImage = Hex("02 09 00 FF FF FF FF FF FF FF FF");
    auto large = Decode<Asn1Integer>(Asn1IntegerType, longImage);
    ASSERT_EQ(large.result.code, Asn1DecodeDone);
    EXPECT_EQ(large.value->size, 9u);
    std::uint64_t number = 0;
    EXPECT_EQ(Asn1IntegerGetUInt64(large.value.get(), &number), 0);
    EXPECT_EQ(number, UINT64_MAX);
    EXPECT_EQ(Encode(Asn1IntegerType, large.value.get()).octets, longImage);
}

TEST(Asn1Primitive, BooleanEncodesOneAndStoresTheReceivedOctet) {
    const Asn1Boolean yes = 7;
    const Asn1Boolean no = 0;
    EXPECT_EQ(Encode(Asn1BooleanType, &yes).octets, Hex("01 01 01"));
    EXPECT_EQ(Encode(Asn1BooleanType, &no).octets, Hex("01 01 00"));
    auto decoded = Decode<Asn1Boolean>(Asn1BooleanType, Hex("01 01 FF"));
    ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
    EXPECT_EQ(*decoded.value, 0xFF);
    // A BOOLEAN in constructed form is malformed.
    EXPECT_EQ(Decode<Asn1Boolean>(Asn1BooleanType, Hex("21 01 01")).result.code, Asn1DecodeFailure);
}

TEST(Asn1Primitive, NullHasNoContent) {
    const Asn1Null null = 0;
    EXPECT_EQ(Encode(Asn1NullType, &null).octets, Hex("05 00"));
    EXPECT_EQ(Decode<Asn1Null>(Asn1NullType, Hex("05 00")).result.code, Asn1DecodeDone);
    EXPECT_EQ(Decode<Asn1Null>(Asn1NullType, Hex("05 01 00")).result.code, Asn1DecodeFailure);
}

TEST(Asn1Primitive, BitStringCarriesItsUnusedBitCountFirst) {
    std::uint8_t data[] = {0xA0};
    const Asn1BitString bits{data, 1, 1, 5};
    EXPECT_EQ(Encode(Asn1BitStringType, &bits).octets, Hex("03 02 05 A0"));
    auto decoded = Decode<Asn1BitString>(Asn1BitStringType, Hex("03 03 03 F0 F8"));
    ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
    EXPECT_EQ(decoded.value->size, 2);
    EXPECT_EQ(decoded.value->unusedBits, 3);
    EXPECT_EQ(decoded.value->buf[1], 0xF8);
    auto empty = Decode<Asn1BitString>(Asn1BitStringType, Hex("03 01 00"));
    ASSERT_EQ(empty.result.code, Asn1DecodeDone);
    EXPECT_EQ(empty.value->size, 0);
}

TEST(Asn1Primitive, BitStringRefusesBadUnusedBitCounts) {
    for (const char* image : {"03 00", "03 02 08 00", "03 01 03"}) {
        EXPECT_EQ(Decode<Asn1BitString>(Asn1BitStringType, Hex(image)).result.code, Asn1DecodeFailure) << image;
    }
    const Asn1BitString emptyWithUnused{nullptr, 0, 0, 3};
    const Encoded encoded = Encode(Asn1BitStringType, &emptyWithUnused);
    EXPECT_EQ(encoded.result, -1);
    EXPECT_EQ(encoded.error, EINVAL);
}

TEST(Asn1Primitive, ObjectIdentifierKeepsContentOctets) {
    const Bytes image = Hex("06 05 28 CA 22 02 01");
    auto decoded = Decode<Asn1ObjectIdentifier>(Asn1ObjectIdentifierType, image);
    ASSERT_EQ(decoded.result.code, Asn1DecodeDone);
    std::uint32_t arcs[8] = {};
    ASSERT_EQ(Asn1OidGetArcs(decoded.value.get(), arcs, 4, 8), 5);
    EXPECT_EQ(arcs[2], 9506u);
    EXPECT_EQ(Encode(Asn1ObjectIdentifierType, decoded.value.get()).octets, image);
}

TEST(Asn1Primitive, OctetStringLengthsAroundTheLongFormBoundaries) {
    for (std::size_t size : {0u, 1u, 127u, 128u, 255u, 256u, 70000u}) {
        std::string text(size, 'x');
        const Asn1OctetString string{reinterpret_cast<std::uint8_t*>(text.data()), static_cast<std::int32_t>(size), 1};
        const Encoded encoded = Encode(Asn1OctetStringType, &string, size + 8);
        ASSERT_GE(encoded.result, 0) << size;
        const std::size_t header = size < 128 ? 2 : (size < 256 ? 3 : (size < 65536 ? 4 : 5));
        EXPECT_EQ(encoded.octets.size(), size + header) << size;
        auto decoded = Decode<Asn1OctetString>(Asn1OctetStringType, encoded.octets);
        ASSERT_EQ(decoded.result.code, Asn1DecodeDone) << size;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(decoded.value->buf), decoded.value->size), text);
        EXPECT_EQ(decoded.value->buf[size], 0);  // decoded strings end with a NUL
        EXPECT_EQ(decoded.value->borrowed, 0);
    }
    EXPECT_EQ(Encode(Asn1OctetStringType, nullptr).result, -1);
}

TEST(Asn1Primitive, ConstructedStringsConcatenateTheirSegments) {
    auto octets = Decode<Asn1OctetString>(Asn1OctetStringType, Hex("24 0C 04 02 41 42 24 06 04 01 43 04 01 44"));
    ASSERT_EQ(octets.result.code, Asn1DecodeDone);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(octets.value->buf), octets.value->size), "ABCD");

    auto visible = Decode<Asn1VisibleString>(Asn1VisibleStringType, Hex("3A 07 04 01 61 04 02 62 63"));
    ASSERT_EQ(visible.result.code, Asn1DecodeDone);
    EXPECT_STREQ(reinterpret_cast<char*>(visible.value->buf), "abc");

    auto bits = Decode<Asn1BitString>(Asn1BitStringType, Hex("23 09 03 02 00 FF 03 03 04 AA B0"));
    ASSERT_EQ(bits.result.code, Asn1DecodeDone);
    EXPECT_EQ(bits.value->size, 3);
    EXPECT_EQ(bits.value->unusedBits, 4);

    // Segments of another type, unused bits before the last segment, a segment past
    // its container: all malformed.
    for (const char* image : {"24 03 02 01 41", "23 08 03 02 04 F0 03 02 00 AA", "24 04 04 05 41 42"}) {
        void* value = nullptr;
        const Bytes octets = Hex(image);
        const Asn1TypeDescriptor& type = image[1] == '3' ? Asn1BitStringType : Asn1OctetStringType;
        EXPECT_EQ(Asn1Decode(nullptr, &type, &value, octets.data(), octets.size()).code, Asn1DecodeFailure) << image;
        Asn1FreeValue(&type, value);
    }
}

TEST(Asn1Primitive, DeeplyNestedSegmentsHitTheNestingLimit) {
    const auto nest = [](int levels) {
        Bytes image = Hex("04 01 41");
        for (int level = 0; level < levels; ++level) {
            const auto length = static_cast<std::uint8_t>(image.size());
            image.insert(image.begin(), {0x24, 0x81, length});
        }
        return image;
    };
    auto shallow = Decode<Asn1OctetString>(Asn1OctetStringType, nest(10));
    ASSERT_EQ(shallow.result.code, Asn1DecodeDone);
    EXPECT_EQ(shallow.value->size, 1);
    EXPECT_EQ(Decode<Asn1OctetString>(Asn1OctetStringType, nest(80)).result.code, Asn1DecodeFailure);
}

TEST(Asn1Primitive, TruncatedAndIndefiniteInput) {
    // The outermost length runs past the data: more data needed.
    EXPECT_EQ(Decode<Asn1OctetString>(Asn1OctetStringType, Hex("04 05 41")).result.code, Asn1DecodeMoreData);
    EXPECT_EQ(Decode<Asn1OctetString>(Asn1OctetStringType, Hex("")).result.code, Asn1DecodeMoreData);
    // Indefinite lengths are refused rather than read as 0.
    EXPECT_EQ(Decode<Asn1OctetString>(Asn1OctetStringType, Hex("24 80 04 01 41 00 00")).result.code, Asn1DecodeFailure);
    // A wrong tag fails.
    EXPECT_EQ(Decode<Asn1OctetString>(Asn1OctetStringType, Hex("02 01 00")).result.code, Asn1DecodeFailure);
}

TEST(Asn1Primitive, GeneralizedTimeDoesNotEncode) {
    const Asn1GeneralizedTime time{reinterpret_cast<std::uint8_t*>(const_cast<char*>("20240101000000Z")), 15, 1};
    const Encoded encoded = Encode(Asn1GeneralizedTimeType, &time);
    EXPECT_EQ(encoded.result, -1);
    EXPECT_EQ(encoded.error, EPERM);
    auto decoded = Decode<Asn1GeneralizedTime>(Asn1GeneralizedTimeType, Hex("18 01 5A"));
    EXPECT_EQ(decoded.result.code, Asn1DecodeDone);
}

TEST(Asn1Primitive, EncodersNeverWriteBeforeTheBuffer) {
    std::string text(300, 'y');
    const Asn1OctetString string{reinterpret_cast<std::uint8_t*>(text.data()), 300, 1};
    // 304 octets are needed; every smaller room fails cleanly (a heap buffer of exactly
    // that size lets AddressSanitizer see any write in front of it).
    for (std::size_t room : {0u, 1u, 3u, 300u, 301u, 303u}) {
        const Encoded encoded = Encode(Asn1OctetStringType, &string, room);
        EXPECT_EQ(encoded.result, -1) << room;
        EXPECT_EQ(encoded.error, ENOMEM) << room;
    }
    EXPECT_EQ(Encode(Asn1OctetStringType, &string, 304).result, 304);
}

}  // namespace
