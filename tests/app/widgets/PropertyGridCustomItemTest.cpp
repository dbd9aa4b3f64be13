#include <QLineEdit>
#include <algorithm>

#include "PropertyGridFixture.h"
#include "support/ui/UiHarness.h"

// Every call that the grid owes a custom value reaches it.
namespace {

using namespace Ui;
using GridTest::GridFixture;
using GridTest::RecordingItem;

using PropertyGridCustomItemTest = GridFixture;

bool Has(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST_F(PropertyGridCustomItemTest, ItDrawsItselfAndTakesTheMouseUntilRelease) {
    RecordingItem custom;
    int s = grid.AddSection("S");
    int id = grid.AddCustomItem(s, "Custom", &custom);
    Paint();
    EXPECT_TRUE(Has(custom.calls, "Draw"));
    Click(NamePoint(id));
    EXPECT_TRUE(Has(custom.calls, "Draw focused"));

    custom.calls.clear();
    QPoint value = ValuePoint(id);
    QTest::mousePress(Widget(), Qt::LeftButton, Qt::NoModifier, value);
    QMouseEvent move(QEvent::MouseMove, value + QPoint(5, 0), Widget()->mapToGlobal(value), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Widget(), &move);
    QTest::mouseRelease(Widget(), Qt::LeftButton, Qt::NoModifier, value + QPoint(5, 0));
    std::vector<std::string> mouse;
    for (const std::string& call : custom.calls) {
        if (call.rfind("On", 0) == 0) mouse.push_back(call);
    }
    EXPECT_EQ(mouse, (std::vector<std::string>{"OnLButtonDown", "OnMouseMove", "OnLButtonUp"}));
    EXPECT_EQ(grid.GetFocusedItem(), id);  // the item kept the click
    grid.ResetContents();                  // the item goes before the value it points to
}

TEST_F(PropertyGridCustomItemTest, ItsEditorKindOpensItsListButtonOrText) {
    RecordingItem list;
    list.kind = Widgets::kEditorDropDown;
    RecordingItem button;
    button.kind = Widgets::kEditorButton;
    RecordingItem text;
    text.kind = Widgets::kEditorInPlace;
    int s = grid.AddSection("S");
    int listId = grid.AddCustomItem(s, "List", &list);
    int buttonId = grid.AddCustomItem(s, "Button", &button);
    int textId = grid.AddCustomItem(s, "Text", &text);

    Click(ValuePoint(listId));  // a click on the value drops its own list
    EXPECT_TRUE(Has(list.calls, "OnDropDown"));
    EXPECT_EQ(grid.GetEditor(), nullptr);
    EXPECT_TRUE(owner.changed.empty());

    Click(NamePoint(buttonId));
    Paint();
    const RECT& cell = grid.FindItem(buttonId)->valueRect;
    Click(QPoint(cell.right + 3, cell.top + 3));
    EXPECT_TRUE(Has(button.calls, "OnButtonClick"));
    EXPECT_EQ(owner.changed, std::vector<int>{buttonId});

    owner.changed.clear();
    Click(ValuePoint(textId));
    auto* edit = qobject_cast<QLineEdit*>(EditorWidget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "custom");
    QTest::keyClick(edit, Qt::Key_Return);  // unchanged: the item says so
    EXPECT_TRUE(Has(text.calls, "SetValueText custom"));
    EXPECT_TRUE(owner.changed.empty());
    Click(ValuePoint(textId));
    edit = qobject_cast<QLineEdit*>(EditorWidget());
    ASSERT_NE(edit, nullptr);
    UiTest::Type(edit, "!");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(Has(text.calls, "SetValueText custom!"));
    EXPECT_EQ(owner.changed, std::vector<int>{textId});
    grid.ResetContents();
}

}  // namespace
