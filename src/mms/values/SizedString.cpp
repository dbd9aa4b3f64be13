#include "mms/values/SizedString.h"

#include "mms/pdu/MmsPduData.h"
#include "system/NumberText.h"

namespace Mms {

namespace {

constexpr std::uint32_t SizeLimit = 32768;

}  // namespace

System::ResultCode SizedString::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "NumberOfOctets") {
        std::uint32_t count = 0;
        const System::ResultCode result = System::ParseUnsignedText(count, value);
        if (result != System::OkNoError) return result;
        if (count < GetSmallestDeclaredSize() || count >= SizeLimit) return System::OutOfRange;
        size_.count = count;
        return System::OkNoError;
    }
    if (name == "VariableLength") return System::ParseBoolean(size_.variable, value);
    return Container::SetAttribute(name, value);
}

void SizedString::TakeTypeCount(std::int32_t n) {
    size_ = ContainerSize::FromTypeCount(n);
    if (size_.count >= SizeLimit) RefuseType(System::InvalidArguments);
}

bool SizedString::TakeValueCount(std::size_t count) {
    if (count >= SizeLimit) {
        RefuseType(System::InvalidArguments);
        return false;
    }
    size_ = {static_cast<std::uint32_t>(count), false};
    return true;
}

System::ResultCode SizedString::BeginTypeSpec(MmsTypeDescription& type, std::int32_t choice,
                                              std::int32_t& count) const {
    if (CheckEmptyType(type) != System::OkNoError) return System::InvalidArguments;
    const System::ResultCode result = size_.ToTypeCount(count);
    if (result != System::OkNoError) return result;
    type.present = choice;
    return System::OkNoError;
}

std::uint32_t SizedString::GetSmallestDeclaredSize() const { return 1; }

}  // namespace Mms
