// The named objects on their own: names, attributes, filing with owners, answers applied
// to variables and lists, information reports.

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "mms/ContainerTestSupport.h"
#include "mms/MmsObjectTestSupport.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/Domain.h"
#include "mms/user/IndexedItem.h"
#include "mms/user/InformationReport.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/PlainNamedObjects.h"
#include "mms/user/VMD.h"
#include "mms/values/Array.h"
#include "mms/values/Container.h"
#include "mms/values/Structure.h"

using namespace MmsObjectTest;
using ContainerTestSupport::DecodeHex;

namespace {

class DomainObjectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        domain = new Mms::Domain(nullptr, "LD0", &vmd);
        ASSERT_EQ(vmd.AddObject(domain), System::OkNoError);
        mod = AddVariable(*domain, "LLN0$ST$Mod", StatusType());
        beh = AddVariable(*domain, "LLN0$ST$Beh", StatusType());
        ASSERT_NE(mod, nullptr);
        ASSERT_NE(beh, nullptr);
    }

    Mms::VMD vmd;
    Mms::Domain* domain = nullptr;
    Mms::NamedVariable* mod = nullptr;
    Mms::NamedVariable* beh = nullptr;
};

TEST_F(DomainObjectsTest, VariablesNameThemselvesByTheirOwner) {
    std::string name;
    EXPECT_EQ(mod->GetName(name), System::OkNoError);
    EXPECT_EQ(name, "LD0/LLN0$ST$Mod");

    Mms::NamedVariable* top = AddVariable(vmd, "Clock", SimpleType(Mms::MmsTypeUtcTime));
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->GetName(name), System::OkNoError);
    EXPECT_EQ(name, "Clock");

    Mms::Variable plain;
    name = "x";
    EXPECT_EQ(plain.GetName(name), System::NotSupported);
    EXPECT_EQ(name, "");

    Mms::CoderValue<Mms::MmsObjectName> objectName(Mms::MmsObjectNameType);
    ASSERT_EQ(mod->ToObjectName(*objectName), System::OkNoError);
    EXPECT_EQ(objectName->present, Mms::MmsObjectNameDomainSpecific);
    Mms::CoderValue<Mms::MmsObjectName> topName(Mms::MmsObjectNameType);
    ASSERT_EQ(top->ToObjectName(*topName), System::OkNoError);
    EXPECT_EQ(topName->present, Mms::MmsObjectNameVmdSpecific);
}

TEST_F(DomainObjectsTest, AttributesAreTakenOrRefusedKeepingTheOldValue) {
    EXPECT_EQ(mod->SetAttribute("ErrStatus", "5"), System::OkNoError);
    EXPECT_EQ(mod->ErrStatus, 5);
    EXPECT_EQ(mod->SetAttribute("NoSuchAttribute", "1"), System::OkNoError);
    EXPECT_EQ(mod->SetAttribute("Deletable", "1"), System::OkNoError);
    EXPECT_TRUE(mod->Deletable);

    EXPECT_EQ(domain->SetAttribute("State", "7"), System::OkNoError);
    EXPECT_EQ(domain->SetAttribute("State", "16"), System::OutOfRange);
    EXPECT_EQ(domain->State, 7u);

    EXPECT_EQ(vmd.GetIdentity().vendorName, "Ostravin");
    EXPECT_EQ(vmd.GetIdentity().modelName, "MMS Server");
    EXPECT_EQ(vmd.GetIdentity().revision, "1.00");
    EXPECT_EQ(vmd.SetAttribute("LogicalStatus", "4"), System::OutOfRange);
    EXPECT_EQ(vmd.LogicalStatus, 0);
    EXPECT_EQ(vmd.SetAttribute("LogicalStatus", "3"), System::OkNoError);
    EXPECT_EQ(vmd.LogicalStatus, 3);
    EXPECT_EQ(vmd.SetAttribute("VendorName", "Maker"), System::OkNoError);
    EXPECT_EQ(vmd.GetIdentity().vendorName, "Maker");
}

