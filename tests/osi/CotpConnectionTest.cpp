#include <gtest/gtest.h>

#include <chrono>

#include "CotpChain.h"

using namespace CotpTest;

namespace {
constexpr std::uint32_t Open = CotpConnection::Open;
constexpr std::uint32_t Lost = CotpConnection::Lost;

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Dt(bool eot, const Bytes& data) { return Join({0x02, 0xF0, static_cast<std::uint8_t>(eot ? 0x80 : 0x00)}, data); }
}  // namespace

TEST(CotpConnection, ConnectSendsTheDefaultRequestAndOpensOnTheConfirm) {
    CotpChain chain;
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
    ASSERT_EQ(chain.OpenTransport(), System::OkNoError);
    EXPECT_EQ(chain.tcp->Sent().front(), Hex("03 00 00 16 11 E0 00 00 00 01 00 C0 01 0A C2 02 00 01 C1 02 00 01"));
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateOpen);
    EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{Open});
    EXPECT_EQ(chain.cotp->GetSendSizeCode(), 10u);
    EXPECT_EQ(chain.cotp->GetMaxPduSize(), 1024u);
}

TEST(CotpConnection, SelectorsAreHexParameters) {
    CotpChain chain;
    EXPECT_EQ(chain.cotp->SetParameter("LocalTSelector", "0002"), System::OkNoError);
    EXPECT_EQ(chain.cotp->SetParameter("RemoteTSelector", "ab"), System::OkNoError);
    EXPECT_EQ(chain.cotp->SetParameter("RemoteTSelector", "xyz"), System::InvalidArguments);
    EXPECT_EQ(chain.cotp->SetParameter("LocalSSelector", "1"), System::NotSupported);
    std::string value;
    EXPECT_EQ(chain.cotp->GetParameter("LocalTSelector", value), System::OkNoError);
    EXPECT_EQ(value, "0002");
    EXPECT_EQ(chain.cotp->GetParameter("RemoteTSelector", value), System::OkNoError);
    EXPECT_EQ(value, "00AB");
    EXPECT_EQ(chain.cotp->GetParameter("RemoteNPort", value), System::NotSupported);
    ASSERT_EQ(chain.OpenTransport(), System::OkNoError);
    EXPECT_EQ(chain.SentTpdus().front(), Hex("11 E0 00 00 00 01 00 C0 01 0A C2 02 00 AB C1 02 00 02"));
}

// Whatever the peer answers, Connect ends at once: accepted, or refused with the
// connection closed and the loss reported exactly once.
TEST(CotpConnection, AnswersToTheConnectRequest) {
    struct Case {
        const char* what;
        const char* answer;  // empty: the peer closes the TCP connection
        System::ResultCode result;
        std::uint32_t sendSizeCode;
    };
    const Case cases[] = {
        {"size 1024", "09 D0 00 01 00 07 00 C0 01 0A", System::OkNoError, 10},
        {"no size: 128 applies", "06 D0 00 01 00 07 00", System::OkNoError, 7},
        {"size 512", "09 D0 00 01 00 07 00 C0 01 09", System::OkNoError, 9},
        {"size 8192 above the proposal", "09 D0 00 01 00 07 00 C0 01 0D", System::OkNoError, 10},
        {"size code 14", "09 D0 00 01 00 07 00 C0 01 0E", System::ProtocolError, 7},
        {"credit", "06 D1 00 01 00 07 00", System::ProtocolError, 7},
        {"class 2", "06 D0 00 01 00 07 40", System::ProtocolError, 7},
        {"malformed confirm", "09 D0 00 01 00 07 00 C0 05", System::ProtocolError, 7},
        {"disconnect request", "06 80 00 01 00 07 00", System::ProtocolError, 7},
        {"TPDU error", "04 70 00 01 03", System::ProtocolError, 7},
        {"connection closed", "", System::Error, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CotpChain chain;
        chain.cotp->SetTimeout(60000);  // a wait that ran out would show as a hang
        const Bytes answer = Hex(c.answer);
        if (answer.empty()) {
            chain.tcp->peer = [&chain](const Bytes&) { chain.tcp->DeliverClosed(); };
        } else {
            chain.AnswerConnectRequest(answer);
        }
        EXPECT_EQ(chain.cotp->Connect(), c.result);
        EXPECT_EQ(chain.cotp->GetSendSizeCode(), c.sendSizeCode);
        if (c.result == System::OkNoError) {
            EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateOpen);
            EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{Open});
        } else {
            EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
            EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{Lost});
            EXPECT_EQ(chain.itot->GetState(), 0);
        }
    }
}

