// The data type templates of the ICD document: the types the model's nodes use, each
// class of equal structure written once under the dictionary's id and its class number.

#include <algorithm>

#include "iec61850/icd/ICDClasses.h"
#include "iec61850/scl/DA.h"
#include "iec61850/scl/Element.h"
#include "iec61850/scl/ElementType.h"
#include "iec61850/scl/EnumType.h"
#include "iec61850/scl/SclFunctionalConstraints.h"
#include "iec61850/scl/XmlWriter.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/Array.h"
#include "mms/values/Integer.h"
#include "mms/values/Object.h"

namespace Iec61850::Acsi::Scl {

namespace {

// Enumerations SCL has as basic types of their own: written without a type reference.
bool IsBasicEnumeration(const std::string& name) { return name == "Dbpos" || name == "Tcmd" || name == "Check"; }

std::string ClassId(const std::string& key, std::uint32_t classNumber) {
    return key + "_" + std::to_string(classNumber);
}

}  // namespace

std::uint32_t IcdExporter::ArrayCountOf(const SclTreeNode& member) {
    const Mms::NamedVariable* variable = member.GetVariable();
    if (const Mms::Container* value = variable != nullptr ? variable->GetValue() : nullptr) {
        const auto* array = dynamic_cast<const Mms::Array*>(value);
        return array != nullptr ? array->GetNumberOfElements() : 0;
    }
    const auto* da = dynamic_cast<const DA*>(member.GetElement());
    return da != nullptr && da->count > 0 ? static_cast<std::uint32_t>(da->count) : 0;
}

void IcdExporter::NumberTypeClasses(std::vector<TypeFiling>& filings) {
    if (filings.size() < 2) return;
    // One node stands for each class found so far; equal structure is an equivalence, so a
    // node is compared with those only.
    std::vector<const SclTreeNode*> classes{filings.front().node};
    filings.front().classNumber = 0;
    for (std::size_t i = 1; i < filings.size(); ++i) {
        TypeFiling& filing = filings[i];
        std::size_t number = 0;
        while (number < classes.size() && !IsSameType(*classes[number], *filing.node)) ++number;
        if (number == classes.size()) classes.push_back(filing.node);
        filing.classNumber = static_cast<std::uint32_t>(number);
    }
    MarkRepresentatives(filings);
}

void IcdExporter::MarkRepresentatives(std::vector<TypeFiling>& filings) {
    std::set<std::uint32_t> seen;
    for (TypeFiling& filing : filings) filing.representative = seen.insert(filing.classNumber).second;
}

bool IcdExporter::IsSameType(const SclTreeNode& a, const SclTreeNode& b) const {
    if (a.TypeKind() != b.TypeKind() || a.TypeName() != b.TypeName()) return false;
    if (a.Name() == "stVal" && !IsSameStVal(a, b)) return false;
    if (a.Children().size() != b.Children().size()) return false;
    for (std::size_t i = 0; i < a.Children().size(); ++i) {
        const SclTreeNode& x = *a.Children()[i];
        const SclTreeNode& y = *b.Children()[i];
        if (x.Name() != y.Name() || !IsSameType(x, y)) return false;
        // A data object's attributes carry their constraint: settings of a node with setting
        // groups are not those of one without.
        if (a.TypeKind() == SclTypeKind::DOType && x.TypeKind() != SclTypeKind::DOType &&
            WrittenFc(x) != WrittenFc(y)) {
            return false;
        }
    }
    return true;
}

bool IcdExporter::IsSameStVal(const SclTreeNode& a, const SclTreeNode& b) const {
    const std::string parentType = a.Parent() != nullptr ? a.Parent()->TypeName() : std::string();
    if (parentType != "INC" && parentType != "INS") return true;
    const std::string enumA = EnumTypeIdFor(a);
    if (enumA != EnumTypeIdFor(b)) return false;
    return !enumA.empty() || GetValueBasicType(a) == GetValueBasicType(b);
}

std::string IcdExporter::GetValueBasicType(const SclTreeNode& node) {
    const Mms::NamedVariable* variable = node.GetVariable();
    const Mms::Container* value = variable != nullptr ? variable->GetValue() : nullptr;
    if (value == nullptr) return {};
    if (value->GetClassId() == Mms::BooleanClassId) return "BOOLEAN";
    if (const auto* integer = dynamic_cast<const Mms::Integer*>(value)) {
        return "INT" + std::to_string(integer->GetPrecision());
    }
    return {};
}

void IcdExporter::IndexFilings() {
    filingIndex_.clear();
    for (const TypeMap* map : {&lNodeTypes_, &doTypes_, &daTypes_, &enumTypes_}) {
        for (const auto& [key, filings] : *map) {
            for (const TypeFiling& filing : filings) filingIndex_[{map, filing.node}] = {&key, filing.classNumber};
        }
    }
}

std::string IcdExporter::FiledClassId(const TypeMap& map, const SclTreeNode& node) const {
    const auto found = filingIndex_.find({&map, &node});
    if (found == filingIndex_.end()) return {};
    return ClassId(*found->second.key, found->second.classNumber);
}

void IcdExporter::DropEmptyDataObjectTypes() {
    // A type without members types nothing, and taking one out may empty the type above it.
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (const auto& [key, filings] : doTypes_) {
            for (const TypeFiling& filing : filings) {
                const auto& members = filing.node->Children();
                if (!IsFiled(doTypes_, *filing.node) ||
                    std::any_of(members.begin(), members.end(),
                                [this](const auto& m) { return IsWrittenMember(*m); })) {
                    continue;
                }
                filingIndex_.erase({&doTypes_, filing.node});
                dropped = true;
            }
        }
    }
}

