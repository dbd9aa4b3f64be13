// The export through the server object's own forwarders, with the exporter's maker
// registered as the program registers it.

#include <gtest/gtest.h>

#include "iec61850/acsi/client/Server.h"
#include "iec61850/icd/ExportSteps.h"
#include "iec61850/icd/SclChecks.h"
#include "iec61850/icd/ServerModelSource.h"
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

TEST_F(ServerForwarders, TheServersExportIsTheOneItsModelGives) {
    Server server;
    server.SetIdentity({"Test Vendor", "Test IED", "1.00", {}});
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

}  // namespace
}  // namespace IcdTestModel
