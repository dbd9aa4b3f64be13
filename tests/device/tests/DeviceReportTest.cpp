// Report control blocks of the device: enabled by one association, reporting to it on
// general interrogation, data change and integrity period with the fields OptFlds selects.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceClient.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

using DeviceTest::DeviceClient;

namespace {

std::vector<std::string> Texts(const Mms::InformationReport& report) {
    std::vector<std::string> texts;
    for (Mms::Container* value : report.Values) texts.push_back(MmsObjectTest::Text(value));
    return texts;
}

constexpr const char* Enable = "True";

}  // namespace

// Which fields a report carries follows OptFlds; the values follow the data set.
TEST(DeviceReport, GeneralInterrogationAndDataChangeCarryTheSelectedFields) {
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);

    struct Case {
        const char* block;
        const char* options;  // OptFlds written before enabling
        const char* change;   // reference whose change is reported ("": general interrogation)
        const char* value;
        // Every field in order, "<time>" for the time of entry, "<value>" for a data value.
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // The default options: sequence number, time of entry, reason, data set, conf rev.
        {"LLN0$RP$urcb01",
         "0111100010",
         "",
         "",
         {"LD0-urcb", "0111100010", "0", "<time>", "LD0/LLN0$ds1", "1", "1111", "<value>", "<value>", "<value>",
          "<value>", "0000010", "0000010", "0000010", "0000010"}},
        // Data references, no time; the sequence number goes on.
        {"LLN0$RP$urcb01",
         "0100110000",
         "LD0/GGIO1$ST$Ind1$stVal",
         "True",
         {"LD0-urcb", "0100110000", "1", "LD0/LLN0$ds1", "0010", "LD0/GGIO1$ST$Ind1", "<value>"}},
        // An empty RptID reports the block's reference; entry id and overflow only here.
        {"LLN0$BR$brcbMeas01",
         "0101101111",
         "LD0/MMXU1$MX$Hz$mag$f",
         "49.5",
         {"LD0/LLN0$BR$brcbMeas01", "0101101111", "0", "LD0/LLN0$ds2", "False", "0000000000000001", "1", "0", "False",
          "010", "<value>", "0100000"}},
        // A buffered block never reports overflow or entry id for an unbuffered one.
        {"LLN0$RP$urcbMeas01",
         "0000001110",
         "LD0/GGIO1$ST$IntIn1$stVal",
         "4",
         {"LD0/LLN0$RP$urcbMeas01", "0000001110", "1", "001", "<value>"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.block) + " " + c.options);
        const std::string block = c.block;
        ASSERT_EQ(client.Write("LD0", block + "$RptEna", "False"), System::OkNoError);
        ASSERT_EQ(client.Write("LD0", block + "$OptFlds", c.options), System::OkNoError);
        ASSERT_EQ(client.Write("LD0", block + "$RptEna", Enable), System::OkNoError);
        if (std::string(c.change).empty()) {
            ASSERT_EQ(client.Write("LD0", block + "$GI", "True"), System::OkNoError);
        } else {
            ASSERT_EQ(device.SetValue(c.change, c.value), System::OkNoError);
        }
        client.Sync();
        const auto reports = client.Reports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0]->GetListName(), "RPT");
        std::vector<std::string> texts = Texts(*reports[0]);
        ASSERT_EQ(texts.size(), c.expected.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (c.expected[i] == "<time>" || c.expected[i] == "<value>") texts[i] = c.expected[i];
        }
        EXPECT_EQ(texts, c.expected);
        ASSERT_EQ(client.Write("LD0", block + "$RptEna", "False"), System::OkNoError);
    }
    // The block shows the sequence number of the next report.
    EXPECT_EQ(client.Read("LD0", "LLN0$RP$urcb01$SqNum"), "2");
    EXPECT_EQ(client.Read("LD0", "LLN0$BR$brcbMeas01$EntryID"), "0000000000000001");
    EXPECT_EQ(client.Release(), System::OkNoError);

    if (!TestSupport::WiresharkAvailable()) GTEST_SKIP() << "tshark missing: the wire check did not run";
    const std::vector<TestSupport::WireUnit> units = client.relay.Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* expected :
         {"informationReport (0)", "vmd-specific: RPT", "LD0-urcb", "LD0/LLN0$BR$brcbMeas01", "LD0/GGIO1$ST$Ind1"}) {
        EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
    }
}

