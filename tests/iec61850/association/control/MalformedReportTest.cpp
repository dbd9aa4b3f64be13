#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "device/DeviceModel.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/control/ControlClient.h"
#include "iec61850/association/control/ReportPdu.h"
#include "mms/values/Container.h"

namespace AcsiClientTest {
namespace {

using TestDevice::DataNode;
using TestDevice::Leaf;
using TestDevice::Node;

// GGIO1.Ind1 of the device: stVal, q, t.
DataNode Indication() {
    return Node("", {Leaf("stVal", Mms::MmsTypeBoolean), Leaf("q", Mms::MmsTypeBitString, 13),
                     Leaf("t", Mms::MmsTypeUtcTime, 0, "2026-12-07 09:30:00.000")});
}

// The device's reports delivered by hand to a model read from it: what a report that does
// not fit its block does to the model and to the program.
class MalformedReports : public ::testing::Test {
protected:
    void SetUp() override {
        auto made = std::make_unique<ControlClient>();
        client = made.get();
        session.client = std::move(made);
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        ASSERT_EQ(session
                      .Call([](RecordingClient& c, std::uint32_t& id) {
                          return c.GetBRCBValues(id, {"BR", "LD0/LLN0.brcb01"}, AnswerFrom::Device);
                      })
                      .serviceError,
                  0);
        {
            const Mms::ModelHold hold(session.server.get());
            block = session.server->FindNode(hold, "LD0/LLN0")->GetBRCBs().at("brcb01");
            ASSERT_EQ(block->Bind(hold), System::OkNoError);
        }
        client->lockProbe = session.server.get();
    }

    // The report taken in as the association does; the dispatch's result.
    System::ResultCode Deliver(const ReportPdu& pdu) {
        client->ClearReceived();
        std::unique_ptr<Mms::InformationReport> report = TakeInReport(pdu.Encode());
        EXPECT_NE(report, nullptr);
        if (report == nullptr) return System::Error;
        return session.server->DispatchReport(*session.client->GetAssociation(), *report);
    }
    std::int32_t Delivered() {
        const std::vector<ReceivedReport> received = client->Received();
        EXPECT_EQ(received.size(), 1u);

        return received.empty() ? -2 : received[0].serviceError;
    }
    std::string Model(const std::string& fc, const std::string& reference) {
        std::list<NamedObject*> found;
        std::string text;
        EXPECT_EQ(session.server->FindObjects(fc, reference, found), System::OkNoError);
        const Mms::ModelHold hold(session.server.get());
        EXPECT_TRUE(hold.Taken());
        if (found.size() == 1) {
            if (auto* item = dynamic_cast<DataItem*>(found.front())) item->GetValueText(text);
        }
        return text;
    }
    std::string ModelText(Mms::Container* value) {
        std::string text;
        const Mms::ModelHold hold(session.server.get());
        EXPECT_TRUE(hold.Taken());
        if (value != nullptr) value->ToText(text);
        return text;
    }
    // RptID and OptFlds of brcb01 with the bits.
    ReportPdu Head(const std::string& options) {
        ReportPdu pdu;
        pdu.Text("LD0-brcb").Bits(options);
        return pdu;
    }

