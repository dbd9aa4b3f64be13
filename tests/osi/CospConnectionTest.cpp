#include <gtest/gtest.h>

#include <functional>

#include "CotpChain.h"

using namespace CotpTest;

namespace {
constexpr std::uint32_t ConnectData = CospConnection::ConnectData;
constexpr std::uint32_t AcceptData = CospConnection::AcceptData;
constexpr std::uint32_t DataEvent = CospConnection::Data;
constexpr std::uint32_t TokensGiven = CospConnection::TokensGiven;
constexpr std::uint32_t AbortEvent = CospConnection::AbortIndication;

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Accept(const Bytes& requirements, const Bytes& userData) {
    Bytes ac = Join(Hex("0E 00 05 06 13 01 00 16 01 02 14 02"), requirements);
    ac = Join(ac, Hex("34 02 00 01 C1"));
    ac.push_back(static_cast<std::uint8_t>(userData.size()));
    ac = Join(ac, userData);
    ac[1] = static_cast<std::uint8_t>(ac.size() - 2);
    return ac;
}

const Bytes kCp = Hex("31 0A A0 08 80 02 07 80 A2 02 30 00");
const Bytes kCpa = Hex("31 06 A0 04 80 02 07 80");

// A session chain whose peer confirms the transport (no size named) and answers
// each session unit through the handler (its own units, if any, go back at once).
class SessionChain : public CotpChain {
public:
    SessionChain() : CotpChain(true) {
        cosp->SetParameter("LocalSSelector", "1");
        cosp->SetParameter("RemoteSSelector", "1");
        tcp->peer = [this](const Bytes& packet) {
            const Bytes tpdu = TpduOf(packet);
            if (tpdu.size() >= 2 && (tpdu[1] >> 4) == 0xE) {
                tcp->Deliver(Tpkt(Hex("06 D0 00 01 00 07 00")));
            } else if (tpdu.size() >= 3 && tpdu[1] == 0xF0) {
                units.push_back(Bytes(tpdu.begin() + 3, tpdu.end()));
                if (onUnit) onUnit(units.back());
            }
        };
    }

    // Connects with kCp; the peer accepts with kCpa.
    System::ResultCode Establish() {
        onUnit = [this](const Bytes& unit) {
            if (unit[0] == 0x0D) ReceiveUnit(Accept(Hex("00 02"), kCpa));
        };
        const System::ResultCode result = cosp->Connect(EncodedFrame(kCp).get());
        onUnit = nullptr;
        return result;
    }

    std::vector<Bytes> units;  // session units sent by us, joined per DT
    std::function<void(const Bytes&)> onUnit;
};
}  // namespace

TEST(CospConnection, ConnectSendsCnAndTheAcceptGoesUp) {
    SessionChain chain;
    chain.onUnit = [&chain](const Bytes& unit) {
        if (unit[0] == 0x0D) chain.ReceiveUnit(Accept(Hex("00 03"), kCpa));
    };
    ASSERT_EQ(chain.cosp->Connect(EncodedFrame(kCp).get()), System::OkNoError);
    ASSERT_EQ(chain.units.size(), 1u);
    EXPECT_EQ(chain.units[0],
              Join(Hex("0D 22 05 06 13 01 00 16 01 02 14 02 00 02 33 02 00 01 34 02 00 01 C1 0C"), kCp));
    EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateDataTransfer);
    // Half-duplex was never proposed: only duplex remains.
    EXPECT_EQ(chain.cosp->GetFunctionalUnits(), CospConnection::DuplexUnit);
    EXPECT_EQ(chain.cosp->GetTokenPosition(0), 4u);
    const auto records = chain.upper.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].event, AcceptData);
    EXPECT_EQ(records[0].bytes, kCpa);
}

TEST(CospConnection, DataTravelsAsGiveTokensAndDataTransfer) {
    SessionChain chain;
    ASSERT_EQ(chain.Establish(), System::OkNoError);
    chain.units.clear();
    const Bytes pdu = Pattern(500);  // several TPDUs of 128 octets
    ASSERT_EQ(chain.cosp->SendData(EncodedFrame(pdu).get(), TransportLink::Handshake()), System::OkNoError);
    Bytes sent;
    for (const Bytes& piece : chain.units) sent = Join(sent, piece);
    EXPECT_EQ(sent, Join(Hex("01 00 01 00"), pdu));
    EXPECT_EQ(chain.units.size(), 5u);  // 504 octets in pieces of 125

    chain.upper.Clear();
    EXPECT_EQ(chain.ReceiveUnit(Join(Hex("01 00 01 00"), pdu)), System::OkNoError);
    const auto records = chain.upper.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].event, TokensGiven);
    EXPECT_EQ(records[1].event, DataEvent);
    EXPECT_EQ(records[1].bytes, pdu);
}

