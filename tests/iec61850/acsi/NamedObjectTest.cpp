#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "iec61850/acsi/TestModel.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/NamedObject.h"
#include "mms/user/Domain.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Container.h"
#include "mms/values/Structure.h"

namespace Iec61850::Acsi {
namespace {

using Scl::BasicTypeCode;
using TestModel::AddItem;
using TestModel::AddNode;
using TestModel::Item;

Mms::NamedVariable* VariableOf(const NamedObject* object) {
    const Mms::ModelHold hold(nullptr);  // a model without a VMD meets no other thread
    Mms::MmsObject* bound = object != nullptr ? object->GetMmsObject(hold) : nullptr;
    if (bound == nullptr || bound->GetClassId() != Mms::NamedVariableClassId) return nullptr;
    return static_cast<Mms::NamedVariable*>(bound);
}

// A device RELAYLD0 with LLN0 (Mod under ST and again under CF) and MMXU1 (a measured
// value with a sub-data object, down to the float), as the model lays them out.
class RelayModel : public ::testing::Test {
protected:
    RelayModel() {
        lln0 = AddNode(device, "LLN0");
        modSt = AddItem(lln0->GetGroup("ST"), "Mod", ModelClass::Data, BasicTypeCode::Struct);
        stVal = AddItem(*modSt, "stVal", ModelClass::DataAttribute, BasicTypeCode::Enum);
        q = AddItem(*modSt, "q", ModelClass::DataAttribute, BasicTypeCode::Quality);
        modCf = AddItem(lln0->GetGroup("CF"), "Mod", ModelClass::Data, BasicTypeCode::Struct);
        ctlModel = AddItem(*modCf, "ctlModel", ModelClass::DataAttribute, BasicTypeCode::Enum);
        mmxu = AddNode(device, "MMXU1");
        a = AddItem(mmxu->GetGroup("MX"), "A", ModelClass::Data, BasicTypeCode::Struct);
        phsA = AddItem(*a, "phsA", ModelClass::Data, BasicTypeCode::Struct);
        cVal = AddItem(*phsA, "cVal", ModelClass::DataAttribute, BasicTypeCode::Struct);
        mag = AddItem(*cVal, "mag", ModelClass::DataAttribute, BasicTypeCode::Struct);
        f = AddItem(*mag, "f", ModelClass::DataAttribute, BasicTypeCode::FLOAT32);
    }

    // Declared first, so it outlives the model bound to its variables.
    Mms::Domain domain{nullptr, "RELAYLD0", nullptr};
    TestModel::Device device{domain};
    TestModel::Node* lln0 = nullptr;
    TestModel::Node* mmxu = nullptr;
    Item* modSt = nullptr;
    Item* stVal = nullptr;
    Item* q = nullptr;
    Item* modCf = nullptr;
    Item* ctlModel = nullptr;
    Item* a = nullptr;
    Item* phsA = nullptr;
    Item* cVal = nullptr;
    Item* mag = nullptr;
    Item* f = nullptr;
};

TEST_F(RelayModel, ReferencesAndMmsNamesAtEveryDepth) {
    ASSERT_NE(f, nullptr);
    struct Row {
        const NamedObject* object;
        const char* reference;
        const char* mmsName;
        const char* fc;
    };
    const std::vector<Row> rows = {
        {lln0, "RELAYLD0/LLN0", "LLN0", ""},
        {&lln0->GetGroup("ST"), "RELAYLD0/LLN0", "LLN0$ST", "ST"},
        {modSt, "RELAYLD0/LLN0.Mod", "LLN0$ST$Mod", "ST"},
        {stVal, "RELAYLD0/LLN0.Mod.stVal", "LLN0$ST$Mod$stVal", "ST"},
        {q, "RELAYLD0/LLN0.Mod.q", "LLN0$ST$Mod$q", "ST"},
        {modCf, "RELAYLD0/LLN0.Mod", "LLN0$CF$Mod", "CF"},
        {ctlModel, "RELAYLD0/LLN0.Mod.ctlModel", "LLN0$CF$Mod$ctlModel", "CF"},
        {a, "RELAYLD0/MMXU1.A", "MMXU1$MX$A", "MX"},
        {phsA, "RELAYLD0/MMXU1.A.phsA", "MMXU1$MX$A$phsA", "MX"},
        {cVal, "RELAYLD0/MMXU1.A.phsA.cVal", "MMXU1$MX$A$phsA$cVal", "MX"},
        {f, "RELAYLD0/MMXU1.A.phsA.cVal.mag.f", "MMXU1$MX$A$phsA$cVal$mag$f", "MX"},
    };
    EXPECT_EQ(device.GetReference(), "RELAYLD0");
    EXPECT_EQ(device.GetBoundMmsObject(), &domain);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mmsName);
        EXPECT_EQ(row.object->GetReference(), row.reference);
        EXPECT_EQ(row.object->GetFcName(), row.fc);
        Mms::NamedVariable* variable = VariableOf(row.object);
        ASSERT_NE(variable, nullptr);
        EXPECT_EQ(variable->Name, row.mmsName);
        // Filed once, with the device's domain, and nested in its parent's value.
        EXPECT_EQ(domain.FindNamedVariable(row.mmsName), variable);
        EXPECT_EQ(variable->GetOwner(), &domain);
        Mms::NamedVariable* above = VariableOf(row.object->GetParent());
        if (above != nullptr) {
            ASSERT_NE(variable->GetValue(), nullptr);
            EXPECT_EQ(variable->GetValue()->GetParent(), above->GetValue());
            EXPECT_EQ(variable->GetValue()->GetName(), row.object->GetMmsComponent());
        }
    }
    // A group hides: no name, its node's reference.
    EXPECT_EQ(lln0->GetGroup("ST").GetName(), "");
}

