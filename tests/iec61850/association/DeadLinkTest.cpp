// A link that goes dead under an association (a switch on the way reboots: nothing tells
// either end) and comes back later. What the client gave up on, an Operate and a read
// confirmed as failed with the association aborted, must never reach the device when the
// link returns: the kernel would otherwise keep them, and the abort and the close after
// them, and retransmit them all. DeadLink runs this same program again inside a network
// namespace of its own, where routing rules cut and restore the device's port; without
// root or namespaces it is skipped. DeadLinkInside holds the tests that run in there.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/control/ControlClient.h"
#include "support/ShellCommand.h"
#include "support/VethNamespace.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kInsideVariable = "IEC_DEAD_LINK_IN_NETNS";
constexpr const char* kSwitch = "LD0/CSWI1.Pos";
const Iec61850::AttributeRecords kComponents = {
    {"ctlVal", "True"}, {"origin.orCat", "3"}, {"origin.orIdent", "5178"}, {"ctlNum", "7"}};

bool UnderThreadSanitizer() {
#if defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
    return true;
#endif
#endif
    return false;
}

TEST(DeadLink, NothingAClientGaveUpOnReachesTheDeviceWhenTheLinkComesBack) {
    if (UnderThreadSanitizer()) GTEST_SKIP() << "minutes of waiting for a link; the normal and ASan builds run it";
    if (const std::string why = TestSupport::WhyNoVethNamespace(); !why.empty()) GTEST_SKIP() << why;
    EXPECT_EQ(TestSupport::ProblemsOfTheTestsInVethNamespace(kInsideVariable, "DeadLinkInside.*", 1), "");
}

// Every packet to or from one TCP port dropped by the routing, both ways, until restored.
class CuttableLink {
public:
    explicit CuttableLink(std::uint16_t port) : port_(std::to_string(port)) {}
    ~CuttableLink() {
        if (cut_) Restore();
    }
    CuttableLink(const CuttableLink&) = delete;
    CuttableLink& operator=(const CuttableLink&) = delete;

    bool Cut() {
        cut_ = TestSupport::CommandSucceeds("ip rule add pref 10 ipproto tcp dport " + port_ + " blackhole") &&
               TestSupport::CommandSucceeds("ip rule add pref 11 ipproto tcp sport " + port_ + " blackhole");
        return cut_;
    }
    bool Restore() {
        cut_ = false;
        const bool to = TestSupport::CommandSucceeds("ip rule del pref 10");
        return TestSupport::CommandSucceeds("ip rule del pref 11") && to;
    }

private:
    const std::string port_;
    bool cut_ = false;
};

// The connections this side's kernel still keeps towards the port (the device's own
// sockets and closed ones that hold nothing aside): what it could still deliver there.
int ConnectionsKeptTowards(std::uint16_t port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);
    int kept = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        const auto portOf = [](const std::string& endpoint) {
            return static_cast<std::uint16_t>(std::stoul(endpoint.substr(endpoint.find(':') + 1), nullptr, 16));
        };
        // 06: TIME_WAIT, which holds no data.
        if (portOf(remote) == port && portOf(local) != port && state != "06") ++kept;
    }
    return kept;
}

enum class Ending { StallCheck, End };

struct DeadLinkCase {
    Ending ending;
    int backAfterSeconds;
};

class DeadLinkInside : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv(kInsideVariable)) GTEST_SKIP() << "runs inside the namespace that DeadLink makes";
        // The device listens on the loopback; the local routes are looked up after the
        // rules that cut the link.
        ASSERT_TRUE(TestSupport::CommandSucceeds(
            "ip link set lo up && ip rule add pref 100 lookup local && ip rule del pref 0"));
    }
};

// An Operate and a read sent on a dead link, then ended by the stall check (a short MMS
// time-out) or by End(): both confirmed as failed, the association aborted, and the link
// back 1, 3 or 8 s after they were sent. The kernel keeps nothing for the device (what it
// kept, it would retransmit whenever its back-off next allows, perhaps long after), and the
// device has received nothing twice that time plus a margin after they were sent.
TEST_F(DeadLinkInside, AnOperateAndAReadGivenUpOnNeverReachTheDevice) {
    const DeadLinkCase cases[] = {
        {Ending::StallCheck, 1}, {Ending::StallCheck, 3}, {Ending::StallCheck, 8},
        {Ending::End, 1},        {Ending::End, 3},        {Ending::End, 8},
    };
    for (const DeadLinkCase& c : cases) {
        SCOPED_TRACE(std::string(c.ending == Ending::End ? "End()" : "stall check") + ", link back after " +
                     std::to_string(c.backAfterSeconds) + " s");
        DeviceSession session;
        ControlClient& client = session.UseClient<ControlClient>();
        const std::uint16_t port = session.device.Port();
        session.Profile().SetParameter("RemoteNPort", std::to_string(port));
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter,
                                       c.ending == Ending::StallCheck ? "500" : "60000");
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        client.lockProbe = session.server.get();
        TPAppAssociation* association = client.GetAssociation();
        const std::size_t requestsBefore = session.device.RequestCount();
        const std::string positionBefore = session.device.GetValue("LD0/CSWI1$ST$Pos$stVal");

        CuttableLink link(port);
        ASSERT_TRUE(link.Cut());
        std::uint32_t operateId = 0;
        std::uint32_t readId = 0;
        ASSERT_EQ(client.Operate(operateId, kSwitch, kComponents, "False", "2026-12-07 09:30:00.000", "00",
                                 Activation::Immediate),
                  System::OkNoError);
        ASSERT_EQ(client.GetDataValues(readId, {"ST", "LD0/CSWI1.Pos.stVal"}, AnswerFrom::Device), System::OkNoError);
        const auto sent = Clock::now();
        if (c.ending == Ending::End) {
            // Both handed to the kernel first: an End before that would keep them from leaving at all.
            ASSERT_TRUE(TestSupport::Eventually([&] { return association->GetPendingCount() == 2; }));
            association->End();
        }
        const ControlConfirmation operate = client.WaitForControl(operateId);
        EXPECT_EQ(operate.callback, "Operate");
        EXPECT_NE(operate.result, System::OkNoError);
        const Confirmation read = client.WaitFor(readId);
        EXPECT_EQ(read.callback, "GetDataValues");
        EXPECT_NE(read.result, System::OkNoError);
        ASSERT_TRUE(client.WaitForAbort());
        EXPECT_FALSE(association->IsAssociated());
        EXPECT_TRUE(TestSupport::Eventually([&] { return ConnectionsKeptTowards(port) == 0; }))
            << ConnectionsKeptTowards(port) << " connection(s) still held towards the device";

        const auto back = std::chrono::seconds(c.backAfterSeconds);
        std::this_thread::sleep_until(sent + back);
        ASSERT_TRUE(link.Restore());
        std::this_thread::sleep_until(sent + 2 * back + std::chrono::milliseconds(1500));
        EXPECT_EQ(session.device.RequestCount(), requestsBefore);
        EXPECT_EQ(session.device.GetValue("LD0/CSWI1$ST$Pos$stVal"), positionBefore);
    }
}

}  // namespace
}  // namespace AcsiClientTest
