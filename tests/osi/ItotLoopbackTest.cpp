#include "osi/ItotConnection.h"
#include "osi/ItotLayer.h"
#include "osi/W32TcpLayer.h"
#include "protocol/RawFrame.h"
#include "protocol/Stack.h"

#include "LoopbackPeer.h"
#include "RecordingUpper.h"
#include "support/StackProfile.h"
#include "system/Polling.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

using OsiTest::LoopbackPeer;
using OsiTest::RecordingUpper;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr std::uint32_t Connected = 1;
constexpr std::uint32_t Tpdu = 2;
constexpr std::uint32_t Closed = 3;

Bytes Tpkt(const Bytes& tpdu) {
    const auto length = static_cast<std::uint16_t>(tpdu.size() + 4);
    Bytes packet{3, 0, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
    packet.insert(packet.end(), tpdu.begin(), tpdu.end());
    return packet;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes joined;
    for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

std::vector<Bytes> EveryByte(const Bytes& stream) {
    std::vector<Bytes> chunks;
    for (std::uint8_t octet : stream) chunks.push_back({octet});
    return chunks;
}

const Bytes kCr = {0x06, 0xE0, 0x00, 0x00, 0x00, 0x01, 0x00};
const Bytes kDt = {0x02, 0xF0, 0x80, 0x01, 0x02};

// The client side of TCP + RFC 1006 as the association builds it, aimed at a test peer.
class ItotClient {
public:
    explicit ItotClient(std::uint16_t port) {
        stack_.InsertLayer(&tcpLayer_, Protocol::Stack::OnTop, nullptr);
        stack_.InsertLayer(&itotLayer_, Protocol::Stack::OnTop, nullptr);
        itot = static_cast<ItotConnection*>(stack_.CreateConnection());
        itot->SetUpper(&upper);
        // As the association pushes its profile: every connection takes what it knows.
        TestSupport::StackProfile::Address(port).ApplyTo(itot);
    }

    RecordingUpper upper;  // outlives the layers below

private:
    W32TcpLayer tcpLayer_;
    ItotLayer itotLayer_;
    Protocol::Stack stack_;

public:
    ItotConnection* itot = nullptr;
};

struct StreamCase {
    const char* name;
    std::vector<Bytes> chunks;    // each one sent on its own
    std::vector<Bytes> expected;  // the TPDUs to be delivered, in order
    bool closedByUs;              // a framing error: our side ends the connection
    bool peerClosesAfter;         // the peer ends the connection after sending
};

TEST(ItotLoopbackTest, CraftedStreamsGiveExactlyTheRightFramesOrAClose) {
    const Bytes stream = Join({Tpkt(kCr), Tpkt(kDt), Tpkt({})});
    Bytes halfPacket = Tpkt(kDt);
    halfPacket.resize(6);
    const StreamCase cases[] = {
        {"several packets in one segment", {stream}, {kCr, kDt, {}}, false, false},
        {"split at every byte", EveryByte(stream), {kCr, kDt, {}}, false, false},
        {"split inside the header and the body",
         {Bytes(stream.begin(), stream.begin() + 2), Bytes(stream.begin() + 2, stream.begin() + 9),
          Bytes(stream.begin() + 9, stream.end())},
         {kCr, kDt, {}},
         false,
         false},
        {"bad version", {Tpkt(kCr), {4, 0, 0, 9, 1, 2, 3, 4, 5}, Tpkt(kDt)}, {kCr}, true, false},
        {"reserved octet set", {Join({Tpkt(kCr), {3, 7, 0, 9}})}, {kCr}, true, false},
        {"length below 4", {Join({Tpkt(kCr), {3, 0, 0, 2}, Tpkt(kDt)})}, {kCr}, true, false},
        {"peer closing mid-packet", {Tpkt(kCr), halfPacket}, {kCr}, false, true},
        {"peer closing between packets", {Tpkt(kCr)}, {kCr}, false, true},
    };
    LoopbackPeer peer;
    for (const StreamCase& c : cases) {
        SCOPED_TRACE(c.name);
        ItotClient client(peer.Port());
        ASSERT_EQ(client.itot->Connect(), System::OkNoError);
        ASSERT_TRUE(peer.Accept());
        for (const Bytes& chunk : c.chunks) {
            peer.Send(chunk);
            // Chunks that arrive in reads of their own are what reassembly is for.
            TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(1));
        }
        if (c.closedByUs) {
            ASSERT_TRUE(client.upper.WaitFor(Closed));
            EXPECT_TRUE(peer.WaitForEndOfStream());
        } else if (c.peerClosesAfter) {
            ASSERT_TRUE(client.upper.WaitFor(Tpdu, c.expected.size()));
            peer.CloseConnection();
            ASSERT_TRUE(client.upper.WaitFor(Closed));
        } else {
            ASSERT_TRUE(client.upper.WaitFor(Tpdu, c.expected.size()));
            TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));  // no further event
        }
        EXPECT_EQ(client.upper.Data(), c.expected);
        const std::size_t events = 1 + c.expected.size() + (c.closedByUs || c.peerClosesAfter ? 1 : 0);
        EXPECT_EQ(client.upper.Events().size(), events);
        EXPECT_EQ(client.upper.Events().front(), Connected);
        if (c.closedByUs || c.peerClosesAfter) {
            EXPECT_EQ(client.itot->GetState(), 0);
        }
    }
}

