#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include "support/ui/UiHarness.h"
#include "ui/ComboBox.h"
#include "ui/Dialog.h"
#include "ui/Edit.h"
#include "ui/IPAddressCtrl.h"
#include "ui/IpAddressWidget.h"
#include "ui/ProgressCtrl.h"
#include "ui/SpinButtonCtrl.h"
#include "ui/StatusBarCtrl.h"

namespace {

using namespace Ui;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

// A modeless dialog with one control of each kind that the toolkit builds itself.
class ControlsDialog : public CDialog {
public:
    ControlsDialog() {
        DialogTemplate t;
        t.cx = 200;
        t.cy = 120;
        t.style |= WS_VISIBLE;
        t.controls = {
            {50, "SysIPAddress32", "", 5, 5, 100, 14, kChild},
            {51, "EDIT", "False", 5, 25, 60, 12, kChild | WS_BORDER},
            {52, "msctls_updown32", "", 65, 25, 11, 12, WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS},
            {53, "msctls_progress32", "", 5, 45, 100, 10, WS_CHILD | WS_VISIBLE},
            {54, "COMBOBOX", "", 5, 60, 80, 60, kChild | CBS_DROPDOWNLIST | CBS_SORT},
        };
        CreateIndirect(t);
        address.SubclassDlgItem(50, this);
        buddy.SubclassDlgItem(51, this);
        spin.SubclassDlgItem(52, this);
        progress.SubclassDlgItem(53, this);
        sorted.SubclassDlgItem(54, this);
        spin.SetBuddy(&buddy);
        MapNotify(52, UDN_DELTAPOS, [this](NMHDR* header, LRESULT* result) {
            auto* change = reinterpret_cast<NMUPDOWN*>(header);
            deltas.push_back(change->iDelta);
            if (refuse) *result = 1;
            change->iDelta *= scale;
        });
    }
    CIPAddressCtrl address;
    CEdit buddy;
    CSpinButtonCtrl spin;
    CProgressCtrl progress;
    CComboBox sorted;
    std::vector<int> deltas;
    bool refuse = false;
    int scale = 1;
};

TEST(IpAddressTest, BlankFieldsReadAsZeroAndValuesOver255AreShownAndNamed) {
    ControlsDialog dialog;
    UiTest::Recorder recorder;
    auto* ip = dynamic_cast<IpAddressWidget*>(UiTest::FindControl(dialog.GetWidget(), "50"));
    ASSERT_NE(ip, nullptr);
    DWORD address = 1;
    EXPECT_EQ(dialog.address.GetAddress(address), 0);
    EXPECT_EQ(address, 0u);
    EXPECT_TRUE(dialog.address.IsBlank());

    UiTest::Type(ip->Field(0), "192");  // three digits move on to the next field
    UiTest::Type(ip->Field(2), "25");
    UiTest::Type(ip->Field(2), "6");  // 256: shown as typed, never cut to 25, and named
    EXPECT_EQ(ip->Field(2)->text(), "256");
    EXPECT_EQ(dialog.address.GetProblem(), "256 is not a number from 0 to 255");
    EXPECT_EQ(recorder.beeps.size(), 0u);
    UiTest::Type(ip->Field(3), "a7");  // letters are refused with a beep
    BYTE f0, f1, f2, f3;
    // Only 192 and 7 are numbers of an address: a blank and 256 are not.
    EXPECT_EQ(dialog.address.GetAddress(f0, f1, f2, f3), 2);
    EXPECT_EQ((std::vector<int>{f0, f1, f2, f3}), (std::vector<int>{192, 0, 0, 7}));
    EXPECT_EQ(recorder.beeps.size(), 1u);
    UiTest::Type(ip->Field(2), "");
    QTest::keyClick(ip->Field(2), Qt::Key_Backspace);
    EXPECT_EQ(dialog.address.GetProblem(), "");

    dialog.address.SetAddress(127, 0, 0, 1);
    EXPECT_EQ(dialog.address.GetAddress(address), 4);
    EXPECT_EQ(address, 0x7F000001u);
    dialog.address.ClearAddress();
    EXPECT_TRUE(dialog.address.IsBlank());

    // A typed address: dots move on, three digits move on by themselves.
    QApplication::setActiveWindow(dialog.GetWidget());
    ip->Field(0)->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), "1");
    for (const char* part : {"0.", "0.", "0.1"}) {
        for (const char* c = part; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
    }
    EXPECT_EQ(dialog.address.GetAddress(address), 4);
    EXPECT_EQ(address, 0x0A000001u);
    EXPECT_EQ(recorder.beeps.size(), 1u);
}

