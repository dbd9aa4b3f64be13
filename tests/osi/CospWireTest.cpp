#include <gtest/gtest.h>

#include "CotpTestBytes.h"
#include "osi/AbSpdu.h"
#include "osi/AcSpdu.h"
#include "osi/CnSpdu.h"
#include "osi/DtSpdu.h"
#include "osi/DtTpdu.h"
#include "osi/GtDtSpdu.h"
#include "osi/GtSpdu.h"
#include "osi/RfSpdu.h"
#include "support/ToolCheck.h"

using namespace CotpTest;
using TestSupport::WireUnit;

namespace {
// One session unit in one DT TPDU in one TPKT.
WireUnit Packet(bool fromClient, const Protocol::Frame& spdu) {
    DtTpdu dt(nullptr, BytesOf(spdu), true);
    dt.Encode();
    return {fromClient, Tpkt(BytesOf(dt))};
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) joined += line + "\n";
    return joined;
}

const std::vector<std::string> kNoPresentation{"--disable-protocol", "pres"};

void FillConnect(ConnectSpdu& spdu, std::span<const std::uint8_t> userData) {
    spdu.SetConnectAcceptItem(0, ConnectSpdu::ProtocolVersion2);
    spdu.SetUserRequirements(0x0002);
    spdu.SetUserData(userData);
}
}  // namespace

TEST(CospWire, ConnectAcceptDataAndAbortAsWeSendThem) {
    REQUIRE_WIRESHARK();
    CnSpdu cn(nullptr);
    FillConnect(cn, Pattern(60));
    cn.SetCallingSelector(1);
    cn.SetCalledSelector(2);
    ASSERT_EQ(cn.Encode(), System::OkNoError);

    AcSpdu ac(nullptr);
    FillConnect(ac, Pattern(40));
    ac.SetCalledSelector(2);
    ASSERT_EQ(ac.Encode(), System::OkNoError);

    GtSpdu gt(nullptr);
    DtSpdu dt(nullptr);
    dt.SetUserData(Pattern(20));
    ASSERT_EQ(gt.Encode(), System::OkNoError);
    ASSERT_EQ(dt.Encode(), System::OkNoError);
    GtDtSpdu data(nullptr);
    data.AddPart(gt);
    data.AddPart(dt);
    ASSERT_EQ(data.Encode(), System::OkNoError);

    AbSpdu ab(nullptr);
    ASSERT_EQ(ab.Encode(), System::OkNoError);
    AbSpdu userAbort(nullptr);
    userAbort.SetTransportDisconnect(AbSpdu::ReleaseTransport | AbSpdu::UserAbort);
    userAbort.SetUserData(Pattern(12));
    ASSERT_EQ(userAbort.Encode(), System::OkNoError);

    const std::vector<WireUnit> units{Packet(true, cn),    Packet(false, ac), Packet(true, data),
                                      Packet(false, data), Packet(true, ab),  Packet(true, userAbort)};
    EXPECT_EQ(TestSupport::FindProblems(units, kNoPresentation), "");
    const auto fields = TestSupport::DecodeFields(
        units,
        {"ses.type", "ses.length", "ses.protocol_version2", "ses.req.flags", "ses.calling_session_selector",
         "ses.called_session_selector", "ses.transport_flags"},
        kNoPresentation);
    EXPECT_EQ(JoinLines(fields),
              "13|82|1|0x0002|0001|0002|\n"
              "14|58|1|0x0002||0002|\n"
              "1,1|0,0|||||\n"
              "1,1|0,0|||||\n"
              "25|3|||||0x01\n"
              "25|17|||||0x03\n");
}

TEST(CospWire, ConnectWithLongUserDataUsesThreeOctetLengths) {
    REQUIRE_WIRESHARK();
    CnSpdu cn(nullptr);
    FillConnect(cn, Pattern(300));
    cn.SetCallingSelector(1);
    cn.SetCalledSelector(1);
    ASSERT_EQ(cn.Encode(), System::OkNoError);
    const std::vector<WireUnit> units{Packet(true, cn)};
    EXPECT_EQ(TestSupport::FindProblems(units, kNoPresentation), "");
    const auto fields = TestSupport::DecodeFields(units, {"ses.type", "ses.length"}, kNoPresentation);
    EXPECT_EQ(JoinLines(fields), "13|324\n");
}

TEST(CospWire, Refuse) {
    REQUIRE_WIRESHARK();
    RfSpdu rf(nullptr);
    rf.SetTransportDisconnect(0x01);
    rf.SetReason(RfSpdu::ReasonRejectedByUser, Pattern(10));
    ASSERT_EQ(rf.Encode(), System::OkNoError);
    const std::vector<WireUnit> units{Packet(false, rf)};
    EXPECT_EQ(TestSupport::FindProblems(units, kNoPresentation), "");
    const auto fields =
        TestSupport::DecodeFields(units, {"ses.type", "ses.transport_flags", "ses.reason_code"}, kNoPresentation);
    EXPECT_EQ(JoinLines(fields), "12|0x01|2\n");
}
