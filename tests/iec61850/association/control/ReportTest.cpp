#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "device/ModelScope.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/control/ControlClient.h"
#include "mms/machine/MmsConnection.h"
#include "mms/user/Domain.h"
#include "mms/user/IndexedItem.h"
#include "mms/values/Container.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

using Iec61850::AttributeRecords;
using Names = std::vector<std::string>;

std::string FindValue(const std::vector<ValueRecord>& records, const std::string& reference) {
    for (const ValueRecord& record : records) {
        if (record.reference == reference) return record.value;
    }
    return "(none)";
}

// OptFlds with exactly the bits set (bit 0 is reserved).
std::string Options(std::initializer_list<int> bits) {
    std::string text(10, '0');
    for (const int bit : bits) text[static_cast<std::size_t>(bit)] = '1';
    return text;
}

class Reports : public ::testing::Test {
protected:
    void SetUp() override {
        auto made = std::make_unique<ControlClient>();
        client = made.get();
        session.client = std::move(made);
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        // The blocks' values, as a program reads them before it enables reports; the
        // blocks then find their data sets again.
        for (const char* block : {"LD0/LLN0.brcb01", "LD0/LLN0.brcbMeas01"}) {
            ASSERT_EQ(session
                          .Call([&](RecordingClient& c, std::uint32_t& id) {
                              return c.GetBRCBValues(id, {"BR", block}, AnswerFrom::Device);
                          })
                          .serviceError,
                      0);
        }
        for (const char* block : {"LD0/LLN0.urcb01", "LD0/LLN0.urcbMeas01"}) {
            ASSERT_EQ(session
                          .Call([&](RecordingClient& c, std::uint32_t& id) {
                              return c.GetURCBValues(id, {"RP", block}, AnswerFrom::Device);
                          })
                          .serviceError,
                      0);
        }
        for (const char* name : {"brcb01", "brcbMeas01", "urcb01", "urcbMeas01"}) {
            RCB& block = Block(name);
            const Mms::ModelHold hold(session.server.get());
            ASSERT_EQ(block.Bind(hold), System::OkNoError) << name;
        }
        client->lockProbe = session.server.get();
    }

    Confirmation SetBlock(bool buffered, const std::string& block, const AttributeRecords& values) {
        return session.Call([&](RecordingClient& c, std::uint32_t& id) {
            return buffered ? c.SetBRCBValues(id, block, values, AnswerFrom::Device)
                            : c.SetURCBValues(id, block, values, AnswerFrom::Device);
        });
    }
    // Enables the block with the options and has the device report Ind1 of the data set.
    ReceivedReport ReportWith(bool buffered, const std::string& block, const std::string& options) {
        client->ClearReceived();
        EXPECT_EQ(SetBlock(buffered, block, {{"OptFlds", options}, {"RptEna", "True"}}).serviceError, 0);
        indication = indication == "True" ? "False" : "True";
        EXPECT_EQ(session.device.SetValue("LD0/GGIO1$ST$Ind1$stVal", indication), System::OkNoError);
        EXPECT_TRUE(client->WaitForReports(1));
        const std::vector<ReceivedReport> received = client->Received();
        return received.empty() ? ReceivedReport{} : received[0];
    }
    std::string ModelText(Mms::Container* value) {
        std::string text;
        const Mms::ModelHold hold(session.server.get());
        EXPECT_TRUE(hold.Taken());
        if (value != nullptr) value->ToText(text);
        return text;
    }
    RCB& Block(const std::string& name) {
        LogicalNode* lln0 = nullptr;
        EXPECT_EQ(session.server->FindLogicalNode("LD0/LLN0", lln0), System::OkNoError);
        if (lln0->GetBRCBs().contains(name)) return *lln0->GetBRCBs().at(name);
        return *lln0->GetURCBs().at(name);
    }

    DeviceSession session;
    ControlClient* client = nullptr;
    std::string indication = "False";
};