TEST_F(DomainObjectsTest, FilingKeepsTheFirstObjectOfANameAndRefusesRenamingAFiledOne) {
    auto second = std::make_unique<Mms::NamedVariable>(nullptr, "LLN0$ST$Mod", domain);
    EXPECT_EQ(domain->AddObject(second.get()), System::Error);
    EXPECT_EQ(domain->FindNamedVariable("LLN0$ST$Mod"), mod);

    // Renamed while filed, the variable would sit in the map twice and die twice.
    EXPECT_EQ(mod->SetAttribute("Name", "Other"), System::InvalidState);
    EXPECT_EQ(mod->Name, "LLN0$ST$Mod");

    auto named = std::make_unique<Mms::NamedVariable>(domain);
    EXPECT_EQ(named->SetAttribute("Name", "LLN0$ST$Health"), System::OkNoError);
    EXPECT_EQ(domain->FindNamedVariable("LLN0$ST$Health"), named.release());

    Mms::ProgramInvocation invocation(nullptr, "P1", domain);
    EXPECT_EQ(domain->AddObject(&invocation), System::InvalidContext);
    EXPECT_EQ(vmd.AddObject(&invocation), System::InvalidContext);

    // A plain variable is held once however often it is offered.
    auto* unnamed = new Mms::Variable(domain);
    EXPECT_EQ(domain->AddObject(unnamed), System::OkNoError);
    EXPECT_EQ(domain->AddObject(unnamed), System::OkNoError);
    EXPECT_EQ(domain->GetUnnamedVariables().size(), 1u);
}

// Names are filed in one walk when they come in the map's order, but any order, repeats
// and names already filed give the same map: one object per name, the filed ones kept.
TEST_F(DomainObjectsTest, FiledNamesGiveOneObjectPerNameInAnyOrder) {
    const std::vector<System::NameList> lists{
        {"A", "LLN0$ST$Beh", "LLN0$ST$Health", "LLN0$ST$Mod", "Z"},
        {"Z", "LLN0$ST$Mod", "LLN0$ST$Health", "LLN0$ST$Beh", "A"},
        {"LLN0$ST$Health", "A", "A", "Z", "LLN0$ST$Health", "Z"},
        {"", "LLN0$ST$Health", "Z", "\xE9t\xE9", "A"},
    };
    for (const System::NameList& names : lists) {
        Mms::VMD ownVmd;
        auto* own = new Mms::Domain(nullptr, "LD0", &ownVmd);
        ASSERT_EQ(ownVmd.AddObject(own), System::OkNoError);
        Mms::NamedVariable* filed = AddVariable(*own, "LLN0$ST$Mod", StatusType());
        ASSERT_EQ(own->FileObjects(Mms::MmsClassNamedVariable, names), System::OkNoError);

        std::set<std::string> expected(names.begin(), names.end());
        expected.insert("LLN0$ST$Mod");
        std::vector<std::string> keys;
        for (const auto& [name, object] : *own->GetObjectMap(Mms::MmsClassNamedVariable)) {
            keys.emplace_back(name);
            EXPECT_EQ(static_cast<Mms::NamedVariable*>(object)->Name, name);
        }
        EXPECT_EQ(keys, std::vector<std::string>(expected.begin(), expected.end()));
        EXPECT_EQ(own->FindNamedVariable("LLN0$ST$Mod"), filed);
    }
}

TEST_F(DomainObjectsTest, ListsAreRemovedFromTheirOwnerOnce) {
    auto* list = new Mms::NamedVariableList("DataSet1", domain);
    ASSERT_EQ(list->ErrStatus, System::OkNoError);
    EXPECT_EQ(domain->FindNamedVariableList("DataSet1"), list);
    EXPECT_EQ(domain->RemoveNamedVariableList(list), System::OkNoError);
    EXPECT_EQ(domain->FindNamedVariableList("DataSet1"), nullptr);
    EXPECT_EQ(domain->RemoveNamedVariableList(list), System::Error);
    EXPECT_EQ(domain->RemoveNamedVariableList(mod), System::InvalidContext);
    delete list;

    // A second list of the same name is not filed and says so.
    Mms::NamedVariableList first("Same", domain);
    Mms::NamedVariableList second("Same", domain);
    EXPECT_EQ(second.ErrStatus, System::Error);
    EXPECT_EQ(domain->RemoveNamedVariableList(&first), System::OkNoError);
}

TEST_F(DomainObjectsTest, ListsNameThemselvesByTheirOwner) {
    const struct {
        Mms::MmsObject* owner;
        Mms::MmsObjectNameChoice choice;
    } rows[] = {
        {domain, Mms::MmsObjectNameDomainSpecific},
        {&vmd, Mms::MmsObjectNameVmdSpecific},
        {nullptr, Mms::MmsObjectNameAaSpecific},
        {mod, Mms::MmsObjectNameNone},
    };
    for (const auto& row : rows) {
        Mms::NamedVariableList list(nullptr, "DS", row.owner);
        Mms::CoderValue<Mms::MmsObjectName> name(Mms::MmsObjectNameType);
        const System::ResultCode result = list.ToObjectName(*name);
        EXPECT_EQ(result, row.choice == Mms::MmsObjectNameNone ? System::NotSupported : System::OkNoError);
        EXPECT_EQ(name->present, row.choice);
    }
}