TEST(CospConnection, UnitsThatAreNotHandled) {
    SessionChain chain;
    ASSERT_EQ(chain.Establish(), System::OkNoError);
    chain.upper.Clear();
    struct Case {
        const char* what;
        const char* unit;
        System::ResultCode result;
    };
    const Case cases[] = {
        {"finish", "09 03 11 01 01", System::NotImplemented},
        {"disconnect", "0A 00", System::NotImplemented},
        {"refuse", "0C 03 11 01 01", System::NotImplemented},
        {"abort", "19 03 11 01 01", System::NotImplemented},
        {"unknown SI", "03 00", System::ProtocolError},
        {"give tokens alone", "01 00", System::ProtocolError},
        {"data transfer cut short", "01 00 01 05 19", System::ProtocolError},
        {"one octet", "01", System::Error},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chain.ReceiveUnit(Hex(c.unit)), c.result) << c.what;
        EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateDataTransfer) << c.what;
    }
    EXPECT_TRUE(chain.upper.Events().empty());
    EXPECT_EQ(chain.cosp->SendData(nullptr, TransportLink::Handshake()), System::InvalidArguments);
}

TEST(CospConnection, RefuseWhileWaitingForTheAcceptFailsTheConnectAtOnce) {
    SessionChain chain;
    chain.onUnit = [&chain](const Bytes& unit) {
        if (unit[0] == 0x0D) chain.ReceiveUnit(Hex("0C 06 11 01 01 32 01 02"));
    };
    ASSERT_EQ(chain.cosp->Connect(EncodedFrame(kCp).get()), System::OkNoError);
    EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{AbortEvent});
    EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateIdle);
    EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
    EXPECT_EQ(chain.tcp->Closes(), 1);
}

// The peer's reason code is kept before the connect's failure goes up, so that the
// user of the session can say why the device refused; a new connect forgets it.
TEST(CospConnection, ARefusalsReasonReachesTheUser) {
    const struct {
        const char* name;
        const char* answer;
        bool refused;
        std::int32_t reason;
        const char* text;
    } cases[] = {
        {"rejected by the user", "0C 06 11 01 01 32 01 02", true, 2,
         "session refuse, reason 2 (rejection by the called session user)"},
        {"selector unknown", "0C 06 11 01 01 32 01 81", true, 129,
         "session refuse, reason 129 (session selector unknown)"},
        {"no reason code", "0C 03 11 01 01", true, 0, "session refuse without a reason code"},
        {"accepted", nullptr, false, 0, ""},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        SessionChain chain;
        chain.cosp->SetRefusal(Protocol::PeerRefusal{Protocol::PeerRefusal::Source::Transport, 3, 0, "earlier"});
        const Bytes answer = entry.answer != nullptr ? Hex(entry.answer) : Accept(Hex("00 02"), kCpa);
        chain.onUnit = [&chain, &answer](const Bytes& unit) {
            if (unit[0] == 0x0D) chain.ReceiveUnit(answer);
        };
        std::vector<Protocol::PeerRefusal> seen;
        chain.upper.SetHook([&](const OsiTest::RecordingUpper::Record&) { seen.push_back(chain.cosp->FindRefusal()); });
        ASSERT_EQ(chain.cosp->Connect(EncodedFrame(kCp).get()), System::OkNoError);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{entry.refused ? AbortEvent : AcceptData});
        if (!entry.refused) {
            EXPECT_FALSE(seen[0].IsSet());
            continue;
        }
        EXPECT_EQ(seen[0].source, Protocol::PeerRefusal::Source::Session);
        EXPECT_EQ(seen[0].reason, entry.reason);
        EXPECT_EQ(seen[0].text, entry.text);
    }
}

TEST(CospConnection, AMalformedAcceptFailsTheConnect) {
    SessionChain chain;
    chain.onUnit = [&chain](const Bytes& unit) {
        if (unit[0] == 0x0D) chain.ReceiveUnit(Hex("0E 06 14 02 00 02 C1 09"));
    };
    ASSERT_EQ(chain.cosp->Connect(EncodedFrame(kCp).get()), System::OkNoError);
    EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{AbortEvent});
    EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateIdle);
}

