#include "osi/W32TcpConnection.h"
#include "osi/W32TcpLayer.h"
#include "protocol/RawFrame.h"

#include "FakeTcp.h"
#include "LoopbackPeer.h"
#include "RecordingUpper.h"
#include "SilentListener.h"
#include "support/StackProfile.h"
#include "system/Polling.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <span>
#include <string>
#include <thread>
#include <vector>

using OsiTest::FakeTcpConnection;
using OsiTest::FakeTcpLayer;
using OsiTest::LoopbackPeer;
using OsiTest::RecordingUpper;
using TestSupport::ElapsedSince;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t Connected = 1;
constexpr std::uint32_t Data = 2;
constexpr std::uint32_t Closed = 3;

TEST(TcpParameterTest, KeepAliveSecondsAreClampedTo1To20) {
    FakeTcpLayer layer;
    auto* tcp = static_cast<FakeTcpConnection*>(layer.BuildConnectionChain(nullptr));
    tcp->Reset();
    EXPECT_EQ(tcp->GetSettings().keepAliveTime, 5);
    EXPECT_EQ(tcp->GetSettings().keepAliveInterval, 5);
    const struct {
        const char* text;
        std::uint8_t seconds;
    } cases[] = {{"0", 1}, {"21", 20}, {"7", 7}, {"20", 20}, {"abc", 1}, {"300", 20}, {"256", 1}, {"7x", 7}, {" 3", 3}};
    for (const auto& c : cases) {
        ASSERT_EQ(tcp->SetParameter("KeepAliveTout", c.text), System::OkNoError);
        ASSERT_EQ(tcp->SetParameter("KeepAliveInt", c.text), System::OkNoError);
        EXPECT_EQ(tcp->GetSettings().keepAliveTime, c.seconds) << c.text;
        EXPECT_EQ(tcp->GetSettings().keepAliveInterval, c.seconds) << c.text;
    }
    tcp->Reset();
    EXPECT_EQ(tcp->GetSettings().keepAliveTime, 3);  // the last case's
    tcp->RestoreParameterDefaults();
    EXPECT_EQ(tcp->GetSettings().keepAliveTime, 5);
}

TEST(TcpParameterTest, OnlyTheAddressesReadBack) {
    W32TcpLayer layer;
    Protocol::Connection* tcp = layer.BuildConnectionChain(nullptr);
    std::string value = "untouched";
    EXPECT_EQ(tcp->SetParameter("RemoteNAddress", "127.0.0.1"), System::OkNoError);
    EXPECT_EQ(tcp->SetParameter("LocalNAddress", "here"), System::OkNoError);
    EXPECT_EQ(tcp->SetParameter("RemoteNPort", "102"), System::OkNoError);
    EXPECT_EQ(tcp->SetParameter("LocalNPort", "0"), System::OkNoError);
    EXPECT_EQ(tcp->SetParameter("RemoteNPort", "x"), System::InvalidArguments);
    EXPECT_EQ(tcp->SetParameter("RemoteTSelector", "0001"), System::NotSupported);
    EXPECT_EQ(tcp->SetParameter("remotenaddress", "a"), System::NotSupported);
    for (const char* name : {"RemoteNPort", "LocalNPort", "KeepAliveTout", "KeepAliveInt", "Other"})
        EXPECT_EQ(tcp->GetParameter(name, value), System::NotSupported) << name;
    EXPECT_EQ(value, "untouched");
    ASSERT_EQ(tcp->GetParameter("RemoteNAddress", value), System::OkNoError);
    EXPECT_EQ(value, "127.0.0.1");
    ASSERT_EQ(tcp->GetParameter("LocalNAddress", value), System::OkNoError);
    EXPECT_EQ(value, "here");

    // The end of a stream keeps what was given; only the chain's restore takes it back.
    tcp->Reset();
    ASSERT_EQ(tcp->GetParameter("RemoteNAddress", value), System::OkNoError);
    EXPECT_EQ(value, "127.0.0.1");
    tcp->RestoreParameterDefaults();
    ASSERT_EQ(tcp->GetParameter("RemoteNAddress", value), System::OkNoError);
    EXPECT_EQ(value, "");
    EXPECT_EQ(tcp->GetState(), 0);
    EXPECT_EQ(tcp->GetTimeout(), 10000u);
    EXPECT_EQ(tcp->GetMaxPduSize(), 256u);
}

