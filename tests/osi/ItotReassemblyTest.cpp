#include "osi/ItotConnection.h"
#include "osi/ItotLayer.h"
#include "protocol/RawFrame.h"
#include "protocol/Stack.h"

#include "FakeTcp.h"
#include "RecordingUpper.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using OsiTest::FakeTcpConnection;
using OsiTest::FakeTcpLayer;
using OsiTest::RecordingUpper;
using Bytes = std::vector<std::uint8_t>;

namespace {

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

Bytes Filled(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

const Bytes kCr = {0x06, 0xE0, 0x00, 0x00, 0x00, 0x01, 0x00};  // 7 octets
const Bytes kDt = {0x02, 0xF0, 0x80};

// An RFC 1006 connection over a fake TCP connection, connected, with a recorder above.
class ItotReassemblyTest : public ::testing::Test {
protected:
    void SetUp() override {
        stack.InsertLayer(&tcpLayer, Protocol::Stack::OnTop, nullptr);
        stack.InsertLayer(&itotLayer, Protocol::Stack::OnTop, nullptr);
        itot = static_cast<ItotConnection*>(stack.CreateConnection());
        tcp = static_cast<FakeTcpConnection*>(itot->GetLower());
        itot->SetUpper(&upper);
        ASSERT_EQ(itot->Connect(), System::OkNoError);
        upper.Clear();
    }

    System::ResultCode Feed(const Bytes& bytes) {
        return itot->OnLowerBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()), 2);
    }

    RecordingUpper upper;
    FakeTcpLayer tcpLayer;
    ItotLayer itotLayer;
    Protocol::Stack stack;
    ItotConnection* itot = nullptr;
    FakeTcpConnection* tcp = nullptr;
};

TEST_F(ItotReassemblyTest, TwoPacketsInOneChunkGiveTwoFramesInOrder) {
    EXPECT_EQ(Feed(Join({Tpkt(kCr), Tpkt(kDt)})), System::OkNoError);
    EXPECT_EQ(upper.Data(), (std::vector<Bytes>{kCr, kDt}));
    for (const auto& record : upper.Records()) EXPECT_TRUE(record.withFrame);
}

TEST_F(ItotReassemblyTest, EverySplitOfTheStreamGivesTheSameFrames) {
    const Bytes stream = Join({Tpkt(kCr), Tpkt(kDt), Tpkt({})});
    const std::vector<Bytes> expected{kCr, kDt, {}};
    for (std::size_t first = 1; first < stream.size(); ++first) {
        for (std::size_t second = first; second < stream.size(); ++second) {
            upper.Clear();
            Feed(Bytes(stream.begin(), stream.begin() + first));
            Feed(Bytes(stream.begin() + first, stream.begin() + second));
            Feed(Bytes(stream.begin() + second, stream.end()));
            ASSERT_EQ(upper.Data(), expected) << "cut at " << first << " and " << second;
        }
    }
    upper.Clear();
    for (std::uint8_t octet : stream) Feed({octet});
    EXPECT_EQ(upper.Data(), expected);
    EXPECT_EQ(upper.Count(3), 0u);
}

TEST_F(ItotReassemblyTest, AChunkLargerThanTheBufferIsTakenInTurns) {
    ASSERT_EQ(itot->SetMaxPduSize(1024), System::OkNoError);
    ASSERT_EQ(itot->GetReceiveCapacity(), 2056u);
    // A packet as large as the whole buffer, then a small one, in one chunk.
    const Bytes large = Filled(2056 - 4, 1);
    EXPECT_EQ(Feed(Join({Tpkt(kDt), Tpkt(large), Tpkt(kCr)})), System::OkNoError);
    EXPECT_EQ(upper.Data(), (std::vector<Bytes>{kDt, large, kCr}));
    EXPECT_EQ(upper.Count(3), 0u);
}

TEST_F(ItotReassemblyTest, MalformedPacketsCloseTheConnection) {
    const struct {
        const char* name;
        Bytes bad;
        std::uint32_t maxPdu;
    } cases[] = {
        {"version 4", {4, 0, 0, 7, 1, 2, 3}, 0},
        {"version 2", {2, 0, 0, 7, 1, 2, 3}, 0},
        {"reserved octet set", {3, 1, 0, 7, 1, 2, 3}, 0},
        {"length 0", {3, 0, 0, 0}, 0},
        {"length 3", {3, 0, 0, 3, 9, 9, 9}, 0},
        {"version alone", {0x45}, 0},
        {"longer than the buffer", {3, 0, 0x08, 0x09}, 1024},  // 2057 > 2056
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.maxPdu != 0) {
            ASSERT_EQ(itot->SetMaxPduSize(c.maxPdu), System::OkNoError);
        }
        upper.Clear();
        const int closesBefore = tcp->closes;
        // A good packet, then the bad one and a good one behind it in the same chunk.
        EXPECT_EQ(Feed(Join({Tpkt(kCr), c.bad, Tpkt(kDt)})), System::ProtocolError);
        EXPECT_EQ(upper.Data(), (std::vector<Bytes>{kCr}));
        EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{2, 3}));
        EXPECT_EQ(tcp->closes, closesBefore + 1);
        EXPECT_EQ(itot->GetState(), 0);
        EXPECT_EQ(itot->GetReceiveCapacity(), 2u * 65535);  // the reset restored the sizes

        // A new connection starts clean.
        ASSERT_EQ(itot->Connect(), System::OkNoError);
        upper.Clear();
        EXPECT_EQ(Feed(Tpkt(kDt)), System::OkNoError);
        EXPECT_EQ(upper.Data(), (std::vector<Bytes>{kDt}));
    }
}

