#include "osi/ConnectSpdu.h"

using System::ResultCode;

namespace {
// Connect/accept item with options, TSDU size and version; user requirements;
// two selectors; the user data group's code and length.
constexpr std::uint32_t LargestParameters = 2 + 3 + 6 + 3 + 4 + 4 + 4 + 1 + 3;
}  // namespace

void ConnectSpdu::SetConnectAcceptItem(std::uint8_t protocolOptions, std::uint8_t versionNumber) {
    connectAcceptItemPresent_ = true;
    protocolOptions_ = protocolOptions;
    versionNumber_ = versionNumber;
}

void ConnectSpdu::SetTsduMaximumSize(std::uint32_t size) {
    tsduMaximumSizePresent_ = true;
    tsduMaximumSize_ = size;
}

void ConnectSpdu::SetUserRequirements(std::uint16_t requirements) {
    userRequirementsPresent_ = true;
    userRequirements_ = requirements;
}

void ConnectSpdu::SetCallingSelector(std::uint16_t selector) {
    callingSelectorPresent_ = true;
    callingSelector_ = SelectorOctets(selector);
}

void ConnectSpdu::SetCalledSelector(std::uint16_t selector) {
    calledSelectorPresent_ = true;
    calledSelector_ = SelectorOctets(selector);
}

void ConnectSpdu::SetUserData(std::span<const std::uint8_t> userData) {
    userDataPresent_ = true;
    userData_.assign(userData.begin(), userData.end());
}

std::uint16_t ConnectSpdu::SelectorNumber(const std::vector<std::uint8_t>& octets) {
    if (octets.size() == 1) return octets[0];
    if (octets.size() == 2) return static_cast<std::uint16_t>((octets[0] << 8) | octets[1]);
    return 0;
}

std::vector<std::uint8_t> ConnectSpdu::SelectorOctets(std::uint16_t selector) {
    return {static_cast<std::uint8_t>(selector >> 8), static_cast<std::uint8_t>(selector)};
}

ResultCode ConnectSpdu::Encode() {
    const auto userDataLength = static_cast<std::uint32_t>(userData_.size());
    if (userDataLength > UINT32_MAX - LargestParameters) return System::OutOfRange;
    ResultCode result = BeginEncoding(LargestParameters + userDataLength);
    if (result != System::OkNoError) return result;
    if (connectAcceptItemPresent_) {
        result = BeginGroup(PgiConnectAcceptItem);
        if (result == System::OkNoError) result = PutParameterByte(PiProtocolOptions, protocolOptions_);
        if (result == System::OkNoError && tsduMaximumSizePresent_) {
            result = PutParameterUInt32(PiTsduMaximumSize, tsduMaximumSize_);
        }
        if (result == System::OkNoError) result = PutParameterByte(PiVersionNumber, versionNumber_);
        if (result == System::OkNoError) result = EndGroup();
    }
    if (result == System::OkNoError && userRequirementsPresent_) {
        result = PutParameterUInt16(PiSessionUserRequirements, userRequirements_);
    }
    if (result == System::OkNoError && callingSelectorPresent_) {
        result = PutParameterBytes(PiCallingSessionSelector, callingSelector_.data(),
                                   static_cast<std::uint32_t>(callingSelector_.size()));
    }
    if (result == System::OkNoError && calledSelectorPresent_) {
        result = PutParameterBytes(PiCalledSessionSelector, calledSelector_.data(),
                                   static_cast<std::uint32_t>(calledSelector_.size()));
    }
    if (result == System::OkNoError && userDataPresent_) {
        result = PutParameterBytes(PgiUserData, userData_.data(), userDataLength);
    }
    if (result != System::OkNoError) return result;
    return FinishEncoding();
}

ResultCode ConnectSpdu::DecodeConnectAcceptItem(std::span<const std::uint8_t> group) {
    connectAcceptItemPresent_ = true;
    return ForEachParameter(group, [this](const Parameter& parameter) -> ResultCode {
        std::uint32_t number = 0;
        switch (parameter.code) {
            case PiProtocolOptions:
                if (!ValueNumber(parameter.value, number)) return System::ProtocolError;
                protocolOptions_ = static_cast<std::uint8_t>(number);
                break;
            case PiTsduMaximumSize:
                if (!ValueNumber(parameter.value, number)) return System::ProtocolError;
                SetTsduMaximumSize(number);
                break;
            case PiVersionNumber:
                if (!ValueNumber(parameter.value, number)) return System::ProtocolError;
                versionNumber_ = static_cast<std::uint8_t>(number);
                break;
            default:  // serial numbers, token settings: not used with the kernel and duplex units
                break;
        }
        return System::OkNoError;
    });
}

ResultCode ConnectSpdu::DecodeParameters(std::span<const std::uint8_t> field, std::span<const std::uint8_t>) {
    return ForEachParameter(field, [this](const Parameter& parameter) -> ResultCode {
        std::uint32_t number = 0;
        switch (parameter.code) {
            case PgiConnectAcceptItem: return DecodeConnectAcceptItem(parameter.value);
            case PiSessionUserRequirements:
                if (!ValueNumber(parameter.value, number) || number > 0xFFFF) return System::ProtocolError;
                SetUserRequirements(static_cast<std::uint16_t>(number));
                break;
            case PiCallingSessionSelector:
                callingSelectorPresent_ = true;
                callingSelector_.assign(parameter.value.begin(), parameter.value.end());
                break;
            case PiCalledSessionSelector:
                calledSelectorPresent_ = true;
                calledSelector_.assign(parameter.value.begin(), parameter.value.end());
                break;
            case PgiUserData:
            case PgiExtendedUserData: SetUserData(parameter.value); break;
            default:  // connection identifier, data overflow and the like
                break;
        }
        return System::OkNoError;
    });
}
