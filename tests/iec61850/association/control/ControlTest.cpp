#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "iec61850/acsi/model/DataSetLifetime.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/association/DeviceSession.h"
#include "iec61850/association/SentHold.h"
#include "iec61850/association/control/ControlClient.h"
#include "mms/user/Domain.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

namespace AcsiClientTest {
namespace {

using Iec61850::AttributeRecords;
using TestDevice::ControlModel;
using TestDevice::ControlObject;

const AttributeRecords kComponents = {
    {"ctlVal", "True"}, {"origin.orCat", "3"}, {"origin.orIdent", "5178"}, {"ctlNum", "42"}};
const std::string kTime = "2026-12-07 09:30:00.000";

std::string FindValue(const std::vector<ValueRecord>& records, const std::string& reference) {
    for (const ValueRecord& record : records) {
        if (record.reference == reference) return record.value;
    }
    return "(none)";
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        auto made = std::make_unique<ControlClient>();
        client = made.get();
        session.client = std::move(made);
        ASSERT_EQ(session.Associate(), System::OkNoError);
        session.LoadModel();
        client->lockProbe = session.server.get();
    }

    // The object of the control model ("LD0/CSWI1.Pos"), and its device-side twin.
    static std::string ObjectOf(ControlModel model) {
        return "LD0/CSWI" + std::to_string(static_cast<int>(model)) + ".Pos";
    }
    ControlObject& DeviceObject(ControlModel model) {
        ControlObject* object =
            session.device.FindControl("LD0/CSWI" + std::to_string(static_cast<int>(model)) + "$CO$Pos");
        EXPECT_NE(object, nullptr);
        return *object;
    }

    ControlConfirmation Wait(System::ResultCode posted, const std::uint32_t& id) {
        EXPECT_EQ(posted, System::OkNoError);
        return posted == System::OkNoError ? client->WaitForControl(id) : ControlConfirmation{};
    }
    ControlConfirmation Select(const std::string& object) {
        std::uint32_t id = 0;
        return Wait(client->Select(id, object, SelectBy::ReadingSbo), id);
    }
    ControlConfirmation SelectWithValue(const std::string& object) {
        std::uint32_t id = 0;
        return Wait(client->SelectWithValue(id, object, kComponents, "False", kTime, "00", Activation::Immediate), id);
    }
    ControlConfirmation Operate(const std::string& object, const AttributeRecords& components = kComponents) {
        std::uint32_t id = 0;
        return Wait(client->Operate(id, object, components, "False", kTime, "00", Activation::Immediate), id);
    }
    ControlConfirmation Cancel(const std::string& object) {
        std::uint32_t id = 0;
        return Wait(client->Cancel(id, object, kComponents, "False", kTime, Activation::Immediate), id);
    }
    std::string Position(ControlModel model) {
        return session.device.GetValue("LD0/CSWI" + std::to_string(static_cast<int>(model)) + "$ST$Pos$stVal");
    }

