#include "mms/Structure.h"

#include <cstdlib>
#include <string>

#include "mms/ContainerFactory.h"
#include "mms/MmsPduData.h"
#include "mms/NamedVariable.h"
#include "system/NumberText.h"

namespace Mms {

Structure::Structure() { ErrStatus = System::OkNoError; }

Structure::Structure(const MmsTypeDescription& type) {
    ContainerBudget budget;
    BuildFromType(type, budget);
}

Structure::Structure(const MmsTypeDescription& type, ContainerBudget& budget) { BuildFromType(type, budget); }

Structure::Structure(const MmsData& data) {
    if (data.present != MmsDataStructure) {
        ErrStatus = System::InvalidArguments;
        return;
    }
    for (const MmsData* value : data.choice.structure) {
        std::unique_ptr<Container> component;
        const System::ResultCode result =
            value != nullptr ? NewContainerFromData(*value, component) : System::InvalidArguments;
        if (result != System::OkNoError) {
            ErrStatus = result;
            return;
        }
        component->parent_ = this;
        components_.push_back(std::move(component));
    }
    MarkValid();
}

Structure::~Structure() {
    for (const auto& component : components_) component->parent_ = nullptr;
    named_.clear();
    components_.clear();
}

void Structure::BuildFromType(const MmsTypeDescription& type, ContainerBudget& budget) {
    if (type.present != MmsTypeStructure) {
        ErrStatus = System::InvalidArguments;
        return;
    }
    const MmsStructureTypeDescription& description = type.choice.structure;
    packed_ = description.packed != nullptr && *description.packed != 0;
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

bool Structure::IsValid() const {
    for (const auto& component : components_) {
        if (!component->IsValid()) return false;
    }
    return true;
}

void Structure::SetState(std::int32_t state) {
    Container::SetState(state);
    for (const auto& component : components_) component->SetState(state);
}

System::ResultCode Structure::Bind(Variable* variable, const ObjectMap* variables) {
    const System::ResultCode result = Container::Bind(variable, variables);
    if (result != System::OkNoError) return result;
    const auto* named = dynamic_cast<const NamedVariable*>(variable);
    if (variables == nullptr || named == nullptr) return System::OkNoError;
    for (const auto& component : components_) {
        if (component->name_.empty()) continue;
        const auto found = variables->find(named->Name + "$" + component->name_);
        if (found == variables->end()) continue;
        if (auto* target = dynamic_cast<NamedVariable*>(found->second)) component->Bind(target, variables);
    }
    return System::OkNoError;
}

System::ResultCode Structure::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = MmsTypeStructure;
    MmsStructureTypeDescription& description = type.choice.structure;
    description.packed = static_cast<Asn1Boolean*>(std::calloc(1, sizeof(Asn1Boolean)));
    if (description.packed == nullptr) {
        ClearType(type);
        return System::NoResources;
    }
    *description.packed = packed_ ? 1 : 0;
    for (const auto& component : components_) {
        auto* entry = static_cast<MmsStructureComponent*>(std::calloc(1, sizeof(MmsStructureComponent)));
        if (entry == nullptr || Asn1::Asn1SequenceOfAppend(&description.components, entry) != 0) {
            std::free(entry);
            ClearType(type);
            return System::NoResources;
        }
        entry->componentName = Asn1::Asn1OctetStringNew(&MmsIdentifierType, component->name_.data(),
                                                        component->name_.size());
        entry->componentType =
            static_cast<MmsTypeSpecification*>(Asn1::Asn1NewValue(&MmsTypeSpecificationType));
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

System::ResultCode Structure::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    ErrStatus = System::NotImplemented;
    return System::NotImplemented;
}

System::ResultCode Structure::Assign(const Container& other) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckSameClass(other) != System::OkNoError) return System::InvalidArguments;
    const auto& source = static_cast<const Structure&>(other);
    if (source.components_.size() != components_.size()) {
        ErrStatus = System::InvalidArguments;
        return System::InvalidArguments;
    }
    System::ResultCode first = System::OkNoError;
    for (std::size_t i = 0; i < components_.size(); ++i) {
        const System::ResultCode result = components_[i]->Assign(*source.components_[i]);
        if (first == System::OkNoError) first = result;
    }
    MarkValid();
    ErrStatus = first;
    return first;
}

System::ResultCode Structure::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataStructure) != System::OkNoError ||
        static_cast<std::size_t>(data.choice.structure.Count()) != components_.size()) {
        ErrStatus = System::InvalidArguments;
        return System::InvalidArguments;
    }
    for (std::size_t i = 0; i < components_.size(); ++i) {
        const MmsData* value = data.choice.structure[static_cast<std::int32_t>(i)];
        if (value != nullptr) components_[i]->FromData(*value);
    }
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Structure::ToText(std::string& text) {
    if (HasInvalidType()) {
        text.clear();
        return System::InvalidState;
    }
    for (const auto& component : components_) {
        component->WriteXml(text);
        text += '\n';
    }
    ErrStatus = System::OkNoError;
    return System::OkNoError;
}

System::ResultCode Structure::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataStructure;
    for (const auto& component : components_) {
        auto* value = static_cast<MmsData*>(Asn1::Asn1NewValue(&MmsDataType));
        System::ResultCode result = value != nullptr ? component->ToData(*value) : System::NoResources;
        if (result == System::OkNoError && Asn1::Asn1SequenceOfAppend(&data.choice.structure, value) != 0) {
            result = System::NoResources;
        }
        if (result != System::OkNoError) {
            Asn1::Asn1FreeValue(&MmsDataType, value);
            ClearData(data);
            ErrStatus = result;
            return result;
        }
    }
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Structure::AddComponent(std::unique_ptr<Container> component) {
    if (component == nullptr) return System::InvalidArguments;
    if (!component->name_.empty()) {
        if (named_.contains(component->name_)) return System::InvalidArguments;
        named_.emplace(component->name_, component.get());
    }
    component->parent_ = this;
    components_.push_back(std::move(component));
    return System::OkNoError;
}

Container* Structure::GetComponent(std::size_t index) const {
    return index < components_.size() ? components_[index].get() : nullptr;
}

Container* Structure::FindComponent(std::string_view name) const {
    const auto found = named_.find(name);
    return found != named_.end() ? found->second : nullptr;
}

System::ResultCode Structure::RenameComponent(Container& component, std::string_view name) {
    if (component.name_ == name) return System::OkNoError;
    if (!name.empty() && named_.contains(name)) return System::InvalidArguments;
    if (!component.name_.empty()) named_.erase(component.name_);
    component.name_ = name;
    if (!component.name_.empty()) named_.emplace(component.name_, &component);
    return System::OkNoError;
}

void Structure::ForgetMember(Container* member) {
    if (!member->name_.empty()) {
        const auto found = named_.find(member->name_);
        if (found != named_.end() && found->second == member) named_.erase(found);
    }
    for (auto it = components_.begin(); it != components_.end(); ++it) {
        if (it->get() == member) {
            it->release();
            components_.erase(it);
            return;
        }
    }
}

std::unique_ptr<Container> Structure::ReplaceMember(Container& member, std::unique_ptr<Container>& replacement) {
    for (auto& component : components_) {
        if (component.get() != &member) continue;
        replacement->parent_ = this;
        replacement->name_ = member.name_;
        if (!member.name_.empty()) {
            const auto found = named_.find(member.name_);
            if (found != named_.end() && found->second == &member) found->second = replacement.get();
        }
        component.swap(replacement);
        std::unique_ptr<Container> previous = std::move(replacement);
        previous->parent_ = nullptr;
        return previous;
    }
    return nullptr;
}

}  // namespace Mms
