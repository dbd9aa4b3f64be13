#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "app/ids/ControlIds.h"
#include "app/widgets/MaskEdit.h"
#include "support/ui/UiHarness.h"
#include "ui/Dialog.h"

namespace {

using namespace Ui;
using Widgets::CMaskEdit;
namespace Id = ControlId::MainDialog;

constexpr DWORD kEdit = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;

// A modeless dialog with the main dialog's two masked fields and one more edit.
class FilterDialog : public CDialog {
public:
    FilterDialog() {
        DialogTemplate t;
        t.cx = 200;
        t.cy = 60;
        t.style |= WS_VISIBLE;
        t.controls = {{Id::Mac, "EDIT", "", 32, 8, 78, 12, kEdit},
                      {Id::AppId, "EDIT", "", 137, 8, 31, 12, kEdit},
                      {Id::StNum, "EDIT", "", 32, 30, 60, 12, kEdit}};
        CreateIndirect(t);
        mac.SubclassDlgItem(Id::Mac, this);
        appId.SubclassDlgItem(Id::AppId, this);
        mac.SetMask("XX:XX:XX:XX:XX:XX");
        mac.SetPromptChar('0');
        appId.SetMask("XXXX");
        appId.SetPromptChar('0');
        MapNotify(Id::Mac, Widgets::MEN_KILLFOCUS, [this](NMHDR* header, LRESULT*) {
            ++focusLosses;
            if (refuseFocusLoss) reinterpret_cast<Widgets::MaskEditKillFocus*>(header)->valid = 0;
        });
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == Id::AppId) codes.push_back(HIWORD(wParam));
        return 1;
    }
    CMaskEdit mac;
    CMaskEdit appId;
    std::vector<int> codes;
    int focusLosses = 0;
    bool refuseFocusLoss = false;
    QLineEdit* Mac() { return qobject_cast<QLineEdit*>(mac.GetWidget()); }
    QLineEdit* AppId() { return qobject_cast<QLineEdit*>(appId.GetWidget()); }
};

void KeysAt(QLineEdit* edit, int caret, const std::vector<Qt::Key>& keys) {
    edit->setFocus();
    edit->setCursorPosition(caret);
    for (Qt::Key key : keys) QTest::keyClick(edit, key);
}

TEST(MaskEditTest, EmptyFieldsShowThePromptAndSetTextsFillTheInputs) {
    FilterDialog dialog;
    EXPECT_EQ(dialog.Mac()->text(), "00:00:00:00:00:00");
    dialog.mac.SetWindowText("01:0C:CD:01:00:00");
    std::string data;
    dialog.mac.GetInputData(data);
    EXPECT_EQ(data, "010CCD010000");
    dialog.codes.clear();
    dialog.appId.SetWindowText("1");
    EXPECT_EQ(dialog.AppId()->text(), "1000");
    // A text set from outside notifies as an update only; typing as update and change.
    EXPECT_EQ(dialog.codes, (std::vector<int>{EN_UPDATE}));
    dialog.AppId()->setFocus();
    QTest::keyClicks(dialog.AppId(), "2");
    EXPECT_EQ(dialog.codes, (std::vector<int>{EN_UPDATE, EN_UPDATE, EN_CHANGE}));
}

TEST(MaskEditTest, TypingTakesOnlyWhatFitsAndBeepsOtherwise) {
    FilterDialog dialog;
    UiTest::Recorder recorder;
    KeysAt(dialog.AppId(), 0, {});
    QTest::keyClicks(dialog.AppId(), "a");
    EXPECT_EQ(dialog.AppId()->text(), "A000");
    EXPECT_EQ(dialog.AppId()->cursorPosition(), 1);
    QTest::keyClicks(dialog.AppId(), "g");
    EXPECT_EQ(dialog.AppId()->text(), "A000");
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("é"));
    QApplication::sendEvent(dialog.AppId(), &accented);
    EXPECT_EQ(recorder.beeps, (std::vector<UINT>{MB_ICONEXCLAMATION, MB_ICONEXCLAMATION}));
    // Typing skips the separators of the MAC field.
    KeysAt(dialog.Mac(), 0, {});
    QTest::keyClicks(dialog.Mac(), "0a1b2c");
    EXPECT_EQ(dialog.Mac()->text(), "0A:1B:2C:00:00:00");
    EXPECT_EQ(dialog.Mac()->cursorPosition(), 9);
}

