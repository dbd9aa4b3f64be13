#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/ProtectionDevice.h"
#include "iec61850/acsi/model/AcsiTexts.h"
#include "iec61850/acsi/model/ComponentVariable.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariable.h"

namespace Iec61850::Acsi {
namespace {

using DeviceTypes::ProtectionDevice;

std::string MmsNameOf(const NamedObject* object) {
    const Mms::ModelHold hold(nullptr);  // a model without a VMD meets no other thread
    Mms::NamedVariable* variable = object != nullptr ? NamedVariableOf(object->GetMmsObject(hold)) : nullptr;
    return variable != nullptr ? variable->Name : "(none)";
}

class ModelTree : public ::testing::Test {
protected:
    ModelTree() { model.ReadAll(); }
    ProtectionDevice model;
};

TEST_F(ModelTree, ItemsOfEveryClassWithReferencesAndMmsNames) {
    struct Row {
        const char* fc;
        const char* reference;
        ModelClass modelClass;
        const char* cdc;
        const char* mmsName;
    };
    const std::vector<Row> rows = {
        {"ST", "PROT/LLN0.Mod", ModelClass::Data, "INC", "LLN0$ST$Mod"},
        {"ST", "PROT/LLN0.Mod.stVal", ModelClass::DataAttribute, "INT32", "LLN0$ST$Mod$stVal"},
        {"CF", "PROT/LLN0.Mod.ctlModel", ModelClass::DataAttribute, "Enum", "LLN0$CF$Mod$ctlModel"},
        {"ST", "PROT/XCBR1.Pos", ModelClass::Data, "DPC", "XCBR1$ST$Pos"},
        {"ST", "PROT/XCBR1.Pos.stVal", ModelClass::DataAttribute, "Enum", "XCBR1$ST$Pos$stVal"},
        {"ST", "PROT/XCBR1.Pos.q", ModelClass::DataAttribute, "Quality", "XCBR1$ST$Pos$q"},
        {"CO", "PROT/CSWI1.Pos.SBOw", ModelClass::DataAttribute, "Struct", "CSWI1$CO$Pos$SBOw"},
        {"CO", "PROT/CSWI1.Pos.Oper.origin.orCat", ModelClass::DataAttribute, "Enum", "CSWI1$CO$Pos$Oper$origin$orCat"},
        {"DC", "PROT/CSWI1.Pos.d", ModelClass::DataAttribute, "VisString255", "CSWI1$DC$Pos$d"},
        {"MX", "PROT/MMXU1.TotW.mag", ModelClass::DataAttribute, "Struct", "MMXU1$MX$TotW$mag"},
        {"MX", "PROT/MMXU1.A", ModelClass::Data, "WYE", "MMXU1$MX$A"},
        {"MX", "PROT/MMXU1.A.phsA", ModelClass::Data, "CMV", "MMXU1$MX$A$phsA"},
        {"MX", "PROT/MMXU1.A.phsA.cVal.mag.f", ModelClass::DataAttribute, "FLOAT32", "MMXU1$MX$A$phsA$cVal$mag$f"},
        {"ST", "PROT/GGIO1.Ind12", ModelClass::Data, "SPS", "GGIO1$ST$Ind12"},
        {"ST", "PROT/GGIO1.IntIn1.stVal", ModelClass::DataAttribute, "INT32", "GGIO1$ST$IntIn1$stVal"},
        {"CO", "PROT/GGIO1.SPCSO1.Oper.ctlVal", ModelClass::DataAttribute, "BOOLEAN", "GGIO1$CO$SPCSO1$Oper$ctlVal"},
        {"MX", "PROT/MHAI1.HA.phsAHar", ModelClass::DataAttribute, "Struct", "MHAI1$MX$HA$phsAHar"},
        {"MX", "PROT/MHAI1.HA.phsAHar.[1]", ModelClass::DataItem, "", "MHAI1$MX$HA$phsAHar$[1]"},
        {"MX", "PROT/MHAI1.HA.phsAHar.[2].cVal.mag.f", ModelClass::DataAttribute, "",
         "MHAI1$MX$HA$phsAHar$[2]$cVal$mag$f"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reference);
        auto* item = dynamic_cast<DataItem*>(model.Find(row.fc, row.reference));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetModelClass(), row.modelClass);
        EXPECT_EQ(item->GetCdc(), row.cdc);
        EXPECT_EQ(MmsNameOf(item), row.mmsName);
        EXPECT_EQ(model.domain.FindNamedVariable(row.mmsName), item->GetBoundMmsObject());
    }
    // Every name of the flat list kept its one variable, now typed; the array elements,
    // which the list does not name, got theirs.
    for (const std::string_view name : model.device.directoryNames) {
        ASSERT_NE(model.domain.FindNamedVariable(name), nullptr) << name;
        EXPECT_NE(model.domain.FindNamedVariable(name)->GetValue(), nullptr) << name;
    }
    EXPECT_EQ(model.Find("MX", "PROT/MHAI1.HA.phsAHar.[3]"), nullptr);
    EXPECT_EQ(model.device.GetOddNodeNames().size(), 0u);
}

TEST_F(ModelTree, AComponentsVariableIsMadeOnceWhenFirstAskedFor) {
    const std::size_t before = model.VariableCount();
    auto* item = dynamic_cast<DataItem*>(model.Find("ST", "PROT/XCBR1.Pos.stVal"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(model.domain.FindFiledVariable("XCBR1$ST$Pos$stVal"), nullptr);
    // Its value is reached through the node's structure: reading it makes no variable.
    std::string text;
    EXPECT_EQ(item->GetValueText(text), System::OkNoError);
    EXPECT_EQ(model.VariableCount(), before);
    // Asked for by name, it is made with its data object's, bound to the same value.
    Mms::NamedVariable* made = model.domain.FindNamedVariable("XCBR1$ST$Pos$stVal");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made, item->GetBoundMmsObject());
    EXPECT_EQ(made->GetValue(), item->GetValueContainer());
    EXPECT_EQ(model.VariableCount(), before + 2);
    EXPECT_EQ(model.domain.FindNamedVariable("XCBR1$ST$Pos$stVal"), made);
    // A name that neither the model nor the directory knows makes nothing.
    EXPECT_EQ(model.domain.FindNamedVariable("XCBR1$ST$Pos$none"), nullptr);
    EXPECT_EQ(model.VariableCount(), before + 2);
}

TEST_F(ModelTree, BuildingAgainMakesNothingNew) {
    const std::size_t variables = model.VariableCount();
    const std::uint32_t objects = model.device.IsKindOf(ModelClass::Any, AnyObjectState);
    for (const std::string& node : DeviceTypes::kNodes) model.device.FindLogicalNode(node)->Build();
    EXPECT_EQ(model.VariableCount(), variables);
    EXPECT_EQ(model.device.IsKindOf(ModelClass::Any, AnyObjectState), objects);
}

TEST_F(ModelTree, CountsMadeInOneWalkAgreeWithTheCountOfEachClass) {
    const ModelClass asked[] = {ModelClass::Any,           ModelClass::DataItemFamily,      ModelClass::Data,
                                ModelClass::DataAttribute, ModelClass::LogicalNode,         ModelClass::LLN0,
                                ModelClass::LogicalDevice, ModelClass::FunctionalConstraint};
    auto tallied = [&](ObjectState state, bool reuse) {
        std::array<std::uint32_t, std::size(asked)> counts{};
        ModelTally tally{asked, state, counts};
        tally.reuseNodeCounts = reuse;
        model.device.CountKinds(tally);
        return counts;
    };
    auto oneByOne = [&](ObjectState state) {
        std::array<std::uint32_t, std::size(asked)> counts{};
        for (std::size_t i = 0; i < std::size(asked); ++i) counts[i] = model.device.IsKindOf(asked[i], state);
        return counts;
    };
    auto* pos = dynamic_cast<DataItem*>(model.Find("ST", "PROT/XCBR1.Pos"));
    LogicalNode* xcbr = model.device.FindLogicalNode("XCBR1");
    ASSERT_NE(pos, nullptr);
    ASSERT_NE(xcbr, nullptr);
    DataItem* added = nullptr;
    // The counts a node keeps must follow every change below it, however deep.
    const struct {
        const char* step;
        std::function<void()> change;
    } steps[] = {
        {"as read", [] {}},
        {"counted again", [] {}},
        {"an attribute added to a data object",
         [&] { ASSERT_EQ(pos->AddChild("extra", Scl::BasicTypeCode::BOOLEAN, added), System::OkNoError); }},
        {"a group added", [&] { ASSERT_NE(xcbr->GetOrCreateFc("SV"), nullptr); }},
        {"a data set added", [&] { ASSERT_EQ(xcbr->AddDataSet("Extra", nullptr), System::OkNoError); }},
        {"a data set removed", [&] { ASSERT_NE(xcbr->ReleaseDataSet("Extra"), nullptr); }},
    };
    std::uint32_t objects = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.change();
        for (const ObjectState state : {AnyObjectState, ObjectState::Read}) {
            EXPECT_EQ(tallied(state, false), oneByOne(state));
            EXPECT_EQ(tallied(state, true), oneByOne(state));
        }
        EXPECT_NE(tallied(AnyObjectState, true)[0], 0u);
        if (objects != 0 && std::string_view(step.step).find("added") != std::string_view::npos) {
            EXPECT_GT(tallied(AnyObjectState, true)[0], objects);
        }
        objects = tallied(AnyObjectState, true)[0];
    }
}

TEST_F(ModelTree, ValueRecordsOfADataObject) {
    auto* pos = dynamic_cast<DataItem*>(model.Find("ST", "PROT/XCBR1.Pos"));
    ASSERT_NE(pos, nullptr);
    auto* stVal = dynamic_cast<DataItem*>(model.Find("ST", "PROT/XCBR1.Pos.stVal"));
    ASSERT_EQ(stVal->SetValueText("10"), System::OkNoError);
    // The device's two bits, not the dictionary's width.
    EXPECT_NE(stVal->SetValueText("0000000000000"), System::OkNoError);
    std::vector<ValueRecord> records;
    EXPECT_EQ(pos->CollectValues(records), System::OkNoError);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (ValueRecord{"ST", "PROT/XCBR1.Pos.stVal", "10"}));
    EXPECT_EQ(records[1].reference, "PROT/XCBR1.Pos.q");
    EXPECT_EQ(records[2].reference, "PROT/XCBR1.Pos.t");
    EXPECT_EQ(records[2].fc, "ST");
}