// The peer's DR reason or ER reject cause is kept before the session hears of the
// loss, so that the connect's caller can say why the device refused; a new connect
// forgets what an earlier one kept.
TEST(CotpConnection, ARefusalsReasonReachesTheCaller) {
    const struct {
        const char* name;
        const char* answer;
        bool kept;
        std::int32_t reason;
        const char* text;
    } cases[] = {
        {"address unknown", "06 80 00 01 00 07 03", true, 3,
         "transport disconnect request, reason 3 (address unknown)"},
        {"congestion", "06 80 00 01 00 07 81", true, 129,
         "transport disconnect request, reason 129 (remote transport entity congestion at connect request time)"},
        {"invalid parameter value", "04 70 00 01 03", true, 3,
         "transport TPDU error, reject cause 3 (invalid parameter value)"},
        {"unacceptable confirm: no reason given", "06 D0 00 01 00 07 40", false, 0, ""},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        CotpChain chain;
        chain.cotp->SetTimeout(60000);  // a wait that ran out would show as a hang
        chain.cotp->SetRefusal(Protocol::PeerRefusal{Protocol::PeerRefusal::Source::Session, 2, 0, "earlier"});
        chain.AnswerConnectRequest(Hex(entry.answer));
        std::vector<Protocol::PeerRefusal> seen;
        chain.upper.SetHook([&](const OsiTest::RecordingUpper::Record&) { seen.push_back(chain.cotp->FindRefusal()); });
        EXPECT_EQ(chain.cotp->Connect(), System::ProtocolError);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{Lost});
        EXPECT_EQ(seen[0].IsSet(), entry.kept);
        if (!entry.kept) continue;
        EXPECT_EQ(seen[0].source, Protocol::PeerRefusal::Source::Transport);
        EXPECT_EQ(seen[0].reason, entry.reason);
        EXPECT_EQ(seen[0].text, entry.text);
        // Still there once Connect has returned, for the caller to read.
        EXPECT_EQ(chain.cotp->FindRefusal().text, entry.text);
    }
}

TEST(CotpConnection, ASizedConfirmSetsTheReceiveSideToThatSize) {
    CotpChain chain;
    ASSERT_EQ(chain.OpenTransport(0x0D), System::OkNoError);
    EXPECT_EQ(chain.cotp->GetMaxPduSize(), 8192u);
    EXPECT_EQ(chain.itot->GetReceiveCapacity(), 2u * (8192 + 4));
}

TEST(CotpConnection, NoAnswerTimesOut) {
    CotpChain chain;
    chain.cotp->SetTimeout(50);
    EXPECT_EQ(chain.cotp->Connect(), System::Timeout);
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
    EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{Lost});
}

TEST(CotpConnection, UnreachableHostFailsTheConnect) {
    CotpChain chain;
    chain.tcp->refuseConnect = true;
    EXPECT_EQ(chain.cotp->Connect(), System::Error);
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
    EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{Lost});
    EXPECT_TRUE(chain.SentTpdus().empty());
}

