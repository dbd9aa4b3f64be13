#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTest>

#include "app/widgets/DynDialogEx.h"
#include "support/ui/UiHarness.h"
#include "ui/Button.h"

namespace {

using namespace Ui;
using UiTest::IdPath;
using Widgets::CDynDialogEx;
using Widgets::CDynDialogItemEx;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

// The editors' dialog: a bound edit, check box and two pickers, and a plain button.
constexpr int kEditId = 1000, kCheckId = 1001, kDateId = 1002, kTimeId = 1003, kOtherId = 1500;
// The dialog that refuses its ActiveX control.
constexpr int kCalendarId = 1100, kTextId = 1101, kBoundId = 1102;

TEST(DynDialogBuilderTest, RowsIdsAndTheGrowingRectangle) {
    CDynDialogEx dialog;
    UINT first = dialog.AddDlgControl("EDIT", "", kChild, 0);
    UINT second = dialog.AddDlgControl(129, "", kChild, 0);
    EXPECT_EQ(second, first + 1);  // automatic ids follow each other
    ASSERT_EQ(dialog.Items().size(), 2u);
    EXPECT_EQ(dialog.Items()[0]->GetRect(), (RECT{10, 10, 270, 22}));
    EXPECT_EQ(dialog.Items()[1]->GetRect(), (RECT{10, 22, 120, 34}));  // the type-code form is narrower
    RECT r;
    dialog.GetDlgRect(&r);
    EXPECT_EQ(r, (RECT{0, 0, 275, 39}));
    RECT explicitRect{-5, 3, 100, 20};
    EXPECT_EQ(dialog.AddDlgControl("STATIC", "x", kChild, 0, &explicitRect, {}, 77), 77u);
    dialog.GetDlgRect(&r);
    EXPECT_EQ(r, (RECT{-5, 0, 275, 39}));
    RECT set{1, 2, 30, 40};
    dialog.SetDlgRect(&set);
    dialog.GetDlgRect(&r);
    EXPECT_EQ(r, set);
    EXPECT_EQ(dialog.AddTemplateDlgControl("BUTTON", "In template", kChild, 0), second + 1);
    EXPECT_EQ(dialog.GetItemCount(), 1);
}

TEST(DynDialogBuilderTest, ClassNamesAndCodes) {
    struct Case {
        const char* name;
        int code;
    } cases[] = {{"BUTTON", 128},         {"ComboBoxEx32", 146},      {"RICHEDIT20A", 142}, {"Edit", 0},
                 {"SysIPAddress32", 145}, {"msctls_progress32", 135}, {"COMBOBOX", 133},    {"", 0},
                 {"MSCAL.Calendar", 0}};
    for (const Case& c : cases) EXPECT_EQ(CDynDialogItemEx::TypeOfClassName(c.name), c.code) << c.name;
    EXPECT_EQ(CDynDialogItemEx::ClassNameOfType(143), "SysDateTimePick32");
    EXPECT_EQ(CDynDialogItemEx::ClassNameOfType(147), "");
    EXPECT_EQ(CDynDialogItemEx::ClassNameOfType(0), "");
}

TEST(DynDialogBuilderTest, DataMustFitTheControlAndTheDefaultFontIsMsSansSerif8) {
    int number = 0;
    std::string text;
    COleDateTime date;
    CTime time;
    CButton button;
    CDynDialogEx dialog;
    EXPECT_NE(dialog.AddDlgControl("EDIT", "", kChild, 0, nullptr, &text), 0u);
    EXPECT_EQ(dialog.AddDlgControl("EDIT", "", kChild, 0, nullptr, &number), 0u);
    EXPECT_NE(dialog.AddDlgControl("BUTTON", "", kChild | BS_AUTOCHECKBOX, 0, nullptr, &number), 0u);
    EXPECT_NE(dialog.AddDlgControl("BUTTON", "", kChild, 0, nullptr, static_cast<CWnd*>(&button)), 0u);
    EXPECT_EQ(dialog.AddDlgControl("BUTTON", "", kChild, 0, nullptr, &number), 0u);
    EXPECT_NE(dialog.AddDlgControl("SysDateTimePick32", "", kChild | DTS_TIMEFORMAT, 0, nullptr, &time), 0u);
    EXPECT_EQ(dialog.AddDlgControl("SysDateTimePick32", "", kChild | DTS_TIMEFORMAT, 0, nullptr, &date), 0u);
    EXPECT_NE(dialog.AddDlgControl("SysDateTimePick32", "", kChild, 0, nullptr, &date), 0u);
    EXPECT_EQ(dialog.Items().size(), 5u);
    DialogTemplate t = dialog.BuildTemplate();
    EXPECT_EQ(t.fontFace, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.style, 0x10C80040u);
    EXPECT_EQ(t.exStyle, WS_EX_DLGMODALFRAME);
}

TEST(DynDialogTest, StandardButtonsAloneStand55UnitsApart) {
    CDynDialogEx dialog;
    UiTest::OnNextModal([&](QWidget* window) {
        QWidget* ok = UiTest::FindControl(window, IdPath({IDOK}));
        QWidget* cancel = UiTest::FindControl(window, IdPath({IDCANCEL}));
        ASSERT_TRUE(ok && cancel);
        EXPECT_EQ(UiTest::Text(ok), "OK");
        EXPECT_EQ(UiTest::Text(cancel), "Annuleren");
        EXPECT_LT(ok->x(), cancel->x());
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(dialog.Items().size(), 2u);
    EXPECT_EQ(dialog.Items()[0]->GetRect(), (RECT{10, 16, 60, 30}));
    EXPECT_EQ(dialog.Items()[1]->GetRect(), (RECT{65, 16, 115, 30}));
    RECT r;
    dialog.GetDlgRect(&r);
    EXPECT_EQ(r, (RECT{0, 0, 120, 35}));
}

// The parent hears every command but OK and Cancel.
class Owner : public CDialog {
public:
    Owner() {
        DialogTemplate t;
        t.cx = 100;
        t.cy = 50;
        CreateIndirect(t);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        if (HIWORD(wParam) == BN_CLICKED) clicks.push_back(LOWORD(wParam));
        if (LOWORD(wParam) == kEditId) ++editChanges;
        return 1;
    }
    std::vector<int> clicks;
    int editChanges = 0;
};

struct Values {
    std::string text = "before";
    int check = 0;
    COleDateTime date{2012, 6, 4, 0, 0, 0};
    CTime time{2012, 6, 4, 9, 5, 3};
};

void AddEditors(CDynDialogEx& dialog, Values& v) {
    dialog.SetWindowTitle("Editors");
    RECT edit{7, 7, 120, 19};
    dialog.AddDlgControl("EDIT", "", kChild | WS_BORDER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, &edit, &v.text, kEditId);
    dialog.AddDlgControl("BUTTON", "Check", kChild | BS_AUTOCHECKBOX, 0, nullptr, &v.check, kCheckId);
    RECT datePicker{7, 40, 60, 53};
    dialog.AddDlgControl("SysDateTimePick32", "", 0x50010020, 0, &datePicker, &v.date, kDateId);
    RECT timePicker{67, 40, 120, 53};
    dialog.AddDlgControl("SysDateTimePick32", "", 0x50010029, 0, &timePicker, &v.time, kTimeId);
    dialog.AddDlgControl("BUTTON", "Other", kChild, 0, nullptr, {}, kOtherId);
}

TEST(DynDialogTest, OkStoresTheBoundValuesCancelStoresNothingAndOtherCommandsGoToTheParent) {
    Owner owner;
    Values v;
    {
        CDynDialogEx dialog(&owner);
        AddEditors(dialog, v);
        UiTest::OnNextModal([&](QWidget* window) {
            EXPECT_EQ(window->windowTitle(), "Editors");
            EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, IdPath({kEditId}))), "before");
            UiTest::Type(UiTest::FindControl(window, IdPath({kEditId})), " after");
            UiTest::Click(UiTest::FindControl(window, IdPath({kCheckId})));
            auto* date = qobject_cast<QDateTimeEdit*>(UiTest::FindControl(window, IdPath({kDateId})));
            date->setFocus();
            date->setCurrentSection(QDateTimeEdit::DaySection);
            QTest::keyClick(date, Qt::Key_Up);
            UiTest::Click(UiTest::FindControl(window, IdPath({kOtherId})));
            EXPECT_TRUE(window->isVisible());
            UiTest::Screenshot(window, "dynamic-dialog");
            UiTest::Click(UiTest::FindControl(window, IdPath({IDOK})));
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
    }
    EXPECT_EQ(v.text, "before after");
    EXPECT_EQ(v.check, 1);
    EXPECT_EQ(v.date.GetDay(), 5);
    EXPECT_EQ(v.time.GetMinute(), 5);
    // Clicks on Other and Check and the edit's changes are passed on; OK is not.
    EXPECT_EQ(owner.clicks, (std::vector<int>{kCheckId, kOtherId}));
    EXPECT_EQ(owner.editChanges, 6);

    Values untouched;
    CDynDialogEx cancelled(&owner);
    AddEditors(cancelled, untouched);
    UiTest::OnNextModal([&](QWidget* window) {
        UiTest::Type(UiTest::FindControl(window, IdPath({kEditId})), " lost");
        UiTest::Click(UiTest::FindControl(window, IdPath({IDCANCEL})));
    });
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(untouched.text, "before");
    EXPECT_EQ(owner.clicks, (std::vector<int>{kCheckId, kOtherId}));
}

TEST(DynDialogTest, AnActiveXControlIsRefusedWithTheMessageAndTheRestWorks) {
    CDynDialogEx dialog;
    std::string text = "kept";
    CButton bound;
    dialog.AddDlgControl("MSCAL.Calendar.7", "", kChild, 0, nullptr, {}, kCalendarId);
    dialog.AddDlgControl("EDIT", "", kChild | WS_BORDER, 0, nullptr, &text, kTextId);
    dialog.AddDlgControl("BUTTON", "Bound", kChild, 0, nullptr, static_cast<CWnd*>(&bound), kBoundId);
    UiTest::MessageBoxSeen told;
    UiTest::AnswerNextMessageBox(IDOK, &told);
    UiTest::OnNextModal([&](QWidget* window) {
        EXPECT_EQ(UiTest::FindControl(window, IdPath({kCalendarId})), nullptr);
        // A push button given a control object is that object's window.
        EXPECT_EQ(bound.GetWidget(), UiTest::FindControl(window, IdPath({kBoundId})));
        EXPECT_EQ(bound.GetWindowText(), "Bound");
        UiTest::Type(UiTest::FindControl(window, IdPath({kTextId})), "!");
        UiTest::Key(UiTest::FindControl(window, IdPath({kTextId})), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(told.text, "Failed SetWindowPos for control MSCAL.Calendar.7.");
    EXPECT_EQ(text, "kept!");
}

TEST(DynDialogTest, AModelessDialogClosesItsWindowOnOk) {
    Owner owner;
    CDynDialogEx dialog(&owner);
    dialog.SetModeless(true);
    EXPECT_EQ(dialog.DoModal(), 1);
    ASSERT_TRUE(dialog.IsWindow());
    EXPECT_TRUE(dialog.GetWidget()->isVisible());
    UiTest::Click(UiTest::FindControl(dialog.GetWidget(), IdPath({IDOK})));
    UiTest::ProcessUntil([&] { return !dialog.IsWindow(); }, 100);
    EXPECT_FALSE(dialog.IsWindow());
}

}  // namespace

namespace {

using namespace Ui;
using Widgets::CDynDialogEx;

// The property grid's Text editor, built the way the grid builds it: its own buttons, the
// item's name as caption, the grid's font, a multi-line edit bound to the text.
TEST(DynDialogTest, TheGridsTextEditorAsTheGridBuildsIt) {
    std::string value = "line one";
    QFont gridFont(QStringLiteral("DejaVu Sans"), 9);
    CDynDialogEx dialog;
    dialog.SetUseSystemButtons(false);
    dialog.SetWindowTitle("Description");
    dialog.SetFont(&gridFont);
    RECT edit{7, 7, 200, 100};
    dialog.AddDlgControl("EDIT", value.c_str(), 0x503110C4, WS_EX_CLIENTEDGE, &edit, &value);
    RECT ok{56, 106, 106, 120};
    dialog.AddDlgControl("BUTTON", "OK", 0x50010000, 0, &ok, {}, IDOK);
    RECT cancel{110, 106, 160, 120};
    dialog.AddDlgControl("BUTTON", "Cancel", 0x50010000, 0, &cancel, {}, IDCANCEL);
    EXPECT_EQ(dialog.BuildTemplate().pointSize, 9);
    UiTest::OnNextModal([&](QWidget* window) {
        EXPECT_EQ(window->windowTitle(), "Description");
        QList<QWidget*> edits;
        for (QObject* child : window->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w && w->inherits("QPlainTextEdit")) edits << w;
        }
        ASSERT_EQ(edits.size(), 1);
        UiTest::Type(edits.front(), "");
        QTest::keyClick(edits.front(), Qt::Key_Return);
        UiTest::Type(edits.front(), "line two");
        UiTest::Click(UiTest::FindControl(window, IdPath({IDOK})));
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(value, "line one\r\nline two");
}

}  // namespace
