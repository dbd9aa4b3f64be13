#include "iec61850/scl/XmlCursor.h"

#include <gtest/gtest.h>

#include <string>

namespace Iec61850::Acsi::Scl {
namespace {

// root
//   first (id=1)
//     deep (id=2)
//       deeper
//   second (id=3)
//     hidden
//   third (id=4, Value=x)
//   second (id=5)
const char* const kTree =
    "<root><first id=\"1\"><deep id=\"2\"><deeper/></deep></first>"
    "<second id=\"3\"><hidden/></second><third id=\"4\" Value=\"x\">some text</third>"
    "<second id=\"5\"/></root>";

std::string CurrentId(const XmlCursor& cursor) {
    std::string id;
    return cursor.ReadAttribute("id", id) ? id : "(none)";
}

TEST(XmlCursorTest, ByteOrderMarkIsSkippedWhenMoreFollows) {
    XmlCursor plain;
    XmlCursor marked;
    ASSERT_TRUE(plain.Parse(kTree));
    ASSERT_TRUE(marked.ParseString(std::string("\xEF\xBB\xBF") + kTree));
    EXPECT_TRUE(marked.SearchDescendants("third"));
    EXPECT_EQ(CurrentId(marked), "4");

    EXPECT_FALSE(marked.Parse("\xEF\xBB\xBF"));
    EXPECT_FALSE(marked.HasDocument());
    EXPECT_FALSE(marked.ParseString("\xEF\xBB\xBF\xEF\xBB\xBF<a/>"));  // only one is skipped
    EXPECT_TRUE(XmlCursor("\xEF\xBB\xBF<a/>").HasDocument());
}

TEST(XmlCursorTest, FailedParseLeavesCursorEmpty) {
    XmlCursor cursor{std::string(kTree)};
    ASSERT_TRUE(cursor.HasDocument());
    EXPECT_FALSE(cursor.Parse("<a>"));
    EXPECT_FALSE(cursor.HasDocument());
    std::string value = "untouched";
    EXPECT_FALSE(cursor.ReadAttribute("id", value));
    EXPECT_FALSE(cursor.ReadText(value));
    EXPECT_EQ(value, "untouched");
    EXPECT_FALSE(cursor.SearchDescendants(""));
    EXPECT_FALSE(cursor.SeekSibling(""));
    EXPECT_FALSE(cursor.MoveToSibling(""));
    EXPECT_FALSE(cursor.Parse(nullptr));

    cursor.Rewind();
    EXPECT_FALSE(cursor.HasDocument());
}

TEST(XmlCursorTest, SearchDescendantsFollowsFirstChildrenOnly) {
    XmlCursor cursor(kTree);
    EXPECT_TRUE(cursor.SearchDescendants(""));
    EXPECT_EQ(CurrentId(cursor), "1");

    cursor.Rewind();
    EXPECT_TRUE(cursor.FindElement("deeper"));   // below the first child
    EXPECT_FALSE(cursor.SearchDescendants(""));  // a leaf
    cursor.Rewind();
    EXPECT_FALSE(cursor.FindElement("hidden"));  // below the second child
    EXPECT_EQ(CurrentId(cursor), "(none)");      // still on the root
    EXPECT_TRUE(cursor.FindElement("second"));
    EXPECT_EQ(CurrentId(cursor), "3");
    EXPECT_TRUE(cursor.FindElement("hidden"));  // found from its own parent
}

TEST(XmlCursorTest, SiblingSteps) {
    XmlCursor cursor(kTree);
    ASSERT_TRUE(cursor.FindElement("second"));
    EXPECT_TRUE(cursor.SeekSibling("second"));  // the current element itself
    EXPECT_EQ(CurrentId(cursor), "3");
    EXPECT_TRUE(cursor.MoveToSibling("second"));
    EXPECT_EQ(CurrentId(cursor), "5");
    EXPECT_FALSE(cursor.MoveToSibling(""));  // no next sibling: no change
    EXPECT_EQ(CurrentId(cursor), "5");

    cursor.Rewind();
    ASSERT_TRUE(cursor.FindElement("first"));
    EXPECT_FALSE(cursor.MoveToSibling("nope"));
    EXPECT_EQ(CurrentId(cursor), "3");  // left on the next sibling
    EXPECT_FALSE(cursor.SeekSibling("first"));
    EXPECT_EQ(CurrentId(cursor), "3");

    EXPECT_TRUE(cursor.SeekSiblingWithAttribute("second", "id", "5"));
    EXPECT_EQ(CurrentId(cursor), "5");
    cursor.Rewind();
    ASSERT_TRUE(cursor.FindElement(""));
    EXPECT_FALSE(cursor.SeekSiblingWithAttribute("third", "Value", "X"));
    EXPECT_TRUE(cursor.SeekSiblingWithAttribute("", "Value", "x"));
    EXPECT_EQ(CurrentId(cursor), "4");
}

TEST(XmlCursorTest, AttributeAndTextReads) {
    XmlCursor cursor(kTree);
    ASSERT_TRUE(cursor.FindElement("third"));
    std::string value = "junk";
    EXPECT_FALSE(cursor.ReadAttribute("value", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(cursor.GetAttribute("Value", value));
    EXPECT_EQ(value, "x");
    EXPECT_TRUE(cursor.ReadText(value));
    EXPECT_EQ(value, "some text");

    XmlCursor decoded("<a v=\"&lt;1&amp;2&gt;\">x &amp; y</a>");
    EXPECT_TRUE(decoded.ReadAttribute("v", value));
    EXPECT_EQ(value, "<1&2>");
    EXPECT_TRUE(decoded.ReadText(value));
    EXPECT_EQ(value, "x & y");
}

TEST(XmlCursorTest, PathStackRestoresSavedElements) {
    XmlCursor cursor(kTree);
    EXPECT_EQ(cursor.MoveToParent(), 0);  // empty stack: nothing changes
    EXPECT_EQ(CurrentId(cursor), "(none)");

    cursor.PushCurrent();  // root
    ASSERT_TRUE(cursor.FindElement("first"));
    cursor.PushCurrent();  // first
    ASSERT_TRUE(cursor.FindElement("deep"));
    EXPECT_EQ(CurrentId(cursor), "2");
    EXPECT_EQ(cursor.MoveToParent(), 1);
    EXPECT_EQ(CurrentId(cursor), "1");
    cursor.Rewind();  // the stack survives a rewind
    EXPECT_EQ(cursor.MoveToParent(), 0);
    EXPECT_EQ(CurrentId(cursor), "(none)");
    EXPECT_EQ(cursor.MoveToParent(), 0);
}

TEST(XmlCursorTest, ReadsAnAnswersTextSectionBySection) {
    XmlCursor cursor(
        "<Answers><DynDataSet><max Value=\"5\"/><maxAttributes Value=\"7\"/></DynDataSet>"
        "<ReportSettings><cbName Value=\"1\"/><datSet Value=\"2\"/></ReportSettings></Answers>");
    std::string value;
    ASSERT_TRUE(cursor.FindElement("DynDataSet"));
    ASSERT_TRUE(cursor.FindElement("max"));
    ASSERT_TRUE(cursor.GetAttribute("Value", value));
    EXPECT_EQ(value, "5");
    ASSERT_TRUE(cursor.MoveToSibling("maxAttributes"));
    ASSERT_TRUE(cursor.GetAttribute("Value", value));
    EXPECT_EQ(value, "7");

    cursor.Rewind();
    EXPECT_FALSE(cursor.FindElement("datSet"));  // not below the first section
    ASSERT_TRUE(cursor.FindElement("ReportSettings"));
    ASSERT_TRUE(cursor.FindElement("datSet"));
    ASSERT_TRUE(cursor.GetAttribute("Value", value));
    EXPECT_EQ(value, "2");
}

}  // namespace
}  // namespace Iec61850::Acsi::Scl
