#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "iec61850/acsi/client/DataValueServices.h"
#include "iec61850/acsi/client/DirectoryServices.h"
#include "iec61850/acsi/client/TPAppAssociation.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LogicalDevice.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/association/ReadingSession.h"
#include "mms/pdu/MmsPduError.h"
#include "mms/pdu/MmsPduServices.h"
#include "mms/user/NamedVariable.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace ModelReadTest {
namespace {

using TestDevice::RequestRecord;

// Every leaf attribute of the model with the device's MMS name of its variable.
void ForEachLeaf(Server& server, const std::function<void(NamedObject&, const std::string&)>& visit) {
    const Mms::ModelHold hold(&server);
    std::function<void(NamedObject&)> walk = [&](NamedObject& object) {
        if (object.GetChildren().empty() && object.GetModelClass() == ModelClass::DataAttribute) {
            std::string name;
            if (auto* variable = dynamic_cast<Mms::NamedVariable*>(object.GetMmsObject(hold))) variable->GetName(name);
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
    EXPECT_TRUE(session.client->GetReadRefusals().empty());

    // Every object read, the model bound, the values the device's.
    EXPECT_GT(session.Count(ModelClass::Any), 100u);
    EXPECT_EQ(session.Count(ModelClass::Any, ObjectState::Read), session.Count(ModelClass::Any));
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
    {
        const Mms::ModelHold hold(session.server.get());
        LogicalNode* lln0 = session.server->FindNode(hold, "LD0/LLN0");
        ASSERT_NE(lln0, nullptr);
        ASSERT_NE(lln0->FindDataSet("ds1"), nullptr);
        EXPECT_EQ(lln0->FindDataSet("ds1")->GetMembers().size(), 4u);
        EXPECT_EQ(lln0->GetBRCBs().size(), 4u);
    }
    // A client derived from the reading client sees devices and nodes, not flat MMS names.
    std::map<std::string, std::vector<std::string>> listed;
    for (const Seen& seen : session.client->Confirmations()) {
        if (seen.callback == "SD") listed["(server)"] = seen.names;
        if (seen.callback == "LD") listed[seen.reference] = seen.names;
    }
    EXPECT_EQ(listed["(server)"], (std::vector<std::string>{"LD0", "bay1"}));
    EXPECT_EQ(listed["LD0"],
              (std::vector<std::string>{"CSWI1", "CSWI2", "CSWI3", "CSWI4", "GGIO1", "LLN0", "MMXU1", "XCBR1"}));
    EXPECT_EQ(listed["bay1"], (std::vector<std::string>{"GGIO1", "LLN0", "MMXU1"}));

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
    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(TestSupport::FindProblems(session.relay->Units(0)), "");
    }
}

// The read takes the values into the model only; a caller who asks for a node's values
// gets each of them as text as well.
TEST(ModelRead, ValuesComeAsTextOnlyToWhoAsksForThem) {
    ReadingSession session;
    ASSERT_EQ(session.Read(), ModelReader::ResultRead);
    std::size_t valueReads = 0;
    for (const Seen& seen : session.client->Confirmations()) {
        if (seen.callback != "AV") continue;
        ++valueReads;
        EXPECT_TRUE(seen.names.empty()) << seen.reference;
    }
    EXPECT_GE(valueReads, session.Count(ModelClass::LogicalNode));

    std::uint32_t id = 0;
    ASSERT_EQ(session.client->GetAllDataValues(id, "LD0/MMXU1", "MX", AnswerFrom::Device), System::OkNoError);
    std::vector<std::string> records;
    ASSERT_TRUE(TestSupport::Eventually([&] {
        for (const Seen& seen : session.client->Confirmations()) {
            if (seen.callback == "AV" && seen.reference == "LD0/MMXU1" && !seen.names.empty()) records = seen.names;
        }
        return !records.empty();
    }));
    EXPECT_NE(std::find(records.begin(), records.end(), "LD0/MMXU1.TotW.mag.f"), records.end());
}

}  // namespace
}  // namespace ModelReadTest