// Two associations share the blocks: each report goes to the one that enabled its block,
// a block held by one is refused to the other, and the end of an association frees it.
TEST(DeviceReport, EachReportGoesToTheAssociationThatEnabledItsBlock) {
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient first(device);
    DeviceClient second(device);
    ASSERT_EQ(first.Associate(), System::OkNoError);
    ASSERT_EQ(second.Associate(), System::OkNoError);
    // The device counts an association once its initiate answer has left.
    EXPECT_TRUE(TestSupport::Eventually([&device] { return device.OpenAssociations() == 2; }));

    ASSERT_EQ(first.Write("LD0", "LLN0$RP$urcb01$RptEna", Enable), System::OkNoError);
    ASSERT_EQ(second.Write("LD0", "LLN0$RP$urcbMeas01$RptEna", Enable), System::OkNoError);
    const Mms::RequestOutcome outcome = second.WriteWithError("LD0", "LLN0$RP$urcb01$RptEna", Enable);
    EXPECT_EQ(outcome.result, System::Error);
    EXPECT_EQ(outcome.errorCode, TestDevice::ReportControl::TemporarilyUnavailable);

    // TotW is in both data sets.
    ASSERT_EQ(device.SetValue("LD0/MMXU1$MX$TotW$mag$f", "99.5"), System::OkNoError);
    first.Sync();
    second.Sync();
    auto firstReports = first.Reports();
    auto secondReports = second.Reports();
    ASSERT_EQ(firstReports.size(), 1u);
    ASSERT_EQ(secondReports.size(), 1u);
    EXPECT_EQ(MmsObjectTest::Text(firstReports[0]->Values[0]), "LD0-urcb");
    EXPECT_EQ(MmsObjectTest::Text(secondReports[0]->Values[0]), "LD0/LLN0$RP$urcbMeas01");

    // Integrity reports come on their period to the association that asked.
    ASSERT_EQ(second.Write("LD0", "LLN0$RP$urcbMeas01$RptEna", "False"), System::OkNoError);
    ASSERT_EQ(second.Write("LD0", "LLN0$RP$urcbMeas01$IntgPd", "20"), System::OkNoError);
    ASSERT_EQ(second.Write("LD0", "LLN0$RP$urcbMeas01$RptEna", Enable), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&second] { return second.client.vmd.PendingReportCount() >= 2; }));
    ASSERT_EQ(second.Write("LD0", "LLN0$RP$urcbMeas01$RptEna", "False"), System::OkNoError);
    second.Sync();
    secondReports = second.Reports();
    ASSERT_GE(secondReports.size(), 2u);
    // SqNum, then the inclusion of every member, reason integrity.
    EXPECT_EQ(MmsObjectTest::Text(secondReports[0]->Values[6]), "111");
    EXPECT_EQ(MmsObjectTest::Text(secondReports[0]->Values.back()), "0000100");
    first.Sync();
    EXPECT_TRUE(first.Reports().empty());

    // The first association ends: its block is free for the second.
    EXPECT_EQ(first.Release(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&device] { return device.OpenAssociations() == 1; }));
    EXPECT_EQ(second.Read("LD0", "LLN0$RP$urcb01$RptEna"), "False");
    EXPECT_EQ(second.Write("LD0", "LLN0$RP$urcb01$RptEna", Enable), System::OkNoError);
    EXPECT_EQ(second.Release(), System::OkNoError);

    if (!TestSupport::WiresharkAvailable()) GTEST_SKIP() << "tshark missing: the wire check did not run";
    EXPECT_EQ(TestSupport::FindProblems(first.relay.Units(0)), "");
    EXPECT_EQ(TestSupport::FindProblems(second.relay.Units(0)), "");
}