TEST_F(RelayModel, AnObjectWithoutParentIsAnAssociationObject) {
    Item dataSet(nullptr, "DS1", ModelClass::DataSet);
    EXPECT_EQ(dataSet.GetReference(), "@DS1");
    EXPECT_EQ(dataSet.GetServer(), nullptr);
    EXPECT_EQ(dataSet.GetFcName(), "");
    EXPECT_EQ(dataSet.GetLogicalDeviceName(), "");
    EXPECT_EQ(dataSet.GetLogicalNodeName(), "");
}

TEST_F(RelayModel, NamesOfTheNearestGroupNodeAndDevice) {
    EXPECT_EQ(f->GetLogicalNodeName(), "MMXU1");
    EXPECT_EQ(f->GetLogicalDeviceName(), "RELAYLD0");
    EXPECT_EQ(stVal->GetLogicalNodeName(), "LLN0");
    EXPECT_EQ(lln0->GetLogicalNodeName(), "LLN0");
    EXPECT_EQ(lln0->GetFcName(), "");
    EXPECT_EQ(device.GetLogicalNodeName(), "");
    EXPECT_EQ(device.GetLogicalDeviceName(), "RELAYLD0");
}

TEST_F(RelayModel, FindNeedsTheConstraintAsWellAsTheReference) {
    struct Row {
        const char* fc;
        const char* reference;
        const NamedObject* expected;
    };
    const std::vector<Row> rows = {
        {"ST", "RELAYLD0/LLN0.Mod", modSt},
        {"CF", "RELAYLD0/LLN0.Mod", modCf},
        {"MX", "RELAYLD0/LLN0.Mod", nullptr},
        {"", "RELAYLD0/LLN0.Mod", nullptr},
        {"ST", "RELAYLD0/LLN0.Mod.stVal", stVal},
        {"CF", "RELAYLD0/LLN0.Mod.stVal", nullptr},
        {"MX", "RELAYLD0/MMXU1.A.phsA.cVal.mag.f", f},
        {"", "RELAYLD0/LLN0", lln0},
        {"ST", "RELAYLD0/LLN0", &lln0->GetGroup("ST")},
        {"", "RELAYLD0", &device},
        {"st", "RELAYLD0/LLN0.Mod", nullptr},
        {"ST", "relayld0/LLN0.Mod", nullptr},
        {"ST", "RELAYLD0/LLN0.Mod.", nullptr},
        // References are compared piece by piece up the tree: separators and name borders count.
        {"ST", "RELAYLD0.LLN0.Mod", nullptr},
        {"ST", "RELAYLD0/LLN0/Mod", nullptr},
        {"ST", "RELAYLD0/LLN0Mod", nullptr},
        {"ST", "RELAYLD0/LLN0.Mod.stVal.", nullptr},
        {"", "/RELAYLD0", nullptr},
        {"", "XRELAYLD0/LLN0", nullptr},
        {"", "@RELAYLD0", nullptr},
    };
    for (const Row& row : rows) {
        NamedObject* found = &device;
        EXPECT_EQ(device.Find(row.fc, row.reference, found), System::OkNoError);
        EXPECT_EQ(found, row.expected) << row.fc << " " << row.reference;
    }
    // From inside the tree, only that subtree is searched.
    NamedObject* found = nullptr;
    mmxu->Find("ST", "RELAYLD0/LLN0.Mod", found);
    EXPECT_EQ(found, nullptr);
}