TEST(UpDownTest, StepsAskTheOwnerWhoMayRefuseOrChangeThemAndTheBuddyIsNeverEdited) {
    ControlsDialog dialog;
    auto* arrows = UiTest::FindControl(dialog.GetWidget(), "52");
    auto* up = arrows->findChild<QToolButton*>("up");
    auto* down = arrows->findChild<QToolButton*>("down");
    dialog.spin.SetRange32(0, 10);
    dialog.spin.SetPos32(5);

    UiTest::Click(up);
    UiTest::Click(down);
    QTest::keyClick(dialog.buddy.GetWidget(), Qt::Key_Up);  // arrow keys in the buddy step too
    EXPECT_EQ(dialog.deltas, (std::vector<int>{1, -1, 1}));
    EXPECT_EQ(dialog.spin.GetPos32(), 6);
    EXPECT_EQ(dialog.buddy.GetWindowText(), "False");

    dialog.refuse = true;
    UiTest::Click(up);
    EXPECT_EQ(dialog.spin.GetPos32(), 6);
    dialog.refuse = false;
    dialog.scale = 10;  // the owner may change the delta; the position stays in range
    UiTest::Click(up);
    EXPECT_EQ(dialog.spin.GetPos32(), 10);
    EXPECT_EQ(dialog.buddy.GetWindowText(), "False");
}

TEST(ProgressTest, DefaultRangeIsZeroToHundredAndRangesAreFull32Bit) {
    ControlsDialog dialog;
    auto* bar = qobject_cast<QProgressBar*>(UiTest::FindControl(dialog.GetWidget(), "53"));
    int lower = -1, upper = -1;
    dialog.progress.GetRange(lower, upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 100);
    struct Step {
        int lower, upper, pos;
        int shownPos;    // position held in range
        int barMaximum;  // what Qt draws
    } steps[] = {
        {0, 100, 250, 100, 100},    // positions beyond the top show a full bar
        {0, 1000, 500, 500, 1000},  // half
        {0, 128000, 64000, 64000, 128000},
        {-5, 2000000000, -9, -5, 2000000000},
        {10, 10, 10, 10, 1},  // an empty range draws an empty bar, never a busy one
    };
    for (const Step& s : steps) {
        dialog.progress.SetRange32(s.lower, s.upper);
        dialog.progress.SetPos(s.pos);
        EXPECT_EQ(dialog.progress.GetPos(), s.shownPos) << s.upper;
        EXPECT_EQ(bar->maximum(), s.barMaximum) << s.upper;
        EXPECT_NE(bar->minimum(), bar->maximum()) << s.upper;
    }
    dialog.progress.SetRange32(0, 100);
    EXPECT_EQ(dialog.progress.SetPos(3), 10);
}

TEST(ComboTest, SortedListsPlaceItemsWithoutRegardToCaseAndFindExactMatches) {
    ControlsDialog dialog;
    for (const char* item : {"b", "B", "a", "C", "_x", "A1", "a"}) dialog.sorted.AddString(item);
    std::vector<std::string> items;
    for (int i = 0; i < dialog.sorted.GetCount(); ++i) items.push_back(dialog.sorted.GetLBText(i));
    EXPECT_EQ(items, (std::vector<std::string>{"_x", "a", "a", "A1", "b", "B", "C"}));
    EXPECT_EQ(dialog.sorted.GetCurSel(), -1);
    EXPECT_EQ(dialog.sorted.FindStringExact(-1, "c"), 6);
    EXPECT_EQ(dialog.sorted.FindStringExact(0, "A"), 1);
    EXPECT_EQ(dialog.sorted.FindStringExact(-1, "missing"), CB_ERR);
    EXPECT_EQ(dialog.sorted.SetCurSel(99), CB_ERR);
    EXPECT_EQ(dialog.sorted.GetLBText(99), "");
}

TEST(StatusBarTest, PanesEndAtTheirRightEdgesAndTheBarKeepsItsMinimumHeight) {
    ControlsDialog dialog;
    CStatusBarCtrl status;
    ASSERT_TRUE(status.Create(WS_CHILD | WS_VISIBLE, RECT{}, &dialog, 1031));
    status.SetMinHeight(40);
    RECT bar = status.GetWindowRect();
    EXPECT_EQ(bar.Height(), 40);
    EXPECT_EQ(bar.bottom, dialog.GetClientRect().bottom);
    EXPECT_EQ(bar.Width(), dialog.GetClientRect().Width());
    int edges[] = {20, 60, -1};
    EXPECT_TRUE(status.SetParts(3, edges));
    EXPECT_TRUE(status.SetText("pane two", 2));
    EXPECT_FALSE(status.SetText("no such pane", 3));
    EXPECT_EQ(status.GetText(2), "pane two");
    EXPECT_EQ(status.GetText(0), "");
    UiTest::Screenshot(dialog.GetWidget(), "controls");
}

}  // namespace
