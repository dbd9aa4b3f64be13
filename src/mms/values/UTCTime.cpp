#include "mms/values/UTCTime.h"

#include <algorithm>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerOctets.h"
#include "protocol/Asn1StringValues.h"
#include "system/TimeText.h"

namespace Mms {

UTCTime::UTCTime() { ErrStatus = System::OkNoError; }

UTCTime::UTCTime(const MmsTypeDescription& type) { AcceptTypeChoice(type, MmsTypeUtcTime); }

UTCTime::UTCTime(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataUtcTime)) return;
    ErrStatus = FromData(data);
}

System::ResultCode UTCTime::ToTypeSpec(MmsTypeDescription& type) { return WriteTypeChoice(type, MmsTypeUtcTime); }

System::ResultCode UTCTime::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    std::uint32_t days = 0;
    std::uint32_t milliseconds = 0;
    System::ResultCode result = System::ParseTimeText(text, days, milliseconds);
    if (result == System::OkNoError) result = System::EncodeUtcTime(octets_, days, milliseconds);
    return Record(result);
}

System::ResultCode UTCTime::AssignValue(const UTCTime& source) {
    octets_ = source.octets_;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode UTCTime::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataUtcTime) != System::OkNoError) return Record(System::InvalidArguments);
    const auto octets = OctetsOf(data.choice.utcTime);
    if (octets.size() != octets_.size()) return Record(System::OutOfRange);
    std::copy(octets.begin(), octets.end(), octets_.begin());
    MarkValid();
    return System::OkNoError;
}

System::ResultCode UTCTime::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    System::FormatUtcTimeOctets(text, octets_);
    return Record(System::OkNoError);
}

System::ResultCode UTCTime::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataUtcTime;
    return FinishData(data, Asn1::BytesToAsn1OctetString(&data.choice.utcTime, octets_));
}

}  // namespace Mms
