// The large model, as the export's other suites and its benchmark use it.

#include <gtest/gtest.h>

#include "iec61850/acsi/LogicalNode.h"
#include "iec61850/acsi/ReportControlBlock.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/TempFolder.h"
#include "support/icdmodel/LargeModel.h"

namespace IcdTestModel {
namespace {

TEST(LargeModel, FactsAgreeWithWhatWasBuiltAndTheFileIsWritten) {
    IcdTestServer server;
    server.negotiatedServices = {ServiceDefineNamedVariableList, ServiceDeleteNamedVariableList, ServiceReadJournal,
                                 ServiceInitializeJournal};
    const LargeModelSummary summary = BuildLargeModel(server);
    EXPECT_EQ(summary.logicalNodes, 500);
    std::string list;
    ASSERT_EQ(server.BuildIcdSettingsXml(list), 0);
    const auto& exporter = server.Exporter();
    const auto& counts = exporter.GetCounts();
    EXPECT_EQ(counts.reportControlBlocks, static_cast<std::uint32_t>(summary.reportControlBlocks));
    EXPECT_EQ(counts.logControlBlocks, static_cast<std::uint32_t>(summary.logControlBlocks));
    EXPECT_EQ(counts.gooseControlBlocks, static_cast<std::uint32_t>(summary.gooseControlBlocks));
    EXPECT_EQ(counts.gsseControlBlocks, static_cast<std::uint32_t>(summary.gsseControlBlocks));
    EXPECT_EQ(counts.sampledValueControlBlocks, static_cast<std::uint32_t>(summary.sampledValueControlBlocks));
    EXPECT_EQ(counts.dataSets, static_cast<std::uint32_t>(summary.dataSets));
    EXPECT_EQ(counts.largestDataSet, 3u);
    EXPECT_EQ(exporter.GetIedName(), "LARGELD0");
    EXPECT_EQ(exporter.GetConfigRevision(), "R1");
    EXPECT_TRUE(exporter.HasTimerActivatedControl());
    for (const char* section : {"<DynDataSet", "<LogSettings", "<ReportSettings", "<SMVSettings", "<ConfLNs"}) {
        EXPECT_NE(list.find(section), std::string::npos) << section;
    }
    ASSERT_EQ(exporter.GetGooseAddresses().size(), 10u);
    const auto& first = exporter.GetGooseAddresses().at("0gocb01");
    EXPECT_EQ(first.macAddress, "01-0C-CD-01-00-04");
    EXPECT_EQ(first.appId, "12292");
    EXPECT_EQ(exporter.GetSampledValueAddresses().size(), 20u);
    // Every block found its data set.
    for (const auto& [name, device] : server.devices) {
        for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
            for (const auto& [blockName, block] : node->GetBRCBs()) EXPECT_NE(block->GetDataSet(), nullptr);
        }
    }

    TempFolder folder;
    ASSERT_EQ(server.ReadIcdAnswers("<Answers/>"), 0);
    ASSERT_EQ(server.WriteIcdFile(folder.File("large.icd")), 0);
    EXPECT_EQ(server.Exporter().GetLNodeTypes().at("XCBR").size(), 130u);
}

}  // namespace
}  // namespace IcdTestModel
