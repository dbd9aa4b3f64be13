#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "support/ui/UiHarness.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Dialog.h"
#include "ui/Edit.h"

namespace {

using namespace Ui;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

DialogTemplate SmallTemplate(DWORD firstButtonStyle) {
    DialogTemplate t;
    t.caption = "Keys";
    t.cx = 200;
    t.cy = 80;
    t.controls = {
        {10, "BUTTON", "First", 5, 5, 50, 14, kChild | firstButtonStyle},
        {11, "BUTTON", "Second", 60, 5, 50, 14, kChild | BS_PUSHBUTTON},
        {20, "EDIT", "", 5, 25, 80, 12, kChild | WS_BORDER | ES_AUTOHSCROLL},
        {21, "BUTTON", "Check", 5, 40, 50, 10, kChild | BS_AUTOCHECKBOX},
        {22, "COMBOBOX", "", 5, 55, 80, 50, kChild | CBS_DROPDOWNLIST | WS_VSCROLL},
    };
    return t;
}

// Records every command it gets; commands 1 and 2 do not close it unless asked.
class RecordingDialog : public CDialog {
public:
    explicit RecordingDialog(DWORD firstButtonStyle = BS_PUSHBUTTON) {
        InitModalIndirect(SmallTemplate(firstButtonStyle));
    }
    std::vector<std::pair<int, int>> commands;  // id, code
    std::vector<UINT> systemCommands;
    bool closeOnCancel = false;
    bool bindEdit = true;
    CEdit edit;
    CButton check;
    CComboBox combo;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (bindEdit) edit.SubclassDlgItem(20, this);
        check.SubclassDlgItem(21, this);
        combo.SubclassDlgItem(22, this);
        combo.AddString("a");
        combo.AddString("b");
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (LOWORD(wParam) == IDCANCEL && closeOnCancel) return CDialog::OnCommand(wParam, lParam);
        return 1;
    }
    void OnSysCommand(UINT id, LPARAM lParam) override {
        systemCommands.push_back(id);
        CDialog::OnSysCommand(id, lParam);
    }
};

// Runs the dialog and performs `steps` inside its modal loop, then ends it.
template <typename Steps>
void RunWith(RecordingDialog& dialog, Steps steps) {
    UiTest::OnNextModal([&](QWidget* window) {
        steps(window);
        dialog.EndDialog(99);
    });
    EXPECT_EQ(dialog.DoModal(), 99);
}

TEST(DialogKeysTest, EscapeIsCommandTwoAndEnterFollowsTheFocusedThenTheDefaultButton) {
    struct Case {
        const char* name;
        DWORD firstStyle;
        const char* focus;  // control id to focus before the key
        int key;
        int expectedId;
    } cases[] = {
        {"escape", BS_PUSHBUTTON, "20", Qt::Key_Escape, IDCANCEL},
        {"enter in an edit, no default button", BS_PUSHBUTTON, "20", Qt::Key_Return, IDOK},
        {"enter in an edit, default button", BS_DEFPUSHBUTTON, "20", Qt::Key_Return, 10},
        {"enter on a focused button", BS_DEFPUSHBUTTON, "11", Qt::Key_Enter, 11},
    };
    for (const Case& c : cases) {
        RecordingDialog dialog(c.firstStyle);
        RunWith(dialog, [&](QWidget* window) {
            QWidget* focus = UiTest::FindControl(window, c.focus);
            focus->setFocus();
            QTest::keyClick(focus, static_cast<Qt::Key>(c.key));
        });
        ASSERT_EQ(dialog.commands.size(), 1u) << c.name;
        EXPECT_EQ(dialog.commands[0], std::make_pair(c.expectedId, 0)) << c.name;
    }
}

TEST(DialogKeysTest, EnterOnADisabledDefaultButtonBeepsAndSendsNothing) {
    UiTest::Recorder recorder;
    RecordingDialog dialog(BS_DEFPUSHBUTTON);
    RunWith(dialog, [&](QWidget* window) {
        UiTest::FindControl(window, "10")->setEnabled(false);
        QWidget* edit = UiTest::FindControl(window, "20");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_TRUE(dialog.commands.empty());
    EXPECT_EQ(recorder.beeps.size(), 1u);
}

TEST(DialogKeysTest, TheCloseBoxIsASystemCommandThatEndsAsCommandTwo) {
    RecordingDialog dialog;
    dialog.closeOnCancel = true;
    UiTest::OnNextModal([&](QWidget* window) { window->close(); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.systemCommands, std::vector<UINT>{SC_CLOSE});
    ASSERT_EQ(dialog.commands.size(), 1u);
    EXPECT_EQ(dialog.commands[0].first, IDCANCEL);
}

// An edit that claims every key, as an in-place editor does.
class ClaimingEdit : public CEdit {
public:
    std::vector<int> keys;
    UINT OnGetDlgCode() override { return DLGC_WANTALLKEYS; }
    bool OnEvent(QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        keys.push_back(static_cast<QKeyEvent*>(event)->key());
        return true;
    }
};

TEST(DialogKeysTest, AControlThatClaimsKeysKeepsEscapeEnterAndTab) {
    RecordingDialog dialog;
    dialog.bindEdit = false;
    ClaimingEdit claiming;
    RunWith(dialog, [&](QWidget* window) {
        ASSERT_TRUE(claiming.SubclassDlgItem(20, &dialog));
        QWidget* edit = UiTest::FindControl(window, "20");
        edit->setFocus();
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Tab}) QTest::keyClick(edit, key);
        EXPECT_EQ(window->focusWidget(), edit);
    });
    EXPECT_TRUE(dialog.commands.empty());
    EXPECT_EQ(claiming.keys, (std::vector<int>{Qt::Key_Escape, Qt::Key_Return, Qt::Key_Tab}));
}

TEST(DialogKeysTest, OnlyUserActionsNotify) {
    RecordingDialog dialog;
    RunWith(dialog, [&](QWidget* window) {
        // From the program: nothing.
        dialog.SetDlgItemText(20, "set by the program");
        dialog.check.SetCheck(1);
        dialog.combo.SetCurSel(1);
        dialog.SetDlgItemText(10, "Renamed");
        EXPECT_TRUE(dialog.commands.empty());
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, "20")), "set by the program");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, "10")), "Renamed");
        // From the user: a notification each.
        UiTest::Type(UiTest::FindControl(window, "20"), "x");
        UiTest::Click(UiTest::FindControl(window, "21"));
        UiTest::Pick(UiTest::FindControl(window, "22"), 0);
        UiTest::Click(UiTest::FindControl(window, "11"));
    });
    std::vector<std::pair<int, int>> expected = {
        {20, EN_CHANGE}, {21, BN_CLICKED}, {22, CBN_SELCHANGE}, {11, BN_CLICKED}};
    EXPECT_EQ(dialog.commands, expected);
    EXPECT_EQ(dialog.check.GetCheck(), 0);  // the object outlives the window; the click unchecked it before
}

}  // namespace
