#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/client/BridgeSession.h"
#include "iec61850/acsi/reader/RClient.h"
#include "iec61850/acsi/registry/ClientManager.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AppTest {
namespace {

using namespace App;
using Iec61850::AnswerFrom;

constexpr std::int32_t MmsRead = 4;
constexpr std::int32_t MmsWrite = 5;

// An attribute of data set ds1 only, whose blocks are the instances urcb01..urcb03 and
// brcb01..brcb03, tried in that order.
const Iec61850::FcReference kInDataSet{"ST", "LD0/GGIO1.Ind1.stVal"};

struct Status {
    std::uint32_t message;
    std::intptr_t code;
    std::string text;
    bool operator==(const Status&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Status& status) {
    return out << std::hex << "0x" << status.message << std::dec << " " << status.code << " \"" << status.text << "\"";
}

std::vector<Status> StatusMessages(BridgeSession& session) {
    std::vector<Status> seen;
    for (const Message& m : session.notifier.Messages()) {
        if (m.message == WM_QX_RCB_ENABLE_STATUS || m.message == WM_QX_RCB_DISABLE_STATUS) {
            seen.push_back({m.message, m.wParam, m.text});
        }
    }
    return seen;
}

// Waits until the sequence has sent `count` status messages.
std::vector<Status> WaitForStatus(BridgeSession& session, std::size_t count) {
    std::vector<Status> seen;
    EXPECT_TRUE(TestSupport::Eventually([&] {
        seen = StatusMessages(session);
        return seen.size() >= count;
    }));
    return seen;
}

Status Enable(std::intptr_t code, const std::string& text) { return {WM_QX_RCB_ENABLE_STATUS, code, text}; }
Status Disable(std::intptr_t code, const std::string& text) { return {WM_QX_RCB_DISABLE_STATUS, code, text}; }

// The device's reads and writes, as "read LD0/LLN0$RP$urcb01" or "write LD0/...".
std::vector<std::string> BlockRequests(BridgeSession& session) {
    std::vector<std::string> seen;
    for (const TestDevice::RequestRecord& record : session.device.Requests()) {
        if ((record.service != MmsRead && record.service != MmsWrite) || record.names.empty()) continue;
        seen.push_back((record.service == MmsRead ? "read " : "write ") + record.names.front());
    }
    return seen;
}

bool DeviceEnabled(BridgeSession& session, const char* block) {
    return session.device.GetValue(std::string("LD0/LLN0$") + block + "$RptEna") == "True";
}

void ExpectCleanWire(BridgeSession& session) {
    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(TestSupport::FindProblems(session.relay->Units(0)), "");
    }
}

const std::vector<const char*> kDataSetBlocks{"RP$urcb01", "RP$urcb02", "RP$urcb03",
                                              "BR$brcb01", "BR$brcb02", "BR$brcb03"};

// "RP$urcb01" as the sequence names it: "LD0/LLN0.urcb01[RP]".
std::string Shown(const std::string& block) { return "LD0/LLN0." + block.substr(3) + "[" + block.substr(0, 2) + "]"; }

TestDevice::Faults RefuseEnabling(const std::vector<const char*>& blocks) {
    TestDevice::Faults faults;
    for (const char* block : blocks) {
        TestDevice::Faults::Refusal refusal;
        refusal.reject = false;
        refusal.error = (7u << 16) | 1u;  // access: object-access-denied
        faults.refusedNames[{MmsWrite, std::string("LD0/LLN0$") + block + "$RptEna"}] = refusal;
    }
    return faults;
}

TEST(ReportSequence, EnablesAFreeBlockShowsItsReportsAndDisablesIt) {
    BridgeSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.notifier.Clear();
    session.device.ClearRequests();

    EXPECT_EQ(session.client->EnableReports(kInDataSet), System::OkNoError);
    std::vector<Status> seen = WaitForStatus(session, 3);
    EXPECT_EQ(seen,
              (std::vector<Status>{Enable(0, "Checking LD0/LLN0.urcb01[RP]"), Enable(0, "Enabling LD0/LLN0.urcb01[RP]"),
                                   Enable(1, "Enabled LD0/LLN0.urcb01[RP]")}));
    EXPECT_EQ(session.client->GetEnableState(), 9);
    EXPECT_TRUE(DeviceEnabled(session, "RP$urcb01"));
    EXPECT_EQ(BlockRequests(session),
              (std::vector<std::string>{"read LD0/LLN0$RP$urcb01", "write LD0/LLN0$RP$urcb01$RptEna"}));

    // A read of another block by someone else only updates the model: no step follows.
    std::uint32_t id = 0;
    ASSERT_EQ(session.client->GetBRCBValues(id, {"BR", "LD0/LLN0.brcb01"}, AnswerFrom::Device), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&] { return BlockRequests(session).size() == 3; }));
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(100));
    EXPECT_EQ(StatusMessages(session).size(), 3u);

    // The device's change reaches the report panel: its value and the report's time.
    session.notifier.Clear();
    ASSERT_EQ(session.device.SetValue("LD0/GGIO1$ST$Ind1$stVal", "True"), System::OkNoError);
    Message value;
    ASSERT_TRUE(TestSupport::Eventually([&] {
        for (const Message& m : session.notifier.Messages()) {
            if (m.message == WM_QX_REPORT && m.wParam == 1 && m.text == "True") return true;
        }
        return false;
    }));
    bool headline = false;
    for (const Message& m : session.notifier.Messages()) {
        if (m.message == WM_QX_REPORT && m.wParam == 2) headline = m.text.rfind("Report received with ToE: ", 0) == 0;
    }
    EXPECT_TRUE(headline);

    session.notifier.Clear();
    EXPECT_EQ(session.client->DisableReports(), System::OkNoError);
    seen = WaitForStatus(session, 2);
    EXPECT_EQ(seen, (std::vector<Status>{Disable(0, "Disabling LD0/LLN0.urcb01[RP]"),
                                         Disable(1, "Disabled LD0/LLN0.urcb01[RP]")}));
    EXPECT_FALSE(DeviceEnabled(session, "RP$urcb01"));
    ExpectCleanWire(session);
}

