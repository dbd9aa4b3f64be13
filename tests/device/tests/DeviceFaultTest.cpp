// The device's faults on request: refused and silent initiates and transports, services
// hidden, refused, dropped, delayed and held, an abort in the middle of an association, and the
// reads a device with setting groups refuses.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "DeviceClient.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

using DeviceTest::DeviceClient;

namespace {

constexpr std::uint32_t ShortTimeoutMs = 300;

class DeviceFaultTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(device.Start(), System::OkNoError); }

    // Every byte of the client's connections, read by Wireshark.
    void ExpectCleanWire(DeviceClient& client, const std::vector<const char*>& expected = {}) {
        if (!TestSupport::WireCheckRuns()) return;
        std::string decoded;
        for (std::size_t connection = 0; connection < client.relay.Connections(); ++connection) {
            const std::vector<TestSupport::WireUnit> units = client.relay.Units(connection);
            EXPECT_EQ(TestSupport::FindProblems(units), "");
            decoded += TestSupport::DecodeVerbose(units);
        }
        for (const char* text : expected) EXPECT_NE(decoded.find(text), std::string::npos) << text;
    }

    TestDevice::Device device;
};

}  // namespace

TEST_F(DeviceFaultTest, AnInitiateRefusedWithTheChosenClassAndCode) {
    TestDevice::Faults faults;
    faults.initiateErrorClass = Mms::MmsErrorClassResource;
    faults.initiateErrorCode = 1;  // memory-unavailable
    device.SetFaults(faults);
    DeviceClient client(device);
    EXPECT_NE(client.Associate(), System::OkNoError);
    EXPECT_EQ(client.User().GetState(), Mms::MmsUserConnection::StateIdle);

    // Told to stop refusing, the device associates again.
    device.SetFaults({});
    ASSERT_TRUE(TestSupport::Eventually([this] { return device.OpenAssociations() == 0; }));
    EXPECT_EQ(client.Associate(), System::OkNoError);
    EXPECT_EQ(client.Release(), System::OkNoError);
    ExpectCleanWire(client, {"initiate-ErrorPDU", "errorClass: resource (3)", "resource: memory-unavailable (1)"});
}

TEST_F(DeviceFaultTest, IdentifyLeftOutOfTheAnnouncedServices) {
    for (const bool hidden : {false, true}) {
        TestDevice::Faults faults;
        faults.hideIdentify = hidden;
        device.SetFaults(faults);
        DeviceClient client(device);
        ASSERT_EQ(client.Associate(), System::OkNoError);
        EXPECT_EQ(client.client.end.Mms()->IsServiceSupported(Mms::MmsServiceIdentify), !hidden);
        EXPECT_TRUE(client.client.end.Mms()->IsServiceSupported(Mms::MmsServiceRead));
        EXPECT_EQ(client.Release(), System::OkNoError);
        ExpectCleanWire(client);
    }
}

// Refused, dropped and delayed answers reach the client as the rejects, errors and
// time-outs it must handle.
TEST_F(DeviceFaultTest, ChosenServicesRefusedDroppedAndDelayed) {
    TestDevice::Faults faults;
    faults.refused[Mms::MmsServiceIdentify] = {};  // reject, unrecognized-service
    TestDevice::Faults::Refusal error;
    error.reject = false;
    error.error = static_cast<std::uint32_t>(Mms::MmsErrorClassAccess) << 16 | 2;  // object-non-existent
    faults.refused[Mms::MmsServiceGetVariableAccessAttributes] = error;
    faults.dropped.insert(Mms::MmsServiceGetDomainAttributes);
    faults.delayedMs[Mms::MmsServiceStatus] = 50;
    device.SetFaults(faults);

    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    Mms::RequestOutcome outcome;
    ASSERT_EQ(client.client.vmd.Identify(), System::OkNoError);
    EXPECT_EQ(client.User().WaitForCurrentRequestWithError(outcome), System::Rejected);
    EXPECT_EQ(outcome.answerKind, Mms::MmsPduReject);

    ASSERT_EQ(client.User().RequestVariableAccessAttributes(&client.Variable("LD0", "LLN0")), System::OkNoError);
    EXPECT_EQ(client.User().WaitForCurrentRequestWithError(outcome), System::Error);
    EXPECT_EQ(outcome.errorClass, Mms::MmsErrorClassAccess);
    EXPECT_EQ(outcome.errorCode, 2);

    ASSERT_EQ(client.client.vmd.Status(), System::OkNoError);
    EXPECT_EQ(client.User().WaitForCurrentRequest(), System::OkNoError);

    // The last request: a dropped answer leaves it pending.
    client.User().SetTimeout(ShortTimeoutMs);
    ASSERT_EQ(client.User().GetDomainAttributes(&client.Domain("LD0")), System::OkNoError);
    EXPECT_EQ(client.User().WaitForCurrentRequest(), System::Timeout);

    const std::vector<TestDevice::RequestRecord> log = device.Requests();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[0].service, Mms::MmsServiceIdentify);
    EXPECT_EQ(log[1].service, Mms::MmsServiceGetVariableAccessAttributes);
    EXPECT_EQ(log[1].names, std::vector<std::string>{"LD0/LLN0"});
    EXPECT_EQ(log[3].names, std::vector<std::string>{"LD0"});
    for (const auto& record : log) EXPECT_EQ(record.association, log[0].association);
    EXPECT_EQ(client.Release(), System::OkNoError);
    ExpectCleanWire(client, {"rejectPDU", "confirmed-ErrorPDU"});
}