TEST(MaskEditTest, DeleteAndBackspaceCloseTheGap) {
    FilterDialog dialog;
    dialog.appId.SetWindowText("12AB");
    KeysAt(dialog.AppId(), 2, {Qt::Key_Delete});
    EXPECT_EQ(dialog.AppId()->text(), "12B0");
    EXPECT_EQ(dialog.AppId()->cursorPosition(), 2);
    dialog.appId.SetWindowText("12AB");
    KeysAt(dialog.AppId(), 2, {Qt::Key_Backspace});
    EXPECT_EQ(dialog.AppId()->text(), "1AB0");
    EXPECT_EQ(dialog.AppId()->cursorPosition(), 1);
    // Backspace just behind a separator removes the digit before it.
    dialog.mac.SetWindowText("01:0C:CD:01:00:00");
    KeysAt(dialog.Mac(), 3, {Qt::Key_Backspace});
    EXPECT_EQ(dialog.Mac()->text(), "00:CC:D0:10:00:00");
}

TEST(MaskEditTest, InsertModeShiftsTheRestAndArrowsSkipLiterals) {
    FilterDialog dialog;
    dialog.appId.SetMask("####");
    dialog.appId.SetWindowText("1234");
    KeysAt(dialog.AppId(), 0, {Qt::Key_Insert});
    EXPECT_EQ(dialog.appId.GetInsertMode(), 1);
    QTest::keyClicks(dialog.AppId(), "5");
    EXPECT_EQ(dialog.AppId()->text(), "5123");
    KeysAt(dialog.Mac(), 1, {Qt::Key_Right});
    EXPECT_EQ(dialog.Mac()->cursorPosition(), 3);
    QTest::keyClick(dialog.Mac(), Qt::Key_Left);
    EXPECT_EQ(dialog.Mac()->cursorPosition(), 2);
    QTest::keyClick(dialog.Mac(), Qt::Key_Left);
    EXPECT_EQ(dialog.Mac()->cursorPosition(), 1);
}

