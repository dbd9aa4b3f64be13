#include "osi/DtTpdu.h"

#include <cstring>

using System::ResultCode;

DtTpdu::DtTpdu(Protocol::Connection* owner) : Tpdu(owner, ClassZeroCode) {}

DtTpdu::DtTpdu(Protocol::Connection* owner, std::span<const std::uint8_t> userData, bool endOfUnit)
    : Tpdu(owner, ClassZeroCode), endOfUnit_(endOfUnit) {
    const auto length = static_cast<std::uint32_t>(userData.size());
    if (Allocate(HeaderRoom + length) != System::OkNoError) return;
    if (length > 0) std::memcpy(Data() + HeaderRoom, userData.data(), length);
    SetWindow(HeaderRoom, length, 0);
}

std::span<const std::uint8_t> DtTpdu::GetUserData() const {
    if (GetWindowLength() == 0) return {};
    return {WindowData(), GetWindowLength()};
}

ResultCode DtTpdu::Encode() {
    if (GetState() == StateEncoded) return System::OkNoError;
    if (GetCapacity() < HeaderRoom || GetWindowStart() != HeaderRoom) return System::InvalidState;
    const std::uint32_t length = GetWindowLength();
    SetWindow(0, HeaderRoom + length, 0);
    BeginWrite();
    SetLengthIndicator(HeaderRoom - 1);
    PutByte(HeaderRoom - 1);
    PutByte(GetCode());
    PutByte(static_cast<std::uint8_t>((endOfUnit_ ? EndOfUnitMark : 0) | (tpduNumber_ & TpduNumberMask)));
    SetState(StateEncoded);
    return System::OkNoError;
}

ResultCode DtTpdu::Decode(const Protocol::Frame& received) {
    const ResultCode result = TakeReceived(received, HeaderRoom);
    if (result != System::OkNoError) return result;
    std::uint8_t octet = 0;
    GetByte(octet);
    tpduNumber_ = static_cast<std::uint8_t>(octet & TpduNumberMask);
    endOfUnit_ = (octet & EndOfUnitMark) != 0;
    // Other classes put parameters behind the third octet; the header's length
    // covers them.
    Advance(HeaderLength());
    SetState(endOfUnit_ ? StateComplete : StateSegment);
    return System::OkNoError;
}
