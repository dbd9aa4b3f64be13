#include "mms/values/OctetString.h"

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerOctets.h"
#include "protocol/Asn1StringValues.h"
#include "system/HexText.h"

namespace Mms {

namespace {

bool IsHexText(std::string_view text) {
    return text.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
}

}  // namespace

OctetString::OctetString() { ErrStatus = System::OkNoError; }

OctetString::OctetString(const MmsTypeDescription& type) {
    if (!AcceptTypeChoice(type, MmsTypeOctetString)) return;
    TakeTypeCount(type.choice.octetString);
}

OctetString::OctetString(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataOctetString)) return;
    if (TakeValueCount(OctetsOf(data.choice.octetString).size())) ErrStatus = FromData(data);
}

System::ResultCode OctetString::ToTypeSpec(MmsTypeDescription& type) {
    std::int32_t count = 0;
    const System::ResultCode result = BeginTypeSpec(type, MmsTypeOctetString, count);
    if (result == System::OkNoError) type.choice.octetString = count;
    return result;
}

System::ResultCode OctetString::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    const std::size_t count = (text.size() + 1) / 2;
    if (!IsHexText(text) || !size_.Fits(count)) return Record(System::InvalidArguments);
    std::vector<std::uint8_t> octets(count);
    std::size_t parsed = 0;
    if (System::ParseHexArray(octets, parsed, text, 0) != System::OkNoError || parsed != count) {
        return Record(System::InvalidArguments);
    }
    octets_ = std::move(octets);
    SetState(StateFromText);
    return Record(System::OkNoError);
}

System::ResultCode OctetString::AssignValue(const OctetString& source) {
    if (!size_.Fits(source.octets_.size())) return Record(System::OutOfRange);
    octets_ = source.octets_;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode OctetString::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataOctetString) != System::OkNoError) return Record(System::InvalidArguments);
    const auto octets = OctetsOf(data.choice.octetString);
    if (!size_.Fits(octets.size())) return Record(System::InvalidArguments);
    octets_.assign(octets.begin(), octets.end());
    MarkValid();
    return System::OkNoError;
}

System::ResultCode OctetString::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    System::OctetsToHexText(text, octets_);
    return Record(System::OkNoError);
}

System::ResultCode OctetString::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataOctetString;
    return FinishData(data, Asn1::BytesToAsn1OctetString(&data.choice.octetString, octets_));
}

}  // namespace Mms
