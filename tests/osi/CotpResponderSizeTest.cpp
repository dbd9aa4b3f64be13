#include <gtest/gtest.h>

#include <string>

#include "CotpChain.h"
#include "support/ToolCheck.h"

using namespace CotpTest;
using TestSupport::WireUnit;

namespace {

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A responder's chain that accepts every CR at once, as the session above does.
struct Responder {
    Responder() {
        chain.tcp->SetState(TcpConnection::StateConnected);
        chain.itot->OnLowerBytes(nullptr, 0, ItotConnection::Connected);  // an accepted socket
        chain.upper.SetHook([this](const OsiTest::RecordingUpper::Record& record) {
            if (record.event == CotpConnection::ConnectIndication) chain.cotp->Accept();
        });
    }
    CotpChain chain;
};

// A CR as other clients send it: the size parameter only when sizeCode is not 0.
Bytes ConnectRequest(std::uint8_t sizeCode) {
    Bytes cr = Hex("00 E0 00 00 00 2A 00");
    if (sizeCode != 0) cr.insert(cr.end(), {0xC0, 0x01, sizeCode});
    cr.insert(cr.end(), {0xC1, 0x02, 0x00, 0x01, 0xC2, 0x02, 0x00, 0x01});
    cr[0] = static_cast<std::uint8_t>(cr.size() - 1);
    return cr;
}

}  // namespace

// The confirm always names the size this side cuts to: the proposal up to 8192 octets,
// 128 when the CR names none. Wireshark must read the parameter as ruled.
TEST(CotpResponderSize, TheConfirmNamesTheGrantedSize) {
    struct Case {
        std::uint8_t proposed;  // 0: no size parameter
        std::uint32_t granted;
    };
    const Case cases[] = {{7, 7}, {8, 8}, {9, 9}, {10, 10}, {11, 11}, {12, 12}, {13, 13}, {0, 7}, {14, 13}};
    std::vector<WireUnit> units;
    std::string expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.proposed));
        Responder responder;
        const Bytes cr = ConnectRequest(c.proposed);
        ASSERT_EQ(responder.chain.Receive(cr), System::OkNoError);
        ASSERT_EQ(responder.chain.cotp->GetState(), CotpConnection::StateOpen);
        EXPECT_EQ(responder.chain.cotp->GetSendSizeCode(), c.granted);
        const std::vector<Bytes> sent = responder.chain.SentTpdus();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0], Join(Hex("09 D0 00 2A 00 01 00 C0 01"), {static_cast<std::uint8_t>(c.granted)}));
        if (c.proposed <= 13) {  // Wireshark flags a CR with an unknown size code itself
            units.push_back({true, Tpkt(cr)});
            units.push_back({false, Tpkt(sent[0])});
            expected += std::string(c.proposed == 0 ? "" : std::to_string(1u << c.proposed)) + "\n" +
                        std::to_string(1u << c.granted) + "\n";
        }
    }
    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    std::string decoded;
    for (const std::string& line : TestSupport::DecodeFields(units, {"cotp.tpdu_size"})) decoded += line + "\n";
    EXPECT_EQ(decoded, expected);
}

// A 10 KB unit leaves in DTs of the granted size, the last one with the end mark, and
// Wireshark joins them back into the whole unit.
TEST(CotpResponderSize, ALargeUnitIsCutAtTheGrantedSize) {
    for (const std::uint8_t code : {std::uint8_t{0}, std::uint8_t{10}, std::uint8_t{13}}) {
        SCOPED_TRACE(static_cast<int>(code));
        Responder responder;
        ASSERT_EQ(responder.chain.Receive(ConnectRequest(code)), System::OkNoError);
        const std::uint32_t size = 1u << (code == 0 ? 7 : code);
        Bytes unit = Hex("01 00 01 00");  // session give tokens + data transfer
        const Bytes data = Pattern(10 * 1024 - 4);
        unit.insert(unit.end(), data.begin(), data.end());
        ASSERT_EQ(responder.chain.cotp->SendData(EncodedFrame(unit).get(), TransportLink::Handshake()),
                  System::OkNoError);

        std::vector<Bytes> sent = responder.chain.SentTpdus();
        sent.erase(sent.begin());  // the CC
        const std::size_t piece = size - 3;
        ASSERT_EQ(sent.size(), (unit.size() + piece - 1) / piece);
        Bytes joined;
        std::vector<WireUnit> units;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_LE(sent[i].size(), size);
            if (i + 1 < sent.size()) {
                EXPECT_EQ(sent[i].size(), size);
            }
            EXPECT_EQ(sent[i][2], i + 1 == sent.size() ? 0x80 : 0x00);
            joined.insert(joined.end(), sent[i].begin() + 3, sent[i].end());
            units.push_back({false, Tpkt(sent[i])});
        }
        EXPECT_EQ(joined, unit);
        if (!TestSupport::WireCheckRuns()) continue;
        const std::vector<std::string> noPresentation{"--disable-protocol", "pres"};
        EXPECT_EQ(TestSupport::FindProblems(units, noPresentation), "");
        const auto lengths = TestSupport::DecodeFields(units, {"cotp.reassembled.length"}, noPresentation);
        ASSERT_FALSE(lengths.empty());
        EXPECT_EQ(lengths.back(), std::to_string(unit.size()));
    }
}
