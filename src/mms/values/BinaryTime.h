#pragma once

#include <cstdint>

#include "mms/values/SimpleContainer.h"

namespace Mms {

// An MMS binary time (TimeOfDay): milliseconds since midnight and, in the six-octet
// form, the days since 1984-01-01. Its text is "YYYY-MM-DD hh:mm:ss.mmm".
class BinaryTime : public SimpleContainer<BinaryTime, BinaryTimeClassId> {
public:
    static constexpr const char* ClassName = "BinaryTime";

    BinaryTime();
    // The description's flag: true for six octets (with the date), false for four.
    explicit BinaryTime(const MmsTypeDescription& type);
    // Six octets when the value has six.
    explicit BinaryTime(const MmsData& data);

    // "SixOctets" (boolean text).
    System::ResultCode SetAttribute(std::string_view name, std::string_view value) override;

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // A time text of 1984-01-01 or later (InvalidArguments otherwise); the result
    // stays in the error status.
    System::ResultCode FromText(std::string_view text) override;
    // Exactly 6 octets for the six-octet form and 4 otherwise; four octets take
    // today's date.
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    bool HasSixOctets() const { return sixOctets_; }
    std::uint32_t GetMilliseconds() const { return milliseconds_; }
    std::uint32_t GetDaysSince1984() const { return days_; }

private:
    System::ResultCode AssignValue(const BinaryTime& source) override;

    bool sixOctets_ = false;
    std::uint32_t milliseconds_ = 0;
    std::uint16_t days_ = 0;
};

}  // namespace Mms