// A TCP connection of a real layer with a recorder above it.
// The bound of a close or connect that must not wait for the connection's time-out.
constexpr long long kEndsWithinMs = 30000;

class TcpConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        tcp = static_cast<W32TcpConnection*>(layer.BuildConnectionChain(nullptr));
        tcp->SetUpper(&upper);
        tcp->Reset();
        // What a fault would wait for is far beyond the bound an honest end is held to
        // (kEndsWithinMs), however loaded the machine.
        tcp->SetTimeout(60000);
    }

    void Aim(const char* address, std::uint16_t port) {
        ASSERT_EQ(tcp->SetParameter("RemoteNAddress", address), System::OkNoError);
        ASSERT_EQ(tcp->SetParameter("RemoteNPort", std::to_string(port)), System::OkNoError);
    }

    void ConnectToPeer() {
        Aim("127.0.0.1", peer.Port());
        ASSERT_EQ(tcp->Connect(), System::OkNoError);
        ASSERT_TRUE(peer.Accept());
    }

    System::ResultCode SendBytes(const Bytes& bytes) {
        Protocol::RawFrame frame(nullptr);
        frame.Append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        return tcp->Send(&frame, TransportLink::Handshake());
    }

    RecordingUpper upper;  // outlives the layer and so the receive thread
    LoopbackPeer peer;
    W32TcpLayer layer;
    W32TcpConnection* tcp = nullptr;
};

TEST_F(TcpConnectionTest, ConnectExchangesBytesAndReportsThePeerClosing) {
    ConnectToPeer();
    EXPECT_EQ(tcp->GetState(), 2);
    EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{Connected}));
    std::string local;
    ASSERT_EQ(tcp->GetParameter("LocalNAddress", local), System::OkNoError);
    EXPECT_EQ(local.rfind("127.0.0.1+", 0), 0u) << local;
    EXPECT_GT(std::stoi(local.substr(10)), 0);

    const Bytes request = {1, 2, 3, 4, 5};
    ASSERT_EQ(SendBytes(request), System::OkNoError);
    EXPECT_EQ(peer.Receive(5), request);

    const Bytes answer = {9, 8, 7};
    peer.Send(answer);
    ASSERT_TRUE(upper.WaitForDataBytes(3));
    EXPECT_EQ(upper.Data(), (std::vector<Bytes>{answer}));

    peer.CloseConnection();
    ASSERT_TRUE(upper.WaitFor(Closed));
    EXPECT_TRUE(TestSupport::Eventually([&] { return tcp->GetState() == TcpConnection::StateIdle; }));
    EXPECT_EQ(SendBytes(request), System::NotConnected);

    // The same object connects again.
    upper.Clear();
    ConnectToPeer();
    peer.Send(answer);
    ASSERT_TRUE(upper.WaitForDataBytes(3));
    EXPECT_EQ(upper.Count(Closed), 0u);
}

TEST_F(TcpConnectionTest, ALargeSendArrivesWhole) {
    ConnectToPeer();
    Bytes large(3 * 1024 * 1024);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 31 + i / 256);
    std::thread sender([&] { EXPECT_EQ(SendBytes(large), System::OkNoError); });
    const Bytes received = peer.Receive(large.size());
    sender.join();
    EXPECT_TRUE(received == large);
}