TEST_F(DomainObjectsTest, TypesAreSetOnlyForVariablesOfADomainOrTheVmd) {
    Mms::NamedVariable loose(nullptr, "Loose", nullptr);
    EXPECT_EQ(Retype(loose, SimpleType(Mms::MmsTypeBoolean)), System::InvalidArguments);
    Mms::Variable plain;
    Mms::CoderValue<Mms::MmsTypeSpecification> spec(Mms::MmsTypeSpecificationType);
    EXPECT_EQ(plain.SetType(*spec), System::NotImplemented);

    // A new type replaces the value; the components bind to their "$" variables.
    Mms::NamedVariable* st = AddVariable(*domain, "LLN0$ST", SimpleType(Mms::MmsTypeBoolean));
    ASSERT_NE(st, nullptr);
    std::vector<std::pair<std::string, Type>> components;
    components.emplace_back("Mod", StatusType());
    components.emplace_back("Beh", StatusType());
    ASSERT_EQ(Retype(*st, StructureType(std::move(components))), System::OkNoError);
    EXPECT_EQ(mod->GetValue(), Component(*st, "Mod"));
    ASSERT_EQ(mod->GetValue()->GetParent(), st->GetValue());
    ASSERT_EQ(Component(*mod, "stVal")->FromText("3"), System::OkNoError);
    EXPECT_EQ(Text(Component(*st, "Mod$stVal")), "3");
}

TEST_F(DomainObjectsTest, ListReadAnswersGoToTheMembersInOrder) {
    Mms::NamedVariableList list(nullptr, "DS", domain);
    list.Members = {mod, beh};

    // One result short: nothing changes.
    Mms::CoderValue<Mms::MmsAccessResultList> results(Mms::MmsAccessResultListType);
    auto* first = Mms::MmsAppendNew(*results, Mms::MmsAccessResultType);
    first->present = Mms::MmsAccessResultSuccess;
    ContainerTestSupport::Data modValue = DecodeHex("A2 08 85 01 02 84 03 03 00 00");  // {2, q}
    ASSERT_NE(modValue.get(), nullptr);
    Mms::MmsTakeOver(first->choice.success, *modValue);
    EXPECT_EQ(list.ApplyReadResults(*results), System::InvalidArguments);
    EXPECT_EQ(mod->GetValue()->GetState(), Mms::StateNoValue);

    auto* second = Mms::MmsAppendNew(*results, Mms::MmsAccessResultType);
    second->present = Mms::MmsAccessResultFailure;
    second->choice.failure = Mms::MmsObjectNonExistent;
    EXPECT_EQ(list.ApplyReadResults(*results), System::OkNoError);
    EXPECT_EQ(Text(Component(*mod, "stVal")), "2");
    EXPECT_EQ(mod->GetValue()->GetState(), Mms::StateValid);
    // A failed member is marked, not left looking freshly read.
    EXPECT_EQ(beh->GetValue()->GetState(), Mms::StateAccessError);
    EXPECT_EQ(beh->GetValue()->ErrStatus, Mms::AccessErrorBase + Mms::MmsObjectNonExistent);
    EXPECT_EQ(beh->ErrStatus, Mms::AccessErrorBase + Mms::MmsObjectNonExistent);
}

TEST_F(DomainObjectsTest, ListWriteAnswersCarryOneResultPerMember) {
    Mms::NamedVariableList list(nullptr, "DS", domain);
    list.Members = {mod, beh};
    Mms::CoderValue<Mms::MmsWriteResponse> results(Mms::MmsWriteResponseType);
    Mms::MmsAppendNew(*results, Mms::MmsWriteResultType)->present = Mms::MmsWriteResultSuccess;
    const Mms::ModelHold hold(Mms::VMD::Of(&list));
    EXPECT_EQ(list.ApplyWriteResults(hold, *results), System::InvalidArguments);

    auto* refused = Mms::MmsAppendNew(*results, Mms::MmsWriteResultType);
    refused->present = Mms::MmsWriteResultFailure;
    refused->choice.failure = Mms::MmsObjectAccessDenied;
    const System::ResultCode outcome = list.ApplyWriteResults(hold, *results);
    EXPECT_EQ(outcome, Mms::AccessErrorBase + Mms::MmsObjectAccessDenied);
    EXPECT_EQ(list.ErrStatus, outcome);
    EXPECT_EQ(mod->ErrStatus, System::OkNoError);
    EXPECT_EQ(mod->GetValue()->GetState(), Mms::StateValid);
    EXPECT_EQ(beh->GetValue()->GetState(), Mms::StateAccessError);
}

