#include <QCalendarWidget>
#include <QColorDialog>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstring>

#include "PropertyGridFixture.h"
#include "app/widgets/PropertyGridCombo.h"
#include "app/widgets/PropertyGridMonthCalCtrl.h"
#include "support/ui/UiHarness.h"
#include "ui/Text.h"

// Each editor opened by the mouse, committed and cancelled by keys and clicks, with the
// owner told of every change and of nothing else.
namespace {

using namespace Ui;
using GridTest::GridFixture;
using Widgets::CPropertyGridCombo;
using Widgets::CPropertyGridMonthCalCtrl;

class PropertyGridEditorsTest : public GridFixture {
protected:
    QLineEdit* OpenEdit(int id) {
        Click(ValuePoint(id));
        return qobject_cast<QLineEdit*>(EditorWidget());
    }
    // Clicks the "..." button of the item, focusing it first.
    void ClickButton(int id) {
        Click(NamePoint(id));
        Paint();
        const RECT& value = grid.FindItem(id)->valueRect;
        Click(QPoint(value.right + grid.GetRowHeight() / 2, (value.top + value.bottom) / 2));
    }
    CPropertyGridCombo* List() { return dynamic_cast<CPropertyGridCombo*>(grid.GetEditor()); }
    // Lets the closed editor go and any posted box come.
    void Settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
};

TEST_F(PropertyGridEditorsTest, TheEditStartsWithThePlainValueAndTheCaretAtItsEnd) {
    int s = grid.AddSection("S");
    int id = grid.AddIntegerItem(s, "Count", 7, "%04d items");
    int unknown = grid.AddDoubleItem(s, "Ratio", 0.5, "", true, true);
    QLineEdit* edit = OpenEdit(id);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "7");  // the display format is not used for editing
    EXPECT_FALSE(edit->hasSelectedText());
    EXPECT_EQ(edit->cursorPosition(), 1);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->geometry().left(), grid.GetSplitterPosition() + 1);
    UiTest::Screenshot(owner.GetWidget(), "property-grid-in-place-edit");
    edit = OpenEdit(unknown);  // the press closes the first edit
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "");
}

