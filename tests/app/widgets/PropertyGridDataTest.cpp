#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "PropertyGridFixture.h"
#include "app/widgets/PropertyGrid.h"

// The grid's data without a window: ids, names, typed values, baselines.
namespace {

using namespace Ui;
using GridTest::RecordingItem;
using Widgets::CPropertyGrid;
using Widgets::ItemType;

LOGFONT Font(const char* face, int height) {
    LOGFONT font;
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfHeight = height;
    return font;
}

TEST(PropertyGridDataTest, NamesAreUniquePerSectionAndIdsRunAcrossSections) {
    CPropertyGrid grid;
    int a = grid.AddSection("A");
    int b = grid.AddSection("B");
    EXPECT_EQ(grid.AddStringItem(a, "Name", "x"), 0);
    EXPECT_EQ(grid.AddStringItem(b, "Name", "y"), 1);  // the same name in another section
    EXPECT_EQ(grid.AddIntegerItem(a, "Count", 3), 2);
    EXPECT_EQ(grid.AddBoolItem(a, "Name", true), -1);  // a duplicate, whatever its type
    EXPECT_EQ(grid.AddStringItem(a, "name", "z"), 3);  // letter case makes another name
    EXPECT_EQ(grid.AddStringItem(99, "Other", "z"), -1);
    EXPECT_EQ(grid.AddIntegerItem(a, "Count", 4, "%x"), -1);  // refused: its format is dropped too
    EXPECT_EQ(grid.GetItemCount(a), 3);
    EXPECT_EQ(grid.GetItemCount(b), 1);
    EXPECT_EQ(grid.GetItemCount(99), 0);
    EXPECT_EQ(grid.FindItem(2)->options, std::vector<std::string>{""});
    EXPECT_EQ(grid.FindItem(4), nullptr);
}

TEST(PropertyGridDataTest, SectionsGoBeforeTheOneNamedOrAtTheEnd) {
    CPropertyGrid grid;
    int first = grid.AddSection("First");
    int last = grid.AddSection("Last", true, -1);
    int top = grid.AddSection("Top", false, first);
    int appended = grid.AddSection("Appended", false, 42);
    EXPECT_EQ((std::vector<int>{first, last, top, appended}), (std::vector<int>{0, 1, 2, 3}));
    std::vector<std::string> order;
    for (const auto& section : grid.Sections()) order.push_back(section.name);
    EXPECT_EQ(order, (std::vector<std::string>{"Top", "First", "Last", "Appended"}));
    EXPECT_TRUE(grid.IsSectionCollapsed(last));
    EXPECT_FALSE(grid.IsSectionCollapsed(first));
    EXPECT_FALSE(grid.IsSectionCollapsed(77));

    grid.ExpandSection(last, true);
    EXPECT_FALSE(grid.IsSectionCollapsed(last));
    grid.ExpandAll(false);
    for (const auto& section : grid.Sections()) EXPECT_TRUE(section.collapsed);
    grid.ExpandSection(77, true);  // nothing to do

    EXPECT_TRUE(grid.RemoveSection(first));
    EXPECT_FALSE(grid.RemoveSection(first));
    EXPECT_EQ(grid.FindSection(first), nullptr);
    grid.AddStringItem(top, "x", "y");
    grid.ResetContents();
    EXPECT_TRUE(grid.Sections().empty());
    EXPECT_EQ(grid.AddSection("Again"), 0);
    EXPECT_EQ(grid.AddStringItem(0, "x", "y"), 0);
}

// Each getter and setter takes only its own types; an undefined item gives nothing.
TEST(PropertyGridDataTest, TypedAccessMatchesTheItemType) {
    CPropertyGrid grid;
    int s = grid.AddSection("S");
    COleDateTime day(2020, 2, 29, 0, 0, 0);
    int str = grid.AddStringItem(s, "String", "text");
    int txt = grid.AddTextItem(s, "Text", "a\r\nb");
    int num = grid.AddIntegerItem(s, "Integer", 7);
    int dbl = grid.AddDoubleItem(s, "Double", 2.5);
    int cmb = grid.AddComboItem(s, "Combo", {"one", "two", "three"}, 2);
    int bln = grid.AddBoolItem(s, "Bool", true);
    int dat = grid.AddDateItem(s, "Date", day);
    int dtm = grid.AddDateTimeItem(s, "DateTime", day);
    int fil = grid.AddFileItem(s, "File", "/tmp/a.txt", "Text|*.txt||");
    int fol = grid.AddFolderItem(s, "Folder", "/tmp", "Pick");
    int col = grid.AddColorItem(s, "Color", RGB(1, 2, 3));
    int fnt = grid.AddFontItem(s, "Font", Font("Sans", -12));

    struct Case {
        int id;
        bool asString, asInt, asDouble, asBool, asDate, asColor, asFont;
    } cases[] = {
        {str, 1, 0, 0, 0, 0, 0, 0}, {txt, 1, 0, 0, 0, 0, 0, 0}, {num, 0, 1, 0, 0, 0, 0, 0}, {dbl, 0, 0, 1, 0, 0, 0, 0},
        {cmb, 1, 1, 0, 0, 0, 0, 0}, {bln, 0, 0, 0, 1, 0, 0, 0}, {dat, 0, 0, 0, 0, 1, 0, 0}, {dtm, 0, 0, 0, 0, 1, 0, 0},
        {fil, 1, 0, 0, 0, 0, 0, 0}, {fol, 1, 0, 0, 0, 0, 0, 0}, {col, 0, 0, 0, 0, 0, 1, 0}, {fnt, 0, 0, 0, 0, 0, 0, 1},
        {999, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::string text;
        int i = 0;
        double d = 0;
        bool b = false;
        COleDateTime t;
        COLORREF r = 0;
        LOGFONT f;
        SCOPED_TRACE(c.id);
        EXPECT_EQ(grid.GetItemValue(c.id, text), c.asString);
        EXPECT_EQ(grid.GetItemValue(c.id, i), c.asInt);
        EXPECT_EQ(grid.GetItemValue(c.id, d), c.asDouble);
        EXPECT_EQ(grid.GetItemValue(c.id, b), c.asBool);
        EXPECT_EQ(grid.GetItemValue(c.id, t), c.asDate);
        EXPECT_EQ(grid.GetItemValue(c.id, r), c.asColor);
        EXPECT_EQ(grid.GetItemValue(c.id, f), c.asFont);
        bool comboOrText = c.asString && c.id != cmb;
        EXPECT_EQ(grid.SetItemValue(c.id, std::string("v")), comboOrText);
        EXPECT_EQ(grid.SetItemValue(c.id, 1), c.asInt);
        EXPECT_EQ(grid.SetItemValue(c.id, 1.5), c.asDouble);
        EXPECT_EQ(grid.SetItemValue(c.id, false), c.asBool);
        EXPECT_EQ(grid.SetItemValue(c.id, day), c.asDate);
        EXPECT_EQ(grid.SetItemValue(c.id, RGB(9, 9, 9)), c.asColor);
        EXPECT_EQ(grid.SetItemValue(c.id, Font("Mono", -10)), c.asFont);
    }
    // A literal text goes to the string setter, not to the bool one.
    EXPECT_TRUE(grid.SetItemValue(str, "literal"));
    bool b = true;
    EXPECT_TRUE(grid.GetItemValue(bln, b));
    EXPECT_FALSE(b);
    std::string text;
    ASSERT_TRUE(grid.GetItemValue(str, text));
    EXPECT_EQ(text, "literal");
}

TEST(PropertyGridDataTest, AComboGivesTheTextOfItsOptionOnlyWithinRange) {
    CPropertyGrid grid;
    int s = grid.AddSection("S");
    struct Case {
        int index;
        bool found;
        const char* text;
    } cases[] = {{0, true, "one"}, {2, true, "three"}, {3, false, ""}, {-1, false, ""}};
    for (const Case& c : cases) {
        int id = grid.AddComboItem(s, "Combo" + std::to_string(c.index), {"one", "two", "three"}, c.index);
        std::string text;
        EXPECT_EQ(grid.GetItemValue(id, text), c.found) << c.index;
        EXPECT_EQ(text, c.text);
        int index = 99;
        EXPECT_TRUE(grid.GetItemValue(id, index));
        EXPECT_EQ(index, c.index);
    }
}

TEST(PropertyGridDataTest, UndefinedItemsFailUntilSetAndThenCountAsModified) {
    CPropertyGrid grid;
    int s = grid.AddSection("S");
    int id = grid.AddIntegerItem(s, "Integer", 3, "", true, true);
    int out = -7;
    EXPECT_FALSE(grid.GetItemValue(id, out));
    EXPECT_EQ(out, -7);  // untouched
    EXPECT_FALSE(grid.FindItem(id)->IsModified());
    EXPECT_TRUE(grid.SetItemValue(id, 5));
    EXPECT_TRUE(grid.GetItemValue(id, out));
    EXPECT_EQ(out, 5);
    EXPECT_TRUE(grid.FindItem(id)->IsModified());
    grid.AcceptChanges();
    EXPECT_FALSE(grid.FindItem(id)->IsModified());
}

TEST(PropertyGridDataTest, EachTypeCountsAsModifiedByItsOwnValueOnly) {
    CPropertyGrid grid;
    int s = grid.AddSection("S");
    COleDateTime day(2021, 1, 2, 3, 4, 5);
    int str = grid.AddStringItem(s, "String", "a");
    int num = grid.AddIntegerItem(s, "Integer", 1);
    int dbl = grid.AddDoubleItem(s, "Double", 1.0);
    int nan = grid.AddDoubleItem(s, "NaN", std::numeric_limits<double>::quiet_NaN());
    int bln = grid.AddBoolItem(s, "Bool", false);
    int dat = grid.AddDateItem(s, "Date", day);
    int col = grid.AddColorItem(s, "Color", RGB(1, 2, 3));
    int fnt = grid.AddFontItem(s, "Font", Font("Sans", -12));
    auto modified = [&](int id) { return grid.FindItem(id)->IsModified(); };
    for (int id : {str, num, dbl, bln, dat, col, fnt}) EXPECT_FALSE(modified(id)) << id;
    EXPECT_TRUE(modified(nan));  // NaN never equals its baseline

    grid.SetItemValue(str, "a");  // the same value again
    grid.SetItemValue(num, 1);
    EXPECT_FALSE(modified(str));
    EXPECT_FALSE(modified(num));
    grid.SetItemValue(str, "b");
    grid.SetItemValue(num, 2);
    grid.SetItemValue(dbl, 1.5);
    grid.SetItemValue(bln, true);
    grid.SetItemValue(dat, COleDateTime(2021, 1, 2, 3, 4, 6));
    grid.SetItemValue(col, RGB(1, 2, 4));
    LOGFONT italic = Font("Sans", -12);
    italic.lfItalic = 1;
    grid.SetItemValue(fnt, italic);
    for (int id : {str, num, dbl, bln, dat, col, fnt}) EXPECT_TRUE(modified(id)) << id;

    grid.AcceptChanges();
    for (int id : {str, num, dbl, bln, dat, col, fnt}) EXPECT_FALSE(modified(id)) << id;
    EXPECT_TRUE(modified(nan));

    // Faces compare up to their end: bytes after it do not count.
    LOGFONT a = Font("Sans", -12);
    LOGFONT b = a;
    b.lfFaceName[10] = 'x';
    EXPECT_TRUE(Widgets::SameFont(a, b));
    b.lfFaceName[1] = 'x';
    EXPECT_FALSE(Widgets::SameFont(a, b));
}

TEST(PropertyGridDataTest, ACustomItemKnowsItsGridAndStoresItsOwnBaseline) {
    CPropertyGrid grid;
    int s = grid.AddSection("S");
    RecordingItem custom;
    int id = grid.AddCustomItem(s, "Custom", &custom);
    EXPECT_EQ(custom.m_pGrid, &grid);
    EXPECT_EQ(custom.calls, std::vector<std::string>{"StoreBaseline"});
    grid.AcceptChanges();
    EXPECT_EQ(custom.calls.size(), 2u);
    EXPECT_FALSE(grid.FindItem(id)->IsModified());
    int out = 0;
    EXPECT_FALSE(grid.GetItemValue(id, out));
    EXPECT_FALSE(grid.SetItemValue(id, 1));
    RecordingItem refused;
    EXPECT_EQ(grid.AddCustomItem(s, "Custom", &refused), -1);
    EXPECT_EQ(refused.m_pGrid, nullptr);
}

}  // namespace