bool IcdExporter::IsFiled(const TypeMap& map, const SclTreeNode& node) const {
    return filingIndex_.contains({&map, &node});
}

void IcdExporter::FileEnumeration(const std::string& name, SclTreeNode& node) {
    std::vector<TypeFiling>& filings = enumTypes_[name];
    filings.push_back({&node, static_cast<std::uint32_t>(filings.size()), true});
    filingIndex_[{&enumTypes_, &node}] = {&enumTypes_.find(name)->first, filings.back().classNumber};
}

bool IcdExporter::IsWrittenDaType(const SclTreeNode& node) const {
    // A constructed attribute's type is written when at least one member can be.
    for (const auto& child : node.Children()) {
        if (!BdaTypeOf(*child).empty()) return true;
    }
    return false;
}

std::string IcdExporter::BdaTypeOf(const SclTreeNode& member) const {
    switch (member.TypeKind()) {
        case SclTypeKind::DAType:
            return IsFiled(daTypes_, member) && IsWrittenDaType(member) ? "Struct" : std::string();
        case SclTypeKind::EnumType: {
            const std::string name = EnumNameFromTypeId(member.TypeName());
            if (!IsFiled(enumTypes_, member)) return {};
            return IsBasicEnumeration(name) ? name : "Enum";
        }
        default: return member.TypeName();
    }
}

