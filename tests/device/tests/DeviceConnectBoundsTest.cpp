// Peers that connect and never associate: each phase of the device's side of the set-up is
// bounded (from the accepted socket to the CR, from the CC to the accepted connect), so a
// silent socket, half a TPKT, a CR with no initiate after it and a peer that sends one
// octet at a time are closed by their bound and give their slots back, while a client
// that behaves is served beside them.

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DeviceClient.h"
#include "osi/CospConnection.h"
#include "osi/CotpConnection.h"
#include "osi/CrossedConnectClient.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

using DeviceTest::DeviceClient;

namespace {

// Short enough for a test, long enough for our own client to pass each phase at ease.
constexpr const char* PhaseBoundMs = "1000";
// Faster than the bound by far: were each octet to re-arm it, the trickle would never end.
constexpr auto TrickleInterval = std::chrono::milliseconds(50);
// How long a test waits for a close that must come; far beyond the bound.
constexpr auto CloseLimit = std::chrono::seconds(30);

const std::vector<std::uint8_t> ConnectRequest =
    TestSupport::BytesFromHex("03 00 00 16 11 E0 00 00 00 01 00 C0 01 0A C2 02 00 01 C1 02 00 01");

// A TCP peer of our own making on 127.0.0.1.
class RawPeer {
public:
    explicit RawPeer(std::uint16_t port) {
        socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = socket_ >= 0 && ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawPeer() {
        if (socket_ >= 0) ::close(socket_);
    }
    RawPeer(const RawPeer&) = delete;
    RawPeer& operator=(const RawPeer&) = delete;

    bool Connected() const { return connected_; }
    bool Send(const std::vector<std::uint8_t>& bytes) {
        return ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // The octets the device sends until at least count have come (fewer when the stream
    // ends or the limit passes).
    std::vector<std::uint8_t> Receive(std::size_t count) {
        std::vector<std::uint8_t> received;
        std::uint8_t buffer[256];
        while (received.size() < count && WaitReadable()) {
            const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            received.insert(received.end(), buffer, buffer + got);
        }
        return received;
    }
    // Whether the device ends the stream (whatever it sends first) within the limit.
    bool ClosedByDevice() {
        std::uint8_t buffer[256];
        while (WaitReadable()) {
            const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
            if (got == 0 || (got < 0 && errno != EINTR)) return true;
        }
        return false;
    }
    int Descriptor() const { return socket_; }

private:
    bool WaitReadable() {
        pollfd wait{socket_, POLLIN, 0};
        return ::poll(&wait, 1, static_cast<int>(std::chrono::milliseconds(CloseLimit).count())) == 1;
    }

    int socket_ = -1;
    bool connected_ = false;
};

// Sends a TPKT that announces 1024 octets, one octet at a time, until the stream ends or
// it is told to stop.
class Trickle {
public:
    explicit Trickle(RawPeer& peer) : peer_(peer), thread_([this] { Run(); }) {}
    ~Trickle() {
        stop_.store(true);
        thread_.join();
    }

private:
    void Run() {
        const std::vector<std::uint8_t> header{0x03, 0x00, 0x04, 0x00};
        for (std::size_t sent = 0; !stop_.load(); ++sent) {
            const std::uint8_t octet = sent < header.size() ? header[sent] : 0;
            if (::send(peer_.Descriptor(), &octet, 1, MSG_NOSIGNAL) != 1) return;
            std::this_thread::sleep_for(TrickleInterval);
        }
    }

    RawPeer& peer_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string ReadMode(MmsLoopback::Client& client) {
    auto* domain = new Mms::Domain(&client.User(), "LD0", &client.vmd);
    client.vmd.AddObject(domain);
    auto* variable = new Mms::NamedVariable(&client.User(), "LLN0$ST$Mod$stVal", domain);
    domain->AddObject(variable);
    if (client.User().RequestVariableAccessAttributes(variable) != System::OkNoError ||
        client.User().WaitForCurrentRequest() != System::OkNoError ||
        client.User().ReadVariableValueAndWait(variable) != System::OkNoError) {
        return "<failed>";
    }
    return MmsObjectTest::Text(*variable);
}

TestDevice::Device::Options BoundedDevice(int slots) {
    TestDevice::Device::Options options;
    options.associations = slots;
    options.profile = {{CotpConnection::ResponderCrTimeoutParameter, PhaseBoundMs},
                       {CospConnection::ResponderInitiateTimeoutParameter, PhaseBoundMs}};
    return options;
}

}  // namespace

TEST(DeviceConnectBounds, PeersThatNeverAssociateAreClosedByTheirBoundWhileAClientIsServed) {
    constexpr int Misbehaving = 4;
    TestDevice::Device device(BoundedDevice(Misbehaving + 1));
    ASSERT_EQ(device.Start(), System::OkNoError);

    RawPeer silent(device.Port());
    RawPeer halfPacket(device.Port());
    RawPeer connectOnly(device.Port());
    RawPeer trickling(device.Port());
    for (RawPeer* peer : {&silent, &halfPacket, &connectOnly, &trickling}) ASSERT_TRUE(peer->Connected());
    ASSERT_TRUE(halfPacket.Send({0x03, 0x00, 0x00, 0x16, 0x11, 0xE0, 0x00}));
    ASSERT_TRUE(connectOnly.Send(ConnectRequest));
    const std::vector<std::uint8_t> confirm = connectOnly.Receive(6);
    ASSERT_GE(confirm.size(), 6u);
    EXPECT_EQ(confirm[5], 0xD0);  // the CC: the second phase runs
    Trickle trickle(trickling);

    // The client that behaves takes the last slot and is served while the others hold theirs.
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    EXPECT_TRUE(TestSupport::Eventually([&] { return !device.ReadyToAccept(); }));
    EXPECT_EQ(client.Read("LD0", "LLN0$ST$Mod$stVal"), "1");

    EXPECT_TRUE(silent.ClosedByDevice());
    EXPECT_TRUE(halfPacket.ClosedByDevice());
    EXPECT_TRUE(connectOnly.ClosedByDevice());
    EXPECT_TRUE(trickling.ClosedByDevice());

    // The association outlives the bounds, and the slots the others held take clients again.
    EXPECT_EQ(client.Read("LD0", "LLN0$ST$Mod$stVal"), "1");
    ASSERT_TRUE(TestSupport::Eventually([&] { return device.ReadyToAccept(); }));
    std::vector<std::unique_ptr<MmsLoopback::Client>> others;
    for (int i = 0; i < Misbehaving; ++i) {
        auto& other = others.emplace_back(std::make_unique<MmsLoopback::Client>());
        ASSERT_TRUE(TestSupport::Eventually([&] { return other->Associate(device.Port()) == System::OkNoError; })) << i;
        EXPECT_EQ(ReadMode(*other), "1");
    }
    EXPECT_EQ(device.OpenAssociations(), Misbehaving + 1);
    for (auto& other : others) EXPECT_EQ(other->Release(), System::OkNoError);
    EXPECT_EQ(client.Release(), System::OkNoError);

    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(TestSupport::FindProblems(client.relay.Units(0)), "");
}

// A client that resets its connection right after its initiate, before the device has
// answered, many times over on the device's one slot, each followed by a client that
// associates as usual. The device holds its answer until the reset has reached its socket,
// so that the answer certainly cannot go: the crossed connect must leave nothing behind in
// the slot's chain (presentation, association control, MMS and the device's user), and
// every client after it is served there.
TEST(DeviceConnectBounds, AConnectCrossedByTheClientsResetLeavesTheSlotToTheNextClient) {
    TestDevice::Device::Options options;
    options.associations = 1;
    TestDevice::Device device(options);
    ASSERT_EQ(device.Start(), System::OkNoError);

    // The opening a client really sends, taken from the library's own client.
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    ASSERT_EQ(client.Release(), System::OkNoError);
    std::vector<std::uint8_t> sent;
    for (const TestSupport::WireUnit& unit : client.relay.Units(0)) {
        if (unit.fromClient) sent.insert(sent.end(), unit.bytes.begin(), unit.bytes.end());
    }
    std::vector<std::uint8_t> cr;
    std::vector<std::uint8_t> cn;
    ASSERT_TRUE(AssociationTest::CrossedConnectClient::CutOpening(sent, cr, cn));

    constexpr int Rounds = 50;
    for (int n = 1; n <= Rounds; ++n) {
        SCOPED_TRACE(n);
        TestDevice::Faults held;
        held.holdInitiateAnswer = true;
        device.SetFaults(held);
        AssociationTest::CrossedConnectClient crossed;
        ASSERT_TRUE(TestSupport::Eventually([&] { return device.ReadyToAccept(); }));
        ASSERT_TRUE(crossed.SendUpToInitiate(device.Port(), cr, cn));
        ASSERT_TRUE(device.WaitForHeldInitiates(n));
        const int deviceSocket = crossed.FindResponderSocket();
        crossed.Reset();
        const bool resetArrived =
            deviceSocket >= 0 && AssociationTest::CrossedConnectClient::WaitUntilResetArrives(deviceSocket);
        device.SetFaults({});
        ASSERT_TRUE(resetArrived);

        // The slot comes back once the crossed connect's end has climbed its chain.
        ASSERT_TRUE(TestSupport::Eventually([&] { return device.ReadyToAccept(); }));
        ASSERT_EQ(client.Associate(), System::OkNoError);
        EXPECT_EQ(device.OpenAssociations(), 1);
        EXPECT_EQ(client.Read("LD0", "LLN0$ST$Mod$stVal"), "1");
        ASSERT_EQ(client.Release(), System::OkNoError);
    }

    if (!TestSupport::WireCheckRuns()) return;
    const std::vector<TestSupport::WireUnit> units = client.relay.Units(Rounds);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* expected : {"initiate-ResponsePDU", "result: accepted (0)", "conclude-ResponsePDU"})
        EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
}
