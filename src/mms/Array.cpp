#include "mms/Array.h"

#include <cstdlib>

#include "mms/ContainerFactory.h"
#include "mms/MmsPduData.h"
#include "system/NumberText.h"

namespace Mms {

Array::Array() { ErrStatus = System::OkNoError; }

Array::Array(const MmsTypeDescription& type) {
    ContainerBudget budget;
    BuildFromType(type, budget);
}

Array::Array(const MmsTypeDescription& type, ContainerBudget& budget) { BuildFromType(type, budget); }

Array::Array(const MmsData& data) {
    if (data.present != MmsDataArray) {
        ErrStatus = System::InvalidArguments;
        return;
    }
    const MmsDataList& values = data.choice.array;
    numberOfElements_ = static_cast<std::uint32_t>(values.Count());
    for (const MmsData* value : values) {
        std::unique_ptr<Container> element;
        const System::ResultCode result =
            value != nullptr ? NewContainerFromData(*value, element) : System::InvalidArguments;
        if (result != System::OkNoError) {
            ErrStatus = result;
            return;
        }
        element->parent_ = this;
        elements_.push_back(std::move(element));
    }
    MarkValid();
}

Array::~Array() {
    for (const auto& element : elements_) element->parent_ = nullptr;
    elements_.clear();
}

void Array::BuildFromType(const MmsTypeDescription& type, ContainerBudget& budget) {
    if (type.present != MmsTypeArray) {
        ErrStatus = System::InvalidArguments;
        return;
    }
    const MmsArrayTypeDescription& description = type.choice.array;
    packed_ = description.packed != nullptr && *description.packed != 0;
    if (description.numberOfElements < 0) {
        ErrStatus = System::OutOfRange;
        return;
    }
    numberOfElements_ = static_cast<std::uint32_t>(description.numberOfElements);
    ErrStatus = System::OkNoError;
    for (std::uint32_t i = 0; i < numberOfElements_; ++i) {
        System::ResultCode result = System::OkNoError;
        std::unique_ptr<Container> element = CreateContainerFromTypeSpec(description.elementType, budget, result);
        if (element == nullptr) {
            ErrStatus = result;
            return;
        }
        element->parent_ = this;
        elements_.push_back(std::move(element));
    }
}

std::uint32_t Array::GetClassId() const { return ArrayClassId; }

const char* Array::GetClassName() const { return "Array"; }

System::ResultCode Array::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "NumberOfElements") return System::ParseUnsignedText(numberOfElements_, value);
    if (name == "Packed") return System::ParseBoolean(packed_, value);
    return Container::SetAttribute(name, value);
}

bool Array::IsValid() const {
    for (const auto& element : elements_) {
        if (!element->IsValid()) return false;
    }
    return true;
}

void Array::SetState(std::int32_t state) {
    Container::SetState(state);
    for (const auto& element : elements_) element->SetState(state);
}

System::ResultCode Array::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = MmsTypeArray;
    MmsArrayTypeDescription& description = type.choice.array;
    description.packed = static_cast<Asn1Boolean*>(std::calloc(1, sizeof(Asn1Boolean)));
    if (description.packed == nullptr) {
        ClearType(type);
        return System::NoResources;
    }
    *description.packed = packed_ ? 1 : 0;
    description.numberOfElements = static_cast<Asn1NativeInteger>(elements_.size());
    if (elements_.empty()) return System::OkNoError;
    description.elementType = static_cast<MmsTypeSpecification*>(Asn1::Asn1NewValue(&MmsTypeSpecificationType));
    if (description.elementType == nullptr) {
        ClearType(type);
        return System::NoResources;
    }
    description.elementType->present = MmsTypeSpecificationDescription;
    const System::ResultCode result = elements_.front()->ToTypeSpec(description.elementType->choice.typeDescription);
    if (result != System::OkNoError) ClearType(type);
    return result;
}

System::ResultCode Array::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    ErrStatus = System::NotImplemented;
    return System::NotImplemented;
}

System::ResultCode Array::Assign(const Container& other) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckSameClass(other) != System::OkNoError) return System::InvalidArguments;
    const auto& source = static_cast<const Array&>(other);
    if (source.elements_.size() > elements_.size()) {
        ErrStatus = System::InvalidArguments;
        return System::InvalidArguments;
    }
    System::ResultCode first = System::OkNoError;
    for (std::size_t i = 0; i < source.elements_.size(); ++i) {
        const System::ResultCode result = elements_[i]->Assign(*source.elements_[i]);
        if (first == System::OkNoError) first = result;
    }
    MarkValid();
    ErrStatus = first;
    return first;
}

System::ResultCode Array::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataArray) != System::OkNoError ||
        static_cast<std::size_t>(data.choice.array.Count()) != elements_.size()) {
        ErrStatus = System::InvalidArguments;
        return System::InvalidArguments;
    }
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const MmsData* value = data.choice.array[static_cast<std::int32_t>(i)];
        const System::ResultCode result =
            value != nullptr ? elements_[i]->FromData(*value) : System::InvalidArguments;
        if (result != System::OkNoError) {
            ErrStatus = result;
            return result;
        }
    }
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Array::ToText(std::string& text) {
    if (HasInvalidType()) {
        text.clear();
        return System::InvalidState;
    }
    for (const auto& element : elements_) {
        element->WriteXml(text);
        text += '\n';
    }
    ErrStatus = System::OkNoError;
    return System::OkNoError;
}

System::ResultCode Array::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataArray;
    for (const auto& element : elements_) {
        auto* value = static_cast<MmsData*>(Asn1::Asn1NewValue(&MmsDataType));
        System::ResultCode result = value != nullptr ? element->ToData(*value) : System::NoResources;
        if (result == System::OkNoError && Asn1::Asn1SequenceOfAppend(&data.choice.array, value) != 0) {
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

Container* Array::GetElement(std::size_t index) const {
    return index < elements_.size() ? elements_[index].get() : nullptr;
}

void Array::ForgetMember(Container* member) {
    for (auto it = elements_.begin(); it != elements_.end(); ++it) {
        if (it->get() == member) {
            it->release();
            elements_.erase(it);
            return;
        }
    }
}

std::unique_ptr<Container> Array::ReplaceMember(Container& member, std::unique_ptr<Container>& replacement) {
    for (auto& element : elements_) {
        if (element.get() != &member) continue;
        replacement->parent_ = this;
        replacement->name_ = member.name_;
        element.swap(replacement);
        std::unique_ptr<Container> previous = std::move(replacement);
        previous->parent_ = nullptr;
        return previous;
    }
    return nullptr;
}

}  // namespace Mms
