#include "iec61850/scl/XmlParser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "iec61850/scl/XmlNode.h"

namespace Iec61850::Acsi::Scl {
namespace {

std::string Serialized(const XmlNode& node, bool lineBreaks = false) {
    std::string text;
    node.Serialize(text, lineBreaks);
    return text;
}

TEST(XmlParserTest, ReadsDeclarationCommentsAttributesChildrenAndJoinedText) {
    auto root = XmlParser::ParseDocument(
        "  <?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!--one-->\n<!-- two -->"
        "<a x = \"1\" y=\"\"><b/>t1<c></c>t2<!-- inside -->t3</a >tail <unclosed>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), "a");
    EXPECT_EQ(root->GetAttribute("x"), "1");
    EXPECT_EQ(root->GetAttribute("y"), "");
    EXPECT_EQ(root->GetText(), "t1t2t3");
    ASSERT_NE(root->GetFirstChild(), nullptr);
    EXPECT_EQ(root->GetFirstChild()->GetName(), "b");
    EXPECT_EQ(root->GetFirstChild()->GetNextSibling(), root->GetLastChild());
    EXPECT_EQ(root->GetLastChild()->GetName(), "c");
    EXPECT_EQ(root->GetLastChild()->GetPreviousSibling(), root->GetFirstChild());
    EXPECT_EQ(root->GetLastChild()->GetParent(), root.get());
    EXPECT_EQ(root->GetParent(), nullptr);
}

TEST(XmlParserTest, AcceptsTheLooseFormsOfTheSubset) {
    const char* documents[] = {
        "<a/>",
        "<a />",
        "< a />",
        "<a\tx\n=\r\"1\"\n/>",
        "<a></a>",
        "<a>\n</a \n>",
        "<a></ a>",
        "<a x=\"<>'&\"/>",
        "<?xml version=\"1.0\"?><a/>",
        "<a/>   trailing text is not examined <<<",
    };
    for (const char* document : documents) {
        SCOPED_TRACE(document);
        auto root = XmlParser::ParseDocument(document);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->GetName(), "a");
    }
}

TEST(XmlParserTest, RefusesWhatLeavesTheSubset) {
    const char* documents[] = {
        "",
        "   ",
        "text only",
        "<!--c--><?xml version=\"1.0\"?><a/>",  // declaration after a comment
        "<?xml version=\"?\"?><a/>",            // "?" inside the declaration
        "<?xml version=\"1.0\"><a/>",
        "<a x='1'/>",
        "<a x/>",
        "<a x=/>",
        "<a x=\"1\"y=\"2\"/>",
        "<a \"1\"/>",
        "<a/ >",
        "<a></A>",
        "<a></ab>",
        "<ab></a>",
        "<a><!-- x -- y --></a>",
        "<a><!-- x ---></a>",
        "<a><![CDATA[x]]></a>",
        "<a><!DOCTYPE a></a>",
        "<a><?pi?></a>",
        "<a><?pi?></?pi?></a>",
        "<!x/>",
        "<?x/>",
        "<a><b></a>",
        "<a><b/>",
        "</a>",
        "<>",
        "</>",
    };
    for (const char* document : documents) {
        SCOPED_TRACE(document);
        EXPECT_EQ(XmlParser::ParseDocument(document), nullptr);
    }
}

TEST(XmlParserTest, EveryTruncationOfADocumentIsRefused) {
    const std::string document = "<?xml version=\"1.0\"?><!--c--><a x=\"1\" y=\"&amp;\"><b>t&lt;</b><c/><!--d--></a>";
    ASSERT_NE(XmlParser::ParseDocument(document), nullptr);
    for (std::size_t length = 0; length < document.size(); ++length) {
        SCOPED_TRACE(length);
        // A copy of exactly this length, so that a read past the end shows under ASan.
        const std::string prefix = document.substr(0, length);
        auto heap = std::make_unique<char[]>(length);
        std::memcpy(heap.get(), prefix.data(), length);
        EXPECT_EQ(XmlParser::ParseDocument(std::string_view(heap.get(), length)), nullptr);
    }
}

TEST(XmlParserTest, DecodesReferencesInTextAndAttributes) {
    auto root = XmlParser::ParseDocument(
        "<a v=\"&lt;&amp;&gt;&apos;&quot;&#65;&#x42;&#xe9;&#8364;\">"
        "&lt;x&gt; &amp;amp; &#x1F600;<b/>&quot;</a>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetAttribute("v"), "<&>'\"AB\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(root->GetText(), "<x> &amp; \xF0\x9F\x98\x80\"");
}

TEST(XmlParserTest, KeepsAmpersandsThatStartNoReference) {
    const char* kept[] = {
        "&",
        "a & b",
        "&nbsp;",
        "&amp",
        "&#;",
        "&#x;",
        "&#12a;",
        "&#0;",
        "&#x1;",
        "&#xD800;",
        "&#xFFFE;",
        "&#x110000;",
        "&#99999999999999999999;",
        "&#X41;",
    };
    for (const char* text : kept) {
        SCOPED_TRACE(text);
        auto root = XmlParser::ParseDocument(std::string("<a v=\"") + text + "\">" + text + "</a>");
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->GetAttribute("v"), text);
        EXPECT_EQ(root->GetText(), text);
    }
}

TEST(XmlParserTest, ReferencesDoNotReachAcrossComments) {
    auto root = XmlParser::ParseDocument("<a>&am<!--c-->p;</a>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetText(), "&amp;");
}

TEST(XmlParserTest, KeepsWhiteSpaceAndLineBreaksAsWritten) {
    auto root = XmlParser::ParseDocument("<a v=\"x\n\ty\">\n <b/>\r\n</a>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetAttribute("v"), "x\n\ty");
    EXPECT_EQ(root->GetText(), "\n \r\n");
}

std::string Nested(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<e>";
    for (int i = 0; i < depth; ++i) text += "</e>";
    return text;
}

TEST(XmlParserTest, NestingIsBounded) {
    EXPECT_NE(XmlParser::ParseDocument(Nested(XmlParser::kMaxDepth)), nullptr);
    EXPECT_EQ(XmlParser::ParseDocument(Nested(XmlParser::kMaxDepth + 1)), nullptr);
    EXPECT_EQ(XmlParser::ParseDocument(std::string(1000000, '<') + "e>"), nullptr);
    std::string opened;
    for (int i = 0; i < 200000; ++i) opened += "<e>";
    EXPECT_EQ(XmlParser::ParseDocument(opened), nullptr);
}

TEST(XmlNodeTest, MissingAttributeThrowsPlainText) {
    auto root = XmlParser::ParseDocument("<a Value=\"1\"/>");
    ASSERT_NE(root, nullptr);
    EXPECT_FALSE(root->HasAttribute("value"));
    try {
        root->GetAttribute("value");
        FAIL() << "no exception";
    } catch (const char* message) {
        EXPECT_STREQ(message, "No attribute found");
    }
}

TEST(XmlNodeTest, FirstOfEqualAttributeNamesWins) {
    auto root = XmlParser::ParseDocument("<a x=\"1\" x=\"2\"/>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetAttribute("x"), "1");
    EXPECT_EQ(Serialized(*root), "<a x=\"1\" x=\"2\" />");
}

TEST(XmlNodeTest, SerializeSpacesBeforeSlashOnlyWithAttributes) {
    XmlNode withAttribute(nullptr, "a");
    withAttribute.AddAttribute("x", "1");
    EXPECT_EQ(Serialized(withAttribute), "<a x=\"1\" />");
    XmlNode bare(nullptr, "a");
    EXPECT_EQ(Serialized(bare), "<a/>");
}

TEST(XmlNodeTest, SerializeEscapesRawValuesAndPutsTextAfterChildren) {
    auto root = std::make_unique<XmlNode>(nullptr, "a");
    root->AddAttribute("v", "<\"&\"\n>");
    root->AppendText("x & y");
    auto* child = root->AddChild(std::make_unique<XmlNode>(nullptr, "b"));
    child->AppendText("&lt;decoded&#x3E;", true);
    EXPECT_EQ(child->GetText(), "<decoded>");
    root->AddChild(std::make_unique<XmlNode>(nullptr, "c"));

    EXPECT_EQ(Serialized(*root), "<a v=\"&lt;&quot;&amp;&quot;&#10;&gt;\"><b>&lt;decoded&gt;</b><c/>x &amp; y</a>");
    EXPECT_EQ(Serialized(*root, true),
              "<a v=\"&lt;&quot;&amp;&quot;&#10;&gt;\">\n<b>&lt;decoded&gt;</b>\n<c/>\nx &amp; "
              "y</a>\n");
    std::string children;
    root->SerializeChildren(children, false);
    EXPECT_EQ(children, "<b>&lt;decoded&gt;</b><c/>");
}

TEST(XmlNodeTest, AddChildLinksSiblingsAndParent) {
    XmlNode root(nullptr, "r");
    EXPECT_EQ(root.AddChild(nullptr), nullptr);
    EXPECT_FALSE(root.HasChildren());
    XmlNode* first = root.AddChild(std::make_unique<XmlNode>());
    XmlNode* second = root.AddChild(std::make_unique<XmlNode>(nullptr, "second"));
    XmlNode* third = root.AddChild(std::make_unique<XmlNode>(&root, std::string("third")));
    EXPECT_TRUE(root.HasChildren());
    EXPECT_EQ(root.GetFirstChild(), first);
    EXPECT_EQ(root.GetLastChild(), third);
    EXPECT_EQ(first->GetPreviousSibling(), nullptr);
    EXPECT_EQ(first->GetNextSibling(), second);
    EXPECT_EQ(second->GetPreviousSibling(), first);
    EXPECT_EQ(second->GetNextSibling(), third);
    EXPECT_EQ(third->GetNextSibling(), nullptr);
    for (XmlNode* child : {first, second, third}) EXPECT_EQ(child->GetParent(), &root);
    EXPECT_EQ(second->GetName(), "second");
}

TEST(XmlNodeTest, RawAttributeNodeKeepsOnePreformattedText) {
    XmlNode node(nullptr, "a", true);
    node.AddAttribute("x", "1");
    node.AddAttribute("y", "<&>");
    EXPECT_FALSE(node.HasAttribute("x"));
    EXPECT_EQ(Serialized(node), "<a x=\"1\" y=\"&lt;&amp;&gt;\"/>");
}

TEST(XmlNodeTest, ParseReplacesContentAndLeavesNothingOnFailure) {
    XmlNode node(nullptr, "old");
    node.AddAttribute("k", "v");
    node.AddChild(std::make_unique<XmlNode>(nullptr, "kid"));
    ASSERT_EQ(node.Parse("<new a=\"1\">t</new>"), 0);
    EXPECT_EQ(Serialized(node), "<new a=\"1\">t</new>");
    EXPECT_EQ(node.Parse("<new a=\"1\"><x>"), -1);
    EXPECT_EQ(node.GetName(), "");
    EXPECT_FALSE(node.HasChildren());
    EXPECT_FALSE(node.HasAttribute("a"));
    EXPECT_EQ(node.GetText(), "");
}

}  // namespace
}  // namespace Iec61850::Acsi::Scl
