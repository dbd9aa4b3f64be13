#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "osi/CospConnection.h"
#include "osi/CospLayer.h"
#include "osi/CotpConnection.h"
#include "osi/CotpLayer.h"
#include "osi/ItotLayer.h"
#include "osi/TcpConnection.h"
#include "osi/W32TcpLayer.h"
#include "protocol/Stack.h"

#include "CotpTestBytes.h"
#include "LoopbackPeer.h"
#include "RecordingUpper.h"
#include "support/StackProfile.h"
#include "system/Polling.h"

using namespace CotpTest;
using OsiTest::RecordingUpper;
using Bytes = std::vector<std::uint8_t>;

namespace {
const Bytes kCp = Hex("31 0A A0 08 80 02 07 80 A2 02 30 00");
const Bytes kCpa = Hex("31 06 A0 04 80 02 07 80");

std::unique_ptr<Protocol::RawFrame> Encoded(const Bytes& bytes) {
    auto frame = ReceivedFrame(bytes);
    frame->SetState(Protocol::Frame::StateEncoded);
    return frame;
}

// One end of a test: TCP on sockets, RFC 1006, transport and, on request, session.
class OsiEnd {
public:
    explicit OsiEnd(bool withSession) {
        stack_.InsertLayer(&tcpLayer, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&itotLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&cotpLayer_, Protocol::Stack::OnTop, nullptr);
        if (withSession) stack_.InsertLayer(&cospLayer_, Protocol::Stack::OnTop, nullptr);
    }
    ~OsiEnd() { tcpLayer.StopListening(); }

    // A chain reporting to the recorder; aimed at the port, or waiting for a
    // socket that the listener accepts when port is 0.
    Protocol::Connection* NewChain(RecordingUpper& upper, std::uint16_t port) {
        Protocol::Connection* top = stack_.CreateConnection();
        top->SetUpper(&upper);
        TestSupport::StackProfile::Address(port).With("LocalSTimeout", "20000").ApplyTo(top);
        if (port == 0) tcpLayer.AddWaitingConnection(static_cast<TcpConnection*>(top->GetBottom()));
        return top;
    }

    W32TcpLayer tcpLayer;

private:
    ItotLayer itotLayer_;
    CotpLayer cotpLayer_;
    CospLayer cospLayer_;
    Protocol::Stack stack_;
};

CotpConnection* TransportOf(Protocol::Connection* top) { return dynamic_cast<CotpConnection*>(top); }
CospConnection* SessionOf(Protocol::Connection* top) { return dynamic_cast<CospConnection*>(top); }

std::chrono::milliseconds Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}
}  // namespace

TEST(CospLoopback, TransportOpensCarriesUnitsLargerThanItsTpdusBothWaysAndCloses) {
    RecordingUpper serverUpper;
    RecordingUpper clientUpper;
    OsiEnd server(false);
    OsiEnd client(false);
    ASSERT_EQ(server.tcpLayer.StartListening(0, 0), System::OkNoError);
    CotpConnection* responder = TransportOf(server.NewChain(serverUpper, 0));
    serverUpper.SetHook([responder](const RecordingUpper::Record& record) {
        if (record.event == CotpConnection::ConnectIndication) responder->Accept();
    });
    CotpConnection* initiator = TransportOf(client.NewChain(clientUpper, server.tcpLayer.GetListenPort()));

    ASSERT_EQ(initiator->Connect(), System::OkNoError);
    EXPECT_EQ(clientUpper.Events(), std::vector<std::uint32_t>{CotpConnection::Open});
    // Our responder's CC grants the proposed 1024 octets: that size both ways.
    EXPECT_EQ(initiator->GetSendSizeCode(), 10u);
    EXPECT_EQ(responder->GetSendSizeCode(), 10u);

    const Bytes up = Pattern(3000, 1);
    const Bytes down = Pattern(5000, 2);
    ASSERT_EQ(initiator->SendData(Encoded(up).get(), TransportLink::Handshake()), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(CotpConnection::Unit));
    ASSERT_TRUE(responder->GetState() == CotpConnection::StateOpen);
    ASSERT_EQ(responder->SendData(Encoded(down).get(), TransportLink::Handshake()), System::OkNoError);
    ASSERT_TRUE(clientUpper.WaitFor(CotpConnection::Unit));
    EXPECT_EQ(serverUpper.Data(), std::vector<Bytes>{up});
    EXPECT_EQ(clientUpper.Data(), std::vector<Bytes>{down});

    ASSERT_EQ(initiator->Disconnect(TransportLink::Handshake()), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(CotpConnection::Lost));
    EXPECT_EQ(clientUpper.Count(CotpConnection::Lost), 0u);
    EXPECT_EQ(initiator->GetState(), CotpConnection::StateClosed);
}

