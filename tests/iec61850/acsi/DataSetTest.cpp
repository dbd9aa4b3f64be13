#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "iec61850/acsi/ProtectionDevice.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/DataSetAssociation.h"
#include "iec61850/acsi/model/DataSetLifetime.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "iec61850/acsi/model/StagedWrite.h"
#include "mms/user/MmsUserConnection.h"
#include "mms/user/MmsUserLayer.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/values/Integer.h"
#include "mms/values/Structure.h"
#include "mms/values/VisibleString.h"

namespace Iec61850::Acsi {
namespace {

using DeviceTypes::ProtectionDevice;

class DataSets : public ::testing::Test {
protected:
    DataSets() {
        model.ReadAll();
        model.device.dataSetNames = {"LLN0$DS1"};
        model.device.BuildDataSetsFromDirectory();
        dataSet = model.Lln0().FindDataSet("DS1");
    }
    // The list's members as a device names them.
    void ListMembers(const std::vector<std::string>& names) {
        Mms::NamedVariableList* list = dataSet->GetList();
        list->Members.clear();
        for (const std::string& name : names) list->Members.push_back(model.domain.FindNamedVariable(name));
    }
    void Set(const char* fc, const char* reference, const char* value) {
        ASSERT_EQ(dynamic_cast<DataItem*>(model.Find(fc, reference))->SetValueText(value), System::OkNoError);
    }

