#pragma once

#include <cstdint>

#include "mms/values/SimpleContainer.h"

namespace Mms {

// An MMS unsigned integer of a precision in bits (up to 64). The value must fit the
// whole octets the precision takes (8 bits up to precision 8, 16 up to 16, 24 up to
// 24, ...); anything larger is refused with OutOfRange whatever its source.
class Unsigned : public SimpleContainer<Unsigned, UnsignedClassId> {
public:
    static constexpr const char* ClassName = "Unsigned";

    // Precision 0: no type yet; Assign then takes the other's precision.
    Unsigned();
    // Precision 1..64, else the invalid-type state with InvalidArguments.
    explicit Unsigned(const MmsTypeDescription& type);
    // The precision is 8 bits per content octet of the received INTEGER, not counting
    // a leading zero octet that only keeps the number positive.
    explicit Unsigned(const MmsData& data);

    // "Precision": 8..64, else OutOfRange. A value that no longer fits is dropped.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // Decimal; a negative number or one beyond the precision gives OutOfRange, text
    // that is no number InvalidArguments. The result stays in the error status.
    System::ResultCode FromText(std::string_view text) override;
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;
    // Bit 0 is the least significant; an index not below the precision gives
    // InvalidArguments.
    System::ResultCode GetBit(std::uint32_t index, bool& bit) const override;

    std::uint32_t GetPrecision() const { return precision_; }
    std::uint64_t GetValue() const { return value_; }

private:
    System::ResultCode AssignValue(const Unsigned& source) override;

    std::uint8_t precision_ = 0;
    std::uint64_t value_ = 0;
};

}  // namespace Mms
