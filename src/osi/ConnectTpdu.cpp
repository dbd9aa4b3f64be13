#include "osi/ConnectTpdu.h"

using System::ResultCode;

ConnectTpdu::ConnectTpdu(Protocol::Connection* owner, std::uint8_t type)
    : Tpdu(owner, static_cast<std::uint8_t>(type << 4)) {}

ResultCode ConnectTpdu::Encode() {
    const std::uint32_t variable = protocolClass_ == 0 ? VariablePartLength() : 0;
    const std::uint32_t length = FixedLength + variable;
    ResultCode result = BeginEncoding(length);
    if (result != System::OkNoError) return result;
    SetLengthIndicator(static_cast<std::uint8_t>(length - 1));
    PutByte(static_cast<std::uint8_t>(length - 1));
    PutByte(GetCode());
    PutUInt16(destinationReference_);
    PutUInt16(sourceReference_);
    PutByte(static_cast<std::uint8_t>(protocolClass_ << 5));
    if (protocolClass_ == 0) result = WriteVariablePart();
    if (result != System::OkNoError) return result;
    FinishEncoding();
    return System::OkNoError;
}

ResultCode ConnectTpdu::Decode(const Protocol::Frame& received) {
    ResultCode result = TakeReceived(received, FixedLength);
    if (result != System::OkNoError) return result;
    std::uint8_t classOctet = 0;
    GetUInt16(destinationReference_);
    GetUInt16(sourceReference_);
    GetByte(classOctet);
    protocolClass_ = static_cast<std::uint8_t>(classOctet >> 5);
    result = ReadVariablePart();
    if (result != System::OkNoError) return result;
    SetState(StateComplete);
    return System::OkNoError;
}