TEST_F(DomainObjectsTest, ListMembersComeFromVariableSpecificationsOfTheVmd) {
    Mms::NamedVariableList list(nullptr, "DS", domain);
    Mms::CoderValue<Mms::MmsVariableList> variables(Mms::MmsVariableListType);
    ASSERT_EQ(Mms::MmsAppendVariableName(*variables, "LD0", "LLN0$ST$Beh"), System::OkNoError);
    ASSERT_EQ(Mms::MmsAppendVariableName(*variables, "LD0", "LLN0$ST$Mod"), System::OkNoError);
    ASSERT_EQ(list.SetMembers(*variables), System::OkNoError);
    EXPECT_EQ(list.Members, (std::list<Mms::Variable*>{beh, mod}));

    ASSERT_EQ(Mms::MmsAppendVariableName(*variables, "LD0", "Missing"), System::OkNoError);
    EXPECT_EQ(list.SetMembers(*variables), System::InvalidArguments);

    // Members that are given by address cannot be resolved.
    Mms::CoderValue<Mms::MmsVariableList> addressed(Mms::MmsVariableListType);
    Mms::CoderValue<Mms::MmsVariableSpecification> address(Mms::MmsVariableSpecificationType);
    address->present = Mms::MmsVariableSpecificationAddress;
    address->choice.address.present = Mms::MmsAddressNumeric;
    ASSERT_EQ(Mms::MmsAppendVariable(*addressed, *address), System::OkNoError);
    EXPECT_EQ(list.SetMembers(*addressed), System::NotSupported);
}

// Data-set members name parts of array variables with indexes in brackets: each name reaches
// its part or nothing.
TEST_F(DomainObjectsTest, IndexedItemsReachPartsOfArrayElements) {
    Mms::NamedVariable* har = AddVariable(*domain, "HA$phsAHar", ArrayType(3, StatusType()));
    ASSERT_NE(har, nullptr);
    auto* elements = static_cast<Mms::Array*>(har->GetValue());
    ASSERT_EQ(elements->GetElementCount(), 3u);
    auto* second = static_cast<Mms::Structure*>(elements->GetElement(1));
    struct Case {
        const char* item;
        Mms::Container* part;
        const char* componentItem;  // empty: not a name with an index
    };
    const Case cases[] = {
        {"HA$phsAHar(2)", elements->GetElement(2), "HA$phsAHar$[2]"},
        {"HA$phsAHar(01)$stVal", second->FindComponent("stVal"), "HA$phsAHar$[1]$stVal"},
        {"HA$phsAHar(3)", nullptr, "HA$phsAHar$[3]"},
        {"HA$phsAHar(1)$rms", nullptr, "HA$phsAHar$[1]$rms"},
        {"HA$phsAHar(1)$stVal(0)", nullptr, "HA$phsAHar$[1]$stVal$[0]"},
        {"LLN0$ST$Mod(0)", nullptr, "LLN0$ST$Mod$[0]"},
        {"HA$phsAHar", nullptr, ""},
        {"(1)", nullptr, ""},
        {"HA$phsAHar()", nullptr, ""},
        {"HA$phsAHar(x)", nullptr, ""},
        {"HA$phsAHar(-1)", nullptr, ""},
        {"HA$phsAHar(1", nullptr, ""},
        {"HA$phsAHar(1)stVal", nullptr, ""},
        {"HA$phsAHar(1)$", nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        EXPECT_EQ(Mms::FindIndexedValue(*domain, c.item), c.part);
        EXPECT_EQ(Mms::ComponentItemOf(c.item), c.componentItem);
    }
}

TEST_F(DomainObjectsTest, VariablesReportsKeepNamesAndValuesAligned) {
    Mms::CoderValue<Mms::MmsVariableList> variables(Mms::MmsVariableListType);
    Mms::CoderValue<Mms::MmsAccessResultList> results(Mms::MmsAccessResultListType);
    for (const char* item : {"LLN0$ST$Beh", "Missing", "LLN0$ST$Mod"}) {
        ASSERT_EQ(Mms::MmsAppendVariableName(*variables, "LD0", item), System::OkNoError);
    }
    const char* values[] = {"A2 08 85 01 05 84 03 03 00 00", nullptr, "A2 08 85 01 04 84 03 03 00 00"};
    for (const char* hex : values) {
        auto* result = Mms::MmsAppendNew(*results, Mms::MmsAccessResultType);
        if (hex == nullptr) {
            result->present = Mms::MmsAccessResultFailure;
            result->choice.failure = Mms::MmsObjectNonExistent;
            continue;
        }
        ContainerTestSupport::Data data = DecodeHex(hex);
        Mms::MmsTakeOver(result->choice.success, *data);
        result->present = Mms::MmsAccessResultSuccess;
    }
    Mms::InformationReport report(nullptr, &vmd);
    EXPECT_EQ(report.FromVariablesReport(*variables, *results), System::OkNoError);
    EXPECT_EQ(report.GetKind(), Mms::InformationReport::VariablesReport);
    EXPECT_EQ(report.Values.size(), 2u);
    ASSERT_EQ(report.Names.size(), 3u);
    EXPECT_TRUE(report.NamesComplete);
    EXPECT_EQ(report.Names[0], "LD0/LLN0$ST$Beh");

    // The value after the failure belongs to the third name, not the second.
    EXPECT_EQ(report.ApplyValue(1), System::InvalidArguments);
    EXPECT_EQ(report.ApplyValue(2), System::OkNoError);
    EXPECT_EQ(Text(Component(*mod, "stVal")), "4");
    EXPECT_EQ(report.ApplyValue(0), System::OkNoError);
    EXPECT_EQ(Text(Component(*beh, "stVal")), "5");
    EXPECT_EQ(report.ApplyValue(3), System::InvalidArguments);
}

TEST_F(DomainObjectsTest, ReportQueueHandsOutOldestFirst) {
    EXPECT_EQ(vmd.PopInformationReport(), nullptr);
    Mms::CoderValue<Mms::MmsAccessResultList> results(Mms::MmsAccessResultListType);
    auto* result = Mms::MmsAppendNew(*results, Mms::MmsAccessResultType);
    ContainerTestSupport::Data data = DecodeHex("85 01 07");
    Mms::MmsTakeOver(result->choice.success, *data);
    result->present = Mms::MmsAccessResultSuccess;

    EXPECT_EQ(vmd.QueueListReport(nullptr, *Name("", "RPT1"), *results), System::OkNoError);
    EXPECT_EQ(vmd.QueueListReport(nullptr, *Name("", "RPT2"), *results), System::OkNoError);
    EXPECT_EQ(vmd.QueueListReport(nullptr, *Name("LD0", "RPT3"), *results), System::NotSupported);
    EXPECT_EQ(vmd.PendingReportCount(), 2u);
    std::unique_ptr<Mms::InformationReport> first(vmd.PopInformationReport());
    std::unique_ptr<Mms::InformationReport> second(vmd.PopInformationReport());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetListName(), "RPT1");
    EXPECT_EQ(second->GetListName(), "RPT2");
    EXPECT_EQ(Text(first->Values.at(0)), "7");
    EXPECT_EQ(vmd.PopInformationReport(), nullptr);
}

