// Live capture on a veth pair. GooseLive runs this same program again inside a network
// and mount namespace of its own (with sysfs mounted for it), where the pair is created;
// the namespace dies with that process, so nothing is left behind. Without root or
// namespaces the test is skipped. GooseLiveInside holds the tests that run in there.

#include "app/goose/ErrorCollector.h"
#include "app/goose/GooseCapture.h"
#include "app/goose/GooseFrameBuilder.h"
#include "support/ShellCommand.h"
#include "support/VethNamespace.h"

#include <gtest/gtest.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

using namespace GooseTest;
using Clock = std::chrono::steady_clock;

constexpr const char* kInsideVariable = "IEC_GOOSE_IN_NETNS";

TEST(GooseLive, CaptureOnAVethPairInANetworkNamespace) {
    if (const std::string why = TestSupport::WhyNoVethNamespace(); !why.empty()) GTEST_SKIP() << why;
    EXPECT_EQ(TestSupport::ProblemsOfTheTestsInVethNamespace(kInsideVariable, "GooseLiveInside.*", 3), "");
}

class GooseLiveInside : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv(kInsideVariable)) GTEST_SKIP() << "runs inside the namespace that GooseLive makes";
        ASSERT_TRUE(CarrierBecomes("veth0", "1"));
        ASSERT_TRUE(injector_.Ready());
    }

    // The kernel brings the carrier up (or down) a moment after the link changes.
    static bool CarrierBecomes(const std::string& name, const std::string& state) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (TestSupport::ReadFirstLine("/sys/class/net/" + name + "/carrier") != state) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // The index of veth0 in the adapter list, found by its MAC; -1 when it is not listed.
    static int Veth0Index(CGooseCapture& capture) {
        const std::string mac = TestSupport::Veth0MacText();
        capture.EnumerateAdapters();
        std::vector<std::string> names;
        capture.GetAdapterNames(names);
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i].find(mac) != std::string::npos) return static_cast<int>(i);
        return -1;
    }

    // Sends the frame again and again, as a publisher repeats it, until it is the last frame.
    bool PublishedAfterSending(CGooseCapture& capture, const Bytes& frame, std::uint32_t stNum) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        GooseFrameInfo last;
        for (;;) {
            if (!injector_.Send(frame)) return false;
            capture.GetLastFrame(last);
            if (last.stNum == stNum) return true;
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    static Bytes Frame(std::uint32_t stNum, bool tagged, std::int64_t value) {
        GooseFrameSpec spec;
        spec.stNum = stNum;
        spec.tagged = tagged;
        spec.values = {IntegerValue(value)};
        return BuildGooseFrame(spec);
    }

    static GooseFilterSettings Filter() {
        return GooseFilterSettings{{0x01, 0x0C, 0xCD, 0x01, 0x00, 0x01}, 0x1001, 0, 0, 0};
    }

    TestSupport::VethInjector injector_;
};

TEST_F(GooseLiveInside, ListsBothEndsOfThePairAndNotLoopback) {
    CGooseCapture capture;
    ASSERT_GE(Veth0Index(capture), 0);
    std::vector<std::string> names;
    EXPECT_EQ(capture.GetAdapterNames(names), 2);
    EXPECT_EQ(names[0].rfind("Adapter 1 (", 0), 0u);
    EXPECT_EQ(names[1].rfind("Adapter 2 (", 0), 0u);
    EXPECT_NE(names[0].find(") MAC: "), std::string::npos);
}

TEST_F(GooseLiveInside, PublishesInjectedFramesAndStopsPromptlyWhenIdle) {
    ErrorCollector errors;  // outlives the worker that reports to it
    CGooseCapture capture;
    capture.SetErrorSink(errors.Sink());
    capture.SetFilter(Filter());
    const int index = Veth0Index(capture);
    ASSERT_GE(index, 0);
    ASSERT_EQ(capture.Start(index), 1);
    EXPECT_EQ(capture.Start(index), 0) << "one worker at a time";
    EXPECT_TRUE(capture.IsRunning());

    EXPECT_TRUE(PublishedAfterSending(capture, Frame(1, false, 11), 1));
    EXPECT_TRUE(PublishedAfterSending(capture, Frame(2, true, 22), 2)) << "a tagged frame";
    GooseFrameInfo last;
    capture.GetLastFrame(last);
    EXPECT_EQ(last.values, "22");

    // Nothing arrives now: the worker waits inside libpcap, for ever unless it is woken.
    const auto before = Clock::now();
    EXPECT_EQ(capture.Stop(), 1);
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(10));
    EXPECT_FALSE(capture.IsRunning());
    EXPECT_TRUE(errors.Texts().empty());
}

// Last: it takes the pair away.
TEST_F(GooseLiveInside, ACaptureErrorIsReportedWhenTheAdapterDisappears) {
    ErrorCollector errors;
    CGooseCapture capture;
    capture.SetErrorSink(errors.Sink());
    capture.SetFilter(Filter());
    const int index = Veth0Index(capture);
    ASSERT_GE(index, 0);
    std::vector<std::string> names;
    capture.GetAdapterNames(names);
    ASSERT_EQ(capture.Start(index), 1);
    ASSERT_TRUE(PublishedAfterSending(capture, Frame(1, false, 1), 1));

    ASSERT_TRUE(TestSupport::CommandSucceeds("ip link del veth0"));
    ASSERT_TRUE(errors.WaitFor(1));
    EXPECT_EQ(errors.Texts()[0], names[static_cast<std::size_t>(index)] + ": Error while capturing data.");
    capture.Stop();
    EXPECT_FALSE(capture.IsRunning());
}

}  // namespace
