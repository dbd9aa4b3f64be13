#include "mms/VisibleString.h"

#include "mms/ContainerOctets.h"
#include "mms/MmsPduData.h"
#include "protocol/Asn1StringValues.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

constexpr std::uint32_t SizeLimit = 32768;
constexpr std::uint32_t SmallestDeclaredSize = 8;

}  // namespace

VisibleString::VisibleString() { ErrStatus = System::OkNoError; }

VisibleString::VisibleString(const MmsTypeDescription& type) {
    if (type.present != MmsTypeVisibleString) {
        RefuseType(System::InvalidArguments);
        return;
    }
    size_ = ContainerSize::FromTypeCount(type.choice.visibleString);
    if (size_.count >= SizeLimit) {
        RefuseType(System::InvalidArguments);
        return;
    }
    ErrStatus = System::OkNoError;
}

VisibleString::VisibleString(const MmsData& data) {
    if (data.present != MmsDataVisibleString) {
        ErrStatus = System::InvalidArguments;
        return;
    }
    const std::size_t count = OctetsOf(data.choice.visibleString).size();
    if (count >= SizeLimit) {
        RefuseType(System::InvalidArguments);
        return;
    }
    size_ = {static_cast<std::uint32_t>(count), false};
    ErrStatus = FromData(data);
}

std::uint32_t VisibleString::GetClassId() const { return VisibleStringClassId; }

const char* VisibleString::GetClassName() const { return "VisibleString"; }

System::ResultCode VisibleString::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "NumberOfOctets") {
        std::uint32_t count = 0;
        const System::ResultCode result = System::ParseUnsignedText(count, value);
        if (result != System::OkNoError) return result;
        if (count < SmallestDeclaredSize || count >= SizeLimit) return System::OutOfRange;
        size_.count = count;
        return System::OkNoError;
    }
    if (name == "VariableLength") return System::ParseBoolean(size_.variable, value);
    return Container::SetAttribute(name, value);
}

System::ResultCode VisibleString::ToTypeSpec(MmsTypeDescription& type) {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    std::int32_t count = 0;
    const System::ResultCode result = size_.ToTypeCount(count);
    if (result != System::OkNoError) return result;
    type.present = MmsTypeVisibleString;
    type.choice.visibleString = count;
    return System::OkNoError;
}

System::ResultCode VisibleString::FromText(std::string_view text) {
    if (HasInvalidType()) return System::InvalidState;
    if (!size_.Fits(text.size())) return Record(System::InvalidArguments);
    text_ = text;
    SetState(StateFromText);
    return Record(System::OkNoError);
}

System::ResultCode VisibleString::Assign(const Container& other) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckSameClass(other) != System::OkNoError) return System::InvalidArguments;
    const auto& source = static_cast<const VisibleString&>(other);
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
    if (HasInvalidType()) {
        text.clear();
        return System::InvalidState;
    }
    text = text_;
    return Record(System::OkNoError);
}

System::ResultCode VisibleString::ToData(MmsData& data) {
    if (HasInvalidType()) return System::InvalidState;
    if (CheckEmptyData(data) != System::OkNoError) return System::InvalidArguments;
    data.present = MmsDataVisibleString;
    const System::ResultCode result = Asn1::StringToAsn1OctetString(&data.choice.visibleString, text_);
    if (result != System::OkNoError) {
        ClearData(data);
        return Record(result);
    }
    MarkValid();
    return System::OkNoError;
}

}  // namespace Mms