// Ind1 of LD0/LLN0.ds1 (members XCBR1.Pos, CSWI1.Pos, GGIO1.Ind1, MMXU1.TotW) changed:
// one entry, for the third member, with its value in the model.
void ExpectIndicationEntry(const ReceivedReport& report, bool references, bool reasons, const std::string& value) {
    ASSERT_EQ(report.entries.size(), 1u);
    const ReportEntry& entry = report.entries[0];
    EXPECT_EQ(entry.fc, references ? "ST" : "");
    EXPECT_EQ(entry.reference, references ? "LD0/GGIO1.Ind1" : "");
    EXPECT_EQ(entry.reason, reasons ? "0100000" : "");
    EXPECT_EQ(FindValue(entry.values, "LD0/GGIO1.Ind1.stVal"), value);
    EXPECT_EQ(entry.values.size(), 3u);
}

TEST_F(Reports, BufferedReportsDecodeEveryOptionalField) {
    struct Case {
        const char* name;
        std::string options;
        Names header;
    };
    const Case cases[] = {
        {"none", Options({}), {"RptID", "OptFlds"}},
        {"sequence number", Options({1}), {"RptID", "OptFlds", "SqNum"}},
        {"time of entry", Options({2}), {"RptID", "OptFlds", "TimeOfEntry"}},
        {"reasons", Options({3}), {"RptID", "OptFlds"}},
        {"data set", Options({4}), {"RptID", "OptFlds", "DatSet"}},
        {"data references", Options({5}), {"RptID", "OptFlds"}},
        {"buffer overflow", Options({6}), {"RptID", "OptFlds", "BufOvfl"}},
        {"entry id", Options({7}), {"RptID", "OptFlds", "EntryID"}},
        {"conf rev", Options({8}), {"RptID", "OptFlds", "ConfRev"}},
        {"segmentation", Options({9}), {"RptID", "OptFlds", "SubSqNum", "MoreSegmentsFollow"}},
        {"sequence number and data references", Options({1, 5}), {"RptID", "OptFlds", "SqNum"}},
        {"all",
         Options({1, 2, 3, 4, 5, 6, 7, 8, 9}),
         {"RptID", "OptFlds", "SqNum", "TimeOfEntry", "DatSet", "BufOvfl", "EntryID", "ConfRev", "SubSqNum",
          "MoreSegmentsFollow"}},
    };
    auto& block = static_cast<BRCB&>(Block("brcb01"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReceivedReport report = ReportWith(true, "LD0/LLN0.brcb01", c.options);
        EXPECT_EQ(report.serviceError, 0);
        EXPECT_EQ(report.block, "LD0/LLN0.brcb01");
        EXPECT_EQ(report.HeaderNames(), c.header);
        EXPECT_EQ(report.Header("RptID"), "LD0-brcb");
        EXPECT_EQ(report.Header("OptFlds"), c.options);
        const bool references = c.options[5] == '1';
        const bool reasons = c.options[3] == '1';
        ExpectIndicationEntry(report, references, reasons, indication);
        // The model holds what the report carried.
        EXPECT_EQ(ModelText(block.OptFlds), c.options);
        if (c.options[1] == '1') {
            EXPECT_EQ(ModelText(block.SqNum), report.Header("SqNum"));
        }
        if (c.options[4] == '1') {
            EXPECT_EQ(report.Header("DatSet"), "LD0/LLN0$ds1");
        }
        if (c.options[6] == '1') {
            EXPECT_EQ(report.Header("BufOvfl"), "False");
        }
        if (c.options[7] == '1') {
            EXPECT_EQ(ModelText(block.EntryID), report.Header("EntryID"));
            EXPECT_EQ(report.Header("EntryID"), session.device.GetValue("LD0/LLN0$BR$brcb01$EntryID"));
        }
        if (c.options[2] == '1') {
            EXPECT_EQ(ModelText(block.TimeOfEntry), report.Header("TimeOfEntry"));
        }
        if (c.options[8] == '1') {
            EXPECT_EQ(ModelText(block.ConfRev), "1");
        }
        if (c.options[9] == '1') {
            EXPECT_EQ(report.Header("MoreSegmentsFollow"), "False");
        }
    }
    const Confirmation read = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataValues(id, {"ST", "LD0/GGIO1.Ind1.stVal"}, AnswerFrom::Model);
    });
    ASSERT_EQ(read.values.size(), 1u);
    EXPECT_EQ(read.values[0].value, indication);
}

