// The four control models of the device, accepted and refused as IEC 61850-8-1 says,
// with LastApplError before a refusal's answer and command terminations after an
// enhanced operate.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceClient.h"
#include "mms/values/Structure.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

using DeviceTest::DeviceClient;

namespace {

constexpr int BlockedByInterlocking = 10;
constexpr std::int32_t ObjectAccessDenied = 3;

// One step of a control sequence and what must follow it.
struct Step {
    const char* node;
    const char* operation;  // "SBO" (a read), "SBOw", "Oper", "Cancel"
    bool accepted;
    // Reports that must come with it: each the names it carries.
    std::vector<std::vector<std::string>> reports;
    int addCause = 0;  // of the LastApplError, when one comes
};

class DeviceControlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(device.Start(), System::OkNoError); }

    // Runs the step on the association and checks its answer and the reports.
    void Run(DeviceClient& client, const Step& step) {
        SCOPED_TRACE(std::string(step.node) + " " + step.operation);
        const std::string item = std::string(step.node) + "$CO$Pos$" + step.operation;
        if (std::string(step.operation) == "SBO") {
            const std::string answer = client.Read("LD0", item);
            EXPECT_EQ(answer, step.accepted ? "LD0/" + std::string(step.node) + "$CO$Pos" : "");
        } else {
            const Mms::RequestOutcome outcome =
                client.WriteStructure("LD0", item, {{"ctlVal", "True"}, {"ctlNum", "7"}, {"origin$orCat", "3"}});
            if (step.accepted) {
                EXPECT_EQ(outcome.result, System::OkNoError);
            } else {
                EXPECT_EQ(outcome.result, System::Error);
                EXPECT_EQ(outcome.errorCode, ObjectAccessDenied);
            }
        }
        client.Sync();
        const auto reports = client.Reports();
        ASSERT_EQ(reports.size(), step.reports.size());
        for (std::size_t i = 0; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i]->GetKind(), Mms::InformationReport::VariablesReport);
            EXPECT_EQ(reports[i]->Names, step.reports[i]);
            if (reports[i]->Names.front() != "LastApplError") continue;
            // CntrlObj, Error, origin, ctlNum, AddCause.
            auto* error = dynamic_cast<Mms::Structure*>(reports[i]->Values.front());
            ASSERT_NE(error, nullptr);
            ASSERT_EQ(error->GetComponentCount(), 5u);
            const std::string written = reports[i]->Names.size() > 1 ? "Oper" : step.operation;
            EXPECT_EQ(MmsObjectTest::Text(error->GetComponent(0)),
                      "LD0/" + std::string(step.node) + "$CO$Pos$" + written);
            EXPECT_EQ(MmsObjectTest::Text(error->GetComponent(3)), "7");
            EXPECT_EQ(MmsObjectTest::Text(error->GetComponent(4)), std::to_string(step.addCause));
        }
    }

    TestDevice::ControlObject& Control(const char* node) {
        return *device.FindControl("LD0/" + std::string(node) + "$CO$Pos");
    }

    TestDevice::Device device;
};

const std::vector<std::string> LastApplError{"LastApplError"};
std::vector<std::string> Oper(const char* node) { return {"LD0/" + std::string(node) + "$CO$Pos$Oper"}; }
std::vector<std::string> Negative(const char* node) {
    return {"LastApplError", "LD0/" + std::string(node) + "$CO$Pos$Oper"};
}

}  // namespace