    ProtectionDevice model;
    DataSet* dataSet = nullptr;
};

TEST_F(DataSets, MembersResolveAcrossConstraintsInListOrder) {
    ASSERT_NE(dataSet, nullptr);
    EXPECT_EQ(dataSet->GetReference(), "PROT/LLN0.DS1");
    ListMembers({"XCBR1$ST$Pos$stVal", "LLN0$CF$Mod$ctlModel", "XCBR1$ST$Pos$stVal", "MMXU1$MX$A$phsA$cVal$mag$f",
                 "GGIO1$ST$Ind1"});
    ASSERT_EQ(dataSet->Build(), System::OkNoError);
    std::vector<std::string> members;
    for (const NamedObject* member : dataSet->GetMembers())
        members.push_back(member->GetFcName() + " " + member->GetReference());
    EXPECT_EQ(members, (std::vector<std::string>{"ST PROT/XCBR1.Pos.stVal", "CF PROT/LLN0.Mod.ctlModel",
                                                 "MX PROT/MMXU1.A.phsA.cVal.mag.f", "ST PROT/GGIO1.Ind1"}));

    Set("ST", "PROT/XCBR1.Pos.stVal", "01");
    Set("CF", "PROT/LLN0.Mod.ctlModel", "1");
    Set("MX", "PROT/MMXU1.A.phsA.cVal.mag.f", "12.5");
    Set("ST", "PROT/GGIO1.Ind1.stVal", "True");
    std::vector<ValueRecord> values;
    ASSERT_EQ(dataSet->GetMemberValues(values), System::OkNoError);
    ASSERT_EQ(values.size(), 6u);  // Ind1 gives stVal, q and t
    EXPECT_EQ(values[0], (ValueRecord{"ST", "PROT/XCBR1.Pos.stVal", "01"}));
    EXPECT_EQ(values[1], (ValueRecord{"CF", "PROT/LLN0.Mod.ctlModel", "1"}));
    EXPECT_EQ(values[2], (ValueRecord{"MX", "PROT/MMXU1.A.phsA.cVal.mag.f", "12.5"}));
    EXPECT_EQ(values[3], (ValueRecord{"ST", "PROT/GGIO1.Ind1.stVal", "True"}));

    // The values go into copies of the members; the model keeps its own until a device
    // confirms them.
    StagedWrite staged;
    ASSERT_EQ(
        dataSet->SetMemberValues({{"ST", "PROT/XCBR1.Pos.stVal", "10"}, {"CF", "PROT/LLN0.Mod.ctlModel", "4"}}, staged),
        System::OkNoError);
    EXPECT_EQ(staged.Variables().size(), 4u);  // one per list member, the repeated one once
    auto* ctlModel = dynamic_cast<DataItem*>(model.Find("CF", "PROT/LLN0.Mod.ctlModel"));
    std::string text;
    ctlModel->GetValueText(text);
    EXPECT_EQ(text, "1");
    {
        const Mms::ModelHold hold(nullptr);
        Mms::Container* copy = staged.CopyOf(hold, *model.domain.FindNamedVariable("LLN0$CF$Mod$ctlModel"));
        ASSERT_NE(copy, nullptr);
        copy->ToText(text);
        EXPECT_EQ(text, "4");
    }
    // A value that does not fit ends there; one that names nothing, or no member, too.
    StagedWrite refused;
    EXPECT_EQ(dataSet->SetMemberValues({{"CF", "PROT/LLN0.Mod.ctlModel", "300"}}, refused), System::OutOfRange);
    EXPECT_EQ(dataSet->SetMemberValues({{"MX", "PROT/LLN0.Mod.ctlModel", "1"}}, refused), System::InvalidArguments);
    EXPECT_EQ(dataSet->SetMemberValues({{"ST", "PROT/GGIO1.Ind12.stVal", "True"}}, refused), System::InvalidArguments);
    EXPECT_EQ(dataSet->SetMemberValues({}, refused), System::Error);
    ctlModel->GetValueText(text);
    EXPECT_EQ(text, "1");
}

TEST_F(DataSets, DataSetsFromTheDirectoryOfNamesOnDeviceAndNodes) {
    model.device.dataSetNames = {"LLN0$DS1", "DSdevice", "NEWLN1$DS2"};
    const std::size_t lists = model.domain.GetObjectMap(2)->size();
    ASSERT_EQ(model.device.BuildDataSetsFromDirectory(), System::OkNoError);
    EXPECT_EQ(model.Lln0().FindDataSet("DS1"), dataSet);  // kept, not made twice
    ASSERT_NE(model.device.FindDataSet("DSdevice"), nullptr);
    EXPECT_EQ(model.device.FindDataSet("DSdevice")->GetReference(), "PROT/DSdevice");
    // A node that only the data-set names show is made for it.
    ASSERT_NE(model.device.FindLogicalNode("NEWLN1"), nullptr);
    EXPECT_NE(model.device.FindLogicalNode("NEWLN1")->FindDataSet("DS2"), nullptr);
    EXPECT_EQ(model.domain.GetObjectMap(2)->size(), lists + 2);
    std::list<NamedObject*> sets;
    model.Lln0().CollectByClass(ObjectClassDataSet, sets);
    EXPECT_EQ(sets, (std::list<NamedObject*>{dataSet}));
}

TEST_F(DataSets, AMemberThatResolvesToNothingIsAnError) {
    const std::vector<std::vector<std::string>> refused = {
        {"LLN0$ST"},                // two parts
        {"LLN0$BR$brcbA$Nothing"},  // no such object
    };
    ASSERT_EQ(model.domain.FileObjects(0, {"LLN0$BR$brcbA$Nothing", "XCBR1$MX$Pos$stVal"}), System::OkNoError);
    for (const std::vector<std::string>& names : refused) {
        ListMembers(names);
        EXPECT_EQ(dataSet->Build(), System::InvalidArguments) << names[0];
    }
    // The right reference under another constraint is another object: not taken for it.
    ListMembers({"XCBR1$MX$Pos$stVal"});
    EXPECT_EQ(dataSet->Build(), System::InvalidArguments);
    EXPECT_TRUE(dataSet->GetMembers().empty());
    std::vector<ValueRecord> values;
    EXPECT_EQ(dataSet->GetMemberValues(values), System::Error);
    EXPECT_TRUE(values.empty());
}

TEST_F(DataSets, CreateAndRemoveWithAControlBlockAttached) {
    const std::size_t lists = model.domain.GetObjectMap(2)->size();
    DataSet* created = nullptr;
    const std::vector<ValueRecord> members = {{"ST", "PROT/XCBR1.Pos.stVal", ""}, {"MX", "PROT/MMXU1.TotW.mag.f", ""}};
    // A member that names nothing: nothing is left behind.
    const std::vector<ValueRecord> wrong = {{"ST", "PROT/XCBR1.Pos.stVal", ""}, {"ST", "PROT/XCBR1.Nothing", ""}};
    EXPECT_EQ(CreateNodeDataSet(model.Lln0(), "dsNew", &wrong, created), System::InvalidArguments);
    EXPECT_EQ(created, nullptr);
    EXPECT_EQ(model.Lln0().FindDataSet("dsNew"), nullptr);
    EXPECT_EQ(model.domain.GetObjectMap(2)->size(), lists);

    ASSERT_EQ(CreateNodeDataSet(model.Lln0(), "dsNew", &members, created), System::OkNoError);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetList()->Name, "LLN0$dsNew");
    EXPECT_EQ(created->GetList()->Members.size(), 2u);
    EXPECT_EQ(created->GetMembers().size(), 2u);
    EXPECT_EQ(CreateNodeDataSet(model.Lln0(), "dsNew", nullptr, created), System::AlreadyExist);
    EXPECT_EQ(CreateNodeDataSet(model.device, "dsX", nullptr, created), System::InvalidArguments);

