// Report control blocks of the device: enabled by one association, reporting to it on
// general interrogation, data change and integrity period with the fields OptFlds selects.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DeviceClient.h"
#include "support/ToolCheck.h"
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

    if (!TestSupport::WireCheckRuns()) return;
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

    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(TestSupport::FindProblems(first.relay.Units(0)), "");
    EXPECT_EQ(TestSupport::FindProblems(second.relay.Units(0)), "");
}

// Instances of one indexed block share their RptID; each belongs to the association
// that enabled it (an unbuffered one stays reserved until Resv is written back), and
// the other association is refused while it does.
TEST(DeviceReport, IndexedInstancesShareOneRptIdAndBelongToTheirAssociation) {
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient first(device);
    DeviceClient second(device);
    ASSERT_EQ(first.Associate(), System::OkNoError);
    ASSERT_EQ(second.Associate(), System::OkNoError);
    for (const char* block :
         {"LLN0$BR$brcb01", "LLN0$BR$brcb02", "LLN0$BR$brcb03", "LLN0$RP$urcb01", "LLN0$RP$urcb02", "LLN0$RP$urcb03"}) {
        SCOPED_TRACE(block);
        const std::string name = block;
        EXPECT_EQ(first.Read("LD0", name + "$RptID"), name.find("$BR$") != std::string::npos ? "LD0-brcb" : "LD0-urcb");
        EXPECT_EQ(first.Read("LD0", name + "$DatSet"), "LD0/LLN0$ds1");
    }

    ASSERT_EQ(first.Write("LD0", "LLN0$RP$urcb01$RptEna", Enable), System::OkNoError);
    ASSERT_EQ(second.Write("LD0", "LLN0$RP$urcb02$RptEna", Enable), System::OkNoError);
    ASSERT_EQ(first.Write("LD0", "LLN0$BR$brcb01$RptEna", Enable), System::OkNoError);
    ASSERT_EQ(device.SetValue("LD0/GGIO1$ST$Ind1$stVal", "True"), System::OkNoError);
    first.Sync();
    second.Sync();
    std::vector<std::string> firstIds;
    for (const auto& report : first.Reports()) firstIds.push_back(MmsObjectTest::Text(report->Values[0]));
    std::sort(firstIds.begin(), firstIds.end());
    EXPECT_EQ(firstIds, (std::vector<std::string>{"LD0-brcb", "LD0-urcb"}));
    const auto secondReports = second.Reports();
    ASSERT_EQ(secondReports.size(), 1u);
    EXPECT_EQ(MmsObjectTest::Text(secondReports[0]->Values[0]), "LD0-urcb");

    // Enabling reserved the unbuffered instance; disabling leaves it reserved.
    EXPECT_EQ(second.Read("LD0", "LLN0$RP$urcb01$Resv"), "True");
    ASSERT_EQ(first.Write("LD0", "LLN0$RP$urcb01$RptEna", "False"), System::OkNoError);
    struct Refused {
        const char* item;
        const char* value;
        std::int32_t error;
    };
    const Refused refused[] = {
        {"LLN0$RP$urcb01$RptEna", Enable, TestDevice::ReportControl::TemporarilyUnavailable},
        {"LLN0$RP$urcb01$OptFlds", "0111100010", TestDevice::ReportControl::TemporarilyUnavailable},
        {"LLN0$BR$brcb01$RptEna", "False", TestDevice::ReportControl::TemporarilyUnavailable},
        {"LLN0$BR$brcb01$EntryID", "0000000000000000", TestDevice::ReportControl::TemporarilyUnavailable},
        // Where a buffered block resumes changes only while it is disabled, even for its owner.
        {"LLN0$BR$brcb02$RptEna", Enable, 0},
        {"LLN0$BR$brcb02$PurgeBuf", "True", TestDevice::ReportControl::TemporarilyUnavailable},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.item);
        const Mms::RequestOutcome outcome = second.WriteWithError("LD0", r.item, r.value);
        EXPECT_EQ(outcome.result, r.error == 0 ? System::OkNoError : System::Error);
        if (r.error != 0) {
            EXPECT_EQ(outcome.errorCode, r.error);
        }
    }
    // Given back, each is the second's to take.
    ASSERT_EQ(first.Write("LD0", "LLN0$RP$urcb01$Resv", "False"), System::OkNoError);
    ASSERT_EQ(first.Write("LD0", "LLN0$BR$brcb01$RptEna", "False"), System::OkNoError);
    EXPECT_EQ(second.Write("LD0", "LLN0$RP$urcb01$RptEna", Enable), System::OkNoError);
    EXPECT_EQ(second.Write("LD0", "LLN0$BR$brcb01$RptEna", Enable), System::OkNoError);
    EXPECT_EQ(first.WriteWithError("LD0", "LLN0$RP$urcb01$Resv", "True").errorCode,
              TestDevice::ReportControl::TemporarilyUnavailable);
    EXPECT_EQ(first.Release(), System::OkNoError);
    EXPECT_EQ(second.Release(), System::OkNoError);
}

