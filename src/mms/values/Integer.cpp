#include "mms/values/Integer.h"

#include <algorithm>
#include <limits>

#include "mms/pdu/MmsPduData.h"
#include "protocol/Asn1NumberValues.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

constexpr unsigned MaxPrecision = 128;

bool FitsPrecision(std::int64_t value, unsigned precision) {
    if (precision < 9)
        return value >= std::numeric_limits<std::int8_t>::min() && value <= std::numeric_limits<std::int8_t>::max();
    if (precision < 17) {
        return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
    }
    if (precision < 33) {
        return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
    }
    return true;
}

}  // namespace

Integer::Integer() { ErrStatus = System::OkNoError; }

Integer::Integer(const MmsTypeDescription& type) {
    if (type.present != MmsTypeInteger || type.choice.integer < 1 ||
        static_cast<unsigned>(type.choice.integer) > MaxPrecision) {
        RefuseType(System::InvalidArguments);
        return;
    }
    precision_ = static_cast<std::uint8_t>(type.choice.integer);
    ErrStatus = System::OkNoError;
}

Integer::Integer(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataInteger)) return;
    const std::uint64_t precision = 8 * std::uint64_t{data.choice.integer.size};
    if (precision == 0 || precision > MaxPrecision) {
        RefuseType(System::InvalidArguments);
        return;
    }
    precision_ = static_cast<std::uint8_t>(precision);
    ErrStatus = FromData(data);
}

System::ResultCode Integer::SetAttribute(std::string_view name, std::string_view value) {
    if (name != "Precision") return Container::SetAttribute(name, value);
    const System::ResultCode result = ParsePrecision(precision_, value, MaxPrecision);
    if (result != System::OkNoError) return result;
    if (!FitsPrecision(value_, precision_)) {
        value_ = 0;
        SetState(StateNoValue);
    }
    return System::OkNoError;
}

System::ResultCode Integer::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = MmsTypeInteger;
    type.choice.integer = precision_;
    return System::OkNoError;
}

System::ResultCode Integer::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    return System::ParseIntegerByWidth(value_, precision_, text);
}

System::ResultCode Integer::AssignValue(const Integer& source) {
    const std::uint8_t precision = precision_ != 0 ? precision_ : source.precision_;
    if (!FitsPrecision(source.value_, precision)) return Record(System::OutOfRange);
    precision_ = precision;
    value_ = source.value_;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Integer::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataInteger) != System::OkNoError) return Record(System::InvalidArguments);
    std::int64_t value = 0;
    const System::ResultCode result = Asn1::Asn1IntegerToInt64(value, &data.choice.integer);
    if (result != System::OkNoError) return Record(result);
    if (!FitsPrecision(value, precision_)) return Record(System::OutOfRange);
    value_ = value;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Integer::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    return System::FormatIntegerByWidth(text, value_, precision_);
}

System::ResultCode Integer::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataInteger;
    return FinishData(data, Asn1::Int64ToAsn1Integer(&data.choice.integer, value_));
}

System::ResultCode Integer::GetBit(std::uint32_t index, bool& bit) const {
    if (index >= precision_) return System::InvalidArguments;
    bit = ((value_ >> std::min<std::uint32_t>(index, 63)) & 1) != 0;
    return System::OkNoError;
}

}  // namespace Mms
