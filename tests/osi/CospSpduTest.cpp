#include <gtest/gtest.h>

#include "CotpTestBytes.h"
#include "osi/AbSpdu.h"
#include "osi/AcSpdu.h"
#include "osi/CnSpdu.h"
#include "osi/DtSpdu.h"
#include "osi/GtDtSpdu.h"
#include "osi/GtSpdu.h"
#include "osi/RfSpdu.h"

using namespace CotpTest;

namespace {
std::vector<std::uint8_t> Join(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A connect SPDU as the initiator builds it.
CnSpdu* FillConnect(CnSpdu& cn, std::span<const std::uint8_t> userData) {
    cn.SetConnectAcceptItem(0, ConnectSpdu::ProtocolVersion2);
    cn.SetUserRequirements(0x0002);
    cn.SetCallingSelector(1);
    cn.SetCalledSelector(1);
    cn.SetUserData(userData);
    return &cn;
}
}  // namespace

TEST(CospSpdu, ConnectWithSelectorsOneAndOne) {
    const auto cp = Pattern(40);
    CnSpdu cn(nullptr);
    ASSERT_EQ(FillConnect(cn, cp)->Encode(), System::OkNoError);
    EXPECT_EQ(cn.GetState(), Protocol::Frame::StateEncoded);
    const auto expected = Join(Hex("0D 3E 05 06 13 01 00 16 01 02 14 02 00 02 33 02 00 01 34 02 00 01 C1 28"), cp);
    EXPECT_EQ(BytesOf(cn), expected);

    CnSpdu received(nullptr);
    ASSERT_EQ(received.Decode(expected), System::OkNoError);
    EXPECT_TRUE(received.HasConnectAcceptItem());
    EXPECT_EQ(received.GetVersionNumber(), 2);
    EXPECT_EQ(received.GetProtocolOptions(), 0);
    EXPECT_EQ(received.GetUserRequirements(), 0x0002);
    EXPECT_EQ(received.GetCallingSelector(), 1);
    EXPECT_EQ(received.GetCalledSelector(), 1);
    EXPECT_EQ(std::vector<std::uint8_t>(received.GetUserData().begin(), received.GetUserData().end()), cp);
}

TEST(CospSpdu, LengthsOf255AndMoreTakeThreeOctets) {
    for (const std::size_t size : {232u, 233u, 254u, 255u, 300u, 4000u}) {
        const auto cp = Pattern(size);
        CnSpdu cn(nullptr);
        ASSERT_EQ(FillConnect(cn, cp)->Encode(), System::OkNoError);
        const auto bytes = BytesOf(cn);
        const std::size_t field = 21 + (size < 255 ? 1 : 3) + size;
        if (field < 255) {
            EXPECT_EQ(bytes[1], field) << size;
        } else {
            EXPECT_EQ(bytes[1], 0xFF) << size;
            EXPECT_EQ((bytes[2] << 8) | bytes[3], field) << size;
        }
        const std::size_t userDataLengthAt = bytes.size() - size - (size < 255 ? 1 : 3);
        if (size >= 255) {
            EXPECT_EQ(bytes[userDataLengthAt], 0xFF) << size;
            EXPECT_EQ((bytes[userDataLengthAt + 1] << 8) | bytes[userDataLengthAt + 2], size) << size;
        }
        CnSpdu received(nullptr);
        ASSERT_EQ(received.Decode(bytes), System::OkNoError) << size;
        EXPECT_EQ(received.GetUserData().size(), size);
        EXPECT_TRUE(std::equal(cp.begin(), cp.end(), received.GetUserData().begin()));
    }
}

TEST(CospSpdu, AcceptAsTheResponderSendsIt) {
    const auto cpa = Hex("31 02 A0 00");
    AcSpdu ac(nullptr);
    ac.SetConnectAcceptItem(0, ConnectSpdu::ProtocolVersion2);
    ac.SetUserRequirements(0x0002);
    ac.SetCalledSelector(1);
    ac.SetUserData(cpa);
    ASSERT_EQ(ac.Encode(), System::OkNoError);
    EXPECT_EQ(BytesOf(ac), Join(Hex("0E 16 05 06 13 01 00 16 01 02 14 02 00 02 34 02 00 01 C1 04"), cpa));
}

TEST(CospSpdu, UnknownParametersArePassedOverByTheirLength) {
    // Connection identifier (01), a token setting item and an initial serial number
    // inside the connect/accept item, data overflow (3C), and extended user data.
    const auto ac =
        Hex("0E 26  01 03 0A 01 41  05 0C 13 01 00 1A 01 55 16 01 02 17 01 30  14 02 00 03"
            "  3C 01 01  34 02 00 07  C2 06 31 04 A0 02 02 00");
    AcSpdu received(nullptr);
    ASSERT_EQ(received.Decode(ac), System::OkNoError);
    EXPECT_EQ(received.GetVersionNumber(), 2);
    EXPECT_EQ(received.GetUserRequirements(), 0x0003);
    EXPECT_EQ(received.GetCalledSelector(), 7);
    EXPECT_EQ(std::vector<std::uint8_t>(received.GetUserData().begin(), received.GetUserData().end()),
              Hex("31 04 A0 02 02 00"));
}

TEST(CospSpdu, MalformedUnitsAreRefused) {
    struct Case {
        const char* what;
        const char* hex;
    };
    const Case cases[] = {
        {"empty", ""},
        {"no length", "0E"},
        {"length beyond the unit", "0E 08 14 02 00 02"},
        {"long length cut short", "0E FF 01"},
        {"parameter beyond the field", "0E 06 14 02 00 02 C1 05 01 02"},
        {"parameter length beyond the field", "0E 03 14 05 00"},
        {"item beyond its group", "0E 05 05 03 13 05 00"},
        {"requirements of five octets", "0E 07 14 05 00 00 00 00 02"},
        {"another SPDU", "0D 00"},
    };
    for (const Case& c : cases) {
        AcSpdu ac(nullptr);
        EXPECT_EQ(ac.Decode(Hex(c.hex)), System::ProtocolError) << c.what;
    }
}

TEST(CospSpdu, GiveTokensAndDataTransferInOneUnit) {
    const auto pdu = Pattern(10);
    GtSpdu gt(nullptr);
    DtSpdu dt(nullptr);
    dt.SetUserData(pdu);
    ASSERT_EQ(gt.Encode(), System::OkNoError);
    ASSERT_EQ(dt.Encode(), System::OkNoError);
    GtDtSpdu unit(nullptr);
    unit.AddPart(gt);
    unit.AddPart(dt);
    ASSERT_EQ(unit.Encode(), System::OkNoError);
    const auto bytes = BytesOf(unit);
    EXPECT_EQ(bytes, Join(Hex("01 00 01 00"), pdu));

    GtSpdu receivedGt(nullptr);
    ASSERT_EQ(receivedGt.Decode(bytes), System::OkNoError);
    EXPECT_EQ(receivedGt.GetSpduLength(), 2u);
    DtSpdu receivedDt(nullptr);
    ASSERT_EQ(receivedDt.Decode(std::span(bytes).subspan(2)), System::OkNoError);
    EXPECT_EQ(std::vector<std::uint8_t>(receivedDt.GetUserData().begin(), receivedDt.GetUserData().end()), pdu);

    // A data transfer SPDU with an enclosure item keeps its user data behind it.
    DtSpdu enclosed(nullptr);
    ASSERT_EQ(enclosed.Decode(Hex("01 03 19 01 03 AA BB")), System::OkNoError);
    EXPECT_TRUE(enclosed.HasEnclosureItem());
    EXPECT_EQ(enclosed.GetUserData().size(), 2u);
}

TEST(CospSpdu, AbortWithAndWithoutUserData) {
    AbSpdu plain(nullptr);
    ASSERT_EQ(plain.Encode(), System::OkNoError);
    EXPECT_EQ(BytesOf(plain), Hex("19 03 11 01 01"));

    const auto aru = Hex("A8 03 80 01 01");  // presentation abort in its short form
    AbSpdu withData(nullptr);
    withData.SetTransportDisconnect(AbSpdu::ReleaseTransport | AbSpdu::UserAbort);
    withData.SetUserData(aru);
    ASSERT_EQ(withData.Encode(), System::OkNoError);
    EXPECT_EQ(BytesOf(withData), Join(Hex("19 0A 11 01 03 C1 05"), aru));

    AbSpdu received(nullptr);
    ASSERT_EQ(received.Decode(BytesOf(withData)), System::OkNoError);
    EXPECT_EQ(received.GetTransportDisconnect(), 0x03);
    EXPECT_TRUE(received.HasUserData());
}

TEST(CospSpdu, RefuseCarriesReasonAndUserDataBelow512Octets) {
    const auto cpr = Hex("31 03 A0 01 00");
    RfSpdu rf(nullptr);
    rf.SetTransportDisconnect(0x01);
    rf.SetReason(RfSpdu::ReasonRejectedByUser, cpr);
    ASSERT_EQ(rf.Encode(), System::OkNoError);
    EXPECT_EQ(BytesOf(rf), Join(Hex("0C 0B 11 01 01 32 06 02"), cpr));

    RfSpdu received(nullptr);
    ASSERT_EQ(received.Decode(BytesOf(rf)), System::OkNoError);
    EXPECT_EQ(received.GetReason(), 2);
    EXPECT_EQ(received.GetUserData().size(), cpr.size());

    RfSpdu tooLong(nullptr);
    tooLong.SetReason(RfSpdu::ReasonRejectedByUser, Pattern(512));
    ASSERT_EQ(tooLong.Encode(), System::OkNoError);
    EXPECT_EQ(BytesOf(tooLong), Hex("0C 03 32 01 02"));
}

TEST(CospSpdu, MeasureFindsTheEndOfTheFirstSpdu) {
    std::uint8_t si = 0;
    std::uint32_t length = 0;
    ASSERT_EQ(Spdu::Measure(Hex("01 00 01 00 AA"), si, length), System::OkNoError);
    EXPECT_EQ(si, 1);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(Spdu::Measure(Hex("01 02 10"), si, length), System::ProtocolError);
    EXPECT_EQ(Spdu::Measure(Hex("1A"), si, length), System::ProtocolError);
}