namespace {

// A buffered report with OptFlds "0100111100" (sequence number, data set, data
// references, overflow, entry id): the fields that tell entries apart.
constexpr const char* BufferedOptions = "0100111100";
struct BufferedReport {
    std::string overflow;
    std::string entryId;
    std::string inclusion;
    std::vector<std::string> references;
    std::vector<std::string> values;
};

std::vector<BufferedReport> Buffered(DeviceClient& client) {
    client.Sync();
    std::vector<BufferedReport> seen;
    for (const auto& report : client.Reports()) {
        const std::vector<std::string> texts = Texts(*report);
        if (texts.size() < 7 || texts[0] != "LD0-brcb") {
            ADD_FAILURE() << "not a report of brcb01 with its options";
            continue;
        }
        BufferedReport r{texts[4], texts[5], texts[6], {}, {}};
        const std::size_t included = static_cast<std::size_t>(std::count(r.inclusion.begin(), r.inclusion.end(), '1'));
        for (std::size_t i = 7; i < texts.size(); ++i) (i < 7 + included ? r.references : r.values).push_back(texts[i]);
        seen.push_back(r);
    }
    return seen;
}

std::string EntryId(int id) {
    const std::string digits = std::to_string(id);
    return std::string(16 - digits.size(), '0') + digits;
}

}  // namespace

// A buffered block keeps the entries its triggers produce once it was first enabled, also
// while disabled, with the values of their time; enabling sends them in order, after the
// last one sent or the EntryID written; a full buffer drops the oldest and tells so with
// BufOvfl; PurgeBuf empties it.
TEST(DeviceReport, BufferedEntriesWaitForTheNextEnable) {
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    const std::string block = "LLN0$BR$brcb01";
    const auto enable = [&](const char* value) { return client.Write("LD0", block + "$RptEna", value); };
    std::string indication = "False";
    const auto change = [&](int times) {
        for (int i = 0; i < times; ++i) {
            indication = indication == "True" ? "False" : "True";
            ASSERT_EQ(device.SetValue("LD0/GGIO1$ST$Ind1$stVal", indication), System::OkNoError);
        }
    };
    // The value texts of Ind1 as the reports carried them, in the order of the changes.
    std::vector<std::string> sent;
    ASSERT_EQ(client.Write("LD0", block + "$OptFlds", BufferedOptions), System::OkNoError);

    // Nothing is kept before the first enable.
    change(1);
    ASSERT_EQ(enable(Enable), System::OkNoError);
    EXPECT_TRUE(Buffered(client).empty());
    ASSERT_EQ(enable("False"), System::OkNoError);

    // Changes while disabled arrive on enable, in order, each with the value of its time.
    change(3);
    client.Sync();
    EXPECT_TRUE(client.Reports().empty());
    ASSERT_EQ(enable(Enable), System::OkNoError);
    std::vector<BufferedReport> seen = Buffered(client);
    ASSERT_EQ(seen.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[i].entryId, EntryId(i + 1));
        EXPECT_EQ(seen[i].overflow, "False");
        EXPECT_EQ(seen[i].references, std::vector<std::string>{"LD0/GGIO1$ST$Ind1"});
        ASSERT_EQ(seen[i].values.size(), 1u);
        sent.push_back(seen[i].values[0]);
    }
    // Each entry's values as of its own time: the status toggles back, its time stamp moves on.
    const auto status = [](const std::string& values) { return values.substr(0, values.find("type=\"UTCTime\"")); };
    EXPECT_NE(status(sent[0]), status(sent[1]));
    EXPECT_EQ(status(sent[0]), status(sent[2]));
    EXPECT_EQ(client.Read("LD0", block + "$EntryID"), EntryId(3));

    // A buffer of four: six changes drop the two oldest; the first report says so.
    TestDevice::Faults faults;
    faults.reportBuffering.entries = 4;
    device.SetFaults(faults);
    ASSERT_EQ(enable("False"), System::OkNoError);
    change(6);
    ASSERT_EQ(enable(Enable), System::OkNoError);
    seen = Buffered(client);
    ASSERT_EQ(seen.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(seen[i].entryId, EntryId(6 + i));
        EXPECT_EQ(seen[i].overflow, i == 0 ? "True" : "False");
    }

    // Resumed after an entry the buffer holds; one it dropped is refused, as is a write
    // of EntryID while enabled.
    EXPECT_EQ(client.WriteWithError("LD0", block + "$EntryID", EntryId(7)).errorCode,
              TestDevice::ReportControl::TemporarilyUnavailable);
    ASSERT_EQ(enable("False"), System::OkNoError);
    const Mms::RequestOutcome dropped = client.WriteWithError("LD0", block + "$EntryID", EntryId(5));
    EXPECT_EQ(dropped.result, System::Error);
    EXPECT_EQ(dropped.errorCode, TestDevice::ReportControl::ObjectValueInvalid);
    EXPECT_EQ(client.Read("LD0", block + "$EntryID"), EntryId(9));
    ASSERT_EQ(client.Write("LD0", block + "$EntryID", EntryId(7)), System::OkNoError);
    ASSERT_EQ(enable(Enable), System::OkNoError);
    seen = Buffered(client);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].entryId, EntryId(8));
    EXPECT_EQ(seen[1].entryId, EntryId(9));
    EXPECT_EQ(seen[0].overflow, "False");
    // Zero resumes from the oldest.
    ASSERT_EQ(enable("False"), System::OkNoError);
    ASSERT_EQ(client.Write("LD0", block + "$EntryID", EntryId(0)), System::OkNoError);
    ASSERT_EQ(enable(Enable), System::OkNoError);
    EXPECT_EQ(Buffered(client).size(), 4u);

    // PurgeBuf empties the buffer: nothing left to send.
    ASSERT_EQ(enable("False"), System::OkNoError);
    change(2);
    ASSERT_EQ(client.Write("LD0", block + "$PurgeBuf", "True"), System::OkNoError);
    EXPECT_EQ(client.Read("LD0", block + "$PurgeBuf"), "False");
    ASSERT_EQ(enable(Enable), System::OkNoError);
    EXPECT_TRUE(Buffered(client).empty());

    // The device told to overflow: the next enable's first report shows it.
    ASSERT_EQ(enable("False"), System::OkNoError);
    faults.reportBuffering.overflowBufferNow = true;
    device.SetFaults(faults);
    change(1);
    ASSERT_EQ(enable(Enable), System::OkNoError);
    seen = Buffered(client);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].overflow, "True");

    // The association goes, the block goes on buffering for the next one.
    EXPECT_EQ(client.Release(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&device] { return device.OpenAssociations() == 0; }));
    device.SetFaults({});
    change(2);
    DeviceClient next(device);
    ASSERT_EQ(next.Associate(), System::OkNoError);
    ASSERT_EQ(next.Write("LD0", block + "$RptEna", Enable), System::OkNoError);
    seen = Buffered(next);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].references, std::vector<std::string>{"LD0/GGIO1$ST$Ind1"});
    EXPECT_EQ(next.Release(), System::OkNoError);

    if (!TestSupport::WireCheckRuns()) return;
    const std::vector<TestSupport::WireUnit> units = next.relay.Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* expected : {"informationReport (0)", "vmd-specific: RPT", "LD0-brcb", "LD0/LLN0$ds1"}) {
        EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
    }
}

