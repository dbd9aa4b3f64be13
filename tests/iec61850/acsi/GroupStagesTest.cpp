#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iec61850/acsi/ProtectionDevice.h"
#include "iec61850/acsi/model/ComponentVariable.h"
#include "iec61850/acsi/model/DataItem.h"
#include "iec61850/acsi/model/FunctionalConstraint.h"
#include "iec61850/acsi/model/OtherControlBlocks.h"
#include "iec61850/acsi/model/ReportControlBlock.h"
#include "mms/user/ModelHold.h"
#include "mms/user/NamedVariable.h"

namespace Iec61850::Acsi {
namespace {

using namespace DeviceTypes;

// One node of the given name whose type has one constraint with the given members.
class OneNode : public ::testing::Test {
protected:
    LogicalNode& Read(const std::string& nodeName, const char* fc, Members members) {
        Members groups;
        Add(groups, fc, Struct(std::move(members)));
        device.directoryNames = {nodeName};
        device.BuildFromDirectory();
        MmsObjectTest::Retype(*domain.FindNamedVariable(nodeName), Struct(std::move(groups)));
        LogicalNode& node = *device.FindLogicalNode(nodeName);
        node.Build();
        return node;
    }
    NamedObject* Child(LogicalNode& node, const char* fc, const char* name) {
        return node.FindFc(fc)->FindOwnedChild(name);
    }

    Mms::Domain domain{nullptr, "LD0", nullptr};
    DeviceLookup lookup;
    LogicalDevice device{&lookup, &domain};
};

TEST_F(OneNode, ControlBlocksByNameAndByConstraint) {
    struct Row {
        const char* node;
        const char* fc;
        const char* member;
        ModelClass made;
        bool indexed;
    };
    const std::vector<Row> rows = {
        {"LLN0", "BR", "rcbMeasurements", ModelClass::BRCB, true},  // no kind in the name: the constraint's
        {"LLN0", "RP", "status01", ModelClass::URCB, true},
        {"LLN0", "RP", "brcbOdd", ModelClass::BRCB, true},    // the name's kind wins
        {"LLN0", "ST", "brcbLost", ModelClass::BRCB, false},  // made, but no index lists it
        {"LLN0", "GO", "gcb1", ModelClass::GoCB, true},
        {"LLN0", "SG", "setting", ModelClass::SGCB, true},
        {"GGIO1", "GO", "gcb1", ModelClass::Data, false},  // only LLN0 holds GOOSE blocks
        {"GGIO1", "LG", "logs", ModelClass::LCB, true},
        {"GGIO1", "ST", "Ind12", ModelClass::Data, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.node) + " " + row.fc + " " + row.member);
        Mms::Domain ownDomain{nullptr, "LD0", nullptr};
        DeviceLookup ownLookup;
        LogicalDevice ownDevice{&ownLookup, &ownDomain};
        Members groups;
        Members members;
        Add(members, row.member, Status(Boolean()));
        Add(groups, row.fc, Struct(std::move(members)));
        ownDevice.directoryNames = {row.node};
        ownDevice.BuildFromDirectory();
        MmsObjectTest::Retype(*ownDomain.FindNamedVariable(row.node), Struct(std::move(groups)));
        LogicalNode& node = *ownDevice.FindLogicalNode(row.node);
        node.Build();
        NamedObject* child = node.FindFc(row.fc)->FindOwnedChild(row.member);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->GetModelClass(), row.made);
        std::list<NamedObject*> blocks;
        node.CollectByClass(AnyControlBlock, blocks);
        const std::size_t indexes = node.GetBRCBs().size() + node.GetURCBs().size() + node.GetLCBs().size() +
                                    (row.node == std::string("LLN0") ? static_cast<LLN0&>(node).GetGoCBs().size() +
                                                                           static_cast<LLN0&>(node).GetSGCBs().size()
                                                                     : 0);
        EXPECT_EQ(indexes, row.indexed ? 1u : 0u);
    }
}

// An unbuffered block with all the attributes but `missing`.
Type UrcbWithout(const std::string& missing) {
    Members m;
    for (const char* name :
         {"RptID", "RptEna", "Resv", "DatSet", "ConfRev", "OptFlds", "BufTm", "SqNum", "TrgOps", "IntgPd", "GI"}) {
        if (name == missing) continue;
        Add(m, name, std::string(name) == "DatSet" || std::string(name) == "RptID" ? VisString(65) : Uint(32));
    }
    return Struct(std::move(m));
}