TEST_F(ModelTree, DataObjectsAndAttributesInDictionaryOrder) {
    std::list<NamedObject*> data;
    EXPECT_EQ(model.device.FindLogicalNode("MMXU1")->CollectByClass(ObjectClassData, data), System::OkNoError);
    std::vector<std::string> names;
    for (const NamedObject* object : data) names.push_back(object->GetReference());
    // TotW comes before A in the class, whatever the device's order; sub-data objects too.
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], "PROT/MMXU1.TotW");
    EXPECT_EQ(names[1], "PROT/MMXU1.A");
    EXPECT_EQ(names[2], "PROT/MMXU1.A.phsA");
    EXPECT_EQ(model.device.FindLogicalNode("MMXU1")->CollectByClass(ObjectClassLog, data), System::NotSupported);
}

TEST_F(ModelTree, ControlBlocksOfEveryKindWithTheirAttributes) {
    struct Row {
        const char* fc;
        const char* name;
        ModelClass modelClass;
        System::ResultCode bind;
    };
    const std::vector<Row> rows = {
        {"BR", "brcbA", ModelClass::BRCB, System::OkNoError},
        {"RP", "urcbA", ModelClass::URCB, System::OkNoError},
        {"RP", "urcbB", ModelClass::URCB, System::OkNoError},
        {"GO", "gocb1", ModelClass::GoCB, System::OkNoError},
        {"LG", "lcb1", ModelClass::LCB, System::OkNoError},
        // No DatSet: the base binding's answer, expected for this kind.
        {"SP", "SGCB", ModelClass::SGCB, System::InvalidArguments},
    };
    const Mms::ModelHold hold(nullptr);  // a model without a VMD meets no other thread
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto* block = dynamic_cast<ControlBlock*>(model.Find(row.fc, std::string("PROT/LLN0.") + row.name));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->GetModelClass(), row.modelClass);
        EXPECT_EQ(block->Bind(hold), row.bind);
    }
    LLN0& lln0 = model.Lln0();
    EXPECT_EQ(lln0.GetBRCBs().size(), 1u);
    EXPECT_EQ(lln0.GetURCBs().size(), 2u);
    EXPECT_EQ(lln0.GetLCBs().size(), 1u);
    EXPECT_EQ(lln0.GetGoCBs().size(), 1u);
    EXPECT_EQ(lln0.GetSGCBs().size(), 1u);

    BRCB* brcb = lln0.GetBRCBs().at("brcbA");
    for (Mms::Container* value :
         {brcb->RptID, brcb->RptEna, brcb->OptFlds, brcb->ConfRev, brcb->BufTm, brcb->TrgOps, brcb->IntgPd, brcb->GI,
          brcb->SqNum, brcb->PurgeBuf, brcb->TimeOfEntry, brcb->EntryID, brcb->GetDatSetValue()}) {
        EXPECT_NE(value, nullptr);
    }
    // The other names some devices use.
    URCB* other = lln0.GetURCBs().at("urcbB");
    ASSERT_NE(other->BufTm, nullptr);
    EXPECT_EQ(other->BufTm->GetName(), "BufTim");
    ASSERT_NE(other->TrgOps, nullptr);
    EXPECT_EQ(other->TrgOps->GetName(), "TrgOp");
    EXPECT_NE(other->Resv, nullptr);
    GoCB* gocb = lln0.GetGoCBs().at("gocb1");
    EXPECT_NE(gocb->GoID, nullptr);
    EXPECT_NE(gocb->NdsCom, nullptr);
    EXPECT_NE(lln0.GetLCBs().at("lcb1")->LogEna, nullptr);

    std::list<NamedObject*> reports;
    std::list<NamedObject*> blocks;
    EXPECT_EQ(lln0.CollectByClass(AnyReportControlBlock, reports), System::OkNoError);
    EXPECT_EQ(lln0.CollectByClass(AnyControlBlock, blocks), System::OkNoError);
    EXPECT_EQ(reports.size(), 3u);
    EXPECT_EQ(blocks.size(), 6u);
}