TEST_F(TcpConnectionTest, AnUnresolvableNameFailsAfterThePause) {
    Aim("no-such-host.invalid", 102);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(tcp->Connect(), System::Error);
    EXPECT_GE(ElapsedSince(start).count(), 100);
    EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{Closed}));
    EXPECT_EQ(tcp->GetState(), 0);
}

TEST_F(TcpConnectionTest, APortWithoutListenerFails) {
    Aim("127.0.0.1", LoopbackPeer::UnusedPort());
    EXPECT_EQ(tcp->Connect(), System::Error);
    EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{Closed}));
    EXPECT_EQ(tcp->GetState(), 0);
    Aim("", 102);
    EXPECT_EQ(tcp->Connect(), System::Error);
}

TEST_F(TcpConnectionTest, ConnectIsBoundedByTheTimeout) {
    OsiTest::SilentListener silent;
    Aim("127.0.0.1", silent.Port());
    tcp->SetTimeout(300);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(tcp->Connect(), System::Error);
    const auto elapsed = ElapsedSince(start).count();
    EXPECT_GE(elapsed, 300);  // it did wait for an answer
    EXPECT_LT(elapsed, kEndsWithinMs);
    EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{Closed}));
}

TEST_F(TcpConnectionTest, CloseGivesUpAConnectUnderWay) {
    OsiTest::SilentListener silent;
    Aim("127.0.0.1", silent.Port());
    const auto start = std::chrono::steady_clock::now();
    std::thread connecting([&] { EXPECT_EQ(tcp->Connect(), System::Error); });
    EXPECT_TRUE(TestSupport::Eventually([&] { return silent.UnansweredConnects() > 0; }));
    tcp->Close();
    connecting.join();
    EXPECT_LT(ElapsedSince(start).count(), kEndsWithinMs);  // not the time-out
    EXPECT_EQ(tcp->GetState(), 0);
}

TEST_F(TcpConnectionTest, IdleConnectionRefusesSendsAndClosesQuietly) {
    EXPECT_EQ(SendBytes({1}), System::NotConnected);
    EXPECT_EQ(tcp->Send(nullptr, TransportLink::Handshake()), System::NotConnected);
    EXPECT_EQ(tcp->Close(), System::OkNoError);
    EXPECT_TRUE(upper.Events().empty());
}

TEST_F(TcpConnectionTest, SecondConnectWhileConnectedIsRefused) {
    ConnectToPeer();
    EXPECT_EQ(tcp->Connect(), System::AlreadyConnected);
    EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{Connected}));
}

TEST_F(TcpConnectionTest, LocalCloseReportsClosedOnceAndEndsTheStream) {
    ConnectToPeer();
    peer.Send({1, 2, 3});
    ASSERT_TRUE(upper.WaitForDataBytes(3));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(tcp->Close(), System::OkNoError);
    EXPECT_LT(ElapsedSince(start).count(), kEndsWithinMs);
    // Reported before Close returns, and from the receive thread.
    EXPECT_EQ(upper.Count(Closed), 1u);
    EXPECT_EQ(tcp->GetState(), 0);
    EXPECT_TRUE(peer.WaitForEndOfStream());
    EXPECT_EQ(tcp->Close(), System::OkNoError);
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));
    EXPECT_EQ(upper.Count(Closed), 1u);
}

TEST_F(TcpConnectionTest, CloseFromTheReceiveThreadDoesNotWaitForItself) {
    upper.SetHook([this](const RecordingUpper::Record& record) {
        if (record.event == Data) tcp->Close();
    });
    ConnectToPeer();
    const auto start = std::chrono::steady_clock::now();
    peer.Send({1});
    ASSERT_TRUE(upper.WaitFor(Closed));
    EXPECT_LT(ElapsedSince(start).count(), kEndsWithinMs);  // not the time-out
    EXPECT_TRUE(peer.WaitForEndOfStream());
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));
    EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{Connected, Data, Closed}));
    EXPECT_EQ(tcp->GetState(), 0);

    // And the connection is as good as new.
    upper.SetHook(nullptr);
    upper.Clear();
    ConnectToPeer();
    peer.Send({5, 6});
    ASSERT_TRUE(upper.WaitForDataBytes(2));
}