    // The report control block names it through DatSet, as a device's does.
    BRCB* brcb = model.Lln0().GetBRCBs().at("brcbA");
    const Mms::ModelHold hold(nullptr);  // a model without a VMD meets no other thread
    brcb->Bind(hold);
    ASSERT_EQ(brcb->GetDatSetValue()->FromText("PROT/LLN0$dsNew"), System::OkNoError);
    ASSERT_EQ(brcb->Bind(hold), System::OkNoError);
    DataSet* named = model.Lln0().FindDataSet("dsNew");
    EXPECT_EQ(brcb->GetDataSet(), named);
    ASSERT_EQ(RemoveDataSet(*named), System::OkNoError);
    // No block keeps the freed set (AddressSanitizer would see the use).
    EXPECT_EQ(brcb->GetDataSet(), nullptr);
    EXPECT_EQ(model.Lln0().FindDataSet("dsNew"), nullptr);
    EXPECT_EQ(model.domain.GetObjectMap(2)->size(), lists + 1);  // the MMS list is the domain's to delete

    // A block that goes first leaves the set's list of blocks.
    brcb->SetDataSet(model.Lln0().FindDataSet("DS1"));
    EXPECT_EQ(model.Lln0().FindDataSet("DS1")->GetBlocks().size(), 1u);
    brcb->SetDataSet(nullptr);
    EXPECT_TRUE(model.Lln0().FindDataSet("DS1")->GetBlocks().empty());
}

// An association as its data sets see it: a service user that holds their lists, and the
// map that owns them.
class TestAssociation : public DataSetAssociation {
public:
    explicit TestAssociation(ModelLookup* server) : server_(server) {}
    ~TestAssociation() override { sets.clear(); }
    ModelLookup* GetServer() const override { return server_; }
    Mms::MmsUserConnection* GetMmsUser() const override { return &user; }
    System::ResultCode AdoptDataSet(std::unique_ptr<DataSet> dataSet) override {
        const std::string name = dataSet->GetName();
        return sets.try_emplace(name, std::move(dataSet)).second ? System::OkNoError : System::AlreadyExist;
    }
    DataSet* FindDataSet(std::string_view name) const override {
        const auto found = sets.find(std::string(name));
        return found != sets.end() ? found->second.get() : nullptr;
    }
    std::unique_ptr<DataSet> ReleaseDataSet(std::string_view name) override {
        auto found = sets.find(std::string(name));
        if (found == sets.end()) return nullptr;
        std::unique_ptr<DataSet> taken = std::move(found->second);
        sets.erase(found);
        return taken;
    }