// A device whose data set lists attributes, not data objects: the report panel offers
// each such attribute under its data object, and the block on that set is enabled.
TEST(ReportSequence, ABlockOnADataSetOfAttributesIsOfferedAndEnabled) {
    TestDevice::Device::Options options;
    options.model.attributeDataSet = true;
    BridgeSession session(options);
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.client->BuildReportTree("bay1");
    const SelectionTree tree = session.client->GetReportTree();
    ASSERT_TRUE(tree.contains("GGIO1"));
    ASSERT_TRUE(tree.at("GGIO1").entries.contains("Ind1"));
    const SelectionEntry& ind1 = tree.at("GGIO1").entries.at("Ind1");
    EXPECT_EQ(ind1.reference, "bay1/GGIO1.Ind1");
    ASSERT_EQ(ind1.attributes.size(), 2u);
    const SelectionAttribute& stVal = ind1.attributes.at("stVal");
    EXPECT_EQ(stVal.fc, "ST");
    EXPECT_TRUE(ind1.attributes.contains("q"));

    session.notifier.Clear();
    EXPECT_EQ(session.client->EnableReports({stVal.fc, stVal.reference}), System::OkNoError);
    EXPECT_EQ(WaitForStatus(session, 3), (std::vector<Status>{Enable(0, "Checking bay1/LLN0.urcbAttr01[RP]"),
                                                              Enable(0, "Enabling bay1/LLN0.urcbAttr01[RP]"),
                                                              Enable(1, "Enabled bay1/LLN0.urcbAttr01[RP]")}));
    EXPECT_EQ(session.device.GetValue("bay1/LLN0$RP$urcbAttr01$RptEna"), "True");
    ExpectCleanWire(session);
}

TEST(ReportSequence, BlocksHeldByAnotherClientAreEachCheckedOnceThenNoneIsLeft) {
    BridgeSession session;
    // A second client of the library, straight to the device, enables every block of ds1.
    Iec61850::Acsi::Server otherServer;
    otherServer.GetProfile(0)->SetParameter("RemoteNPort", std::to_string(session.device.Port()));
    otherServer.GetProfile(0)->SetParameter(Iec61850::Acsi::AssociationProfile::MmsTimeoutParameter, "30000");
    RecordingNotifier otherWindow;
    App::QXClient other(&otherWindow);
    ASSERT_EQ(other.Associate(*otherServer.GetProfile(0), 0), System::OkNoError);
    std::uint32_t id = 0;
    std::vector<Status> expected;
    for (const char* block : kDataSetBlocks) {
        const std::string reference = "LD0/LLN0." + std::string(block + 3);
        const System::ResultCode asked =
            block[0] == 'R' ? other.SetURCBValues(id, reference, {{"RptEna", "True"}}, AnswerFrom::Device)
                            : other.SetBRCBValues(id, reference, {{"RptEna", "True"}}, AnswerFrom::Device);
        ASSERT_EQ(asked, System::OkNoError) << block;
        ASSERT_TRUE(TestSupport::Eventually([&] { return DeviceEnabled(session, block); })) << block;
        expected.push_back(Enable(0, "Checking " + Shown(block)));
    }
    expected.push_back(Enable(-3, "No available RCBs, check connected subscribers..."));
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.notifier.Clear();

    EXPECT_EQ(session.client->EnableReports(kInDataSet), System::OkNoError);
    const std::vector<Status> seen = WaitForStatus(session, expected.size());
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(session.client->GetEnableState(), 7);
    EXPECT_TRUE(DeviceEnabled(session, "RP$urcb01"));
    ExpectCleanWire(session);
}

