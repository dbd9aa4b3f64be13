#include "mms/values/MMSString.h"

#include "mms/pdu/MmsPduData.h"
#include "mms/values/ContainerOctets.h"
#include "protocol/Asn1StringValues.h"
#include "protocol/Asn1Utilities.h"

namespace Mms {

namespace {

// Characters in UTF-8 text, or -1 when it is not valid UTF-8.
std::int64_t CharacterCount(std::string_view text) {
    const std::ptrdiff_t count =
        Asn1::Utf8StringDecode(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), nullptr);
    return count < 0 ? -1 : count;
}

}  // namespace

MMSString::MMSString() { ErrStatus = System::OkNoError; }

MMSString::MMSString(const MmsTypeDescription& type) {
    if (!AcceptTypeChoice(type, MmsTypeMmsString)) return;
    TakeTypeCount(type.choice.mmsString);
}

MMSString::MMSString(const MmsData& data) {
    if (!AcceptDataChoice(data, MmsDataMmsString)) return;
    const auto octets = OctetsOf(data.choice.mmsString);
    const std::int64_t characters = CharacterCount({reinterpret_cast<const char*>(octets.data()), octets.size()});
    const std::size_t count = characters >= 0 ? static_cast<std::size_t>(characters) : octets.size();
    if (TakeValueCount(count)) ErrStatus = FromData(data);
}

System::ResultCode MMSString::ToTypeSpec(MmsTypeDescription& type) {
    std::int32_t count = 0;
    const System::ResultCode result = BeginTypeSpec(type, MmsTypeMmsString, count);
    if (result == System::OkNoError) type.choice.mmsString = count;
    return result;
}

System::ResultCode MMSString::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    const std::int64_t count = CharacterCount(text);
    if (count < 0 || !size_.Fits(static_cast<std::size_t>(count))) return Record(System::InvalidArguments);
    text_ = text;
    SetState(StateFromText);
    return Record(System::OkNoError);
}

System::ResultCode MMSString::AssignValue(const MMSString& source) {
    const std::int64_t count = CharacterCount(source.text_);
    if (!size_.Fits(count >= 0 ? static_cast<std::size_t>(count) : source.text_.size())) {
        return Record(System::OutOfRange);
    }
    text_ = source.text_;
    MarkValid();
    return System::OkNoError;
}

System::ResultCode MMSString::FromData(const MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckDataChoice(data, MmsDataMmsString) != System::OkNoError) return Record(System::InvalidArguments);
    const auto octets = OctetsOf(data.choice.mmsString);
    text_.assign(octets.begin(), octets.end());
    MarkValid();
    return System::OkNoError;
}

System::ResultCode MMSString::ToText(std::string& text) {
    if (HasInvalidType()) return RefuseText(text);
    text = text_;
    return Record(System::OkNoError);
}

System::ResultCode MMSString::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataMmsString;
    return FinishData(data, Asn1::StringToAsn1OctetString(&data.choice.mmsString, text_));
}

}  // namespace Mms
