// The order in which a TCP connection reports a closed stream and lets a local close or
// a new connect go on: the layers above must never hear of the new stream before the
// old one is gone.
#include "osi/W32TcpConnection.h"
#include "osi/W32TcpLayer.h"

#include "LoopbackPeer.h"
#include "RecordingUpper.h"
#include "support/StackProfile.h"
#include "system/Polling.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using OsiTest::LoopbackPeer;
using OsiTest::RecordingUpper;

namespace {

constexpr std::uint32_t Connected = 1;
constexpr std::uint32_t BytesReceived = 2;
constexpr std::uint32_t Closed = 3;

// Holds the receive thread inside the upper layer's handling of Closed until the
// test lets it go, as a slow upper layer (an association tearing down) would.
class ClosedGate {
public:
    void Hold(const RecordingUpper::Record& record) {
        if (record.event == Closed) HoldHere();
    }

    // Holds the calling thread wherever it is.
    void HoldHere() {
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        done_.store(true);
    }

    bool WaitEntered() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return entered_; });
    }

    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

    bool Done() const { return done_.load(); }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool open_ = false;
    std::atomic<bool> done_{false};
};

class TcpCloseOrderTest : public ::testing::Test {
protected:
    void SetUp() override {
        tcp = static_cast<W32TcpConnection*>(layer.BuildConnectionChain(nullptr));
        tcp->SetUpper(&upper);
        tcp->Reset();
    }

    void TearDown() override { gate.Open(); }

    void ConnectToPeer() {
        ASSERT_EQ(TestSupport::StackProfile::Address(peer.Port()).ApplyTo(tcp), System::OkNoError);
        ASSERT_EQ(tcp->Connect(), System::OkNoError);
        ASSERT_TRUE(peer.Accept());
    }

    ClosedGate gate;
    RecordingUpper upper;  // outlives the layer and so the receive thread
    LoopbackPeer peer;
    W32TcpLayer layer;
    W32TcpConnection* tcp = nullptr;
};

// A local close that meets the peer's close must not return while the receive thread
// is still carrying Closed up the stack: the caller would go on (reset, connect again)
// while that stale event is still arriving in the layers above.
TEST_F(TcpCloseOrderTest, CloseWaitsForAClosedReportStillClimbing) {
    ConnectToPeer();
    upper.SetHook([this](const RecordingUpper::Record& record) { gate.Hold(record); });
    peer.CloseConnection();
    ASSERT_TRUE(gate.WaitEntered());

    std::atomic<bool> returned{false};
    std::thread closer([&] {
        tcp->Close();
        returned.store(true);
    });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned.load()) << "Close returned while Closed was still being reported";
    gate.Open();
    closer.join();
    EXPECT_TRUE(gate.Done());
    EXPECT_EQ(upper.Count(Closed), 1u);
    EXPECT_EQ(tcp->GetState(), 0);
}

// A new connect while the previous stream's Closed is still climbing must wait for it,
// so that the layers above hear Closed of the old stream before Connected of the new.
TEST_F(TcpCloseOrderTest, ConnectAfterAPeerCloseWaitsForItsClosedReport) {
    ConnectToPeer();
    std::atomic<bool> connectedAfterClosed{false};
    upper.SetHook([&](const RecordingUpper::Record& record) {
        if (record.event == Connected) connectedAfterClosed.store(gate.Done());
        gate.Hold(record);
    });
    peer.CloseConnection();
    ASSERT_TRUE(gate.WaitEntered());

    ASSERT_EQ(TestSupport::StackProfile::Address(peer.Port()).ApplyTo(tcp), System::OkNoError);
    System::ResultCode result = System::Error;
    std::thread connector([&] { result = tcp->Connect(); });
    TestSupport::LeaveTimeForAFaultToShow(
        std::chrono::milliseconds(100));  // a connect that did not wait would report Connected here
    gate.Open();
    connector.join();
    ASSERT_EQ(result, System::OkNoError);
    ASSERT_TRUE(peer.Accept());
    EXPECT_TRUE(connectedAfterClosed.load());
    EXPECT_EQ(upper.Count(Connected), 2u);
    EXPECT_EQ(tcp->GetState(), 2);

    // The new stream is served.
    peer.CloseConnection();
    EXPECT_TRUE(upper.WaitFor(Closed, 2));
}

