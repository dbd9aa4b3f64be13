#include <gtest/gtest.h>

#include <QComboBox>
#include <array>
#include <chrono>
#include <ctime>
#include <string>

#include "GoosePanelFixture.h"
#include "app/ids/ControlIds.h"
#include "support/PcapSavefile.h"
#include "support/ToolCheck.h"
#include "system/Polling.h"

namespace {

using namespace GoosePanelTest;
using namespace GooseTest;
using App::QXDialog;
using TestSupport::PcapSavefile;

namespace Id = ControlId::MainDialog;

const MacAddress kMacA{0x01, 0x0C, 0xCD, 0x01, 0x00, 0x00};
const MacAddress kMacB{0x01, 0x0C, 0xCD, 0x01, 0x00, 0x07};

Bytes Frame(const MacAddress& mac, std::uint16_t appId, std::uint32_t stNum, std::uint32_t sqNum, Bytes value) {
    GooseFrameSpec spec;
    spec.destination.assign(mac.begin(), mac.end());
    spec.appId = appId;
    spec.stNum = stNum;
    spec.sqNum = sqNum;
    spec.values = {std::move(value)};
    return BuildGooseFrame(spec);
}

Bytes Frame(const MacAddress& mac, std::uint16_t appId, std::uint32_t stNum, std::uint32_t sqNum, int value) {
    return Frame(mac, appId, stNum, sqNum, IntegerValue(value));
}

struct Fields {
    std::string mac, appId, stNum, values;
};

Fields Shown(OpenDialog& dialog) {
    return {dialog.Text(Id::Mac), dialog.Text(Id::AppId), dialog.Text(Id::StNum), dialog.Text(Id::Values)};
}

void ExpectFields(OpenDialog& dialog, const Fields& expected, const std::string& name) {
    const Fields shown = Shown(dialog);
    EXPECT_EQ(shown.mac, expected.mac) << name;
    EXPECT_EQ(shown.appId, expected.appId) << name;
    EXPECT_EQ(shown.stNum, expected.stNum) << name;
    EXPECT_EQ(shown.values, expected.values) << name;
}

// The group as Stop leaves it.
void ExpectStoppedLayout(OpenDialog& dialog, bool anyMac, bool anyAppId, const std::string& name) {
    EXPECT_EQ(dialog.Enabled(Id::Mac), !anyMac) << name;
    EXPECT_EQ(dialog.Enabled(Id::AppId), !anyAppId) << name;
    for (int id : {Id::AnyMac, Id::AnyAppId, Id::Start, Id::Refresh, Id::Adapter, Id::Latch})
        EXPECT_TRUE(dialog.Enabled(id)) << name << id;
    for (int id : {Id::Stop, Id::Continue}) EXPECT_FALSE(dialog.Enabled(id)) << name << " " << id;
}

void ExpectCapturingLayout(OpenDialog& dialog, const std::string& name) {
    for (int id : {Id::Mac, Id::AppId, Id::AnyMac, Id::AnyAppId, Id::Start, Id::Continue, Id::Refresh, Id::Adapter})
        EXPECT_FALSE(dialog.Enabled(id)) << name << " " << id;
    EXPECT_TRUE(dialog.Enabled(Id::Stop)) << name;
    EXPECT_TRUE(dialog.Enabled(Id::Latch)) << name;
    EXPECT_TRUE(dialog.Focused(Id::Stop)) << name;
}

void SetCheck(OpenDialog& dialog, int id, bool checked) {
    auto* box = qobject_cast<QAbstractButton*>(dialog.Control(id));
    if (box->isChecked() != checked) dialog.Click(id);
}

TEST(GoosePanelText, ParseHexAndParseMac) {
    const std::pair<const char*, std::uint32_t> hex[] = {
        {"0G1", 1}, {"", 0}, {"ff", 0xFF}, {"0001", 1}, {"FFFFFFFFF", 0xFFFFFFFF}, {"12345678A", 0x2345678A}, {"-", 0},
    };
    for (const auto& [text, value] : hex) EXPECT_EQ(QXDialog::ParseHex(text), value) << text;

    using Octets = std::array<std::uint8_t, 6>;
    const std::pair<const char*, Octets> macs[] = {
        {"01:0C:CD:01:00:00", {0x01, 0x0C, 0xCD, 0x01, 0x00, 0x00}},
        {"::01::02", {0x01, 0x02, 0, 0, 0, 0}},
        {"01:02", {0x01, 0x02, 0, 0, 0, 0}},
        {"", {0, 0, 0, 0, 0, 0}},
        {"1:2:3:4:5:6:7", {1, 2, 3, 4, 5, 6}},
        {"1FF:a:b:c:d:e", {0xFF, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E}},
    };
    for (const auto& [text, octets] : macs) {
        Octets mac;
        mac.fill(0xEE);
        QXDialog::ParseMac(text, mac.data());
        EXPECT_EQ(mac, octets) << text;
    }
}

TEST(GoosePanel, AdaptersListedInTheCapturesOrderAndTheTenthCapturesOnIndexNine) {
    InjectedAdapters adapters(12);
    OpenDialog dialog;
    auto* combo = qobject_cast<QComboBox*>(dialog.Control(Id::Adapter));
    ASSERT_EQ(combo->count(), 12);
    for (int i = 0; i < 12; ++i) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "Adapter %d (gse%d) MAC: 02:00:00:00:00:%02X", i + 1, i, i);
        EXPECT_EQ(combo->itemText(i).toStdString(), expected);
    }
    EXPECT_EQ(combo->currentIndex(), 0);

    // Each adapter's frames carry its own index as their value.
    std::vector<std::unique_ptr<PcapSavefile>> files;
    EndsOfFile ends;
    for (int i = 0; i < 12; ++i) {
        files.push_back(std::make_unique<PcapSavefile>(std::vector<Bytes>{Frame(kMacA, 1, 1, 0, i)}));
        dialog->GetCapture()->ReplaySavefileOn("gse" + std::to_string(i), files.back()->Path(), ends.Callback());
    }
    UiTest::Pick(combo, 9);
    dialog.Click(Id::Start);
    ASSERT_TRUE(ends.WaitFor(1));
    dialog.Tick();
    EXPECT_EQ(dialog.Text(Id::Values), "9");

    // Refresh starts the list again at its first item.
    dialog.Click(Id::Stop);
    dialog.Click(Id::Refresh);
    EXPECT_EQ(combo->count(), 12);
    EXPECT_EQ(combo->currentIndex(), 0);
}

