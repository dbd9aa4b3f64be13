// The four control models of the device, accepted and refused as IEC 61850-8-1 says,
// with LastApplError before a refusal's answer and command terminations after an
// enhanced operate; selections that end, and time stamps that follow the changes.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "DeviceClient.h"
#include "RawRequests.h"
#include "device/DeviceTime.h"
#include "mms/values/Structure.h"
#include "mms/values/UTCTime.h"
#include "support/ToolCheck.h"
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
    // The parameters a written structure carries, which the LastApplError repeats.
    const char* ctlNum = "7";
    const char* orCat = "3";
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
            const Mms::RequestOutcome outcome = client.WriteStructure(
                "LD0", item, {{"ctlVal", "True"}, {"ctlNum", step.ctlNum}, {"origin$orCat", step.orCat}});
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
            EXPECT_EQ(MmsObjectTest::Text(error->GetComponent(3)), step.ctlNum);
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
    if (!TestSupport::WireCheckRuns()) return;
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

    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(TestSupport::FindProblems(first.relay.Units(0)), "");
    EXPECT_EQ(TestSupport::FindProblems(second.relay.Units(0)), "");
}

// Refusals of a real device's control checks, each with its AddCause: a selection that
// has ended, an operate or cancel that does not repeat its select-with-value's ctlNum
// and origin, an object another association holds.
TEST_F(DeviceControlTest, RefusalsOfSelectionsThatEndedOrDoNotMatchCarryTheirAddCause) {
    using TestDevice::ControlObject;
    constexpr int Now = 0;
    struct Case {
        const char* name;
        int sboTimeoutMs;        // the fault switch (negative: the objects' own)
        const char* sboTimeout;  // CSWI2's and CSWI4's CF value (empty: as built)
        // The steps, each by the first (0) or the second (1) association.
        std::vector<std::pair<int, Step>> steps;
    };
    const Case cases[] = {
        {"a selection that ends at once",
         Now,
         "",
         {{0, {"CSWI4", "SBOw", true, {}}},
          {0, {"CSWI4", "Oper", false, {LastApplError}, ControlObject::ObjectNotSelected}},
          {0, {"CSWI2", "SBO", true, {}}},
          {0, {"CSWI2", "Oper", false, {LastApplError}, ControlObject::ObjectNotSelected}},
          {0, {"CSWI4", "SBOw", true, {}}},
          {0, {"CSWI4", "Cancel", false, {LastApplError}, ControlObject::ObjectNotSelected}},
          // Nobody holds what has ended.
          {0, {"CSWI4", "SBOw", true, {}}},
          {1, {"CSWI4", "SBOw", true, {}}},
          {1, {"CSWI2", "SBO", true, {}}}}},
        {"the object's sboTimeout",
         -1,
         "0",
         {{0, {"CSWI4", "SBOw", true, {}}},
          {0, {"CSWI4", "Oper", false, {LastApplError}, ControlObject::ObjectNotSelected}},
          {0, {"CSWI2", "SBO", true, {}}},
          {0, {"CSWI2", "Oper", false, {LastApplError}, ControlObject::ObjectNotSelected}}}},
        {"operate and cancel with other parameters than the select",
         -1,
         "",
         {{0, {"CSWI4", "SBOw", true, {}}},
          {0, {"CSWI4", "Oper", false, {LastApplError}, ControlObject::InconsistentParameters, "8"}},
          {0, {"CSWI4", "Oper", false, {LastApplError}, ControlObject::InconsistentParameters, "7", "2"}},
          {0, {"CSWI4", "Cancel", false, {LastApplError}, ControlObject::InconsistentParameters, "9"}},
          // The selection stays for the operate put right.
          {0, {"CSWI4", "Oper", true, {Oper("CSWI4")}}},
          {0, {"CSWI4", "SBOw", true, {}, 0, "200", "1"}},
          {0, {"CSWI4", "Cancel", false, {LastApplError}, ControlObject::InconsistentParameters, "200", "3"}},
          {0, {"CSWI4", "Cancel", true, {}, 0, "200", "1"}},
          // A select by reading SBO has no parameters to repeat.
          {0, {"CSWI2", "SBO", true, {}}},
          {0, {"CSWI2", "Oper", true, {}, 0, "9", "2"}}}},
        {"an object another association holds",
         -1,
         "",
         {{0, {"CSWI4", "SBOw", true, {}}},
          {1, {"CSWI4", "SBOw", false, {LastApplError}, ControlObject::ObjectAlreadySelected}},
          {1, {"CSWI4", "Oper", false, {LastApplError}, ControlObject::ObjectNotSelected}},
          {1, {"CSWI4", "Cancel", false, {LastApplError}, ControlObject::ObjectNotSelected}},
          {0, {"CSWI2", "SBO", true, {}}},
          {1, {"CSWI2", "SBO", false, {}}},
          {0, {"CSWI4", "Oper", true, {Oper("CSWI4")}}},
          {1, {"CSWI4", "SBOw", true, {}}}}},
    };
    std::vector<TestSupport::WireUnit> inconsistent;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDevice::Faults faults;
        faults.sboTimeoutMs = c.sboTimeoutMs;
        device.SetFaults(faults);
        for (const char* node : {"CSWI2", "CSWI4"}) {
            const std::string timeout = "LD0/" + std::string(node) + "$CF$Pos$sboTimeout";
            ASSERT_EQ(device.SetValue(timeout, *c.sboTimeout != '\0' ? c.sboTimeout : "30000"), System::OkNoError);
        }
        DeviceClient first(device);
        DeviceClient second(device);
        ASSERT_EQ(first.Associate(), System::OkNoError);
        ASSERT_EQ(second.Associate(), System::OkNoError);
        for (const auto& [association, step] : c.steps) Run(association == 0 ? first : second, step);
        if (c.sboTimeoutMs == Now) {
            // The device's timer ends a selection that nobody operates.
            Run(first, {"CSWI4", "SBOw", true, {}});
            EXPECT_TRUE(
                TestSupport::Eventually([this] { return device.GetValue("LD0/CSWI4$ST$Pos$stSeld") == "False"; }));
        }
        EXPECT_EQ(first.Release(), System::OkNoError);
        EXPECT_EQ(second.Release(), System::OkNoError);
        ASSERT_TRUE(TestSupport::Eventually([this] { return device.OpenAssociations() == 0; }));
        // The wire of the operates refused for their parameters.
        if (&c == &cases[2]) inconsistent = first.relay.Units(0);
    }

    // The refused operate as Wireshark reads it: LastApplError {CntrlObj, Error 1,
    // origin {orCat 3, orIdent}, ctlNum 8, AddCause 26}, then the write's
    // object-access-denied.
    if (!TestSupport::WireCheckRuns()) return;
    ASSERT_FALSE(inconsistent.empty());
    EXPECT_EQ(TestSupport::FindProblems(inconsistent), "");
    const std::vector<std::string> lines =
        TestSupport::DecodeFields(inconsistent, {"mms.vmd_specific", "mms.integer", "mms.unsigned", "mms.failure"});
    std::size_t report = lines.size();
    for (std::size_t i = 0; i < lines.size() && report == lines.size(); ++i) {
        if (lines[i].rfind("LastApplError|", 0) == 0) report = i;
    }
    ASSERT_LT(report, lines.size());
    // The answer may share the report's segment.
    const std::string answer = lines[report].rfind("|3") == lines[report].size() - 2 || report + 1 == lines.size()
                                   ? lines[report]
                                   : lines[report + 1];
    EXPECT_EQ(lines[report].substr(0, lines[report].rfind('|')), "LastApplError|1,3,26|8");
    EXPECT_EQ(answer.substr(answer.rfind('|')), "|3");
}