TEST_F(DeviceControlTest, EachControlModelIsAcceptedAndRefusedAsItShouldBe) {
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    const Step accepted[] = {
        // direct-with-normal-security
        {"CSWI1", "Oper", true, {}},
        // sbo-with-normal-security: select by reading SBO, then operate
        {"CSWI2", "Oper", false, {LastApplError}, TestDevice::ControlObject::ObjectNotSelected},
        {"CSWI2", "SBO", true, {}},
        {"CSWI2", "Oper", true, {}},
        {"CSWI2", "SBO", true, {}},
        {"CSWI2", "Cancel", true, {}},
        {"CSWI2", "Cancel", false, {LastApplError}, TestDevice::ControlObject::ObjectNotSelected},
        // direct-with-enhanced-security: a positive command termination after the answer
        {"CSWI3", "Oper", true, {Oper("CSWI3")}},
        // sbo-with-enhanced-security
        {"CSWI4", "Oper", false, {LastApplError}, TestDevice::ControlObject::ObjectNotSelected},
        {"CSWI4", "SBOw", true, {}},
        {"CSWI4", "Oper", true, {Oper("CSWI4")}},
        {"CSWI4", "SBOw", true, {}},
        {"CSWI4", "Cancel", true, {}},
    };
    for (const Step& step : accepted) Run(client, step);
    EXPECT_EQ(device.GetValue("LD0/CSWI4$ST$Pos$stVal"), "10");

    // Blocked objects refuse every operation; a select read answers an empty string.
    for (const char* node : {"CSWI1", "CSWI2", "CSWI3", "CSWI4"}) Control(node).Block(BlockedByInterlocking);
    const Step refused[] = {
        {"CSWI1", "Oper", false, {LastApplError}, BlockedByInterlocking},
        {"CSWI2", "SBO", false, {}},
        {"CSWI3", "Oper", false, {LastApplError}, BlockedByInterlocking},
        {"CSWI3", "Cancel", false, {LastApplError}, BlockedByInterlocking},
        {"CSWI4", "SBOw", false, {LastApplError}, BlockedByInterlocking},
    };
    for (const Step& step : refused) Run(client, step);
    for (const char* node : {"CSWI1", "CSWI2", "CSWI3", "CSWI4"}) Control(node).Block(0);

    // A negative command termination: LastApplError, then Oper.
    constexpr int PositionReached = 5;
    Control("CSWI3").FailTermination(PositionReached);
    Control("CSWI4").FailTermination(PositionReached);
    const Step negative[] = {
        {"CSWI3", "Oper", true, {Negative("CSWI3")}, PositionReached},
        {"CSWI4", "SBOw", true, {}},
        {"CSWI4", "Oper", true, {Negative("CSWI4")}, PositionReached},
    };
    for (const Step& step : negative) Run(client, step);
    EXPECT_EQ(client.Release(), System::OkNoError);

    // Refusals, both kinds of termination, as Wireshark reads them.
    if (!TestSupport::WiresharkAvailable()) GTEST_SKIP() << "tshark missing: the wire check did not run";
    const std::vector<TestSupport::WireUnit> units = client.relay.Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* expected : {"informationReport (0)", "vmd-specific: LastApplError", "CSWI3$CO$Pos$Oper",
                                 "LD0/CSWI4$CO$Pos$SBOw", "LD0/CSWI2$CO$Pos"}) {
        EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
    }
}

// One association's select holds the object against another's until it operates,
// cancels or ends.
TEST_F(DeviceControlTest, ASelectHoldsTheObjectForItsAssociation) {
    DeviceClient first(device);
    DeviceClient second(device);
    ASSERT_EQ(first.Associate(), System::OkNoError);
    ASSERT_EQ(second.Associate(), System::OkNoError);
    Run(first, {"CSWI4", "SBOw", true, {}});
    Run(second, {"CSWI4", "SBOw", false, {LastApplError}, TestDevice::ControlObject::ObjectAlreadySelected});
    Run(second, {"CSWI4", "Oper", false, {LastApplError}, TestDevice::ControlObject::ObjectNotSelected});
    Run(first, {"CSWI2", "SBO", true, {}});
    Run(second, {"CSWI2", "SBO", false, {}});
    EXPECT_EQ(first.Read("LD0", "CSWI2$ST$Pos$stSeld"), "True");
    EXPECT_EQ(first.Release(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([this] { return device.OpenAssociations() == 1; }));
    Run(second, {"CSWI4", "SBOw", true, {}});
    Run(second, {"CSWI2", "SBO", true, {}});
    EXPECT_EQ(second.Release(), System::OkNoError);

    if (!TestSupport::WiresharkAvailable()) GTEST_SKIP() << "tshark missing: the wire check did not run";
    EXPECT_EQ(TestSupport::FindProblems(first.relay.Units(0)), "");
    EXPECT_EQ(TestSupport::FindProblems(second.relay.Units(0)), "");
}
