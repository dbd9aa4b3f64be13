#include <gtest/gtest.h>

#include "CotpTestBytes.h"
#include "osi/CcTpdu.h"
#include "osi/CrTpdu.h"
#include "osi/DrTpdu.h"
#include "osi/DtTpdu.h"
#include "osi/ErTpdu.h"

using namespace CotpTest;

TEST(CotpTpdu, ConnectRequestWithTheDefaultParameters) {
    CrTpdu cr(nullptr);
    cr.SetSourceReference(0x0001);
    cr.SetTpduSizeCode(10);
    cr.SetCalledTsap(1);
    cr.SetCallingTsap(2);
    ASSERT_EQ(cr.Encode(), System::OkNoError);
    EXPECT_EQ(cr.GetState(), Protocol::Frame::StateEncoded);
    EXPECT_EQ(BytesOf(cr), Hex("11 E0 00 00 00 01 00 C0 01 0A C2 02 00 01 C1 02 00 02"));
}

TEST(CotpTpdu, ConnectConfirmAndDisconnectAsTheResponderSendsThem) {
    CcTpdu cc(nullptr);
    cc.SetDestinationReference(0x1234);
    cc.SetSourceReference(0x0005);
    ASSERT_EQ(cc.Encode(), System::OkNoError);
    EXPECT_EQ(BytesOf(cc), Hex("06 D0 12 34 00 05 00"));

    DrTpdu dr(nullptr);
    dr.SetDestinationReference(0x1234);
    dr.SetSourceReference(0x0005);
    ASSERT_EQ(dr.Encode(), System::OkNoError);
    EXPECT_EQ(BytesOf(dr), Hex("06 80 12 34 00 05 00"));
}

TEST(CotpTpdu, DataWithAndWithoutEndMarkAndBackAgain) {
    const auto data = Hex("01 00 01 00 61 02");
    for (const bool eot : {true, false}) {
        DtTpdu dt(nullptr, data, eot);
        ASSERT_EQ(dt.Encode(), System::OkNoError);
        auto expected = Hex(eot ? "02 F0 80" : "02 F0 00");
        expected.insert(expected.end(), data.begin(), data.end());
        EXPECT_EQ(BytesOf(dt), expected);

        DtTpdu received(nullptr);
        ASSERT_EQ(received.Decode(dt), System::OkNoError);
        EXPECT_EQ(received.IsEndOfUnit(), eot);
        EXPECT_EQ(received.GetState(), eot ? Protocol::Frame::StateComplete : Tpdu::StateSegment);
        EXPECT_EQ(WindowOf(received), data);
        EXPECT_EQ(received.GetCode(), DtTpdu::ClassZeroCode);
    }
}

TEST(CotpTpdu, ConnectConfirmWithAndWithoutSize) {
    struct Case {
        const char* hex;
        bool sizePresent;
        std::uint32_t sizeCode;
    };
    for (const Case& c : {Case{"09 D0 00 01 00 07 00 C0 01 0A", true, 10}, Case{"06 D0 00 01 00 07 00", false, 7},
                          Case{"09 D0 00 01 00 07 00 C0 01 0D", true, 13}}) {
        CcTpdu cc(nullptr);
        ASSERT_EQ(cc.Decode(*ReceivedFrame(c.hex)), System::OkNoError) << c.hex;
        EXPECT_EQ(cc.HasTpduSize(), c.sizePresent) << c.hex;
        EXPECT_EQ(cc.GetTpduSizeCode(), c.sizeCode) << c.hex;
        EXPECT_EQ(cc.GetDestinationReference(), 1);
        EXPECT_EQ(cc.GetSourceReference(), 7);
        EXPECT_EQ(cc.GetCredit(), 0);
        EXPECT_EQ(cc.GetProtocolClass(), 0);
        EXPECT_EQ(cc.GetState(), Protocol::Frame::StateComplete);
    }
}