TEST_F(Reports, UnbufferedReportsCountInEightBitsAndTakeNoEntryId) {
    RCB& block = Block("urcb01");
    std::vector<std::uint32_t> numbers;
    for (int i = 0; i < 3; ++i) {
        // EntryID and BufOvfl asked for: an unbuffered report carries neither (as 8-1
        // devices send it), and neither is taken.
        const ReceivedReport report = ReportWith(false, "LD0/LLN0.urcb01", Options({1, 2, 3, 5, 6, 7, 8}));
        EXPECT_EQ(report.serviceError, 0);
        EXPECT_EQ(report.block, "LD0/LLN0.urcb01");
        EXPECT_EQ(report.HeaderNames(), (Names{"RptID", "OptFlds", "SqNum", "TimeOfEntry", "ConfRev"}));
        ExpectIndicationEntry(report, true, true, indication);
        numbers.push_back(static_cast<std::uint32_t>(std::stoul(report.Header("SqNum"))));
        EXPECT_EQ(ModelText(block.SqNum), report.Header("SqNum"));
    }
    EXPECT_EQ(numbers[1], (numbers[0] + 1) % 256);
    EXPECT_EQ(numbers[2], (numbers[1] + 1) % 256);
}

TEST_F(Reports, ABlockWithoutRptIdClaimsReportsByItsReference) {
    client->ClearReceived();
    ASSERT_EQ(SetBlock(true, "LD0/LLN0.brcbMeas01", {{"OptFlds", Options({5})}, {"RptEna", "True"}}).serviceError, 0);
    ASSERT_EQ(session.device.SetValue("LD0/MMXU1$MX$Hz$mag$f", "49.5"), System::OkNoError);
    ASSERT_TRUE(client->WaitForReports(1));
    const ReceivedReport report = client->Received()[0];
    EXPECT_EQ(report.serviceError, 0);
    EXPECT_EQ(report.block, "LD0/LLN0.brcbMeas01");
    EXPECT_EQ(report.Header("RptID"), "");
    ASSERT_EQ(report.entries.size(), 1u);
    EXPECT_EQ(report.entries[0].reference, "LD0/MMXU1.Hz");
    EXPECT_EQ(FindValue(report.entries[0].values, "LD0/MMXU1.Hz.mag.f"), "49.5");
}

TEST_F(Reports, AReportNoBlockClaimsIsDeliveredWithServiceError12) {
    // Every instance of the block shares its RptID: none may claim the report.
    for (const char* name : {"brcb01", "brcb02", "brcb03"}) {
        RCB& block = Block(name);
        const Mms::ModelHold hold(session.server.get());
        ASSERT_TRUE(hold.Taken());
        ASSERT_NE(block.RptID, nullptr) << name;
        block.RptID->FromText("somebody-else");
    }
    const ReceivedReport report = ReportWith(true, "LD0/LLN0.brcb01", Options({1}));
    EXPECT_EQ(report.serviceError, 12);
    EXPECT_EQ(report.block, "");
    EXPECT_TRUE(report.header.empty());
    EXPECT_TRUE(report.entries.empty());
}