TEST_F(ItotReassemblyTest, ALengthEqualToTheBufferIsStillTaken) {
    ASSERT_EQ(itot->SetMaxPduSize(1024), System::OkNoError);
    const Bytes large = Filled(2056 - 4, 3);
    const Bytes packet = Tpkt(large);
    for (std::size_t at = 0; at < packet.size(); at += 1000)
        Feed(Bytes(packet.begin() + at, packet.begin() + std::min(packet.size(), at + 1000)));
    EXPECT_EQ(upper.Data(), (std::vector<Bytes>{large}));
}

TEST_F(ItotReassemblyTest, ACloseFromBelowForgetsHalfAPacket) {
    Bytes half = Tpkt(kCr);
    half.resize(5);
    Feed(half);
    EXPECT_EQ(itot->OnLowerBytes(nullptr, 0, 3), System::OkNoError);
    EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(itot->GetState(), 0);

    ASSERT_EQ(itot->Connect(), System::OkNoError);
    upper.Clear();
    Feed(Tpkt(kDt));  // not taken as the rest of the old packet
    EXPECT_EQ(upper.Data(), (std::vector<Bytes>{kDt}));
}

TEST_F(ItotReassemblyTest, ACloseDuringDeliveryDropsTheRestOfTheChunk) {
    upper.SetHook([this](const RecordingUpper::Record& record) {
        if (record.event == 2) itot->Disconnect(TransportLink::Handshake());
    });
    Feed(Join({Tpkt(kCr), Tpkt(kDt), Tpkt(kDt)}));
    EXPECT_EQ(upper.Events(), (std::vector<std::uint32_t>{2, 3}));
    EXPECT_EQ(itot->GetState(), 0);
    upper.SetHook(nullptr);

    ASSERT_EQ(itot->Connect(), System::OkNoError);
    upper.Clear();
    Feed(Tpkt(kCr));
    EXPECT_EQ(upper.Data(), (std::vector<Bytes>{kCr}));
}

TEST_F(ItotReassemblyTest, EventsFromBelow) {
    itot->OnLowerBytes(nullptr, 0, 3);
    upper.Clear();
    EXPECT_EQ(itot->OnLowerBytes(nullptr, 0, 0), System::OkNoError);
    EXPECT_EQ(itot->OnLowerBytes(nullptr, 0, 4), System::Error);
    EXPECT_TRUE(upper.Events().empty());
    EXPECT_EQ(itot->GetState(), 0);
    EXPECT_EQ(itot->OnLowerBytes(nullptr, 0, 1), System::OkNoError);
    EXPECT_EQ(itot->GetState(), 2);
    EXPECT_EQ(itot->OnLowerBytes(nullptr, 0, 3), System::OkNoError);
    EXPECT_EQ(itot->GetState(), 0);
    const auto records = upper.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].event, 1u);
    EXPECT_FALSE(records[0].withFrame);
    EXPECT_EQ(records[1].event, 3u);
    EXPECT_FALSE(records[1].withFrame);
}

TEST_F(ItotReassemblyTest, MaxPduSizeSetsTheBufferAndTheTcpChunk) {
    const struct {
        std::uint32_t size;
        System::ResultCode result;
        std::uint32_t capacity;
        std::uint32_t tcpChunk;
    } cases[] = {
        {1024, 0, 2056, 16 * 1028}, {252, 0, 512, 16 * 256},   {251, 1, 512, 16 * 256},
        {4092, 0, 8192, 65536},     {65531, 0, 131070, 65536}, {65532, 1, 131070, 65536},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(itot->SetMaxPduSize(c.size), c.result) << c.size;
        EXPECT_EQ(itot->GetReceiveCapacity(), c.capacity) << c.size;
        EXPECT_EQ(tcp->GetMaxPduSize(), c.tcpChunk) << c.size;
    }
    // Part of a packet waiting: the buffer cannot change size under it.
    Feed({3, 0, 0});
    EXPECT_EQ(itot->SetMaxPduSize(1024), System::Error);
    EXPECT_EQ(itot->GetReceiveCapacity(), 131070u);
}

