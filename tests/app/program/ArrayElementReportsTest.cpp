// The report panel with a block whose data set lists parts of array elements (a device's
// harmonics): the block is offered, enabled, and its reports show.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/ids/ControlIds.h"
#include "app/program/DialogSession.h"
#include "ui/StatusBarCtrl.h"

namespace AppTest {
namespace {

using UiTest::IdPath;
namespace Id = ControlId::MainDialog;
namespace Sel = ControlId::Selection;

std::string Pane2(App::QXDialog& dialog) {
    auto* bar = static_cast<Ui::CStatusBarCtrl*>(Ui::CWnd::FromWidget(dialog.GetDlgItemWidget(Id::StatusBar)));
    return bar != nullptr ? bar->GetText(2) : std::string();
}

bool Enabled(QWidget* window, int id) { return UiTest::FindControl(window, IdPath({id}))->isEnabled(); }

void Pick(QWidget* window, int list, const std::string& text) {
    const std::string path = IdPath({Id::ReportSelection, list});
    const std::vector<std::string> items = Items(window, path);
    const auto at = std::find(items.begin(), items.end(), text);
    ASSERT_NE(at, items.end()) << path << " has no " << text;
    UiTest::Pick(UiTest::FindControl(window, path), static_cast<int>(at - items.begin()));
}

TEST(ArrayElementReports, TheHarmonicsBlockIsOfferedEnabledAndShowsItsReports) {
    DialogSession session(DialogSession::DeviceWith(&TestDevice::ModelOptions::harmonics));
    session.Run([&](QWidget* window) {
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::Connect})));
        ASSERT_TRUE(session.ReachState(2));
        Pick(window, Sel::LnCombo, "MHAI1");
        Pick(window, Sel::ObjCombo, "HA");
        // Every member of the set, and nothing else of the array.
        EXPECT_EQ(
            Items(window, IdPath({Id::ReportSelection, Sel::AttrCombo})),
            (std::vector<std::string>{"phsAHar.[10].cVal.mag.f", "phsAHar.[11].cVal.mag.f", "phsAHar.[7].cVal.ang.f",
                                      "phsAHar.[7].cVal.mag.f", "phsAHar.[7].q", "phsAHar.[7].t",
                                      "phsAHar.[8].cVal.ang.f", "phsAHar.[8].cVal.mag.f", "phsAHar.[8].q",
                                      "phsAHar.[8].t", "phsAHar.[9].cVal.ang.f", "phsAHar.[9].cVal.mag.f"}));
        Pick(window, Sel::AttrCombo, "phsAHar.[11].cVal.mag.f");
        ASSERT_FALSE(Enabled(window, Id::DisableRcb));
        UiTest::Click(UiTest::FindControl(window, IdPath({Id::EnableRcb})));
        // The enable's confirmation, which may come after the first report has shown.
        ASSERT_TRUE(WaitUntil([&] { return Enabled(window, Id::DisableRcb); })) << Pane2(*session.dialog);
        EXPECT_FALSE(Enabled(window, Id::EnableRcb));
        EXPECT_EQ(session.device.GetValue("LD0/LLN0$RP$urcbHar01$RptEna"), "True");
        // The general interrogation brings the element's magnitude: 100 - 5 * 11.
        ASSERT_TRUE(WaitUntil([&] {
            return UiTest::Text(UiTest::FindControl(window, IdPath({Id::ReportValue}))) == "45";
        })) << Pane2(*session.dialog);
        UiTest::Screenshot(window, "panels-report-array-elements");

        UiTest::Click(UiTest::FindControl(window, IdPath({Id::DisableRcb})));
        ASSERT_TRUE(WaitUntil([&] { return Pane2(*session.dialog) == "Disabled LD0/LLN0.urcbHar01[RP]"; }))
            << Pane2(*session.dialog);
        EXPECT_EQ(session.device.GetValue("LD0/LLN0$RP$urcbHar01$RptEna"), "False");
    });
}

}  // namespace
}  // namespace AppTest
