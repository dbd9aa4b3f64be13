// The export through the server object's own forwarders, with the exporter's maker
// registered as the program registers it.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "iec61850/acsi/client/Server.h"
#include "iec61850/icd/ExportSteps.h"
#include "iec61850/icd/SclChecks.h"
#include "iec61850/icd/ServerModelSource.h"
#include "iec61850/icd/TempFolder.h"
#include "iec61850/scl/XmlParser.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

using Iec61850::Acsi::Server;

std::vector<NodeShape> Nodes() {
    Lln0Parts parts;
    parts.buffered = parts.goose = 1;
    return {Lln0(parts), Xcbr("XCBR1"), Mmxu("MMXU1", true)};
}

class ServerForwarders : public ::testing::Test {
protected:
    ServerForwarders() { Iec61850::Acsi::Scl::RegisterIcdExporter(); }
    ~ServerForwarders() override { Iec61850::Acsi::SetIcdExportMaker(nullptr); }
};

// The server's account of an Identify asked of its device, settled with `outcome`; an answer
// brings `identity` first, as the service user applies it.
void SettleIdentify(Server& server, System::ResultCode outcome, const Mms::MmsIdentity& identity = {}) {
    server.NoteIdentifyAsked();
    if (outcome == System::OkNoError) server.SetIdentity(identity);
    server.NoteIdentifySettled(outcome);
}

TEST_F(ServerForwarders, TheServersExportIsTheOneItsModelGives) {
    Server server;
    SettleIdentify(server, System::OkNoError, {"Test Vendor", "Test IED", "1.00", {}});
    ASSERT_EQ(server.AddLogicalDevice("IED1LD0"), System::OkNoError);
    Iec61850::Acsi::LogicalDevice* device = nullptr;
    ASSERT_EQ(server.FindLogicalDevice("IED1LD0", device), System::OkNoError);
    BuildNodes(*device, Nodes());
    ASSERT_TRUE(server.GetIcdExport().HasExporter());

    // The dialogue's order holds through the forwarders.
    TempFolder folder;
    const std::string path = folder.File("server.icd");
    EXPECT_EQ(server.ReadIcdAnswers("<Answers/>"), -1);
    EXPECT_FALSE(server.GetIcdExport().GetLastFailure().empty());
    std::string list;
    ASSERT_EQ(server.BuildIcdSettingsXml(list), 0);
    EXPECT_NE(list.find("<ReportSettings"), std::string::npos);
    EXPECT_EQ(list.find("<DynDataSet"), std::string::npos);  // no association, nothing negotiated
    EXPECT_EQ(server.WriteIcdFile(path), -1);
    ASSERT_EQ(server.ReadIcdAnswers("<Answers/>"), 0);
    ASSERT_EQ(server.WriteIcdFile(path), 0) << server.GetIcdExport().GetLastFailure();
    ExpectSchemaAccepts(path);
    EXPECT_FALSE(server.IsModelLocked());

    // The same model in the test server gives the same bytes: the server's profile and
    // identity reach the file as the stand-in's do.
    IcdTestServer standIn;
    standIn.AddDevice("IED1LD0", Nodes());
    EXPECT_EQ(ReadWhole(path), ExportedFile(standIn));
}

// The IED's manufacturer and type are what the device answered to Identify, and left out
// when it gave none: not the VMD's own default text, nor what an earlier answer left.
TEST_F(ServerForwarders, TheFileNamesOnlyTheIdentityTheDeviceAnswered) {
    struct Case {
        const char* what;
        std::function<void(Server&)> identify;
        const char* manufacturer;  // null: none in the file
        const char* type;
    };
    const Mms::MmsIdentity answer{"Test Vendor", "Test IED", "1.00", {}};
    const Case cases[] = {
        {"answered", [&](Server& s) { SettleIdentify(s, System::OkNoError, answer); }, "Test Vendor", "Test IED"},
        {"never asked", [](Server&) {}, nullptr, nullptr},
        {"refused", [](Server& s) { SettleIdentify(s, System::Error); }, nullptr, nullptr},
        {"answered once, then unanswered",
         [&](Server& s) {
             SettleIdentify(s, System::OkNoError, answer);
             SettleIdentify(s, System::Timeout);
         },
         nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Server server;
        c.identify(server);
        ASSERT_EQ(server.AddLogicalDevice("IED1LD0"), System::OkNoError);
        Iec61850::Acsi::LogicalDevice* device = nullptr;
        ASSERT_EQ(server.FindLogicalDevice("IED1LD0", device), System::OkNoError);
        BuildNodes(*device, Nodes());
        TempFolder folder;
        const std::string path = folder.File("server.icd");
        std::string list;
        ASSERT_EQ(server.BuildIcdSettingsXml(list), 0);
        ASSERT_EQ(server.ReadIcdAnswers("<Answers/>"), 0);
        ASSERT_EQ(server.WriteIcdFile(path), 0) << server.GetIcdExport().GetLastFailure();
        ExpectSchemaAccepts(path);
        const auto root = Iec61850::Acsi::Scl::XmlParser::ParseDocument(ReadWhole(path));
        ASSERT_NE(root, nullptr);
        const auto ieds = Elements(*root, "IED");
        ASSERT_EQ(ieds.size(), 1u);
        EXPECT_EQ(ieds.front()->HasAttribute("manufacturer"), c.manufacturer != nullptr);
        EXPECT_EQ(ieds.front()->HasAttribute("type"), c.type != nullptr);
        EXPECT_EQ(AttributeOf(*ieds.front(), "manufacturer"), c.manufacturer ? c.manufacturer : "");
        EXPECT_EQ(AttributeOf(*ieds.front(), "type"), c.type ? c.type : "");
    }
}

}  // namespace
}  // namespace IcdTestModel
