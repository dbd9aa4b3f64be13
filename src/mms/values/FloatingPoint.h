#pragma once

#include <cstdint>

#include "mms/values/SimpleContainer.h"

namespace Mms {

// An MMS floating-point value of one of the two formats MMS devices use: (format
// width 32, exponent width 8), a 32-bit float, or (64, 11), a 64-bit double. Other
// formats give NotSupported.
class FloatingPoint : public SimpleContainer<FloatingPoint, FloatingPointClassId> {
public:
    static constexpr const char* ClassName = "FloatingPoint";

    // Format (0, 0): no type yet; Assign then takes the other's format.
    FloatingPoint();
    // Any format but the two gives the invalid-type state with NotSupported.
    explicit FloatingPoint(const MmsTypeDescription& type);
    // The format follows the value's length: 5 octets (32, 8), 9 octets (64, 11).
    explicit FloatingPoint(const MmsData& data);

    // "FormatWidth", "ExponentWidth", "MantissaWidth": 0..255.
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // A decimal floating-point number (the same under every locale); a number beyond
    // the format's range gives OutOfRange, text that is no number InvalidArguments.
    System::ResultCode FromText(std::string_view text) override;
    // Exactly format width / 8 + 1 octets led by the exponent width.
    System::ResultCode FromData(const MmsData& data) override;
    // 9 or 17 significant digits, without trailing zeros.
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    std::uint32_t GetFormatWidth() const { return formatWidth_; }
    std::uint32_t GetExponentWidth() const { return exponentWidth_; }
    std::uint32_t GetMantissaWidth() const { return mantissaWidth_; }
    // A 32-bit value widened exactly.
    double GetValue() const { return value_; }

private:
    // A value beyond a 32-bit format's range is refused with OutOfRange.
    System::ResultCode AssignValue(const FloatingPoint& source) override;

    bool IsSingle() const;
    bool IsDouble() const;
    void SetFormat(std::int32_t formatWidth, std::int32_t exponentWidth);

    std::uint8_t formatWidth_ = 0;
    std::uint8_t exponentWidth_ = 0;
    std::uint8_t mantissaWidth_ = 0;
    double value_ = 0;
};

}  // namespace Mms
