#include <QFontMetrics>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstring>

#include "GridNames.h"
#include "PropertyGridFixture.h"
#include "support/ui/UiHarness.h"
#include "ui/DialogUnits.h"

// Layout, painting, focus, mouse and keys of a shown grid.
namespace {

using namespace Ui;
using GridTest::GridFixture;
using Widgets::CPropertyGrid;

using PropertyGridViewTest = GridFixture;

TEST_F(PropertyGridViewTest, FontsRowHeightAndButtonTextsComeFromTheParent) {
    EXPECT_EQ(grid.GetFont().family(), owner.GetWidget()->font().family());
    EXPECT_TRUE(grid.GetBoldFont().bold());
    EXPECT_EQ(grid.GetRowHeight(), QFontMetrics(grid.GetFont()).height() + 4);
    EXPECT_EQ(grid.GetSplitterPosition(), 150);

    CPropertyGrid lone;  // no parent: the fallback face, which this system maps to its own font
    ASSERT_TRUE(lone.Create(WS_VISIBLE, RECT{0, 0, 100, 50}, nullptr, 0));
    EXPECT_DOUBLE_EQ(lone.GetFont().pointSizeF(), 8.5);
}

TEST_F(PropertyGridViewTest, TheScrollBarShowsOnceTheRowsFillTheClientArea) {
    int rows = 200 / grid.GetRowHeight();
    int s = grid.AddSection("S");
    for (int i = 1; i < rows - 1; ++i) grid.AddStringItem(s, "Item " + std::to_string(i), "v");
    EXPECT_FALSE(grid.IsScrollBarShown());  // one row short
    Widget()->resize(300, rows * grid.GetRowHeight());
    grid.AddStringItem(s, "Last", "v");  // exactly as high as the client area
    EXPECT_TRUE(grid.IsScrollBarShown());
    auto* bar = Widget()->findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 1);  // a Win32 bar reaches total - page + 1
    grid.ExpandSection(s, false);
    EXPECT_FALSE(grid.IsScrollBarShown());
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(PropertyGridViewTest, ValuesShowInTheirTextForms) {
    int s = grid.AddSection("S");
    LOGFONT font;
    std::strcpy(font.lfFaceName, "Sans");
    font.lfHeight = -MulDiv(12, Widget()->logicalDpiY(), 72);
    struct Case {
        int id;
        const char* shown;
    } cases[] = {
        {grid.AddTextItem(s, "Text", "a\r\nb"),
         "a\xC2\xB6"
         "b"},
        {grid.AddTextItem(s, "Lone LF", "a\nb"), "a\nb"},
        {grid.AddIntegerItem(s, "Padded", 7, "%04d"), "0007"},
        {grid.AddIntegerItem(s, "Plain", 7, ""), "7"},
        {grid.AddIntegerItem(s, "Hostile s", 7, "%s"), "7"},
        {grid.AddIntegerItem(s, "Hostile n", 7, "%n"), "7"},
        {grid.AddIntegerItem(s, "Hostile dd", 7, "%d%d"), "7"},
        {grid.AddIntegerItem(s, "Hostile f", 7, "%f"), "7"},
        {grid.AddDoubleItem(s, "Double", 0.5, "%.2f s"), "0.50 s"},
        {grid.AddDoubleItem(s, "Double plain", 0.5, ""), "0.5"},
        {grid.AddDoubleItem(s, "Double hostile", 0.5, "%s%n"), "0.5"},
        {grid.AddComboItem(s, "Combo", {"a", "b"}, 1), "b"},
        {grid.AddComboItem(s, "Combo out", {"a", "b"}, 5), ""},
        {grid.AddBoolItem(s, "Bool", false), "False"},
        {grid.AddDateItem(s, "Date", COleDateTime(2024, 3, 9, 10, 0, 0), "%d.%m.%Y"), "09.03.2024"},
        {grid.AddDateTimeItem(s, "DateTime", COleDateTime(2024, 3, 9, 10, 5, 0), "%Y-%m-%d %H:%M"), "2024-03-09 10:05"},
        {grid.AddColorItem(s, "Color", RGB(255, 128, 0)), "255; 128; 0"},
        {grid.AddFontItem(s, "Font", font), "Sans; 12pt"},
        {grid.AddFileItem(s, "File", "/a/b.txt"), "/a/b.txt"},
    };
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    int bad = grid.AddDateTimeItem(s, "Invalid", invalid);
    Paint();
    for (const Case& c : cases) EXPECT_EQ(grid.GetValueText(*grid.FindItem(c.id)), c.shown) << c.id;
    EXPECT_EQ(grid.GetValueText(*grid.FindItem(bad)), "Invalid DateTime");
}

TEST_F(PropertyGridViewTest, ClicksFocusHeadersAndItemsAndTheExpanderFolds) {
    int a = grid.AddSection("A");
    int first = grid.AddStringItem(a, "First", "1");
    int locked = grid.AddStringItem(a, "Locked", "2", false);
    Paint();
    Click(NamePoint(first));
    EXPECT_EQ(grid.GetFocusedItem(), first);
    EXPECT_EQ(grid.GetFocusedSection(), -1);

    const RECT header = grid.FindSection(a)->headerRect;
    Click(QPoint(header.left + 40, header.top + 3));
    EXPECT_EQ(grid.GetFocusedSection(), a);
    EXPECT_EQ(grid.GetFocusedItem(), -1);

    grid.SetFocusDisabled(false);
    Click(NamePoint(locked));
    EXPECT_EQ(grid.GetFocusedItem(), -1);  // cannot take the focus: the click focuses nothing
    EXPECT_EQ(grid.GetFocusedSection(), -1);

    const RECT box = grid.FindSection(a)->expanderRect;
    Click(QPoint(box.left + 2, box.top + 2));
    EXPECT_TRUE(grid.IsSectionCollapsed(a));
    EXPECT_EQ(grid.GetFocusedSection(), a);
    Paint();
    EXPECT_EQ(grid.FindItem(first)->nameRect, RECT{});  // its rows are gone
    Click(QPoint(box.left + 2, box.top + 2));
    EXPECT_FALSE(grid.IsSectionCollapsed(a));
}

TEST_F(PropertyGridViewTest, TheSplitterDragsWithinAFifthOfTheWidth) {
    grid.AddSection("A");
    Paint();
    QPoint start(grid.GetSplitterPosition() + 1, 5);
    QTest::mousePress(Widget(), Qt::LeftButton, Qt::NoModifier, start);
    EXPECT_EQ(Widget()->cursor().shape(), Qt::SizeHorCursor);
    QMouseEvent move(QEvent::MouseMove, QPoint(-400, 5), Widget()->mapToGlobal(QPoint(-400, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Widget(), &move);
    EXPECT_EQ(grid.GetSplitterPosition(), 60);  // a fifth of 300
    QTest::mouseRelease(Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(-400, 5));
    EXPECT_EQ(Widget()->cursor().shape(), Qt::ArrowCursor);
}

// The splitter makes room for the longest name as far as the widest value allows; a name
// that still does not fit shows whole in a tooltip, one that fits shows none.
TEST_F(PropertyGridViewTest, TheNameColumnTakesTheRoomTheValuesSpareAndCutNamesShowInATip) {
    const int a = grid.AddSection("A");
    const int mid = grid.AddComboItem(a, "A name somewhat longer than half", {"No", "Yes"}, 0);
    grid.AddStringItem(a, "Short", "x");
    const int splitter = grid.GetSplitterPosition();
    EXPECT_EQ(GridTest::CutGridNames(grid), std::vector<std::string>{});  // cut, with its tooltip
    grid.FitNameColumn();
    EXPECT_GT(grid.GetSplitterPosition(), splitter);
    const QFontMetrics metrics(grid.GetFont());
    EXPECT_LE(Widgets::CPropertyGrid::kNameTextLeft + metrics.horizontalAdvance("A name somewhat longer than half"),
              grid.GetSplitterPosition() - 1);
    // The tooltip the pointer on the name brings up now; none: empty.
    auto tipAt = [&](int id) {
        Paint();
        const Ui::RECT& r = grid.FindItem(id)->nameRect;
        const QPoint point(r.left + 5, (r.top + r.bottom) / 2);
        QHelpEvent help(QEvent::ToolTip, point, Widget()->mapToGlobal(point));
        QApplication::sendEvent(Widget(), &help);
        const std::string text =
            help.isAccepted() && QToolTip::isVisible() ? Ui::FromQt(QToolTip::text()) : std::string();
        QToolTip::hideText();
        return text;
    };
    EXPECT_EQ(tipAt(mid), "");
    // A value as wide as the grid leaves the names the splitter had.
    const std::string longName = "A name far longer than any room this grid could give it";
    const int wide = grid.AddStringItem(a, longName, std::string(80, 'w'));
    const int before = grid.GetSplitterPosition();
    grid.FitNameColumn();
    EXPECT_EQ(grid.GetSplitterPosition(), before);
    EXPECT_EQ(tipAt(wide), longName);
    EXPECT_EQ(GridTest::CutGridNames(grid), std::vector<std::string>{});
}

TEST_F(PropertyGridViewTest, KeysMoveTheFocusAndFoldSections) {
    int a = grid.AddSection("A");
    int one = grid.AddStringItem(a, "One", "1");
    int locked = grid.AddStringItem(a, "Locked", "2", false);
    int b = grid.AddSection("B");
    int two = grid.AddStringItem(b, "Two", "3");
    Widget()->setFocus();
    Press(Qt::Key_Up);  // nothing focused: nothing happens
    EXPECT_EQ(grid.GetFocusedSection(), -1);
    EXPECT_EQ(grid.GetFocusedItem(), -1);

    struct Step {
        int key;
        int section;
        int item;
    } steps[] = {
        {Qt::Key_Down, a, -1}, {Qt::Key_Down, -1, one}, {Qt::Key_Down, -1, locked},
        {Qt::Key_Down, b, -1}, {Qt::Key_Down, -1, two}, {Qt::Key_Down, a, -1},  // past the end it wraps
        {Qt::Key_Up, -1, two}, {Qt::Key_Up, b, -1},
    };
    for (const Step& step : steps) {
        Press(step.key);
        EXPECT_EQ(grid.GetFocusedSection(), step.section);
        EXPECT_EQ(grid.GetFocusedItem(), step.item);
    }
    Press(Qt::Key_Left);  // a focused open section folds
    EXPECT_TRUE(grid.IsSectionCollapsed(b));
    Press(Qt::Key_Right);
    EXPECT_FALSE(grid.IsSectionCollapsed(b));

    QTest::keyClicks(Widget(), "/");
    EXPECT_TRUE(grid.IsSectionCollapsed(a) && grid.IsSectionCollapsed(b));
    QTest::keyClicks(Widget(), "*");
    EXPECT_FALSE(grid.IsSectionCollapsed(a) || grid.IsSectionCollapsed(b));
    QTest::keyClicks(Widget(), "-");
    EXPECT_TRUE(grid.IsSectionCollapsed(b));
    EXPECT_FALSE(grid.IsSectionCollapsed(a));
    QTest::keyClicks(Widget(), "+");
    EXPECT_FALSE(grid.IsSectionCollapsed(b));

    grid.SetFocusDisabled(false);  // the locked item is skipped
    Press(Qt::Key_Up);
    EXPECT_EQ(grid.GetFocusedItem(), one);
}

TEST_F(PropertyGridViewTest, TheAlphabeticalModeShowsEveryItemSorted) {
    int a = grid.AddSection("A", true);
    int zulu = grid.AddStringItem(a, "Zulu", "z");
    int b = grid.AddSection("B");
    int alpha = grid.AddStringItem(b, "Alpha", "a");
    int mike = grid.AddStringItem(a, "Mike", "m");
    grid.SetDisplayMode(1);
    Paint();
    int h = grid.GetRowHeight();
    EXPECT_EQ(grid.FindItem(alpha)->nameRect.top, 0);
    EXPECT_EQ(grid.FindItem(mike)->nameRect.top, h);
    EXPECT_EQ(grid.FindItem(zulu)->nameRect.top, 2 * h);
    grid.SetDisplayMode(2);  // one list in section order
    Paint();
    EXPECT_EQ(grid.FindItem(zulu)->nameRect.top, 0);
    EXPECT_EQ(grid.FindItem(mike)->nameRect.top, h);
    EXPECT_EQ(grid.FindItem(alpha)->nameRect.top, 2 * h);
}

TEST_F(PropertyGridViewTest, TheWheelScrollsThreeRowsPerNotchAndAddsUpPartialOnes) {
    int s = grid.AddSection("S");
    for (int i = 0; i < 40; ++i) grid.AddStringItem(s, "Item " + std::to_string(i), "v");
    ASSERT_TRUE(grid.IsScrollBarShown());
    auto wheel = [&](int delta) {
        QPoint at(20, 20);
        QWheelEvent event(at, Widget()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Widget(), &event);
    };
    int h = grid.GetRowHeight();
    wheel(-120);
    EXPECT_EQ(grid.GetScrollPosition(), 3 * h);
    wheel(-60);
    EXPECT_EQ(grid.GetScrollPosition(), 3 * h);
    wheel(-60);  // two halves make a notch
    EXPECT_EQ(grid.GetScrollPosition(), 6 * h);
    wheel(360 * 4);
    EXPECT_EQ(grid.GetScrollPosition(), 0);
    for (int i = 0; i < 30; ++i) wheel(-120);
    EXPECT_EQ(grid.GetScrollPosition(), 41 * h - 200);  // not past the last full page
}

TEST_F(PropertyGridViewTest, FocusMovesScrollTheRowToTheTop) {
    int s = grid.AddSection("S");
    for (int i = 0; i < 40; ++i) grid.AddStringItem(s, "Item " + std::to_string(i), "v");
    Widget()->setFocus();
    int h = grid.GetRowHeight();
    int visible = 200 / h;
    for (int i = 0; i <= visible; ++i) Press(Qt::Key_Down);
    EXPECT_EQ(grid.GetScrollPosition(), visible * h);
    Press(Qt::Key_Up);
    EXPECT_EQ(grid.GetScrollPosition(), (visible - 1) * h);
}

TEST_F(PropertyGridViewTest, DoubleClicksToggleDefinedEditableValuesOnly) {
    int s = grid.AddSection("S");
    int flag = grid.AddBoolItem(s, "Flag", false);
    int unknown = grid.AddBoolItem(s, "Unknown", false, true, true);
    int locked = grid.AddBoolItem(s, "Locked", false, false);
    int choice = grid.AddComboItem(s, "Choice", {"a", "b", "c"}, 2);
    int empty = grid.AddComboItem(s, "Empty", {}, 0);
    struct Case {
        int id;
        bool notified;
    } cases[] = {{flag, true}, {unknown, false}, {locked, false}, {choice, true}, {empty, false}};
    for (const Case& c : cases) {
        owner.changed.clear();
        Click(NamePoint(c.id));
        ASSERT_EQ(grid.GetFocusedItem(), c.id);
        DoubleClick(NamePoint(c.id));
        EXPECT_EQ(owner.changed, c.notified ? std::vector<int>{c.id} : std::vector<int>{}) << c.id;
    }
    bool value = false;
    EXPECT_TRUE(grid.GetItemValue(flag, value));
    EXPECT_TRUE(value);
    EXPECT_FALSE(grid.GetItemValue(unknown, value));  // shows the undefined text, stays so
    EXPECT_TRUE(grid.GetItemValue(locked, value));
    EXPECT_FALSE(value);
    int index = -1;
    EXPECT_TRUE(grid.GetItemValue(choice, index));
    EXPECT_EQ(index, 0);  // wraps after the last option

    // The whole sequence on a value: the first click opens the list, the second press
    // closes it, the double-click toggles and the last release opens nothing again.
    owner.changed.clear();
    Click(ValuePoint(flag));
    EXPECT_NE(grid.GetEditor(), nullptr);
    QTest::mousePress(Widget(), Qt::LeftButton, Qt::NoModifier, ValuePoint(flag));
    EXPECT_EQ(grid.GetEditor(), nullptr);
    DoubleClick(ValuePoint(flag));
    QTest::mouseRelease(Widget(), Qt::LeftButton, Qt::NoModifier, ValuePoint(flag));
    EXPECT_EQ(grid.GetEditor(), nullptr);
    EXPECT_TRUE(grid.GetItemValue(flag, value));
    EXPECT_FALSE(value);
    EXPECT_EQ(owner.changed, std::vector<int>{flag});

    int a = grid.AddSection("A");
    Paint();
    const RECT header = grid.FindSection(a)->headerRect;
    Click(QPoint(header.left + 40, header.top + 3));
    DoubleClick(QPoint(header.left + 40, header.top + 3));
    EXPECT_TRUE(grid.IsSectionCollapsed(a));
}

TEST_F(PropertyGridViewTest, AnEmptyGridPaintsOnlyItsBackground) {
    QImage image = Widget()->grab().toImage();
    QColor background = ToQColor(GetSysColor(COLOR_WINDOW));
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) ASSERT_EQ(image.pixelColor(x, y), background) << x << "," << y;
    }
}

}  // namespace