TEST_F(ItotReassemblyTest, SendFrameWrapsTheFrameInOnePacket) {
    Protocol::RawFrame frame(nullptr);
    ASSERT_EQ(frame.Append(kCr.data(), static_cast<std::uint32_t>(kCr.size())), System::OkNoError);
    ASSERT_EQ(itot->SendFrame(&frame, TransportLink::Handshake()), System::OkNoError);
    ASSERT_EQ(tcp->sent.size(), 1u);
    EXPECT_EQ(tcp->sent[0], Join({{3, 0, 0, 11}, kCr}));
    EXPECT_EQ(frame.GetTotalLength(), 7u);  // the caller keeps its frame as it was

    EXPECT_EQ(itot->SendFrame(nullptr, TransportLink::Handshake()), System::InvalidArguments);

    Protocol::RawFrame largest(nullptr);
    const Bytes maximum = Filled(65531, 5);
    ASSERT_EQ(largest.Append(maximum.data(), 65531), System::OkNoError);
    ASSERT_EQ(itot->SendFrame(&largest, TransportLink::Handshake()), System::OkNoError);
    ASSERT_EQ(tcp->sent.size(), 2u);
    EXPECT_EQ(Bytes(tcp->sent[1].begin(), tcp->sent[1].begin() + 4), (Bytes{3, 0, 0xFF, 0xFF}));
    EXPECT_EQ(tcp->sent[1].size(), 65535u);

    Protocol::RawFrame tooLong(nullptr);
    const Bytes one = {0};
    ASSERT_EQ(tooLong.Append(maximum.data(), 65531), System::OkNoError);
    ASSERT_EQ(tooLong.Append(one.data(), 1), System::OkNoError);
    EXPECT_EQ(itot->SendFrame(&tooLong, TransportLink::Handshake()), System::OutOfRange);
    EXPECT_EQ(tcp->sent.size(), 2u);

    tcp->Close();
    EXPECT_EQ(itot->SendFrame(&frame, TransportLink::Handshake()), System::NotConnected);
    EXPECT_EQ(tcp->sent.size(), 2u);
}

TEST_F(ItotReassemblyTest, DisconnectNeedsAConnection) {
    ASSERT_EQ(itot->Disconnect(TransportLink::Handshake()), System::OkNoError);
    EXPECT_EQ(tcp->closes, 1);
    EXPECT_EQ(itot->GetState(), 0);
    EXPECT_EQ(itot->Disconnect(TransportLink::Handshake()), System::Error);
    EXPECT_EQ(tcp->closes, 1);
}

TEST_F(ItotReassemblyTest, ParametersAndTheirResetDefaults) {
    std::string value;
    ASSERT_EQ(itot->GetParameter("RemoteNPort", value), System::OkNoError);
    EXPECT_EQ(value, "102");
    ASSERT_EQ(itot->GetParameter("LocalNPort", value), System::OkNoError);
    EXPECT_EQ(value, "102");

    EXPECT_EQ(itot->SetParameter("RemoteNPort", "40000"), System::OkNoError);
    EXPECT_EQ(itot->SetParameter("LocalNPort", "7"), System::OkNoError);
    EXPECT_EQ(itot->SetParameter("RemoteNAddress", "10.0.0.5"), System::OkNoError);
    EXPECT_EQ(itot->SetParameter("LocalNAddress", "host"), System::OkNoError);
    EXPECT_EQ(itot->SetParameter("RemoteNPort", "abc"), System::InvalidArguments);
    EXPECT_EQ(itot->SetParameter("RemoteNPort", "70000"), System::InvalidArguments);
    EXPECT_EQ(itot->SetParameter("LocalTSelector", "0001"), System::NotSupported);
    EXPECT_EQ(itot->SetParameter("remotenport", "1"), System::NotSupported);
    EXPECT_EQ(itot->GetParameter("KeepAliveTout", value), System::NotSupported);

    ASSERT_EQ(itot->GetParameter("RemoteNPort", value), System::OkNoError);
    EXPECT_EQ(value, "40000");
    ASSERT_EQ(itot->GetParameter("LocalNPort", value), System::OkNoError);
    EXPECT_EQ(value, "7");
    ASSERT_EQ(itot->GetParameter("RemoteNAddress", value), System::OkNoError);
    EXPECT_EQ(value, "10.0.0.5");
    ASSERT_EQ(itot->GetParameter("LocalNAddress", value), System::OkNoError);
    EXPECT_EQ(value, "host");

    // The end of a stream keeps what was given; only the chain's restore takes it back.
    itot->Reset();
    ASSERT_EQ(itot->GetParameter("RemoteNPort", value), System::OkNoError);
    EXPECT_EQ(value, "40000");
    itot->RestoreParameterDefaults();
    ASSERT_EQ(itot->GetParameter("RemoteNPort", value), System::OkNoError);
    EXPECT_EQ(value, "102");
    ASSERT_EQ(itot->GetParameter("LocalNPort", value), System::OkNoError);
    EXPECT_EQ(value, "102");
    EXPECT_EQ(itot->GetTimeout(), 10000u);
}

}  // namespace
