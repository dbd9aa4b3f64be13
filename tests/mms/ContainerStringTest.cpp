// BitString, OctetString, VisibleString and MMSString: text -> value -> Data -> BER and
// back, and the size rules of fixed and variable length.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "mms/ContainerTestSupport.h"
#include "mms/values/BitString.h"
#include "mms/values/ContainerFactory.h"
#include "mms/values/MMSString.h"
#include "mms/values/OctetString.h"
#include "mms/values/VisibleString.h"

namespace {

using namespace ContainerTestSupport;

struct Row {
    Mms::MmsTypeDescriptionChoice kind;
    std::int32_t size;  // as the type description carries it: negative for variable length
    const char* text;
    const char* shown;
    const char* ber;
};

std::unique_ptr<Mms::Container> FromType(const Type& type) {
    Mms::Container* holder = nullptr;
    EXPECT_EQ(Mms::NewContainerFromType(*type, holder), System::OkNoError);
    return std::unique_ptr<Mms::Container>(holder);
}

TEST(StringContainers, TextDataAndBerRoundTrip) {
    const Row rows[] = {
        {Mms::MmsTypeBitString, 13, "1010101010101", "1010101010101", "84 03 03 AA A8"},
        {Mms::MmsTypeBitString, 6, "010011", "010011", "84 02 02 4C"},
        {Mms::MmsTypeBitString, -16, "101", "101", "84 02 05 A0"},
        {Mms::MmsTypeBitString, 8, "11111111", "11111111", "84 02 00 FF"},
        {Mms::MmsTypeOctetString, 2, "ABCD", "ABCD", "89 02 AB CD"},
        {Mms::MmsTypeOctetString, 2, "abc", "AB0C", "89 02 AB 0C"},
        {Mms::MmsTypeOctetString, -4, "", "", "89 00"},
        {Mms::MmsTypeOctetString, -4, "0102", "0102", "89 02 01 02"},
        {Mms::MmsTypeVisibleString, -255, "a<b&\"c'", "a<b&\"c'", "8A 07 61 3C 62 26 22 63 27"},
        {Mms::MmsTypeVisibleString, -255, "&amp;", "&amp;", "8A 05 26 61 6D 70 3B"},
        {Mms::MmsTypeVisibleString, 8, "abcdefgh", "abcdefgh", "8A 08 61 62 63 64 65 66 67 68"},
        {Mms::MmsTypeMmsString, -3, "\xC3\xA4\xC3\xB6\xC3\xBC", "\xC3\xA4\xC3\xB6\xC3\xBC", "90 06 C3 A4 C3 B6 C3 BC"},
        {Mms::MmsTypeMmsString, -255, "", "", "90 00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const Type type = SimpleType(row.kind, row.size);
        auto sent = FromType(type);
        ASSERT_EQ(sent->FromText(row.text), System::OkNoError);
        EXPECT_EQ(TextOf(*sent), row.shown);
        const Bytes octets = EncodeContainer(*sent);
        EXPECT_EQ(HexOf(octets), row.ber);

        Data received = Decode(octets);
        ASSERT_NE(received.get(), nullptr);
        auto typed = FromType(type);
        ASSERT_EQ(typed->FromData(*received), System::OkNoError);
        EXPECT_EQ(TextOf(*typed), row.shown);
        std::unique_ptr<Mms::Container> untyped;
        ASSERT_EQ(Mms::NewContainerFromData(*received, untyped), System::OkNoError);
        EXPECT_EQ(untyped->ErrStatus, System::OkNoError);
        EXPECT_EQ(TextOf(*untyped), row.shown);
        EXPECT_TRUE(untyped->Equals(*typed));
    }
}

TEST(StringContainers, RefuseTextThatDoesNotFitAndKeepTheValue) {
    const struct {
        Mms::MmsTypeDescriptionChoice kind;
        std::int32_t size;
        const char* kept;
        const char* refused;
    } rows[] = {
        {Mms::MmsTypeBitString, 13, "1111111111111", "101010101010"},  // 12 of 13 bits
        {Mms::MmsTypeBitString, 4, "1111", "10101"},                   // too long
        {Mms::MmsTypeBitString, -4, "11", "10101"},                    // beyond the maximum
        {Mms::MmsTypeBitString, -4, "11", "1021"},                     // not a bit
        {Mms::MmsTypeBitString, -4, "11", ""},
        {Mms::MmsTypeOctetString, 2, "ABCD", "ABCDEF"},
        {Mms::MmsTypeOctetString, 2, "ABCD", "GGGG"},
        {Mms::MmsTypeOctetString, 2, "ABCD", " ABC"},
        {Mms::MmsTypeOctetString, -2, "AB", "ABCDEF"},
        {Mms::MmsTypeVisibleString, 8, "abcdefgh", "abc"},
        {Mms::MmsTypeVisibleString, -3, "abc", "abcd"},
        {Mms::MmsTypeMmsString, -3, "\xC3\xA4", "\xC3\xA4\xC3\xB6\xC3\xBCx"},
        {Mms::MmsTypeMmsString, -3, "\xC3\xA4", "\xFF"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.refused);
        auto container = FromType(SimpleType(row.kind, row.size));
        ASSERT_EQ(container->FromText(row.kept), System::OkNoError);
        EXPECT_EQ(container->FromText(row.refused), System::InvalidArguments);
        EXPECT_EQ(container->ErrStatus, System::InvalidArguments);
        EXPECT_EQ(TextOf(*container), row.kept);
    }
    // A variable-length bit string of 13 takes 12 bits.
    Mms::BitString variable(*SimpleType(Mms::MmsTypeBitString, -13));
    EXPECT_EQ(variable.FromText("101010101010"), System::OkNoError);
}

TEST(StringContainers, TypedTextIsNotValidUntilSentOrConfirmed) {
    Mms::VisibleString text(*SimpleType(Mms::MmsTypeVisibleString, -32));
    EXPECT_EQ(text.GetState(), Mms::StateNoValue);
    ASSERT_EQ(text.FromText("abc"), System::OkNoError);
    EXPECT_EQ(text.GetState(), Mms::StateFromText);
    EXPECT_FALSE(text.IsValid());
    Data data = NewData();
    ASSERT_EQ(text.ToData(*data), System::OkNoError);
    EXPECT_TRUE(text.IsValid());
    // ToData wants an empty value.
    EXPECT_EQ(text.ToData(*data), System::InvalidArguments);

    Mms::BitString bits(*SimpleType(Mms::MmsTypeBitString, 2));
    ASSERT_EQ(bits.FromText("01"), System::OkNoError);
    EXPECT_EQ(bits.GetState(), Mms::StateNoValue);
}

TEST(BitStringContainer, ReceivedBitsKeepTheTypeLength) {
    Mms::BitString quality(*SimpleType(Mms::MmsTypeBitString, 13));
    // Zero padding past the type's bits is dropped.
    EXPECT_EQ(quality.FromData(*DecodeHex("84 03 00 AA A8")), System::OkNoError);
    EXPECT_EQ(quality.GetValue(), "1010101010101");
    // Set bits past it, or too few bits, are refused.
    EXPECT_EQ(quality.FromData(*DecodeHex("84 03 00 AA AF")), System::InvalidArguments);
    EXPECT_EQ(quality.FromData(*DecodeHex("84 03 04 AA A0")), System::InvalidArguments);
    EXPECT_EQ(quality.GetValue(), "1010101010101");
    EXPECT_EQ(quality.GetUnusedBits(), 0u);

    Mms::BitString variable(*SimpleType(Mms::MmsTypeBitString, -8));
    EXPECT_EQ(variable.FromData(*DecodeHex("84 02 04 A0")), System::OkNoError);
    EXPECT_EQ(variable.GetValue(), "1010");
    EXPECT_EQ(variable.FromData(*DecodeHex("84 03 07 A0 80")), System::InvalidArguments);
    EXPECT_EQ(variable.GetValue(), "1010");
    EXPECT_EQ(variable.GetUnusedBits(), 4u);

    bool bit = false;
    EXPECT_EQ(variable.GetBit(0, bit), System::OkNoError);
    EXPECT_TRUE(bit);
    EXPECT_EQ(variable.GetBit(4, bit), System::InvalidArguments);
}

TEST(BitStringContainer, ValueBuildsAFixedTypeOfItsBits) {
    Mms::BitString fromData(*DecodeHex("84 03 03 AA A8"));
    EXPECT_EQ(fromData.GetSize().count, 13u);
    EXPECT_FALSE(fromData.GetSize().variable);
    EXPECT_EQ(fromData.GetValue().size(), 13u);

    // More than 7 unused bits, or unused bits without octets, cannot be a value.
    for (const auto& [octets, unused] : {std::pair{1, 8}, std::pair{0, 3}}) {
        Data data = NewData();
        data->present = Mms::MmsDataBitString;
        data->choice.bitString.buf = static_cast<std::uint8_t*>(std::calloc(1, 1));
        data->choice.bitString.size = octets;
        data->choice.bitString.unusedBits = unused;
        std::unique_ptr<Mms::Container> container;
        ASSERT_EQ(Mms::NewContainerFromData(*data, container), System::OkNoError);
        EXPECT_EQ(container->GetState(), Mms::StateInvalidType);
        EXPECT_EQ(container->ErrStatus, System::InvalidArguments);
    }
}

TEST(StringContainers, ReceivedStringsAndTheirSizes) {
    Mms::OctetString fixed(*SimpleType(Mms::MmsTypeOctetString, 2));
    EXPECT_EQ(fixed.FromData(*DecodeHex("89 03 01 02 03")), System::InvalidArguments);
    EXPECT_EQ(fixed.FromData(*DecodeHex("89 01 01")), System::InvalidArguments);
    EXPECT_EQ(fixed.FromData(*DecodeHex("89 02 01 02")), System::OkNoError);

    Mms::VisibleString visible(*SimpleType(Mms::MmsTypeVisibleString, 4));
    EXPECT_EQ(visible.FromData(*DecodeHex("8A 05 61 62 63 64 65")), System::InvalidArguments);
    EXPECT_EQ(visible.FromData(*DecodeHex("8A 02 61 62")), System::OkNoError);
    EXPECT_EQ(visible.GetValue(), "ab");

    // Strings from 32768 on are no type of ours.
    for (Mms::MmsTypeDescriptionChoice kind :
         {Mms::MmsTypeOctetString, Mms::MmsTypeVisibleString, Mms::MmsTypeMmsString}) {
        auto container = FromType(SimpleType(kind, -32768));
        EXPECT_EQ(container->GetState(), Mms::StateInvalidType);
        EXPECT_EQ(container->ErrStatus, System::InvalidArguments);
    }
    // The most negative count does not overflow.
    Mms::BitString widest(*SimpleType(Mms::MmsTypeBitString, INT32_MIN));
    EXPECT_EQ(widest.GetSize().count, 2147483648u);
    Type type = NewType();
    EXPECT_EQ(widest.ToTypeSpec(*type), System::OkNoError);
    EXPECT_EQ(type->choice.bitString, INT32_MIN);
}

TEST(StringContainers, AssignKeepsTheSizeOfTheModel) {
    Mms::VisibleString model(*SimpleType(Mms::MmsTypeVisibleString, -4));
    Mms::VisibleString longer(*DecodeHex("8A 05 61 62 63 64 65"));
    EXPECT_EQ(model.Assign(longer), System::OutOfRange);
    Mms::VisibleString shorter(*DecodeHex("8A 02 61 62"));
    EXPECT_EQ(model.Assign(shorter), System::OkNoError);
    EXPECT_EQ(model.GetValue(), "ab");
    EXPECT_EQ(model.GetSize().count, 4u);
    EXPECT_TRUE(model.GetSize().variable);

    Mms::OctetString octets(*SimpleType(Mms::MmsTypeOctetString, 2));
    Mms::OctetString three(*DecodeHex("89 03 01 02 03"));
    EXPECT_EQ(octets.Assign(three), System::OutOfRange);
    // Another class is refused.
    EXPECT_EQ(octets.Assign(model), System::InvalidArguments);
}

}  // namespace