TEST(ControlBlockKind, FromTheStartOfTheName) {
    const std::vector<std::pair<const char*, std::int32_t>> rows = {
        {"brcbMeas01", 10}, {"BRCB", 10},  {"urcb01", 11},  {"LCBx", 12},  {"lcb", 12},    {"SGCB", 13},
        {"gocb1", 15},      {"GsCB2", 16}, {"MSVCB01", 17}, {"usvcb", 18}, {"RptCtl1", 0}, {"", 0},
        {"BRC", 0},         {"LC", 0},     {"MSVC", 0},     {"xbrcb", 0},
    };
    for (const auto& [name, kind] : rows) EXPECT_EQ(ControlBlockKindFromName(name), kind) << name;
}

TEST(FunctionalConstraintNames, OnlyTheSearchOrderExactly) {
    for (std::string_view fc : FcSearchOrder) EXPECT_TRUE(IsFcName(fc)) << fc;
    for (const char* text : {"XX", "", "st", "Co", "S", "STX"}) EXPECT_FALSE(IsFcName(text)) << text;
}

TEST(LogicalNodeName, SplitsIntoPrefixClassAndInstance) {
    struct Row {
        const char* name;
        bool parses;
        const char* prefix;
        const char* lnClass;
        const char* instance;
    };
    const std::vector<Row> rows = {
        {"LLN0", true, "", "LLN0", ""},
        {"XCBR1", true, "", "XCBR", "1"},
        {"PROTPDIS12", true, "PROT", "PDIS", "12"},
        {"Q0XCBR1", true, "Q0", "XCBR", "1"},
        {"Q0_XSWI123", true, "Q0_", "XSWI", "123"},
        {"XCBR", true, "", "XCBR", ""},
        {"LPHD1", true, "", "LPHD", "1"},
        {"MMXU01", true, "", "MMXU", "01"},
        {"LLN01", false, "", "", ""},
        {"ABC1", false, "", "", ""},
        {"Q-1XCBR1", false, "", "", ""},
        {"", false, "", "", ""},
        {"1234", false, "", "", ""},
        {"B1 XCBR1", false, "", "", ""},
    };
    for (const Row& row : rows) {
        std::string prefix = "x", lnClass = "x", instance = "x";
        EXPECT_EQ(LogicalNode::ParseName(row.name, prefix, lnClass, instance), row.parses) << row.name;
        if (!row.parses) continue;
        EXPECT_EQ(prefix, row.prefix) << row.name;
        EXPECT_EQ(lnClass, row.lnClass) << row.name;
        EXPECT_EQ(instance, row.instance) << row.name;
    }
    EXPECT_TRUE(IsValidReferenceText(""));
    EXPECT_TRUE(IsValidReferenceText("LD0/LLN0") == false);
    EXPECT_TRUE(IsValidReferenceText("Pos.stVal_1"));
    EXPECT_FALSE(IsValidReferenceText("Pos$stVal"));
}

