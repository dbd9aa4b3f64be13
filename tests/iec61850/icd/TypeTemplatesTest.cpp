// The data type templates: classes of equal structure, enumerations by data object, the
// control members last, and what the dictionary says of counts and widths.

#include <gtest/gtest.h>

#include "iec61850/icd/ExportSteps.h"
#include "iec61850/icd/SclChecks.h"
#include "support/icdmodel/ModelShapes.h"

namespace IcdTestModel {
namespace {

using Iec61850::Acsi::Scl::XmlNode;

class TypeTemplates : public ::testing::Test {
protected:
    TypeTemplates() {
        server.AddDevice("LD0", {Lln0(), Lphd("LPHD1"), Mmtr("MMTR1"), Mhan("MHAN1"), Mmxu("MMXU1", true),
                                 Xcbr("XCBR1"), Xcbr("XCBR2"), Xcbr("XCBR3", true)});
        file = ExportedFile(server);
        root = Iec61850::Acsi::Scl::XmlParser::ParseDocument(file);
    }
    // The element of that kind whose attribute has the value.
    const XmlNode* With(const std::string& element, const std::string& attribute, const std::string& value) const {
        for (const XmlNode* node : Elements(*root, element)) {
            if (AttributeOf(*node, attribute) == value) return node;
        }
        return nullptr;
    }
    // The member of a type by its name.
    static const XmlNode* Member(const XmlNode* type, const std::string& name) {
        if (type == nullptr) return nullptr;
        for (const XmlNode* child = type->GetFirstChild(); child != nullptr; child = child->GetNextSibling()) {
            if (AttributeOf(*child, "name") == name) return child;
        }
        return nullptr;
    }
    // The DOType of a node's data object, through the node's LN and LNodeType.
    const XmlNode* DoTypeOf(const std::string& lnClass, const std::string& inst, const std::string& dataObject) const {
        for (const XmlNode* ln : Elements(*root, lnClass == "LLN0" ? "LN0" : "LN")) {
            if (AttributeOf(*ln, "lnClass") != lnClass || AttributeOf(*ln, "inst") != inst) continue;
            const XmlNode* member = Member(With("LNodeType", "id", AttributeOf(*ln, "lnType")), dataObject);
            return member != nullptr ? With("DOType", "id", AttributeOf(*member, "type")) : nullptr;
        }
        return nullptr;
    }
    static std::vector<std::string> Names(const XmlNode* type) {
        std::vector<std::string> names;
        for (const XmlNode* child = type != nullptr ? type->GetFirstChild() : nullptr; child != nullptr;
             child = child->GetNextSibling()) {
            names.push_back(AttributeOf(*child, "name"));
        }
        return names;
    }

