#include "mms/values/BinaryTime.h"

#include <array>
#include <limits>

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerOctets.h"
#include "protocol/Asn1StringValues.h"
#include "system/ByteOrder.h"
#include "system/Clock.h"
#include "system/NumberText.h"
#include "system/TimeText.h"

namespace Mms {

namespace {

// Days from 1970-01-01 to 1984-01-01.
constexpr std::uint32_t DaysBefore1984 = 5113;

}  // namespace

BinaryTime::BinaryTime() { ErrStatus = System::OkNoError; }

BinaryTime::BinaryTime(const MmsTypeDescription& type) {
    if (!AcceptTypeChoice(type, MmsTypeBinaryTime)) return;
    sixOctets_ = type.choice.binaryTime != 0;
}

BinaryTime::BinaryTime(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataBinaryTime)) return;
    sixOctets_ = OctetsOf(data.choice.binaryTime).size() == 6;
    ErrStatus = FromData(data);
}

System::ResultCode BinaryTime::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "SixOctets") return System::ParseBoolean(sixOctets_, value);
    return Container::SetAttribute(name, value);
}

System::ResultCode BinaryTime::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = MmsTypeBinaryTime;
    type.choice.binaryTime = sixOctets_ ? 1 : 0;
    return System::OkNoError;
}

System::ResultCode BinaryTime::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    std::uint32_t days = 0;
    std::uint32_t milliseconds = 0;
    const System::ResultCode result = System::ParseTimeText(text, days, milliseconds);
    if (result != System::OkNoError) return Record(result);
    // The day count starts in 1984 and has 16 bits.
    if (days < DaysBefore1984 || days - DaysBefore1984 > std::numeric_limits<std::uint16_t>::max()) {
        return Record(System::InvalidArguments);
    }
    days_ = static_cast<std::uint16_t>(days - DaysBefore1984);
    milliseconds_ = milliseconds;
    return Record(System::OkNoError);
}

System::ResultCode BinaryTime::AssignValue(const BinaryTime& source) {
    milliseconds_ = source.milliseconds_;
    days_ = source.days_;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode BinaryTime::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataBinaryTime) != System::OkNoError) return Record(System::InvalidArguments);
    const auto octets = OctetsOf(data.choice.binaryTime);
    if (octets.size() != (sixOctets_ ? 6u : 4u)) return Record(System::InvalidArguments);
    milliseconds_ = System::ReadBigEndian32(octets.data());
    if (sixOctets_) {
        days_ = System::ReadBigEndian16(octets.data() + 4);
    } else {
        const std::uint32_t today = System::CurrentDaysSince1970();
        days_ = static_cast<std::uint16_t>(today > DaysBefore1984 ? today - DaysBefore1984 : 0);
    }
    MarkValid();
    return System::OkNoError;
}

System::ResultCode BinaryTime::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    System::FormatTimeText(text, days_ + DaysBefore1984, milliseconds_);
    return Record(System::OkNoError);
}

System::ResultCode BinaryTime::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    std::array<std::uint8_t, 6> octets{};
    System::WriteBigEndian(octets.data(), milliseconds_, 4);
    System::WriteBigEndian(octets.data() + 4, days_, 2);
    data.present = MmsDataBinaryTime;
    const std::span<const std::uint8_t> written(octets.data(), sixOctets_ ? 6u : 4u);
    return FinishData(data, Asn1::BytesToAsn1OctetString(&data.choice.binaryTime, written));
}

}  // namespace Mms
