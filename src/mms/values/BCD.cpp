#include "mms/values/BCD.h"

#include "mms/pdu/MmsPduData.h"
#include "protocol/Asn1NumberValues.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

constexpr std::int32_t MaxDigits = 8;

}  // namespace

BCD::BCD() { ErrStatus = System::OkNoError; }

BCD::BCD(const MmsTypeDescription& type) {
    if (type.present != MmsTypeBcd || type.choice.bcd < 0 || type.choice.bcd > MaxDigits) {
        RefuseType(System::InvalidArguments);
        return;
    }
    digits_ = static_cast<std::uint8_t>(type.choice.bcd);
    ErrStatus = System::OkNoError;
}

BCD::BCD(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataBcd)) return;
    ErrStatus = FromData(data);
}

System::ResultCode BCD::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "NumberOfElements") return System::ParseUInt8Text(digits_, value);
    return Container::SetAttribute(name, value);
}

System::ResultCode BCD::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    type.present = MmsTypeBcd;
    type.choice.bcd = digits_;
    return System::OkNoError;
}

System::ResultCode BCD::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    return Record(System::NotImplemented);
}

System::ResultCode BCD::AssignValue(const BCD& source) {
    value_ = source.value_;
    MarkValid();
    return Record(System::NotImplemented);
}

System::ResultCode BCD::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataBcd) != System::OkNoError) return Record(System::InvalidArguments);
    std::int32_t value = 0;
    const System::ResultCode result = Asn1::Asn1IntegerToInt32(value, &data.choice.bcd);
    if (result != System::OkNoError) return Record(result);
    value_ = value;
    MarkValid();
    return Record(System::NotImplemented);
}

System::ResultCode BCD::ToText(std::string& text) {
    text.clear();
    if (HasInvalidType()) return System::InvalidState;
    return Record(System::NotImplemented);
}

System::ResultCode BCD::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataBcd;
    const System::ResultCode result = FinishData(data, Asn1::Int32ToAsn1Integer(&data.choice.bcd, value_));
    return result != System::OkNoError ? result : Record(System::NotImplemented);
}

}  // namespace Mms
