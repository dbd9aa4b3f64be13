#include "iec61850/scl/XmlWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace Iec61850::Acsi::Scl {
namespace {

std::string Finish(XmlWriter& writer) {
    std::string xml;
    writer.GetXml(xml);
    return xml;
}

void WriteSclSkeleton(XmlWriter& writer) {
    writer.StartElement("SCL");
    writer.StartElement("Header");
    writer.EndElement();
    writer.StartElement("Communication");
    writer.StartElement("SubNetwork");
    writer.EndElement();
    writer.EndElement();
    writer.EndElement();
}

TEST(XmlWriterTest, IndentedLayoutStartsWithLineFeedAndEndsWithoutOne) {
    XmlWriter writer(true);
    WriteSclSkeleton(writer);
    EXPECT_EQ(Finish(writer), "\n<SCL>\n <Header/>\n <Communication>\n  <SubNetwork/>\n </Communication>\n</SCL>");
}

TEST(XmlWriterTest, UnindentedLayoutHasNothingBetweenTags) {
    XmlWriter writer;
    WriteSclSkeleton(writer);
    EXPECT_EQ(Finish(writer), "<SCL><Header/><Communication><SubNetwork/></Communication></SCL>");
}

TEST(XmlWriterTest, EmptyElementClosesWithoutLineBreakBeforeSlash) {
    for (bool indent : {false, true}) {
        XmlWriter writer(indent);
        writer.StartElement("a");
        writer.AddAttribute("x", "1");
        writer.EndElement();
        EXPECT_EQ(Finish(writer), std::string(indent ? "\n" : "") + "<a x=\"1\"/>");
    }
}

TEST(XmlWriterTest, IndentedTextElementEndsOnTheLineItStarts) {
    XmlWriter writer(true);
    writer.StartElement("Address");
    writer.StartElement("P");
    writer.AddAttribute("type", "IP");
    writer.WriteText("10.0.0.1");
    writer.EndElement();
    writer.StartElement("Val");
    writer.WriteText("");
    writer.EndElement();
    writer.EndElement();
    EXPECT_EQ(Finish(writer), "\n<Address>\n <P type=\"IP\">10.0.0.1</P>\n <Val></Val>\n</Address>");
}

TEST(XmlWriterTest, AttributeRefusedOnceContentHasStarted) {
    struct Case {
        const char* what;
        void (*content)(XmlWriter&);
    };
    const Case cases[] = {
        {"child",
         [](XmlWriter& w) {
             w.StartElement("b");
             w.EndElement();
         }},
        {"text", [](XmlWriter& w) { w.WriteText("t"); }},
        {"value element", [](XmlWriter& w) { w.WriteValueElement("v", "1"); }},
        {"raw", [](XmlWriter& w) { w.WriteRaw("<r/>"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        XmlWriter writer;
        writer.StartElement("a");
        c.content(writer);
        XmlWriter reference;
        reference.StartElement("a");
        c.content(reference);
        EXPECT_FALSE(writer.WriteAttribute("x", "1"));
        EXPECT_FALSE(writer.AddAttribute("y", 2u));
        EXPECT_EQ(Finish(writer), Finish(reference));
    }
    XmlWriter empty;
    EXPECT_FALSE(empty.WriteAttribute("x", "1"));
    EXPECT_EQ(Finish(empty), "");
}

TEST(XmlWriterTest, IntegerAttributeIsUnsigned32BitDecimal) {
    XmlWriter writer;
    writer.StartElement("a");
    writer.AddAttribute("zero", 0);
    writer.AddAttribute("minusOne", -1);
    writer.AddAttribute("max", 4294967295u);
    writer.AddAttribute("text", std::string("7"));
    EXPECT_EQ(Finish(writer), "<a zero=\"0\" minusOne=\"4294967295\" max=\"4294967295\" text=\"7\"/>");
}

TEST(XmlWriterTest, EscapesAttributesTextAndValueElements) {
    struct Case {
        std::string raw;
        std::string asAttribute;
        std::string asText;
    };
    const Case cases[] = {
        {"plain", "plain", "plain"},
        {"a&\"b", "a&amp;&quot;b", "a&amp;&quot;b"},
        {"<&>'\"", "&lt;&amp;&gt;&apos;&quot;", "&lt;&amp;&gt;&apos;&quot;"},
        {"t\tl\nc\r", "t&#9;l&#10;c&#13;", "t\tl\nc&#13;"},
        {std::string("nul\0x", 5), "nul?x", "nul?x"},
        {"bell\x07 esc\x1b del\x7f", "bell? esc? del\x7f", "bell? esc? del\x7f"},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
         "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},     // é € U+1F600 stay
        {"x\xFFy", "x?y", "x?y"},                     // never valid in UTF-8
        {"\xC0\xAF", "??", "??"},                     // overlong "/"
        {"\xED\xA0\x80", "???", "???"},               // a surrogate
        {"\xF4\x90\x80\x80", "????", "????"},         // beyond U+10FFFF
        {"\xEF\xBF\xBE|\xEF\xBF\xBF", "?|?", "?|?"},  // U+FFFE, U+FFFF
        {"end\xE2\x82", "end??", "end??"},            // cut-off sequence
        {"\x80lone", "?lone", "?lone"},               // stray continuation
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        XmlWriter attribute;
        attribute.StartElement("a");
        attribute.WriteAttribute("v", c.raw);
        EXPECT_EQ(Finish(attribute), "<a v=\"" + c.asAttribute + "\"/>");

        XmlWriter text;
        text.StartElement("a");
        text.WriteText(c.raw);
        EXPECT_EQ(Finish(text), "<a>" + c.asText + "</a>");

        XmlWriter value;
        value.StartElement("a");
        value.WriteValueElement("v", c.raw);
        EXPECT_EQ(Finish(value), "<a><v Value=\"" + c.asAttribute + "\"/></a>");
    }
}

TEST(XmlWriterTest, EscapeAppendsOnlyWhenSomethingNeedsReplacing) {
    std::string output = "keep";
    EXPECT_FALSE(XmlWriter::Escape(output, "abc \xC3\xA9"));
    EXPECT_EQ(output, "keep");
    EXPECT_TRUE(XmlWriter::Escape(output, "<&>'\""));
    EXPECT_EQ(output, "keep&lt;&amp;&gt;&apos;&quot;");
    output.clear();
    EXPECT_TRUE(XmlWriter::Escape(output, "a\x01"));
    EXPECT_EQ(output, "a?");
}

TEST(XmlWriterTest, RawTextIsWrittenUnchanged) {
    XmlWriter writer;
    writer.StartElement("a");
    writer.WriteRaw("<b c='&amp;'/>");
    EXPECT_EQ(Finish(writer), "<a><b c='&amp;'/></a>");
}

TEST(XmlWriterTest, FirstValueElementStaysOpenLaterOnesAreComplete) {
    XmlWriter first(true);
    first.WriteValueElement("max", "3");
    EXPECT_TRUE(first.AddAttribute("x", "1"));
    first.WriteValueElement("child", "4");
    EXPECT_EQ(Finish(first), "\n<max Value=\"3\" x=\"1\">\n <child Value=\"4\"/>\n</max>");

    XmlWriter later;
    later.StartElement("Answers");
    later.StartElement("DynDataSet");
    later.WriteValueElement("max", "3");
    later.WriteValueElement("maxAttributes", "-1");
    EXPECT_FALSE(later.AddAttribute("x", "1"));
    EXPECT_EQ(Finish(later),
              "<Answers><DynDataSet><max Value=\"3\"/><maxAttributes Value=\"-1\"/>"
              "</DynDataSet></Answers>");
}

TEST(XmlWriterTest, GetXmlClosesEverythingAndLeavesWriterReusable) {
    XmlWriter writer(true);
    writer.StartElement("a");
    writer.StartElement("b");
    writer.StartElement("c");
    writer.AddAttribute("n", 1);
    const std::string expected = "\n<a>\n <b>\n  <c n=\"1\"/>\n </b>\n</a>";
    std::string xml = "old content";
    EXPECT_TRUE(writer.GetXml(xml));
    EXPECT_EQ(xml, expected);

    EXPECT_EQ(Finish(writer), "");
    writer.StartElement("a");
    writer.StartElement("b");
    writer.StartElement("c");
    writer.AddAttribute("n", 1);
    EXPECT_EQ(Finish(writer), expected);
}

TEST(XmlWriterTest, EndElementWithNothingOpenWritesNothing) {
    XmlWriter writer(true);
    EXPECT_TRUE(writer.EndElement());
    EXPECT_TRUE(writer.EndAllElements());
    EXPECT_EQ(Finish(writer), "");

    writer.StartElement("a");
    writer.EndElement();
    EXPECT_TRUE(writer.EndElement());
    EXPECT_EQ(Finish(writer), "\n<a/>");
}

TEST(XmlWriterTest, TextAndChildrenMixWithoutExtraWhiteSpaceAroundText) {
    XmlWriter writer(true);
    writer.StartElement("EnumType");
    writer.AddAttribute("id", "Beh");
    writer.StartElement("EnumVal");
    writer.AddAttribute("ord", 1);
    writer.WriteText("on");
    writer.EndElement();
    writer.StartElement("EnumVal");
    writer.AddAttribute("ord", 2);
    writer.WriteText("blocked");
    writer.EndElement();
    writer.EndElement();
    EXPECT_EQ(Finish(writer),
              "\n<EnumType id=\"Beh\">\n <EnumVal ord=\"1\">on</EnumVal>\n"
              " <EnumVal ord=\"2\">blocked</EnumVal>\n</EnumType>");
}

}  // namespace
}  // namespace Iec61850::Acsi::Scl