TEST_F(RelayModel, FindAncestorByObjectClass) {
    struct Row {
        const NamedObject* from;
        std::int32_t objectClass;
        System::ResultCode result;
        const NamedObject* expected;
    };
    const std::vector<Row> rows = {
        {f, ObjectClassLogicalDevice, System::OkNoError, &device},
        {f, ObjectClassLogicalNode, System::OkNoError, mmxu},
        {f, ObjectClassData, System::OkNoError, phsA},
        {f, ObjectClassDataAttribute, System::OkNoError, f},
        {stVal, ObjectClassLogicalNode, System::OkNoError, lln0},
        {modSt, ObjectClassData, System::OkNoError, modSt},
        {modSt, ObjectClassDataAttribute, System::NotFound, nullptr},
        {&device, ObjectClassLogicalNode, System::NotFound, nullptr},
        {f, ObjectClassFile, System::NotSupported, nullptr},
        {f, ObjectClassDataSet, System::NotSupported, nullptr},
        {f, 0, System::NotSupported, nullptr},
    };
    for (const Row& row : rows) {
        NamedObject* found = nullptr;
        EXPECT_EQ(row.from->FindAncestor(row.objectClass, found), row.result)
            << row.from->GetReference() << " " << row.objectClass;
        EXPECT_EQ(found, row.expected) << row.from->GetReference() << " " << row.objectClass;
    }
}

TEST_F(RelayModel, IsKindOfByExactClassFamilyOrAnyAndByState) {
    Item plain(modSt, "[0]", ModelClass::DataItem);
    struct Row {
        const NamedObject* object;
        ModelClass asked;
        std::uint32_t expected;
    };
    const std::vector<Row> rows = {
        {modSt, ModelClass::DataItemFamily, 1},
        {stVal, ModelClass::DataItemFamily, 1},
        {&plain, ModelClass::DataItemFamily, 1},
        {lln0, ModelClass::DataItemFamily, 0},
        {modSt, ModelClass::Data, 1},
        {stVal, ModelClass::Data, 0},
        {stVal, ModelClass::DataAttribute, 1},
        {&plain, ModelClass::DataAttribute, 0},
        {lln0, ModelClass::LLN0, 1},
        {lln0, ModelClass::LogicalNode, 0},
        {mmxu, ModelClass::LogicalNode, 1},
        {&device, ModelClass::LogicalDevice, 1},
        {&device, ModelClass::Any, 1},
        {&lln0->GetGroup("ST"), ModelClass::Any, 1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.object->IsKindOf(row.asked, AnyObjectState), row.expected)
            << row.object->GetReference() << " " << static_cast<int>(row.asked);
    }
    EXPECT_FALSE(stVal->IsRead());
    EXPECT_EQ(stVal->SetState(ObjectState::Read), ObjectState::Read);
    EXPECT_TRUE(stVal->IsRead());
    EXPECT_EQ(stVal->IsKindOf(ModelClass::DataAttribute, ObjectState::Read), 1u);
    EXPECT_EQ(stVal->IsKindOf(ModelClass::DataAttribute, ObjectState::DirectoryAsked), 0u);
    EXPECT_EQ(q->IsKindOf(ModelClass::DataAttribute, ObjectState::Read), 0u);
}

TEST_F(RelayModel, ValuesThroughTheBoundVariables) {
    std::string text;
    EXPECT_EQ(stVal->ValueFromText("3"), System::OkNoError);
    EXPECT_EQ(modSt->GetChild("stVal", text), System::OkNoError);
    EXPECT_EQ(text, "3");
    // A text that does not fit the type is refused and the value kept.
    EXPECT_EQ(stVal->ValueFromText("300"), System::OutOfRange);
    EXPECT_EQ(stVal->ValueFromText("abc"), System::InvalidArguments);
    EXPECT_EQ(stVal->ValueToText(text), System::OkNoError);
    EXPECT_EQ(text, "3");

    EXPECT_EQ(modSt->GetChild("nothing", text), System::InvalidArguments);
    Mms::Container* value = nullptr;
    EXPECT_EQ(modSt->GetChildValue("stVal", value), System::OkNoError);
    EXPECT_EQ(value, VariableOf(stVal)->GetValue());
    value = VariableOf(stVal)->GetValue();
    EXPECT_EQ(modSt->GetChildValue("nothing", value), System::InvalidArguments);
    EXPECT_EQ(value, nullptr);

    // Objects that are not bound to a named variable.
    auto unbound = std::make_unique<Item>(modSt, "unbound", ModelClass::DataAttribute);
    ASSERT_EQ(modSt->AdoptChild(std::move(unbound)), System::OkNoError);
    EXPECT_EQ(modSt->GetChild("unbound", text), System::NotSupported);
    value = VariableOf(stVal)->GetValue();
    EXPECT_EQ(modSt->GetChildValue("unbound", value), System::NotSupported);
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(device.ValueToText(text), System::NotSupported);
    EXPECT_EQ(device.ValueFromText("1"), System::NotSupported);
    EXPECT_EQ(device.GetValue(value), System::NotSupported);
}

