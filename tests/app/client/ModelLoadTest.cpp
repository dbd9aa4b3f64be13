#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "app/client/BridgeSession.h"
#include "app/client/SelectionModel.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LLN0.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/acsi/reader/ModelReader.h"
#include "mms/pdu/MmsPduError.h"
#include "mms/pdu/MmsPduServices.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AppTest {
namespace {

using namespace App;
using Iec61850::AnswerFrom;
using Iec61850::Acsi::ModelClass;
using Iec61850::Acsi::ModelReader;

std::vector<std::string> AttributeNames(const SelectionTree& tree, const std::string& node, const std::string& key) {
    std::vector<std::string> names;
    const auto ln = tree.find(node);
    if (ln == tree.end()) return names;
    const auto entry = ln->second.entries.find(key);
    if (entry == ln->second.entries.end()) return names;
    for (const auto& [path, attribute] : entry->second.attributes) names.push_back(path);
    return names;
}

int CountOf(const std::vector<std::uint32_t>& numbers, std::uint32_t message) {
    return static_cast<int>(std::count(numbers.begin(), numbers.end(), message));
}

TEST(ModelLoad, TheSmallDeviceReadWithProgressAndItsTreesForTheFirstDevice) {
    for (const bool hideIdentify : {false, true}) {
        SCOPED_TRACE(hideIdentify ? "identify not announced" : "identify announced");
        BridgeSession session;
        TestDevice::Faults faults;
        faults.hideIdentify = hideIdentify;
        session.device.SetFaults(faults);
        ASSERT_EQ(session.Associate(), System::OkNoError);

        const std::vector<Message> messages = session.notifier.Messages();
        ASSERT_GE(messages.size(), 4u);
        EXPECT_EQ(messages[0].message, WM_QX_ASSOCIATE_RESULT);
        EXPECT_EQ(messages[0].wParam, 0);
        EXPECT_EQ(messages[1].message, WM_QX_MODEL_READ_START);
        for (std::size_t i = 2; i + 1 < messages.size(); ++i) EXPECT_EQ(messages[i].message, WM_QX_MODEL_READ_PROGRESS);
        EXPECT_EQ(messages.back().message, WM_QX_MODEL_READ_DONE);
        EXPECT_EQ(messages.back().wParam, 0);
        const ModelReadProgress& last = messages[messages.size() - 2].progress;
        EXPECT_EQ(last.logicalDevices, 2);
        EXPECT_EQ(last.logicalNodes,
                  static_cast<int>(session.Count(ModelClass::LogicalNode) + session.Count(ModelClass::LLN0)));
        EXPECT_EQ(last.dataObjects, static_cast<int>(session.Count(ModelClass::Data)));
        EXPECT_EQ(last.allObjects, static_cast<int>(session.Count(ModelClass::Any)));
        EXPECT_FALSE(session.client->IsModelLoading());
        EXPECT_EQ(session.client->GetModelReadResult(), ModelReader::ResultRead);

        int identifies = 0;
        for (const TestDevice::RequestRecord& request : session.device.Requests()) {
            if (request.service == Mms::MmsServiceIdentify) ++identifies;
        }
        EXPECT_EQ(identifies, hideIdentify ? 0 : 1);

        std::vector<std::string> devices;
        session.client->GetLogicalDeviceNames(devices);
        EXPECT_EQ(devices, (std::vector<std::string>{"LD0", "bay1"}));
        // The control tree by control model: status only has none; SBO, SBOw and Cancel
        // where the model has them.
        const SelectionTree control = session.client->GetControlTree();
        EXPECT_EQ(control.count("XCBR1"), 0u);
        EXPECT_EQ(AttributeNames(control, "CSWI1", "Pos"), (std::vector<std::string>{"Oper"}));
        EXPECT_EQ(AttributeNames(control, "CSWI2", "Pos"), (std::vector<std::string>{"Cancel", "Oper", "SBO"}));
        EXPECT_EQ(AttributeNames(control, "CSWI3", "Pos"), (std::vector<std::string>{"Cancel", "Oper"}));
        EXPECT_EQ(AttributeNames(control, "CSWI4", "Pos"), (std::vector<std::string>{"Cancel", "Oper", "SBOw"}));
        // The report tree: the members of the data set that the blocks name.
        const SelectionTree report = session.client->GetReportTree();
        std::vector<std::string> reportNodes;
        for (const auto& [name, node] : report) reportNodes.push_back(name);
        EXPECT_EQ(reportNodes, (std::vector<std::string>{"CSWI1", "GGIO1", "MMXU1", "XCBR1"}));
        EXPECT_EQ(AttributeNames(report, "MMXU1", "TotW"), (std::vector<std::string>{"mag.f", "q", "t"}));
        // The read tree: every node of LD0 with readable data, none of bay1.
        const SelectionTree read = session.client->GetReadTree();
        EXPECT_EQ(read.count("LLN0"), 1u);
        EXPECT_EQ(read.at("CSWI1").entries.at("Pos").attributes.at("ctlModel").fc, "CF");
        EXPECT_EQ(read.at("GGIO1").entries.at("CntHst").attributes.at("hstVal.[0]").reference,
                  "LD0/GGIO1.CntHst.hstVal.[0]");
        EXPECT_EQ(read.at("MMXU1").entries.at("Hz").attributes.at("mag.f").reference, "LD0/MMXU1.Hz.mag.f");

        // Another device for one panel leaves the other trees as they were.
        session.client->BuildReadTree("bay1");
        EXPECT_EQ(session.client->GetReadTree().count("GGIO1"), 1u);
        EXPECT_EQ(session.client->GetReadTree().at("GGIO1").entries.at("Ind1").reference, "bay1/GGIO1.Ind1");
        EXPECT_EQ(session.client->GetControlTree(), control);
        EXPECT_EQ(session.client->GetReportTree(), report);
    }
}

// The node's values under the constraint as the model holds them, by reference.
std::map<std::string, std::string> ValuesIn(Iec61850::Acsi::Server& server, const std::string& node,
                                            const std::string& fc) {
    std::map<std::string, std::string> values;
    const Mms::ModelHold hold(&server);
    Iec61850::Acsi::LogicalNode* found = server.FindNode(hold, node);
    Iec61850::Acsi::FunctionalConstraint* group = found != nullptr ? found->FindFc(fc) : nullptr;
    if (group == nullptr) return values;
    std::vector<Iec61850::Acsi::ValueRecord> records;
    for (auto* child : group->GetChildren()) {
        if (auto* item = dynamic_cast<Iec61850::Acsi::DataItem*>(child)) item->CollectValues(records);
    }
    for (const auto& record : records) values[record.reference] = record.value;
    return values;
}

// A device that reads its nodes only by functional constraint: each node's whole read is
// refused once (object-access-unsupported) and its groups are read instead, so the model
// holds the same values as from a device that reads nodes whole; SE, refused while no group
// is being edited, is read and empty.
TEST(ModelLoad, NodesRefusedWholeAreReadGroupByGroup) {
    for (const bool refuse : {false, true}) {
        SCOPED_TRACE(refuse ? "whole nodes refused" : "whole nodes read");
        TestDevice::Device::Options options;
        options.model.settingGroups = true;
        BridgeSession session(options);
        TestDevice::Faults faults;
        faults.refuseWholeNodeReads = refuse;
        session.device.SetFaults(faults);
        ASSERT_EQ(session.Associate(), System::OkNoError);
        EXPECT_EQ(session.client->GetModelReadResult(), ModelReader::ResultRead);

        const std::map<std::string, std::string> settings = ValuesIn(*session.server, "LD0/PTOC1", "SG");
        EXPECT_EQ(settings, (std::map<std::string, std::string>{{"LD0/PTOC1.StrVal.setMag.f", "1"},
                                                                {"LD0/PTOC1.OpDlTmms.setVal", "500"},
                                                                {"LD0/PTOC1.RsDlTmms.setVal", "500"}}));
        EXPECT_EQ(ValuesIn(*session.server, "LD0/MMXU1", "MX").at("LD0/MMXU1.TotW.mag.f"), "1250.5");
        {
            // The setting-group block's counts, with the model, where an export finds them.
            const Mms::ModelHold hold(session.server.get());
            auto* lln0 = dynamic_cast<Iec61850::Acsi::LLN0*>(session.server->FindNode(hold, "LD0/LLN0"));
            ASSERT_NE(lln0, nullptr);
            ASSERT_EQ(lln0->GetSGCBs().count("SGCB"), 1u);
            std::string groups;
            std::string active;
            EXPECT_EQ(lln0->GetSGCBs().at("SGCB")->GetChild("NumOfSG", groups), System::OkNoError);
            EXPECT_EQ(lln0->GetSGCBs().at("SGCB")->GetChild("ActSG", active), System::OkNoError);
            EXPECT_EQ(groups + "/" + active, "4/2");
        }

        // Each node read whole once; refused, by each of its groups once.
        std::map<std::string, int> reads;
        for (const TestDevice::RequestRecord& request : session.device.Requests()) {
            if (request.service != Mms::MmsServiceRead) continue;
            for (const std::string& name : request.names) ++reads[name];
        }
        for (const char* name : {"LD0/PTOC1", "LD0/XCBR1", "bay1/MMXU1"}) EXPECT_EQ(reads[name], 1) << name;
        for (const char* name : {"LD0/PTOC1$SG", "LD0/PTOC1$SE", "LD0/LLN0$SP", "bay1/MMXU1$MX"}) {
            EXPECT_EQ(reads[name], refuse ? 1 : 0) << name;
        }
        if (TestSupport::WireCheckRuns()) {
            EXPECT_EQ(TestSupport::FindProblems(session.relay->Units(0)), "");
        }
    }
}

// The lists the device refuses while its model is read reach the window with the end of the
// read, each in the device's words: one message, though the data sets of LD0 are left
// incomplete by the same refusal.
TEST(ModelLoad, TheListsTheDeviceRefusesEndTheReadInItsWords) {
    BridgeSession session;
    TestDevice::Faults faults;
    faults.refusedNameLists[{Mms::MmsClassNamedVariable, Mms::MmsObjectScopeDomain}] = {
        false, 0, static_cast<std::uint32_t>(Mms::MmsPackError(Mms::MmsErrorClassAccess, 3))};
    session.device.SetFaults(faults);
    ASSERT_EQ(session.Associate(), System::OkNoError);
    const std::vector<std::string> told = {
        "LD0: the device refused its list of variables: access (8), code 3 (object-access-denied)",
        "bay1: the device refused its list of variables: access (8), code 3 (object-access-denied)"};
    EXPECT_EQ(session.client->GetModelRefusals(), told);
    const std::vector<Message> messages = session.notifier.Messages();
    EXPECT_EQ(CountOf(session.notifier.Numbers(), WM_QX_MODEL_READ_DONE), 1);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().wParam, static_cast<std::intptr_t>(ModelReadRefused));
    EXPECT_EQ(messages.back().text, told[0] + "\n\r" + told[1]);
}

