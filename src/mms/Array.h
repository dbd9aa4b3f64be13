#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "mms/Container.h"

namespace Mms {

class ContainerBudget;

// An MMS array: elements of one type, owned by the array.
class Array : public Container {
public:
    Array();
    // Builds as many elements as the description announces; the first refusal ends the
    // building and stays in the error status (the elements built before it stay).
    explicit Array(const MmsTypeDescription& type);
    Array(const MmsTypeDescription& type, ContainerBudget& budget);
    // One element per value, each of the value's own type.
    explicit Array(const MmsData& data);
    ~Array() override;

    std::uint32_t GetClassId() const override;
    const char* GetClassName() const override;
    // "NumberOfElements" (the elements themselves stay as they are) and "Packed".
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    bool IsValid() const override;
    void SetState(std::int32_t state) override;
    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // Arrays have no text form to read: NotImplemented.
    System::ResultCode FromText(std::string_view text) override;
    // The other array may have fewer elements; each is assigned to the element of the
    // same index, and the first refusal is returned.
    System::ResultCode Assign(const Container& other) override;
    System::ResultCode FromData(const MmsData& data) override;
    // Appends each element's XML and a line end.
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    bool IsPacked() const { return packed_; }
    std::uint32_t GetNumberOfElements() const { return numberOfElements_; }
    std::size_t GetElementCount() const { return elements_.size(); }
    Container* GetElement(std::size_t index) const;

private:
    void BuildFromType(const MmsTypeDescription& type, ContainerBudget& budget);
    void ForgetMember(Container* member) override;
    std::unique_ptr<Container> ReplaceMember(Container& member, std::unique_ptr<Container>& replacement) override;

    bool packed_ = false;
    std::uint32_t numberOfElements_ = 0;
    std::vector<std::unique_ptr<Container>> elements_;
};

}  // namespace Mms