void IcdExporter::WriteDataTypeTemplates(XmlWriter& writer) {
    // SCL's templates hold one LNodeType and one DOType at least; a model without them has
    // no templates to give, and the element may be left out.
    const bool anyDataObjectType = std::any_of(doTypes_.begin(), doTypes_.end(), [this](const auto& entry) {
        return std::any_of(entry.second.begin(), entry.second.end(),
                           [this](const TypeFiling& filing) { return IsFiled(doTypes_, *filing.node); });
    });
    if (lNodeTypes_.empty() || !anyDataObjectType) return;
    writer.StartElement("DataTypeTemplates");
    for (const auto& [key, filings] : lNodeTypes_) {
        for (const TypeFiling& filing : filings) {
            if (!filing.representative) continue;
            const auto typed = [this](const auto& child) { return IsFiled(doTypes_, *child); };
            if (std::none_of(filing.node->Children().begin(), filing.node->Children().end(), typed)) continue;
            writer.StartElement("LNodeType");
            writer.WriteAttribute("id", ClassId(key, filing.classNumber));
            writer.WriteAttribute("lnClass", key);
            for (const auto& child : filing.node->Children()) {
                if (!IsFiled(doTypes_, *child)) continue;
                writer.StartElement("DO");
                writer.WriteAttribute("name", child->Name());
                writer.WriteAttribute("type", FiledClassId(doTypes_, *child));
                writer.EndElement();
            }
            writer.EndElement();
        }
    }
    for (const auto& [key, filings] : doTypes_) {
        for (const TypeFiling& filing : filings) {
            if (!filing.representative || !IsFiled(doTypes_, *filing.node)) continue;
            writer.StartElement("DOType");
            writer.WriteAttribute("id", ClassId(key, filing.classNumber));
            writer.WriteAttribute("cdc", key);
            // Control members of attribute kind go last, as SCL tools list them.
            std::vector<SclTreeNode*> heldBack;
            for (const auto& child : filing.node->Children()) {
                const SclTypeKind kind = child->TypeKind();
                if (child->Fc() == "CO" && (kind == SclTypeKind::DAType || kind == SclTypeKind::NoType)) {
                    heldBack.push_back(child.get());
                } else {
                    WriteDoTypeMember(writer, *child);
                }
            }
            for (SclTreeNode* member : heldBack) WriteDoTypeMember(writer, *member);
            writer.EndElement();
        }
    }
    for (const auto& [key, filings] : daTypes_) {
        for (const TypeFiling& filing : filings) {
            if (!filing.representative || !IsWrittenDaType(*filing.node)) continue;
            writer.StartElement("DAType");
            writer.WriteAttribute("id", ClassId(key, filing.classNumber));
            for (const auto& child : filing.node->Children()) {
                const std::string bType = BdaTypeOf(*child);
                if (bType.empty()) continue;
                writer.StartElement("BDA");
                writer.WriteAttribute("name", child->Name());
                writer.WriteAttribute("bType", bType);
                if (child->TypeKind() == SclTypeKind::DAType) {
                    writer.WriteAttribute("type", FiledClassId(daTypes_, *child));
                } else if (bType == "Enum") {
                    writer.WriteAttribute("type", EnumNameFromTypeId(child->TypeName()));
                }
                writer.EndElement();
            }
            writer.EndElement();
        }
    }
    for (const auto& [name, filings] : enumTypes_) WriteEnumType(writer, name, filings);
    writer.EndElement();
}

std::string IcdExporter::DaTypeOf(const SclTreeNode& member) const {
    // No member without a basic type: what SCL cannot type stays out. An array of data
    // objects is an attribute of its elements' type; an attribute the dictionary lacks has
    // the basic type of its value, when it has no components. Nor one of a constraint the
    // file cannot name: it stays out of the types, and so of values and data sets.
    if (!IsSclFileConstraint(WrittenFc(member))) return {};
    if (member.HasElementTypeOfItsOwn()) return BdaTypeOf(member);
    if (member.GetElement() == nullptr) return member.Children().empty() ? member.TypeName() : std::string();
    switch (member.TypeKind()) {
        case SclTypeKind::DOType: return {};
        case SclTypeKind::DAType:
        case SclTypeKind::EnumType: return BdaTypeOf(member);
        default: break;
    }
    if (member.Name() == "stVal" && !EnumTypeIdFor(member).empty()) return "Enum";
    if (member.Name() == "actVal" || member.Name() == "frVal") {
        const std::string integer = GetValueBasicType(member);
        for (const char* width : {"INT8", "INT16", "INT24", "INT32", "INT64", "INT128"}) {
            if (integer == width) return integer;
        }
    }
    return member.TypeName();
}

bool IcdExporter::IsWrittenMember(const SclTreeNode& member) const {
    if (member.TypeKind() == SclTypeKind::DOType) return IsFiled(doTypes_, member);
    const SclTreeNode* parent = member.Parent();
    const SclTypeKind parentKind = parent != nullptr ? parent->TypeKind() : SclTypeKind::NoType;
    if (parentKind == SclTypeKind::DOType) return IsFiled(doTypes_, *parent) && !DaTypeOf(member).empty();
    if (parentKind == SclTypeKind::DAType) return IsFiled(daTypes_, *parent) && !BdaTypeOf(member).empty();
    return false;
}

bool IcdExporter::IsWrittenStructure(const SclTreeNode& member) const {
    if (member.TypeKind() == SclTypeKind::DOType) return IsFiled(doTypes_, member);
    return member.TypeKind() == SclTypeKind::DAType && BdaTypeOf(member) == "Struct";
}

std::string IcdExporter::WrittenFc(const SclTreeNode& member) {
    const auto* da = dynamic_cast<const DA*>(member.GetElement());
    if (member.Fc() == "XX" && da != nullptr && da->GetFcName() != nullptr) return da->GetFcName();
    return member.Fc();
}