TEST(ModelLoad, TheDeviceAbortingMidLoad) {
    BridgeSession session;
    TestDevice::Faults faults;
    faults.abortAtRequest = 6;
    session.device.SetFaults(faults);
    ASSERT_EQ(session.Associate(), System::OkNoError);
    const std::vector<std::uint32_t> numbers = session.notifier.Numbers();
    EXPECT_EQ(CountOf(numbers, WM_QX_MODEL_READ_DONE), 0);
    Message aborted;
    ASSERT_TRUE(session.notifier.WaitFor(WM_QX_ABORTED, aborted));
    EXPECT_EQ(aborted.text, "Abort was issued by peer");
    EXPECT_EQ(session.client->GetModelReadResult(), ModelReader::ResultLost);
    EXPECT_FALSE(session.client->IsModelLoading());
}

TEST(ModelLoad, TheDeviceFallingSilentLeavesAPartialModel) {
    BridgeSession session;
    std::atomic<int> passes{0};
    session.notifier.SetHook([&](const Message& message) {
        // After the first passes the device answers nothing more, and a short time-out
        // races nothing.
        if (message.message == WM_QX_MODEL_READ_PROGRESS && ++passes == 3) {
            TestDevice::Faults faults;
            for (std::int32_t service = 1; service < 90; ++service) faults.dropped.insert(service);
            session.device.SetFaults(faults);
            session.ShortenLiveTimeouts();
        }
    });
    ASSERT_EQ(session.Associate(), System::OkNoError);
    EXPECT_EQ(session.client->GetModelReadResult(), ModelReader::ResultNoAnswer);
    // Nothing arrived for the time-out: the link is taken for gone and aborted from here,
    // before or after the load ends.
    Message aborted;
    ASSERT_TRUE(session.notifier.WaitFor(WM_QX_ABORTED, aborted));
    EXPECT_EQ(aborted.text, "Abort was issued locally\n\r" + std::string(App::LinkStalledText));
    std::vector<Message> messages = session.notifier.Messages();
    std::erase_if(messages, [](const Message& message) { return message.message == WM_QX_ABORTED; });
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().message, WM_QX_MODEL_READ_DONE);
    EXPECT_EQ(messages.back().wParam, static_cast<std::intptr_t>(ModelReadPartial));
    std::vector<std::string> devices;
    session.client->GetLogicalDeviceNames(devices);
    EXPECT_FALSE(devices.empty());
}