    DeviceSession session;
    ControlClient* client = nullptr;
};

void ExpectAccepted(const ControlConfirmation& confirmation, const char* callback) {
    EXPECT_EQ(confirmation.callback, callback);
    EXPECT_EQ(confirmation.result, System::OkNoError);
    EXPECT_EQ(confirmation.serviceError, 0);
    EXPECT_EQ(confirmation.controlError, 0);
}

TEST_F(Controls, EachControlModelOperatesAsTheDeviceAllows) {
    // Direct with normal security: operate alone.
    ExpectAccepted(Operate(ObjectOf(ControlModel::DirectNormal)), "Operate");
    EXPECT_EQ(Position(ControlModel::DirectNormal), "10");
    EXPECT_EQ(session.device.GetValue("LD0/CSWI1$CO$Pos$Oper$ctlNum"), "42");
    EXPECT_EQ(session.device.GetValue("LD0/CSWI1$CO$Pos$Oper$origin$orIdent"), "5178");

    // SBO with normal security: the SBO read names the object, then operate; a cancel
    // after a second select.
    const ControlConfirmation selected = Select(ObjectOf(ControlModel::SboNormal));
    ExpectAccepted(selected, "Select");
    EXPECT_EQ(selected.answer, "LD0/CSWI2$CO$Pos");
    ExpectAccepted(Operate(ObjectOf(ControlModel::SboNormal)), "Operate");
    EXPECT_EQ(Position(ControlModel::SboNormal), "10");
    ExpectAccepted(Select(ObjectOf(ControlModel::SboNormal)), "Select");
    ExpectAccepted(Cancel(ObjectOf(ControlModel::SboNormal)), "Cancel");
    EXPECT_EQ(session.device.GetValue("LD0/CSWI2$ST$Pos$stSeld"), "False");

    // Direct with enhanced security: operate, then its positive command termination.
    ExpectAccepted(Operate(ObjectOf(ControlModel::DirectEnhanced)), "Operate");
    ASSERT_TRUE(client->WaitForTerminations(1));

    // SBO with enhanced security: select with value, operate, termination; then select
    // with value and cancel.
    ExpectAccepted(SelectWithValue(ObjectOf(ControlModel::SboEnhanced)), "SelectWithValue");
    EXPECT_EQ(session.device.GetValue("LD0/CSWI4$ST$Pos$stSeld"), "True");
    ExpectAccepted(Operate(ObjectOf(ControlModel::SboEnhanced)), "Operate");
    EXPECT_EQ(Position(ControlModel::SboEnhanced), "10");
    ASSERT_TRUE(client->WaitForTerminations(2));
    ExpectAccepted(SelectWithValue(ObjectOf(ControlModel::SboEnhanced)), "SelectWithValue");
    ExpectAccepted(Cancel(ObjectOf(ControlModel::SboEnhanced)), "Cancel");
    EXPECT_EQ(session.device.GetValue("LD0/CSWI4$ST$Pos$stSeld"), "False");

    // Positive terminations: the control object in the model, no LastApplError.
    const std::vector<Termination> terminations = client->Terminations();
    ASSERT_EQ(terminations.size(), 2u);
    for (const Termination& termination : terminations) {
        EXPECT_EQ(termination.result, System::OkNoError);
        EXPECT_FALSE(termination.lastApplError);
        EXPECT_NE(termination.controlObject.find(".Pos.Oper"), std::string::npos) << termination.controlObject;
        EXPECT_EQ(FindValue(termination.objectValues, termination.controlObject + ".ctlNum"), "42");
    }
}

TEST_F(Controls, NegativeCommandTerminationCarriesTheLastApplError) {
    for (const ControlModel model : {ControlModel::DirectEnhanced, ControlModel::SboEnhanced}) {
        SCOPED_TRACE(static_cast<int>(model));
        client->ClearReceived();
        DeviceObject(model).FailTermination(ControlObject::NotSupported);
        if (model == ControlModel::SboEnhanced) ExpectAccepted(SelectWithValue(ObjectOf(model)), "SelectWithValue");
        ExpectAccepted(Operate(ObjectOf(model)), "Operate");
        ASSERT_TRUE(client->WaitForTerminations(1));
        const Termination termination = client->Terminations()[0];
        EXPECT_EQ(termination.result, System::OkNoError);
        ASSERT_TRUE(termination.lastApplError);
        const std::string n = std::to_string(static_cast<int>(model));
        const std::vector<ValueRecord> expected = {
            {"", "LastApplError.CntrlObj", "LD0/CSWI" + n + ".CO.Pos.Oper"},
            {"", "LastApplError.Error", "1"},
            {"", "LastApplError.origin.orCat", "3"},
            {"", "LastApplError.origin.orIdent", "5178"},
            {"", "LastApplError.ctlNum", "42"},
            {"", "LastApplError.AddCause", "1"},
        };
        EXPECT_EQ(termination.lastApplErrorRecords, expected);
        EXPECT_EQ(termination.controlObject, "LD0/CSWI" + n + ".Pos.Oper");
        // The same report also reaches OnReport as one that no block takes.
        ASSERT_TRUE(client->WaitForReports(1));
        EXPECT_EQ(client->Received()[0].serviceError, 12);
        EXPECT_EQ(client->Received()[0].block, "");
        DeviceObject(model).FailTermination(0);
    }
}

// The device answers an Operate and then sends its negative termination while the
// association's thread is still in the Operate's send (held right after its write): the
// answer is confirmed on that thread, the termination arrives on the receive thread before
// it, and still the client hears the Operate first, then the termination, once each. When
// the device drops the link meanwhile, the receive thread ends the association at once, and
// its OnAbort still comes last.
TEST_F(Controls, AnOperatesConfirmationIsToldBeforeItsCommandTerminationWhicheverThreadEachComesOn) {
    DeviceObject(ControlModel::DirectEnhanced).FailTermination(ControlObject::NotSupported);
    for (const bool drop : {false, true}) {
        SCOPED_TRACE(drop ? "the device drops the link" : "the association stands");
        for (int round = 0; round < (drop ? 20 : 100); ++round) {
            SCOPED_TRACE(round);
            if (!client->GetAssociation()->IsAssociated()) {
                client->StartOverWithControls();
                ASSERT_EQ(session.Associate(), System::OkNoError);
            }
            TPAppAssociation& association = *client->GetAssociation();
            client->ClearReceived();
            const std::size_t toldBefore = client->Told().size();
            const std::size_t abortsBefore = client->Aborts().size();
            SentHold sent;
            sent.Arm(association);
            std::uint32_t id = 0;
            ASSERT_EQ(client->Operate(id, ObjectOf(ControlModel::DirectEnhanced), kComponents, "False", kTime, "00",
                                      Activation::Immediate),
                      System::OkNoError);
            ASSERT_TRUE(sent.WaitUntilHeld());
            // The termination is in: kept, or (were it not) told already.
            EXPECT_TRUE(TestSupport::Eventually(
                [&] { return association.GetTerminationHold().KeptCount() == 1 || !client->Terminations().empty(); }));
            if (drop) {
                session.relay->DropConnection(session.relay->Connections() - 1);
                // The end is in: owed to the client, or (were it not) told already.
                EXPECT_TRUE(TestSupport::Eventually([&] {
                    return association.EndingsAwaitingConfirmations() == 1 || client->Aborts().size() > abortsBefore;
                }));
            }
            sent.Release();
            ExpectAccepted(client->WaitForControl(id), "Operate");
            ASSERT_TRUE(client->WaitForTerminations(1));
            if (drop) {
                ASSERT_TRUE(TestSupport::Eventually([&] { return client->Aborts().size() > abortsBefore; }));
            }
            sent.Disarm();
            const std::vector<std::string> told = client->Told();
            std::vector<std::string> expected = {"Operate", "CommandTermination"};
            if (drop) expected.emplace_back("Abort");
            EXPECT_EQ(std::vector<std::string>(told.begin() + static_cast<std::ptrdiff_t>(toldBefore), told.end()),
                      expected);
            EXPECT_TRUE(client->Terminations()[0].lastApplError);
            EXPECT_EQ(association.GetTerminationHold().KeptCount(), 0u);
            EXPECT_EQ(association.EndingsAwaitingConfirmations(), 0u);
        }
    }
    DeviceObject(ControlModel::DirectEnhanced).FailTermination(0);
}

TEST_F(Controls, RefusedControlsReportLastApplErrorThenTheAccessError) {
    struct Case {
        const char* name;
        ControlModel model;
        const char* callback;
        const char* part;
    };
    const Case cases[] = {
        {"operate", ControlModel::DirectNormal, "Operate", "Oper"},
        {"select with value", ControlModel::SboEnhanced, "SelectWithValue", "SBOw"},
        {"cancel", ControlModel::DirectEnhanced, "Cancel", "Cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        client->ClearReceived();
        DeviceObject(c.model).Block(7);
        const std::string object = ObjectOf(c.model);
        const ControlConfirmation refused = std::string(c.callback) == "Operate"           ? Operate(object)
                                            : std::string(c.callback) == "SelectWithValue" ? SelectWithValue(object)
                                                                                           : Cancel(object);
        DeviceObject(c.model).Block(0);
        EXPECT_EQ(refused.callback, c.callback);
        EXPECT_EQ(refused.result, System::Error);
        EXPECT_EQ(refused.serviceError, 3);  // object-access-denied: access-violation
        EXPECT_EQ(refused.controlError, 3);
        // The LastApplError came first, on the same connection, before the answer.
        const std::vector<Termination> terminations = client->Terminations();
        ASSERT_EQ(terminations.size(), 1u);
        EXPECT_TRUE(terminations[0].lastApplError);
        EXPECT_EQ(terminations[0].controlObject, "");
        EXPECT_EQ(FindValue(terminations[0].lastApplErrorRecords, "LastApplError.AddCause"), "7");
        EXPECT_EQ(FindValue(terminations[0].lastApplErrorRecords, "LastApplError.CntrlObj"),
                  "LD0/CSWI" + std::to_string(static_cast<int>(c.model)) + ".CO.Pos." + c.part);
    }
}

TEST_F(Controls, RefusedSelectIsConfirmedAsRefusedAndTheModelKeepsTheAnswer) {
    DeviceObject(ControlModel::SboNormal).Block(7);
    const ControlConfirmation refused = Select(ObjectOf(ControlModel::SboNormal));
    EXPECT_EQ(refused.result, System::Error);
    EXPECT_EQ(refused.serviceError, 4);
    EXPECT_EQ(refused.answer, "");
    DeviceObject(ControlModel::SboNormal).Block(0);

    // The SBO text as the device answered it is in the model.
    const Confirmation read = session.Call([](RecordingClient& c, std::uint32_t& id) {
        return c.GetDataValues(id, {"CO", "LD0/CSWI2.Pos.SBO"}, AnswerFrom::Model);
    });
    ASSERT_EQ(read.values.size(), 1u);
    EXPECT_EQ(read.values[0].value, "");
}

TEST_F(Controls, RequestsRefusedBeforeAnythingIsSent) {
    const std::size_t before = session.device.RequestCount();
    const std::string object = ObjectOf(ControlModel::DirectNormal);
    std::uint32_t id = 0;
    struct Case {
        const char* name;
        System::ResultCode result;
        System::ResultCode expected;
    };
    AttributeRecords withOperTm = kComponents;
    withOperTm.emplace_back("operTm", kTime);
    const Case cases[] = {
        {"select not by reading SBO", client->Select(id, object, SelectBy::Unsupported), System::NotSupported},
        {"time activation", client->Operate(id, object, kComponents, "False", kTime, "00", Activation::Timed),
         System::NotSupported},
        {"no components", client->Operate(id, object, {}, "False", kTime, "00", Activation::Immediate),
         System::InvalidArguments},
        {"operTm in an operate", client->Operate(id, object, withOperTm, "False", kTime, "00", Activation::Immediate),
         System::InvalidArguments},
        {"ctlNum above 255",
         client->Operate(id, object, {{"ctlVal", "True"}, {"ctlNum", "300"}}, "False", kTime, "00",
                         Activation::Immediate),
         System::InvalidArguments},
        {"ctlNum not a number",
         client->Operate(id, object, {{"ctlVal", "True"}, {"ctlNum", "x"}}, "False", kTime, "00",
                         Activation::Immediate),
         System::InvalidArguments},
        {"ctlNum negative",
         client->Cancel(id, object, {{"ctlVal", "True"}, {"ctlNum", "-1"}}, "False", kTime, Activation::Immediate),
         System::InvalidArguments},
        {"select with value, time activation",
         client->SelectWithValue(id, object, kComponents, "False", kTime, "00", Activation::Timed),
         System::NotSupported},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.name;

    // Confirmed without a request: an object the device did not describe, a structure it
    // does not have, a component that is not there, a value that does not fit its type.
    struct Confirmed {
        const char* name;
        ControlConfirmation confirmation;
        System::ResultCode result;
        std::int32_t serviceError;
    };
    const Confirmed confirmed[] = {
        {"unknown node", Operate("LD0/CSWI9.Pos"), System::InvalidArguments, 5},
        {"unknown object", Operate("LD0/CSWI1.Nothing"), System::InvalidArguments, 1},
        {"no SBO on a direct object", Select(object), System::InvalidArguments, 1},
        {"status-only object", Operate("LD0/XCBR1.Pos"), System::InvalidArguments, 1},
        {"unknown component", Operate(object, {{"ctlVal", "True"}, {"nothing", "1"}}), System::Error, 11},
        {"value of the wrong type", Operate(object, {{"ctlVal", ""}}), System::InvalidArguments, 5},
        {"orCat outside its type", Operate(object, {{"ctlVal", "True"}, {"ctlNum", "255"}, {"origin.orCat", "300"}}),
         System::OutOfRange, 11},
    };
    for (const Confirmed& c : confirmed) {
        EXPECT_EQ(c.confirmation.result, c.result) << c.name;
        EXPECT_EQ(c.confirmation.serviceError, c.serviceError) << c.name;
    }
    EXPECT_EQ(session.device.RequestCount(), before);
    // Cancel's operTm is a component like any other; it has no Check.
    EXPECT_EQ(Cancel(ObjectOf(ControlModel::DirectEnhanced)).serviceError, 0);
}

// A component gets its variable the first time a service asks for it, which files it with
// its domain. Selects, operates and their terminations, reads queued behind one another
// and data directories ask for theirs on the association's and the receive threads, while
// another thread makes and looks up variables under the model lock, as data-set creation
// and an ICD export's walk do: every making takes the lock too (ThreadSanitizer sees one
// without it against the other thread's lookups).
TEST_F(Controls, ServicesMakeComponentVariablesWhileAnotherThreadMakesAndLooksUpOthers) {
    using Target = std::pair<std::string, NamedObject*>;  // constraint, object
    std::vector<Target> reads;
    std::vector<Target> directories;
    LogicalDevice* device = nullptr;
    LogicalNode* mmxu = nullptr;
    {
        const Mms::ModelHold hold(session.server.get());
        device = session.server->FindDevice(hold, "LD0");
        ASSERT_NE(device, nullptr);
        mmxu = device->FindLogicalNode("MMXU1");
        ASSERT_NE(mmxu, nullptr);
        std::function<void(const std::string&, NamedObject&)> collect = [&](const std::string& fc, NamedObject& at) {
            for (NamedObject* child : at.GetChildren()) {
                if (child->GetBoundMmsObject() != nullptr) continue;
                // A read of a control's component would be a control of its own.
                if (child->GetChildren().empty() && fc != "CO") reads.emplace_back(fc, child);
                if (at.GetModelClass() == ModelClass::FunctionalConstraint) directories.emplace_back(fc, child);
                collect(fc, *child);
            }
        };
        for (const auto& [name, node] : device->GetLogicalNodes()) {
            if (name.rfind("CSWI", 0) != 0) continue;
            for (FunctionalConstraint* group : node->GetFcsInOrder()) collect(group->GetFc(), *group);
        }
    }
    ASSERT_GE(reads.size(), 8u);
    ASSERT_GE(directories.size(), 4u);

    std::atomic<bool> done{false};
    std::atomic<std::size_t> rounds{0};
    std::thread other([&] {
        const std::vector<ValueRecord> members = {{"MX", "LD0/MMXU1.TotW.mag.f", ""}, {"MX", "LD0/MMXU1.Hz", ""}};
        std::function<void(const Mms::ModelHold&, NamedObject&)> walk = [&](const Mms::ModelHold& hold,
                                                                            NamedObject& at) {
            if (auto* variable = dynamic_cast<Mms::NamedVariable*>(at.GetMmsObject(hold))) {
                EXPECT_EQ(device->GetDomain()->FindNamedVariable(variable->Name), variable);
            }
            for (NamedObject* child : at.GetChildren()) walk(hold, *child);
        };
        while (!done.load()) {
            DataSet* made = nullptr;
            EXPECT_EQ(CreateNodeDataSet(*mmxu, "raced", &members, made), System::OkNoError);
            const Mms::ModelHold hold(session.server.get());
            ASSERT_TRUE(hold.Taken());
            // The export's walk makes the variables of every node the services leave alone,
            // and every listed name is looked up, the services' among them.
            for (const auto& [name, node] : device->GetLogicalNodes()) {
                if (name.rfind("CSWI", 0) != 0) walk(hold, *node);
            }
            for (std::size_t i = 0; i < device->directoryNames.size(); ++i) {
                device->GetDomain()->FindFiledVariable(device->directoryNames[i]);
            }
            if (made != nullptr) {
                Mms::NamedVariableList* list = made->GetList();
                EXPECT_EQ(RemoveDataSet(*made), System::OkNoError);
                if (device->GetDomain()->RemoveNamedVariableList(list) == System::OkNoError) delete list;
            }
            rounds.fetch_add(1);
        }
    });

    ExpectAccepted(Select(ObjectOf(ControlModel::SboNormal)), "Select");
    ExpectAccepted(Operate(ObjectOf(ControlModel::SboNormal)), "Operate");
    ExpectAccepted(Operate(ObjectOf(ControlModel::DirectEnhanced)), "Operate");
    ExpectAccepted(SelectWithValue(ObjectOf(ControlModel::SboEnhanced)), "SelectWithValue");
    ExpectAccepted(Operate(ObjectOf(ControlModel::SboEnhanced)), "Operate");
    EXPECT_TRUE(client->WaitForTerminations(2));
    // Posted at once: all but the first wait behind another and are executed on the
    // association's thread.
    std::vector<std::uint32_t> ids;
    for (const std::vector<Target>* targets : {&reads, &directories}) {
        for (const auto& [fc, object] : *targets) {
            std::uint32_t id = 0;
            const std::string reference = object->GetReference();
            ASSERT_EQ(targets == &reads ? client->GetDataValues(id, {fc, reference}, AnswerFrom::Device)
                                        : client->GetDataDirectory(id, reference, fc, AnswerFrom::Device),
                      System::OkNoError);
            ids.push_back(id);
        }
    }
    for (const std::uint32_t id : ids) EXPECT_EQ(client->WaitFor(id).serviceError, 0) << id;
    EXPECT_TRUE(TestSupport::Eventually([&] { return rounds.load() > 0; }));
    done.store(true);
    other.join();

    // Each asked for its variable once, the one its domain files under its name.
    const Mms::ModelHold hold(session.server.get());
    for (const std::vector<Target>* targets : {&reads, &directories}) {
        for (const auto& [fc, object] : *targets) {
            auto* variable = dynamic_cast<Mms::NamedVariable*>(object->GetBoundMmsObject());
            ASSERT_NE(variable, nullptr) << object->GetReference();
            EXPECT_EQ(device->GetDomain()->FindFiledVariable(variable->Name), variable);
        }
    }
}

TEST_F(Controls, ControlsAsWiresharkReadsThem) {
    REQUIRE_WIRESHARK();
    ExpectAccepted(Select(ObjectOf(ControlModel::SboNormal)), "Select");
    ExpectAccepted(Operate(ObjectOf(ControlModel::SboNormal)), "Operate");
    ExpectAccepted(SelectWithValue(ObjectOf(ControlModel::SboEnhanced)), "SelectWithValue");
    ExpectAccepted(Cancel(ObjectOf(ControlModel::SboEnhanced)), "Cancel");
    ExpectAccepted(Operate(ObjectOf(ControlModel::DirectEnhanced)), "Operate");
    ASSERT_TRUE(client->WaitForTerminations(1));
    ASSERT_EQ(session.client->Release(), System::OkNoError);
    ASSERT_TRUE(TestSupport::Eventually([&] { return !session.client->IsAssociated(); }));

    const auto units = session.relay->Units(0);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* name : {"CSWI2$CO$Pos$SBO", "CSWI2$CO$Pos$Oper", "CSWI4$CO$Pos$SBOw", "CSWI4$CO$Pos$Cancel",
                             "CSWI3$CO$Pos$Oper", "informationReport"}) {
        EXPECT_NE(decoded.find(name), std::string::npos) << name;
    }
    // Each control writes its structure once, with the components in the device's order.
    std::size_t writes = 0;
    for (const std::string& line : TestSupport::DecodeFields(units, {"mms.confirmedServiceRequest"})) {
        if (line == "5") ++writes;
    }
    EXPECT_EQ(writes, 4u);
}

}  // namespace
}  // namespace AcsiClientTest
