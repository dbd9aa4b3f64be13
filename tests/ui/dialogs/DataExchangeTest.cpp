#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QSlider>

#include "support/ui/UiHarness.h"
#include "ui/ComboBox.h"
#include "ui/DataExchange.h"
#include "ui/Dialog.h"

namespace {

using namespace Ui;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

DialogTemplate ExchangeTemplate() {
    DialogTemplate t;
    t.caption = "Exchange";
    t.cx = 220;
    t.cy = 160;
    t.controls = {
        {30, "EDIT", "", 5, 5, 80, 12, kChild | WS_BORDER},
        {31, "EDIT", "", 5, 20, 80, 12, kChild | WS_BORDER},
        {32, "EDIT", "", 5, 35, 80, 12, kChild | WS_BORDER},
        {33, "BUTTON", "Check", 5, 50, 50, 10, kChild | BS_AUTOCHECKBOX},
        {34, "BUTTON", "One", 5, 62, 50, 10, kChild | BS_AUTORADIOBUTTON | WS_GROUP},
        {35, "BUTTON", "Two", 5, 74, 50, 10, kChild | BS_AUTORADIOBUTTON},
        {36, "BUTTON", "Three", 5, 86, 50, 10, kChild | BS_AUTORADIOBUTTON},
        {37, "BUTTON", "Other group", 5, 98, 50, 10, kChild | BS_AUTORADIOBUTTON | WS_GROUP},
        {38, "COMBOBOX", "", 100, 5, 80, 60, kChild | CBS_DROPDOWNLIST},
        {39, "SCROLLBAR", "", 100, 25, 80, 10, kChild},
        {40, "msctls_trackbar32", "", 100, 40, 80, 14, kChild},
        {IDOK, "BUTTON", "OK", 100, 120, 50, 14, kChild | BS_DEFPUSHBUTTON},
    };
    return t;
}

class ExchangeDialog : public CDialog {
public:
    ExchangeDialog() { InitModalIndirect(ExchangeTemplate()); }
    std::string text = "initial";
    std::uint32_t count = 7;
    int number = -3;
    int check = 1;
    int radio = 2;
    int choice = 1;
    int scroll = 40;
    int slider = 60;
    CComboBox combo;

    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, 38, combo);
        DDX_Text(dx, 30, text);
        DDX_Text(dx, 31, count);
        DDX_Text(dx, 32, number);
        DDX_Check(dx, 33, check);
        DDX_Radio(dx, 34, radio);
        DDX_CBIndex(dx, 38, choice);
        DDX_Scroll(dx, 39, scroll);
        DDX_Slider(dx, 40, slider);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        for (const char* item : {"zero", "one", "two"}) combo.AddString(item);
        UpdateData(FALSE);  // the index needs the items
        return TRUE;
    }
};

TEST(DataExchangeTest, EveryKindGoesIntoTheControlsAndBackOnOk) {
    ExchangeDialog dialog;
    UiTest::OnNextModal([&](QWidget* window) {
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, "30")), "initial");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, "31")), "7");
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, "32")), "-3");
        EXPECT_EQ(dialog.combo.GetCurSel(), 1);
        EXPECT_EQ(qobject_cast<QScrollBar*>(UiTest::FindControl(window, "39"))->value(), 40);
        UiTest::Clear(UiTest::FindControl(window, "30"));
        UiTest::Type(UiTest::FindControl(window, "30"), "typed");
        UiTest::Clear(UiTest::FindControl(window, "31"));
        UiTest::Type(UiTest::FindControl(window, "31"), "4294967295");
        UiTest::Clear(UiTest::FindControl(window, "32"));
        UiTest::Type(UiTest::FindControl(window, "32"), "-2147483648");
        UiTest::Click(UiTest::FindControl(window, "33"));
        UiTest::Click(UiTest::FindControl(window, "34"));
        UiTest::Pick(UiTest::FindControl(window, "38"), 2);
        qobject_cast<QSlider*>(UiTest::FindControl(window, "40"))->setValue(9);
        UiTest::Click(UiTest::FindControl(window, "1"));
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.text, "typed");
    EXPECT_EQ(dialog.count, 4294967295u);
    EXPECT_EQ(dialog.number, -2147483647 - 1);
    EXPECT_EQ(dialog.check, 0);
    EXPECT_EQ(dialog.radio, 0);
    EXPECT_EQ(dialog.choice, 2);
    EXPECT_EQ(dialog.scroll, 40);
    EXPECT_EQ(dialog.slider, 9);
}

TEST(DataExchangeTest, TextThatDoesNotParseOrFitIsRefusedAndTheMembersKeepTheirValues) {
    struct Case {
        const char* control;
        const char* typed;
    } cases[] = {
        {"31", "abc"},   {"31", "4294967296"}, {"31", "-1"},  {"31", ""},
        {"31", "12abc"}, {"32", "2147483648"}, {"32", "1.5"}, {"32", "--1"},
    };
    for (const Case& c : cases) {
        ExchangeDialog dialog;
        UiTest::MessageBoxSeen told;
        bool updated = true;
        UiTest::OnNextModal([&](QWidget* window) {
            QWidget* edit = UiTest::FindControl(window, c.control);
            UiTest::Clear(edit);
            UiTest::Type(edit, c.typed);
            UiTest::FindControl(window, "30")->setFocus();
            UiTest::AnswerNextMessageBox(IDOK, &told);
            updated = dialog.UpdateData(TRUE);
            EXPECT_EQ(window->focusWidget(), edit) << c.typed;
            // OK refuses the same way and leaves the dialog open.
            UiTest::AnswerNextMessageBox(IDOK);
            UiTest::Click(UiTest::FindControl(window, "1"));
            EXPECT_TRUE(window->isVisible()) << c.typed;
            dialog.EndDialog(IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        EXPECT_FALSE(updated) << c.typed;
        EXPECT_TRUE(told.seen) << c.typed;
        EXPECT_NE(told.text.find("whole number"), std::string::npos) << told.text;
        EXPECT_EQ(dialog.count, 7u) << c.typed;
        EXPECT_EQ(dialog.number, -3) << c.typed;
        EXPECT_EQ(UiTest::PendingModalActions(), 0) << c.typed;
    }
}

TEST(DataExchangeTest, NumbersIgnoreTheUsersLocale) {
    ExchangeDialog dialog;
    dialog.count = 1234567;
    UiTest::OnNextModal([&](QWidget* window) {
        EXPECT_EQ(UiTest::Text(UiTest::FindControl(window, "31")), "1234567");
        UiTest::Clear(UiTest::FindControl(window, "31"));
        UiTest::Type(UiTest::FindControl(window, "31"), " 89 ");
        UiTest::Click(UiTest::FindControl(window, "1"));
    });
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(dialog.DoModal(), IDOK);
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(dialog.count, 89u);
}

}  // namespace
