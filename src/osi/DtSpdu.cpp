#include "osi/DtSpdu.h"

using System::ResultCode;

void DtSpdu::SetEnclosureItem(std::uint8_t enclosure) {
    enclosureItemPresent_ = true;
    enclosureItem_ = enclosure;
}

std::span<const std::uint8_t> DtSpdu::GetUserData() const {
    if (received_) return receivedUserData_;
    return userData_;
}

void DtSpdu::SetUserData(std::span<const std::uint8_t> userData) {
    received_ = false;
    userData_.assign(userData.begin(), userData.end());
}

ResultCode DtSpdu::Encode() {
    // A received DT's user data lies in the storage that the encoding replaces: it
    // is copied out first, so that the SPDU is sent on with it and reads stay valid.
    if (received_) SetUserData(receivedUserData_);
    const auto userDataLength = static_cast<std::uint32_t>(userData_.size());
    if (userDataLength > UINT32_MAX - 8) return System::OutOfRange;
    ResultCode result = BeginEncoding(3 + userDataLength);
    if (result == System::OkNoError && enclosureItemPresent_) {
        result = PutParameterByte(PiEnclosureItem, enclosureItem_);
    }
    if (result != System::OkNoError) return result;
    return FinishEncoding(userData_);
}

ResultCode DtSpdu::DecodeParameters(std::span<const std::uint8_t> field, std::span<const std::uint8_t> rest) {
    // The storage of an earlier decoding is gone: its user data must not be read.
    received_ = false;
    receivedUserData_ = {};
    Parameter parameter;
    ResultCode result = System::OkNoError;
    while (NextParameter(field, parameter, result)) {
        if (parameter.code == PiEnclosureItem && parameter.value.size() == 1) {
            SetEnclosureItem(parameter.value[0]);
        }
    }
    if (result != System::OkNoError) return result;
    received_ = true;
    receivedUserData_ = rest;
    return System::OkNoError;
}
