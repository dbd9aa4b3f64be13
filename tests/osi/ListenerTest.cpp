#include "osi/ItotConnection.h"
#include "osi/ItotLayer.h"
#include "osi/W32TcpConnection.h"
#include "osi/W32TcpLayer.h"
#include "protocol/RawFrame.h"
#include "protocol/Stack.h"

#include "LoopbackPeer.h"
#include "RecordingUpper.h"
#include "support/StackProfile.h"
#include "system/Polling.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

using OsiTest::LoopbackPeer;
using OsiTest::RecordingUpper;
using TestSupport::Eventually;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t Connected = 1;
constexpr std::uint32_t Tpdu = 2;
constexpr std::uint32_t Closed = 3;

// TCP + RFC 1006 layers and the chains made from them; each chain's RFC 1006
// connection reports to its own recorder.
class OsiEnd {
public:
    OsiEnd() {
        stack_.InsertLayer(&tcpLayer, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&itotLayer_, Protocol::Stack::OnTop, nullptr);
    }

    ItotConnection* NewChain(RecordingUpper& upper) {
        auto* itot = static_cast<ItotConnection*>(stack_.CreateConnection());
        itot->SetUpper(&upper);
        return itot;
    }

    // A chain whose TCP connection waits for the next accepted socket.
    ItotConnection* NewListeningChain(RecordingUpper& upper) {
        ItotConnection* itot = NewChain(upper);
        tcpLayer.AddWaitingConnection(static_cast<TcpConnection*>(itot->GetBottom()));
        return itot;
    }

    static void Aim(ItotConnection* itot, std::uint16_t port) {
        TestSupport::StackProfile::Address(port).ApplyTo(itot);
    }

    W32TcpLayer tcpLayer;

private:
    ItotLayer itotLayer_;
    Protocol::Stack stack_;
};

System::ResultCode SendTpdu(ItotConnection* itot, const Bytes& tpdu) {
    Protocol::RawFrame frame(nullptr);
    frame.Append(tpdu.data(), static_cast<std::uint32_t>(tpdu.size()));
    return itot->SendFrame(&frame, TransportLink::Handshake());
}

Bytes Numbered(std::size_t size, std::uint32_t number) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(number * 13 + i);
    return bytes;
}

class ListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server.tcpLayer.StartListening(0, 0), System::OkNoError);
        port = server.tcpLayer.GetListenPort();
        ASSERT_NE(port, 0);
    }

    // Recorders first: they outlive both ends' receive threads.
    RecordingUpper serverUpper;
    RecordingUpper clientUpper;
    OsiEnd server;
    OsiEnd client;
    std::uint16_t port = 0;
};

TEST_F(ListenerTest, ClientAndListenerExchangeFramesBothWays) {
    ItotConnection* served = server.NewListeningChain(serverUpper);
    ItotConnection* caller = client.NewChain(clientUpper);
    OsiEnd::Aim(caller, port);
    ASSERT_EQ(caller->Connect(), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(Connected));
    EXPECT_EQ(served->GetState(), 2);

    // The server answers every TPDU from its receive thread, as a responder does.
    serverUpper.SetHook([served](const RecordingUpper::Record& record) {
        if (record.event == Tpdu) {
            Bytes answer = record.bytes;
            answer.push_back(0xAA);
            EXPECT_EQ(SendTpdu(served, answer), System::OkNoError);
        }
    });
    std::vector<Bytes> sent;
    for (std::uint32_t i = 0; i < 50; ++i) {
        sent.push_back(Numbered(1 + i * 97, i));
        ASSERT_EQ(SendTpdu(caller, sent.back()), System::OkNoError);
    }
    ASSERT_TRUE(clientUpper.WaitFor(Tpdu, sent.size()));
    EXPECT_EQ(serverUpper.Data(), sent);
    std::vector<Bytes> answers = sent;
    for (Bytes& answer : answers) answer.push_back(0xAA);
    EXPECT_EQ(clientUpper.Data(), answers);

    // And from the server's side unprompted, from this thread.
    serverUpper.SetHook(nullptr);
    ASSERT_EQ(SendTpdu(served, {7, 7, 7}), System::OkNoError);
    ASSERT_TRUE(clientUpper.WaitFor(Tpdu, sent.size() + 1));
    EXPECT_EQ(clientUpper.Data().back(), (Bytes{7, 7, 7}));
}

TEST_F(ListenerTest, ClosingFromTheClientEndsBothSides) {
    ItotConnection* served = server.NewListeningChain(serverUpper);
    ItotConnection* caller = client.NewChain(clientUpper);
    OsiEnd::Aim(caller, port);
    ASSERT_EQ(caller->Connect(), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(Connected));

    ASSERT_EQ(caller->Disconnect(TransportLink::Handshake()), System::OkNoError);
    EXPECT_EQ(clientUpper.Events(), (std::vector<std::uint32_t>{Connected, Closed}));
    ASSERT_TRUE(serverUpper.WaitFor(Closed));
    EXPECT_TRUE(Eventually([&] { return served->GetState() == 0 && served->GetBottom()->GetState() == 0; }));

    // The served chain still waits and takes the next connection.
    OsiEnd::Aim(caller, port);
    ASSERT_EQ(caller->Connect(), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(Connected, 2));
    ASSERT_EQ(SendTpdu(caller, {1, 2, 3}), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(Tpdu));
}

