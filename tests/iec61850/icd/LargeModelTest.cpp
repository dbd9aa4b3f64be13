// The large model, as the export's other suites and its benchmark use it.

#include <gtest/gtest.h>

#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/TempFolder.h"
#include "support/ShellCommand.h"
#include "support/ToolCheck.h"
#include "support/icdmodel/LargeModel.h"

#include <cstdio>

namespace IcdTestModel {
namespace {

// The number an XPath count over the file gives, through xmllint.
int CountByXmllint(const std::string& path, const std::string& element) {
    const std::string command = "xmllint --xpath \"count(//*[local-name()='" + element + "'])\" " +
                                TestSupport::ShellQuote(path) + " 2>/dev/null";
    std::string output;
    if (TestSupport::RunCommand(command, output) == -1 || output.empty()) return -1;
    return std::atoi(output.c_str());
}

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
    EXPECT_EQ(first.macAddress, "01-0C-CD-01-00-05");
    EXPECT_EQ(first.appId, "3005");
    EXPECT_EQ(exporter.GetSampledValueAddresses().size(), 20u);
    // Every block found its data set.
    for (const auto& [name, device] : server.devices) {
        for (const auto& [nodeName, node] : device->GetLogicalNodes()) {
            for (const auto& [blockName, block] : node->GetBRCBs()) EXPECT_NE(block->GetDataSet(), nullptr);
        }
    }

    TempFolder folder;
    ASSERT_EQ(server.ReadIcdAnswers("<Answers/>"), 0);
    const std::string path = folder.File("large.icd");
    ASSERT_EQ(server.WriteIcdFile(path), 0);
    EXPECT_EQ(server.Exporter().GetLNodeTypes().at("XCBR").size(), 130u);

    if (!TestSupport::XmllintCheckRuns()) return;
    EXPECT_EQ(CountByXmllint(path, "LDevice"), 10);
    EXPECT_EQ(CountByXmllint(path, "LN"), summary.logicalNodes - 10);
    EXPECT_EQ(CountByXmllint(path, "DataSet"), summary.dataSets);
    EXPECT_EQ(CountByXmllint(path, "FCDA"), summary.dataSetMembers);
    EXPECT_EQ(CountByXmllint(path, "ReportControl"), summary.reportControlNames);
    EXPECT_EQ(CountByXmllint(path, "RptEnabled"), 10);
    EXPECT_EQ(CountByXmllint(path, "LogControl"), summary.logControlBlocks);
    EXPECT_EQ(CountByXmllint(path, "GSE"), summary.gooseControlBlocks + summary.gsseControlBlocks);
    EXPECT_EQ(CountByXmllint(path, "GSEControl"), summary.gooseControlBlocks + summary.gsseControlBlocks);
    EXPECT_EQ(CountByXmllint(path, "SMV"), summary.sampledValueControlBlocks);
    EXPECT_EQ(CountByXmllint(path, "SampledValueControl"), summary.sampledValueControlBlocks);
}

}  // namespace
}  // namespace IcdTestModel