// Indexed blocks usually share one RptID. Here the first instances and the
// measurement blocks of LLN0 all report as "Events": a
// report goes to the block this association enabled, not to an idle one that comes first,
// and among the blocks it enabled to the one of the data set the report names. The
// association forgets what it enabled when it ends.
TEST_F(Reports, ReportsReachTheBlockThatSentThemAmongBlocksOfOneRptId) {
    for (const char* block : {"brcb01", "brcbMeas01", "urcb01", "urcbMeas01"}) {
        const std::string kind = block[0] == 'b' ? "BR" : "RP";
        ASSERT_EQ(session.device.SetValue("LD0/LLN0$" + kind + "$" + block + "$RptID", "Events"), System::OkNoError);
        const std::string reference = std::string("LD0/LLN0.") + block;
        ASSERT_EQ(session
                      .Call([&](RecordingClient& c, std::uint32_t& id) {
                          return kind == "BR" ? c.GetBRCBValues(id, {"BR", reference}, AnswerFrom::Device)
                                              : c.GetURCBValues(id, {"RP", reference}, AnswerFrom::Device);
                      })
                      .serviceError,
                  0);
        EXPECT_EQ(ModelText(Block(block).RptID), "Events");
    }
    auto& idle = static_cast<BRCB&>(Block("brcb01"));
    const std::string idleOptions = ModelText(idle.OptFlds);
    const std::string idleSequence = ModelText(idle.SqNum);

    // The buffered block of the same RptID and data set is idle.
    ReceivedReport report = ReportWith(false, "LD0/LLN0.urcb01", Options({1, 4}));
    EXPECT_EQ(report.serviceError, 0);
    EXPECT_EQ(report.block, "LD0/LLN0.urcb01");
    ExpectIndicationEntry(report, false, false, indication);
    EXPECT_EQ(ModelText(Block("urcb01").SqNum), report.Header("SqNum"));
    EXPECT_EQ(ModelText(idle.OptFlds), idleOptions);
    EXPECT_EQ(ModelText(idle.SqNum), idleSequence);

    // Two blocks enabled here: the data set named tells them apart, both ways round.
    client->ClearReceived();
    ASSERT_EQ(SetBlock(true, "LD0/LLN0.brcbMeas01", {{"OptFlds", Options({4, 5})}, {"RptEna", "True"}}).serviceError,
              0);
    ASSERT_EQ(session.device.SetValue("LD0/MMXU1$MX$Hz$mag$f", "49.5"), System::OkNoError);
    ASSERT_TRUE(client->WaitForReports(1));
    report = client->Received()[0];
    EXPECT_EQ(report.serviceError, 0);
    EXPECT_EQ(report.block, "LD0/LLN0.brcbMeas01");
    EXPECT_EQ(report.Header("DatSet"), "LD0/LLN0$ds2");
    report = ReportWith(false, "LD0/LLN0.urcb01", Options({1, 4}));
    EXPECT_EQ(report.serviceError, 0);
    EXPECT_EQ(report.block, "LD0/LLN0.urcb01");
    EXPECT_EQ(ModelText(idle.SqNum), idleSequence);

    TPAppAssociation& association = *session.client->GetAssociation();
    EXPECT_TRUE(association.GetEnabledReportBlocks().IsEnabled("LD0/LLN0.urcb01", association.GetEpoch()));
    ASSERT_EQ(SetBlock(true, "LD0/LLN0.brcbMeas01", {{"RptEna", "False"}}).serviceError, 0);
    EXPECT_FALSE(association.GetEnabledReportBlocks().IsEnabled("LD0/LLN0.brcbMeas01", association.GetEpoch()));
    ASSERT_EQ(session.client->Release(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&] { return !session.client->IsAssociated(); }));
    EXPECT_FALSE(association.GetEnabledReportBlocks().IsEnabled("LD0/LLN0.urcb01", association.GetEpoch()));
}

