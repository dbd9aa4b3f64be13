#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "iec61850/scl/BuiltInDictionary.h"

// The whole dictionary against its listing (BuiltInDictionary.txt beside this file), plus
// the totals and the integrity of every reference.
namespace Iec61850::Acsi::Scl {
namespace {

const BuiltInDictionary& Dictionary() { return BuiltInDictionary::Instance(); }

std::string TypeText(const BDA& member) {
    std::string text = member.GetTypeName();
    if (member.type != nullptr) text += std::string(":") + member.type->id;
    return text;
}

std::string PresenceAndCount(std::int32_t presence, std::int32_t count) {
    std::string text;
    if (presence != 0) text += " p" + std::to_string(presence);
    if (count != 0) text += " [" + std::to_string(count) + "]";
    return text;
}

std::string MemberText(const Element& element) {
    switch (element.kind) {
        case ElementKind::BDA: {
            const auto& bda = static_cast<const BDA&>(element);
            return std::string(bda.name) + " " + TypeText(bda) + PresenceAndCount(bda.presence, bda.count);
        }
        case ElementKind::DA: {
            const auto& da = static_cast<const DA&>(element);
            const char* fc = da.GetFcName();
            std::string text = std::string(da.name) + " " + (fc != nullptr ? fc : "?") + " " + TypeText(da);
            if (da.dchg) text += " dchg";
            if (da.qchg) text += " qchg";
            if (da.dupd) text += " dupd";
            return text + PresenceAndCount(da.presence, da.count);
        }
        case ElementKind::SDO: {
            const auto& sdo = static_cast<const SDO&>(element);
            return std::string(sdo.name) + " SDO:" + sdo.GetTypeName() + PresenceAndCount(sdo.presence, 0);
        }
        case ElementKind::DO: {
            const auto& dataObject = static_cast<const DO&>(element);
            return std::string(dataObject.name) + " " + dataObject.GetTypeName() +
                   PresenceAndCount(dataObject.presence, 0);
        }
        case ElementKind::LNode: break;
    }
    return "?";
}

std::string MemberList(const ElementType& type) {
    std::string text;
    for (const Element* element : type.Elements()) {
        if (!text.empty()) text += "; ";
        text += MemberText(*element);
    }
    return text;
}

// The dictionary in the notation of the listing file, one line per type.
std::vector<std::string> Render() {
    std::vector<std::string> lines{"# Enumerations"};
    for (const EnumType* type : Dictionary().EnumTypes()) {
        std::string line = "\"" + std::string(type->id) + "\", " + std::to_string(type->literals.size()) + " values: ";
        bool first = true;
        for (const auto& [value, literal] : type->literals) {
            line += (first ? "" : "; ") + std::to_string(value) + " \"" + literal + "\"";
            first = false;
        }
        lines.push_back(line);
    }
    lines.insert(lines.end(), {"", "# Attribute types"});
    for (const DAType* type : Dictionary().DATypes()) {
        lines.push_back("\"" + std::string(type->id) + "\", " + std::to_string(type->Elements().size()) +
                        " members: " + MemberList(*type));
    }
    lines.insert(lines.end(), {"", "# Data-object types"});
    for (const DOType* type : Dictionary().DOTypes()) {
        const std::string cdcMark = type->cdc[0] == '\0' ? " (no cdc)" : "";
        lines.push_back("\"" + std::string(type->id) + "\"" + cdcMark + ", " + std::to_string(type->Elements().size()) +
                        " members: " + MemberList(*type));
    }
    lines.insert(lines.end(), {"", "# Logical-node classes"});
    const auto classes = Dictionary().Root().Elements();
    for (std::size_t i = 0; i < classes.size();) {
        const char group = classes[i]->name[0];
        std::size_t end = i;
        while (end < classes.size() && classes[end]->name[0] == group) ++end;
        const std::size_t size = end - i;
        lines.push_back(std::string("Group ") + group + ", " + std::to_string(size) +
                        (size == 1 ? " class" : " classes"));
        for (; i < end; ++i) {
            const ElementType& type = *classes[i]->type;
            lines.push_back("\"" + std::string(classes[i]->name) + "\", " + std::to_string(type.Elements().size()) +
                            ": " + MemberList(type));
        }
    }
    return lines;
}

std::vector<std::string> ReadListing() {
    std::ifstream file(IEC_SOURCE_DIR "/tests/iec61850/scl/BuiltInDictionary.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

TEST(BuiltInDictionaryContent, MatchesTheListingLineForLine) {
    const std::vector<std::string> expected = ReadListing();
    ASSERT_FALSE(expected.empty()) << "listing file missing";
    const std::vector<std::string> actual = Render();
    for (std::size_t i = 0; i < std::min(expected.size(), actual.size()); ++i) {
        EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;
    }
    EXPECT_EQ(actual.size(), expected.size());
}

template <typename Type>
std::size_t CountMembers(std::span<const Type* const> types, ElementKind kind) {
    std::size_t count = 0;
    for (const Type* type : types) {
        for (const Element* element : type->Elements()) count += element->kind == kind ? 1 : 0;
    }
    return count;
}

TEST(BuiltInDictionaryContent, Totals) {
    const BuiltInDictionary& d = Dictionary();
    EXPECT_EQ(d.EnumTypes().size(), 19u);
    std::size_t literals = 0;
    for (const EnumType* type : d.EnumTypes()) literals += type->literals.size();
    EXPECT_EQ(literals, 166u);

    EXPECT_EQ(d.DATypes().size(), 29u);
    EXPECT_EQ(CountMembers(d.DATypes(), ElementKind::BDA), 153u);
    EXPECT_EQ(d.DOTypes().size(), 34u);
    EXPECT_EQ(CountMembers(d.DOTypes(), ElementKind::DA), 491u);
    EXPECT_EQ(CountMembers(d.DOTypes(), ElementKind::SDO), 12u);
    EXPECT_EQ(d.LNodeTypes().size(), 92u);
    EXPECT_EQ(CountMembers(d.LNodeTypes(), ElementKind::DO), 1291u);
    EXPECT_EQ(d.Root().Elements().size(), 92u);

    // Nothing but the expected kinds anywhere.
    std::size_t all = 0;
    for (const DAType* type : d.DATypes()) all += type->Elements().size();
    for (const DOType* type : d.DOTypes()) all += type->Elements().size();
    for (const LNodeType* type : d.LNodeTypes()) all += type->Elements().size();
    EXPECT_EQ(all, 153u + 491u + 12u + 1291u);
}

TEST(BuiltInDictionaryContent, TypeKindsIdsAndNullTerminatedLists) {
    const BuiltInDictionary& d = Dictionary();
    for (const EnumType* type : d.EnumTypes()) {
        EXPECT_EQ(type->kind, ElementTypeKind::EnumType);
        EXPECT_EQ(type->elements, nullptr);
    }
    auto checkList = [](const ElementType& type, ElementTypeKind kind) {
        EXPECT_EQ(type.kind, kind) << type.id;
        ASSERT_NE(type.elements, nullptr) << type.id;
        EXPECT_EQ(type.elements[type.Elements().size()], nullptr) << type.id;
        EXPECT_FALSE(type.Elements().empty()) << type.id;
    };
    for (const DAType* type : d.DATypes()) checkList(*type, ElementTypeKind::DAType);
    for (const DOType* type : d.DOTypes()) {
        checkList(*type, ElementTypeKind::DOType);
        const std::set<std::string> withoutCdc{"URCB", "BRCB", "LCB", "GOOSE", "HST"};
        EXPECT_STREQ(type->cdc, withoutCdc.count(type->id) != 0 ? "" : type->id);
    }
    for (const LNodeType* type : d.LNodeTypes()) checkList(*type, ElementTypeKind::LNodeType);
    checkList(d.Root(), ElementTypeKind::DataTypeTemplate);
    EXPECT_STREQ(d.Root().id, "");

    for (std::size_t i = 0; i < d.LNodeTypes().size(); ++i) {
        const Element* lNode = d.Root().Elements()[i];
        const LNodeType* type = d.LNodeTypes()[i];
        EXPECT_EQ(lNode->kind, ElementKind::LNode);
        EXPECT_EQ(lNode->type, type);
        EXPECT_STREQ(lNode->name, type->id);
        EXPECT_STREQ(type->lnClass, type->id);
        EXPECT_EQ(std::string(type->id).size(), 4u);
    }
}

template <typename Type>
std::map<const ElementType*, std::size_t> Positions(std::span<const Type* const> types) {
    std::map<const ElementType*, std::size_t> positions;
    for (std::size_t i = 0; i < types.size(); ++i) positions[types[i]] = i;
    return positions;
}

// Every reference resolves to a type of the right kind that is built before the referring
// type, and only Struct and Enum members carry one.
TEST(BuiltInDictionaryContent, EveryReferenceResolvesBackwards) {
    const BuiltInDictionary& d = Dictionary();
    const auto enums = Positions(d.EnumTypes());
    const auto daTypes = Positions(d.DATypes());
    const auto doTypes = Positions(d.DOTypes());
    const auto lnTypes = Positions(d.LNodeTypes());

    auto checkAttribute = [&](const BDA& member, const std::string& where, std::size_t ownDaPosition) {
        SCOPED_TRACE(where + "." + member.name);
        if (member.basicType == BasicTypeCode::Struct) {
            ASSERT_NE(member.type, nullptr);
            ASSERT_EQ(daTypes.count(member.type), 1u);
            EXPECT_LT(daTypes.at(member.type), ownDaPosition);
        } else if (member.basicType == BasicTypeCode::Enum) {
            ASSERT_NE(member.type, nullptr);
            EXPECT_EQ(enums.count(member.type), 1u);
        } else {
            EXPECT_EQ(member.type, nullptr);
        }
        const auto code = static_cast<int>(member.basicType);
        EXPECT_TRUE(code >= 0 && code <= 30 && (code < 13 || code > 15)) << code;
    };
    for (const DAType* type : d.DATypes()) {
        for (const Element* element : type->Elements()) {
            ASSERT_EQ(element->kind, ElementKind::BDA);
            checkAttribute(static_cast<const BDA&>(*element), type->id, daTypes.at(type));
        }
    }
    for (const DOType* type : d.DOTypes()) {
        for (const Element* element : type->Elements()) {
            if (element->kind == ElementKind::SDO) {
                ASSERT_EQ(doTypes.count(element->type), 1u) << type->id << "." << element->name;
                EXPECT_LT(doTypes.at(element->type), doTypes.at(type));
            } else {
                ASSERT_EQ(element->kind, ElementKind::DA);
                checkAttribute(static_cast<const DA&>(*element), type->id, daTypes.size());
                EXPECT_NE(static_cast<const DA*>(element)->GetFcName(), nullptr);
            }
        }
    }
    for (const LNodeType* type : d.LNodeTypes()) {
        for (const Element* element : type->Elements()) {
            ASSERT_EQ(element->kind, ElementKind::DO);
            EXPECT_EQ(doTypes.count(element->type), 1u) << type->id << "." << element->name;
        }
    }
    for (const Element* lNode : d.Root().Elements()) EXPECT_EQ(lnTypes.count(lNode->type), 1u);
}

TEST(BuiltInDictionaryContent, ReferenceCountsAndTypesNothingReaches) {
    const BuiltInDictionary& d = Dictionary();
    std::map<std::string, int> references;
    auto count = [&](const ElementType& type) {
        for (const Element* element : type.Elements()) {
            if (element->type != nullptr) ++references[element->type->id];
        }
    };
    for (const DAType* type : d.DATypes()) count(*type);
    for (const DOType* type : d.DOTypes()) count(*type);
    for (const LNodeType* type : d.LNodeTypes()) count(*type);

    EXPECT_EQ(references["INS"], 268);
    std::vector<std::string> unreferenced;
    for (const EnumType* type : d.EnumTypes()) {
        if (references.count(type->id) == 0) unreferenced.push_back(type->id);
    }
    for (const DAType* type : d.DATypes()) {
        if (references.count(type->id) == 0) unreferenced.push_back(type->id);
    }
    for (const DOType* type : d.DOTypes()) {
        if (references.count(type->id) == 0) unreferenced.push_back(type->id);
    }
    EXPECT_EQ(unreferenced, (std::vector<std::string>{"ctlModelsEnum", "SGCB", "DPS", "URCB", "BRCB", "LCB", "GOOSE"}));
}

TEST(BuiltInDictionaryContent, ArraysAreTheListedSixteenElementHarmonicsCurvesAndHistograms) {
    std::vector<std::string> arrays;
    for (const ElementType* type : Dictionary().DATypes()) {
        for (const Element* element : type->Elements()) EXPECT_EQ(static_cast<const BDA*>(element)->count, 0);
    }
    for (const DOType* type : Dictionary().DOTypes()) {
        for (const Element* element : type->Elements()) {
            if (element->kind != ElementKind::DA) continue;
            const auto* da = static_cast<const DA*>(element);
            if (da->count == 0) continue;
            EXPECT_EQ(da->count, 16) << type->id << "." << da->name;
            arrays.push_back(std::string(type->id) + "." + da->name);
        }
    }
    EXPECT_EQ(arrays,
              (std::vector<std::string>{"HMV.har", "HWYE.phsAHar", "HWYE.phsBHar", "HWYE.phsCHar", "HWYE.neutHar",
                                        "HWYE.netHar", "HWYE.resHar", "HDEL.phsABHar", "HDEL.phsBCHar", "HDEL.phsCAHar",
                                        "CSD.crvPts", "HST.hstCnt", "HST.hstRangeC"}));
}

TEST(BuiltInDictionaryContent, PresenceCodes) {
    std::set<int> attributeCodes;
    for (const DAType* type : Dictionary().DATypes()) {
        for (const Element* element : type->Elements()) {
            attributeCodes.insert(static_cast<const BDA*>(element)->presence);
        }
    }
    for (const DOType* type : Dictionary().DOTypes()) {
        for (const Element* element : type->Elements()) {
            attributeCodes.insert(element->kind == ElementKind::SDO ? static_cast<const SDO*>(element)->presence
                                                                    : static_cast<const DA*>(element)->presence);
        }
    }
    EXPECT_EQ(*attributeCodes.begin(), 0);
    EXPECT_EQ(*attributeCodes.rbegin(), 26);

    // Data objects with codes above 1, by class.
    std::map<std::string, std::string> unusual;
    for (const LNodeType* type : Dictionary().LNodeTypes()) {
        for (const Element* element : type->Elements()) {
            const auto presence = static_cast<const DO*>(element)->presence;
            EXPECT_GE(presence, 0);
            EXPECT_LE(presence, 4);
            if (presence > 1) unusual[type->id] += std::string(element->name) + std::to_string(presence) + " ";
        }
    }
    const std::map<std::string, std::string> expected{{"PTEF", "Str2 Op2 "},
                                                      {"PTRC", "Tr2 Op2 "},
                                                      {"RBRF", "OpEx2 OpIn2 "},
                                                      {"RPSB", "Str3 Op4 BlkZn3 "},
                                                      {"ATCC", "TapChg2 TapPos2 "},
                                                      {"MDIF", "OpARem2 Amp12 Amp22 Amp32 "},
                                                      {"MHAI", "Hz2 HzSet2 "},
                                                      {"MHAN", "Hz2 HzSet2 "},
                                                      {"MSQI", "SeqA2 SeqV2 "},
                                                      {"SIMG", "PresAlm2 DenAlm2 TmpAlm2 "},
                                                      {"SIML", "TmpAlm2 PresTr2 PresAlm2 "},
                                                      {"SPDC", "AcuPaDsch2 PaDschAlm2 "},
                                                      {"YLTC", "TapPos2 TapChg2 "}};
    EXPECT_EQ(unusual, expected);
}

TEST(BuiltInDictionaryContent, NamesAreUniqueIgnoringCaseButForTheTimeOfEntryPair) {
    const BuiltInDictionary& d = Dictionary();
    std::vector<const ElementType*> types(d.DATypes().begin(), d.DATypes().end());
    types.insert(types.end(), d.DOTypes().begin(), d.DOTypes().end());
    types.insert(types.end(), d.LNodeTypes().begin(), d.LNodeTypes().end());
    types.push_back(&d.Root());
    for (const ElementType* type : types) {
        std::map<std::string, int> seen;
        for (const Element* element : type->Elements()) {
            std::string folded = element->name;
            for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            ++seen[folded];
        }
        for (const auto& [name, times] : seen) {
            const bool allowed = std::string(type->id) == "BRCB" && name == "timeofentry";
            EXPECT_EQ(times, allowed ? 2 : 1) << type->id << "." << name;
        }
    }
}

}  // namespace
}  // namespace Iec61850::Acsi::Scl