// An upper layer that closes the stream from within its handling of received bytes (a
// session refused by its peer) and goes on handling them: a caller woken meanwhile that
// closes too (the failed connect's close) must not return before that handling is over,
// or the rest of it (an abort of the refused connect) would reach its next attempt.
TEST_F(TcpCloseOrderTest, CloseWaitsForTheHandlingOfAStreamClosedOnTheReceiveThread) {
    ConnectToPeer();
    std::atomic<bool> handled{false};
    upper.SetHook([&](const RecordingUpper::Record& record) {
        if (record.event != BytesReceived) return;
        tcp->Close();
        gate.HoldHere();
        handled.store(true);
    });
    peer.Send({0x03, 0x00, 0x00, 0x04});
    ASSERT_TRUE(gate.WaitEntered());
    EXPECT_EQ(upper.Count(Closed), 1u);

    std::atomic<bool> returned{false};
    std::atomic<bool> handledWhenReturned{false};
    std::thread closer([&] {
        tcp->Close();
        handledWhenReturned.store(handled.load());
        returned.store(true);
    });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned.load()) << "Close returned while the receive thread still handled the closed stream";
    gate.Open();
    closer.join();
    EXPECT_TRUE(handledWhenReturned.load());
    EXPECT_EQ(upper.Count(Closed), 1u);
    EXPECT_EQ(tcp->GetState(), 0);

    // The next attempt connects and is served.
    ASSERT_EQ(TestSupport::StackProfile::Address(peer.Port()).ApplyTo(tcp), System::OkNoError);
    ASSERT_EQ(tcp->Connect(), System::OkNoError);
    ASSERT_TRUE(peer.Accept());
    peer.CloseConnection();
    EXPECT_TRUE(upper.WaitFor(Closed, 2));
}

// The same handling met by a new connect without a close first: the new stream's
// Connected comes only after the old stream's handling is over.
TEST_F(TcpCloseOrderTest, ConnectWaitsForTheHandlingOfAStreamClosedOnTheReceiveThread) {
    ConnectToPeer();
    std::atomic<bool> handled{false};
    std::atomic<bool> connectedAfterHandling{false};
    upper.SetHook([&](const RecordingUpper::Record& record) {
        if (record.event == Connected) connectedAfterHandling.store(handled.load());
        if (record.event != BytesReceived) return;
        tcp->Close();
        gate.HoldHere();
        handled.store(true);
    });
    peer.Send({0x03, 0x00, 0x00, 0x04});
    ASSERT_TRUE(gate.WaitEntered());

    ASSERT_EQ(TestSupport::StackProfile::Address(peer.Port()).ApplyTo(tcp), System::OkNoError);
    System::ResultCode result = System::Error;
    std::thread connector([&] { result = tcp->Connect(); });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(100));
    gate.Open();
    connector.join();
    ASSERT_EQ(result, System::OkNoError);
    ASSERT_TRUE(peer.Accept());
    EXPECT_TRUE(connectedAfterHandling.load());
    EXPECT_EQ(upper.Count(Connected), 2u);
    EXPECT_EQ(upper.Count(Closed), 1u);
}

// A client that reconnects while the served connection is still carrying the end of its
// last stream up is held for that connection, not turned away: the layers above hear
// Closed of the old stream, then Connected of the new, which is served.
TEST_F(TcpCloseOrderTest, AReconnectDuringTheTeardownOfTheLastStreamIsServedAfterIt) {
    ASSERT_EQ(layer.StartListening(0, 0), System::OkNoError);
    layer.AddWaitingConnection(tcp);
    const int first = LoopbackPeer::ConnectTo(layer.GetListenPort());
    ASSERT_GE(first, 0);
    ASSERT_TRUE(upper.WaitFor(Connected));
    upper.SetHook([this](const RecordingUpper::Record& record) { gate.Hold(record); });
    ::close(first);
    ASSERT_TRUE(gate.WaitEntered());

    const int second = LoopbackPeer::ConnectTo(layer.GetListenPort());
    ASSERT_GE(second, 0);
    pollfd ended{second, POLLIN, 0};
    EXPECT_EQ(::poll(&ended, 1, 100), 0) << "the reconnect was closed while the last stream was torn down";
    gate.Open();
    ASSERT_TRUE(upper.WaitFor(Connected, 2));
    const std::uint8_t byte = 7;
    ASSERT_EQ(::send(second, &byte, 1, MSG_NOSIGNAL), 1);
    EXPECT_TRUE(upper.WaitFor(BytesReceived));
    ::close(second);
    EXPECT_TRUE(upper.WaitFor(Closed, 2));
    layer.StopListening();
}

}  // namespace