TEST(ModelLoad, AStopMidLoadSendsNothingMore) {
    BridgeSession session;
    session.notifier.SetHook([&](const Message& message) {
        if (message.message == WM_QX_MODEL_READ_PROGRESS) session.client->StopModelLoad();
    });
    ASSERT_EQ(session.Associate(), System::OkNoError);
    EXPECT_EQ(session.client->GetModelReadResult(), ModelReader::ResultStopped);
    const std::vector<std::uint32_t> numbers = session.notifier.Numbers();
    EXPECT_EQ(numbers,
              (std::vector<std::uint32_t>{WM_QX_ASSOCIATE_RESULT, WM_QX_MODEL_READ_START, WM_QX_MODEL_READ_PROGRESS}));
    EXPECT_TRUE(session.client->GetReadTree().empty());
    EXPECT_FALSE(session.client->IsModelLoading());
}

TEST(ModelLoad, TreesBuiltWhileAnswersChangeTheModel) {
    BridgeSession session;
    ASSERT_EQ(session.Associate(), System::OkNoError);
    session.notifier.Clear();
    // Values change on the device and reach the model through confirmations, on the
    // receive thread, while the program rebuilds its trees.
    std::atomic<bool> done{false};
    std::thread changer([&] {
        for (int i = 0; !done.load(); ++i) {
            session.device.SetValue("LD0/MMXU1$MX$TotW$mag$f", std::to_string(i));
            std::uint32_t id = 0;
            if (session.client->GetAllDataValues(id, "LD0/MMXU1", "", AnswerFrom::Device) == System::OkNoError) {
                session.client->WaitForConfirmation(1000);
            }
        }
    });
    for (int i = 0; i < 50; ++i) {
        session.client->BuildReadTree("LD0");
        session.client->BuildReportTree("LD0");
        EXPECT_FALSE(session.client->GetReportTree().empty());
    }
    done.store(true);
    changer.join();
    // No value read of an export was asked for: none is counted down, no export starts.
    EXPECT_EQ(session.notifier.Messages().size(), 0u);
}

}  // namespace
}  // namespace AppTest
