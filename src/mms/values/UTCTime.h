#pragma once

#include <cstdint>

#include "mms/values/SimpleContainer.h"
#include "system/UtcTime.h"

namespace Mms {

// An MMS UTC time: seconds since 1970, a 24-bit binary fraction of the second and the
// time quality, as the eight octets travel. Its text is the time with milliseconds,
// followed by the quality flags when the quality octet is not 0.
class UTCTime : public SimpleContainer<UTCTime, UtcTimeClassId> {
public:
    static constexpr const char* ClassName = "UTCTime";

    UTCTime();
    explicit UTCTime(const MmsTypeDescription& type);
    explicit UTCTime(const MmsData& data);

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // A time text (quality flags after it are ignored); the quality becomes 0. The
    // result stays in the error status.
    System::ResultCode FromText(std::string_view text) override;
    // Exactly eight octets, else OutOfRange.
    System::ResultCode FromData(const MmsData& data) override;
    System::ResultCode ToText(std::string& text) override;
    System::ResultCode ToData(MmsData& data) override;

    const System::UtcTime& GetValue() const { return octets_; }

private:
    System::ResultCode AssignValue(const UTCTime& source) override;

    System::UtcTime octets_{};
};

}  // namespace Mms