void IcdExporter::WriteDoTypeMember(XmlWriter& writer, SclTreeNode& member) {
    const SclTypeKind kind = member.TypeKind();
    if (kind == SclTypeKind::DOType) {
        if (!IsFiled(doTypes_, member)) return;
        writer.StartElement("SDO");
        writer.WriteAttribute("name", member.Name());
        writer.WriteAttribute("type", FiledClassId(doTypes_, member));
        writer.EndElement();
        return;
    }
    const std::string bType = DaTypeOf(member);
    if (bType.empty()) return;
    std::string type;
    if (kind == SclTypeKind::DAType) {
        type = FiledClassId(daTypes_, member);
    } else if (kind == SclTypeKind::EnumType) {
        if (bType == "Enum") type = EnumNameFromTypeId(member.TypeName());
    } else if (bType == "Enum") {
        type = EnumTypeIdFor(member);
        if (!IsFiled(enumTypes_, member)) FileEnumeration(type, member);
    }
    const auto* da = dynamic_cast<const DA*>(member.GetElement());
    writer.StartElement("DA");
    writer.WriteAttribute("name", member.Name());
    writer.WriteAttribute("fc", WrittenFc(member));
    writer.WriteAttribute("bType", bType);
    if (!type.empty()) writer.WriteAttribute("type", type);
    if (da != nullptr) {
        // What the device reports on: a server made from the file reports on the same changes.
        if (da->dchg) writer.WriteAttribute("dchg", "true");
        if (da->qchg) writer.WriteAttribute("qchg", "true");
        if (da->dupd) writer.WriteAttribute("dupd", "true");
    }
    if (kind != SclTypeKind::EnumType) {
        if (const std::uint32_t count = ArrayCountOf(member); count > 0) writer.AddAttribute("count", count);
    }
    writer.EndElement();
}

std::string IcdExporter::EnumerationOf(const SclTreeNode& node) const {
    const SclTreeNode* parent = node.Parent();
    if (parent == nullptr) return {};
    const std::string bType = parent->TypeKind() == SclTypeKind::DOType ? DaTypeOf(node) : BdaTypeOf(node);
    if (bType != "Enum") return {};
    return node.TypeKind() == SclTypeKind::EnumType ? EnumNameFromTypeId(node.TypeName()) : EnumTypeIdFor(node);
}

std::optional<std::string> IcdExporter::EnumLiteral(const std::string& enumeration, const SclTreeNode& node,
                                                    std::int32_t number) const {
    // From where WriteEnumType takes the EnumType's literals.
    if (const IcdEnumRow* row = FindEnumeration(enumeration)) {
        for (const IcdEnumLiteral& literal : row->literals) {
            if (literal.value == number) return std::string(literal.text);
        }
        return std::nullopt;
    }
    const auto* type = node.GetElement() != nullptr ? dynamic_cast<const EnumType*>(node.GetElement()->type) : nullptr;
    const auto found = type != nullptr ? type->literals.find(number) : decltype(type->literals.end()){};
    if (type == nullptr || found == type->literals.end()) return std::nullopt;
    return std::string(found->second);
}

void IcdExporter::WriteEnumType(XmlWriter& writer, const std::string& name, const std::vector<TypeFiling>& filings) {
    // The exporter's own table first; an enumeration it lacks takes the literals of the
    // dictionary enumeration its nodes derive from. SCL has no enumeration without literals.
    std::vector<std::pair<std::int32_t, std::string>> literals;
    if (const IcdEnumRow* row = FindEnumeration(name)) {
        for (const IcdEnumLiteral& literal : row->literals) literals.emplace_back(literal.value, literal.text);
    } else {
        for (const TypeFiling& filing : filings) {
            const Element* element = filing.node->GetElement();
            const auto* enumeration = element != nullptr ? dynamic_cast<const EnumType*>(element->type) : nullptr;
            if (enumeration == nullptr) continue;
            for (const auto& [value, text] : enumeration->literals) literals.emplace_back(value, text);
            break;
        }
    }
    if (literals.empty()) return;
    writer.StartElement("EnumType");
    writer.WriteAttribute("id", name);
    for (const auto& [value, text] : literals) {
        writer.StartElement("EnumVal");
        writer.WriteAttribute("ord", std::to_string(value));
        writer.WriteText(text);
        writer.EndElement();
    }
    writer.EndElement();
}

}  // namespace Iec61850::Acsi::Scl
