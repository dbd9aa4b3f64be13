// A document written by XmlWriter must read back, through our parser and through an
// independent one (xmllint), as the raw values that went in, whatever those hold.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "iec61850/scl/XmlCursor.h"
#include "iec61850/scl/XmlNode.h"
#include "iec61850/scl/XmlParser.h"
#include "iec61850/scl/XmlWriter.h"
#include "support/ShellCommand.h"
#include "support/ToolCheck.h"

namespace Iec61850::Acsi::Scl {
namespace {

struct Value {
    std::string raw;
    std::string readBack;  // what XML can carry of it
};

const std::vector<Value>& HostileValues() {
    static const std::vector<Value> values = {
        {"plain", "plain"},
        {"", ""},
        {"<&>'\"", "<&>'\""},
        {"\"/><Injected a=\"1", "\"/><Injected a=\"1"},
        {"</Item><Item>", "</Item><Item>"},
        {"<!-- c --> <![CDATA[x]]> <?pi?>", "<!-- c --> <![CDATA[x]]> <?pi?>"},
        {"&amp; &#65; &lt;", "&amp; &#65; &lt;"},
        {"tab\there\nline\r\nend\r", "tab\there\nline\r\nend\r"},
        {"  leading and trailing  ", "  leading and trailing  "},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
        {std::string("nul\0bell\x07", 9), "nul?bell?"},
        {"esc\x1b[31m", "esc?[31m"},
        {"latin1 \xE9t\xE9", "latin1 ?t?"},
        {"\xFF\xFE", "??"},
        {"\xED\xA0\x80 \xEF\xBF\xBF", "??? ?"},
    };
    return values;
}

// Root with one Item per value: attribute v, the text, and a value element.
std::string WriteItems(bool indent) {
    XmlWriter writer(indent);
    writer.StartElement("Root");
    writer.AddAttribute("count", static_cast<std::uint32_t>(HostileValues().size()));
    for (const Value& value : HostileValues()) {
        writer.StartElement("Item");
        writer.WriteAttribute("v", value.raw);
        writer.WriteValueElement("Val", value.raw);
        writer.WriteText(value.raw);
        writer.EndElement();
    }
    std::string xml;
    writer.GetXml(xml);
    return xml;
}

TEST(XmlRoundTripTest, WrittenDocumentParsesBackToTheSameTree) {
    XmlNode expected(nullptr, "Root");
    expected.AddAttribute("count", std::to_string(HostileValues().size()));
    for (const Value& value : HostileValues()) {
        auto item = std::make_unique<XmlNode>(nullptr, "Item");
        item->AddAttribute("v", value.readBack);
        item->AppendText(value.readBack);
        item->AddChild(std::make_unique<XmlNode>(nullptr, "Val"))->AddAttribute("Value", value.readBack);
        expected.AddChild(std::move(item));
    }

    auto parsed = XmlParser::ParseDocument(WriteItems(false));
    ASSERT_NE(parsed, nullptr);
    std::string expectedText, parsedText;
    expected.Serialize(expectedText, false);
    parsed->Serialize(parsedText, false);
    EXPECT_EQ(parsedText, expectedText);

    // Serializing what was parsed and parsing that again changes nothing more.
    auto again = XmlParser::ParseDocument(parsedText);
    ASSERT_NE(again, nullptr);
    std::string againText;
    again->Serialize(againText, false);
    EXPECT_EQ(againText, parsedText);
}

TEST(XmlRoundTripTest, IndentedDocumentKeepsAttributeValues) {
    XmlCursor cursor(WriteItems(true));
    ASSERT_TRUE(cursor.HasDocument());
    ASSERT_TRUE(cursor.FindElement("Item"));
    for (const Value& value : HostileValues()) {
        SCOPED_TRACE(value.raw);
        std::string read;
        EXPECT_TRUE(cursor.ReadAttribute("v", read));
        EXPECT_EQ(read, value.readBack);
        cursor.PushCurrent();
        ASSERT_TRUE(cursor.FindElement("Val"));
        EXPECT_TRUE(cursor.ReadAttribute("Value", read));
        EXPECT_EQ(read, value.readBack);
        cursor.MoveToParent();
        cursor.MoveToSibling("Item");
    }
}

// Runs a shell command, returning its exit status and what it printed.
int RunCommand(const std::string& command, std::string& output) {
    const int status = TestSupport::RunCommand(command, output);
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class XmllintTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestSupport::XmllintCheckRuns()) return;
        path_ = std::filesystem::temp_directory_path() /
                ("xml_writer_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xml");
    }
    void TearDown() override {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove(path_, ignored);
    }

    void Store(const std::string& xml) { std::ofstream(path_, std::ios::binary) << xml; }
    // Exit status of xmllint --noout; its complaints go to `messages`.
    int Check(std::string& messages) { return RunCommand("xmllint --noout '" + path_.string() + "' 2>&1", messages); }
    std::string XPathString(const std::string& expression) {
        std::string output;
        EXPECT_EQ(RunCommand("xmllint --xpath 'string(" + expression + ")' '" + path_.string() + "'", output), 0);
        if (!output.empty() && output.back() == '\n') output.pop_back();
        return output;
    }

    std::filesystem::path path_;
};

TEST_F(XmllintTest, AcceptsIndentedSclLayoutBehindADeclaration) {
    XmlWriter writer(true);
    writer.StartElement("SCL");
    writer.AddAttribute("xmlns", "http://www.iec.ch/61850/2003/SCL");
    writer.StartElement("Header");
    writer.AddAttribute("id", "IED & <co>");
    writer.EndElement();
    writer.StartElement("Communication");
    writer.StartElement("SubNetwork");
    writer.EndElement();
    std::string xml;
    writer.GetXml(xml);
    Store("<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + xml);
    std::string messages;
    EXPECT_EQ(Check(messages), 0) << messages;
    EXPECT_EQ(XPathString("/*/*[1]/@id"), "IED & <co>");
}

TEST_F(XmllintTest, AcceptsHostileTextAndReadsBackTheRawValues) {
    for (bool indent : {false, true}) {
        SCOPED_TRACE(indent ? "indented" : "not indented");
        Store(WriteItems(indent));
        std::string messages;
        ASSERT_EQ(Check(messages), 0) << messages;
        for (std::size_t i = 0; i < HostileValues().size(); ++i) {
            const Value& value = HostileValues()[i];
            SCOPED_TRACE(value.raw);
            // xmllint prints a NUL-free, UTF-8 string; what we wrote must come back.
            const std::string item = "/Root/Item[" + std::to_string(i + 1) + "]";
            EXPECT_EQ(XPathString(item + "/@v"), value.readBack);
            EXPECT_EQ(XPathString(item + "/Val/@Value"), value.readBack);
            if (!indent) {
                EXPECT_EQ(XPathString(item), value.readBack);
            }
        }
    }
}

}  // namespace
}  // namespace Iec61850::Acsi::Scl
