#include "iec61850/scl/BuiltInDictionary.h"

#include <cstring>

#include "iec61850/scl/DictionaryTables.h"
#include "system/StringText.h"

namespace Iec61850::Acsi::Scl {

namespace {

namespace Tables = DictionaryTables;

// Types may refer only to types built before them, so a reference is resolved against
// what exists so far; an id is matched exactly, as the tables spell it.
template <typename Type>
const Type* FindBuilt(const std::vector<const Type*>& types, const char* id) {
    if (id == nullptr) return nullptr;
    for (const Type* type : types) {
        if (std::strcmp(type->id, id) == 0) return type;
    }
    return nullptr;
}

template <typename Type>
const Type* FindNoCase(std::span<const Type* const> types, std::string_view id) {
    for (const Type* type : types) {
        if (System::CompareNoCase(type->id, id) == 0) return type;
    }
    return nullptr;
}

}  // namespace

const BuiltInDictionary& BuiltInDictionary::Instance() {
    // Deliberately never destroyed, see the class comment.
    static const BuiltInDictionary* const instance = new BuiltInDictionary();
    return *instance;
}

const DataTypeTemplate& BuiltInDataTypeTemplate() { return BuiltInDictionary::Instance().Root(); }

BuiltInDictionary::BuiltInDictionary() {
    BuildEnumTypes();
    BuildDATypes();
    BuildDOTypes();
    BuildLogicalNodeClasses();
}

const Element* const* BuiltInDictionary::StoreMemberList(std::vector<const Element*> members) {
    members.push_back(nullptr);
    memberLists_.push_back(std::move(members));
    return memberLists_.back().data();
}

void BuiltInDictionary::BuildEnumTypes() {
    for (const Tables::EnumTypeEntry& entry : Tables::EnumTypeEntries()) {
        enumTypes_.push_back(&enumTypeStore_.emplace_back(entry.id, entry.literals));
    }
}

void BuiltInDictionary::BuildDATypes() {
    for (const Tables::DaTypeEntry& entry : Tables::DaTypeEntries()) {
        std::vector<const Element*> members;
        for (const Tables::BdaEntry& bda : entry.members) {
            const ElementType* type = nullptr;
            if (bda.basicType == BasicTypeCode::Struct) type = FindBuilt(daTypes_, bda.typeId);
            if (bda.basicType == BasicTypeCode::Enum) type = FindBuilt(enumTypes_, bda.typeId);
            members.push_back(&bdaStore_.emplace_back(bda.name, type, bda.basicType, bda.presence, bda.count));
        }
        daTypes_.push_back(&daTypeStore_.emplace_back(entry.id, StoreMemberList(std::move(members))));
    }
}

void BuiltInDictionary::BuildDOTypes() {
    for (const Tables::DoTypeEntry& entry : Tables::DoTypeEntries()) {
        std::vector<const Element*> members;
        auto addMember = [&](const Tables::DoTypeMemberEntry& member) {
            if (member.kind == ElementKind::SDO) {
                const ElementType* type = FindBuilt(doTypes_, member.typeId);
                members.push_back(&sdoStore_.emplace_back(member.name, type, member.presence));
                return;
            }
            const ElementType* type = nullptr;
            if (member.basicType == BasicTypeCode::Struct) type = FindBuilt(daTypes_, member.typeId);
            if (member.basicType == BasicTypeCode::Enum) type = FindBuilt(enumTypes_, member.typeId);
            members.push_back(
                &daStore_.emplace_back(member.name, type, member.fc, member.basicType,
                                       (member.triggers & Tables::Dchg) != 0, (member.triggers & Tables::Qchg) != 0,
                                       (member.triggers & Tables::Dupd) != 0, member.presence, member.count));
        };
        for (const Tables::DoTypeMemberEntry& member : entry.members) addMember(member);
        if (entry.descriptionTail) {
            for (const Tables::DoTypeMemberEntry& member : Tables::DescriptionTail()) addMember(member);
        }
        doTypes_.push_back(&doTypeStore_.emplace_back(entry.id, entry.cdc, StoreMemberList(std::move(members))));
    }
}

void BuiltInDictionary::BuildLogicalNodeClasses() {
    std::vector<const Element*> classes;
    for (const Tables::LogicalNodeClassEntry& entry : Tables::LogicalNodeClassEntries()) {
        std::vector<const Element*> members;
        auto addMember = [&](const Tables::DoEntry& member) {
            const ElementType* type = FindBuilt(doTypes_, member.typeId);
            members.push_back(&doStore_.emplace_back(member.name, type, member.presence));
        };
        if (entry.commonHead) {
            for (const Tables::DoEntry& member : Tables::CommonHead()) addMember(member);
        }
        for (const Tables::DoEntry& member : entry.members) addMember(member);
        const LNodeType& type =
            lNodeTypeStore_.emplace_back(entry.lnClass, entry.lnClass, StoreMemberList(std::move(members)));
        lNodeTypes_.push_back(&type);
        classes.push_back(&lNodeStore_.emplace_back(entry.lnClass, &type));
    }
    root_ = std::make_unique<DataTypeTemplate>(StoreMemberList(std::move(classes)));
}

const EnumType* BuiltInDictionary::FindEnumType(std::string_view id) const { return FindNoCase(EnumTypes(), id); }

const DAType* BuiltInDictionary::FindDAType(std::string_view id) const { return FindNoCase(DATypes(), id); }

const DOType* BuiltInDictionary::FindDOType(std::string_view id) const { return FindNoCase(DOTypes(), id); }

const LNodeType* BuiltInDictionary::FindLNodeType(std::string_view id) const { return FindNoCase(LNodeTypes(), id); }

const LNode* BuiltInDictionary::FindLNode(std::string_view lnClass) const {
    // Every member of the root is an LNode.
    return static_cast<const LNode*>(root_->FindElement(lnClass));
}

}  // namespace Iec61850::Acsi::Scl