TEST(MaskEditTest, PasteKeepsWhatFitsAndCutLeavesThePrompt) {
    FilterDialog dialog;
    QApplication::clipboard()->setText("aa-bb-cc");
    KeysAt(dialog.Mac(), 0, {});
    QTest::keyClick(dialog.Mac(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(dialog.Mac()->text(), "AA:BB:CC:00:00:00");
    EXPECT_EQ(dialog.Mac()->cursorPosition(), 9);  // the first prompt after the paste
    dialog.Mac()->setSelection(0, 5);
    QTest::keyClick(dialog.Mac(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "AA:BB");
    EXPECT_EQ(dialog.Mac()->text(), "CC:00:00:00:00:00");
    QTest::keyClick(dialog.Mac(), Qt::Key_Z, Qt::ControlModifier);  // no undo
    EXPECT_EQ(dialog.Mac()->text(), "CC:00:00:00:00:00");
}

TEST(MaskEditTest, AParentThatRefusesTheFocusLossGetsTheFocusBackAfterwards) {
    FilterDialog dialog;
    UiTest::Recorder recorder;
    dialog.GetWidget()->activateWindow();
    QApplication::setActiveWindow(dialog.GetWidget());
    dialog.Mac()->setFocus();
    UiTest::ProcessUntil([&] { return dialog.Mac()->hasFocus(); }, 100);
    dialog.refuseFocusLoss = true;
    QWidget* other = UiTest::FindControl(dialog.GetWidget(), UiTest::IdPath({Id::StNum}));
    other->setFocus();
    EXPECT_EQ(dialog.focusLosses, 1);
    UiTest::ProcessUntil([&] { return dialog.Mac()->hasFocus(); }, 100);
    EXPECT_TRUE(dialog.Mac()->hasFocus());
    EXPECT_EQ(recorder.beeps.size(), 1u);
    dialog.refuseFocusLoss = false;
    other->setFocus();
    EXPECT_EQ(dialog.focusLosses, 2);
    UiTest::ProcessUntil([] { return false; }, 20);
    EXPECT_TRUE(other->hasFocus());
}

TEST(MaskEditTest, SeparatorsStayFixedUnderALocaleWithAnotherTimeSeparator) {
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));  // time separator "."
    std::setlocale(LC_ALL, "fi_FI.UTF-8");
    FilterDialog dialog;
    EXPECT_EQ(dialog.Mac()->text(), "00:00:00:00:00:00");
    dialog.mac.SetWindowText("01:0C:CD:01:00:00");
    EXPECT_EQ(dialog.Mac()->text(), "01:0C:CD:01:00:00");
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
}

TEST(MaskEditTest, WithoutAMaskItIsAPlainEdit) {
    FilterDialog dialog;
    dialog.mac.ClearMask();
    dialog.mac.SetWindowText("free text");
    KeysAt(dialog.Mac(), 9, {});
    QTest::keyClicks(dialog.Mac(), "!");
    EXPECT_EQ(dialog.Mac()->text(), "free text!");
    EXPECT_TRUE(dialog.mac.IsInputPosition(3));
    std::string data;
    dialog.mac.GetInputData(data);
    EXPECT_EQ(data, "free text!");
}

}  // namespace

namespace {

TEST(MaskEditTest, AutoTabMovesOnPastTheLastInputAndAClickOnAnEmptyFieldStartsAtTheFirstInput) {
    FilterDialog dialog;
    QApplication::setActiveWindow(dialog.GetWidget());
    dialog.appId.SetAutoTab(1);
    KeysAt(dialog.AppId(), 0, {});
    QTest::keyClicks(dialog.AppId(), "abcd");
    EXPECT_EQ(dialog.AppId()->text(), "ABCD");
    EXPECT_EQ(dialog.GetWidget()->focusWidget(), UiTest::FindControl(dialog.GetWidget(), UiTest::IdPath({Id::StNum})));

    dialog.mac.SetMask("(##)");
    EXPECT_TRUE(dialog.mac.IsEmpty());
    QTest::mouseClick(dialog.Mac(), Qt::LeftButton, Qt::NoModifier, QPoint(dialog.Mac()->width() - 2, 5));
    EXPECT_EQ(dialog.GetWidget()->focusWidget(), dialog.Mac());
    EXPECT_EQ(dialog.Mac()->cursorPosition(), 1);
    // Once it has the focus, a click places the caret where it lands.
    QTest::mouseClick(dialog.Mac(), Qt::LeftButton, Qt::NoModifier, QPoint(dialog.Mac()->width() - 2, 5));
    EXPECT_EQ(dialog.Mac()->cursorPosition(), 4);
}

}  // namespace

namespace {

TEST(MaskEditTest, TabbingInPutsTheCaretOnTheFirstInputInsteadOfSelectingAll) {
    FilterDialog dialog;
    QApplication::setActiveWindow(dialog.GetWidget());
    dialog.mac.SetMask("(##)");
    dialog.Mac()->setFocus(Qt::TabFocusReason);
    UiTest::ProcessUntil([&] { return !dialog.Mac()->hasSelectedText(); }, 100);
    EXPECT_FALSE(dialog.Mac()->hasSelectedText());
    EXPECT_EQ(dialog.Mac()->cursorPosition(), 1);
}

}  // namespace