TEST(LogicalDeviceDirectory, NodesFromTheFlatListAndOddNamesKeptWhole) {
    ProtectionDevice model;
    model.device.directoryNames.push_back("Q-1XCBR1");
    model.device.directoryNames.push_back("Q-1XCBR1$ST");
    model.device.directoryNames.push_back("");
    model.device.BuildFromDirectory();
    EXPECT_EQ(model.device.GetLogicalNodes().size(), DeviceTypes::kNodes.size() + 1);
    EXPECT_EQ(model.device.FindLogicalNode("LLN0")->GetModelClass(), ModelClass::LLN0);
    EXPECT_EQ(model.device.FindLogicalNode("LLN0$ST"), nullptr);
    LogicalNode* odd = model.device.FindLogicalNode("Q-1XCBR1");
    ASSERT_NE(odd, nullptr);
    EXPECT_FALSE(odd->HasValidName());
    EXPECT_EQ(odd->GetLnClass(), "");
    EXPECT_EQ(odd->GetReference(), "PROT/Q-1XCBR1");
    EXPECT_EQ(model.device.GetOddNodeNames(), std::vector<std::string>{"Q-1XCBR1"});
    EXPECT_EQ(model.device.FindLogicalNode("XCBR1")->GetClassType()->name, std::string("XCBR"));
    // Running again after the next answer adds nothing twice.
    const std::size_t variables = model.VariableCount();
    model.device.BuildFromDirectory();
    EXPECT_EQ(model.VariableCount(), variables);
    // A later page is built on its own: what it adds comes once, and an empty name is nothing.
    const System::NameList page{"", "Q-1XCBR1", "Q-2XCBR2", "Q-2XCBR2$ST", "Q-2XCBR2"};
    EXPECT_EQ(model.device.BuildFromDirectory(page), System::OkNoError);
    // The node's variable is filed; a listed "$" name gets its own when asked for.
    EXPECT_EQ(model.VariableCount(), variables + 1);
    Mms::NamedVariable* listed = model.domain.FindNamedVariable("Q-1XCBR1$ST");
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(model.domain.FindNamedVariable("Q-1XCBR1$ST"), listed);
    EXPECT_EQ(model.domain.FindNamedVariable("Q-1XCBR1$MX"), nullptr);
    EXPECT_EQ(model.device.GetLogicalNodes().size(), DeviceTypes::kNodes.size() + 2);
    ASSERT_NE(model.device.FindLogicalNode("Q-2XCBR2"), nullptr);
    EXPECT_EQ(model.device.FindLogicalNode("Q-2XCBR2$ST"), nullptr);
    EXPECT_EQ(model.domain.FindNamedVariable(""), nullptr);
    EXPECT_EQ(model.device.AddLogicalNode("XCBR1", nullptr), System::AlreadyExist);
    EXPECT_EQ(model.device.ResolveReference("PROT/XCBR1"), System::NotImplemented);
}