TEST_F(RelayModel, BindVariableOnceAndNeverOnTheDevice) {
    EXPECT_EQ(device.BindVariable(BasicTypeCode::Struct), System::NotSupported);
    Mms::MmsObject* first = stVal->GetBoundMmsObject();
    EXPECT_EQ(stVal->BindVariable(BasicTypeCode::INT32), System::OkNoError);
    EXPECT_EQ(stVal->GetBoundMmsObject(), first);
    // A second object of the same name below the same parent finds the variable there.
    Item twin(modSt, "stVal", ModelClass::DataAttribute);
    EXPECT_EQ(twin.BindVariable(BasicTypeCode::Enum), System::OkNoError);
    EXPECT_EQ(twin.GetBoundMmsObject(), first);
    EXPECT_EQ(static_cast<Mms::Structure*>(VariableOf(modSt)->GetValue())->GetComponentCount(), 2u);
}

TEST_F(RelayModel, ChildrenKeepTheirOrderAndOneOwner) {
    std::list<NamedObject*> found;
    EXPECT_EQ(modSt->CollectByName("q", found), System::OkNoError);
    EXPECT_EQ(found, (std::list<NamedObject*>{q}));
    EXPECT_EQ(modSt->GetChildren(), (std::vector<NamedObject*>{stVal, q}));
    // The node owns its groups; its children list names them too.
    EXPECT_EQ(lln0->GetChildren().size(), 2u);
    EXPECT_EQ(lln0->FindOwnedChild(""), nullptr);
    EXPECT_EQ(device.GetChildren(), (std::vector<NamedObject*>{lln0, mmxu}));

    auto again = std::make_unique<Item>(modSt, "q", ModelClass::DataAttribute);
    EXPECT_EQ(modSt->AdoptChild(std::move(again)), System::AlreadyExist);
    EXPECT_EQ(modSt->GetChildren().size(), 2u);

    std::unique_ptr<NamedObject> taken = modSt->ReleaseChild("q");
    EXPECT_EQ(taken.get(), q);
    EXPECT_EQ(modSt->GetChildren(), (std::vector<NamedObject*>{stVal}));
    EXPECT_EQ(modSt->ReleaseChild("q"), nullptr);
    EXPECT_EQ(modSt->CollectByClass(ObjectClassDataAttribute, found), System::OkNoError);
    EXPECT_EQ(found.size(), 1u);
}

TEST(NamedObjectWithoutDomain, OwnsTheVariablesNoDomainHolds) {
    // A parentless structure with a member: both variables belong to their objects and go
    // with them (AddressSanitizer sees any leak or double free).
    auto set = std::make_unique<Item>(nullptr, "DS1", ModelClass::DataSet);
    ASSERT_EQ(set->BindVariable(BasicTypeCode::Struct), System::OkNoError);
    Item* member = AddItem(*set, "a", ModelClass::DataAttribute, BasicTypeCode::INT16);
    ASSERT_NE(member, nullptr);
    Mms::NamedVariable* variable = VariableOf(member);
    EXPECT_EQ(variable->Name, "DS1$a");
    EXPECT_EQ(variable->GetOwner(), nullptr);
    EXPECT_EQ(variable->GetValue()->GetParent(), VariableOf(set.get())->GetValue());
    EXPECT_EQ(member->ValueFromText("-32768"), System::OkNoError);
    // The member may go first, or with its parent.
    set->ReleaseChild("a").reset();
    EXPECT_EQ(static_cast<Mms::Structure*>(VariableOf(set.get())->GetValue())->GetComponentCount(), 1u);
    Item* other = AddItem(*set, "b", ModelClass::DataAttribute, BasicTypeCode::BOOLEAN);
    ASSERT_NE(other, nullptr);
    set.reset();
}

}  // namespace
}  // namespace Iec61850::Acsi