TEST(PlainNamedObjects, CarryTheirClassIdsAndNames) {
    const struct {
        std::int32_t basicClass;
        std::uint32_t classId;
        const char* className;
    } rows[] = {
        {Mms::MmsClassScatteredAccess, Mms::ScatteredAccessClassId, "ScatteredAccess"},
        {Mms::MmsClassNamedType, Mms::NamedTypeClassId, "NamedType"},
        {Mms::MmsClassSemaphore, Mms::SemaphoreClassId, "Semaphore"},
        {Mms::MmsClassEventCondition, Mms::EventConditionClassId, "EventCondition"},
        {Mms::MmsClassEventAction, Mms::EventActionClassId, "EventAction"},
        {Mms::MmsClassEventEnrollment, Mms::EventEnrollmentClassId, "EventEnrollment"},
        {Mms::MmsClassJournal, Mms::JournalClassId, "Journal"},
        {Mms::MmsClassProgramInvocation, Mms::ProgramInvocationClassId, "ProgramInvocation"},
        {Mms::MmsClassOperatorStation, Mms::OperatorStationClassId, "OperatorStation"},
        {Mms::MmsClassDataExchange, Mms::DataExchangeClassId, "DataExchange"},
        {Mms::MmsClassAccessControlList, Mms::AccessControlListClassId, "AccessControlList"},
    };
    for (const auto& row : rows) {
        std::unique_ptr<Mms::MmsObject> object = Mms::NewPlainNamedObject(row.basicClass, nullptr, "N", nullptr);
        ASSERT_NE(object, nullptr) << row.className;
        EXPECT_EQ(object->GetClassId(), row.classId);
        EXPECT_STREQ(object->GetClassName(), row.className);
    }
    EXPECT_EQ(Mms::NewPlainNamedObject(Mms::MmsClassDomain, nullptr, "N", nullptr), nullptr);
}

}  // namespace