TEST(CotpConnection, DataIsCutToTheGrantedSize) {
    struct Case {
        std::uint8_t sizeCode;  // 0: the CC names none
        std::size_t unit;
        std::vector<std::size_t> pieces;
    };
    const Case cases[] = {
        {0x0A, 1021, {1021}},     {0x0A, 1022, {1021, 1}}, {0x0A, 3000, {1021, 1021, 958}},
        {0, 300, {125, 125, 50}}, {0, 125, {125}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        CotpChain chain;
        if (c.sizeCode == 0) {
            chain.AnswerConnectRequest(Hex("06 D0 00 01 00 07 00"));
            ASSERT_EQ(chain.cotp->Connect(), System::OkNoError);
        } else {
            ASSERT_EQ(chain.OpenTransport(c.sizeCode), System::OkNoError);
        }
        chain.tcp->ClearSent();
        const Bytes unit = Pattern(c.unit);
        ASSERT_EQ(chain.cotp->SendData(EncodedFrame(unit).get(), TransportLink::Handshake()), System::OkNoError);
        const auto tpdus = chain.SentTpdus();
        ASSERT_EQ(tpdus.size(), c.pieces.size());
        Bytes joined;
        for (std::size_t i = 0; i < tpdus.size(); ++i) {
            ASSERT_EQ(tpdus[i].size(), c.pieces[i] + 3);
            EXPECT_EQ(tpdus[i][0], 0x02);
            EXPECT_EQ(tpdus[i][1], 0xF0);
            EXPECT_EQ(tpdus[i][2], i + 1 == tpdus.size() ? 0x80 : 0x00);
            joined.insert(joined.end(), tpdus[i].begin() + 3, tpdus[i].end());
        }
        EXPECT_EQ(joined, unit);
    }
}

TEST(CotpConnection, SendDataRefusals) {
    CotpChain chain;
    const auto frame = EncodedFrame(Pattern(10));
    EXPECT_EQ(chain.cotp->SendData(frame.get(), TransportLink::Handshake()), System::Error);  // not open
    ASSERT_EQ(chain.OpenTransport(), System::OkNoError);
    EXPECT_EQ(chain.cotp->SendData(nullptr, TransportLink::Handshake()), System::InvalidArguments);
    auto unencoded = ReceivedFrame(Pattern(10));
    EXPECT_EQ(chain.cotp->SendData(unencoded.get(), TransportLink::Handshake()), System::InvalidArguments);
    EXPECT_EQ(chain.cotp->SendData(EncodedFrame({}).get(), TransportLink::Handshake()), System::Error);
    EXPECT_EQ(chain.cotp->SendExpedited(frame.get()), System::NotSupported);
    EXPECT_EQ(chain.SentTpdus().size(), 1u);  // the CR only
}

TEST(CotpConnection, SegmentsAreJoinedIntoOneUnit) {
    CotpChain chain;
    ASSERT_EQ(chain.OpenTransport(), System::OkNoError);
    chain.upper.Clear();
    EXPECT_EQ(chain.Receive(Dt(false, Hex("01 02"))), System::OkNoError);
    EXPECT_EQ(chain.Receive(Dt(false, Hex("03"))), System::OkNoError);
    EXPECT_EQ(chain.Receive(Dt(true, Hex("04 05"))), System::OkNoError);
    EXPECT_EQ(chain.Receive(Dt(true, Hex("06"))), System::OkNoError);
    EXPECT_EQ(chain.upper.Data(), (std::vector<Bytes>{Hex("01 02 03 04 05"), Hex("06")}));

    // A final DT with another code drops what was held; the next unit stands alone.
    chain.upper.Clear();
    EXPECT_EQ(chain.Receive(Dt(false, Hex("AA"))), System::OkNoError);
    EXPECT_EQ(chain.Receive(Hex("02 F1 80 BB")), System::Error);
    EXPECT_EQ(chain.Receive(Dt(true, Hex("CC"))), System::OkNoError);
    EXPECT_EQ(chain.upper.Data(), (std::vector<Bytes>{Hex("CC")}));
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateOpen);
}

TEST(CotpConnection, AUnitBeyondTheCapEndsTheConnection) {
    CotpChain chain;
    ASSERT_EQ(chain.OpenTransport(), System::OkNoError);
    chain.upper.Clear();
    const Bytes piece = Dt(false, Pattern(1021));
    System::ResultCode result = System::OkNoError;
    std::size_t sent = 0;
    while (result == System::OkNoError && sent <= CotpConnection::MaximumUnitSize) {
        result = chain.Receive(piece);
        sent += 1021;
    }
    EXPECT_EQ(result, System::ProtocolError);
    EXPECT_GT(sent, CotpConnection::MaximumUnitSize);
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
    EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{Lost});
    EXPECT_EQ(chain.itot->GetState(), 0);
}

