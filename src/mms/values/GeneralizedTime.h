#pragma once

#include <cstdint>

#include "mms/values/SimpleContainer.h"

namespace Mms {

// An MMS generalized time, kept as seconds since 1970. Only its text input works;
// the other value operations answer NotImplemented.
class GeneralizedTime : public SimpleContainer<GeneralizedTime, GeneralizedTimeClassId> {
public:
    static constexpr const char* ClassName = "GeneralizedTime";

    GeneralizedTime();
    explicit GeneralizedTime(const MmsTypeDescription& type);
    // The value is not taken: error status NotImplemented, no value.
    explicit GeneralizedTime(const MmsData& data);

    System::ResultCode ToTypeSpec(MmsTypeDescription& type) override;
    // A time text; the result stays in the error status.
    System::ResultCode FromText(std::string_view text) override;
    System::ResultCode FromData(const MmsData& data) override;
    // Writes nothing (an empty text).
    System::ResultCode ToText(std::string& text) override;
    // Leaves the data empty.
    System::ResultCode ToData(MmsData& data) override;

    std::uint32_t GetSeconds() const { return seconds_; }

private:
    // Copies the value and answers NotImplemented.
    System::ResultCode AssignValue(const GeneralizedTime& source) override;

    std::uint32_t seconds_ = 0;
};

}  // namespace Mms
