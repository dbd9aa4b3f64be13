#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "mms/values/CompositeContainer.h"

namespace Mms {

class ContainerBudget;

// An MMS array: elements of one type, owned by the array.
class Array : public CompositeContainer {
public:
    Array();
    // Builds as many elements as the description announces; the first refusal ends the
    // building and stays in the error status (the elements built before it stay).
    explicit Array(const MmsTypeDescription& type);
    Array(const MmsTypeDescription& type, ContainerBudget& budget);
    // One element per value, each of the value's own type.
    explicit Array(const MmsData& data);

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;
    // "NumberOfElements" (the elements themselves stay as they are) and "Packed".
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // The other array may have fewer elements; each is assigned to the element of the
    // same index, and the first refusal is returned.
    System::ResultCode Assign(const Container& other) override;
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToData(MmsData& data) override;

    std::uint32_t GetNumberOfElements() const { return numberOfElements_; }
    std::size_t GetElementCount() const { return members_.size(); }
    Container* GetElement(std::size_t index) const { return GetMember(index); }

private:
    void BuildFromType(const MmsTypeDescription& type, ContainerBudget& budget);

    std::uint32_t numberOfElements_ = 0;
};

}  // namespace Mms