TEST(CospConnection, TransportFailuresFailTheConnectWithOneAbort) {
    struct Case {
        const char* what;
        std::function<void(SessionChain&)> arrange;
        System::ResultCode result;
    };
    const Case cases[] = {
        {"unreachable", [](SessionChain& c) { c.tcp->refuseConnect = true; }, System::Error},
        {"transport refused", [](SessionChain& c) { c.AnswerConnectRequest(Hex("06 80 00 01 00 07 00")); },
         System::ProtocolError},
        {"no frame", [](SessionChain&) {}, System::InvalidArguments},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SessionChain chain;
        chain.cosp->SetParameter("LocalSTimeout", "60000");
        chain.cotp->SetTimeout(60000);
        c.arrange(chain);
        const bool withFrame = c.result != System::InvalidArguments;
        EXPECT_EQ(chain.cosp->Connect(withFrame ? EncodedFrame(kCp).get() : nullptr), c.result);
        EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{AbortEvent});
        EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateIdle);
    }
}

TEST(CospConnection, ConnectOutsideTheIdleStateIsRefused) {
    SessionChain chain;
    ASSERT_EQ(chain.Establish(), System::OkNoError);
    chain.upper.Clear();
    EXPECT_EQ(chain.cosp->Connect(EncodedFrame(kCp).get()), System::InvalidState);
    EXPECT_EQ(chain.upper.Events(), std::vector<std::uint32_t>{AbortEvent});
    EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateIdle);
}

TEST(CospConnection, LossOfTheTransportIsAnAbortIndication) {
    SessionChain chain;
    ASSERT_EQ(chain.Establish(), System::OkNoError);
    chain.upper.Clear();
    chain.tcp->DeliverClosed();
    const auto records = chain.upper.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].event, AbortEvent);
    EXPECT_TRUE(records[0].withFrame);
    EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateIdle);
    EXPECT_EQ(chain.cosp->SendData(EncodedFrame(kCp).get(), TransportLink::Handshake()), System::InvalidState);
}

TEST(CospConnection, AbortEndsWhenThePeerReleasesTheTransportOrAnswersAa) {
    for (const bool peerCloses : {true, false}) {
        SCOPED_TRACE(peerCloses ? "peer closes" : "peer answers AA");
        SessionChain chain;
        chain.cosp->SetParameter("LocalSTimeout", "60000");  // a wait that ran out would show as a hang
        ASSERT_EQ(chain.Establish(), System::OkNoError);
        chain.units.clear();
        chain.upper.Clear();
        chain.onUnit = [&chain, peerCloses](const Bytes& unit) {
            if (unit[0] != 0x19) return;
            if (peerCloses) chain.tcp->DeliverClosed();
            else chain.ReceiveUnit(Hex("1A 00"));
        };
        EXPECT_EQ(chain.cosp->Abort(nullptr, TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
        EXPECT_EQ(chain.units, std::vector<Bytes>{Hex("19 03 11 01 01")});
        EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateIdle);
        EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
        // A transport that went is reported even under an abort: the layers above never
        // stand on it. An AA leaves nothing to report.
        const std::vector<std::uint32_t> reported =
            peerCloses ? std::vector<std::uint32_t>{CospConnection::AbortIndication} : std::vector<std::uint32_t>{};
        EXPECT_EQ(chain.upper.Events(), reported);
    }
}

TEST(CospConnection, AbortWithUserDataAndAPeerThatSaysNothing) {
    SessionChain chain;
    chain.cosp->SetParameter("LocalSTimeout", "30");
    ASSERT_EQ(chain.Establish(), System::OkNoError);
    chain.units.clear();
    EXPECT_EQ(
        chain.cosp->Abort(EncodedFrame(Hex("A8 03 80 01 01")).get(), TransportLink::Handshake(), AbortWait::ForPeer),
        System::OkNoError);
    EXPECT_EQ(chain.units, std::vector<Bytes>{Hex("19 0A 11 01 03 C1 05 A8 03 80 01 01")});
    EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateIdle);
    EXPECT_EQ(chain.tcp->Closes(), 1);
    EXPECT_EQ(chain.cosp->Abort(nullptr, TransportLink::Handshake(), AbortWait::ForPeer), System::InvalidState);
}

TEST(CospConnection, Parameters) {
    SessionChain chain;
    CospConnection* cosp = chain.cosp;
    EXPECT_EQ(cosp->SetParameter("LocalSTimeout", "2000"), System::OkNoError);
    EXPECT_EQ(cosp->GetTimeout(), 2000u);
    EXPECT_EQ(cosp->SetParameter("LocalSTimeout", "abc"), System::OkNoError);
    EXPECT_EQ(cosp->SetParameter("LocalSTimeout", "0"), System::OkNoError);
    EXPECT_EQ(cosp->GetTimeout(), 2000u);
    EXPECT_EQ(cosp->GetTimer().GetInterval(), 2000u);
    EXPECT_EQ(cosp->SetParameter("LocalSSelector", "x"), System::InvalidArguments);
    EXPECT_EQ(cosp->SetParameter("LocalSSelector", "70000"), System::InvalidArguments);
    EXPECT_EQ(cosp->SetParameter("RemoteSSelector", "513"), System::OkNoError);
    EXPECT_EQ(cosp->SetParameter("LocalTSelector", "1"), System::NotSupported);
    std::string value;
    EXPECT_EQ(cosp->GetParameter("RemoteSSelector", value), System::OkNoError);
    EXPECT_EQ(value, "513");
    EXPECT_EQ(cosp->GetParameter("LocalSTimeout", value), System::NotSupported);
}

