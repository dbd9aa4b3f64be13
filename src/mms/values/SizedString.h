#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mms/values/Container.h"
#include "mms/values/ContainerSize.h"

namespace Mms {

// What the octet, visible and MMS strings have in common: a size that the type fixes
// (from its description, from the first value received or from the attributes) and
// that every later value must fit.
class SizedString : public Container {
public:
    // "NumberOfOctets" from the class's smallest declared size up to 32767 (else
    // OutOfRange) and "VariableLength" (boolean text).
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    const ContainerSize& GetSize() const { return size_; }

protected:
    SizedString() = default;

    // The size a description's count gives (n > 0: fixed length of n; n <= 0: variable
    // length up to -n); from 32768 on the invalid-type state with InvalidArguments.
    void TakeTypeCount(std::int32_t n);
    // A fixed length of a received value's count; from 32768 on the invalid-type state
    // with InvalidArguments and false.
    bool TakeValueCount(std::size_t count);
    // Sets the choice of an empty description (InvalidArguments otherwise) and gives
    // the count that belongs in it (OutOfRange, the description left empty, when the
    // size cannot be written as one).
    System::ResultCode BeginTypeSpec(MmsTypeDescription& type, std::int32_t choice, std::int32_t& count) const;

    ContainerSize size_;

private:
    // The smallest "NumberOfOctets" the attribute takes.
    virtual std::uint32_t GetSmallestDeclaredSize() const;
};

}  // namespace Mms