namespace ModelReadTest {
namespace {

using TestDevice::Faults;

struct ReadOutcome {
    std::int32_t result = -1;
    std::uint32_t objects = 0;
    std::uint32_t read = 0;
    std::uint32_t dataObjects = 0;
    std::vector<RequestRecord> log;
    std::vector<Seen> seen;
    // What the device refused, as the reader tells it.
    std::vector<std::string> refusals;
};

ReadOutcome ReadWith(const Faults& faults, const std::function<void(ReadingSession&)>& check = {}) {
    ReadingSession session;
    session.device.SetFaults(faults);
    ReadOutcome outcome;
    outcome.result = session.Read();
    outcome.objects = session.Count(ModelClass::Any);
    outcome.read = session.Count(ModelClass::Any, ObjectState::Read);
    outcome.dataObjects = session.Count(ModelClass::Data);
    outcome.log = session.device.Requests();
    outcome.seen = session.client->Confirmations();
    for (const Iec61850::Acsi::ReadRefusal& refusal : session.client->GetReadRefusals())
        outcome.refusals.push_back(refusal.Text());
    if (check) check(session);
    // Nothing a device would not take, whatever the device did.
    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(TestSupport::FindProblems(session.relay->Units(0)), "");
    }
    return outcome;
}

std::size_t CountOf(const std::vector<RequestRecord>& log, std::int32_t service, const std::string& name) {
    return static_cast<std::size_t>(std::count_if(log.begin(), log.end(), [&](const RequestRecord& record) {
        return record.service == service && !record.names.empty() && record.names.front() == name;
    }));
}

// The fallbacks for a node's type end with the same model as a device that gives it.
TEST(ModelRead, NodeTypeFallbacksEndWithTheWholeModel) {
    const ReadOutcome plain = ReadWith({});
    ASSERT_EQ(plain.result, ModelReader::ResultRead);

    struct Case {
        const char* what;
        Faults faults;
        std::size_t typeRequestsOfXcbr;
        bool byFc;
    };
    std::vector<Case> cases(4);
    cases[0] = {"type rejected", {}, 1, true};
    cases[0].faults.refuseNodeTypes = true;
    cases[1] = {"type refused with an error", {}, 1, true};
    cases[1].faults.refuseNodeTypes = true;
    cases[1].faults.nodeTypeRefusal = {false, 0, Mms::MmsPackError(Mms::MmsErrorClassAccess, 3)};
    cases[2] = {"type times out once", {}, 2, false};
    cases[2].faults.droppedNodeTypes = 1;
    cases[3] = {"type times out twice", {}, 2, true};
    cases[3].faults.droppedNodeTypes = 2;
    // A device that leaves only these unanswered and says nothing else for the time-out
    // would be taken for a pulled cable: its own reports show it lives.
    cases[2].faults.reportEveryMs = 500;
    cases[3].faults.reportEveryMs = 500;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ReadOutcome outcome = ReadWith(c.faults, [](ReadingSession& session) {
            ForEachLeaf(*session.server, [&](NamedObject& leaf, const std::string& name) {
                if (leaf.GetName().front() == '[') return;
                std::string text;
                leaf.ValueToText(text);
                EXPECT_EQ(text, session.device.GetValue(name)) << leaf.GetReference();
            });
        });
        EXPECT_EQ(outcome.result, ModelReader::ResultRead);
        EXPECT_EQ(outcome.objects, plain.objects);
        EXPECT_EQ(outcome.read, outcome.objects);
        EXPECT_EQ(outcome.dataObjects, plain.dataObjects);
        EXPECT_EQ(CountOf(outcome.log, Mms::MmsServiceGetVariableAccessAttributes, "LD0/XCBR1"), c.typeRequestsOfXcbr);
        EXPECT_EQ(CountOf(outcome.log, Mms::MmsServiceGetVariableAccessAttributes, "LD0/XCBR1$ST"), c.byFc ? 1u : 0u);
    }
}

