#include "osi/GtSpdu.h"

using System::ResultCode;

void GtSpdu::SetTokenItem(std::uint8_t tokens) {
    tokenItemPresent_ = true;
    tokenItem_ = tokens;
}

void GtSpdu::SetEnclosureItem(std::uint8_t enclosure) {
    enclosureItemPresent_ = true;
    enclosureItem_ = enclosure;
}

ResultCode GtSpdu::Encode() {
    ResultCode result = BeginEncoding(6);
    if (result == System::OkNoError && tokenItemPresent_) result = PutParameterByte(PiTokenItem, tokenItem_);
    if (result == System::OkNoError && enclosureItemPresent_) {
        result = PutParameterByte(PiEnclosureItem, enclosureItem_);
    }
    if (result != System::OkNoError) return result;
    return FinishEncoding();
}

ResultCode GtSpdu::DecodeParameters(std::span<const std::uint8_t> field, std::span<const std::uint8_t>) {
    return ForEachParameter(field, [this](const Parameter& parameter) -> ResultCode {
        if (parameter.value.size() != 1) return System::OkNoError;
        if (parameter.code == PiTokenItem) SetTokenItem(parameter.value[0]);
        if (parameter.code == PiEnclosureItem) SetEnclosureItem(parameter.value[0]);
        return System::OkNoError;
    });
}
