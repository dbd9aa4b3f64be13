// Boolean, BinaryTime, UTCTime and the classes without a working text form
// (GeneralizedTime, BCD, ObjectId).

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mms/ContainerTestSupport.h"
#include "mms/values/BCD.h"
#include "mms/values/BinaryTime.h"
#include "mms/values/Boolean.h"
#include "mms/values/ContainerFactory.h"
#include "mms/values/GeneralizedTime.h"
#include "mms/values/ObjectId.h"
#include "mms/values/UTCTime.h"

namespace {

using namespace ContainerTestSupport;

TEST(BooleanContainer, ExactWordsOnly) {
    Mms::Boolean flag(*SimpleType(Mms::MmsTypeBoolean));
    ASSERT_EQ(flag.FromText("True"), System::OkNoError);
    EXPECT_TRUE(flag.GetValue());
    for (const char* refused : {"true", "TRUE", "1", "", "True "}) {
        EXPECT_EQ(flag.FromText(refused), System::InvalidArguments) << refused;
        EXPECT_TRUE(flag.GetValue());
    }
    Data received = Decode(EncodeContainer(flag));
    ASSERT_NE(received.get(), nullptr);
    EXPECT_EQ(received->present, Mms::MmsDataBoolean);
    ASSERT_EQ(flag.FromText("False"), System::OkNoError);
    EXPECT_EQ(HexOf(EncodeContainer(flag)), "83 01 00");
    EXPECT_EQ(flag.FromData(*received), System::OkNoError);
    EXPECT_EQ(TextOf(flag), "True");
}

TEST(BinaryTimeContainer, SixOctetsCarryTheDate) {
    Mms::BinaryTime time(*SimpleType(Mms::MmsTypeBinaryTime, 1));
    ASSERT_EQ(time.FromText("2024-02-29 12:34:56.789"), System::OkNoError);
    EXPECT_EQ(TextOf(time), "2024-02-29 12:34:56.789");
    const Bytes octets = EncodeContainer(time);
    EXPECT_EQ(HexOf(octets), "8C 06 02 B3 2C 95 39 4D");
    Mms::BinaryTime received(*Decode(octets));
    EXPECT_TRUE(received.HasSixOctets());
    EXPECT_EQ(TextOf(received), "2024-02-29 12:34:56.789");

    ASSERT_EQ(time.FromText("1984-01-01 00:00:00.000"), System::OkNoError);
    EXPECT_EQ(HexOf(EncodeContainer(time)), "8C 06 00 00 00 00 00 00");
    // Days before 1984 cannot be carried.
    EXPECT_EQ(time.FromText("1983-12-31 23:59:59.999"), System::InvalidArguments);
    EXPECT_EQ(time.FromText("2024-02-30"), System::InvalidArguments);
    EXPECT_EQ(TextOf(time), "1984-01-01 00:00:00.000");

    EXPECT_EQ(time.FromData(*DecodeHex("8C 04 00 00 00 00")), System::InvalidArguments);
}

TEST(BinaryTimeContainer, FourOctetsTakeToday) {
    Mms::BinaryTime time(*SimpleType(Mms::MmsTypeBinaryTime, 0));
    ASSERT_EQ(time.FromText("2024-02-29 12:34:56.789"), System::OkNoError);
    const Bytes octets = EncodeContainer(time);
    EXPECT_EQ(HexOf(octets), "8C 04 02 B3 2C 95");
    Mms::BinaryTime received(*Decode(octets));
    EXPECT_FALSE(received.HasSixOctets());
    const std::string text = TextOf(received);
    EXPECT_EQ(text.substr(text.size() - 12), "12:34:56.789");
    EXPECT_NE(text.substr(0, 10), "2024-02-29");
    EXPECT_EQ(received.FromData(*DecodeHex("8C 06 00 00 00 00 00 00")), System::InvalidArguments);
}

TEST(UTCTimeContainer, TextDataAndBerRoundTrip) {
    Mms::UTCTime time(*SimpleType(Mms::MmsTypeUtcTime));
    ASSERT_EQ(time.FromText("2024-02-29 12:34:56.789"), System::OkNoError);
    EXPECT_EQ(TextOf(time), "2024-02-29 12:34:56.789");
    const Bytes octets = EncodeContainer(time);
    EXPECT_EQ(HexOf(octets), "91 08 65 E0 79 F0 C9 FB E7 00");
    std::unique_ptr<Mms::Container> received;
    ASSERT_EQ(Mms::NewContainerFromData(*Decode(octets), received), System::OkNoError);
    EXPECT_EQ(TextOf(*received), "2024-02-29 12:34:56.789");

    EXPECT_EQ(time.FromText("yesterday"), System::InvalidArguments);
    EXPECT_EQ(time.ErrStatus, System::InvalidArguments);
    EXPECT_EQ(TextOf(time), "2024-02-29 12:34:56.789");
}

TEST(UTCTimeContainer, QualityTextAndLength) {
    Mms::UTCTime time(*DecodeHex("91 08 00 00 00 00 00 00 00 0A"));
    EXPECT_EQ(TextOf(time), "1970-01-01 00:00:00.000 [Time Accuracy = 10 bits]");
    EXPECT_EQ(time.FromData(*DecodeHex("91 08 00 00 00 00 00 00 00 00")), System::OkNoError);
    EXPECT_EQ(TextOf(time), "1970-01-01 00:00:00.000");
    EXPECT_EQ(time.FromData(*DecodeHex("91 07 00 00 00 00 00 00 00")), System::OutOfRange);
    EXPECT_EQ(time.ErrStatus, System::OutOfRange);
}

TEST(ContainersWithoutText, AnswerNotImplemented) {
    Mms::GeneralizedTime generalized(*SimpleType(Mms::MmsTypeGeneralizedTime));
    EXPECT_EQ(generalized.FromText("2024-02-29 12:00:00"), System::OkNoError);
    EXPECT_EQ(generalized.GetSeconds(), 1709208000u);
    std::string text = "old";
    EXPECT_EQ(generalized.ToText(text), System::NotImplemented);
    EXPECT_EQ(text, "");
    Data data = NewData();
    EXPECT_EQ(generalized.ToData(*data), System::NotImplemented);
    EXPECT_EQ(data->present, Mms::MmsDataNone);

    Mms::BCD bcd(*SimpleType(Mms::MmsTypeBcd, 8));
    EXPECT_EQ(bcd.FromText("12"), System::NotImplemented);
    EXPECT_EQ(bcd.FromData(*DecodeHex("8D 01 2A")), System::NotImplemented);
    EXPECT_EQ(bcd.GetValue(), 42);
    EXPECT_TRUE(bcd.IsValid());
    Mms::BCD tooLong(*SimpleType(Mms::MmsTypeBcd, 9));
    EXPECT_EQ(tooLong.GetState(), Mms::StateInvalidType);

    Mms::ObjectId id(*SimpleType(Mms::MmsTypeObjId));
    EXPECT_EQ(id.FromData(*DecodeHex("8F 03 28 C2 7B")), System::NotImplemented);
    EXPECT_EQ(id.GetState(), Mms::StateValid);
}

}  // namespace