TEST(GoosePanel, ATickShowsTheLastFrameThatPassedTheFilter) {
    InjectedAdapters adapters(1);
    const Bytes latin1 = VisibleStringValue("caf\xE9");
    struct Case {
        const char* name;
        std::string mac, appId;
        bool anyMac, anyAppId;
        std::vector<Bytes> frames;
        Fields shown;
    };
    const Case cases[] = {
        {"the last changed frame, its octets as characters",
         "01:0C:CD:01:00:00",
         "0001",
         false,
         false,
         {Frame(kMacA, 1, 1, 0, 11), Frame(kMacA, 1, 2, 0, latin1)},
         {"01:0C:CD:01:00:00", "0001", "2", "caf\xC3\xA9"}},
        {"repeats with only a new sqNum are not shown",
         "01:0C:CD:01:00:00",
         "0001",
         false,
         false,
         {Frame(kMacA, 1, 4, 0, 40), Frame(kMacA, 1, 4, 1, 41), Frame(kMacA, 1, 4, 2, 42)},
         {"01:0C:CD:01:00:00", "0001", "4", "40"}},
        {"a MAC filter drops other destinations",
         "01:0C:CD:01:00:00",
         "0001",
         false,
         false,
         {Frame(kMacA, 1, 3, 0, 30), Frame(kMacB, 1, 5, 0, 50)},
         {"01:0C:CD:01:00:00", "0001", "3", "30"}},
        {"Any MAC takes every destination",
         "01:0C:CD:01:00:00",
         "0001",
         true,
         false,
         {Frame(kMacA, 1, 3, 0, 30), Frame(kMacB, 1, 5, 0, 50)},
         {"01:0C:CD:01:00:07", "0001", "5", "50"}},
        {"an APPID filter drops other APPIDs",
         "01:0C:CD:01:00:00",
         "3FFF",
         false,
         false,
         {Frame(kMacA, 0x3FFF, 6, 0, 60), Frame(kMacA, 0x0001, 7, 0, 70)},
         {"01:0C:CD:01:00:00", "3FFF", "6", "60"}},
        {"Any APPID takes every APPID",
         "01:0C:CD:01:00:00",
         "3FFF",
         false,
         true,
         {Frame(kMacA, 0x3FFF, 6, 0, 60), Frame(kMacA, 0xABCD, 7, 0, 70)},
         {"01:0C:CD:01:00:00", "ABCD", "7", "70"}},
    };
    std::vector<Bytes> all;
    for (const Case& c : cases) all.insert(all.end(), c.frames.begin(), c.frames.end());
    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(TestSupport::SavefileProblems(PcapSavefile(all).Path()), "");
    }

    OpenDialog dialog;
    for (const Case& c : cases) {
        const PcapSavefile file(c.frames);
        EndsOfFile ends;
        dialog->GetCapture()->ReplaySavefileOn("gse0", file.Path(), ends.Callback());
        dialog->SetDlgItemText(Id::Mac, c.mac);
        dialog->SetDlgItemText(Id::AppId, c.appId);
        SetCheck(dialog, Id::AnyMac, c.anyMac);
        SetCheck(dialog, Id::AnyAppId, c.anyAppId);
        dialog.Click(Id::Start);
        ExpectCapturingLayout(dialog, c.name);
        ASSERT_TRUE(ends.WaitFor(1)) << c.name;
        dialog.Tick();
        ExpectFields(dialog, c.shown, c.name);
        dialog.Click(Id::Stop);
        ExpectStoppedLayout(dialog, c.anyMac, c.anyAppId, c.name);
        EXPECT_TRUE(dialog.Focused(Id::Start)) << c.name;
        EXPECT_EQ(dialog.Text(Id::Mac), c.shown.mac) << c.name << ": the shown frame stays";
    }
}