TEST(LogicalDeviceDirectory, ANodeWhoseTypeCannotBeReadGetsGroupsFromItsNames) {
    ProtectionDevice model;
    model.device.BuildFromDirectory();
    LogicalNode* node = model.device.FindLogicalNode("XCBR1");
    EXPECT_TRUE(node->IsTypeIncomplete());
    node->readingState = NodeReadingState::TypeRefused;
    const std::size_t variables = model.VariableCount();
    model.device.directoryState = DirectoryState::Complete;
    ASSERT_EQ(model.device.BuildFromDirectory(), System::OkNoError);
    std::vector<std::string> groups;
    for (const FunctionalConstraint* group : node->GetFcsInOrder()) groups.push_back(group->GetFc());
    EXPECT_EQ(groups, (std::vector<std::string>{"CO", "ST", "CF", "DC"}));
    // The node's listed variable became the structure, a variable for each group in it, and
    // no second variable of any name.
    EXPECT_EQ(model.VariableCount(), variables + groups.size());
    ASSERT_EQ(model.device.BuildFromDirectory(), System::OkNoError);
    EXPECT_EQ(model.VariableCount(), variables + groups.size());
    FunctionalConstraint* st = node->FindFc("ST");
    EXPECT_EQ(st->GetBoundMmsObject(), model.domain.FindNamedVariable("XCBR1$ST"));
    EXPECT_EQ(NamedVariableOf(st->GetBoundMmsObject())->GetValue()->GetParent(),
              model.domain.FindNamedVariable("XCBR1")->GetValue());
}