// A report is an unconfirmed PDU: one whose BER lengths do not add up is dropped and
// counted by the protocol machine, and the association goes on to take the next one.
TEST_F(Reports, AnUndecodableReportIsDroppedAndTheAssociationStays) {
    Mms::MmsConnection* machine = session.client->GetAssociation()->GetMmsConnection();
    ASSERT_NE(machine, nullptr);
    // The report of urcb01 with these options travels as PDV "02 01 03 A0 37", whose
    // single-ASN1-type holds the PDU "A3 35 ...".
    const struct {
        const char* name;
        std::vector<std::uint8_t> from;
        std::vector<std::uint8_t> to;
    } cases[] = {
        {"a member claims more octets than its PDU holds", {0x80, 0x03, 'R', 'P', 'T'}, {0x80, 0x7F, 'R', 'P', 'T'}},
        {"the PDU is shorter than its PDV", {0x03, 0xA0, 0x37, 0xA3, 0x35}, {0x03, 0xA0, 0x37, 0xA3, 0x34}},
        {"the PDU is longer than its PDV", {0x03, 0xA0, 0x37, 0xA3, 0x35}, {0x03, 0xA0, 0x37, 0xA3, 0x36}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        const std::uint64_t droppedBefore = machine->GetDroppedUnconfirmedCount();
        session.relay->DamageNextToClient(entry.from, entry.to);
        client->ClearReceived();
        ASSERT_EQ(SetBlock(false, "LD0/LLN0.urcb01", {{"OptFlds", Options({1})}, {"RptEna", "True"}}).serviceError, 0);
        indication = indication == "True" ? "False" : "True";
        ASSERT_EQ(session.device.SetValue("LD0/GGIO1$ST$Ind1$stVal", indication), System::OkNoError);
        ASSERT_TRUE(
            TestSupport::Eventually([&] { return machine->GetDroppedUnconfirmedCount() == droppedBefore + 1; }));
        EXPECT_TRUE(client->Received().empty());
        EXPECT_TRUE(session.client->IsAssociated());

        const ReceivedReport next = ReportWith(false, "LD0/LLN0.urcb01", Options({1}));
        EXPECT_EQ(next.serviceError, 0);
        EXPECT_EQ(next.block, "LD0/LLN0.urcb01");
        ExpectIndicationEntry(next, false, false, indication);
        EXPECT_TRUE(session.client->IsAssociated());
        EXPECT_EQ(session.device.OpenAssociations(), 1);
    }
}

TEST_F(Reports, ReportsAsWiresharkReadsThem) {
    REQUIRE_WIRESHARK();
    ReportWith(true, "LD0/LLN0.brcb01", Options({1, 2, 3, 4, 5, 6, 7, 8, 9}));
    ReportWith(false, "LD0/LLN0.urcb01", Options({1, 2, 3, 4, 5, 8}));
    ASSERT_EQ(session.client->Release(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&] { return !session.client->IsAssociated(); }));
    const auto units = session.relay->Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* text : {"informationReport", "RPT", "LD0-brcb", "LD0-urcb", "GGIO1$ST$Ind1"}) {
        EXPECT_NE(decoded.find(text), std::string::npos) << text;
    }
}