// One association's abort frees its selections as its release does.
TEST_F(DeviceControlTest, AnAbortFreesTheSelectionsOfItsAssociation) {
    DeviceClient first(device);
    DeviceClient second(device);
    ASSERT_EQ(first.Associate(), System::OkNoError);
    ASSERT_EQ(second.Associate(), System::OkNoError);
    Run(first, {"CSWI4", "SBOw", true, {}});
    Run(first, {"CSWI2", "SBO", true, {}});
    Run(second, {"CSWI4", "SBOw", false, {LastApplError}, TestDevice::ControlObject::ObjectAlreadySelected});
    first.User().Abort();
    ASSERT_TRUE(TestSupport::Eventually([this] { return device.OpenAssociations() == 1; }));
    EXPECT_EQ(device.GetValue("LD0/CSWI4$ST$Pos$stSeld"), "False");
    Run(second, {"CSWI4", "SBOw", true, {}});
    Run(second, {"CSWI2", "SBO", true, {}});
    EXPECT_EQ(second.Release(), System::OkNoError);
}

// A client that goes on sending after its conclude, as a faulty one may: the device answers
// the conclude, executes nothing that arrives behind it (an open of the switch, a read of
// its position) and refuses each at once, so that such a client waits for no time-out.
TEST_F(DeviceControlTest, WhatArrivesBehindAConcludeIsRefusedAtOnceAndNeverExecuted) {
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);
    EXPECT_EQ(client.WriteStructure("LD0", "CSWI1$CO$Pos$Oper", {{"ctlVal", "True"}}).result, System::OkNoError);
    const std::string closed = device.GetValue("LD0/CSWI1$ST$Pos$stVal");
    Mms::NamedVariable& open = client.Variable("LD0", "CSWI1$CO$Pos$Oper");
    ASSERT_EQ(MmsObjectTest::Component(open, "ctlVal")->FromText("False"), System::OkNoError);
    Mms::NamedVariable& position = client.Variable("LD0", "CSWI1$ST$Pos$stVal");
    ASSERT_EQ(client.Fetch(position), System::OkNoError);
    const std::size_t logged = device.RequestCount();

    // The conclude goes raw, past the client's own rule that nothing follows it. Each
    // request behind it is answered (a time-out would show as Timeout), with a refusal.
    ASSERT_EQ(DeviceTest::SendRawPdu(client, {0x8B, 0x00}), System::OkNoError);
    for (const bool write : {true, false}) {
        SCOPED_TRACE(write ? "Oper" : "read");
        ASSERT_EQ(write ? client.User().WriteVariableValue(&open) : client.User().ReadVariableValue(&position),
                  System::OkNoError);
        Mms::RequestOutcome outcome;
        client.User().WaitForCurrentRequestWithError(outcome);
        EXPECT_EQ(outcome.result, System::Error);
        EXPECT_EQ(outcome.answerKind, Mms::MmsPduConfirmedError);
        EXPECT_EQ(outcome.errorClass, Mms::MmsErrorClassService);
        EXPECT_EQ(outcome.errorCode, Mms::MmsServicePrimitivesOutOfSequence);
    }
    EXPECT_EQ(client.Release(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([this] { return device.OpenAssociations() == 0; }));
    EXPECT_EQ(device.GetValue("LD0/CSWI1$ST$Pos$stVal"), closed);
    EXPECT_EQ(device.RequestCount(), logged);

    if (!TestSupport::WireCheckRuns()) return;
    const std::vector<TestSupport::WireUnit> packets = TestSupport::PacketsApart(client.relay.Units(0));
    EXPECT_EQ(TestSupport::FindProblems(client.relay.Units(0)), "");
    const std::vector<std::string> lines = TestSupport::DecodeFields(
        packets, {"mms.confirmedServiceRequest", "mms.errorClass", "mms.service", "_ws.col.Info"});
    ASSERT_EQ(lines.size(), packets.size());
    bool concluded = false;
    std::vector<std::string> requested;
    std::vector<std::string> refused;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        if (!concluded) {
            concluded = packets[i].fromClient && lines[i].find("conclude-RequestPDU") != std::string::npos;
        } else if (packets[i].fromClient) {
            if (lines[i].front() != '|') requested.push_back(lines[i].substr(0, lines[i].find('|')));
        } else if (lines[i].find("confirmed-ErrorPDU") != std::string::npos) {
            refused.push_back(lines[i].substr(0, lines[i].rfind('|')));
        } else {
            EXPECT_NE(lines[i].find("conclude-ResponsePDU"), std::string::npos) << lines[i];
        }
    }
    // On the wire behind the conclude: the write and the read, each refused as out of
    // sequence (error class service (4), code 1), beside the conclude's answers.
    EXPECT_EQ(requested, (std::vector<std::string>{"5", "4"}));
    EXPECT_EQ(refused, (std::vector<std::string>{"|4|1", "|4|1"}));
}