TEST_F(OneNode, AReportBlockMissingAnAttributeFailsToBind) {
    Members members;
    Add(members, "noRptID", UrcbWithout("RptID"));
    Add(members, "noResv", UrcbWithout("Resv"));
    Add(members, "noBufTm", UrcbWithout("BufTm"));
    LogicalNode& node = Read("LLN0", "RP", std::move(members));
    const Mms::ModelHold hold(nullptr);  // a model without a VMD meets no other thread
    URCB* noRptID = node.GetURCBs().at("noRptID");
    EXPECT_EQ(noRptID->Bind(hold), System::InvalidArguments);
    EXPECT_EQ(noRptID->OptFlds, nullptr);  // nothing after the missing one
    URCB* noResv = node.GetURCBs().at("noResv");
    EXPECT_EQ(noResv->Bind(hold), System::InvalidArguments);
    EXPECT_NE(noResv->SqNum, nullptr);                                               // the rest did bind
    EXPECT_EQ(node.GetURCBs().at("noBufTm")->Bind(hold), System::InvalidArguments);  // and no BufTim either
}

TEST_F(OneNode, DescriptionsFromTheClassWithTrailingDigitsDropped) {
    Members members;
    Add(members, "Ind12", Status(Boolean()));
    Add(members, "Custom7", Status(Boolean()));
    LogicalNode& node = Read("GGIO1", "ST", std::move(members));
    auto* ind = dynamic_cast<Data*>(Child(node, "ST", "Ind12"));
    ASSERT_NE(ind, nullptr);
    EXPECT_EQ(ind->GetCdc(), "SPS");
    EXPECT_STREQ(ind->GetDescription()->name, "Ind");
    auto* custom = dynamic_cast<Data*>(Child(node, "ST", "Custom7"));
    EXPECT_EQ(custom->GetDescription(), nullptr);
    // Without a description, the class of a member follows its name and its type.
    EXPECT_EQ(custom->FindOwnedChild("stVal")->GetModelClass(), ModelClass::DataAttribute);
}

TEST_F(OneNode, MembersWithoutDescriptionByNameAndType) {
    Members inner;
    Add(inner, "origin", Origin());
    Add(inner, "Pos", Status(Bits(2)));
    Add(inner, "count", Int(32));
    Members members;
    Add(members, "Thing", Struct(std::move(inner)));
    LogicalNode& node = Read("ZZZZ1", "ST", std::move(members));
    auto* thing = dynamic_cast<DataItem*>(Child(node, "ST", "Thing"));
    ASSERT_NE(thing, nullptr);
    EXPECT_EQ(thing->FindOwnedChild("origin")->GetModelClass(), ModelClass::DataAttribute);
    EXPECT_EQ(thing->FindOwnedChild("Pos")->GetModelClass(), ModelClass::Data);
    EXPECT_EQ(thing->FindOwnedChild("count")->GetModelClass(), ModelClass::DataAttribute);
    EXPECT_EQ(node.GetClassType(), nullptr);
}

TEST_F(OneNode, ArrayElementsAreChildrenUpToTheDescribedCount) {
    Members members;
    Add(members, "HA", Harmonics(3));
    LogicalNode& node = Read("MHAI1", "MX", std::move(members));
    auto* table = dynamic_cast<DataItem*>(node.FindFc("MX")->FindOwnedChild("HA")->FindOwnedChild("phsAHar"));
    ASSERT_NE(table, nullptr);
    std::vector<std::string> names;
    const Mms::ModelHold hold(nullptr);  // a model without a VMD meets no other thread
    for (const NamedObject* element : table->GetChildren()) {
        names.push_back(element->GetName());
        EXPECT_EQ(element->GetModelClass(), ModelClass::DataItem);
        EXPECT_EQ(NamedVariableOf(element->GetMmsObject(hold))->Name, "MHAI1$MX$HA$phsAHar$" + element->GetName());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"[0]", "[1]", "[2]"}));
    const std::size_t variables = domain.GetObjectMap(0)->size();
    EXPECT_EQ(table->Build(), System::OkNoError);
    EXPECT_EQ(table->GetChildren().size(), 3u);
    EXPECT_EQ(domain.GetObjectMap(0)->size(), variables);
    // The element's members take the array's description when it has one; counted here.
    EXPECT_EQ(table->IsKindOf(ModelClass::DataItemFamily, AnyObjectState), 1u + 3u * 6u);
}

