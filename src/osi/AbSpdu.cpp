#include "osi/AbSpdu.h"

using System::ResultCode;

void AbSpdu::SetUserData(std::span<const std::uint8_t> userData) {
    userDataPresent_ = true;
    userData_.assign(userData.begin(), userData.end());
}

ResultCode AbSpdu::Encode() {
    const auto userDataLength = static_cast<std::uint32_t>(userData_.size());
    ResultCode result = BeginEncoding(3 + 4 + userDataLength);
    if (result != System::OkNoError) return result;
    result = PutParameterByte(PiTransportDisconnect, transportDisconnect_);
    if (result == System::OkNoError && userDataPresent_) {
        result = PutParameterBytes(PgiUserData, userData_.data(), userDataLength);
    }
    if (result != System::OkNoError) return result;
    return FinishEncoding();
}

ResultCode AbSpdu::DecodeParameters(std::span<const std::uint8_t> field, std::span<const std::uint8_t>) {
    return ForEachParameter(field, [this](const Parameter& parameter) -> ResultCode {
        switch (parameter.code) {
            case PiTransportDisconnect:
                if (parameter.value.size() != 1) return System::ProtocolError;
                transportDisconnect_ = parameter.value[0];
                break;
            case PgiUserData: SetUserData(parameter.value); break;
            default:  // reflect parameter values, enclosure
                break;
        }
        return System::OkNoError;
    });
}
