// Reads of a data set as clients of other makers send them: with specificationWithResult
// set, the device's answer names the list it read; without it (or with it false), it does
// not. Our own client never asks for it, so the requests go out raw on a real association.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "DeviceClient.h"
#include "RawRequests.h"
#include "mms/ReadPathAgreement.h"
#include "mms/machine/MmsFrame.h"
#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

using DeviceTest::AnswerOnWire;
using DeviceTest::DeviceClient;
using DeviceTest::FirstRawInvokeId;

namespace {

constexpr const char* DataSet = "LLN0$ds1";
// Members of LD0/LLN0$ds1.
constexpr std::size_t DataSetMembers = 4;

// A read of LD0/LLN0$ds1 with the given specificationWithResult (none: left out), sent
// on the client's association as the client's MMS machine would send a request.
System::ResultCode SendRawListRead(DeviceClient& client, std::int32_t invokeId, std::optional<bool> withResult) {
    Mms::MmsConnection* mms = client.client.end.Mms();
    if (mms == nullptr) return System::NotConnected;
    Mms::MmsFrame frame(mms, Mms::MmsFrame::KindConfirmedRequest, mms->GetMaxPduSize(), mms->GetContextIdentifier());
    Mms::MmsConfirmedRequestPdu& request = frame.GetPdu()->choice.confirmedRequest;
    request.invokeId = invokeId;
    Mms::CoderValue<Mms::MmsVariableAccessSpecification> access(Mms::MmsVariableAccessSpecificationType);
    access->present = Mms::MmsVariableAccessVariableListName;
    if (System::ResultCode result = Mms::MmsSetObjectName(access->choice.variableListName, "LD0", DataSet);
        result != System::OkNoError) {
        return result;
    }
    if (System::ResultCode result = Mms::MmsFillReadRequest(request.service, *access); result != System::OkNoError) {
        return result;
    }
    if (withResult) {
        auto* flag = Mms::MmsNewValue<Asn1::Asn1Boolean>(Asn1::Asn1BooleanType);
        if (flag == nullptr) return System::NoResources;
        *flag = *withResult ? 1 : 0;
        request.service.choice.read.specificationWithResult = flag;
    }
    if (System::ResultCode result = frame.Encode(); result != System::OkNoError) return result;
    return DeviceTest::SendOnMmsContext(client, frame);
}

std::string NameOf(const Mms::MmsVariableAccessSpecification* access) {
    std::string text;
    if (access == nullptr) return "none";
    if (access->present != Mms::MmsVariableAccessVariableListName ||
        Mms::MmsObjectNameText(access->choice.variableListName, text) != System::OkNoError) {
        return "another kind of access";
    }
    return text;
}

}  // namespace

TEST(DeviceListReadTest, TheAnswerNamesTheListReadWhenTheRequestAsksForIt) {
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);

    const struct {
        std::optional<bool> withResult;
        const char* named;  // the answer's variableAccessSpecification
    } rows[] = {{true, "LD0/LLN0$ds1"}, {false, "none"}, {std::nullopt, "none"}};
    std::int32_t invokeId = FirstRawInvokeId;
    for (const auto& row : rows) ASSERT_EQ(SendRawListRead(client, invokeId++, row.withResult), System::OkNoError);
    // Answered after those: every answer has crossed the relay.
    EXPECT_EQ(client.Read("LD0", "LLN0$ST$Mod$stVal"), "1");
    ASSERT_EQ(device.OpenAssociations(), 1);

    const std::vector<TestSupport::WireUnit> units = TestSupport::PacketsApart(client.relay.Units(0));
    invokeId = FirstRawInvokeId;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.named);
        const std::vector<std::uint8_t> bytes = AnswerOnWire(units, invokeId++);
        ASSERT_FALSE(bytes.empty());
        // Both of the client's ways of reading an answer take it whole.
        Mms::MmsFrame whole(nullptr, bytes);
        Mms::MmsFrame keeping(nullptr, bytes, true);
        ASSERT_TRUE(whole.IsDecoded());
        ASSERT_TRUE(keeping.KeepsReadResults());
        const Mms::MmsReadResponse& generic = whole.GetPdu()->choice.confirmedResponse.service.choice.read;
        EXPECT_EQ(NameOf(generic.variableAccessSpecification), row.named);
        EXPECT_EQ(generic.listOfAccessResult.Count(), static_cast<std::int32_t>(DataSetMembers));
        EXPECT_EQ(NameOf(keeping.GetPdu()->choice.confirmedResponse.service.choice.read.variableAccessSpecification),
                  row.named);
        EXPECT_EQ(keeping.GetReadResultCount(), DataSetMembers);
        EXPECT_EQ(ReadPathAgreement::CompareResults(keeping.GetReadResults()), "");
    }

    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(TestSupport::FindProblems(units), "");
        // The answers of the raw reads as Wireshark reads them: the first names the list
        // (variableListName, 1) before its four results.
        std::vector<std::string> answers;
        for (const std::string& line : TestSupport::DecodeFields(
                 units, {"mms.confirmedServiceResponse", "mms.invokeID", "mms.variableAccessSpecificatn",
                         "mms.domainId", "mms.itemId", "mms.listOfAccessResult"})) {
            for (std::int32_t raw = FirstRawInvokeId; raw < invokeId; ++raw) {
                if (line.rfind("4|" + std::to_string(raw) + "|", 0) == 0) answers.push_back(line.substr(2));
            }
        }
        EXPECT_EQ(answers, (std::vector<std::string>{"70000|1|LD0|LLN0$ds1|4", "70001||||4", "70002||||4"}));
    }
    EXPECT_EQ(client.Release(), System::OkNoError);
}
