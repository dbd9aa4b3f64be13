#include "mms/values/GeneralizedTime.h"

#include <limits>

#include "mms/pdu/MmsPduData.h"
#include "system/TimeText.h"

namespace Mms {

GeneralizedTime::GeneralizedTime() { ErrStatus = System::OkNoError; }

GeneralizedTime::GeneralizedTime(const MmsTypeDescription& type) { AcceptTypeChoice(type, MmsTypeGeneralizedTime); }

GeneralizedTime::GeneralizedTime(const MmsData& data) {
    ErrStatus = data.present == MmsDataGeneralizedTime ? System::NotImplemented : System::InvalidArguments;
}

System::ResultCode GeneralizedTime::ToTypeSpec(MmsTypeDescription& type) {
    return WriteTypeChoice(type, MmsTypeGeneralizedTime);
}

System::ResultCode GeneralizedTime::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    std::uint32_t days = 0;
    std::uint32_t milliseconds = 0;
    const System::ResultCode result = System::ParseTimeText(text, days, milliseconds);
    if (result != System::OkNoError) return Record(result);
    const std::uint64_t seconds = std::uint64_t{days} * 86400 + milliseconds / 1000;
    if (seconds > std::numeric_limits<std::uint32_t>::max()) return Record(System::OutOfRange);
    seconds_ = static_cast<std::uint32_t>(seconds);
    return Record(System::OkNoError);
}

System::ResultCode GeneralizedTime::AssignValue(const GeneralizedTime& source) {
    seconds_ = source.seconds_;
    MarkValid();
    return Record(System::NotImplemented);
}

System::ResultCode GeneralizedTime::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataGeneralizedTime) != System::OkNoError) return Record(System::InvalidArguments);
    return Record(System::NotImplemented);
}

System::ResultCode GeneralizedTime::ToText(std::string& text) {
    text.clear();
    if (HasInvalidType()) return System::InvalidState;
    return Record(System::NotImplemented);
}

System::ResultCode GeneralizedTime::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    return Record(System::NotImplemented);
}

}  // namespace Mms