    DeviceSession session;
    ControlClient* client = nullptr;
    RCB* block = nullptr;
};

TEST_F(MalformedReports, AReportThatDoesNotFitIsDeliveredAsAnErrorAndLeavesTheMembers) {
    const std::string before = Model("ST", "LD0/GGIO1.Ind1.stVal");
    const std::string timeBefore = ModelText(static_cast<BRCB*>(block)->TimeOfEntry);
    const std::string flipped = before == "True" ? "False" : "True";
    struct Case {
        const char* name;
        ReportPdu pdu;
    };
    const Case cases[] = {
        {"truncated: no member value", Head("0100000000").Unsigned("5").Bits("0010")},
        {"truncated: no inclusion string", Head("0100000000").Unsigned("5")},
        {"sequence number of the wrong type", Head("0100000000").Text("five").Bits("0010").Add(Indication(), {})},
        {"inclusion string too short", Head("0000000000").Bits("001").Add(Indication())},
        {"inclusion string too long", Head("0000000000").Bits("00100").Add(Indication())},
        {"inclusion of the wrong type", Head("0000000000").Text("0010").Add(Indication())},
        {"member value of the wrong type", Head("0000000000").Bits("0010").Unsigned("1")},
        {"data reference of the wrong type", Head("0000010000").Bits("0010").Unsigned("1").Add(Indication())},
        {"reason code missing", Head("0001000000").Bits("0010").Add(Indication())},
        {"options of the wrong type", ReportPdu().Text("LD0-brcb").Text("0000000000").Bits("0010")},
        {"segmentation without its flag", Head("0000000001").Unsigned("0").Bits("0010").Add(Indication())},
        // Its container refuses it: taken, it would read as 1984-01-01.
        {"time of entry of five octets",
         Head("0010000000").BinaryTimeOctets({0, 0, 0, 1, 0}).Bits("0010").Add(Indication())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Deliver(c.pdu), System::OkNoError);
        EXPECT_EQ(Delivered(), 6);
        EXPECT_EQ(Model("ST", "LD0/GGIO1.Ind1.stVal"), before);
        EXPECT_EQ(ModelText(static_cast<BRCB*>(block)->TimeOfEntry), timeBefore);
    }
    // The same block still takes a report that fits.
    ReportPdu fits = Head("0000000000");
    fits.Bits("0010");
    EXPECT_EQ(Deliver(fits.Add(Node("", {Leaf("stVal", Mms::MmsTypeBoolean, 0, flipped),
                                         Leaf("q", Mms::MmsTypeBitString, 13, "0000000000000"),
                                         Leaf("t", Mms::MmsTypeUtcTime, 0, "2026-12-07 09:30:00.000")}))),
              System::OkNoError);
    EXPECT_EQ(Delivered(), 0);
    EXPECT_EQ(Model("ST", "LD0/GGIO1.Ind1.stVal"), flipped);
}

// Devices differ on BufOvfl of an unbuffered block whose OptFlds ask for it: some send it,
// IEC 61850-8-1 devices do not. Both forms decode.
TEST_F(MalformedReports, AnUnbufferedReportTakesBufOvflOnlyWhenItIsThere) {
    ASSERT_EQ(session
                  .Call([](RecordingClient& c, std::uint32_t& id) {
                      return c.GetURCBValues(id, {"RP", "LD0/LLN0.urcb01"}, AnswerFrom::Device);
                  })
                  .serviceError,
              0);
    RCB* unbuffered = nullptr;
    {
        const Mms::ModelHold hold(session.server.get());
        unbuffered = session.server->FindNode(hold, "LD0/LLN0")->GetURCBs().at("urcb01");
        ASSERT_EQ(unbuffered->Bind(hold), System::OkNoError);
    }
    for (const bool sent : {true, false}) {
        SCOPED_TRACE(sent ? "BufOvfl sent" : "BufOvfl left out");
        ReportPdu pdu;
        pdu.Text("LD0-urcb").Bits("0000001000");
        if (sent) pdu.Boolean("True");
        pdu.Bits("0010").Add(Node(
            "", {Leaf("stVal", Mms::MmsTypeBoolean, 0, "True"), Leaf("q", Mms::MmsTypeBitString, 13, "0000000000000"),
                 Leaf("t", Mms::MmsTypeUtcTime, 0, "2026-12-07 09:30:00.000")}));
        EXPECT_EQ(Deliver(pdu), System::OkNoError);
        EXPECT_EQ(Delivered(), 0);
        const std::vector<ReceivedReport> received = client->Received();
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].Header("BufOvfl"), sent ? "True" : "(none)");
    }
}

TEST_F(MalformedReports, ReportsNoBlockClaimsAreLeftToTheAssociation) {
    struct Case {
        const char* name;
        ReportPdu pdu;
    };
    const Case cases[] = {
        {"two values", ReportPdu().Text("LD0-brcb").Bits("0000000000")},
        {"an id that is no text", ReportPdu().Unsigned("1").Bits("0000000000").Bits("0010")},
        {"another id", ReportPdu().Text("LD0-brcb99").Bits("0000000000").Bits("0010")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Deliver(c.pdu), System::InvalidArguments);
        EXPECT_TRUE(client->Received().empty());
    }
}