TEST(CotpConnection, StrayUnitsChangeNothing) {
    CotpChain chain;
    ASSERT_EQ(chain.OpenTransport(), System::OkNoError);
    chain.upper.Clear();
    for (const char* hex : {"02", "02 50 00", "02 60 00", "01 F0", "05 F0 80 01"}) {
        SCOPED_TRACE(hex);
        EXPECT_EQ(chain.Receive(Hex(hex)), System::Error);
        EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateOpen);
    }
    EXPECT_TRUE(chain.upper.Events().empty());

    CotpChain closed;
    EXPECT_EQ(closed.Receive(Dt(true, Hex("01"))), System::Error);
}

TEST(CotpConnection, LossOfTheConnectionBelowIsReported) {
    CotpChain chain;
    ASSERT_EQ(chain.OpenTransport(), System::OkNoError);
    chain.upper.Clear();
    chain.tcp->DeliverClosed();
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
    EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{Lost});
}

TEST(CotpConnection, DisconnectClosesWithoutReportingALoss) {
    CotpChain chain;
    EXPECT_EQ(chain.cotp->Disconnect(TransportLink::Handshake()), System::Error);
    ASSERT_EQ(chain.OpenTransport(), System::OkNoError);
    chain.upper.Clear();
    EXPECT_EQ(chain.cotp->Disconnect(TransportLink::Handshake()), System::OkNoError);
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
    EXPECT_EQ(chain.itot->GetState(), 0);
    EXPECT_EQ(chain.tcp->Closes(), 1);
    EXPECT_TRUE(chain.upper.Events().empty());
}

TEST(CotpConnection, ResponderAcceptsARequestAndRefusesAWrongOne) {
    CotpChain chain;
    chain.itot->OnLowerBytes(nullptr, 0, ItotConnection::Connected);  // an accepted socket
    chain.tcp->SetState(TcpConnection::StateConnected);
    chain.upper.SetHook([&chain](const OsiTest::RecordingUpper::Record& record) {
        if (record.event == CotpConnection::ConnectIndication) chain.cotp->Accept();
    });
    ASSERT_EQ(chain.Receive(Hex("11 E0 00 00 12 34 00 C0 01 0A C2 02 00 05 C1 02 00 06")), System::OkNoError);
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateOpen);
    EXPECT_EQ(chain.SentTpdus(), std::vector<Bytes>{Hex("09 D0 12 34 00 01 00 C0 01 0A")});
    EXPECT_EQ(chain.cotp->GetPeerReference(), 0x1234);
    EXPECT_EQ(chain.cotp->GetSendSizeCode(), 10u);  // the size our confirm granted
    EXPECT_EQ(chain.cotp->Accept(), System::Error);
    EXPECT_EQ(chain.ReceiveUnit(Hex("01 00 01 00 AA")), System::OkNoError);
    EXPECT_EQ(chain.upper.Data(), std::vector<Bytes>{Hex("01 00 01 00 AA")});

    CotpChain refusing;
    refusing.tcp->SetState(TcpConnection::StateConnected);
    refusing.itot->OnLowerBytes(nullptr, 0, ItotConnection::Connected);
    ASSERT_EQ(refusing.Receive(Hex("06 E0 00 00 12 34 40")), System::OkNoError);  // class 2
    EXPECT_EQ(refusing.SentTpdus(), std::vector<Bytes>{Hex("06 80 12 34 00 01 00")});
    EXPECT_EQ(refusing.cotp->GetState(), CotpConnection::StateClosed);
    EXPECT_TRUE(refusing.upper.Events().empty());
}

TEST(CotpConnection, AConfirmWithoutARequestIsAnsweredWithADisconnect) {
    CotpChain chain;
    chain.tcp->SetState(TcpConnection::StateConnected);
    chain.itot->OnLowerBytes(nullptr, 0, ItotConnection::Connected);
    ASSERT_EQ(chain.Receive(Hex("06 D0 00 01 00 07 00")), System::OkNoError);
    EXPECT_EQ(chain.SentTpdus(), std::vector<Bytes>{Hex("06 80 00 00 00 00 00")});
}