TEST(GoosePanel, LatchFreezesOnTheFirstChangeUntilContinue) {
    InjectedAdapters adapters(1);
    OpenDialog dialog;
    const PcapSavefile file({Frame(kMacA, 1, 1, 0, 10), Frame(kMacA, 1, 2, 0, 20), Frame(kMacA, 1, 3, 0, 30)});
    EndsOfFile ends;
    dialog->GetCapture()->ReplaySavefileOn("gse0", file.Path(), ends.Callback());
    dialog.Click(Id::Latch);
    dialog.Click(Id::Start);
    ASSERT_TRUE(ends.WaitFor(1));
    EXPECT_FALSE(dialog.Enabled(Id::Continue)) << "only the next tick tells";
    dialog.Tick();
    EXPECT_EQ(dialog.Text(Id::StNum), "1");
    EXPECT_EQ(dialog.Text(Id::Values), "10");
    EXPECT_TRUE(dialog.Enabled(Id::Continue));

    dialog.Click(Id::Continue);
    EXPECT_FALSE(dialog.Enabled(Id::Continue));
    EXPECT_TRUE(dialog.Focused(Id::Stop));
    EXPECT_FALSE(dialog->GetCapture()->IsLatched());

    // Latched again by a tick's view of the capture, then released by the box itself.
    const PcapSavefile second({Frame(kMacA, 1, 8, 0, 80)});
    dialog.Click(Id::Stop);
    dialog->GetCapture()->ReplaySavefileOn("gse0", second.Path(), ends.Callback());
    dialog.Click(Id::Start);
    ASSERT_TRUE(ends.WaitFor(2));
    dialog.Tick();
    EXPECT_TRUE(dialog.Enabled(Id::Continue));
    dialog.Click(Id::Latch);
    EXPECT_FALSE(dialog.Enabled(Id::Continue));
    EXPECT_FALSE(dialog->GetCapture()->IsLatched()) << "latch off while running releases the capture";
    dialog.Click(Id::Stop);
}

TEST(GoosePanel, AnyBoxesEnableTheirEditsExactlyWhenClear) {
    InjectedAdapters adapters(1);
    OpenDialog dialog;
    const std::pair<bool, bool> flags[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const auto& [anyMac, anyAppId] : flags) {
        const std::string name =
            std::string("any MAC ") + (anyMac ? "on" : "off") + ", any APPID " + (anyAppId ? "on" : "off");
        SetCheck(dialog, Id::AnyMac, anyMac);
        SetCheck(dialog, Id::AnyAppId, anyAppId);
        EXPECT_EQ(dialog.Enabled(Id::Mac), !anyMac) << name;
        EXPECT_EQ(dialog.Enabled(Id::AppId), !anyAppId) << name;
        const PcapSavefile file(std::vector<Bytes>{});
        dialog->GetCapture()->ReplaySavefileOn("gse0", file.Path());
        dialog.Click(Id::Start);
        ExpectCapturingLayout(dialog, name);
        dialog.Click(Id::Stop);
        ExpectStoppedLayout(dialog, anyMac, anyAppId, name);
    }
}