// A data set member may name an array element, or a part of one (its structure, a structure
// below that, a leaf); one that names nothing the model holds leaves its data set incomplete,
// and the read says so in its result and its progress. The harmonics data set, of such parts,
// is read whole beside it, with the values of those parts.
TEST(ModelRead, DataSetMembersNameArrayElementsAndAnUnresolvedOneIsToldOf) {
    struct Case {
        const char* what;
        std::vector<std::string> members;
        std::int32_t result;
        std::vector<std::string> resolved;  // empty: the data set is incomplete
    };
    const Case cases[] = {
        {"an array element",
         {"GGIO1$ST$CntHst$hstVal(3)", "MMXU1$MX$Hz"},
         ModelReader::ResultRead,
         {"ST LD0/GGIO1.CntHst.hstVal.[3]", "MX LD0/MMXU1.Hz"}},
        {"an element past the array's end",
         {"MMXU1$MX$Hz", "GGIO1$ST$CntHst$hstVal(9)"},
         ModelReader::ResultIncomplete,
         {}},
        {"parts of array elements",
         {"MHAI1$MX$HA$phsAHar(9)$cVal", "MHAI1$MX$HA$phsAHar(10)$cVal$mag", "MHAI1$MX$HA$phsAHar(11)$cVal$mag$f",
          "MHAI1$MX$HA$phsAHar(7)"},
         ModelReader::ResultRead,
         {"MX LD0/MHAI1.HA.phsAHar.[9].cVal", "MX LD0/MHAI1.HA.phsAHar.[10].cVal.mag",
          "MX LD0/MHAI1.HA.phsAHar.[11].cVal.mag.f", "MX LD0/MHAI1.HA.phsAHar.[7]"}},
        {"a part past the array's end", {"MHAI1$MX$HA$phsAHar(16)$cVal"}, ModelReader::ResultIncomplete, {}},
        {"a part an element lacks", {"MHAI1$MX$HA$phsAHar(3)$cVal$rms"}, ModelReader::ResultIncomplete, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestDevice::Device::Options options;
        options.model.extraDataSet = c.members;
        options.model.harmonics = true;
        ReadingSession session(options);
        ASSERT_EQ(session.Associate(), System::OkNoError);
        ModelReader reader(*session.client);
        ModelProgress last;
        reader.SetProgressHook([&](const ModelProgress& progress) { last = progress; });
        EXPECT_EQ(reader.Run(), c.result);
        EXPECT_EQ(last.incompleteDataSets, c.resolved.empty() ? 1u : 0u);
        DataSet* dataSet = nullptr;
        DataSet* harmonics = nullptr;
        ASSERT_EQ(session.server->FindDataSet("LD0/LLN0.dsx", dataSet), System::OkNoError);
        ASSERT_EQ(session.server->FindDataSet("LD0/LLN0.dsHar", harmonics), System::OkNoError);
        const Mms::ModelHold hold(session.server.get());
        EXPECT_EQ(dataSet->IsComplete(), !c.resolved.empty());
        std::vector<std::string> members;
        for (const NamedObject* member : dataSet->GetMembers()) {
            members.push_back(member->GetFcName() + " " + member->GetReference());
        }
        if (!c.resolved.empty()) {
            EXPECT_EQ(members, c.resolved);
        }
        // Element i of the device's harmonics starts at magnitude 100 - 5 i and angle 10 i.
        EXPECT_TRUE(harmonics->IsComplete());
        std::vector<ValueRecord> values;
        ASSERT_EQ(harmonics->GetMemberValues(values), System::OkNoError);
        std::vector<std::string> texts;
        for (const ValueRecord& record : values) {
            if (record.reference.ends_with(".f")) texts.push_back(record.reference + "=" + record.value);
        }
        EXPECT_EQ(texts, (std::vector<std::string>{
                             "LD0/MHAI1.HA.phsAHar.[7].cVal.mag.f=65", "LD0/MHAI1.HA.phsAHar.[7].cVal.ang.f=70",
                             "LD0/MHAI1.HA.phsAHar.[8].cVal.mag.f=60", "LD0/MHAI1.HA.phsAHar.[8].cVal.ang.f=80",
                             "LD0/MHAI1.HA.phsAHar.[9].cVal.mag.f=55", "LD0/MHAI1.HA.phsAHar.[9].cVal.ang.f=90",
                             "LD0/MHAI1.HA.phsAHar.[10].cVal.mag.f=50", "LD0/MHAI1.HA.phsAHar.[11].cVal.mag.f=45"}));
    }
}

// Read by functional constraint, a node is built and its local directories follow: data
// and report blocks for every node, and for LLN0 also GOOSE, setting-group and
// sampled-value blocks.
TEST(ModelRead, NodesReadByConstraintAskTheirLocalDirectories) {
    Faults faults;
    faults.refuseNodeTypes = true;
    const ReadOutcome outcome = ReadWith(faults);
    ASSERT_EQ(outcome.result, ModelReader::ResultRead);
    std::map<std::string, std::vector<std::int32_t>> local;
    for (const Seen& seen : outcome.seen) {
        if (seen.callback == "LN" && seen.local) local[seen.reference].push_back(seen.objectClass);
    }
    EXPECT_EQ(local["LD0/LLN0"], (std::vector<std::int32_t>{ObjectClassData, ObjectClassBrcb, ObjectClassUrcb,
                                                            ObjectClassGoCb, ObjectClassSgcb, ObjectClassMsvCb}));
    EXPECT_EQ(local["LD0/XCBR1"], (std::vector<std::int32_t>{ObjectClassData, ObjectClassBrcb, ObjectClassUrcb}));
    EXPECT_EQ(local["bay1/MMXU1"], (std::vector<std::int32_t>{ObjectClassData, ObjectClassBrcb, ObjectClassUrcb}));
}

// A constraint whose data directory fails leaves the model; the rest is read.
TEST(ModelRead, AConstraintWhoseDirectoryFailsIsDropped) {
    Faults faults;
    faults.refuseNodeTypes = true;
    faults.refusedNames[{Mms::MmsServiceGetVariableAccessAttributes, "LD0/XCBR1$ST"}] = {};
    const ReadOutcome outcome = ReadWith(faults, [](ReadingSession& session) {
        const Mms::ModelHold hold(session.server.get());
        LogicalNode* xcbr = session.server->FindNode(hold, "LD0/XCBR1");
        ASSERT_NE(xcbr, nullptr);
        EXPECT_EQ(xcbr->FindFc("ST"), nullptr);
        EXPECT_NE(xcbr->FindFc("CF"), nullptr);
        for (const FunctionalConstraint* group : xcbr->GetFcsInOrder()) EXPECT_NE(group->GetFc(), "ST");
        // The data set that named XCBR1's position is read, but incomplete: the model no
        // longer holds that member.
        const DataSet* ds1 = session.server->FindNode(hold, "LD0/LLN0")->FindDataSet("ds1");
        ASSERT_NE(ds1, nullptr);
        EXPECT_EQ(ds1->GetState(), ObjectState::Read);
        EXPECT_FALSE(ds1->IsComplete());
    });
    EXPECT_EQ(outcome.result, ModelReader::ResultIncomplete);
    EXPECT_EQ(outcome.read, outcome.objects);
    // Asked by constraint too, the device would not describe it: the model lacks it for good.
    EXPECT_EQ(outcome.refusals,
              std::vector<std::string>{
                  "LD0: the device refused the type of XCBR1 under ST: reject, confirmed-requestPDU, code 1 "
                  "(unrecognized-service)"});
}

// Data-set pieces the device refuses or does not offer end as empty, and the read ends.
TEST(ModelRead, RefusedDataSetPiecesEndEmpty) {
    struct Case {
        const char* what;
        Faults faults;
        DirectoryState deviceState;
        bool dataSets;
        std::vector<std::string> refusals;  // as the reader tells them
    };
    std::vector<Case> cases(3);
    const std::string rejected = ": reject, confirmed-requestPDU, code 1 (unrecognized-service)";
    cases[0] = {"data-set names refused",
                {},
                DirectoryState::GivenUp,
                false,
                {"LD0: the device refused its list of data sets" + rejected,
                 "bay1: the device refused its list of data sets" + rejected}};
    cases[0].faults.refusedNameLists[{Mms::MmsClassNamedVariableList, Mms::MmsObjectScopeDomain}] = {};
    cases[1] = {"member lists refused",
                {},
                DirectoryState::Complete,
                true,
                {"LD0: the device refused the members of data set LLN0.ds1" + rejected,
                 "LD0: the device refused the members of data set LLN0.ds2" + rejected}};
    cases[1].faults.refused[Mms::MmsServiceGetNamedVariableListAttributes] = {};
    cases[2] = {"member lists not offered", {}, DirectoryState::Complete, true, {}};
    cases[2].faults.unannounced = {Mms::MmsServiceGetNamedVariableListAttributes};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ReadOutcome outcome = ReadWith(c.faults, [&](ReadingSession& session) {
            const Mms::ModelHold hold(session.server.get());
            LogicalDevice* ld0 = session.server->FindDevice(hold, "LD0");
            ASSERT_NE(ld0, nullptr);
            EXPECT_EQ(ld0->dataSetDirectoryState, c.deviceState);
            const DataSet* ds1 = session.server->FindNode(hold, "LD0/LLN0")->FindDataSet("ds1");
            ASSERT_EQ(ds1 != nullptr, c.dataSets);
            if (ds1 != nullptr) {
                EXPECT_TRUE(ds1->GetMembers().empty());
            }
        });
        EXPECT_EQ(outcome.result, ModelReader::ResultRead);
        EXPECT_EQ(outcome.read, outcome.objects);
        EXPECT_EQ(outcome.refusals, c.refusals);
        if (c.faults.unannounced.contains(Mms::MmsServiceGetNamedVariableListAttributes)) {
            EXPECT_EQ(FirstIndexOf(outcome.log, Mms::MmsServiceGetNamedVariableListAttributes), outcome.log.size());
        }
    }
}