TEST_F(ModelTree, FullyReadOnlyOnceEverythingArrived) {
    LogicalNode* xcbr = model.device.FindLogicalNode("XCBR1");
    EXPECT_FALSE(xcbr->IsFullyRead());
    EXPECT_FALSE(model.device.IsRead());
    for (auto& [name, node] : model.device.GetLogicalNodes()) {
        node->readingState = NodeReadingState::Read;
        node->SetState(ObjectState::Read);
    }
    EXPECT_TRUE(xcbr->IsFullyRead());
    EXPECT_TRUE(model.Find("ST", "PROT/XCBR1.Pos.stVal")->IsRead());
    EXPECT_FALSE(model.device.IsRead());  // the data-set directory has not arrived
    model.device.dataSetDirectoryState = DirectoryState::Complete;
    EXPECT_EQ(model.device.SetState(ObjectState::Read), ObjectState::Read);
    EXPECT_TRUE(model.device.IsRead());
}

// A directory that ended for good (no name to continue after, data-set names refused)
// counts as complete: the device is read with what arrived.
TEST_F(ModelTree, DirectoriesEndedForGoodCountAsComplete) {
    for (auto& [name, node] : model.device.GetLogicalNodes()) {
        node->readingState = NodeReadingState::Read;
        node->SetState(ObjectState::Read);
    }
    const struct {
        DirectoryState directory;
        DirectoryState dataSets;
        bool read;
    } cases[] = {
        {DirectoryState::EndedWithoutName, DirectoryState::Complete, true},
        {DirectoryState::Complete, DirectoryState::GivenUp, true},
        {DirectoryState::EndedWithoutName, DirectoryState::GivenUp, true},
        {DirectoryState::MoreFollows, DirectoryState::Complete, false},
        {DirectoryState::Complete, DirectoryState::Asked, false},
    };
    for (const auto& c : cases) {
        model.device.NamedObject::SetState(ObjectState::NotAsked);
        model.device.directoryState = c.directory;
        model.device.dataSetDirectoryState = c.dataSets;
        const auto numbers = std::to_string(static_cast<std::uint32_t>(c.directory)) + " " +
                             std::to_string(static_cast<std::uint32_t>(c.dataSets));
        EXPECT_EQ(model.device.SetState(ObjectState::Read) == ObjectState::Read, c.read) << numbers;
        model.device.NamedObject::SetState(ObjectState::NotAsked);
        EXPECT_EQ(model.device.IsRead(), c.read) << numbers;
    }
}

TEST_F(ModelTree, DataObjectsMadeByName) {
    LogicalNode* ggio = model.device.FindLogicalNode("GGIO1");
    Data* made = nullptr;
    EXPECT_EQ(ggio->CreateData("ST", "Ind1", made), System::AlreadyExist);
    EXPECT_EQ(made, model.Find("ST", "PROT/GGIO1.Ind1"));
    EXPECT_EQ(ggio->CreateData("XY", "Alm1", made), System::InvalidArguments);
    ASSERT_EQ(ggio->CreateData("ST", "Alm", made), System::OkNoError);
    EXPECT_EQ(made->GetCdc(), "SPS");
    EXPECT_EQ(MmsNameOf(made), "GGIO1$ST$Alm");
    DataItem* attribute = nullptr;
    ASSERT_EQ(made->AddChild("stVal", Scl::BasicTypeCode::BOOLEAN, attribute), System::OkNoError);
    EXPECT_EQ(attribute->GetCdc(), "BOOLEAN");
    DataItem* again = nullptr;
    EXPECT_EQ(made->AddChild("stVal", Scl::BasicTypeCode::BOOLEAN, again), System::AlreadyExist);
    // An attribute takes members only where its value is a structure.
    EXPECT_EQ(attribute->AddChild("x", Scl::BasicTypeCode::BOOLEAN, again), System::InvalidState);
    DataItem* origin = nullptr;
    ASSERT_EQ(made->AddChild("origin", Scl::BasicTypeCode::Struct, origin), System::OkNoError);
    DataItem* orCat = nullptr;
    EXPECT_EQ(origin->AddChild("orCat", Scl::BasicTypeCode::Enum, orCat), System::OkNoError);
    EXPECT_EQ(origin->AddChild("orCat", Scl::BasicTypeCode::Enum, again), System::AlreadyExist);
    EXPECT_EQ(again, orCat);
    EXPECT_EQ(MmsNameOf(orCat), "GGIO1$ST$Alm$origin$orCat");
}

}  // namespace
}  // namespace Iec61850::Acsi
