#include <gtest/gtest.h>

#include "CotpChain.h"
#include "support/ToolCheck.h"

using namespace CotpTest;

namespace {
std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) joined += line + "\n";
    return joined;
}
}  // namespace

// A whole conversation as the connections write it (the peer's side scripted),
// read by an independent decoder: transport connect with a size, session connect,
// data in one TPDU and cut into two, abort.
TEST(CospConnectionWire, AConversationAsTheConnectionsWriteIt) {
    REQUIRE_WIRESHARK();
    CotpChain chain(true);
    chain.cosp->SetParameter("LocalSSelector", "1");
    chain.cosp->SetParameter("RemoteSSelector", "1");
    chain.cosp->SetParameter("LocalSTimeout", "30");
    TestSupport::WireRecording wire;
    chain.tcp->peer = [&](const Bytes& packet) {
        wire.Add(true, packet);
        const Bytes tpdu = TpduOf(packet);
        Bytes answer;
        if ((tpdu[1] >> 4) == 0xE) answer = Hex("09 D0 00 01 00 07 00 C0 01 0A");
        if (tpdu[1] == 0xF0 && tpdu[3] == 0x0D) {
            answer = Hex("02 F0 80 0E 16 05 06 13 01 00 16 01 02 14 02 00 02 34 02 00 01 C1 04 31 02 A0 00");
        }
        if (answer.empty()) return;
        wire.Add(false, Tpkt(answer));
        chain.tcp->Deliver(Tpkt(answer));
    };
    ASSERT_EQ(chain.cosp->Connect(EncodedFrame(Pattern(40)).get()), System::OkNoError);
    ASSERT_EQ(chain.cosp->GetState(), CospConnection::StateDataTransfer);
    ASSERT_EQ(chain.cosp->SendData(EncodedFrame(Pattern(100)).get(), TransportLink::Handshake()), System::OkNoError);
    ASSERT_EQ(chain.cosp->SendData(EncodedFrame(Pattern(2000)).get(), TransportLink::Handshake()), System::OkNoError);
    ASSERT_EQ(chain.cosp->Abort(nullptr, TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);

    const std::vector<std::string> noPresentation{"--disable-protocol", "pres"};
    EXPECT_EQ(TestSupport::FindProblems(wire.Units(), noPresentation), "");
    const auto fields = TestSupport::DecodeFields(
        wire.Units(),
        {"cotp.type", "cotp.tpdu_size", "cotp.eot", "cotp.reassembled.length", "ses.type", "ses.req.flags"},
        noPresentation);
    EXPECT_EQ(JoinLines(fields),
              "0x0e|1024||||\n"       // CR
              "0x0d|1024||||\n"       // CC
              "0x0f||1||13|0x0002\n"  // CN
              "0x0f||1||14|0x0002\n"  // AC
              "0x0f||1||1,1|\n"       // data in one DT
              "0x0f||0|||\n"          // data cut into two DTs
              "0x0f||1|2004|1,1|\n"
              "0x0f||1||25|\n");  // AB
}