// The reader's other ends: the association lost, a device that answers nothing, a stop.
TEST(ModelRead, TheReaderEndsWhenTheDeviceGoesOrFallsSilentOrItIsStopped) {
    {
        Faults faults;
        faults.abortAtRequest = 6;
        const ReadOutcome outcome = ReadWith(faults);
        EXPECT_EQ(outcome.result, ModelReader::ResultLost);
        EXPECT_LT(outcome.read, outcome.objects);
    }
    {
        // A pulled cable mid-read: what was posted ends with the time-out and the association
        // is aborted from this side, which the reader tells apart from a lost one.
        Faults faults;
        faults.stallAfterRequest = 6;
        const ReadOutcome outcome = ReadWith(faults, [](ReadingSession& session) {
            // The reader may have given up on its own wait first.
            EXPECT_TRUE(TestSupport::Eventually([&] {
                const std::vector<Seen> seen = session.client->Confirmations();
                return std::any_of(seen.begin(), seen.end(), [](const Seen& one) { return one.callback == "Abort"; });
            }));
            EXPECT_FALSE(session.client->IsAssociated());
            EXPECT_TRUE(session.client->GetAssociation()->EndedStalled());
            // What the stall ended stays asked: neither put back to be asked again on the
            // link being given up, nor taken for read.
            const Mms::ModelHold hold(session.server.get());
            ASSERT_TRUE(hold.Taken());
            for (const Seen& one : session.client->Confirmations()) {
                if (one.local || !one.afterStall || one.result != System::Timeout) continue;
                LogicalNode* node = session.server->FindNode(hold, one.reference);
                ASSERT_NE(node, nullptr) << one.reference;
                if (one.callback == "LN" && one.objectClass == RClient::NodeTypeClass) {
                    EXPECT_EQ(node->readingState, NodeReadingState::TypeAsked) << one.reference;
                }
                if (one.callback == "AV") {
                    EXPECT_NE(node->GetState(), ObjectState::Read) << one.reference;
                }
            }
        });
        EXPECT_EQ(outcome.result, ModelReader::ResultNoAnswer);
        EXPECT_LT(outcome.read, outcome.objects);
        // Nor is anything asked again that the stall ended: a request is confirmed no more often
        // than in a read that went well, but for once more for each time-out the reader took for
        // one of its own. Those came before the stall was seen: requests sent before the last
        // answer came fall due while the link still counts as alive. A node's own time-out has
        // the reader ask again what it asks with it (LLN0's values with its type), so it counts
        // for every request of that node. A confirmation that came once the stall was seen,
        // whatever filed it, has the reader ask nothing, as checked above.
        const ReadOutcome plain = ReadWith({});
        using Request = std::tuple<std::string, std::string, std::int32_t>;
        std::map<Request, int> allowed;
        std::map<Request, int> asked;
        std::map<std::string, int> ownTimeouts;
        for (const Seen& one : plain.seen) {
            if (!one.local) ++allowed[{one.callback, one.reference, one.objectClass}];
        }
        for (const Seen& one : outcome.seen) {
            if (one.local || one.callback == "Abort") continue;
            ++asked[{one.callback, one.reference, one.objectClass}];
            if (one.result == System::Timeout && !one.afterStall) ++ownTimeouts[one.reference];
        }
        for (const auto& [request, times] : asked) {
            const auto& [callback, reference, objectClass] = request;
            EXPECT_LE(times, allowed[request] + ownTimeouts[reference])
                << callback << " " << reference << " " << objectClass;
        }
    }
    {
        // Without an association a step decides nothing: no service counts as one the
        // device does not offer.
        ReadingSession session;
        Faults faults;
        faults.abortAtRequest = 6;
        session.device.SetFaults(faults);
        ASSERT_EQ(session.Read(), ModelReader::ResultLost);
        const std::uint32_t read = session.Count(ModelClass::Any, ObjectState::Read);
        EXPECT_EQ(session.client->ReadModelStep(), System::NotConnected);
        EXPECT_EQ(session.Count(ModelClass::Any, ObjectState::Read), read);
    }
    {
        Faults faults;
        faults.dropped = {Mms::MmsServiceGetNameList};
        EXPECT_EQ(ReadWith(faults).result, ModelReader::ResultNoAnswer);
    }
    {
        ReadingSession session;
        Faults faults;
        faults.dropped = {Mms::MmsServiceGetNameList};
        session.device.SetFaults(faults);
        // A time-out far beyond any machine's slowness: the stop alone ends the read.
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "60000");
        ASSERT_EQ(session.Associate(), System::OkNoError);
        ModelReader reader(*session.client);
        std::promise<void> stepped;
        std::atomic<int> steps{0};
        reader.SetProgressHook([&](const ModelProgress&) {
            if (steps++ == 0) stepped.set_value();
        });
        std::thread stopper([&] {
            stepped.get_future().wait();
            reader.Stop();
        });
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(reader.Run(), ModelReader::ResultStopped);
        stopper.join();
        // Woken by the stop, not after the time-out.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    }
    {
        // The model lock held elsewhere all along (as by an answer that takes long to apply):
        // the reader waits for it a slice at a time, so that a stop ends the read, and so does
        // a lock that stays busy for as long as a silent device would be waited for.
        ReadingSession session;
        session.Profile().SetParameter(AssociationProfile::MmsTimeoutParameter, "200");
        ASSERT_EQ(session.Associate(), System::OkNoError);
        const Mms::ModelHold busy(session.server.get());
        ASSERT_TRUE(busy.Taken());
        // The reader on a thread of its own: the lock is not re-entrant.
        ModelReader waited(*session.client);
        EXPECT_EQ(std::async(std::launch::async, [&] { return waited.Run(); }).get(), ModelReader::ResultLockFailed);
        ModelReader stopped(*session.client);
        auto run = std::async(std::launch::async, [&] { return stopped.Run(); });
        stopped.Stop();
        EXPECT_EQ(run.get(), ModelReader::ResultStopped);
        EXPECT_TRUE(session.server->IsModelLocked());
    }
}