namespace {

// The device-parameters dialog places the grid on a placeholder control of its template.
TEST(PropertyGridPlaceholderTest, AGridAdoptsAPlaceholderAndDrawsOnIt) {
    GridTest::RecordingOwner dialog;
    ASSERT_TRUE(dialog.Create(Ui::WS_VISIBLE, Ui::RECT{0, 0, 320, 240}, nullptr, 0));
    Ui::CWnd placeholder;
    ASSERT_TRUE(placeholder.CreateControl("STATIC", "", Ui::WS_CHILD | Ui::WS_VISIBLE, 0, Ui::RECT{10, 10, 210, 110},
                                          &dialog, ControlId::DeviceParameters::Grid));
    QWidget* widget = placeholder.Detach();  // the template's control, now without an object
    Widgets::CPropertyGrid grid;
    ASSERT_TRUE(grid.SubclassDlgItem(ControlId::DeviceParameters::Grid, &dialog));
    EXPECT_EQ(grid.GetWidget(), widget);
    EXPECT_EQ(grid.GetSplitterPosition(), 100);
    EXPECT_GT(grid.GetRowHeight(), 4);
    int s = grid.AddSection("S");
    int id = grid.AddBoolItem(s, "Flag", true);
    dialog.GetWidget()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.GetWidget()));
    widget->repaint();
    const Ui::RECT name = grid.FindItem(id)->nameRect;
    EXPECT_EQ(name.top, grid.GetRowHeight());
    QTest::mouseClick(dialog.GetWidget()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(10 + 40, 10 + name.top + 3));
    EXPECT_EQ(grid.GetFocusedItem(), id);  // the static let clicks through; the grid does not

    // A dialog's member grid outlives the dialog's window, and takes the next one's.
    for (int i = 0; i < 40; ++i) grid.AddStringItem(s, "Row " + std::to_string(i), "v");
    EXPECT_TRUE(grid.IsScrollBarShown());
    dialog.DestroyWindow();
    EXPECT_EQ(grid.GetWidget(), nullptr);
    EXPECT_FALSE(grid.IsScrollBarShown());
    grid.AddStringItem(s, "While closed", "v");
    GridTest::RecordingOwner again;
    ASSERT_TRUE(again.Create(Ui::WS_VISIBLE, Ui::RECT{0, 0, 320, 240}, nullptr, 0));
    ASSERT_TRUE(placeholder.CreateControl("STATIC", "", Ui::WS_CHILD | Ui::WS_VISIBLE, 0, Ui::RECT{10, 10, 210, 110},
                                          &again, ControlId::DeviceParameters::Grid));
    placeholder.Detach();
    ASSERT_TRUE(grid.SubclassDlgItem(ControlId::DeviceParameters::Grid, &again));
    EXPECT_TRUE(grid.IsScrollBarShown());
    again.GetWidget()->show();
    grid.GetWidget()->repaint();
}

}  // namespace
