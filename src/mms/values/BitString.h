#pragma once

#include <cstdint>
#include <string>

#include "mms/values/ContainerSize.h"
#include "mms/values/SimpleContainer.h"

namespace Mms {

// An MMS bit string, kept as a text of "0" and "1", first bit first. A fixed-length
// string has exactly its number of bits, a variable-length one at most that many.
class BitString : public SimpleContainer<BitString, BitStringClassId> {
public:
    static constexpr const char* ClassName = "BitString";

    BitString();
    // n > 0: fixed length of n bits; n <= 0: variable length up to -n bits.
    explicit BitString(const MmsTypeDescription& type);
    // Fixed length of the value's bits.
    explicit BitString(const MmsData& data);

    // "NumberOfBits", "VariableLength" (a number, non-zero is true) and
    // "NumberOfBitsNotUsed".
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // A non-empty text of "0" and "1" of the type's length; InvalidArguments otherwise.
    System::ResultCode FromText(std::string_view text) override;
    // Fixed length: at least the number of bits, bits beyond it only as zero padding
    // (they are dropped); variable length: at most the number of bits.
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;
    // Bit `index` of the text; InvalidArguments beyond it.
    System::ResultCode GetBit(std::uint32_t index, bool& bit) const override;

    const ContainerSize& GetSize() const { return size_; }
    std::uint32_t GetUnusedBits() const { return unusedBits_; }
    const std::string& GetValue() const { return bits_; }

private:
    // The other's bits must have this type's length (OutOfRange otherwise).
    System::ResultCode AssignValue(const BitString& source) override;

    ContainerSize size_;
    std::uint8_t unusedBits_ = 0;
    std::string bits_;
};

}  // namespace Mms