// The group value reads ("LD0/CSWI1$CO") of an association, the first `limit` requests only.
std::vector<std::string> GroupValueReads(const std::vector<RequestRecord>& log, int association,
                                         std::size_t limit = SIZE_MAX) {
    std::vector<std::string> reads;
    std::size_t seen = 0;
    for (const RequestRecord& record : log) {
        if (record.association != association || seen++ >= limit) continue;
        if (record.service == Mms::MmsServiceRead && record.names.size() == 1 &&
            record.names[0].find('$') != std::string::npos) {
            reads.push_back(record.names[0]);
        }
    }
    std::sort(reads.begin(), reads.end());
    return reads;
}

// A read cut short by a lost association goes on, on the next association of the same
// client and model, from where it stopped: what the ended requests asked is asked again,
// and only that.
TEST(ModelRead, AReadCutShortEndsOnTheNextAssociation) {
    Faults byConstraint;
    byConstraint.refuseNodeTypes = true;
    Faults refusedWhole;
    refusedWhole.refuseWholeNodeReads = true;
    const ReadOutcome whole[3] = {ReadWith({}), ReadWith(byConstraint), ReadWith(refusedWhole)};
    for (const ReadOutcome& read : whole) ASSERT_EQ(read.result, ModelReader::ResultRead);
    // Aborts while directories, data-set names, node types and LLN0's values are asked (2,
    // 4), at the middle of the values of nodes read by constraint, asked group by group, and
    // a few requests into the groups of nodes whose whole read was refused: the groups
    // answered before the cut keep their values, and only the others are asked again.
    const auto groupReadNumber = [](const ReadOutcome& read, std::size_t n) {  // from 1
        std::size_t seen = 0;
        for (std::size_t i = 0; i < read.log.size(); ++i) {
            const RequestRecord& r = read.log[i];
            const bool group =
                r.service == Mms::MmsServiceRead && r.names.size() == 1 && r.names[0].find('$') != std::string::npos;
            if (group && seen++ == n) return static_cast<int>(i + 1);
        }
        return 0;
    };
    const int amidGroups = groupReadNumber(whole[1], GroupValueReads(whole[1].log, 1).size() / 2);
    const int amidRefusedGroups = groupReadNumber(whole[2], 0) + 5;
    struct Cut {
        const Faults* faults;
        const char* what;
        int abortAt;
        const ReadOutcome* groups;  // the whole read whose group reads the cut divides, if any
    };
    const Faults byType;
    for (const Cut& cut : std::vector<Cut>{{&byType, "by type", 2, nullptr},
                                           {&byType, "by type", 4, nullptr},
                                           {&byConstraint, "by constraint", 2, nullptr},
                                           {&byConstraint, "by constraint", 4, nullptr},
                                           {&byConstraint, "by constraint", amidGroups, &whole[1]},
                                           {&refusedWhole, "refused whole", amidRefusedGroups, &whole[2]}}) {
        SCOPED_TRACE(std::string(cut.what) + ", abort at " + std::to_string(cut.abortAt));
        ReadingSession session;
        Faults faults = *cut.faults;
        faults.abortAtRequest = cut.abortAt;
        session.device.SetFaults(faults);
        ASSERT_EQ(session.Read(), ModelReader::ResultLost);
        faults.abortAtRequest = 0;
        session.device.SetFaults(faults);
        ASSERT_EQ(session.Associate(), System::OkNoError);
        ModelReader reader(*session.client);
        EXPECT_EQ(reader.Run(), ModelReader::ResultRead);
        EXPECT_EQ(session.Count(ModelClass::Any), whole[0].objects);
        EXPECT_EQ(session.Count(ModelClass::Any, ObjectState::Read), whole[0].objects);
        EXPECT_EQ(session.Count(ModelClass::Data), whole[0].dataObjects);
        if (cut.groups == nullptr) continue;
        const std::vector<RequestRecord> log = session.device.Requests();
        const std::vector<std::string> answered = GroupValueReads(log, 1, cut.abortAt - 1);
        const std::vector<std::string> all = GroupValueReads(cut.groups->log, 1);
        std::vector<std::string> unanswered;
        std::set_difference(all.begin(), all.end(), answered.begin(), answered.end(), std::back_inserter(unanswered));
        ASSERT_FALSE(answered.empty());
        ASSERT_FALSE(unanswered.empty());
        EXPECT_EQ(GroupValueReads(log, 2), unanswered);
    }
}