    IcdTestServer server;
    std::string file;
    std::unique_ptr<XmlNode> root;
};

TEST_F(TypeTemplates, NodesOfEqualStructureShareOneType) {
    ASSERT_NE(root, nullptr);
    std::map<std::string, std::string> lnTypes;
    for (const XmlNode* ln : Elements(*root, "LN")) {
        lnTypes[AttributeOf(*ln, "lnClass") + AttributeOf(*ln, "inst")] = AttributeOf(*ln, "lnType");
    }
    EXPECT_EQ(lnTypes["XCBR1"], "XCBR_0");
    EXPECT_EQ(lnTypes["XCBR2"], "XCBR_0");
    EXPECT_EQ(lnTypes["XCBR3"], "XCBR_1");
    EXPECT_EQ(lnTypes["MMTR1"], "MMTR_0");  // a type used once
    EXPECT_NE(With("LNodeType", "id", "XCBR_1"), nullptr);
    EXPECT_EQ(With("LNodeType", "id", "XCBR_2"), nullptr);
    EXPECT_EQ(ReferenceProblems(file), std::vector<std::string>{});
}

TEST_F(TypeTemplates, StatusEnumerationsAreNamedAfterTheirDataObject) {
    const XmlNode* beh = DoTypeOf("LLN0", "", "Beh");
    const XmlNode* health = DoTypeOf("LLN0", "", "Health");
    ASSERT_NE(beh, nullptr);
    ASSERT_NE(health, nullptr);
    EXPECT_EQ(AttributeOf(*beh, "cdc"), "INS");
    EXPECT_EQ(AttributeOf(*health, "cdc"), "INS");
    EXPECT_NE(AttributeOf(*beh, "id"), AttributeOf(*health, "id"));
    EXPECT_EQ(AttributeOf(*Member(beh, "stVal"), "bType"), "Enum");
    EXPECT_EQ(AttributeOf(*Member(beh, "stVal"), "type"), "Beh");
    EXPECT_EQ(AttributeOf(*Member(health, "stVal"), "type"), "Health");
    // The health of the physical device and of the equipment use the same enumeration.
    EXPECT_EQ(DoTypeOf("LPHD", "1", "PhyHealth"), health);
    EXPECT_EQ(DoTypeOf("MMTR", "1", "EEHealth"), health);

    const XmlNode* behaviour = With("EnumType", "id", "Beh");
    ASSERT_NE(behaviour, nullptr);
    std::vector<std::string> literals;
    for (const XmlNode* value = behaviour->GetFirstChild(); value != nullptr; value = value->GetNextSibling()) {
        literals.push_back(AttributeOf(*value, "ord") + " " + value->GetText());
    }
    EXPECT_EQ(literals, (std::vector<std::string>{"1 on", "2 blocked", "3 test", "4 test/blocked", "5 off"}));
    EXPECT_NE(With("EnumType", "id", "Health"), nullptr);
}

TEST_F(TypeTemplates, ControlsComeLastAndBasicEnumerationsHaveNoType) {
    const XmlNode* dpc = DoTypeOf("XCBR", "1", "Pos");
    ASSERT_NE(dpc, nullptr);
    const std::vector<std::string> names = Names(dpc);
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(names.end() - 3, names.end()),
              (std::vector<std::string>{"SBOw", "Oper", "Cancel"}));
    for (const char* name : {"stVal", "ctlModel", "d"}) EXPECT_NE(Member(dpc, name), nullptr) << name;
    const XmlNode* stVal = Member(dpc, "stVal");
    EXPECT_EQ(AttributeOf(*stVal, "bType"), "Dbpos");
    EXPECT_FALSE(stVal->HasAttribute("type"));
    EXPECT_NE(With("EnumType", "id", "Dbpos"), nullptr);
    const XmlNode* operate = With("DAType", "id", AttributeOf(*Member(dpc, "Oper"), "type"));
    const XmlNode* check = Member(operate, "Check");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(AttributeOf(*check, "bType"), "Check");
    EXPECT_FALSE(check->HasAttribute("type"));
}

TEST_F(TypeTemplates, WidthsCountsAndEnumerationsTheIndexLacks) {
    const XmlNode* bcr = DoTypeOf("MMTR", "1", "TotWh");
    ASSERT_NE(bcr, nullptr);
    EXPECT_EQ(AttributeOf(*Member(bcr, "actVal"), "bType"), "INT64");

    const XmlNode* hmv = DoTypeOf("MHAN", "1", "HaAmp");
    ASSERT_NE(hmv, nullptr);
    const XmlNode* har = Member(hmv, "har");
    ASSERT_NE(har, nullptr);
    EXPECT_EQ(AttributeOf(*har, "bType"), "Struct");
    EXPECT_EQ(AttributeOf(*har, "count"), "16");
    EXPECT_EQ(Names(With("DAType", "id", AttributeOf(*har, "type"))), (std::vector<std::string>{"mag", "ang"}));

    // The angle reference's enumeration is not in the exporter's table: the dictionary's
    // literals stand in.
    const XmlNode* wye = DoTypeOf("MMXU", "1", "A");
    ASSERT_NE(wye, nullptr);
    EXPECT_EQ(AttributeOf(*Member(wye, "angRef"), "type"), "angRefWYE");
    const XmlNode* angRef = With("EnumType", "id", "angRefWYE");
    ASSERT_NE(angRef, nullptr);
    EXPECT_EQ(angRef->GetFirstChild()->GetText(), "Va");
}

}  // namespace
}  // namespace IcdTestModel
