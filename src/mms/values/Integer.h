#pragma once

#include <cstdint>

#include "mms/values/SimpleContainer.h"

namespace Mms {

// An MMS signed integer of a precision in bits. The value lives in the store the
// precision selects: 8 bits up to 8, 16 up to 16, 32 up to 32, 64 above (up to 128); a
// value outside that store is refused with OutOfRange whatever its source.
class Integer : public SimpleContainer<Integer, IntegerClassId> {
public:
    static constexpr const char* ClassName = "Integer";

    // Precision 0: no type yet; Assign then takes the other's precision.
    Integer();
    // Precision 1..128, else the invalid-type state with InvalidArguments.
    explicit Integer(const MmsTypeDescription& type);
    // The precision is 8 bits per content octet of the received INTEGER.
    explicit Integer(const MmsData& data);

    // "Precision": 8..128, else OutOfRange. A value that no longer fits is dropped.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // Signed decimal; precision above 64 gives NotSupported.
    System::ResultCode FromText(std::string_view text) override;
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;
    // Bit 0 is the least significant; an index not below the precision gives
    // InvalidArguments.
    System::ResultCode GetBit(std::uint32_t index, bool& bit) const override;

    std::uint32_t GetPrecision() const { return precision_; }
    std::int64_t GetValue() const { return value_; }

private:
    System::ResultCode AssignValue(const Integer& source) override;

    std::uint8_t precision_ = 0;
    std::int64_t value_ = 0;
};

}  // namespace Mms