namespace {

std::int64_t SecondsOf(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

// The seconds and the quality of a time stamp as the client read it.
std::pair<std::int64_t, int> StampOf(DeviceClient& client, const std::string& item) {
    Mms::NamedVariable& variable = client.Variable("LD0", item);
    if (client.Fetch(variable) != System::OkNoError) return {-1, -1};
    auto* time = dynamic_cast<Mms::UTCTime*>(variable.GetValue());
    if (time == nullptr) return {-1, -1};
    const System::UtcTime& octets = time->GetValue();
    const std::int64_t seconds = (std::int64_t{octets[0]} << 24) | (octets[1] << 16) | (octets[2] << 8) | octets[3];
    return {seconds, octets[7]};
}

}  // namespace

// Every "t" starts at the device's start and follows its data object's changes: a
// test's new value, an operate's new position; the value written again leaves it.
TEST(DeviceTimeStamps, FollowTheChangesOfTheirDataObjects) {
    const std::int64_t beforeStart = SecondsOf(std::chrono::system_clock::now());
    TestDevice::Device device;
    ASSERT_EQ(device.Start(), System::OkNoError);
    const std::int64_t afterStart = SecondsOf(std::chrono::system_clock::now());
    DeviceClient client(device);
    ASSERT_EQ(client.Associate(), System::OkNoError);

    for (const char* stamp : {"GGIO1$ST$Ind1$t", "MMXU1$MX$TotW$t", "CSWI1$ST$Pos$t", "LLN0$ST$Mod$t"}) {
        SCOPED_TRACE(stamp);
        const auto [seconds, quality] = StampOf(client, stamp);
        EXPECT_GE(seconds, beforeStart);
        EXPECT_LE(seconds, afterStart);
        EXPECT_EQ(quality, TestDevice::TimeStampQuality);
    }

    struct Change {
        const char* stamp;
        std::function<void()> change;
        bool moves;
    };
    const Change changes[] = {
        {"GGIO1$ST$Ind1$t", [&] { EXPECT_EQ(device.SetValue("LD0/GGIO1$ST$Ind1$stVal", "True"), 0); }, true},
        {"MMXU1$MX$TotW$t", [&] { EXPECT_EQ(device.SetValue("LD0/MMXU1$MX$TotW$mag$f", "99.5"), 0); }, true},
        {"MMXU1$MX$TotW$t", [&] { EXPECT_EQ(device.SetValue("LD0/MMXU1$MX$TotW$q", "0000000000001"), 0); }, true},
        {"GGIO1$ST$IntIn1$t", [&] { EXPECT_EQ(device.SetValue("LD0/GGIO1$ST$IntIn1$stVal", "3"), 0); }, false},
        {"CSWI1$ST$Pos$t",
         [&] {
             EXPECT_EQ(client.WriteStructure("LD0", "CSWI1$CO$Pos$Oper", {{"ctlVal", "True"}}).result, 0);
         },
         true},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.stamp);
        // A stamp set to 1970 shows whether the change moved it.
        ASSERT_EQ(device.SetValue(std::string("LD0/") + c.stamp, "1970-01-01"), System::OkNoError);
        const std::int64_t before = SecondsOf(std::chrono::system_clock::now());
        c.change();
        const std::int64_t after = SecondsOf(std::chrono::system_clock::now());
        const auto [seconds, quality] = StampOf(client, c.stamp);
        if (c.moves) {
            EXPECT_GE(seconds, before);
            EXPECT_LE(seconds, after);
            EXPECT_EQ(quality, TestDevice::TimeStampQuality);
        } else {
            EXPECT_EQ(seconds, 0);
        }
    }
    EXPECT_EQ(client.Release(), System::OkNoError);

    // The device's stamps on the wire: no longer 1970, but for the one left unchanged.
    if (!TestSupport::WireCheckRuns()) return;
    const std::vector<TestSupport::WireUnit> units = client.relay.Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    std::vector<TestSupport::WireUnit> answers;
    std::copy_if(units.begin(), units.end(), std::back_inserter(answers),
                 [](const auto& unit) { return !unit.fromClient; });
    // The date, as tshark prints it ("Jan  1, 1970 00:00:00...") or in ISO form: a time
    // of day such as 16:13:31.197000026 holds the digits 1970 too.
    const std::regex epochDate(R"((Jan +1, 1970|1970-01-01)\b)");
    std::size_t stamps = 0;
    std::size_t unchanged = 0;
    for (const std::string& line :
         TestSupport::DecodeFields(answers, {"mms.utc_time"}, TestSupport::MmsContextArgs())) {
        if (line.empty()) continue;
        ++stamps;
        unchanged += std::regex_search(line, epochDate) ? 1 : 0;
    }
    EXPECT_EQ(stamps, std::size(changes) + 4);
    EXPECT_EQ(unchanged, 1u);
}
