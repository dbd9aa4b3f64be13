// Device texts that XML cannot carry as they stand still give a well-formed file.

#include <gtest/gtest.h>

#include "iec61850/icd/ExportSteps.h"
#include "iec61850/scl/XmlParser.h"
#include "support/ShellCommand.h"
#include "support/ToolCheck.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

using Iec61850::Acsi::Scl::XmlNode;

// The first element of that name below the node, depth first.
const XmlNode* FindFirst(const XmlNode& node, const std::string& name) {
    for (const XmlNode* child = node.GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
        if (child->GetName() == name) return child;
        if (const XmlNode* found = FindFirst(*child, name)) return found;
    }
    return nullptr;
}

TEST(HostileText, MarkupAndBytesXmlCannotCarryGiveAWellFormedFile) {
    const std::string hostile =
        "a<b>&c\"d'e\x01"
        "f\xff";
    const std::string carried = "a<b>&c\"d'e?f?";
    IcdTestServer server;
    server.SetIdentity({hostile, hostile, "1.00", {}});
    Lln0Parts parts;
    parts.buffered = 1;
    parts.goose = 1;
    server.AddDevice("LD0", {Lln0(parts)});
    server.AddDataSet("LD0", "LLN0", "DS1", {"LLN0$ST$Mod$stVal"});
    ASSERT_NE(server.AddDataSet("LD0", "LLN0", "D<&>\"'", {"LLN0$ST$Mod$stVal"}), nullptr);
    ASSERT_TRUE(server.SetValue("BR", "LD0/LLN0.brcb01.RptID", hostile));
    ASSERT_TRUE(server.SetValue("BR", "LD0/LLN0.brcb01.DatSet", "LD0/LLN0$DS1"));
    ASSERT_TRUE(server.SetValue("BR", "LD0/LLN0.brcb01.ConfRev", "1"));
    ASSERT_TRUE(server.SetValue("GO", "LD0/LLN0.gocb01.GoID", hostile));
    ASSERT_TRUE(server.SetValue("DC", "LD0/LLN0.NamPlt.d", hostile));
    ASSERT_TRUE(server.SetValue("DC", "LD0/LLN0.NamPlt.configRev", hostile));
    server.BindAll();

    TempFolder folder;
    Answer(server);
    const std::string path = folder.File("hostile.icd");
    ASSERT_EQ(server.WriteIcdFile(path), 0);
    if (TestSupport::XmllintCheckRuns()) {
        std::string complaints;
        EXPECT_EQ(TestSupport::RunCommand("xmllint --noout " + TestSupport::ShellQuote(path) + " 2>&1", complaints), 0);
        EXPECT_EQ(complaints, "");
    }

    const std::unique_ptr<XmlNode> root = Iec61850::Acsi::Scl::XmlParser::ParseDocument(ReadWhole(path));
    ASSERT_NE(root, nullptr);
    const XmlNode* ied = FindFirst(*root, "IED");
    ASSERT_NE(ied, nullptr);
    EXPECT_EQ(ied->GetAttribute("manufacturer"), carried);
    EXPECT_EQ(ied->GetAttribute("type"), carried);
    EXPECT_EQ(ied->GetAttribute("configVersion"), carried);
    EXPECT_EQ(FindFirst(*root, "ReportControl")->GetAttribute("rptID"), carried);
    EXPECT_EQ(FindFirst(*root, "GSEControl")->GetAttribute("appID"), carried);
    EXPECT_EQ(FindFirst(*root, "DataSet")->GetAttribute("name"), "D<&>\"'");
    const XmlNode* namePlate = FindFirst(*root, "DOI");
    while (namePlate != nullptr && namePlate->GetAttribute("name") != "NamPlt") namePlate = namePlate->GetNextSibling();
    ASSERT_NE(namePlate, nullptr);
    const XmlNode* d = FindFirst(*namePlate, "DAI");
    while (d != nullptr && d->GetAttribute("name") != "d") d = d->GetNextSibling();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetFirstChild()->GetText(), carried);
}

}  // namespace
}  // namespace IcdTestModel