TEST_F(TcpConnectionTest, ResetDropsTheStreamWithoutReporting) {
    ConnectToPeer();
    tcp->Reset();
    EXPECT_EQ(tcp->GetState(), 0);
    EXPECT_TRUE(peer.WaitForEndOfStream());
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));
    EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{Connected}));
}

TEST_F(TcpConnectionTest, TheReceiveChunkFollowsTheMaximumPduSize) {
    ConnectToPeer();
    Bytes bytes(1000, 0x5A);
    peer.Send(bytes);
    ASSERT_TRUE(upper.WaitForDataBytes(bytes.size()));
    for (const Bytes& chunk : upper.Data()) EXPECT_LE(chunk.size(), 256u);
}

TEST_F(TcpConnectionTest, GatheredPacketsArriveBackToBackAndWhole) {
    // More pieces than one sendmsg takes, empty parts among them, and more bytes than
    // the socket's buffers hold at once (the send goes on after short sends).
    constexpr int packetCount = 1500;
    std::vector<Bytes> bodies;
    std::vector<TcpConnection::Packet> packets;
    const std::uint8_t head[2] = {0xA1, 0xA2};
    Bytes expected;
    for (int i = 0; i < packetCount; ++i) bodies.emplace_back(200 + i % 7, static_cast<std::uint8_t>(i));
    for (int i = 0; i < packetCount; ++i) {
        const std::span<const std::uint8_t> first(head, i % 3 == 0 ? 0 : 2);
        packets.push_back({{first, std::span<const std::uint8_t>(bodies[i]), std::span<const std::uint8_t>(head, 1)}});
        expected.insert(expected.end(), first.begin(), first.end());
        expected.insert(expected.end(), bodies[i].begin(), bodies[i].end());
        expected.push_back(head[0]);
    }
    EXPECT_EQ(tcp->SendPackets(packets, TransportLink::Handshake()), System::NotConnected);
    ConnectToPeer();
    // The peer reads while the packets go, so that a full socket buffer cannot stall them.
    auto received = std::async(std::launch::async, [&] { return peer.Receive(expected.size()); });
    ASSERT_EQ(tcp->SendPackets(packets, TransportLink::Handshake()), System::OkNoError);
    EXPECT_EQ(received.get(), expected);
}

// Each socket is a link of its own: once the next is taken in, nothing sent or closed for
// the last one touches it, and the receive thread's own answers go on the stream it serves.
TEST_F(TcpConnectionTest, SendsAndClosesActOnlyOnTheLinkTheyName) {
    ConnectToPeer();
    const TransportLink first = tcp->GetLink();
    ASSERT_TRUE(first.IsNumbered());
    EXPECT_EQ(tcp->Close(), System::OkNoError);
    ASSERT_TRUE(peer.WaitForEndOfStream());
    upper.Clear();
    ConnectToPeer();
    const TransportLink second = tcp->GetLink();
    EXPECT_NE(second, first);

    Protocol::RawFrame frame(nullptr);
    const Bytes bytes = {4, 2};
    frame.Append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    const TcpConnection::Packet packet{{std::span<const std::uint8_t>(bytes), {}, {}}};
    for (const TransportLink refused : {first, TransportLink::Served()}) {
        EXPECT_FALSE(tcp->IsCurrentLink(refused));
        EXPECT_EQ(tcp->Send(&frame, refused), System::NotConnected);
        EXPECT_EQ(tcp->SendPackets(std::span(&packet, 1), refused), System::NotConnected);
    }
    EXPECT_EQ(tcp->CloseLink(first), System::OkNoError);
    EXPECT_EQ(upper.Count(Closed), 0u);

    // The current link carries both ways; the receive thread answers on the stream it serves.
    upper.SetHook([&](const RecordingUpper::Record& record) {
        if (record.event == Data) {
            EXPECT_EQ(tcp->Send(&frame, TransportLink::Served()), System::OkNoError);
        }
    });
    ASSERT_EQ(tcp->Send(&frame, second), System::OkNoError);
    EXPECT_EQ(peer.Receive(2), bytes);
    peer.Send({7});
    EXPECT_EQ(peer.Receive(2), bytes);
    upper.SetHook(nullptr);
    EXPECT_EQ(tcp->CloseLink(second), System::OkNoError);
    EXPECT_EQ(upper.Count(Closed), 1u);
    EXPECT_TRUE(peer.WaitForEndOfStream());
}