TEST_F(ListenerTest, ClosingFromTheServerEndsBothSides) {
    ItotConnection* served = server.NewListeningChain(serverUpper);
    ItotConnection* caller = client.NewChain(clientUpper);
    OsiEnd::Aim(caller, port);
    ASSERT_EQ(caller->Connect(), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(Connected));

    ASSERT_EQ(served->Disconnect(TransportLink::Handshake()), System::OkNoError);
    EXPECT_EQ(serverUpper.Events(), (std::vector<std::uint32_t>{Connected, Closed}));
    ASSERT_TRUE(clientUpper.WaitFor(Closed));
    EXPECT_TRUE(Eventually([&] { return caller->GetState() == 0; }));
}

TEST_F(ListenerTest, ClosingFromTheReceiveThreadOnBothSides) {
    ItotConnection* served = server.NewListeningChain(serverUpper);
    ItotConnection* caller = client.NewChain(clientUpper);
    // The server drops the connection when the first TPDU arrives, on its receive
    // thread; the client does the same when it hears about it.
    serverUpper.SetHook([served](const RecordingUpper::Record& record) {
        if (record.event == Tpdu) served->Disconnect(TransportLink::Handshake());
    });
    clientUpper.SetHook([caller](const RecordingUpper::Record& record) {
        if (record.event == Closed) caller->Close();
    });
    OsiEnd::Aim(caller, port);
    ASSERT_EQ(caller->Connect(), System::OkNoError);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(SendTpdu(caller, {1}), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(Closed));
    ASSERT_TRUE(clientUpper.WaitFor(Closed));
    EXPECT_LT(TestSupport::ElapsedSince(start).count(), 5000);
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));
    EXPECT_EQ(serverUpper.Count(Closed), 1u);
    EXPECT_EQ(clientUpper.Count(Closed), 1u);
    EXPECT_EQ(served->GetState(), 0);
    EXPECT_EQ(caller->GetState(), 0);
}

TEST_F(ListenerTest, ASocketThatNoConnectionTakesIsClosed) {
    // No waiting connection at all.
    const int orphan = LoopbackPeer::ConnectTo(port);
    ASSERT_GE(orphan, 0);
    char byte = 0;
    // Refused with a reset (no local close but an answered release ends in order), not a hang.
    EXPECT_EQ(::recv(orphan, &byte, 1, 0), -1);
    EXPECT_EQ(errno, ECONNRESET);
    ::close(orphan);

    // A waiting connection that is busy does not take a second socket either.
    server.NewListeningChain(serverUpper);
    ItotConnection* caller = client.NewChain(clientUpper);
    OsiEnd::Aim(caller, port);
    ASSERT_EQ(caller->Connect(), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(Connected));
    const int second = LoopbackPeer::ConnectTo(port);
    ASSERT_GE(second, 0);
    EXPECT_EQ(::recv(second, &byte, 1, 0), -1);
    EXPECT_EQ(errno, ECONNRESET);
    ::close(second);
    EXPECT_EQ(serverUpper.Count(Connected), 1u);
}

TEST_F(ListenerTest, StopListeningRefusesNewConnectionsAndCanStartAgain) {
    EXPECT_TRUE(server.tcpLayer.IsListening());
    EXPECT_EQ(server.tcpLayer.StartListening(0, 0), System::InvalidState);
    EXPECT_EQ(server.tcpLayer.StopListening(), System::OkNoError);
    EXPECT_FALSE(server.tcpLayer.IsListening());
    EXPECT_LT(LoopbackPeer::ConnectTo(port), 0);

    ASSERT_EQ(server.tcpLayer.StartListening(5, port), System::OkNoError);
    EXPECT_EQ(server.tcpLayer.GetListenArgument(), 5);
    server.NewListeningChain(serverUpper);
    ItotConnection* caller = client.NewChain(clientUpper);
    OsiEnd::Aim(caller, port);
    ASSERT_EQ(caller->Connect(), System::OkNoError);
    ASSERT_TRUE(serverUpper.WaitFor(Connected));
}

TEST_F(ListenerTest, WaitingListBookkeeping) {
    ItotConnection* served = server.NewListeningChain(serverUpper);
    auto* bottom = static_cast<TcpConnection*>(served->GetBottom());
    EXPECT_EQ(server.tcpLayer.RemoveWaitingConnection(bottom), System::OkNoError);
    EXPECT_EQ(server.tcpLayer.RemoveWaitingConnection(bottom), System::Error);
    // Taken off the list, it is not served: the socket is closed.
    const int orphan = LoopbackPeer::ConnectTo(port);
    char byte = 0;
    EXPECT_EQ(::recv(orphan, &byte, 1, 0), -1);
    EXPECT_EQ(errno, ECONNRESET);
    ::close(orphan);
    EXPECT_EQ(serverUpper.Count(Connected), 0u);
    EXPECT_EQ(served->GetBottom(), bottom);  // still alive, still in its chain
}

TEST(ListenerTeardownTest, DestroyingTheServerWhileConnectedEndsWithoutHangs) {
    RecordingUpper serverUpper;
    RecordingUpper clientUpper;
    OsiEnd client;
    ItotConnection* caller = client.NewChain(clientUpper);
    {
        OsiEnd server;
        ASSERT_EQ(server.tcpLayer.StartListening(0, 0), System::OkNoError);
        server.NewListeningChain(serverUpper);
        server.NewListeningChain(serverUpper);
        OsiEnd::Aim(caller, server.tcpLayer.GetListenPort());
        ASSERT_EQ(caller->Connect(), System::OkNoError);
        ASSERT_TRUE(serverUpper.WaitFor(Connected));
    }
    ASSERT_TRUE(clientUpper.WaitFor(Closed));
}

}  // namespace
