#include <QImage>
#include <cstring>

#include "PropertyGridFixture.h"
#include "support/ui/UiHarness.h"

// A grid with every type in each display mode, an item focused, saved for a person to
// look at; the pixels that show the focus and the section shading are checked.
namespace {

using namespace Ui;
using GridTest::GridFixture;
using GridTest::RecordingItem;

using PropertyGridScreenshotTest = GridFixture;

TEST_F(PropertyGridScreenshotTest, EveryTypeInEachDisplayMode) {
    owner.GetWidget()->resize(420, 460);
    Widget()->resize(300, 440);
    grid.SetBoldModified(true);
    RecordingItem custom;
    int values = grid.AddSection("Values");
    grid.AddCustomItem(values, "Custom", &custom);
    grid.AddStringItem(values, "String", "plain text");
    grid.AddTextItem(values, "Text", "two\r\nlines");
    int number = grid.AddIntegerItem(values, "Integer", 42, "%d units");
    grid.AddDoubleItem(values, "Double", 3.25, "%.3f");
    grid.AddComboItem(values, "Combo", {"first", "second"}, 1);
    grid.AddBoolItem(values, "Bool", true);
    grid.AddBoolItem(values, "Undefined", true, true, true);
    int when = grid.AddSection("Times");
    grid.AddDateItem(when, "Date", COleDateTime(2024, 3, 9, 0, 0, 0));
    grid.AddDateTimeItem(when, "DateTime", COleDateTime(2024, 3, 9, 13, 45, 0));
    int paths = grid.AddSection("Paths and looks");
    grid.AddFileItem(paths, "File", "/var/lib/tester/devices/a-rather-long-folder-name/device.icd");
    grid.AddFolderItem(paths, "Folder", "/var/lib/tester");
    grid.AddColorItem(paths, "Color", RGB(255, 128, 0));
    LOGFONT font;
    std::strcpy(font.lfFaceName, "DejaVu Sans");
    font.lfHeight = -13;
    int look = grid.AddFontItem(paths, "Font", font);
    grid.AddStringItem(paths, "Locked", "read only", false);
    grid.SetItemValue(number, 43);  // modified: drawn bold
    Click(NamePoint(look));
    ASSERT_EQ(grid.GetFocusedItem(), look);

    QColor focus = ToQColor(GetSysColor(COLOR_HIGHLIGHT));
    QColor shade = ToQColor(GetSysColor(COLOR_BTNFACE));
    for (int mode : {0, 1, 2}) {
        grid.SetDisplayMode(mode);
        Paint();
        UiTest::Screenshot(owner.GetWidget(), "property-grid-mode" + std::to_string(mode));
        QImage image = Widget()->grab().toImage();
        const RECT& name = grid.FindItem(look)->nameRect;
        EXPECT_EQ(image.pixelColor(20, name.top + 1), focus) << mode;
        EXPECT_EQ(image.pixelColor(1, name.top + 1), shade) << mode;  // the gutter
        // The "..." button stands where the value column ends.
        EXPECT_EQ(grid.FindItem(look)->valueRect.right, Widget()->width() - grid.GetRowHeight()) << mode;
    }
    grid.ResetContents();
}

}  // namespace
