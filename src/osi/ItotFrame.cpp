#include "osi/ItotFrame.h"

#include <cstring>

ItotFrame::ItotFrame(Protocol::Connection* owner) : Protocol::Frame(owner, 0) {}

System::ResultCode ItotFrame::Reserve(std::uint32_t totalLength) {
    if (totalLength < HeaderLength || totalLength > MaximumPacketLength) return System::InvalidArguments;
    SetState(StateBeingFilled);
    const System::ResultCode result = Allocate(totalLength);
    if (result != System::OkNoError) {
        SetState(StateInvalid);
        return result;
    }
    SetWindow(HeaderLength, totalLength - HeaderLength, 0);
    packetLength_ = totalLength;
    SetState(StateComplete);
    return System::OkNoError;
}

System::ResultCode ItotFrame::Fill(const std::uint8_t* packet, std::uint32_t totalLength) {
    if (packet == nullptr) return System::InvalidArguments;
    const System::ResultCode result = Reserve(totalLength);
    if (result == System::OkNoError) std::memcpy(Data(), packet, totalLength);
    return result;
}

System::ResultCode ItotFrame::Wrap(const std::uint8_t* tpdu, std::uint32_t length) {
    if (length > MaximumTpduLength) return System::OutOfRange;
    if (tpdu == nullptr && length != 0) return System::InvalidArguments;
    SetState(StateBeingFilled);
    const std::uint32_t total = length + HeaderLength;
    const System::ResultCode result = Allocate(total);
    if (result != System::OkNoError) {
        SetState(StateInvalid);
        return result;
    }
    std::uint8_t* packet = Data();
    packet[0] = Version;
    packet[1] = 0;
    packet[2] = static_cast<std::uint8_t>(total >> 8);
    packet[3] = static_cast<std::uint8_t>(total);
    if (length != 0) std::memcpy(packet + HeaderLength, tpdu, length);
    SetWindow(HeaderLength, length, 0);
    packetLength_ = total;
    SetState(StateComplete);
    return System::OkNoError;
}
