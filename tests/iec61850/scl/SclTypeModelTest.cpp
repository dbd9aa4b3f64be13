#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iec61850/scl/BDA.h"
#include "iec61850/scl/DA.h"
#include "iec61850/scl/DAType.h"
#include "iec61850/scl/DO.h"
#include "iec61850/scl/DOType.h"
#include "iec61850/scl/DataTypeTemplate.h"
#include "iec61850/scl/EnumType.h"
#include "iec61850/scl/LNode.h"
#include "iec61850/scl/LNodeType.h"
#include "iec61850/scl/SDO.h"

// The model's own rules, on small types built here; the built-in content is tested
// separately.
namespace Iec61850::Acsi::Scl {
namespace {

using Names = std::vector<std::string>;

Names Sorted(const ElementType& type, const Names& names) {
    Names out{"left over"};
    type.SortNamesByElementOrder(out, names);
    return out;
}

TEST(EnumType, AValueGivenTwiceKeepsTheLaterLiteral) {
    const EnumType type("e", {{1, "one"}, {2, "two"}, {1, "uno"}, {-5, "minus"}});
    EXPECT_STREQ(type.id, "e");
    EXPECT_EQ(type.kind, ElementTypeKind::EnumType);
    ASSERT_EQ(type.literals.size(), 3u);
    EXPECT_STREQ(type.literals.at(1), "uno");
    EXPECT_EQ(type.literals.begin()->first, -5);
}

TEST(EnumType, WithoutLiteralsHasAnEmptyMapAndNoMembers) {
    const EnumType type("empty", {});
    EXPECT_TRUE(type.literals.empty());
    EXPECT_EQ(type.elements, nullptr);
    EXPECT_TRUE(type.Elements().empty());
    EXPECT_EQ(type.FindElement("empty"), nullptr);
    EXPECT_TRUE(Sorted(type, {"b", "a"}).empty());
}

TEST(Elements, ConstructorsStoreTheirArgumentsAndKinds) {
    const EnumType enumeration("E", {{0, "zero"}});
    const DA da("x", &enumeration, FunctionalConstraintCode::CF, BasicTypeCode::Enum, false, true, true, 9, 4);
    EXPECT_EQ(da.kind, ElementKind::DA);
    EXPECT_STREQ(da.name, "x");
    EXPECT_EQ(da.type, &enumeration);
    EXPECT_EQ(da.fc, FunctionalConstraintCode::CF);
    EXPECT_EQ(da.basicType, BasicTypeCode::Enum);
    EXPECT_FALSE(da.dchg);
    EXPECT_TRUE(da.qchg);
    EXPECT_TRUE(da.dupd);
    EXPECT_EQ(da.presence, 9);
    EXPECT_EQ(da.count, 4);
    EXPECT_STREQ(da.GetTypeName(), "Enum");
    EXPECT_STREQ(da.GetFcName(), "CF");

    const BDA bda("b", nullptr, BasicTypeCode::Quality, 1, 0);
    EXPECT_EQ(bda.kind, ElementKind::BDA);
    EXPECT_STREQ(bda.GetTypeName(), "Quality");

    const Element* members[] = {&bda, nullptr};
    const DOType doType("T", "", members);
    const SDO sdo("s", &doType, 7);
    const DO dataObject("d", &doType, 0);
    EXPECT_EQ(sdo.kind, ElementKind::SDO);
    EXPECT_EQ(dataObject.kind, ElementKind::DO);
    EXPECT_STREQ(sdo.GetTypeName(), "T");
    EXPECT_STREQ(dataObject.GetTypeName(), "T");
    EXPECT_STREQ(SDO("untyped", nullptr, 0).GetTypeName(), "");

    const LNodeType lnType("XYZW", "XYZW", members);
    const LNode lNode("XYZW", &lnType);
    EXPECT_EQ(lNode.kind, ElementKind::LNode);
    EXPECT_STREQ(lNode.GetTypeName(), "");
    EXPECT_EQ(lNode.type, &lnType);
}

TEST(Elements, FcAndTypeNamesOutsideTheirTables) {
    const DA xx("a", nullptr, FunctionalConstraintCode::XX, BasicTypeCode::BOOLEAN, false, false, false, 0, 0);
    const DA past("a", nullptr, static_cast<FunctionalConstraintCode>(18), static_cast<BasicTypeCode>(32), false, false,
                  false, 0, 0);
    const DA negative("a", nullptr, static_cast<FunctionalConstraintCode>(-1), BasicTypeCode::Array, false, false,
                      false, 0, 0);
    EXPECT_STREQ(xx.GetFcName(), "XX");
    EXPECT_EQ(past.GetFcName(), nullptr);
    EXPECT_STREQ(past.GetTypeName(), "");
    EXPECT_EQ(negative.GetFcName(), nullptr);
    EXPECT_STREQ(negative.GetTypeName(), "Array");
}

TEST(Elements, FcNameOfAMemberOnlyForDataAttributes) {
    // The device model asks any member it meets; only a DA carries a constraint.
    const DA stVal("stVal", nullptr, FunctionalConstraintCode::ST, BasicTypeCode::BOOLEAN, true, false, false, 0, 0);
    const DA past("x", nullptr, static_cast<FunctionalConstraintCode>(18), BasicTypeCode::BOOLEAN, false, false, false,
                  0, 0);
    const BDA mag("mag", nullptr, BasicTypeCode::FLOAT32, 0, 0);
    const SDO phsA("phsA", nullptr, 0);
    const DO pos("Pos", nullptr, 0);
    EXPECT_STREQ(GetFcName(stVal), "ST");
    EXPECT_EQ(GetFcName(past), nullptr);
    EXPECT_EQ(GetFcName(mag), nullptr);
    EXPECT_EQ(GetFcName(phsA), nullptr);
    EXPECT_EQ(GetFcName(pos), nullptr);
}

class SmallType : public ::testing::Test {
protected:
    // Two members that differ only in case, and one name declared twice.
    const BDA first{"Alpha", nullptr, BasicTypeCode::INT8, 0, 0};
    const BDA second{"alpha", nullptr, BasicTypeCode::INT16, 0, 0};
    const BDA beta{"beta", nullptr, BasicTypeCode::INT32, 0, 0};
    const BDA betaAgain{"beta", nullptr, BasicTypeCode::INT24, 0, 0};
    const Element* const members[5] = {&beta, &first, &second, &betaAgain, nullptr};
    const DAType type{"Small", members};
};

TEST_F(SmallType, FindElementGivesTheFirstMatchIgnoringCase) {
    EXPECT_EQ(type.Elements().size(), 4u);
    EXPECT_EQ(type.FindElement("ALPHA"), &first);
    EXPECT_EQ(type.FindElement("alpha"), &first);
    EXPECT_EQ(type.FindElement("Beta"), &beta);
    EXPECT_EQ(type.FindElement("gamma"), nullptr);
    EXPECT_EQ(type.FindElement(""), nullptr);
    EXPECT_EQ(type.FindElement("alph"), nullptr);
}

TEST_F(SmallType, SortPlacesEachDeclaredNameOnceInDeclarationOrder) {
    EXPECT_EQ(Sorted(type, {"z", "alpha", "beta", "Alpha", "beta", "a"}), (Names{"beta", "Alpha", "alpha", "a", "z"}));
    EXPECT_EQ(Sorted(type, {}), Names{});
    EXPECT_EQ(Sorted(type, {"ALPHA"}), Names{"ALPHA"});
}

TEST(DataTypeTemplate, HasAnEmptyIdAndFindsClassesIgnoringCase) {
    const Element* none[] = {nullptr};
    const LNodeType lnType("ABCD", "ABCD", none);
    const LNode lNode("ABCD", &lnType);
    const Element* classes[] = {&lNode, nullptr};
    const DataTypeTemplate root(classes);
    EXPECT_STREQ(root.id, "");
    EXPECT_EQ(root.kind, ElementTypeKind::DataTypeTemplate);
    EXPECT_EQ(root.FindElement("abcd"), &lNode);
    EXPECT_EQ(root.FindElement("ABCE"), nullptr);
    // A type whose list is empty (not absent) still returns the names, sorted.
    EXPECT_EQ(Sorted(lnType, {"b", "a", "b"}), (Names{"a", "b"}));
}

}  // namespace
}  // namespace Iec61850::Acsi::Scl