    Mms::MmsUserLayer layer;
    mutable Mms::MmsUserConnection user{&layer};
    std::map<std::string, std::unique_ptr<DataSet>> sets;

private:
    ModelLookup* server_;
};

TEST_F(DataSets, AnAssociationsOwnDataSets) {
    TestAssociation association(&model.lookup);
    DataSet* created = nullptr;
    const std::vector<ValueRecord> wrong = {{"ST", "PROT/XCBR1.Pos.stVal", ""}, {"ST", "PROT/XCBR1.Nothing", ""}};
    EXPECT_EQ(CreateAssociationDataSet(association, "dsA", wrong, created), System::InvalidArguments);
    EXPECT_EQ(created, nullptr);
    EXPECT_TRUE(association.sets.empty());
    EXPECT_EQ(association.user.FindNamedVariableList("dsA"), nullptr);

    const std::vector<ValueRecord> members = {{"ST", "PROT/XCBR1.Pos.stVal", ""}, {"MX", "PROT/MMXU1.TotW.mag.f", ""}};
    ASSERT_EQ(CreateAssociationDataSet(association, "dsA", members, created), System::OkNoError);
    EXPECT_EQ(created->GetReference(), "@dsA");
    EXPECT_EQ(created->GetServer(), &model.lookup);
    EXPECT_EQ(association.user.FindNamedVariableList("dsA"), created->GetList());
    EXPECT_EQ(created->GetList()->Members.size(), 2u);
    EXPECT_EQ(CreateAssociationDataSet(association, "dsA", members, created), System::AlreadyExist);

    URCB* urcb = model.Lln0().GetURCBs().at("urcbA");
    urcb->SetDataSet(association.FindDataSet("dsA"));
    ASSERT_EQ(RemoveDataSet(*association.FindDataSet("dsA")), System::OkNoError);
    EXPECT_EQ(urcb->GetDataSet(), nullptr);
    EXPECT_TRUE(association.sets.empty());

    DataSet stray(static_cast<NamedObject*>(nullptr), "stray", nullptr);
    EXPECT_EQ(RemoveDataSet(stray), System::InvalidContext);
}

TEST(NodeDataSets, ADeviceWithoutDomainCreatesNothing) {
    LogicalDevice device(nullptr, nullptr);
    ASSERT_EQ(device.CreateLogicalNode("LLN0"), System::OkNoError);
    DataSet* created = nullptr;
    EXPECT_EQ(CreateNodeDataSet(*device.FindLogicalNode("LLN0"), "ds", nullptr, created), System::InvalidState);
    EXPECT_EQ(created, nullptr);
    EXPECT_TRUE(device.FindLogicalNode("LLN0")->GetDataSets().empty());
    EXPECT_EQ(device.BuildFromDirectory(), System::InvalidState);
}

TEST(LastApplErrors, ParsedIntoSixRecords) {
    using namespace DeviceTypes;
    Members m;
    Add(m, "CntrlObj", VisString(129));
    Add(m, "Error", Int(8));
    Add(m, "Origin", Origin());
    Add(m, "ctlNum", Uint(8));
    Add(m, "AddCause", Int(8));
    Mms::Structure value(*Struct(std::move(m)));
    ASSERT_EQ(value.GetComponent(0)->FromText("LD0/CSWI1$CO$Pos$Oper"), System::OkNoError);
    ASSERT_EQ(value.GetComponent(1)->FromText("1"), System::OkNoError);
    ASSERT_EQ(value.GetComponent(3)->FromText("7"), System::OkNoError);
    ASSERT_EQ(value.GetComponent(4)->FromText("-2"), System::OkNoError);
    LastApplError error;
    ASSERT_EQ(ParseLastApplError(error, value), System::OkNoError);
    EXPECT_EQ(error.fc, "CO");
    EXPECT_EQ(error.reference, "LD0/CSWI1.Pos.Oper");
    std::vector<ValueRecord> records;
    EXPECT_EQ(LastApplErrorToList(error, records), System::OkNoError);
    std::vector<std::string> references;
    for (const ValueRecord& record : records) {
        EXPECT_EQ(record.fc, "");
        references.push_back(record.reference);
    }
    EXPECT_EQ(references, (std::vector<std::string>{"LastApplError.CntrlObj", "LastApplError.Error",
                                                    "LastApplError.origin.orCat", "LastApplError.origin.orIdent",
                                                    "LastApplError.ctlNum", "LastApplError.AddCause"}));
    EXPECT_EQ(records[0].value, "LD0/CSWI1.CO.Pos.Oper");
    EXPECT_EQ(records[4].value, "7");
    EXPECT_EQ(records[5].value, "-2");

    Members four;
    for (const char* name : {"a", "b", "c", "d"}) Add(four, name, Int(8));
    Mms::Structure short4(*Struct(std::move(four)));
    Members flat;
    for (const char* name : {"a", "b", "c", "d", "e"}) Add(flat, name, Int(8));
    Mms::Structure integerOrigin(*Struct(std::move(flat)));
    Mms::Integer notAStructure;
    for (Mms::Container* refused : std::initializer_list<Mms::Container*>{&short4, &integerOrigin, &notAStructure}) {
        LastApplError untouched;
        EXPECT_EQ(ParseLastApplError(untouched, *refused), System::InvalidArguments);
        EXPECT_EQ(untouched.cntrlObj, nullptr);
    }
}

}  // namespace
}  // namespace Iec61850::Acsi