// Requests that fail because the association ended (filed as aborted while its state still
// said associated, or sent after it) were refused by nobody: the model keeps them asked,
// neither read nor dropped nor read by constraint instead.
TEST(ModelRead, RequestsEndedWithTheAssociationChangeNothing) {
    ReadingSession session;
    Faults faults;
    faults.abortAtRequest = 6;
    session.device.SetFaults(faults);
    ASSERT_EQ(session.Read(), ModelReader::ResultLost);
    TPAppAssociation& association = *session.client->GetAssociation();
    // Answers that came before the abort may still be applied; once it has ended for good,
    // nothing else changes the model.
    association.End();
    LogicalNode* cswi = nullptr;
    LogicalNode* lln0 = nullptr;
    LogicalDevice* ld0 = nullptr;
    ASSERT_EQ(session.server->FindLogicalNode("LD0/CSWI1", cswi), System::OkNoError);
    ASSERT_EQ(session.server->FindLogicalNode("LD0/LLN0", lln0), System::OkNoError);
    ASSERT_EQ(session.server->FindLogicalDevice("LD0", ld0), System::OkNoError);
    const std::uint32_t objects = session.Count(ModelClass::Any);
    const std::uint32_t read = session.Count(ModelClass::Any, ObjectState::Read);
    const NodeReadingState typeState = cswi->readingState;
    const DirectoryState dataSetsState = ld0->dataSetDirectoryState;
    const ObjectState lln0State = lln0->GetState();

    using Make = std::function<Service*()>;
    const std::vector<std::pair<const char*, Make>> requests = {
        {"server directory",
         [&] { return new GetServerDirectory(association, ObjectClassLogicalDevice, AnswerFrom::Device); }},
        {"device directory", [&] { return new GetLogicalDeviceDirectory(association, "LD0", AnswerFrom::Device); }},
        {"node type",
         [&] {
             return new GetLogicalNodeDirectory(association, "LD0/CSWI1", RClient::NodeTypeClass, AnswerFrom::Device);
         }},
        {"data sets",
         [&] { return new GetLogicalNodeDirectory(association, "LD0", ObjectClassDataSet, AnswerFrom::Device); }},
        {"constraint type", [&] { return new GetDataDirectory(association, "LD0/CSWI1", "ST", AnswerFrom::Device); }},
        {"values",
         [&] {
             auto* values = new GetAllDataValues(association, "LD0/LLN0", "", AnswerFrom::Device);
             values->target = lln0;
             return values;
         }},
    };
    for (const System::ResultCode ended : {System::Aborted, System::NotConnected}) {
        for (const auto& [what, make] : requests) {
            SCOPED_TRACE(what);
            make()->CompleteWith(ended);
            EXPECT_EQ(session.Count(ModelClass::Any), objects);
            EXPECT_EQ(session.Count(ModelClass::Any, ObjectState::Read), read);
            EXPECT_EQ(cswi->readingState, typeState);
            EXPECT_EQ(ld0->dataSetDirectoryState, dataSetsState);
            EXPECT_EQ(lln0->GetState(), lln0State);
        }
    }
    EXPECT_LT(read, objects);
}

}  // namespace
}  // namespace ModelReadTest