TEST(CospConnection, ResponderIndicatesTheConnectAndAnswersIt) {
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "accepted" : "refused");
        SessionChain chain;
        chain.cosp->SetParameter("LocalSTimeout", "5000");
        chain.tcp->SetState(TcpConnection::StateConnected);
        chain.itot->OnLowerBytes(nullptr, 0, ItotConnection::Connected);
        ASSERT_EQ(chain.Receive(Hex("06 E0 00 00 00 09 00")), System::OkNoError);  // CR
        EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateAwaitingConnect);
        EXPECT_TRUE(chain.cosp->IsResponder());
        ASSERT_EQ(chain.ReceiveUnit(
                      Join(Hex("0D 22 05 06 13 01 00 16 01 02 14 02 00 02 33 02 00 01 34 02 00 01 C1 0C"), kCp)),
                  System::OkNoError);
        const auto records = chain.upper.Records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].event, ConnectData);
        EXPECT_EQ(records[0].bytes, kCp);
        EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateAwaitingResponse);
        if (accept) {
            ASSERT_EQ(chain.cosp->AcceptConnect(EncodedFrame(kCpa).get()), System::OkNoError);
            EXPECT_EQ(chain.units.back(), Accept(Hex("00 02"), kCpa));
            EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateDataTransfer);
        } else {
            ASSERT_EQ(chain.cosp->RefuseConnect(2, EncodedFrame(Hex("31 00")).get()), System::OkNoError);
            EXPECT_EQ(chain.units.back(), Hex("0C 08 11 01 01 32 03 02 31 00"));
            EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateAborting);
            EXPECT_FALSE(chain.cosp->GetTimer().IsExpired());
            chain.tcp->DeliverClosed();  // the initiator releases the transport
            EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateIdle);
        }
    }
}

// The peer resets the connection between its connect and the answer: the answer cannot
// go. Nothing of the connect may stay behind in any layer, or the next connect on the
// chain finds it taken: the transport is hung up, and its end climbs the chain as a lost
// transport's does, telling the layers above that had taken the connect as made.
TEST(CospConnection, AResponderAnswerThatCannotGoEndsTheTransportAndTellsTheLayersAbove) {
    struct Case {
        const char* what;
        bool accept;
        std::size_t abortsAbove;  // a refusal's users have let the connect go already
    };
    for (const Case& c : {Case{"accept", true, 1}, Case{"refusal", false, 0}}) {
        SCOPED_TRACE(c.what);
        SessionChain chain;
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE(round);
            chain.upper.Clear();
            chain.tcp->failSends = false;
            chain.tcp->SetState(TcpConnection::StateConnected);
            chain.itot->OnLowerBytes(nullptr, 0, ItotConnection::Connected);
            ASSERT_EQ(chain.Receive(Hex("06 E0 00 00 00 09 00")), System::OkNoError);  // CR
            ASSERT_EQ(chain.ReceiveUnit(
                          Join(Hex("0D 22 05 06 13 01 00 16 01 02 14 02 00 02 33 02 00 01 34 02 00 01 C1 0C"), kCp)),
                      System::OkNoError);
            ASSERT_EQ(chain.cosp->GetState(), CospConnection::StateAwaitingResponse);
            // Only the second round's peer is gone: the first shows that the chain took
            // its connect as if the crossed one had never been.
            chain.tcp->failSends = round == 1;
            const int closesBefore = chain.tcp->Closes();
            const System::ResultCode result = c.accept ? chain.cosp->AcceptConnect(EncodedFrame(kCpa).get())
                                                       : chain.cosp->RefuseConnect(2, EncodedFrame(Hex("31 00")).get());
            if (round == 0) {
                EXPECT_EQ(result, System::OkNoError);
                chain.tcp->DeliverClosed();
                continue;
            }
            EXPECT_EQ(result, System::Error);
            EXPECT_EQ(chain.tcp->Closes(), closesBefore + 1);
            EXPECT_EQ(chain.tcp->GetState(), TcpConnection::StateIdle);
            EXPECT_EQ(chain.cotp->GetState(), CotpConnection::StateClosed);
            EXPECT_EQ(chain.cosp->GetState(), CospConnection::StateIdle);
            EXPECT_EQ(chain.upper.Count(AbortEvent), c.abortsAbove);
        }
    }
}