// An Identify the device never answers, current on the thread that releases: the conclude
// goes at once instead of waiting out the Identify's time-out (30 s, so that a release that
// waited for it could not pass the bound), and the Identify ends with the association.
TEST_F(DeviceFaultTest, AReleaseDoesNotWaitBehindAnIdentifyTheDeviceNeverAnswers) {
    constexpr std::uint32_t LongTimeoutMs = 30000;
    TestDevice::Faults faults;
    faults.dropped.insert(Mms::MmsServiceIdentify);
    device.SetFaults(faults);
    DeviceClient client(device);
    ASSERT_EQ(client.AssociateWithin(LongTimeoutMs), System::OkNoError);
    ASSERT_EQ(client.client.vmd.Identify(), System::OkNoError);
    ASSERT_NE(client.User().GetCurrentRequest(), nullptr);
    ASSERT_TRUE(TestSupport::Eventually([&] { return device.Requests().size() == 1; }));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.Release(), System::OkNoError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(LongTimeoutMs / 2));
    EXPECT_EQ(client.User().GetCurrentRequest(), nullptr);
    EXPECT_FALSE(client.client.vmd.AwaitsIdentity());
    EXPECT_EQ(client.client.vmd.GetIdentifyOutcome(), System::Aborted);
    // Filed once, and deleted then: nothing is held or pending any more.
    EXPECT_EQ(client.User().GetHeldOwnCount(), 0u);
    EXPECT_EQ(client.User().GetPendingCount(), 0u);
    ExpectCleanWire(client, {"conclude-RequestPDU", "conclude-ResponsePDU"});
}

