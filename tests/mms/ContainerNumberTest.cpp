// Integer, Unsigned and FloatingPoint: text -> value -> Data -> BER and back at the
// limits of each width, and the refusals that keep the old value.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mms/ContainerTestSupport.h"
#include "mms/values/ContainerFactory.h"
#include "mms/values/FloatingPoint.h"
#include "mms/values/Integer.h"
#include "mms/values/Unsigned.h"

namespace {

using namespace ContainerTestSupport;

struct RoundTripRow {
    std::int32_t width;
    const char* text;
    const char* ber;
};

// Text into a container of the type, out as BER, the BER back into a second container
// of the type and into one built from the received value alone: all show the text.
void ExpectRoundTrip(const Type& type, const RoundTripRow& row, const char* shownText = nullptr) {
    SCOPED_TRACE(std::string(row.text) + " width " + std::to_string(row.width));
    const std::string shown = shownText != nullptr ? shownText : row.text;
    std::unique_ptr<Mms::Container> sent;
    Mms::Container* holder = nullptr;
    ASSERT_EQ(Mms::NewContainerFromType(*type, holder), System::OkNoError);
    sent.reset(holder);
    ASSERT_EQ(sent->FromText(row.text), System::OkNoError);
    EXPECT_EQ(TextOf(*sent), shown);
    const Bytes octets = EncodeContainer(*sent);
    EXPECT_EQ(HexOf(octets), row.ber);
    EXPECT_TRUE(sent->IsValid());

    Data received = Decode(octets);
    ASSERT_NE(received.get(), nullptr);
    holder = nullptr;
    ASSERT_EQ(Mms::NewContainerFromType(*type, holder), System::OkNoError);
    std::unique_ptr<Mms::Container> typed(holder);
    ASSERT_EQ(typed->FromData(*received), System::OkNoError);
    EXPECT_EQ(TextOf(*typed), shown);

    std::unique_ptr<Mms::Container> untyped;
    ASSERT_EQ(Mms::NewContainerFromData(*received, untyped), System::OkNoError);
    EXPECT_EQ(untyped->ErrStatus, System::OkNoError);
    EXPECT_EQ(TextOf(*untyped), shown);
}

struct RefusalRow {
    std::int32_t width;
    const char* text;
    System::ResultCode result;
};

TEST(IntegerContainer, TextDataAndBerRoundTripAtTheLimitsOfEachWidth) {
    const RoundTripRow rows[] = {
        {8, "-128", "85 01 80"},
        {8, "127", "85 01 7F"},
        {8, "0", "85 01 00"},
        {16, "-32768", "85 02 80 00"},
        {16, "32767", "85 02 7F FF"},
        {32, "-2147483648", "85 04 80 00 00 00"},
        {32, "2147483647", "85 04 7F FF FF FF"},
        {64, "-9223372036854775808", "85 08 80 00 00 00 00 00 00 00"},
        {64, "9223372036854775807", "85 08 7F FF FF FF FF FF FF FF"},
        {64, "-1", "85 01 FF"},
    };
    for (const RoundTripRow& row : rows) ExpectRoundTrip(SimpleType(Mms::MmsTypeInteger, row.width), row);
}

TEST(IntegerContainer, RefusesTextThatDoesNotFitAndKeepsTheValue) {
    const RefusalRow rows[] = {
        {8, "300", System::OutOfRange},          {8, "128", System::OutOfRange},
        {8, "-129", System::OutOfRange},         {16, "32768", System::OutOfRange},
        {32, "-2147483649", System::OutOfRange}, {64, "9223372036854775808", System::OutOfRange},
        {8, "abc", System::InvalidArguments},    {32, "", System::InvalidArguments},
        {32, "12abc", System::InvalidArguments}, {32, "1.5", System::InvalidArguments},
        {128, "1", System::NotSupported},
    };
    for (const RefusalRow& row : rows) {
        SCOPED_TRACE(row.text);
        Mms::Integer integer(*SimpleType(Mms::MmsTypeInteger, row.width));
        ASSERT_EQ(integer.FromText("5"), row.width > 64 ? System::NotSupported : System::OkNoError);
        EXPECT_EQ(integer.FromText(row.text), row.result);
        EXPECT_EQ(TextOf(integer), row.width > 64 ? "0" : "5");
    }
}

TEST(IntegerContainer, ReceivedValueKeepsTheTypeWidth) {
    Mms::Integer int32(*SimpleType(Mms::MmsTypeInteger, 32));
    EXPECT_EQ(int32.FromData(*DecodeHex("85 01 05")), System::OkNoError);
    EXPECT_EQ(int32.GetPrecision(), 32u);
    ASSERT_EQ(int32.FromText("100000"), System::OkNoError);

    Mms::Integer int8(*SimpleType(Mms::MmsTypeInteger, 8));
    ASSERT_EQ(int8.FromText("-7"), System::OkNoError);
    EXPECT_EQ(int8.FromData(*DecodeHex("85 02 01 2C")), System::OutOfRange);
    EXPECT_EQ(int8.ErrStatus, System::OutOfRange);
    EXPECT_EQ(TextOf(int8), "-7");
    EXPECT_EQ(int8.GetPrecision(), 8u);

    // A narrow received value assigned into the model keeps the model's width; one too
    // wide for it is refused.
    Mms::Integer received(*DecodeHex("85 01 05"));
    EXPECT_EQ(received.GetPrecision(), 8u);
    EXPECT_EQ(int32.Assign(received), System::OkNoError);
    EXPECT_EQ(int32.GetPrecision(), 32u);
    EXPECT_EQ(TextOf(int32), "5");
    Mms::Integer wide(*DecodeHex("85 02 01 2C"));
    EXPECT_EQ(int8.Assign(wide), System::OutOfRange);
    EXPECT_EQ(TextOf(int8), "-7");

    // More than 64 bits of content cannot be held.
    Mms::Integer int128(*SimpleType(Mms::MmsTypeInteger, 128));
    EXPECT_EQ(int128.FromData(*DecodeHex("85 09 01 00 00 00 00 00 00 00 00")), System::OutOfRange);
}

TEST(IntegerContainer, TypeDescriptionAndBits) {
    for (std::int32_t refused : {0, 129}) {
        Mms::Integer integer(*SimpleType(Mms::MmsTypeInteger, refused));
        EXPECT_EQ(integer.GetState(), Mms::StateInvalidType);
        EXPECT_EQ(integer.ErrStatus, System::InvalidArguments);
        EXPECT_EQ(integer.FromText("1"), System::InvalidState);
    }
    Mms::Integer integer(*SimpleType(Mms::MmsTypeInteger, 16));
    Type type = NewType();
    ASSERT_EQ(integer.ToTypeSpec(*type), System::OkNoError);
    EXPECT_EQ(type->present, Mms::MmsTypeInteger);
    EXPECT_EQ(type->choice.integer, 16);

    ASSERT_EQ(integer.FromText("-2"), System::OkNoError);
    bool bit = true;
    EXPECT_EQ(integer.GetBit(0, bit), System::OkNoError);
    EXPECT_FALSE(bit);
    EXPECT_EQ(integer.GetBit(15, bit), System::OkNoError);
    EXPECT_TRUE(bit);
    EXPECT_EQ(integer.GetBit(16, bit), System::InvalidArguments);

    EXPECT_EQ(integer.SetAttribute("Precision", "7"), System::OutOfRange);
    EXPECT_EQ(integer.SetAttribute("Precision", "x"), System::InvalidArguments);
    EXPECT_EQ(integer.SetAttribute("Precision", "64"), System::OkNoError);
    EXPECT_EQ(integer.GetPrecision(), 64u);
}

TEST(UnsignedContainer, TextDataAndBerRoundTripAtTheLimitsOfEachWidth) {
    const RoundTripRow rows[] = {
        {8, "0", "86 01 00"},
        {8, "255", "86 02 00 FF"},
        {16, "32768", "86 03 00 80 00"},
        {16, "65535", "86 03 00 FF FF"},
        {24, "16777215", "86 04 00 FF FF FF"},
        {32, "2147483648", "86 05 00 80 00 00 00"},
        {32, "4294967295", "86 05 00 FF FF FF FF"},
        {64, "18446744073709551615", "86 09 00 FF FF FF FF FF FF FF FF"},
    };
    for (const RoundTripRow& row : rows) ExpectRoundTrip(SimpleType(Mms::MmsTypeUnsigned, row.width), row);
}

TEST(UnsignedContainer, RefusesTextThatDoesNotFitAndKeepsTheValue) {
    const RefusalRow rows[] = {
        {8, "256", System::OutOfRange},
        {8, "-1", System::OutOfRange},
        {16, "65536", System::OutOfRange},
        {32, "4294967296", System::OutOfRange},
        {64, "18446744073709551616", System::OutOfRange},
        {32, "abc", System::InvalidArguments},
        {32, "", System::InvalidArguments},
        {32, "7x", System::InvalidArguments},
    };
    for (const RefusalRow& row : rows) {
        SCOPED_TRACE(row.text);
        Mms::Unsigned number(*SimpleType(Mms::MmsTypeUnsigned, row.width));
        ASSERT_EQ(number.FromText("5"), System::OkNoError);
        EXPECT_EQ(number.FromText(row.text), row.result);
        EXPECT_EQ(number.ErrStatus, row.result);
        EXPECT_EQ(TextOf(number), "5");
    }
}

TEST(UnsignedContainer, ReceivedValueKeepsTheTypeWidth) {
    Mms::Unsigned int8u(*SimpleType(Mms::MmsTypeUnsigned, 8));
    EXPECT_EQ(int8u.FromData(*DecodeHex("86 02 00 C8")), System::OkNoError);
    EXPECT_EQ(TextOf(int8u), "200");
    EXPECT_EQ(int8u.FromData(*DecodeHex("86 02 01 00")), System::OutOfRange);
    EXPECT_EQ(TextOf(int8u), "200");
    EXPECT_EQ(int8u.GetPrecision(), 8u);

    // The sign octet in front of a positive number does not widen a received value's type.
    Mms::Unsigned received(*DecodeHex("86 05 00 80 00 00 00"));
    EXPECT_EQ(received.GetPrecision(), 32u);
    EXPECT_EQ(received.ErrStatus, System::OkNoError);
    EXPECT_EQ(int8u.Assign(received), System::OutOfRange);
    EXPECT_EQ(TextOf(int8u), "200");

    for (std::int32_t refused : {0, 65}) {
        Mms::Unsigned number(*SimpleType(Mms::MmsTypeUnsigned, refused));
        EXPECT_EQ(number.GetState(), Mms::StateInvalidType);
    }
}

TEST(FloatingPointContainer, TextDataAndBerRoundTrip) {
    const struct {
        std::int32_t format;
        std::int32_t exponent;
        const char* text;
        const char* shown;
        const char* ber;
    } rows[] = {
        {32, 8, "0.1", "0.100000001", "87 05 08 3D CC CC CD"},
        {32, 8, "2", "2", "87 05 08 40 00 00 00"},
        {32, 8, "-3.5", "-3.5", "87 05 08 C0 60 00 00"},
        {32, 8, "3.40282347e+38", "3.40282347e+38", "87 05 08 7F 7F FF FF"},
        {64, 11, "0.1", "0.10000000000000001", "87 09 0B 3F B9 99 99 99 99 99 9A"},
        {64, 11, "-2.5", "-2.5", "87 09 0B C0 04 00 00 00 00 00 00"},
    };
    for (const auto& row : rows) {
        ExpectRoundTrip(FloatType(row.format, row.exponent), {row.format, row.text, row.ber}, row.shown);
    }
}

TEST(FloatingPointContainer, RefusesTextAndValuesThatDoNotFit) {
    Mms::FloatingPoint single(*FloatType(32, 8));
    ASSERT_EQ(single.FromText("1.5"), System::OkNoError);
    EXPECT_EQ(single.FromText("abc"), System::InvalidArguments);
    EXPECT_EQ(single.FromText("1e39"), System::OutOfRange);
    EXPECT_EQ(TextOf(single), "1.5");

    // The length of a received value must match the format exactly.
    for (const char* hex : {"87 09 0B 3F B9 99 99 99 99 99 9A", "87 04 08 00 00 00", "87 05 0B 40 00 00 00", "87 00"}) {
        SCOPED_TRACE(hex);
        EXPECT_EQ(single.FromData(*DecodeHex(hex)), System::InvalidArguments);
        EXPECT_EQ(TextOf(single), "1.5");
    }

    // A double too large for a float is refused, not turned into infinity.
    Mms::FloatingPoint wide(*FloatType(64, 11));
    ASSERT_EQ(wide.FromText("1e300"), System::OkNoError);
    EXPECT_EQ(single.Assign(wide), System::OutOfRange);
    EXPECT_EQ(TextOf(single), "1.5");

    Mms::FloatingPoint odd(*FloatType(48, 11));
    EXPECT_EQ(odd.GetState(), Mms::StateInvalidType);
    EXPECT_EQ(odd.ErrStatus, System::NotSupported);
}

TEST(FloatingPointContainer, ReceivedValueChoosesTheFormatByLength) {
    Mms::FloatingPoint fromDouble(*DecodeHex("87 09 0B C0 04 00 00 00 00 00 00"));
    EXPECT_EQ(fromDouble.GetFormatWidth(), 64u);
    EXPECT_EQ(fromDouble.GetExponentWidth(), 11u);
    EXPECT_EQ(fromDouble.GetValue(), -2.5);

    Mms::FloatingPoint fromOdd(*DecodeHex("87 03 08 00 00"));
    EXPECT_EQ(fromOdd.GetState(), Mms::StateInvalidType);
    EXPECT_EQ(fromOdd.ErrStatus, System::NotSupported);

    // A 32-bit model value takes a received double as a float.
    Mms::FloatingPoint model(*FloatType(32, 8));
    EXPECT_EQ(model.Assign(fromDouble), System::OkNoError);
    EXPECT_EQ(model.GetFormatWidth(), 32u);
    EXPECT_EQ(HexOf(EncodeContainer(model)), "87 05 08 C0 20 00 00");
}

}  // namespace
