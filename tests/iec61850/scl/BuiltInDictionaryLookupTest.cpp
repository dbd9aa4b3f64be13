#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "iec61850/scl/BuiltInDictionary.h"

// Lookups the device model and the file writer make, with the samples they rely on.
namespace Iec61850::Acsi::Scl {
namespace {

using Names = std::vector<std::string>;

const BuiltInDictionary& Dictionary() { return BuiltInDictionary::Instance(); }

const DOType& DoType(const char* id) {
    const DOType* type = Dictionary().FindDOType(id);
    if (type == nullptr) throw std::runtime_error(std::string("no type ") + id);
    return *type;
}

const DA& Attribute(const char* typeId, const char* name) {
    const Element* element = DoType(typeId).FindElement(name);
    if (element == nullptr || element->kind != ElementKind::DA) throw std::runtime_error(name);
    return static_cast<const DA&>(*element);
}

const EnumType& Enumeration(const char* id) {
    const EnumType* type = Dictionary().FindEnumType(id);
    if (type == nullptr) throw std::runtime_error(std::string("no enumeration ") + id);
    return *type;
}

Names Sorted(const ElementType& type, const Names& names) {
    Names out;
    type.SortNamesByElementOrder(out, names);
    return out;
}

TEST(BuiltInDictionaryLookup, TypesByIdIgnoreCaseAndMiss) {
    const BuiltInDictionary& d = Dictionary();
    ASSERT_NE(d.FindDOType("sps"), nullptr);
    EXPECT_STREQ(d.FindDOType("sps")->id, "SPS");
    EXPECT_STREQ(d.FindDOType("Goose")->id, "GOOSE");
    EXPECT_EQ(d.FindDOType("SPSX"), nullptr);
    EXPECT_EQ(d.FindDOType(""), nullptr);
    EXPECT_EQ(d.FindDOType("AnalogueValue"), nullptr);

    EXPECT_STREQ(d.FindDAType("analoguevalue")->id, "AnalogueValue");
    EXPECT_STREQ(d.FindDAType("SGCB")->id, "SGCB");
    EXPECT_EQ(d.FindDAType("SPS"), nullptr);

    EXPECT_STREQ(d.FindEnumType("DBPOS")->id, "Dbpos");
    EXPECT_STREQ(d.FindEnumType("ctlmodelenum")->id, "ctlModelEnum");
    EXPECT_STREQ(d.FindEnumType("ctlModelsEnum")->id, "ctlModelsEnum");
    EXPECT_EQ(d.FindEnumType("ctlModel"), nullptr);

    EXPECT_STREQ(d.FindLNodeType("lln0")->id, "LLN0");
    EXPECT_EQ(d.FindLNodeType("LLN"), nullptr);
    EXPECT_EQ(d.FindLNode("xcbr"), d.Root().FindElement("XCBR"));
    EXPECT_EQ(d.FindLNode("XCBX"), nullptr);
}

TEST(BuiltInDictionaryLookup, RootFindsClassesIgnoringCase) {
    const DataTypeTemplate& root = BuiltInDataTypeTemplate();
    EXPECT_EQ(&root, &Dictionary().Root());
    const Element* mmxu = root.FindElement("mmxu");
    ASSERT_NE(mmxu, nullptr);
    EXPECT_STREQ(mmxu->name, "MMXU");
    EXPECT_EQ(mmxu->kind, ElementKind::LNode);
    EXPECT_STREQ(mmxu->GetTypeName(), "");
    ASSERT_NE(mmxu->type, nullptr);
    EXPECT_STREQ(mmxu->type->id, "MMXU");
    EXPECT_EQ(root.FindElement("MMXV"), nullptr);
    EXPECT_EQ(root.FindElement(""), nullptr);
    EXPECT_EQ(root.FindElement("MMXU1"), nullptr);
}

TEST(BuiltInDictionaryLookup, ClassShapes) {
    const DataTypeTemplate& root = BuiltInDataTypeTemplate();
    EXPECT_STREQ(root.Elements().front()->name, "LPHD");
    EXPECT_STREQ(root.Elements().back()->name, "QVVR");
    std::size_t largest = 0;
    const Element* largestClass = nullptr;
    for (const Element* lNode : root.Elements()) {
        const auto members = lNode->type->Elements();
        if (members.size() > largest) largest = members.size(), largestClass = lNode;
        const bool hasHead = std::string(members[0]->name) == "Mod";
        EXPECT_EQ(hasHead, std::string(lNode->name) != "LPHD") << lNode->name;
        // Mod of every class is an INC.
        if (hasHead) {
            EXPECT_STREQ(members[0]->GetTypeName(), "INC");
            EXPECT_STREQ(members[3]->name, "NamPlt");
        }
    }
    EXPECT_EQ(largest, 45u);
    EXPECT_STREQ(largestClass->name, "MHAI");
    EXPECT_EQ(root.FindElement("LLN0")->type->Elements().size(), 8u);

    const auto lphd = root.FindElement("LPHD")->type->Elements();
    EXPECT_STREQ(lphd[0]->name, "PhyNam");
    EXPECT_STREQ(lphd[0]->GetTypeName(), "DPL");
    EXPECT_STREQ(lphd[1]->name, "PhyHealth");
    EXPECT_STREQ(lphd[1]->GetTypeName(), "INS");
}

TEST(BuiltInDictionaryLookup, MembersOfDataObjectTypes) {
    const DOType& sps = DoType("SPS");
    const Element* stVal = sps.FindElement("stval");
    ASSERT_NE(stVal, nullptr);
    EXPECT_STREQ(stVal->name, "stVal");
    EXPECT_EQ(sps.FindElement("stValue"), nullptr);
    EXPECT_STREQ(sps.FindElement("q")->GetTypeName(), "Quality");

    const DA& mag = Attribute("MV", "mag");
    EXPECT_EQ(mag.fc, FunctionalConstraintCode::MX);
    EXPECT_EQ(mag.basicType, BasicTypeCode::Struct);
    ASSERT_NE(mag.type, nullptr);
    EXPECT_STREQ(mag.type->id, "AnalogueValue");
    EXPECT_EQ(mag.type->kind, ElementTypeKind::DAType);
    EXPECT_TRUE(mag.dchg);
    EXPECT_FALSE(mag.qchg);
    EXPECT_FALSE(mag.dupd);
    EXPECT_EQ(mag.presence, 0);
    EXPECT_EQ(mag.count, 0);
    EXPECT_EQ(Attribute("MV", "instMag").presence, 1);
    EXPECT_EQ(Attribute("HMV", "har").count, 16);

    const Element* phsA = DoType("WYE").FindElement("phsA");
    ASSERT_NE(phsA, nullptr);
    EXPECT_EQ(phsA->kind, ElementKind::SDO);
    EXPECT_STREQ(phsA->GetTypeName(), "CMV");
    EXPECT_EQ(static_cast<const SDO*>(phsA)->presence, 7);

    EXPECT_STREQ(Attribute("SPC", "Oper").GetFcName(), "CO");
    EXPECT_STREQ(Attribute("APC", "Oper").GetFcName(), "SP");
    EXPECT_STREQ(Attribute("APC", "origin").GetFcName(), "MX");
    EXPECT_STREQ(Attribute("SPC", "ctlModel").type->id, "ctlModelEnum");
    // A setting describes the data of setting groups too; nothing else crosses constraints.
    for (const char* fc : {"SP", "SG", "SE"}) EXPECT_TRUE(DescribesUnderFc(Attribute("ASG", "setMag"), fc)) << fc;
    EXPECT_FALSE(DescribesUnderFc(Attribute("ASG", "setMag"), "CF"));
    EXPECT_FALSE(DescribesUnderFc(Attribute("ING", "minVal"), "SG"));
    EXPECT_FALSE(DescribesUnderFc(Attribute("SPS", "stVal"), "SE"));
    EXPECT_FALSE(DescribesUnderFc(*DoType("WYE").FindElement("phsA"), "MX"));

    // Either spelling of the pair finds the earlier member.
    const Element* timeOfEntry = DoType("BRCB").FindElement("TimeofEntry");
    EXPECT_STREQ(timeOfEntry->name, "TimeOfEntry");
    EXPECT_EQ(DoType("BRCB").FindElement("TIMEOFENTRY"), timeOfEntry);
    EXPECT_STREQ(DoType("URCB").FindElement("trgops")->name, "TrgOps");
    EXPECT_STREQ(DoType("URCB").FindElement("buftim")->name, "BufTim");
}

TEST(BuiltInDictionaryLookup, EntriesThatDifferFromTheirLikes) {
    EXPECT_EQ(Attribute("DPS", "stVal").basicType, BasicTypeCode::INT32);
    EXPECT_EQ(Attribute("DPS", "stVal").type, nullptr);
    EXPECT_STREQ(Attribute("DPC", "stVal").type->id, "Dbpos");
    EXPECT_STREQ(Attribute("INS", "subVal").type->id, "Dbpos");
    EXPECT_EQ(Attribute("INC", "subVal").basicType, BasicTypeCode::INT32);
    for (const char* name : {"stVal", "q", "t"}) {
        EXPECT_EQ(Attribute("SPC", name).presence, 16) << name;
        EXPECT_EQ(Attribute("DPC", name).presence, 0) << name;
        EXPECT_EQ(Attribute("INC", name).presence, 0) << name;
    }
    EXPECT_STREQ(Attribute("HMV", "d").GetFcName(), "CF");
    EXPECT_STREQ(Attribute("HMV", "dU").GetFcName(), "CF");
    EXPECT_STREQ(Attribute("MV", "d").GetFcName(), "DC");
    EXPECT_TRUE(Attribute("HDEL", "phsABHar").qchg);
    EXPECT_FALSE(Attribute("HDEL", "phsABHar").dupd);
    EXPECT_TRUE(Attribute("HWYE", "phsAHar").dupd);
    for (const Element* member : DoType("GOOSE").Elements()) {
        EXPECT_STREQ(static_cast<const DA*>(member)->GetFcName(), "LG") << member->name;
    }
    // The Check attribute of the control structures is an enumeration, not basic type 13.
    const Element* check = Dictionary().FindDAType("SPCOperate")->FindElement("Check");
    EXPECT_STREQ(check->GetTypeName(), "Enum");
    EXPECT_STREQ(check->type->id, "Check");
}

TEST(BuiltInDictionaryLookup, EnumerationLiterals) {
    const EnumType& multiplier = Enumeration("multiplierEnum");
    EXPECT_STREQ(multiplier.literals.at(15), "Petra");
    EXPECT_STREQ(multiplier.literals.at(0), "zeroNoValue");
    EXPECT_STREQ(multiplier.literals.at(-24), "Yocto");
    EXPECT_EQ(multiplier.literals.count(4), 0u);

    const EnumType& charact = Enumeration("setCharactEnum");
    EXPECT_EQ(charact.literals.size(), 17u);
    EXPECT_STREQ(charact.literals.at(0), "");
    EXPECT_STREQ(charact.literals.at(1), "ANSI Extremly Inverse");
    EXPECT_STREQ(charact.literals.at(6), "Long-Time Extremely Inverse");

    const EnumType& units = Enumeration("SIUnitEnum");
    EXPECT_EQ(units.literals.size(), 58u);
    EXPECT_EQ(units.literals.begin()->first, 1);
    EXPECT_EQ(units.literals.rbegin()->first, 74);
    for (int missing : {12, 20, 40, 55, 60}) EXPECT_EQ(units.literals.count(missing), 0u) << missing;
    EXPECT_STREQ(units.literals.at(38), "watt");
    EXPECT_STREQ(units.literals.at(62), "watts");
    EXPECT_STREQ(units.literals.at(21), "Gray");
    EXPECT_STREQ(units.literals.at(6), "Kelvin");
    EXPECT_STREQ(units.literals.at(65), "Power factor");
    EXPECT_STREQ(units.literals.at(44), "meters per second2");

    EXPECT_EQ(Enumeration("dirPhsEnum").literals.count(3), 0u);
    EXPECT_STREQ(Enumeration("dirGeneralEnum").literals.at(3), "both");
    EXPECT_EQ(Enumeration("ctlModelsEnum").literals.size(), 5u);
    for (const auto& [value, literal] : Enumeration("ctlModelsEnum").literals) {
        EXPECT_STREQ(Enumeration("ctlModelEnum").literals.at(value), literal);
    }
    for (const EnumType* type : Dictionary().EnumTypes()) {
        EXPECT_EQ(type->FindElement("x"), nullptr);
        EXPECT_TRUE(Sorted(*type, {"b", "a"}).empty());
    }
}

TEST(BuiltInDictionaryLookup, SortNamesByElementOrder) {
    EXPECT_EQ(Sorted(DoType("SPS"), {"t", "q", "zz", "stVal", "aa", "q"}), (Names{"stVal", "q", "t", "aa", "zz"}));
    EXPECT_EQ(Sorted(DoType("SPS"), {"STVAL", "q"}), (Names{"q", "STVAL"}));
    EXPECT_EQ(Sorted(DoType("SPS"), {"subEna", "t"}), (Names{"t", "subEna"}));
    const ElementType& lln0 = *Dictionary().FindLNodeType("LLN0");
    EXPECT_EQ(Sorted(lln0, {"NamPlt", "Mod", "Beh", "Health", "Custom"}),
              (Names{"Mod", "Beh", "Health", "NamPlt", "Custom"}));
    // BufTm and BufTim are different members; both keep their declared places.
    EXPECT_EQ(Sorted(DoType("URCB"), {"GI", "BufTim", "RptID", "BufTm"}), (Names{"RptID", "BufTm", "BufTim", "GI"}));
    EXPECT_EQ(Sorted(BuiltInDataTypeTemplate(), {"XCBR", "LLN0", "LPHD", "ZZZZ"}),
              (Names{"LPHD", "LLN0", "XCBR", "ZZZZ"}));
}

TEST(BuiltInDictionaryLookup, DeviceModelBindingOfADataAttribute) {
    // A logical node's class, its data object, then an attribute under the branch's FC.
    const Element* cswi = BuiltInDataTypeTemplate().FindElement("CSWI");
    const Element* pos = cswi->type->FindElement("Pos");
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->kind, ElementKind::DO);
    EXPECT_STREQ(pos->GetTypeName(), "DPC");
    const Element* ctlVal = pos->type->FindElement("Oper")->type->FindElement("ctlVal");
    EXPECT_EQ(ctlVal->kind, ElementKind::BDA);
    EXPECT_STREQ(ctlVal->GetTypeName(), "BOOLEAN");
    const auto* stVal = static_cast<const DA*>(pos->type->FindElement("stVal"));
    EXPECT_STREQ(stVal->GetFcName(), "ST");
    EXPECT_STREQ(stVal->type->id, "Dbpos");
}

TEST(BuiltInDictionaryLookup, SameDictionaryFromEveryThread) {
    std::vector<const BuiltInDictionary*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] {
            const BuiltInDictionary& d = BuiltInDictionary::Instance();
            if (d.FindLNode("mmxu") != nullptr && d.FindDOType("WYE") != nullptr) seen[i] = &d;
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const BuiltInDictionary* d : seen) EXPECT_EQ(d, &Dictionary());
}

}  // namespace
}  // namespace Iec61850::Acsi::Scl
