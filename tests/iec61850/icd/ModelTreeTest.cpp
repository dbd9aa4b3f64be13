// The model tree an export builds: merged constraints, arrays, the dictionary's order, the
// types the nodes are filed under, and the enumerations the file can declare.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "iec61850/icd/ICDClasses.h"
#include "iec61850/icd/TempFolder.h"
#include "iec61850/scl/Element.h"
#include "iec61850/scl/ElementType.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

namespace T = Iec61850::Acsi::DeviceTypes;
using Iec61850::Acsi::Scl::IcdExporter;
using Iec61850::Acsi::Scl::SclTreeNode;
using T::Add;

std::vector<std::string> ChildNames(const SclTreeNode& node) {
    std::vector<std::string> names;
    for (const auto& child : node.Children()) names.push_back(child->Name());
    return names;
}

// A harmonics node whose arrays hold structures of three members and basic values.
NodeShape HarmonicsWithCounts() {
    return {"MHAI1", [] {
                Members ha;
                Add(ha, "phsAHar", ContainerTestSupport::ArrayType(2, T::Cmv()));
                Add(ha, "numHar", ContainerTestSupport::ArrayType(4, T::Uint(16)));
                Members mx;
                Add(mx, "HA", T::Struct(std::move(ha)));
                Members fcs;
                Add(fcs, "MX", T::Struct(std::move(mx)));
                return T::Struct(std::move(fcs));
            }};
}

class ModelTree : public ::testing::Test {
protected:
    ModelTree() {
        server.AddDevice("LD0", {Lln0(), Xcbr("XCBR1"), Xcbr("XCBR2"), HarmonicsWithCounts()});
        std::string list;
        server.BuildIcdSettingsXml(list);
        server.ReadIcdAnswers("<Answers/>");
        EXPECT_EQ(server.WriteIcdFile(folder.File("tree.icd")), 0);
        root = server.Exporter().GetTreeRoot();
    }
    const SclTreeNode& At(std::initializer_list<std::string_view> path) const {
        const SclTreeNode* node = root;
        for (std::string_view name : path) {
            node = node->FindChild(name);
            if (node == nullptr) throw std::runtime_error("no " + std::string(name));
        }
        return *node;
    }

    IcdTestServer server;
    TempFolder folder;
    const SclTreeNode* root = nullptr;
};

TEST_F(ModelTree, ObjectsOfSeveralConstraintsMergeInTheDictionarysOrder) {
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildNames(*root), std::vector<std::string>{"LD0"});
    EXPECT_EQ(ChildNames(At({"LD0"})), (std::vector<std::string>{"LLN0", "MHAI1", "XCBR1", "XCBR2"}));

    const SclTreeNode& pos = At({"LD0", "XCBR1", "Pos"});
    EXPECT_EQ(pos.Fc(), "XX");
    EXPECT_EQ(pos.TypeName(), "DPC");
    EXPECT_EQ(pos.Parent(), &At({"LD0", "XCBR1"}));
    EXPECT_EQ(At({"LD0", "XCBR1", "Beh"}).Fc(), "ST");
    EXPECT_EQ(At({"LD0", "XCBR1", "Pos", "stVal"}).Fc(), "ST");
    EXPECT_EQ(At({"LD0", "XCBR1", "Pos", "Oper"}).Fc(), "CO");
    EXPECT_EQ(At({"LD0", "XCBR1", "Pos", "ctlModel"}).Fc(), "CF");
    EXPECT_EQ(At({"LD0", "XCBR1", "Pos", "Oper", "ctlVal"}).Parent(), &At({"LD0", "XCBR1", "Pos", "Oper"}));

    // Members in the order their types declare them; a node's children all declared here.
    for (const SclTreeNode* node : {&At({"LD0", "XCBR1"}), &pos, &At({"LD0", "XCBR1", "Pos", "Oper"})}) {
        SCOPED_TRACE(node->Name());
        std::vector<std::string> declared;
        const auto present = ChildNames(*node);
        for (const auto* member : node->GetElement()->type->Elements()) {
            if (std::find(present.begin(), present.end(), member->name) != present.end())
                declared.push_back(member->name);
        }
        EXPECT_EQ(present, declared);
    }
}

TEST_F(ModelTree, ArrayElementsGiveAllTheirMembersAndBasicElementsNone) {
    EXPECT_EQ(ChildNames(At({"LD0", "MHAI1", "HA", "phsAHar"})), (std::vector<std::string>{"cVal", "q", "t"}));
    EXPECT_EQ(ChildNames(At({"LD0", "MHAI1", "HA", "phsAHar", "cVal"})), std::vector<std::string>{"mag"});
    EXPECT_TRUE(At({"LD0", "MHAI1", "HA", "numHar"}).Children().empty());
}

