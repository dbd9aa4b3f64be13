#include "mms/values/VisibleString.h"

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerOctets.h"
#include "protocol/Asn1StringValues.h"

namespace Mms {

VisibleString::VisibleString() { ErrStatus = System::OkNoError; }

VisibleString::VisibleString(const MmsTypeDescription& type) {
    if (!AcceptTypeChoice(type, MmsTypeVisibleString)) return;
    TakeTypeCount(type.choice.visibleString);
}

VisibleString::VisibleString(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataVisibleString)) return;
    if (TakeValueCount(OctetsOf(data.choice.visibleString).size())) ErrStatus = FromData(data);
}

std::uint32_t VisibleString::GetSmallestDeclaredSize() const { return 8; }

System::ResultCode VisibleString::ToTypeSpec(MmsTypeDescription& type) {
    std::int32_t count = 0;
    const System::ResultCode result = BeginTypeSpec(type, MmsTypeVisibleString, count);
    if (result == System::OkNoError) type.choice.visibleString = count;
    return result;
}

System::ResultCode VisibleString::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    if (!size_.Fits(text.size())) return Record(System::InvalidArguments);
    text_ = text;
    SetState(StateFromText);
    return Record(System::OkNoError);
}

System::ResultCode VisibleString::AssignValue(const VisibleString& source) {
    if (!size_.Fits(source.text_.size())) return Record(System::OutOfRange);
    text_ = source.text_;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode VisibleString::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataVisibleString) != System::OkNoError) return Record(System::InvalidArguments);
    const auto octets = OctetsOf(data.choice.visibleString);
    if (octets.size() > size_.count) return Record(System::InvalidArguments);
    text_.assign(octets.begin(), octets.end());
    MarkValid();
    return System::OkNoError;
}

System::ResultCode VisibleString::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    text = text_;
    return Record(System::OkNoError);
}

System::ResultCode VisibleString::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataVisibleString;
    return FinishData(data, Asn1::StringToAsn1OctetString(&data.choice.visibleString, text_));
}

}  // namespace Mms