// A data set whose members name parts of array elements (an element, its structure, a
// structure below that, a leaf: the harmonics of the test device) is found whole, read
// with those parts' values, and reported: a general interrogation decodes every member
// into the model with the device's present values.
TEST(ArrayPartReports, ADataSetOfArrayElementPartsIsReadAndReported) {
    TestDevice::Device::Options options;
    options.model.harmonics = true;
    DeviceSession session(options);
    auto made = std::make_unique<ControlClient>();
    ControlClient& client = *made;
    session.client = std::move(made);
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.LoadModel();
    // The leaves of the members, with the values element i starts with: 100 - 5 i and 10 i.
    const std::string har = "LD0/MHAI1.HA.phsAHar.";
    const std::vector<std::pair<std::string, std::string>> leaves = {
        {har + "[7].cVal.mag.f", "65"},  {har + "[7].cVal.ang.f", "70"}, {har + "[8].cVal.mag.f", "60"},
        {har + "[8].cVal.ang.f", "80"},  {har + "[9].cVal.mag.f", "55"}, {har + "[9].cVal.ang.f", "90"},
        {har + "[10].cVal.mag.f", "50"}, {har + "[11].cVal.mag.f", "45"}};
    const Confirmation read = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataSetValues(id, "LD0/LLN0.dsHar", AnswerFrom::Device);
    });
    EXPECT_EQ(read.serviceError, 0);
    for (const auto& [reference, value] : leaves) EXPECT_EQ(FindValue(read.values, reference), value) << reference;
    // The qualities and time stamps of elements 7 and 8; nothing of element 10 but its magnitude.
    EXPECT_EQ(read.values.size(), leaves.size() + 4);

    {
        TestDevice::ModelScope hold(session.device.Vmd());
        Mms::Domain* ld0 = nullptr;
        ASSERT_EQ(session.device.Vmd().FindDomain("LD0", ld0), System::OkNoError);
        for (const char* item : {"MHAI1$MX$HA$phsAHar(7)$cVal$ang$f", "MHAI1$MX$HA$phsAHar(11)$cVal$mag$f"}) {
            Mms::Container* leaf = Mms::FindIndexedValue(*ld0, item);
            ASSERT_NE(leaf, nullptr) << item;
            ASSERT_EQ(leaf->FromText("12.5"), System::OkNoError);
        }
    }
    const Confirmation block = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetURCBValues(id, {"RP", "LD0/LLN0.urcbHar01"}, AnswerFrom::Device);
    });
    ASSERT_EQ(block.serviceError, 0);
    {
        // The block finds its data set, as after the model read.
        LogicalNode* lln0 = nullptr;
        ASSERT_EQ(session.server->FindLogicalNode("LD0/LLN0", lln0), System::OkNoError);
        const Mms::ModelHold hold(session.server.get());
        ASSERT_EQ(lln0->GetURCBs().at("urcbHar01")->Bind(hold), System::OkNoError);
    }
    auto set = [&](const AttributeRecords& values) {
        return session.Call([&](RecordingClient& c, std::uint32_t& id) {
            return c.SetURCBValues(id, "LD0/LLN0.urcbHar01", values, AnswerFrom::Device);
        });
    };
    ASSERT_EQ(set({{"OptFlds", Options({4, 5})}, {"RptEna", "True"}}).serviceError, 0);
    ASSERT_EQ(set({{"GI", "True"}}).serviceError, 0);
    ASSERT_TRUE(client.WaitForReports(1));
    const ReceivedReport report = client.Received()[0];
    EXPECT_EQ(report.serviceError, 0);
    EXPECT_EQ(report.decodeResult, System::OkNoError);
    EXPECT_EQ(report.block, "LD0/LLN0.urcbHar01");
    EXPECT_EQ(report.Header("DatSet"), "LD0/LLN0$dsHar");
    ASSERT_EQ(report.entries.size(), 5u);
    std::vector<ValueRecord> reported;
    Names references;
    for (const ReportEntry& entry : report.entries) {
        reported.insert(reported.end(), entry.values.begin(), entry.values.end());
        references.push_back(entry.fc + " " + entry.reference);
    }
    // The data references as the device wrote them.
    EXPECT_EQ(references,
              (Names{"MX LD0/MHAI1.HA.phsAHar(7)", "MX LD0/MHAI1.HA.phsAHar(8)", "MX LD0/MHAI1.HA.phsAHar(9).cVal",
                     "MX LD0/MHAI1.HA.phsAHar(10).cVal.mag", "MX LD0/MHAI1.HA.phsAHar(11).cVal.mag.f"}));
    for (const auto& [reference, value] : leaves) {
        const bool changed = reference == har + "[7].cVal.ang.f" || reference == har + "[11].cVal.mag.f";
        EXPECT_EQ(FindValue(reported, reference), changed ? "12.5" : value) << reference;
    }
    if (TestSupport::WireCheckRuns()) {
        const auto units = session.relay->Units(0);
        EXPECT_EQ(TestSupport::FindProblems(units), "");
        // The data set's members as the device listed them: the array with an alternate access.
        const std::vector<std::string> lines =
            TestSupport::DecodeFields(units, {"mms.itemId", "mms.index", "mms.component"});
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            "MHAI1$MX$HA$phsAHar,MHAI1$MX$HA$phsAHar,MHAI1$MX$HA$phsAHar,MHAI1$MX$HA$phsAHar,"
                            "MHAI1$MX$HA$phsAHar|7,8,9,10,11|cVal,cVal,mag,cVal,mag,f"),
                  lines.end());
    }
}

}  // namespace
}  // namespace AcsiClientTest