TEST(GoosePanel, TheTimerLeavesTheRestOfTheDialogAlone) {
    InjectedAdapters adapters(1);
    OpenDialog dialog;
    const PcapSavefile file({Frame(kMacA, 1, 1, 0, 10)});
    EndsOfFile ends;
    dialog->GetCapture()->ReplaySavefileOn("gse0", file.Path(), ends.Callback());
    dialog.Click(Id::Start);
    ASSERT_TRUE(ends.WaitFor(1));
    // A person choosing in a list the dialog has not read back yet.
    auto* readLd = qobject_cast<QComboBox*>(dialog.Control(Id::ReadLd));
    readLd->addItems({"LD0", "LD1"});
    readLd->setCurrentIndex(1);
    dialog.Tick();
    EXPECT_EQ(dialog.Text(Id::StNum), "1");
    EXPECT_EQ(readLd->currentIndex(), 1);
    dialog.Click(Id::Stop);

    // Stopped, the timer writes nothing.
    dialog->SetDlgItemText(Id::Values, "kept");
    dialog.Tick();
    EXPECT_EQ(dialog.Text(Id::Values), "kept");
}

TEST(GoosePanel, AStartThatCannotBeginTellsAndStaysStopped) {
    struct Case {
        const char* name;
        int adapters;
        bool listGoneSinceRefresh;  // the capture refuses the index the list offers
    };
    const Case cases[] = {{"no adapter", 0, false}, {"the capture refuses", 2, true}};
    for (const Case& c : cases) {
        InjectedAdapters adapters(c.adapters);
        OpenDialog dialog;
        if (c.listGoneSinceRefresh) {
            adapters.RemoveAll();
            dialog->GetCapture()->EnumerateAdapters();
        }
        UiTest::MessageBoxSeen seen;
        UiTest::AnswerNextMessageBox(Ui::IDOK, &seen);
        dialog.Click(Id::Start);
        EXPECT_TRUE(UiTest::ProcessUntil([&] { return seen.seen; })) << c.name;
        EXPECT_NE(seen.text.find("adapter"), std::string::npos) << c.name << ": " << seen.text;
        ExpectStoppedLayout(dialog, false, false, c.name);
        EXPECT_FALSE(dialog->GetCapture()->IsRunning()) << c.name;
        dialog.Tick();
        ExpectStoppedLayout(dialog, false, false, c.name);
    }
}

TEST(GoosePanel, AnAdapterThatCannotOpenIsToldAndTheGroupStops) {
    InjectedAdapters adapters(0, {"nosuchgoose0"});
    OpenDialog dialog;
    UiTest::MessageBoxSeen seen;
    UiTest::AnswerNextMessageBox(Ui::IDOK, &seen);
    dialog.Click(Id::Start);
    // The worker ends by itself; the next tick sees it, whether or not the posted report
    // has been served yet.
    ASSERT_TRUE(TestSupport::Eventually([&] { return !dialog->GetCapture()->IsRunning(); }));
    dialog.Tick();
    ExpectStoppedLayout(dialog, false, false, "after the tick");
    EXPECT_TRUE(dialog.Focused(Id::Start));

    EXPECT_TRUE(UiTest::ProcessUntil([&] { return seen.seen; }));
    const std::string prefix = "Adapter 1 (nosuchgoose0) MAC: 02:00:00:00:00:80: ";
    EXPECT_EQ(seen.text.rfind(prefix, 0), 0u) << seen.text;
    EXPECT_GT(seen.text.size(), prefix.size()) << "libpcap's reason follows";
    EXPECT_EQ(seen.icon, 3) << "critical";
    ExpectStoppedLayout(dialog, false, false, "after the box");
}