// A committed number must be the whole text and fit: anything else is refused, told
// after the edit has closed, and the old value stays.
TEST_F(PropertyGridEditorsTest, NumberTextIsStoredOnlyWhenItIsAWholeNumber) {
    int s = grid.AddSection("S");
    int count = grid.AddIntegerItem(s, "Count", 7);
    int ratio = grid.AddDoubleItem(s, "Ratio", 0.5);
    struct Case {
        int id;
        const char* typed;
        int key;
        const char* shown;  // after the commit
        bool notified;
        bool told;
    } cases[] = {
        {count, "42", Qt::Key_Return, "42", true, false},     {count, "12abc", Qt::Key_Return, "42", false, true},
        {count, "abc", Qt::Key_Tab, "42", false, true},       {count, "99999999999", Qt::Key_Enter, "42", false, true},
        {count, "", Qt::Key_Return, "42", false, false},   // empty text changes nothing
        {count, "-3", Qt::Key_Escape, "42", true, false},  // Escape commits the starting text
        {ratio, "2.25", Qt::Key_Return, "2.25", true, false}, {ratio, "2,5", Qt::Key_Return, "2.25", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        owner.changed.clear();
        Activate();
        QLineEdit* edit = OpenEdit(c.id);
        ASSERT_NE(edit, nullptr);
        UiTest::Clear(edit);
        UiTest::Type(edit, c.typed);
        UiTest::MessageBoxSeen seen;
        if (c.told) UiTest::AnswerNextMessageBox(IDOK, &seen);
        QTest::keyClick(edit, static_cast<Qt::Key>(c.key));
        EXPECT_EQ(grid.GetEditor(), nullptr);
        EXPECT_FALSE(seen.seen);  // never inside the commit
        if (c.told) {
            EXPECT_TRUE(UiTest::ProcessUntil([&] { return seen.seen; }));
            EXPECT_NE(seen.text.find(c.typed), std::string::npos);
        }
        Settle();
        EXPECT_EQ(grid.GetValueText(*grid.FindItem(c.id)), c.shown);
        EXPECT_EQ(owner.changed, c.notified ? std::vector<int>{c.id} : std::vector<int>{});
    }
    EXPECT_EQ(UiTest::PendingModalActions(), 0);
}

TEST_F(PropertyGridEditorsTest, StringEditsCommitOnFocusLossAndEscapeRestores) {
    int s = grid.AddSection("S");
    int name = grid.AddStringItem(s, "Name", "old");
    QLineEdit* edit = OpenEdit(name);
    ASSERT_NE(edit, nullptr);
    UiTest::Type(edit, " and new");
    QTest::keyClick(edit, Qt::Key_Escape);
    std::string value;
    grid.GetItemValue(name, value);
    EXPECT_EQ(value, "old");
    EXPECT_EQ(owner.changed, std::vector<int>{name});  // told, though nothing changed

    edit = OpenEdit(name);
    UiTest::Clear(edit);
    Click(QPoint(5, 150));  // a press elsewhere in the grid takes the focus: commit
    grid.GetItemValue(name, value);
    EXPECT_EQ(value, "");  // a string may be empty
    EXPECT_EQ(owner.changed, (std::vector<int>{name, name}));

    edit = OpenEdit(name);
    UiTest::Type(edit, "x");
    QTest::keyClick(edit, Qt::Key_Down);  // edits as usual
    EXPECT_EQ(grid.GetEditor()->GetWidget(), edit);
    QTest::keyClick(edit, Qt::Key_Down, Qt::ControlModifier);  // gives the focus back
    grid.GetItemValue(name, value);
    EXPECT_EQ(value, "x");
    Settle();
}

TEST_F(PropertyGridEditorsTest, TheListShowsItsEntriesAndCommitsTheChosenOne) {
    int s = grid.AddSection("S");
    int unknown = grid.AddBoolItem(s, "Unknown", true, true, true);
    int choice = grid.AddComboItem(s, "Choice", {"one", "two", "three"}, 0);
    int none = grid.AddComboItem(s, "None", {}, 0);

    Click(ValuePoint(unknown));
    CPropertyGridCombo* list = List();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->IsWindowVisible());
    EXPECT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetCurSel(), 0);  // "True" shows as chosen
    EXPECT_EQ(list->GetWidget()->height(), 2 * list->GetEntryHeight() + 2);
    UiTest::Screenshot(list->GetWidget(), "property-grid-list");
    int h = list->GetEntryHeight();
    QTest::mouseClick(list->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 1 + h + h / 2));
    bool value = true;
    EXPECT_TRUE(grid.GetItemValue(unknown, value));
    EXPECT_FALSE(value);
    EXPECT_EQ(owner.changed, std::vector<int>{unknown});

    Click(ValuePoint(choice));
    ASSERT_NE(List(), nullptr);
    QTest::mouseClick(List()->GetWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 1 + 2 * h + h / 2));
    int index = -1;
    grid.GetItemValue(choice, index);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(owner.changed, (std::vector<int>{unknown, choice}));

    struct Keys {
        std::vector<int> keys;
        int index;
        bool notified;
    } runs[] = {
        {{Qt::Key_Up, Qt::Key_Return}, 1, true},
        {{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Execute}, 2, true},  // stops at the last
        {{Qt::Key_Left, Qt::Key_Left, Qt::Key_Left, Qt::Key_Enter}, 0, true},
        {{Qt::Key_Right, Qt::Key_Escape}, 0, false},
    };
    for (const Keys& run : runs) {
        owner.changed.clear();
        Click(ValuePoint(choice));
        ASSERT_NE(List(), nullptr);
        QWidget* popup = List()->GetWidget();
        for (int key : run.keys) SendKey(popup, key);
        grid.GetItemValue(choice, index);
        EXPECT_EQ(index, run.index);
        EXPECT_EQ(owner.changed, run.notified ? std::vector<int>{choice} : std::vector<int>{});
        Settle();
    }

    // A drag that ends below the list picks the last entry, never one past it.
    Click(ValuePoint(choice));
    QWidget* popup = List()->GetWidget();
    QTest::mousePress(popup, Qt::LeftButton, Qt::NoModifier, QPoint(10, 3));
    QMouseEvent drag(QEvent::MouseMove, QPoint(10, 500), popup->mapToGlobal(QPoint(10, 500)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(popup, &drag);
    QTest::mouseRelease(popup, Qt::LeftButton, Qt::NoModifier, QPoint(10, 500));
    grid.GetItemValue(choice, index);
    EXPECT_EQ(index, 2);

    Click(ValuePoint(none));  // nothing to choose: no list
    EXPECT_EQ(grid.GetEditor(), nullptr);
    Settle();
}

TEST_F(PropertyGridEditorsTest, TheCalendarCommitsThePickedDay) {
    int s = grid.AddSection("S");
    int day = grid.AddDateItem(s, "Day", COleDateTime(2023, 5, 10, 0, 0, 0), "%Y-%m-%d");
    struct Run {
        int key;
        const char* shown;
        bool notified;
    } runs[] = {{Qt::Key_Return, "2023-05-11", true},
                {Qt::Key_Execute, "2023-05-12", true},
                {Qt::Key_Escape, "2023-05-12", false}};
    for (const Run& run : runs) {
        owner.changed.clear();
        Click(ValuePoint(day));
        auto* calendar = dynamic_cast<CPropertyGridMonthCalCtrl*>(grid.GetEditor());
        ASSERT_NE(calendar, nullptr);
        QCalendarWidget* widget = calendar->Calendar();
        ASSERT_TRUE(widget->isVisible());
        EXPECT_EQ(widget->geometry().right() + 1, Widget()->mapToGlobal(QPoint(Widget()->width(), 0)).x());
        QWidget* table = widget->focusWidget() ? widget->focusWidget() : widget;
        QTest::keyClick(table, Qt::Key_Right);
        SendKey(table, run.key);
        EXPECT_EQ(grid.GetValueText(*grid.FindItem(day)), run.shown);
        EXPECT_EQ(owner.changed, run.notified ? std::vector<int>{day} : std::vector<int>{});
        Settle();
    }
}

// Opens the item's dialog by its "..." button or a double-click and runs `action` in it.
struct DialogCase {
    const char* name;
    bool byDoubleClick;
    bool accepted;
};

TEST_F(PropertyGridEditorsTest, TheTextDialogKeepsLineBreaksAsCrLf) {
    int s = grid.AddSection("S");
    int notes = grid.AddTextItem(s, "Notes", "first");
    for (DialogCase c : {DialogCase{"ok", false, true}, DialogCase{"cancel", true, false}}) {
        SCOPED_TRACE(c.name);
        owner.changed.clear();
        UiTest::OnNextModal([&](QWidget* window) {
            EXPECT_EQ(window->windowTitle(), "Notes");
            auto* edit = window->findChild<QPlainTextEdit*>();
            ASSERT_NE(edit, nullptr);
            UiTest::Type(edit, "");
            QTest::keyClick(edit, Qt::Key_Return);  // a new line, not OK
            UiTest::Type(edit, "second");
            QPushButton* ok = nullptr;
            for (auto* button : window->findChildren<QPushButton*>()) {
                if (button->text() == "Accept") ok = button;
            }
            ASSERT_NE(ok, nullptr);  // the parent's OK text
            UiTest::Screenshot(window, "property-grid-text-dialog");
            UiTest::Click(c.accepted ? ok : UiTest::FindControl(window, UiTest::IdPath({IDCANCEL})));
        });
        if (c.byDoubleClick) {
            Click(NamePoint(notes));
            DoubleClick(NamePoint(notes));
        } else {
            ClickButton(notes);
        }
        EXPECT_EQ(UiTest::PendingModalActions(), 0);
        std::string value;
        grid.GetItemValue(notes, value);
        EXPECT_EQ(value, "first\r\nsecond");
        EXPECT_EQ(owner.changed, c.accepted ? std::vector<int>{notes} : std::vector<int>{});
    }
}

TEST_F(PropertyGridEditorsTest, TheDateTimeDialogJoinsTheDayOfOnePickerToTheTimeOfTheOther) {
    int s = grid.AddSection("S");
    COleDateTime start(2012, 6, 4, 9, 5, 3);
    int when = grid.AddDateTimeItem(s, "When", start, "%Y-%m-%d %H:%M:%S", true, true);
    for (DialogCase c : {DialogCase{"cancel", false, false}, DialogCase{"ok", true, true}}) {
        SCOPED_TRACE(c.name);
        UiTest::OnNextModal([&](QWidget* window) {
            auto* date = window->findChild<QDateEdit*>();
            auto* time = window->findChild<QTimeEdit*>();
            ASSERT_TRUE(date && time);
            EXPECT_EQ(date->date(), QDate(2012, 6, 4));
            EXPECT_EQ(time->time(), QTime(9, 5, 3));
            date->setDate(QDate(2013, 7, 8));
            time->setTime(QTime(17, 30, 1));
            UiTest::Screenshot(window, "property-grid-datetime-dialog");
            UiTest::Click(UiTest::FindControl(window, UiTest::IdPath({c.accepted ? IDOK : IDCANCEL})));
        });
        if (c.byDoubleClick) {
            Click(NamePoint(when));
            DoubleClick(NamePoint(when));
        } else {
            ClickButton(when);
        }
    }
    COleDateTime value;
    ASSERT_TRUE(grid.GetItemValue(when, value));  // the dialog defined it
    EXPECT_EQ(value.Format("%Y-%m-%d %H:%M:%S"), "2013-07-08 17:30:01");
    EXPECT_EQ(owner.changed, std::vector<int>{when});
}

TEST_F(PropertyGridEditorsTest, CommonDialogsChangeColourFontFileAndFolder) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("chosen");
    QFile file(dir.filePath("data.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    int s = grid.AddSection("S");
    int colour = grid.AddColorItem(s, "Colour", RGB(0, 0, 0));
    LOGFONT start;
    std::strcpy(start.lfFaceName, "DejaVu Sans");
    start.lfHeight = -12;
    int font = grid.AddFontItem(s, "Font", start);
    int path = grid.AddFileItem(s, "File", FromQt(dir.path()) + "/", "Text files|*.txt||");
    int folder = grid.AddFolderItem(s, "Folder", FromQt(dir.path()), "Where the logs go");

    struct Case {
        int id;
        std::function<void(QWidget*)> answer;
    } cases[] = {
        {colour,
         [](QWidget* window) {
             auto* dialog = qobject_cast<QColorDialog*>(window);
             ASSERT_NE(dialog, nullptr);
             dialog->setCurrentColor(QColor(10, 20, 30));
             dialog->accept();
         }},
        {font,
         [](QWidget* window) {
             auto* dialog = qobject_cast<QFontDialog*>(window);
             ASSERT_NE(dialog, nullptr);
             QFont chosen = dialog->currentFont();
             chosen.setItalic(true);
             dialog->setCurrentFont(chosen);
             dialog->accept();
         }},
        {path,
         [&](QWidget* window) {
             auto* dialog = qobject_cast<QFileDialog*>(window);
             ASSERT_NE(dialog, nullptr);
             EXPECT_EQ(dialog->nameFilters(), QStringList{"Text files (*.txt)"});
             dialog->findChild<QLineEdit*>("fileNameEdit")->setText(dir.filePath("data.txt"));
             QTest::keyClick(dialog->findChild<QLineEdit*>("fileNameEdit"), Qt::Key_Return);
         }},
        {folder,
         [&](QWidget* window) {
             EXPECT_EQ(window->windowTitle(), "Where the logs go");  // the item's own title
             auto* edit = window->findChild<QLineEdit*>("fileNameEdit");
             edit->setText(dir.filePath("chosen"));
             QTest::keyClick(edit, Qt::Key_Return);
         }},
    };
    for (const Case& c : cases) {
        owner.changed.clear();
        UiTest::OnNextModal(c.answer);
        ClickButton(c.id);
        EXPECT_EQ(UiTest::PendingModalActions(), 0);
        EXPECT_EQ(owner.changed, std::vector<int>{c.id});
        // Cancelled, nothing changes and no one is told.
        owner.changed.clear();
        UiTest::OnNextModal([](QWidget* window) { qobject_cast<QDialog*>(window)->reject(); });
        DoubleClick(NamePoint(c.id));
        EXPECT_TRUE(owner.changed.empty());
    }
    COLORREF rgb = 0;
    grid.GetItemValue(colour, rgb);
    EXPECT_EQ(rgb, RGB(10, 20, 30));
    LOGFONT chosen;
    grid.GetItemValue(font, chosen);
    EXPECT_EQ(chosen.lfItalic, 1);
    std::string text;
    grid.GetItemValue(path, text);
    EXPECT_EQ(text, FromQt(dir.filePath("data.txt")));
    grid.GetItemValue(folder, text);
    EXPECT_EQ(text, FromQt(dir.filePath("chosen")));
}

TEST_F(PropertyGridEditorsTest, ANonEditableItemGetsNoButtonAndNoEditor) {
    int s = grid.AddSection("S");
    struct Case {
        int id;
    } cases[] = {{grid.AddStringItem(s, "String", "v", false)},
                 {grid.AddBoolItem(s, "Bool", true, false)},
                 {grid.AddTextItem(s, "Text", "t", false)},
                 {grid.AddComboItem(s, "Combo", {"a", "b"}, 0, false)}};
    for (const Case& c : cases) {
        Click(ValuePoint(c.id));
        EXPECT_EQ(grid.GetFocusedItem(), c.id);  // it may take the focus
        Paint();
        EXPECT_EQ(grid.FindItem(c.id)->valueRect.right, Widget()->width());  // no button square
        EXPECT_EQ(grid.GetEditor(), nullptr);
        DoubleClick(ValuePoint(c.id));  // no modal window may come
        EXPECT_TRUE(owner.changed.empty());
    }
    bool value = false;
    grid.GetItemValue(cases[1].id, value);
    EXPECT_TRUE(value);
}

}  // namespace
