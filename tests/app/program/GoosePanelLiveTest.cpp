// The GOOSE panel on a veth pair. GoosePanelLive runs this same program again inside a
// network and mount namespace of its own (with sysfs mounted for it), where the pair is
// created; the namespace dies with that process, so nothing is left behind. Without root
// or namespaces the test is skipped. GoosePanelLiveInside holds the tests that run in there.

#include <gtest/gtest.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <QComboBox>
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "GoosePanelFixture.h"
#include "app/ids/ControlIds.h"
#include "app/sender/GooseSenderFrame.h"
#include "support/PcapSavefile.h"
#include "support/ToolCheck.h"
#include "support/VethNamespace.h"
#include "system/Polling.h"

namespace {

using namespace GoosePanelTest;
using namespace GooseTest;
using Clock = std::chrono::steady_clock;

constexpr const char* kInsideVariable = "IEC_GOOSE_PANEL_IN_NETNS";
namespace Id = ControlId::MainDialog;

TEST(GoosePanelLive, CaptureOnAVethPairInANetworkNamespace) {
    if (const std::string why = TestSupport::WhyNoVethNamespace(); !why.empty()) GTEST_SKIP() << why;
    EXPECT_EQ(TestSupport::ProblemsOfTheTestsInVethNamespace(kInsideVariable, "GoosePanelLiveInside.*", 2), "");
}

TEST(GoosePanelLive, TheFramesSentDecodeCleanly) {
    REQUIRE_WIRESHARK();
    const TestSupport::PcapSavefile file({SenderFrame(1), SenderFrame(2), SenderFrame(300)});
    EXPECT_EQ(TestSupport::SavefileProblems(file.Path()), "");
    EXPECT_EQ(TestSupport::SavefileFields(file.Path(), {"goose.stNum", "goose.appid", "goose.visible_string"}),
              (std::vector<std::string>{"1|0x1001|state 1", "2|0x1001|state 2", "300|0x1001|state 300"}));
}

class GoosePanelLiveInside : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv(kInsideVariable)) GTEST_SKIP() << "runs inside the namespace that GoosePanelLive makes";
        // The kernel brings the carrier up a moment after the link.
        ASSERT_TRUE(
            TestSupport::Eventually([] { return TestSupport::ReadFirstLine("/sys/class/net/veth0/carrier") == "1"; }));
        ASSERT_TRUE(injector_.Ready());
    }

    // Picks veth0 in the adapter list (found by its MAC) and starts capturing on it with
    // every destination and APPID.
    static void StartOnVeth0(OpenDialog& dialog) {
        dialog.Click(Id::Refresh);  // the carrier may have come after the dialog listed the adapters
        const std::string mac = TestSupport::Veth0MacText();
        auto* combo = qobject_cast<QComboBox*>(dialog.Control(Id::Adapter));
        int index = -1;
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemText(i).toStdString().find(mac) != std::string::npos) index = i;
        ASSERT_GE(index, 0);
        UiTest::Pick(combo, index);
        for (int id : {Id::AnyMac, Id::AnyAppId})
            if (!qobject_cast<QAbstractButton*>(dialog.Control(id))->isChecked()) dialog.Click(id);
        dialog.Click(Id::Start);
        ASSERT_TRUE(dialog->GetCapture()->IsRunning());
    }

    // Sends the frame again and again, as a publisher repeats it, until a tick shows it.
    bool ShownAfterSending(OpenDialog& dialog, std::uint32_t stNum) {
        const Bytes frame = SenderFrame(stNum);
        return TestSupport::Eventually([&] {
            if (!injector_.Send(frame)) return false;
            dialog.Tick();
            return dialog.Text(Id::StNum) == std::to_string(stNum);
        });
    }

    TestSupport::VethInjector injector_;
};

TEST_F(GoosePanelLiveInside, ShowsInjectedFramesAndStopsPromptlyWhenIdle) {
    OpenDialog dialog;
    StartOnVeth0(dialog);
    EXPECT_TRUE(ShownAfterSending(dialog, 1));
    EXPECT_TRUE(ShownAfterSending(dialog, 2));
    EXPECT_EQ(dialog.Text(Id::Values), "F,20,state 2");

    // Nothing arrives now: the worker waits inside libpcap, for ever unless it is woken.
    const auto before = Clock::now();
    dialog.Click(Id::Stop);
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(10));
    EXPECT_FALSE(dialog->GetCapture()->IsRunning());
    EXPECT_TRUE(dialog.Enabled(Id::Start));
}

TEST_F(GoosePanelLiveInside, ClosingTheWindowInTheMiddleOfACaptureEndsIt) {
    OpenDialog dialog;
    StartOnVeth0(dialog);
    EXPECT_TRUE(ShownAfterSending(dialog, 5));
    const auto before = Clock::now();
    dialog->DestroyWindow();
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(10));  // not woken, it would wait for ever
    EXPECT_FALSE(dialog->GetCapture()->IsRunning());
}

}  // namespace
