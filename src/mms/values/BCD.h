#pragma once

#include <cstdint>

#include "mms/values/SimpleContainer.h"

namespace Mms {

// An MMS BCD value of up to eight digits, kept as a signed 32-bit number. It has no
// text form; its data conversions do their work and still answer NotImplemented.
class BCD : public SimpleContainer<BCD, BcdClassId> {
public:
    static constexpr const char* ClassName = "BCD";

    BCD();
    // Up to 8 digits, else the invalid-type state with InvalidArguments.
    explicit BCD(const MmsTypeDescription& type);
    explicit BCD(const MmsData& data);

    // "NumberOfElements": the digits, 0..255.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    System::ResultCode FromText(std::string_view text) override;
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    std::uint32_t GetDigits() const { return digits_; }
    std::int32_t GetValue() const { return value_; }

private:
    System::ResultCode AssignValue(const BCD& source) override;

    std::uint8_t digits_ = 0;
    std::int32_t value_ = 0;
};

}  // namespace Mms
