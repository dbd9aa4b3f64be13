#include "mms/values/Structure.h"

#include <cstdlib>
#include <string>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerFactory.h"
#include "mms/values/ValueHolder.h"
#include "system/NumberText.h"

namespace Mms {

Structure::Structure() { ErrStatus = System::OkNoError; }

Structure::Structure(const MmsTypeDescription& type) {
    ContainerBudget budget;
    BuildFromType(type, budget);
}

Structure::Structure(const MmsTypeDescription& type, ContainerBudget& budget) { BuildFromType(type, budget); }

Structure::Structure(const MmsData& data) {
    if (AcceptDataChoice(data, MmsDataStructure)) BuildFromValues(data.choice.structure);
}

void Structure::BuildFromType(const MmsTypeDescription& type, ContainerBudget& budget) {
    if (type.present != MmsTypeStructure) {
        ErrStatus = System::InvalidArguments;
        return;
    }
    const MmsStructureTypeDescription& description = type.choice.structure;
    packed_ = ReadPacked(description.packed);
    ErrStatus = System::OkNoError;
    for (const MmsStructureComponent* entry : description.components) {
        if (entry == nullptr || entry->componentName == nullptr) {
            ErrStatus = System::Error;
            return;
        }
        System::ResultCode result = System::OkNoError;
        std::unique_ptr<Container> component = CreateContainerFromTypeSpec(entry->componentType, budget, result);
        if (component == nullptr) {
            ErrStatus = result;
            return;
        }
        const Asn1OctetString& name = *entry->componentName;
        component->name_.assign(reinterpret_cast<const char*>(name.buf), name.size > 0 ? name.size : 0);
        // A name that repeats an earlier one is left out.
        AddComponent(std::move(component));
    }
}

std::uint32_t Structure::GetClassId() const { return StructureClassId; }

const char* Structure::GetClassName() const { return "Structure"; }

System::ResultCode Structure::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "Packed") return System::ParseBoolean(packed_, value);
    return Container::SetAttribute(name, value);
}

System::ResultCode Structure::Bind(ValueHolder* holder, const ObjectMap* variables) {
    const System::ResultCode result = Container::Bind(holder, variables);
    if (result != System::OkNoError) return result;
    const std::string* item = holder->ItemName();
    if (variables == nullptr || item == nullptr) return System::OkNoError;
    for (const auto& component : members_) {
        if (component->name_.empty()) continue;
        const auto found = variables->find(*item + "$" + component->name_);
        if (found == variables->end()) continue;
        // Only named variables take components: a map entry of another kind stays apart.
        auto* target = dynamic_cast<ValueHolder*>(found->second);
        if (target != nullptr && target->ItemName() != nullptr) component->Bind(target, variables);
    }
    return System::OkNoError;
}

System::ResultCode Structure::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = MmsTypeStructure;
    MmsStructureTypeDescription& description = type.choice.structure;
    const System::ResultCode packed = WritePacked(type, description.packed);
    if (packed != System::OkNoError) return packed;
    for (const auto& component : members_) {
        auto* entry = static_cast<MmsStructureComponent*>(std::calloc(1, sizeof(MmsStructureComponent)));
        if (entry == nullptr || Asn1::Asn1SequenceOfAppend(&description.components, entry) != 0) {
            std::free(entry);
            ClearType(type);
            return System::NoResources;
        }
        entry->componentName =
            Asn1::Asn1OctetStringNew(&MmsIdentifierType, component->name_.data(), component->name_.size());
        entry->componentType = static_cast<MmsTypeSpecification*>(Asn1::Asn1NewValue(&MmsTypeSpecificationType));
        if (entry->componentName == nullptr || entry->componentType == nullptr) {
            ClearType(type);
            return System::NoResources;
        }
        entry->componentType->present = MmsTypeSpecificationDescription;
        const System::ResultCode result = component->ToTypeSpec(entry->componentType->choice.typeDescription);
        if (result != System::OkNoError) {
            ClearType(type);
            return result;
        }
    }
    return System::OkNoError;
}

System::ResultCode Structure::Assign(const Container& other) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckSameClass(other) != System::OkNoError) return System::InvalidArguments;
    const auto& source = static_cast<const Structure&>(other);
    if (source.members_.size() != members_.size()) return Record(System::InvalidArguments);
    return AssignMembers(source);
}

System::ResultCode Structure::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataStructure) != System::OkNoError ||
        static_cast<std::size_t>(data.choice.structure.Count()) != members_.size()) {
        return Record(System::InvalidArguments);
    }
    for (std::size_t i = 0; i < members_.size(); ++i) {
        const MmsData* value = data.choice.structure[static_cast<std::int32_t>(i)];
        if (value != nullptr) members_[i]->FromData(*value);
    }
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Structure::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataStructure;
    return MembersToData(data, data.choice.structure);
}

System::ResultCode Structure::AddComponent(std::unique_ptr<Container> component) {
    if (component == nullptr) return System::InvalidArguments;
    if (!component->name_.empty() && FindComponent(component->name_) != nullptr) return System::InvalidArguments;
    Container& added = *component;
    AppendMember(std::move(component));
    Index(added);
    return System::OkNoError;
}

Container* Structure::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    if (named_ != nullptr) {
        const auto found = named_->find(name);
        return found != named_->end() ? found->second : nullptr;
    }
    for (const auto& member : members_) {
        if (member->name_ == name) return member.get();
    }
    return nullptr;
}

void Structure::Index(Container& component) {
    if (named_ != nullptr) {
        if (!component.name_.empty()) named_->emplace(component.name_, &component);
        return;
    }
    if (members_.size() < kIndexedFrom) return;
    named_ = std::make_unique<ComponentIndex>();
    for (const auto& member : members_) {
        if (!member->name_.empty()) named_->emplace(member->name_, member.get());
    }
}

void Structure::Unindex(const Container& component) {
    if (named_ == nullptr || component.name_.empty()) return;
    const auto found = named_->find(component.name_);
    if (found != named_->end() && found->second == &component) named_->erase(found);
}

System::ResultCode Structure::RenameComponent(Container& component, std::string_view name) {
    if (component.name_ == name) return System::OkNoError;
    if (FindComponent(name) != nullptr) return System::InvalidArguments;
    Unindex(component);
    component.name_ = name;
    if (named_ != nullptr && !component.name_.empty()) named_->emplace(component.name_, &component);
    return System::OkNoError;
}

void Structure::ForgetMember(Container* member) {
    Unindex(*member);
    CompositeContainer::ForgetMember(member);
}

std::unique_ptr<Container> Structure::ReplaceMember(Container& member, std::unique_ptr<Container>& replacement) {
    Container* const incoming = replacement.get();
    const bool indexed = named_ != nullptr && named_->contains(member.name_) && named_->at(member.name_) == &member;
    if (indexed) Unindex(member);
    std::unique_ptr<Container> previous = CompositeContainer::ReplaceMember(member, replacement);
    // The key viewed the previous member's name; the replacement holds its own copy.
    if (indexed) named_->emplace(incoming->name_, previous != nullptr ? incoming : &member);
    return previous;
}

}  // namespace Mms
