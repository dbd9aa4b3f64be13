#include "mms/values/Unsigned.h"

#include <limits>

#include "mms/pdu/MmsPduData.h"
#include "protocol/Asn1NumberValues.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

constexpr unsigned MaxPrecision = 64;

std::uint64_t LargestValue(unsigned precision) {
    const unsigned octets = precision == 0 ? 1 : (precision + 7) / 8;
    if (octets >= 8) return std::numeric_limits<std::uint64_t>::max();
    return (std::uint64_t{1} << (8 * octets)) - 1;
}

}  // namespace

Unsigned::Unsigned() { ErrStatus = System::OkNoError; }

Unsigned::Unsigned(const MmsTypeDescription& type) {
    if (type.present != MmsTypeUnsigned || type.choice.unsignedInteger < 1 ||
        static_cast<unsigned>(type.choice.unsignedInteger) > MaxPrecision) {
        RefuseType(System::InvalidArguments);
        return;
    }
    precision_ = static_cast<std::uint8_t>(type.choice.unsignedInteger);
    ErrStatus = System::OkNoError;
}

Unsigned::Unsigned(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataUnsigned)) return;
    const Asn1Integer& integer = data.choice.unsignedInteger;
    std::uint64_t octets = integer.size;
    if (octets > 1 && Asn1::Asn1IntegerOctets(&integer)[0] == 0) --octets;
    const std::uint64_t precision = 8 * octets;
    if (precision == 0 || precision > MaxPrecision) {
        RefuseType(System::InvalidArguments);
        return;
    }
    precision_ = static_cast<std::uint8_t>(precision);
    ErrStatus = FromData(data);
}

System::ResultCode Unsigned::SetAttribute(std::string_view name, std::string_view value) {
    if (name != "Precision") return Container::SetAttribute(name, value);
    const System::ResultCode result = ParsePrecision(precision_, value, MaxPrecision);
    if (result != System::OkNoError) return result;
    if (value_ > LargestValue(precision_)) {
        value_ = 0;
        SetState(StateNoValue);
    }
    return System::OkNoError;
}

System::ResultCode Unsigned::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = MmsTypeUnsigned;
    type.choice.unsignedInteger = precision_;
    return System::OkNoError;
}

System::ResultCode Unsigned::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    std::uint64_t value = 0;
    if (System::ParseUInt64Text(value, text) != System::OkNoError) {
        // Tell a number that does not fit (negative or too large) from no number.
        std::int64_t signedValue = 0;
        const System::ResultCode asSigned = System::ParseIntegerByWidth(signedValue, 64, text);
        return Record(asSigned == System::InvalidArguments ? System::InvalidArguments : System::OutOfRange);
    }
    if (value > LargestValue(precision_)) return Record(System::OutOfRange);
    value_ = value;
    return Record(System::OkNoError);
}

System::ResultCode Unsigned::AssignValue(const Unsigned& source) {
    const std::uint8_t precision = precision_ != 0 ? precision_ : source.precision_;
    if (source.value_ > LargestValue(precision)) return Record(System::OutOfRange);
    precision_ = precision;
    value_ = source.value_;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Unsigned::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataUnsigned) != System::OkNoError) return Record(System::InvalidArguments);
    std::uint64_t value = 0;
    const System::ResultCode result = Asn1::Asn1IntegerToUInt64(value, &data.choice.unsignedInteger);
    if (result != System::OkNoError) return Record(result);
    if (value > LargestValue(precision_)) return Record(System::OutOfRange);
    value_ = value;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode Unsigned::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    System::FormatUInt64(text, value_);
    return Record(System::OkNoError);
}

System::ResultCode Unsigned::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataUnsigned;
    return FinishData(data, Asn1::UInt64ToAsn1Integer(&data.choice.unsignedInteger, value_));
}

System::ResultCode Unsigned::GetBit(std::uint32_t index, bool& bit) const {
    if (index >= precision_) return System::InvalidArguments;
    bit = ((value_ >> index) & 1) != 0;
    return System::OkNoError;
}

}  // namespace Mms