TEST(DataItems, ValueTextNeedsANamedVariable) {
    DataItem loose(nullptr, "x", nullptr, nullptr);
    std::string text = "kept";
    EXPECT_EQ(loose.SetValueText("1"), System::InvalidContext);
    EXPECT_EQ(loose.GetValueText(text), System::InvalidContext);
    EXPECT_EQ(text, "kept");
    DataItem* child = nullptr;
    EXPECT_EQ(loose.AddChild("y", Scl::BasicTypeCode::BOOLEAN, child), System::NotImplemented);
    EXPECT_EQ(loose.Build(), System::OkNoError);
}

}  // namespace
}  // namespace Iec61850::Acsi

namespace Iec61850::Acsi {
namespace {

TEST(Collectors, BlocksMadeByNameWithTheirAttributesAndIndexed) {
    Mms::Domain domain{nullptr, "LD0", nullptr};
    LogicalDevice device{nullptr, &domain};
    ASSERT_EQ(device.CreateLogicalNode("LLN0"), System::OkNoError);
    auto& lln0 = static_cast<LLN0&>(*device.FindLogicalNode("LLN0"));

    URCB* urcb = nullptr;
    ASSERT_EQ(lln0.AddURCB("urcbNew", &urcb), System::OkNoError);
    EXPECT_EQ(lln0.GetURCBs().at("urcbNew"), urcb);
    Mms::NamedVariable* variable = NamedVariableOf(urcb->GetBoundMmsObject());
    ASSERT_NE(variable, nullptr);
    EXPECT_EQ(variable->Name, "LLN0$RP$urcbNew");
    auto* structure = dynamic_cast<Mms::Structure*>(variable->GetValue());
    std::vector<std::string> components;
    for (std::size_t i = 0; i < structure->GetComponentCount(); ++i) {
        components.push_back(structure->GetComponent(i)->GetName());
    }
    EXPECT_EQ(components, (std::vector<std::string>{"RptID", "RptEna", "Resv", "DatSet", "ConfRev", "OptFlds", "BufTm",
                                                    "SqNum", "TrgOps", "IntgPd", "GI"}));
    EXPECT_NE(domain.FindNamedVariable("LLN0$RP$urcbNew$TrgOps"), nullptr);
    EXPECT_EQ(lln0.AddURCB("urcbNew"), System::AlreadyExist);

    BRCB* brcb = nullptr;
    ASSERT_EQ(lln0.AddBRCB("brcbNew", &brcb), System::OkNoError);
    EXPECT_EQ(
        dynamic_cast<Mms::Structure*>(NamedVariableOf(brcb->GetBoundMmsObject())->GetValue())->GetComponentCount(),
        14u);
    LCB* lcb = nullptr;
    ASSERT_EQ(lln0.AddLCB("lcbNew", &lcb), System::OkNoError);
    EXPECT_NE(lcb->FindOwnedChild("LogEna"), nullptr);  // a log block builds its children
    GoCB* gocb = nullptr;
    ASSERT_EQ(lln0.AddGoCB("gocbNew", &gocb), System::OkNoError);
    Log* log = nullptr;
    ASSERT_EQ(lln0.AddLog("logNew", &log), System::OkNoError);
    EXPECT_EQ(NamedVariableOf(log->GetBoundMmsObject())->Name, "LLN0$LG$logNew");
    for (System::ResultCode result :
         {lln0.AddSGCB("sg"), lln0.AddGsCB("gs"), lln0.AddMSVCB("ms"), lln0.AddUSVCB("us")}) {
        EXPECT_EQ(result, System::OkNoError);
    }
    EXPECT_EQ(lln0.GetSGCBs().size() + lln0.GetGsCBs().size() + lln0.GetMSVCBs().size() + lln0.GetUSVCBs().size() +
                  lln0.GetLogs().size() + lln0.GetGoCBs().size(),
              6u);
    std::vector<std::string> groups;
    for (const FunctionalConstraint* group : lln0.GetFcsInOrder()) groups.push_back(group->GetFc());
    EXPECT_EQ(groups, (std::vector<std::string>{"RP", "BR", "LG", "GO", "SG", "GS", "MS", "US"}));
}

}  // namespace
}  // namespace Iec61850::Acsi
