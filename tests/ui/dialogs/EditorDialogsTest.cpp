#include <gtest/gtest.h>

#include <QDateTimeEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "support/ui/UiHarness.h"
#include "ui/DataExchange.h"
#include "ui/Dialog.h"

// The two dialogs that the property grid builds at run time for its Text and DateTime
// items, as templates with the same classes, styles and rectangles, bound to members.
namespace {

using namespace Ui;

constexpr DWORD kButton = 0x50010000;

ControlTemplate FromEdges(int id, const char* cls, const char* text, int left, int top, int right, int bottom,
                          DWORD style, DWORD exStyle = 0) {
    return ControlTemplate{id, cls, text, left, top, right - left, bottom - top, style, exStyle};
}

DialogTemplate EditorTemplate(const char* caption, std::vector<ControlTemplate> controls) {
    DialogTemplate t;
    t.caption = caption;
    t.style = 0x10C80040;  // visible, caption, system menu, set font
    t.exStyle = WS_EX_DLGMODALFRAME;
    for (const ControlTemplate& c : controls) {
        t.cx = std::max(t.cx, c.x + c.cx + 5);
        t.cy = std::max(t.cy, c.y + c.cy + 5);
    }
    t.controls = std::move(controls);
    return t;
}

class TextDialog : public CDialog {
public:
    explicit TextDialog(std::string initial) : text(std::move(initial)) {
        InitModalIndirect(
            EditorTemplate("Description", {FromEdges(1000, "EDIT", "", 7, 7, 200, 100, 0x503110C4, WS_EX_CLIENTEDGE),
                                           FromEdges(IDOK, "BUTTON", "OK", 56, 106, 106, 120, kButton),
                                           FromEdges(IDCANCEL, "BUTTON", "Cancel", 110, 106, 160, 120, kButton)}));
    }
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, 1000, text); }
    std::string text;
};

TEST(EditorDialogsTest, TheTextDialogEditsSeveralLinesAndGivesThemBackWithCrLf) {
    TextDialog dialog("first line\r\nsecond");
    UiTest::OnNextModal([&](QWidget* window) {
        auto* edit = qobject_cast<QPlainTextEdit*>(UiTest::FindControl(window, "1000"));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->toPlainText(), "first line\nsecond");
        UiTest::Type(edit, " line");
        QTest::keyClick(edit, Qt::Key_Return);  // a new line, not OK: the edit wants Enter
        UiTest::Type(edit, "third");
        EXPECT_TRUE(window->isVisible());
        UiTest::Screenshot(window, "text-dialog");
        UiTest::Click(UiTest::FindControl(window, "1"));
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.text, "first line\r\nsecond line\r\nthird");

    TextDialog cancelled("kept");
    UiTest::OnNextModal([&](QWidget* window) {
        UiTest::Type(UiTest::FindControl(window, "1000"), " changed");
        UiTest::Key(UiTest::FindControl(window, "2"), Qt::Key_Escape);
    });
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.text, "kept");
}

class DateTimeDialog : public CDialog {
public:
    DateTimeDialog(COleDateTime initialDate, CTime initialTime) : date(initialDate), time(initialTime) {
        InitModalIndirect(
            EditorTemplate("Timestamp", {FromEdges(-1, "STATIC", "Date", 7, 3, 60, 12, 0x50000000),
                                         FromEdges(-1, "STATIC", "Time", 67, 3, 120, 12, 0x50000000),
                                         FromEdges(1001, "SysDateTimePick32", "", 7, 13, 60, 26, 0x50010020),
                                         FromEdges(1002, "SysDateTimePick32", "", 67, 13, 120, 26, 0x50010029),
                                         FromEdges(IDOK, "BUTTON", "OK", 7, 37, 60, 51, kButton),
                                         FromEdges(IDCANCEL, "BUTTON", "Cancel", 67, 37, 120, 51, kButton)}));
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_DateTimeCtrl(dx, 1001, date);
        DDX_DateTimeCtrl(dx, 1002, time);
    }
    COleDateTime date;
    CTime time;
};

// Steps a picker's sections with the arrow keys, as a person does.
void StepSection(QDateTimeEdit* picker, QDateTimeEdit::Section section, int steps) {
    picker->setFocus();
    picker->setCurrentSection(section);
    for (int i = 0; i < std::abs(steps); ++i) QTest::keyClick(picker, steps > 0 ? Qt::Key_Up : Qt::Key_Down);
}

TEST(EditorDialogsTest, TheDateTimeDialogCombinesThePickedDayWithThePickedTime) {
    COleDateTime start(2012, 6, 4, 9, 5, 3);
    CTime startTime(2012, 6, 4, 9, 5, 3);
    DateTimeDialog dialog(start, startTime);
    UiTest::OnNextModal([&](QWidget* window) {
        auto* datePicker = qobject_cast<QDateTimeEdit*>(UiTest::FindControl(window, "1001"));
        auto* timePicker = qobject_cast<QDateTimeEdit*>(UiTest::FindControl(window, "1002"));
        ASSERT_TRUE(datePicker && timePicker);
        EXPECT_EQ(datePicker->date(), QDate(2012, 6, 4));
        EXPECT_EQ(timePicker->time(), QTime(9, 5, 3));
        StepSection(datePicker, QDateTimeEdit::DaySection, 3);
        StepSection(timePicker, QDateTimeEdit::HourSection, -2);
        UiTest::Screenshot(window, "datetime-dialog");
        UiTest::Click(UiTest::FindControl(window, "1"));
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.date.GetDay(), 7);
    EXPECT_EQ(dialog.time.GetHour(), 7);
    // What the grid stores: the date picker's day with the time picker's time of day.
    COleDateTime combined(dialog.date.GetYear(), dialog.date.GetMonth(), dialog.date.GetDay(), dialog.time.GetHour(),
                          dialog.time.GetMinute(), dialog.time.GetSecond());
    EXPECT_EQ(combined.Format("%Y-%m-%d %H:%M:%S"), "2012-06-07 07:05:03");

    DateTimeDialog cancelled(start, startTime);
    UiTest::OnNextModal([&](QWidget* window) {
        StepSection(qobject_cast<QDateTimeEdit*>(UiTest::FindControl(window, "1001")), QDateTimeEdit::YearSection, 1);
        UiTest::Click(UiTest::FindControl(window, "2"));
    });
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelled.date, start);
}

}  // namespace
