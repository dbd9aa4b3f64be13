#include "osi/RfSpdu.h"

using System::ResultCode;

void RfSpdu::SetTransportDisconnect(std::uint8_t flags) {
    transportDisconnectPresent_ = true;
    transportDisconnect_ = flags;
}

void RfSpdu::SetReason(std::uint8_t reason, std::span<const std::uint8_t> userData) {
    reasonPresent_ = true;
    reason_ = reason;
    if (userData.size() < LargestReasonLength) {
        userData_.assign(userData.begin(), userData.end());
    } else {
        userData_.clear();
    }
}

ResultCode RfSpdu::Encode() {
    ResultCode result = BeginEncoding(3 + 3 + LargestReasonLength + 1);
    if (result != System::OkNoError) return result;
    if (transportDisconnectPresent_) result = PutParameterByte(PiTransportDisconnect, transportDisconnect_);
    if (result == System::OkNoError && reasonPresent_) {
        std::vector<std::uint8_t> value;
        value.reserve(1 + userData_.size());
        value.push_back(reason_);
        value.insert(value.end(), userData_.begin(), userData_.end());
        result = PutParameterBytes(PiReasonCode, value.data(), static_cast<std::uint32_t>(value.size()));
    }
    if (result != System::OkNoError) return result;
    return FinishEncoding();
}

ResultCode RfSpdu::DecodeParameters(std::span<const std::uint8_t> field, std::span<const std::uint8_t>) {
    return ForEachParameter(field, [this](const Parameter& parameter) -> ResultCode {
        switch (parameter.code) {
            case PiTransportDisconnect:
                if (parameter.value.size() != 1) return System::ProtocolError;
                SetTransportDisconnect(parameter.value[0]);
                break;
            case PiReasonCode:
                if (parameter.value.empty()) return System::ProtocolError;
                reasonPresent_ = true;
                reason_ = parameter.value[0];
                userData_.assign(parameter.value.begin() + 1, parameter.value.end());
                break;
            default:  // user requirements, version number, enclosure
                break;
        }
        return System::OkNoError;
    });
}