TEST(ReportSequence, RefusedEnablesReadTheSameBlockAgainBeforeTheNext) {
    struct Case {
        const char* name;
        std::vector<const char*> refused;
        std::vector<Status> expected;
        std::vector<std::string> requests;
    };
    // Every block of the data set refused: each tried, read again, then the next.
    Case everyRefused{"every block refused", kDataSetBlocks, {}, {}};
    for (const char* block : kDataSetBlocks) {
        const std::string item = "LD0/LLN0$" + std::string(block);
        everyRefused.expected.push_back(Enable(0, "Checking " + Shown(block)));
        everyRefused.expected.push_back(Enable(0, "Enabling " + Shown(block)));
        everyRefused.requests.insert(everyRefused.requests.end(),
                                     {"read " + item, "write " + item + "$RptEna", "read " + item});
    }
    everyRefused.expected.push_back(Enable(-3, "No available RCBs, check connected subscribers..."));
    const Case cases[] = {
        // The next instance of the same block is free.
        {"first instance refused",
         {"RP$urcb01"},
         {Enable(0, "Checking LD0/LLN0.urcb01[RP]"), Enable(0, "Enabling LD0/LLN0.urcb01[RP]"),
          Enable(0, "Checking LD0/LLN0.urcb02[RP]"), Enable(0, "Enabling LD0/LLN0.urcb02[RP]"),
          Enable(1, "Enabled LD0/LLN0.urcb02[RP]")},
         {"read LD0/LLN0$RP$urcb01", "write LD0/LLN0$RP$urcb01$RptEna", "read LD0/LLN0$RP$urcb01",
          "read LD0/LLN0$RP$urcb02", "write LD0/LLN0$RP$urcb02$RptEna"}},
        // Every unbuffered instance refused: the buffered block's first.
        {"unbuffered refused",
         {"RP$urcb01", "RP$urcb02", "RP$urcb03"},
         {Enable(0, "Checking LD0/LLN0.urcb01[RP]"), Enable(0, "Enabling LD0/LLN0.urcb01[RP]"),
          Enable(0, "Checking LD0/LLN0.urcb02[RP]"), Enable(0, "Enabling LD0/LLN0.urcb02[RP]"),
          Enable(0, "Checking LD0/LLN0.urcb03[RP]"), Enable(0, "Enabling LD0/LLN0.urcb03[RP]"),
          Enable(0, "Checking LD0/LLN0.brcb01[BR]"), Enable(0, "Enabling LD0/LLN0.brcb01[BR]"),
          Enable(1, "Enabled LD0/LLN0.brcb01[BR]")},
         {"read LD0/LLN0$RP$urcb01", "write LD0/LLN0$RP$urcb01$RptEna", "read LD0/LLN0$RP$urcb01",
          "read LD0/LLN0$RP$urcb02", "write LD0/LLN0$RP$urcb02$RptEna", "read LD0/LLN0$RP$urcb02",
          "read LD0/LLN0$RP$urcb03", "write LD0/LLN0$RP$urcb03$RptEna", "read LD0/LLN0$RP$urcb03",
          "read LD0/LLN0$BR$brcb01", "write LD0/LLN0$BR$brcb01$RptEna"}},
        everyRefused,
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BridgeSession session;
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.device.SetFaults(RefuseEnabling(c.refused));
        session.notifier.Clear();
        session.device.ClearRequests();
        EXPECT_EQ(session.client->EnableReports(kInDataSet), System::OkNoError);
        EXPECT_EQ(WaitForStatus(session, c.expected.size()), c.expected);
        EXPECT_TRUE(TestSupport::Eventually([&] { return BlockRequests(session).size() >= c.requests.size(); }));
        TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(100));
        EXPECT_EQ(BlockRequests(session), c.requests);
        EXPECT_EQ(StatusMessages(session), c.expected);
        EXPECT_FALSE(DeviceEnabled(session, "RP$urcb01"));
        ExpectCleanWire(session);
    }
}