TEST(CotpTpdu, ConnectRequestParametersInAnyOrderUnknownOnesPassedOver) {
    // Preferred maximum TPDU size (F0) and additional options (C6) belong to other
    // classes; a stray octet may end the header.
    CrTpdu cr(nullptr);
    ASSERT_EQ(cr.Decode(*ReceivedFrame("18 E0 00 00 00 09 04 C1 02 00 05 F0 02 01 00 C6 01 01 C2 02 00 06 E0 00 00")),
              System::OkNoError);
    EXPECT_EQ(cr.GetSourceReference(), 9);
    EXPECT_EQ(cr.GetProtocolClass(), 0);  // option bits ignored
    EXPECT_EQ(cr.GetCallingTsap(), 5);
    EXPECT_EQ(cr.GetCalledTsap(), 6);
    EXPECT_FALSE(cr.HasTpduSize());
    EXPECT_TRUE(cr.HasAdditionalInformation());

    CrTpdu longSelectors(nullptr);
    ASSERT_EQ(longSelectors.Decode(*ReceivedFrame("10 E0 00 00 00 09 00 C1 04 41 42 43 44 C2 02 00 01")),
              System::OkNoError);
    EXPECT_TRUE(longSelectors.HasCallingTsap());
    EXPECT_EQ(longSelectors.GetCallingTsapOctets().size(), 4u);
    EXPECT_EQ(longSelectors.GetCallingTsap(), 0);
}

TEST(CotpTpdu, MalformedUnitsAreRefusedWithoutReadingPastThem) {
    struct Case {
        const char* what;
        const char* hex;
    };
    const Case cases[] = {
        {"one octet", "11"},
        {"LI beyond the unit", "11 E0 00 00 00 01 00 C0 01"},
        {"LI shorter than the fixed part", "04 D0 00 01 00 07 00"},
        {"parameter beyond the header", "09 D0 00 01 00 07 00 C0 05 0A"},
        {"size parameter of two octets", "0A D0 00 01 00 07 00 C0 02 00 0A"},
        {"reserved LI 255", "FF D0 00 01 00 07 00"},
        {"another type", "06 80 00 01 00 07 00"},
    };
    for (const Case& c : cases) {
        CcTpdu cc(nullptr);
        EXPECT_EQ(cc.Decode(*ReceivedFrame(c.hex)), System::ProtocolError) << c.what;
        EXPECT_EQ(cc.GetState(), Protocol::Frame::StateInvalid) << c.what;
    }
    DtTpdu dt(nullptr);
    EXPECT_EQ(dt.Decode(*ReceivedFrame("02 F0")), System::ProtocolError);
    DrTpdu dr(nullptr);
    EXPECT_EQ(dr.Decode(*ReceivedFrame("06 80 00 01 00")), System::ProtocolError);
    ErTpdu er(nullptr);
    EXPECT_EQ(er.Decode(*ReceivedFrame("04 70 00")), System::ProtocolError);
}

TEST(CotpTpdu, ReceivedDisconnectAndError) {
    DrTpdu dr(nullptr);
    ASSERT_EQ(dr.Decode(*ReceivedFrame("08 80 00 01 00 07 02 E0 00")), System::OkNoError);
    EXPECT_EQ(dr.GetDestinationReference(), 1);
    EXPECT_EQ(dr.GetSourceReference(), 7);
    EXPECT_EQ(dr.GetReason(), 2);

    ErTpdu er(nullptr);
    ASSERT_EQ(er.Decode(*ReceivedFrame("08 70 00 01 02 C1 02 E0 00")), System::OkNoError);
    EXPECT_EQ(er.GetDestinationReference(), 1);
    EXPECT_EQ(er.GetRejectCause(), 2);
}

TEST(CotpTpdu, TypeOfAUnit) {
    EXPECT_EQ(Tpdu::TypeOf(*ReceivedFrame("06 D0 00 01 00 07 00")), Tpdu::TypeCc);
    EXPECT_EQ(Tpdu::TypeOf(*ReceivedFrame("02 F0 80")), Tpdu::TypeDt);
    EXPECT_EQ(Tpdu::TypeOf(*ReceivedFrame("02")), Tpdu::TypeNone);
    EXPECT_EQ(Tpdu::TypeOf(*ReceivedFrame(std::vector<std::uint8_t>{})), Tpdu::TypeNone);
}