TEST_F(ModelTree, NodesAreFiledUnderTheirTypesInFilingOrder) {
    const IcdExporter& exporter = server.Exporter();
    const auto& lnTypes = exporter.GetLNodeTypes();
    ASSERT_TRUE(lnTypes.contains("XCBR"));
    const auto& xcbrs = lnTypes.at("XCBR");
    ASSERT_EQ(xcbrs.size(), 2u);
    EXPECT_EQ(xcbrs[0].node, &At({"LD0", "XCBR1"}));
    EXPECT_EQ(xcbrs[1].node, &At({"LD0", "XCBR2"}));
    EXPECT_EQ(xcbrs[1].classNumber, 0u);  // the same structure
    EXPECT_FALSE(xcbrs[1].representative);
    ASSERT_TRUE(exporter.GetDOTypes().contains("DPC"));
    EXPECT_EQ(exporter.GetDOTypes().at("DPC").size(), 2u);
    // Every filed node is in the tree once, under the key of its own type.
    std::set<const SclTreeNode*> filed;
    for (const auto* map : {&lnTypes, &exporter.GetDOTypes(), &exporter.GetDATypes()}) {
        for (const auto& [id, filings] : *map) {
            for (const auto& filing : filings) {
                EXPECT_EQ(filing.node->TypeName(), id);
                EXPECT_TRUE(filed.insert(filing.node).second);
            }
        }
    }
    // Enumerations by their type, and the stVal of INC and INS objects by the object.
    for (const auto& [name, filings] : exporter.GetEnumTypes()) {
        for (const auto& filing : filings) {
            const std::string byType = IcdExporter::EnumNameFromTypeId(filing.node->TypeName());
            EXPECT_TRUE(byType == name || exporter.EnumTypeIdFor(*filing.node) == name) << name;
        }
    }
    EXPECT_TRUE(exporter.GetEnumTypes().contains("Dbpos"));
}

TEST_F(ModelTree, EnumerationsAreNamedAfterTheirDataObjectOrTheirType) {
    const IcdExporter& exporter = server.Exporter();
    EXPECT_EQ(exporter.EnumTypeIdFor(At({"LD0", "LLN0", "Beh", "stVal"})), "Beh");
    EXPECT_EQ(exporter.EnumTypeIdFor(At({"LD0", "LLN0", "Health", "stVal"})), "Health");
    EXPECT_EQ(exporter.EnumTypeIdFor(At({"LD0", "XCBR1", "Pos", "stVal"})), "");
    EXPECT_EQ(exporter.EnumTypeIdFor(*root), "");
    SclTreeNode ins("EEHealth", "ST", At({"LD0", "LLN0", "Health"}).GetElement(), nullptr, nullptr);
    SclTreeNode stVal("stVal", "ST", nullptr, nullptr, &ins);
    EXPECT_EQ(exporter.EnumTypeIdFor(stVal), "Health");

    const std::vector<std::pair<std::string, std::string>> names = {
        {"dirGeneralEnum", "dir"}, {"orCatEnum", "orCategory"}, {"ctlModelEnum", "ctlModel"}, {"SIUnitEnum", "SIUnit"},
        {"Dbpos", "Dbpos"},        {"Check", "Check"},          {"EnumEnum", "Enum"},         {"", ""}};
    for (const auto& [id, name] : names) EXPECT_EQ(IcdExporter::EnumNameFromTypeId(id), name) << id;
}

TEST(EnumerationTable, HoldsTheRowsAndLiteralsAsUtf8) {
    const auto table = Iec61850::Acsi::Scl::IcdEnumerationTable();
    ASSERT_EQ(table.size(), 44u);
    std::set<std::string> names;
    for (const auto& row : table) names.insert(row.name);
    EXPECT_EQ(names.size(), 43u);
    IcdTestServer server;
    const auto& exporter = server.Exporter();
    const auto* siUnit = exporter.FindEnumeration("SIUnit");
    ASSERT_NE(siUnit, nullptr);
    ASSERT_EQ(siUnit->literals.size(), 58u);
    EXPECT_EQ(siUnit->literals[13].value, 23);
    EXPECT_EQ(std::string(siUnit->literals[13].text),
              "\xC2\xB0"
              "C");
    EXPECT_EQ(exporter.FindEnumeration("setCharact")->literals.size(), 49u);
    const auto* multiplier = exporter.FindEnumeration("multiplier");
    ASSERT_EQ(multiplier->literals.size(), 21u);
    EXPECT_EQ(multiplier->literals[6].value, -6);
    EXPECT_EQ(std::string(multiplier->literals[6].text), "\xC2\xB5");
    EXPECT_EQ(std::string(exporter.FindEnumeration("TypRsCrv")->literals[1].text), "Definit Time Delayed Reset");
    EXPECT_EQ(exporter.FindEnumeration("angRef"), nullptr);
}

TEST(SclTreeNodeMerge, TheSurvivorIsReturnedAndTakesTheNewNodesChildren) {
    SclTreeNode parent("LN", "", nullptr, nullptr, nullptr);
    auto first = std::make_unique<SclTreeNode>("Pos", "ST", nullptr, nullptr, &parent);
    SclTreeNode::MergeChild(*first, std::make_unique<SclTreeNode>("stVal", "ST", nullptr, nullptr, nullptr));
    SclTreeNode* kept = SclTreeNode::MergeChild(parent, std::move(first));
    EXPECT_EQ(kept, parent.FindChild("Pos"));

    auto second = std::make_unique<SclTreeNode>("Pos", "CO", nullptr, nullptr, &parent);
    SclTreeNode* oper =
        SclTreeNode::MergeChild(*second, std::make_unique<SclTreeNode>("Oper", "CO", nullptr, nullptr, nullptr));
    SclTreeNode::MergeChild(*second, std::make_unique<SclTreeNode>("stVal", "ST", nullptr, nullptr, nullptr));
    EXPECT_EQ(SclTreeNode::MergeChild(parent, std::move(second)), kept);
    EXPECT_EQ(parent.Children().size(), 1u);
    EXPECT_EQ(kept->Fc(), "XX");
    EXPECT_EQ(ChildNames(*kept), (std::vector<std::string>{"stVal", "Oper"}));
    EXPECT_EQ(kept->FindChild("Oper"), oper);  // moved, not copied
    EXPECT_EQ(oper->Parent(), kept);
    EXPECT_EQ(kept->FindChild("stVal")->Fc(), "ST");
    EXPECT_EQ(kept->FindChild("stVa"), nullptr);
}

}  // namespace
}  // namespace IcdTestModel