// Changes within one buffer time leave as one report with every member they touched; a
// member that changes again sends what was gathered first; the report leaves when the
// buffer time ends.
TEST(DeviceReport, ChangesWithinOneBufferTimeGoInOneReport) {
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    for (const char* block : {"LLN0$BR$brcb02", "LLN0$RP$urcb03"}) {
        SCOPED_TRACE(block);
        const std::string name = block;
        // Longer than any test: only a second change of a member closes the report.
        ASSERT_EQ(client.Write("LD0", name + "$BufTm", "600000"), System::OkNoError);
        ASSERT_EQ(client.Write("LD0", name + "$OptFlds", "0000010000"), System::OkNoError);
        ASSERT_EQ(client.Write("LD0", name + "$RptEna", Enable), System::OkNoError);
        ASSERT_EQ(device.SetValue("LD0/GGIO1$ST$Ind1$stVal", "True"), System::OkNoError);
        ASSERT_EQ(device.SetValue("LD0/MMXU1$MX$TotW$mag$f", "12.5"), System::OkNoError);
        client.Sync();
        EXPECT_TRUE(client.Reports().empty());
        ASSERT_EQ(device.SetValue("LD0/GGIO1$ST$Ind1$stVal", "False"), System::OkNoError);
        client.Sync();
        auto reports = client.Reports();
        ASSERT_EQ(reports.size(), 1u);
        std::vector<std::string> texts = Texts(*reports[0]);
        ASSERT_EQ(texts.size(), 7u);
        EXPECT_EQ(texts[2], "0011");
        EXPECT_EQ(texts[3], "LD0/GGIO1$ST$Ind1");
        EXPECT_EQ(texts[4], "LD0/MMXU1$MX$TotW");

        // A general interrogation sends what was gathered first, then its own.
        ASSERT_EQ(client.Write("LD0", name + "$GI", "True"), System::OkNoError);
        client.Sync();
        reports = client.Reports();
        ASSERT_EQ(reports.size(), 2u);
        EXPECT_EQ(Texts(*reports[0])[2], "0010");
        EXPECT_EQ(Texts(*reports[1])[2], "1111");

        // A short buffer time: the report leaves when it ends.
        ASSERT_EQ(client.Write("LD0", name + "$BufTm", "20"), System::OkNoError);
        ASSERT_EQ(device.SetValue("LD0/MMXU1$MX$TotW$mag$f", "13.5"), System::OkNoError);
        ASSERT_TRUE(TestSupport::Eventually([&client] { return client.client.vmd.PendingReportCount() >= 1; }));
        reports = client.Reports();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(Texts(*reports[0])[2], "0001");
        ASSERT_EQ(client.Write("LD0", name + "$RptEna", "False"), System::OkNoError);
        ASSERT_EQ(client.Write("LD0", name + "$BufTm", "0"), System::OkNoError);
    }
    EXPECT_EQ(client.Release(), System::OkNoError);
}