// A held answer leaves once the faults no longer hold it. The request is entered as pending
// before it is sent, and the device, which has it, sends nothing while it holds the answer:
// the request is pending until the answer is let go.
TEST_F(DeviceFaultTest, AHeldAnswerLeavesOnceLetGo) {
    TestDevice::Faults faults;
    faults.held = {Mms::MmsServiceStatus};
    device.SetFaults(faults);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    ASSERT_EQ(client.client.vmd.Status(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([this] { return device.RequestCount() == 1; }));
    EXPECT_EQ(client.User().GetPendingCount(), 1u);
    device.SetFaults({});
    EXPECT_EQ(client.User().WaitForCurrentRequest(), System::OkNoError);
    EXPECT_EQ(client.Release(), System::OkNoError);
}

// The CC and the initiate answer left out: the client gives up after its time-out.
TEST_F(DeviceFaultTest, NoConnectConfirmAndNoInitiateAnswer) {
    for (const bool transport : {true, false}) {
        SCOPED_TRACE(transport ? "no CC" : "no initiate answer");
        TestDevice::Faults faults;
        faults.dropConnectConfirm = transport;
        faults.dropInitiateAnswer = !transport;
        device.SetFaults(faults);
        DeviceClient client(device);
        EXPECT_NE(client.AssociateWithin(ShortTimeoutMs), System::OkNoError);
        EXPECT_EQ(client.User().GetState(), Mms::MmsUserConnection::StateIdle);
        device.SetFaults({});
        client.client.end.user->Close();
        ExpectCleanWire(client);
    }
    // A late CC and a late initiate answer still make the association.
    TestDevice::Faults late;
    late.connectConfirmDelayMs = 20;
    late.initiateAnswerDelayMs = 20;
    device.SetFaults(late);
    DeviceClient client(device);
    ASSERT_TRUE(TestSupport::Eventually([this] { return device.OpenAssociations() == 0; }));
    EXPECT_EQ(client.Associate(), System::OkNoError);
    EXPECT_EQ(client.Release(), System::OkNoError);
    ExpectCleanWire(client);
}

TEST_F(DeviceFaultTest, AnAbortAtTheNthRequest) {
    TestDevice::Faults faults;
    faults.abortAtRequest = 3;
    device.SetFaults(faults);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    EXPECT_EQ(client.Read("LD0", "LLN0$ST$Mod$stVal"), "1");  // two requests: type and value
    Mms::NamedVariable& variable = client.Variable("LD0", "LLN0$ST$Mod$stVal");
    EXPECT_EQ(client.User().ReadVariableValueAndWait(&variable), System::Aborted);
    ASSERT_TRUE(TestSupport::Eventually([this] { return device.OpenAssociations() == 0; }));
    EXPECT_TRUE(
        TestSupport::Eventually([&client] { return client.User().GetState() == Mms::MmsUserConnection::StateIdle; }));
    ExpectCleanWire(client, {"abort"});
}

// The settings device as devices with setting groups answer: SE only while EditSG names a
// group (a write of EditSG selects it), and, when told, a whole node not at all while its
// functional constraints and what lies below them are answered.
TEST(DeviceSettingGroups, EditBufferOnlyWhileEditingAndWholeNodesRefusedWhenTold) {
    constexpr int Answered = -1;
    struct Case {
        const char* item;
        bool refuseWholeNodes;
        bool editing;
        int error;  // the DataAccessError, or Answered
        const char* value;
    };
    const std::vector<Case> cases = {
        {"PTOC1", false, false, Answered, nullptr},
        {"PTOC1", true, false, Mms::MmsObjectAccessUnsupported, nullptr},
        {"LLN0", true, true, Mms::MmsObjectAccessUnsupported, nullptr},
        {"PTOC1$SG$StrVal$setMag$f", true, false, Answered, "1"},
        {"PTOC1$SG$OpDlTmms$setVal", true, false, Answered, "500"},
        {"PTOC1$SG$RsDlTmms$setVal", true, false, Answered, "500"},
        {"LLN0$SP$SGCB$NumOfSG", true, false, Answered, "4"},
        {"LLN0$SP$SGCB$ActSG", true, false, Answered, "2"},
        {"PTOC1$SE", false, false, Mms::MmsTemporarilyUnavailable, nullptr},
        {"PTOC1$SE$StrVal$setMag$f", false, false, Mms::MmsTemporarilyUnavailable, nullptr},
        {"PDIF1$SE$HiSet$setVal", false, false, Mms::MmsTemporarilyUnavailable, nullptr},
        {"PTOC1$SE$StrVal$setMag$f", false, true, Answered, "2.5"},
        {"PDIF1$SE$HiSet$setVal", true, true, Answered, "80"},
    };
    TestDevice::Device::Options options;
    options.model.settingGroups = true;
    TestDevice::Device device(options);
    ASSERT_EQ(device.Start(), System::OkNoError);
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.item) + (c.refuseWholeNodes ? ", whole nodes refused" : "") +
                     (c.editing ? ", editing" : ""));
        TestDevice::Faults faults;
        faults.refuseWholeNodeReads = c.refuseWholeNodes;
        device.SetFaults(faults);
        ASSERT_EQ(client.Write("LD0", "LLN0$SP$SGCB$EditSG", c.editing ? "1" : "0"), System::OkNoError);
        Mms::NamedVariable& variable = client.Variable("LD0", c.item);
        if (variable.GetValue() == nullptr) {
            ASSERT_EQ(client.User().RequestVariableAccessAttributes(&variable), System::OkNoError);
            ASSERT_EQ(client.User().WaitForCurrentRequest(), System::OkNoError);
        }
        Mms::RequestOutcome outcome;
        ASSERT_EQ(client.User().ReadVariableValue(&variable), System::OkNoError);
        client.User().WaitForCurrentRequestWithError(outcome);
        if (c.error == Answered) {
            EXPECT_EQ(outcome.result, System::OkNoError);
            if (c.value != nullptr) {
                EXPECT_EQ(MmsObjectTest::Text(variable), c.value);
            }
        } else {
            EXPECT_EQ(outcome.result, System::Error);
            EXPECT_EQ(outcome.errorClass, Mms::MmsErrorClassAccess);
            EXPECT_EQ(outcome.errorCode, c.error);
        }
    }
    EXPECT_EQ(client.Release(), System::OkNoError);
    if (!TestSupport::WireCheckRuns()) return;
    const std::vector<TestSupport::WireUnit> units = client.relay.Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* text : {"object-access-unsupported", "temporarily-unavailable"}) {
        EXPECT_NE(decoded.find(text), std::string::npos) << text;
    }
}