TEST(ItotLoopbackTest, APacketLongerThanTheNegotiatedBufferClosesTheConnection) {
    LoopbackPeer peer;
    ItotClient client(peer.Port());
    ASSERT_EQ(client.itot->Connect(), System::OkNoError);
    ASSERT_TRUE(peer.Accept());
    ASSERT_EQ(client.itot->SetMaxPduSize(1024), System::OkNoError);  // 2056 octets of buffer
    peer.Send(Join({Tpkt(kDt), Bytes{3, 0, 0x08, 0x09}}));           // 2057
    ASSERT_TRUE(client.upper.WaitFor(Closed));
    EXPECT_TRUE(peer.WaitForEndOfStream());
    EXPECT_EQ(client.upper.Data(), (std::vector<Bytes>{kDt}));
}

TEST(ItotLoopbackTest, AfterAPeerCloseMidPacketTheNextConnectionStartsClean) {
    LoopbackPeer peer;
    ItotClient client(peer.Port());
    ASSERT_EQ(client.itot->Connect(), System::OkNoError);
    ASSERT_TRUE(peer.Accept());
    peer.Send({3, 0, 0, 20, 1, 2});
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(5));  // the half packet read before the close
    peer.CloseConnection();
    ASSERT_TRUE(client.upper.WaitFor(Closed));

    TestSupport::StackProfile::Address(peer.Port()).ApplyTo(client.itot);
    ASSERT_EQ(client.itot->Connect(), System::OkNoError);
    ASSERT_TRUE(peer.Accept());
    peer.Send(Tpkt(kCr));
    ASSERT_TRUE(client.upper.WaitFor(Tpdu));
    EXPECT_EQ(client.upper.Data(), (std::vector<Bytes>{kCr}));
}

TEST(ItotLoopbackTest, ChainResetDefaults) {
    ItotClient client(102);
    Protocol::Connection* tcp = client.itot->GetLower();
    EXPECT_EQ(client.itot->GetState(), 0);
    EXPECT_EQ(tcp->GetState(), 0);
    EXPECT_EQ(client.itot->GetTimeout(), 10000u);
    EXPECT_EQ(tcp->GetTimeout(), 10000u);
    // Sized for the largest packet; as the top of this chain RFC 1006 is reset last,
    // after TCP, and so sets TCP's chunk too.
    EXPECT_EQ(client.itot->GetReceiveCapacity(), 2u * 65535);
    EXPECT_EQ(client.itot->GetMaxPduSize(), 0u);
    EXPECT_EQ(tcp->GetMaxPduSize(), 65536u);
    tcp->Reset();
    EXPECT_EQ(tcp->GetMaxPduSize(), 256u);
    std::string value;
    ASSERT_EQ(client.itot->GetParameter("RemoteNPort", value), System::OkNoError);
    EXPECT_EQ(value, "102");
}

TEST(ItotLoopbackTest, SendFramePutsOnePacketOnTheWire) {
    LoopbackPeer peer;
    ItotClient client(peer.Port());
    ASSERT_EQ(client.itot->Connect(), System::OkNoError);
    ASSERT_TRUE(peer.Accept());
    Protocol::RawFrame frame(nullptr);
    frame.Append(kCr.data(), static_cast<std::uint32_t>(kCr.size()));
    ASSERT_EQ(client.itot->SendFrame(&frame, TransportLink::Handshake()), System::OkNoError);
    EXPECT_EQ(peer.Receive(11), Join({{3, 0, 0, 11}, kCr}));

    ASSERT_EQ(client.itot->Disconnect(TransportLink::Handshake()), System::OkNoError);
    EXPECT_TRUE(peer.WaitForEndOfStream());
    EXPECT_EQ(client.upper.Events(), (std::vector<std::uint32_t>{Connected, Closed}));
    EXPECT_EQ(client.itot->SendFrame(&frame, TransportLink::Handshake()), System::NotConnected);
    EXPECT_EQ(client.itot->Disconnect(TransportLink::Handshake()), System::Error);
}

}  // namespace