TEST(CospLoopback, SessionOpensCarriesDataBothWaysAndAborts) {
    RecordingUpper serverUpper;
    RecordingUpper clientUpper;
    OsiEnd server(true);
    OsiEnd client(true);
    ASSERT_EQ(server.tcpLayer.StartListening(0, 0), System::OkNoError);
    CospConnection* responder = SessionOf(server.NewChain(serverUpper, 0));
    serverUpper.SetHook([responder](const RecordingUpper::Record& record) {
        if (record.event == CospConnection::ConnectData) responder->AcceptConnect(Encoded(kCpa).get());
    });
    CospConnection* initiator = SessionOf(client.NewChain(clientUpper, server.tcpLayer.GetListenPort()));

    ASSERT_EQ(initiator->Connect(Encoded(kCp).get()), System::OkNoError);
    ASSERT_TRUE(clientUpper.WaitFor(CospConnection::AcceptData));
    EXPECT_EQ(serverUpper.Records().front().bytes, kCp);
    EXPECT_EQ(clientUpper.Records().front().bytes, kCpa);
    EXPECT_EQ(initiator->GetState(), CospConnection::StateDataTransfer);

    const Bytes up = Pattern(4000, 3);
    const Bytes down = Pattern(6000, 4);
    ASSERT_EQ(initiator->SendData(Encoded(up).get(), TransportLink::Handshake()), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(CospConnection::Data));
    ASSERT_EQ(responder->SendData(Encoded(down).get(), TransportLink::Handshake()), System::OkNoError);
    ASSERT_TRUE(clientUpper.WaitFor(CospConnection::Data));
    EXPECT_EQ(serverUpper.Records().back().bytes, up);
    EXPECT_EQ(clientUpper.Records().back().bytes, down);
    EXPECT_EQ(serverUpper.Count(CospConnection::TokensGiven), 1u);

    // Our responder sends no AA and leaves the close to us: the abort's wait ends only by
    // its time-out, short from here on (the connect above kept the long one).
    initiator->SetParameter("LocalSTimeout", "200");
    EXPECT_EQ(initiator->Abort(nullptr, TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(CospConnection::AbortIndication));
    EXPECT_EQ(initiator->GetState(), CospConnection::StateIdle);
    EXPECT_EQ(clientUpper.Count(CospConnection::AbortIndication), 0u);
}

TEST(CospLoopback, ARefusedSessionIsReportedAtOnce) {
    RecordingUpper serverUpper;
    RecordingUpper clientUpper;
    OsiEnd server(true);
    OsiEnd client(true);
    ASSERT_EQ(server.tcpLayer.StartListening(0, 0), System::OkNoError);
    CospConnection* responder = SessionOf(server.NewChain(serverUpper, 0));
    serverUpper.SetHook([responder](const RecordingUpper::Record& record) {
        if (record.event == CospConnection::ConnectData) responder->RefuseConnect(2, Encoded(Hex("31 00")).get());
    });
    CospConnection* initiator = SessionOf(client.NewChain(clientUpper, server.tcpLayer.GetListenPort()));

    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(initiator->Connect(Encoded(kCp).get()), System::OkNoError);
    // The refusing user's data goes up (the user above takes it, which ends its connect),
    // with the transport already closed below.
    ASSERT_TRUE(clientUpper.WaitFor(CospConnection::RefuseData));
    EXPECT_LT(Since(start), std::chrono::seconds(10));  // the session's time-out is 20 s
    EXPECT_EQ(clientUpper.Events(), std::vector<std::uint32_t>{CospConnection::RefuseData});
    EXPECT_EQ(clientUpper.Records().back().bytes, (std::vector<std::uint8_t>{0x31, 0x00}));
    EXPECT_EQ(initiator->GetState(), CospConnection::StateIdle);
    EXPECT_EQ(initiator->GetRefusal().source, Protocol::PeerRefusal::Source::Session);
    // The refusing side sees the transport go, and has nothing to report upwards.
    EXPECT_TRUE(TestSupport::Eventually([responder] { return responder->GetState() == CospConnection::StateIdle; }));
    EXPECT_EQ(serverUpper.Events(), std::vector<std::uint32_t>{CospConnection::ConnectData});
}

// A presentation user that does not take a refusal's user data, so that the session
// reports the end of the refused connect as an abort once that delivery returns; it
// holds the receive thread inside the delivery until the test lets it go, as a
// receive thread held up under load would be.
class SlowRefusalUser : public RecordingUpper {
public:
    System::ResultCode OnLowerBytes(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t event) override {
        RecordingUpper::OnLowerBytes(bytes, length, event);
        if (event != CospConnection::RefuseData) return System::OkNoError;
        entered.set_value();
        release.get_future().wait();
        return System::ProtocolError;
    }
    std::promise<void> entered;
    std::promise<void> release;
};

// The caller of a refused connect, woken by the refusal, closes and connects again: the
// last word of the refused connect (its abort) must have arrived before that close
// returns, never in the middle of the next attempt.
TEST(CospLoopback, ARefusedConnectIsOverBeforeTheCloseOfItsCallerReturns) {
    RecordingUpper serverUpper;
    SlowRefusalUser clientUpper;
    OsiEnd server(true);
    OsiEnd client(true);
    ASSERT_EQ(server.tcpLayer.StartListening(0, 0), System::OkNoError);
    CospConnection* responder = SessionOf(server.NewChain(serverUpper, 0));
    // The first connect is refused, the next one accepted.
    std::atomic<bool> refused{false};
    serverUpper.SetHook([responder, &refused](const RecordingUpper::Record& record) {
        if (record.event != CospConnection::ConnectData) return;
        if (!refused.exchange(true)) responder->RefuseConnect(2, Encoded(Hex("31 00")).get());
        else responder->AcceptConnect(Encoded(kCpa).get());
    });
    CospConnection* initiator = SessionOf(client.NewChain(clientUpper, server.tcpLayer.GetListenPort()));
    ASSERT_EQ(initiator->Connect(Encoded(kCp).get()), System::OkNoError);
    ASSERT_EQ(clientUpper.entered.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(clientUpper.Count(CospConnection::AbortIndication), 0u);

    std::atomic<bool> returned{false};
    std::atomic<std::size_t> abortsWhenReturned{0};
    std::thread closer([&] {
        initiator->Close();
        abortsWhenReturned.store(clientUpper.Count(CospConnection::AbortIndication));
        returned.store(true);
    });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned.load()) << "the close returned while the refusal was still being handled";
    clientUpper.release.set_value();
    closer.join();
    EXPECT_EQ(abortsWhenReturned.load(), 1u);

    // The next attempt is accepted, and hears nothing more of the refused one.
    ASSERT_TRUE(TestSupport::Eventually([responder] { return responder->GetState() == CospConnection::StateIdle; }));
    // The close reset the chain: the address goes in again, as an association pushes its profile.
    TestSupport::StackProfile::Address(server.tcpLayer.GetListenPort()).ApplyTo(initiator);
    ASSERT_EQ(initiator->Connect(Encoded(kCp).get()), System::OkNoError);
    ASSERT_TRUE(clientUpper.WaitFor(CospConnection::AcceptData));
    EXPECT_EQ(initiator->GetState(), CospConnection::StateDataTransfer);
    EXPECT_EQ(clientUpper.Count(CospConnection::AbortIndication), 1u);
    EXPECT_EQ(clientUpper.Count(CospConnection::RefuseData), 1u);
}

TEST(CospLoopback, ATransportRefusalEndsTheConnectAtOnce) {
    OsiTest::LoopbackPeer peer;
    RecordingUpper clientUpper;
    OsiEnd client(true);
    CospConnection* initiator = SessionOf(client.NewChain(clientUpper, peer.Port()));
    const auto start = std::chrono::steady_clock::now();
    auto connect = std::async(std::launch::async, [initiator] { return initiator->Connect(Encoded(kCp).get()); });
    ASSERT_TRUE(peer.Accept());
    EXPECT_EQ(peer.Receive(22), Tpkt(Hex("11 E0 00 00 00 01 00 C0 01 0A C2 02 00 01 C1 02 00 01")));
    peer.Send(Tpkt(Hex("06 80 00 01 00 00 01")));
    EXPECT_EQ(connect.get(), System::ProtocolError);
    // Not the transport's time-out (10 s), nor the session's.
    EXPECT_LT(Since(start), std::chrono::milliseconds(5000));
    EXPECT_EQ(clientUpper.Events(), std::vector<std::uint32_t>{CospConnection::AbortIndication});
    EXPECT_TRUE(peer.WaitForEndOfStream());
}

TEST(CospLoopback, NothingListeningFailsTheConnect) {
    RecordingUpper clientUpper;
    OsiEnd client(true);
    CospConnection* initiator = SessionOf(client.NewChain(clientUpper, OsiTest::LoopbackPeer::UnusedPort()));
    EXPECT_EQ(initiator->Connect(Encoded(kCp).get()), System::Error);
    EXPECT_EQ(clientUpper.Events(), std::vector<std::uint32_t>{CospConnection::AbortIndication});
    EXPECT_EQ(initiator->GetState(), CospConnection::StateIdle);
}

// An abort raised while handling received data (on the receive thread) cannot
// wait for an answer that only that thread would deliver: it ends at once.
TEST(CospLoopback, AnAbortOnTheReceiveThreadDoesNotWait) {
    RecordingUpper serverUpper;
    RecordingUpper clientUpper;
    OsiEnd server(true);
    OsiEnd client(true);
    ASSERT_EQ(server.tcpLayer.StartListening(0, 0), System::OkNoError);
    CospConnection* responder = SessionOf(server.NewChain(serverUpper, 0));
    serverUpper.SetHook([responder](const RecordingUpper::Record& record) {
        if (record.event == CospConnection::ConnectData) responder->AcceptConnect(Encoded(kCpa).get());
    });
    CospConnection* initiator = SessionOf(client.NewChain(clientUpper, server.tcpLayer.GetListenPort()));
    std::promise<std::pair<System::ResultCode, std::chrono::milliseconds>> aborted;
    clientUpper.SetHook([initiator, &aborted](const RecordingUpper::Record& record) {
        if (record.event != CospConnection::Data) return;
        const auto start = std::chrono::steady_clock::now();
        const System::ResultCode result = initiator->Abort(nullptr, TransportLink::Handshake(), AbortWait::ForPeer);
        aborted.set_value({result, Since(start)});
    });
    ASSERT_EQ(initiator->Connect(Encoded(kCp).get()), System::OkNoError);
    ASSERT_TRUE(clientUpper.WaitFor(CospConnection::AcceptData));
    ASSERT_EQ(responder->SendData(Encoded(Pattern(10)).get(), TransportLink::Handshake()), System::OkNoError);

    auto outcome = aborted.get_future();
    ASSERT_EQ(outcome.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    const auto [result, elapsed] = outcome.get();
    EXPECT_EQ(result, System::OkNoError);
    EXPECT_LT(elapsed, std::chrono::seconds(10));  // the session's time-out is 20 s
    ASSERT_TRUE(serverUpper.WaitFor(CospConnection::AbortIndication));
    EXPECT_EQ(initiator->GetState(), CospConnection::StateIdle);
}
