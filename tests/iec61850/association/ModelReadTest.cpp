#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "iec61850/acsi/DataItem.h"
#include "iec61850/acsi/DataSet.h"
#include "iec61850/acsi/FunctionalConstraint.h"
#include "iec61850/acsi/LogicalDevice.h"
#include "iec61850/acsi/LogicalNode.h"
#include "iec61850/association/ReadingSession.h"
#include "mms/MmsPduServices.h"
#include "mms/NamedVariable.h"
#include "support/WireCheck.h"

namespace ModelReadTest {
namespace {

using TestDevice::RequestRecord;

// Every leaf attribute of the model with the device's MMS name of its variable.
void ForEachLeaf(Server& server, const std::function<void(NamedObject&, const std::string&)>& visit) {
    std::function<void(NamedObject&)> walk = [&](NamedObject& object) {
        if (object.GetChildren().empty() && object.GetModelClass() == ModelClass::DataAttribute) {
            std::string name;
            if (auto* variable = dynamic_cast<Mms::NamedVariable*>(object.GetMmsObject())) variable->GetName(name);
            visit(object, name);
        }
        for (NamedObject* child : object.GetChildren()) walk(*child);
    };
    for (const auto& [name, device] : server.GetLogicalDevices()) walk(*device);
}

std::size_t IndexOf(const std::vector<RequestRecord>& log, std::int32_t service, const std::string& name) {
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].service == service &&
            std::find(log[i].names.begin(), log[i].names.end(), name) != log[i].names.end())
            return i;
    }
    return log.size();
}

std::size_t LastIndexOf(const std::vector<RequestRecord>& log, std::int32_t service) {
    std::size_t last = log.size();
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].service == service) last = i;
    }
    return last;
}

std::size_t FirstIndexOf(const std::vector<RequestRecord>& log, std::int32_t service) {
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i].service == service) return i;
    }
    return log.size();
}

TEST(ModelRead, WholeSmallModelReadInOrderWithTheDevicesValues) {
    ReadingSession session;
    ASSERT_EQ(session.Read(), ModelReader::ResultRead);

    // Every object read, the model bound, the values the device's.
    EXPECT_GT(session.Count(ModelClass::Any), 100u);
    EXPECT_EQ(session.Count(ModelClass::Any, StateRead), session.Count(ModelClass::Any));
    EXPECT_EQ(session.Count(ModelClass::LogicalDevice), 2u);
    std::size_t compared = 0;
    ForEachLeaf(*session.server, [&](NamedObject& leaf, const std::string& name) {
        if (leaf.GetName().front() == '[') return;  // array elements have no name of their own
        std::string text;
        leaf.ValueToText(text);
        EXPECT_EQ(text, session.device.GetValue(name)) << leaf.GetReference();
        ++compared;
    });
    EXPECT_GT(compared, 250u);
    LogicalNode* lln0 = session.server->FindNode("LD0/LLN0");
    ASSERT_NE(lln0, nullptr);
    ASSERT_NE(lln0->FindDataSet("ds1"), nullptr);
    EXPECT_EQ(lln0->FindDataSet("ds1")->GetMembers().size(), 4u);
    EXPECT_EQ(lln0->GetBRCBs().size(), 2u);

    // The order of the requests: the server's directory alone first; each device's
    // directories before its nodes' types; LLN0's values with its type; member lists
    // only once every directory is in.
    const std::vector<RequestRecord> log = session.device.Requests();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].service, Mms::MmsServiceGetNameList);
    EXPECT_TRUE(log[0].names.empty());
    for (const std::string device : {"LD0", "bay1"}) {
        const std::size_t directory = IndexOf(log, Mms::MmsServiceGetNameList, device);
        const std::size_t firstType = IndexOf(log, Mms::MmsServiceGetVariableAccessAttributes, device + "/LLN0");
        EXPECT_LT(directory, firstType) << device;
    }
    const std::size_t lln0Type = IndexOf(log, Mms::MmsServiceGetVariableAccessAttributes, "LD0/LLN0");
    const std::size_t lln0Values = IndexOf(log, Mms::MmsServiceRead, "LD0/LLN0");
    EXPECT_EQ(lln0Values, lln0Type + 1);
    EXPECT_LT(LastIndexOf(log, Mms::MmsServiceGetNameList),
              FirstIndexOf(log, Mms::MmsServiceGetNamedVariableListAttributes));
    EXPECT_LT(IndexOf(log, Mms::MmsServiceGetVariableAccessAttributes, "LD0/XCBR1"),
              IndexOf(log, Mms::MmsServiceRead, "LD0/XCBR1"));

    // Nothing a device would not take.
    ASSERT_EQ(session.client->Release(), System::OkNoError);
    if (TestSupport::WiresharkAvailable()) EXPECT_EQ(TestSupport::FindProblems(session.relay->Units(0)), "");
}

}  // namespace
}  // namespace ModelReadTest