enum class CloseWay { Close, CloseOnTheReceiveThread, Hangup, MarkedGraceful };

// How a local close ends the stream at the peer: in order only for a link marked for it (an
// answered release); every other close resets it, so that nothing the kernel still holds
// can reach the peer later, but only once the bytes handed over before it have arrived.
TEST_F(TcpConnectionTest, ALocalCloseResetsTheStreamUnlessItsLinkWasMarkedGraceful) {
    using End = LoopbackPeer::StreamEnd;
    struct Case {
        const char* name;
        CloseWay way;
        End end;
    };
    const Case cases[] = {
        {"close", CloseWay::Close, End::Reset},
        {"close on the receive thread", CloseWay::CloseOnTheReceiveThread, End::Reset},
        {"hang-up", CloseWay::Hangup, End::Reset},
        {"close of a link marked graceful", CloseWay::MarkedGraceful, End::Orderly},
    };
    const Bytes last = {1, 2, 3, 4};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        upper.Clear();
        ConnectToPeer();
        ASSERT_EQ(SendBytes(last), System::OkNoError);
        switch (c.way) {
            case CloseWay::Close: EXPECT_EQ(tcp->Close(), System::OkNoError); break;
            case CloseWay::CloseOnTheReceiveThread:
                upper.SetHook([this](const RecordingUpper::Record& record) {
                    if (record.event == Data) tcp->Close();
                });
                peer.Send({9});
                break;
            case CloseWay::Hangup: EXPECT_EQ(tcp->Hangup(), System::OkNoError); break;
            case CloseWay::MarkedGraceful:
                tcp->SetGracefulClose(tcp->GetLink());
                EXPECT_EQ(tcp->Close(), System::OkNoError);
                break;
        }
        EXPECT_EQ(peer.Receive(last.size()), last);
        EXPECT_EQ(peer.WaitForStreamEnd(), c.end);
        ASSERT_TRUE(upper.WaitFor(Closed));
        upper.SetHook(nullptr);
        ASSERT_TRUE(TestSupport::Eventually([&] { return tcp->GetState() == TcpConnection::StateIdle; }));
    }
}

TEST(TcpTeardownTest, DeletingAConnectedChainStopsTheReceiveThread) {
    RecordingUpper upper;
    LoopbackPeer peer;
    {
        W32TcpLayer layer;
        auto* tcp = static_cast<W32TcpConnection*>(layer.BuildConnectionChain(nullptr));
        tcp->SetUpper(&upper);
        tcp->Reset();
        ASSERT_EQ(TestSupport::StackProfile::Address(peer.Port()).ApplyTo(tcp), System::OkNoError);
        ASSERT_EQ(tcp->Connect(), System::OkNoError);
        ASSERT_TRUE(peer.Accept());
        peer.Send({1});
        ASSERT_TRUE(upper.WaitForDataBytes(1));
        // The receive thread now blocks in recv; the layer's destructor must wake it.
    }
    EXPECT_TRUE(peer.WaitForEndOfStream());
    EXPECT_EQ(upper.Count(Closed), 0u);  // a teardown reports nothing upwards
}

}  // namespace