// A report never rebinds its block: one that names another data set (known or not) is
// delivered as an error, changes nothing of the block, and the block takes its next
// report as before.
TEST_F(MalformedReports, AReportNamingAnotherDataSetIsAnErrorAndChangesNoBlock) {
    const std::string before = Model("ST", "LD0/GGIO1.Ind1.stVal");
    const std::string flipped = before == "True" ? "False" : "True";
    const DataNode value =
        Node("", {Leaf("stVal", Mms::MmsTypeBoolean, 0, flipped), Leaf("q", Mms::MmsTypeBitString, 13, "0000000000000"),
                  Leaf("t", Mms::MmsTypeUtcTime, 0, "2026-12-07 09:30:00.000")});
    DataSet* dataSet = block->GetDataSet();
    ASSERT_NE(dataSet, nullptr);
    const std::string datSet = ModelText(block->GetDatSetValue());
    const std::string options = ModelText(block->OptFlds);
    const std::string sequence = ModelText(block->SqNum);
    for (const char* other : {"LD0/LLN0$gone", "LD0/LLN0$ds2"}) {
        SCOPED_TRACE(other);
        ReportPdu renamed = Head("0100100000");
        renamed.Unsigned("77").Text(other).Bits("0010").Add(value);
        EXPECT_EQ(Deliver(renamed), System::OkNoError);
        const std::vector<ReceivedReport> received = client->Received();
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0].serviceError, 6);
        EXPECT_EQ(received[0].decodeResult, System::InvalidContext);
        EXPECT_EQ(received[0].block, "LD0/LLN0.brcb01");
        EXPECT_TRUE(received[0].header.empty());
        EXPECT_EQ(block->GetDataSet(), dataSet);
        EXPECT_EQ(ModelText(block->GetDatSetValue()), datSet);
        EXPECT_EQ(ModelText(block->OptFlds), options);
        EXPECT_EQ(ModelText(block->SqNum), sequence);
        EXPECT_EQ(Model("ST", "LD0/GGIO1.Ind1.stVal"), before);
    }
    // The block's own set, named either way, and no name at all: decoded.
    for (const char* own : {"LD0/LLN0$ds1", "LD0/LLN0.ds1", ""}) {
        SCOPED_TRACE(own);
        ReportPdu next = Head(*own != '\0' ? "0000100000" : "0000000000");
        if (*own != '\0') next.Text(own);
        next.Bits("0010").Add(value);
        EXPECT_EQ(Deliver(next), System::OkNoError);
        EXPECT_EQ(Delivered(), 0);
        EXPECT_EQ(Model("ST", "LD0/GGIO1.Ind1.stVal"), flipped);
    }
}

TEST_F(MalformedReports, ADataSetThatGoesLeavesItsBlockWithoutOne) {
    DataSet* dataSet = block->GetDataSet();
    ASSERT_NE(dataSet, nullptr);
    {
        const Mms::ModelHold hold(session.server.get());
        ASSERT_TRUE(hold.Taken());
        std::unique_ptr<DataSet> removed = session.server->FindNode(hold, "LD0/LLN0")->ReleaseDataSet("ds1");
    }
    EXPECT_EQ(block->GetDataSet(), nullptr);
    ReportPdu pdu = Head("0000000000");
    pdu.Bits("0010").Add(Indication());
    EXPECT_EQ(Deliver(pdu), System::OkNoError);
    EXPECT_EQ(Delivered(), 6);
}

TEST_F(MalformedReports, CommandTerminationsThatCannotBeTakenInCallNoTermination) {
    const DataNode lastApplError = TestDevice::LastApplErrorType();
    DataNode short4 = lastApplError;
    short4.children.pop_back();
    struct Case {
        const char* name;
        ReportPdu pdu;
        std::vector<std::string> names;
        bool termination;
    };
    const Case cases[] = {
        {"LastApplError of four components", ReportPdu().Add(short4), {"LastApplError"}, false},
        {"LastApplError that is no structure", ReportPdu().Unsigned("3"), {"LastApplError"}, false},
        {"an object the model lacks", ReportPdu().Boolean("True"), {"LD0/CSWI1$CO$Nothing$Oper"}, false},
        {"an object value of the wrong type", ReportPdu().Boolean("True"), {"LD0/CSWI3$CO$Pos$Oper"}, false},
        {"LastApplError alone", ReportPdu().Add(lastApplError), {"LastApplError"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        client->ClearReceived();
        std::unique_ptr<Mms::InformationReport> report = TakeInReport(c.pdu.Encode("", c.names));
        ASSERT_NE(report, nullptr);
        // Delivered also as a report that no block takes: the association reports it so.
        EXPECT_EQ(session.server->DispatchReport(*session.client->GetAssociation(), *report), System::InvalidArguments);
        EXPECT_EQ(client->Terminations().size(), c.termination ? 1u : 0u);
    }
}

}  // namespace
}  // namespace AcsiClientTest