TEST(ReportSequence, RefusedDisableIsToldAndEnablesNoOtherBlock) {
    BridgeSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.notifier.Clear();
    ASSERT_EQ(session.client->EnableReports(kInDataSet), System::OkNoError);
    ASSERT_EQ(WaitForStatus(session, 3).back(), Enable(1, "Enabled LD0/LLN0.urcb01[RP]"));

    session.device.SetFaults(RefuseEnabling({"RP$urcb01"}));
    session.notifier.Clear();
    session.device.ClearRequests();
    EXPECT_EQ(session.client->DisableReports(), System::OkNoError);
    const std::vector<Status> seen = WaitForStatus(session, 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], Disable(0, "Disabling LD0/LLN0.urcb01[RP]"));
    EXPECT_EQ(seen[1].message, WM_QX_RCB_DISABLE_STATUS);
    EXPECT_EQ(seen[1].code, -1);
    EXPECT_FALSE(seen[1].text.empty());
    // The block is read again, and nothing else happens.
    EXPECT_TRUE(TestSupport::Eventually([&] { return BlockRequests(session).size() >= 2; }));
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(100));
    EXPECT_EQ(BlockRequests(session),
              (std::vector<std::string>{"write LD0/LLN0$RP$urcb01$RptEna", "read LD0/LLN0$RP$urcb01"}));
    EXPECT_EQ(StatusMessages(session).size(), 2u);
    EXPECT_TRUE(DeviceEnabled(session, "RP$urcb01"));
    EXPECT_FALSE(DeviceEnabled(session, "BR$brcb01"));
    EXPECT_EQ(session.client->GetCurrentRcbReference(), "LD0/LLN0.urcb01");

    // Once the device accepts, the same block is disabled.
    session.device.SetFaults({});
    session.notifier.Clear();
    EXPECT_EQ(session.client->DisableReports(), System::OkNoError);
    EXPECT_EQ(WaitForStatus(session, 2).back(), Disable(1, "Disabled LD0/LLN0.urcb01[RP]"));
    ExpectCleanWire(session);
}

TEST(ReportSequence, NothingToEnableEndsAtOnceWithoutARequest) {
    BridgeSession session;
    // Without an association.
    EXPECT_EQ(session.client->EnableReports(kInDataSet), System::InvalidState);
    EXPECT_EQ(StatusMessages(session), (std::vector<Status>{Enable(-2, "Invalid state")}));

    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.notifier.Clear();
    session.device.ClearRequests();
    // Disable before any block was found.
    EXPECT_EQ(session.client->DisableReports(), System::OkNoError);
    // An attribute in no data set.
    EXPECT_EQ(session.client->EnableReports({"ST", "LD0/GGIO1.Ind2.stVal"}), System::OkNoError);
    EXPECT_EQ(StatusMessages(session),
              (std::vector<Status>{Disable(-2, "Invalid state"), Enable(-2, "No available RCBs...")}));
    EXPECT_EQ(session.client->GetEnableState(), 0);
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(100));
    EXPECT_TRUE(BlockRequests(session).empty());
}

TEST(ReportSequence, ReleaseForgetsTheBlocks) {
    BridgeSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    ASSERT_EQ(session.client->EnableReports(kInDataSet), System::OkNoError);
    ASSERT_EQ(WaitForStatus(session, 3).back(), Enable(1, "Enabled LD0/LLN0.urcb01[RP]"));
    ASSERT_EQ(session.client->Release(), System::OkNoError);
    Message released;
    ASSERT_TRUE(session.notifier.WaitFor(WM_QX_RELEASE_RESULT, released));
    EXPECT_EQ(session.client->GetCurrentRcbReference(), "");
    session.notifier.Clear();
    EXPECT_EQ(session.client->DisableReports(), System::OkNoError);
    EXPECT_EQ(StatusMessages(session), (std::vector<Status>{Disable(-2, "Invalid state")}));
}

}  // namespace
}  // namespace AppTest
