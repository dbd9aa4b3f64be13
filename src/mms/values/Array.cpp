#include "mms/values/Array.h"

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerFactory.h"
#include "system/NumberText.h"

namespace Mms {

Array::Array() { ErrStatus = System::OkNoError; }

Array::Array(const MmsTypeDescription& type) {
    ContainerBudget budget;
    BuildFromType(type, budget);
}

Array::Array(const MmsTypeDescription& type, ContainerBudget& budget) { BuildFromType(type, budget); }

Array::Array(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataArray)) return;
    numberOfElements_ = static_cast<std::uint32_t>(data.choice.array.Count());
    BuildFromValues(data.choice.array);
}

void Array::BuildFromType(const MmsTypeDescription& type, ContainerBudget& budget) {
    if (type.present != MmsTypeArray) {
        ErrStatus = System::InvalidArguments;
        return;
    }
    const MmsArrayTypeDescription& description = type.choice.array;
    packed_ = ReadPacked(description.packed);
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
        AppendMember(std::move(element));
    }
}

std::uint32_t Array::GetClassId() const { return ArrayClassId; }

const char* Array::GetClassName() const { return "Array"; }

System::ResultCode Array::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "NumberOfElements") return System::ParseUnsignedText(numberOfElements_, value);
    if (name == "Packed") return System::ParseBoolean(packed_, value);
    return Container::SetAttribute(name, value);
}

System::ResultCode Array::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = MmsTypeArray;
    MmsArrayTypeDescription& description = type.choice.array;
    const System::ResultCode packed = WritePacked(type, description.packed);
    if (packed != System::OkNoError) return packed;
    description.numberOfElements = static_cast<Asn1NativeInteger>(members_.size());
    if (members_.empty()) return System::OkNoError;
    description.elementType = static_cast<MmsTypeSpecification*>(Asn1::Asn1NewValue(&MmsTypeSpecificationType));
    if (description.elementType == nullptr) {
        ClearType(type);
        return System::NoResources;
    }
    description.elementType->present = MmsTypeSpecificationDescription;
    const System::ResultCode result = members_.front()->ToTypeSpec(description.elementType->choice.typeDescription);
    if (result != System::OkNoError) ClearType(type);
    return result;
}

System::ResultCode Array::Assign(const Container& other) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckSameClass(other) != System::OkNoError) return System::InvalidArguments;
    const auto& source = static_cast<const Array&>(other);
    if (source.members_.size() > members_.size()) return Record(System::InvalidArguments);
    return AssignMembers(source);
}

System::ResultCode Array::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataArray) != System::OkNoError ||
        static_cast<std::size_t>(data.choice.array.Count()) != members_.size()) {
        return Record(System::InvalidArguments);
    }
    for (std::size_t i = 0; i < members_.size(); ++i) {
        const MmsData* value = data.choice.array[static_cast<std::int32_t>(i)];
        const System::ResultCode result = value != nullptr ? members_[i]->FromData(*value) : System::InvalidArguments;
        if (result != System::OkNoError) return Record(result);
    }
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Array::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataArray;
    return MembersToData(data, data.choice.array);
}

}  // namespace Mms