TEST(GoosePanel, ACaptureErrorIsToldAndTheGroupStops) {
    InjectedAdapters adapters(1);
    OpenDialog dialog;
    // A savefile whose last record is cut short: libpcap reads it as an error.
    const PcapSavefile file({Frame(kMacA, 1, 1, 0, 10), Frame(kMacA, 1, 2, 0, 20)});
    const std::string cut = file.Path() + ".cut";
    {
        std::ifstream in(file.Path(), std::ios::binary);
        std::string octets((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(cut, std::ios::binary) << octets.substr(0, octets.size() - 5);
    }
    dialog->GetCapture()->ReplaySavefileOn("gse0", cut);
    UiTest::MessageBoxSeen seen;
    UiTest::AnswerNextMessageBox(Ui::IDOK, &seen);
    dialog.Click(Id::Start);
    EXPECT_TRUE(UiTest::ProcessUntil([&] { return seen.seen; }));
    EXPECT_EQ(seen.text, "Adapter 1 (gse0) MAC: 02:00:00:00:00:00: Error while capturing data.");
    ExpectStoppedLayout(dialog, false, false, "capture error");
    std::filesystem::remove(cut);
}

TEST(GoosePanel, ClosingTheWindowWhileCapturingEndsTheWorker) {
    InjectedAdapters adapters(1);
    OpenDialog dialog;
    GooseFrameSpec spec;
    spec.destination.assign(kMacA.begin(), kMacA.end());
    spec.appId = 1;
    spec.stNum = 7;
    // A time 60 ns before the second day: shown as the day's start, in local time.
    spec.values = {BooleanValue(true), IntegerValue(-42), FloatValue(1.5f), VisibleStringValue("state 7"),
                   UtcTimeValue(86399, 0xFFFFFFFF)};
    const std::time_t dayTwo = 86400;
    std::tm local{};
    ASSERT_NE(localtime_r(&dayTwo, &local), nullptr);
    char dayTwoText[32];
    std::strftime(dayTwoText, sizeof dayTwoText, "%Y-%m-%d %H:%M:%S", &local);
    const PcapSavefile file({BuildGooseFrame(spec)});
    EndsOfFile ends;
    dialog->GetCapture()->ReplaySavefileOn("gse0", file.Path(), ends.Callback());
    dialog.Click(Id::Start);
    ASSERT_TRUE(ends.WaitFor(1));  // the worker now waits as on an idle link
    dialog.Tick();
    EXPECT_EQ(dialog.Text(Id::StNum), "7");
    EXPECT_EQ(dialog.Text(Id::Values), std::string("T,-42,1.500000,state 7,") + dayTwoText + ".000");
    UiTest::Screenshot(dialog->GetWidget(), "goose-panel-capturing");
    const auto before = std::chrono::steady_clock::now();
    dialog->DestroyWindow();
    // Were the worker not woken, it would idle for ever.
    EXPECT_LT(TestSupport::ElapsedSince(before), std::chrono::seconds(10));
    EXPECT_FALSE(dialog->GetCapture()->IsRunning());
}

TEST(GoosePanel, ExitWhileCapturingEndsTheWorkerWithTheWindow) {
    InjectedAdapters adapters(1);
    Iec61850::Acsi::ServerManager servers;
    Iec61850::Acsi::ClientManager clients;
    QXDialog dialog(servers, clients);
    const PcapSavefile file({Frame(kMacA, 1, 1, 0, 10)});
    EndsOfFile ends;
    std::chrono::steady_clock::time_point exitPressed;
    UiTest::OnNextModal([&](QWidget* window) {
        dialog.GetCapture()->ReplaySavefileOn("gse0", file.Path(), ends.Callback());
        UiTest::Click(UiTest::FindControl(window, UiTest::IdPath({Id::Start})));
        ASSERT_TRUE(ends.WaitFor(1));
        ASSERT_TRUE(dialog.GetCapture()->IsRunning());
        exitPressed = std::chrono::steady_clock::now();
        UiTest::Click(UiTest::FindControl(window, UiTest::IdPath({Id::Exit})));
    });
    dialog.DoModal();
    // Were the worker not woken, it would idle for ever.
    EXPECT_LT(TestSupport::ElapsedSince(exitPressed), std::chrono::seconds(10));
    EXPECT_FALSE(dialog.GetCapture()->IsRunning());
    dialog.Shutdown();
}

}  // namespace
