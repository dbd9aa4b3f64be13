#include "osi/Tpdu.h"

#include <cstring>

#include "system/ByteOrder.h"

using System::ResultCode;

namespace {
// A length indicator of 255 is reserved for extensions that class 0 never uses.
constexpr std::uint8_t LargestLengthIndicator = 254;
}  // namespace

Tpdu::Tpdu(Protocol::Connection* owner, std::uint8_t code) : Frame(owner, 0), code_(code) {}

std::uint8_t Tpdu::TypeOf(const Protocol::Frame& frame) {
    const std::uint8_t* window = frame.WindowData();
    if (window == nullptr || frame.GetWindowLength() < 2) return TypeNone;
    return static_cast<std::uint8_t>(window[1] >> 4);
}

void Tpdu::SetCalledTsap(std::uint16_t selector) {
    calledTsapPresent_ = true;
    calledTsap_ = {static_cast<std::uint8_t>(selector >> 8), static_cast<std::uint8_t>(selector)};
}

void Tpdu::SetCallingTsap(std::uint16_t selector) {
    callingTsapPresent_ = true;
    callingTsap_ = {static_cast<std::uint8_t>(selector >> 8), static_cast<std::uint8_t>(selector)};
}

void Tpdu::SetTpduSizeCode(std::uint32_t code) {
    tpduSizePresent_ = true;
    tpduSizeCode_ = code;
}

std::uint16_t Tpdu::SelectorNumber(const std::vector<std::uint8_t>& octets) {
    if (octets.size() == 1) return octets[0];
    if (octets.size() == 2) return System::ReadBigEndian16(octets.data());
    return 0;
}

ResultCode Tpdu::Invalid() {
    SetState(StateInvalid);
    return System::ProtocolError;
}

ResultCode Tpdu::TakeReceived(const Protocol::Frame& received, std::uint32_t fixedLength) {
    const std::uint32_t length = received.GetWindowLength();
    const std::uint8_t* window = received.WindowData();
    if (window == nullptr || length < 2 || length < fixedLength) return Invalid();
    if (Allocate(length) != System::OkNoError) return Invalid();
    std::memcpy(Data(), window, length);
    SetWindow(0, length, 0);
    BeginWrite();
    std::uint8_t indicator = 0;
    std::uint8_t code = 0;
    GetByte(indicator);
    GetByte(code);
    if (indicator > LargestLengthIndicator || std::uint32_t{indicator} + 1 > length ||
        std::uint32_t{indicator} + 1 < fixedLength || (code >> 4) != (code_ >> 4)) {
        return Invalid();
    }
    lengthIndicator_ = indicator;
    code_ = code;
    return System::OkNoError;
}

ResultCode Tpdu::ReadVariablePart() {
    const std::int32_t end = static_cast<std::int32_t>(HeaderLength());
    while (GetWritePosition() < end) {
        // A lone octet cannot hold a parameter: stray padding, passed over.
        if (end - GetWritePosition() < 2) break;
        std::uint8_t code = 0;
        std::uint8_t length = 0;
        GetByte(code);
        GetByte(length);
        if (length > end - GetWritePosition()) return Invalid();
        std::vector<std::uint8_t> value(length);
        if (GetBytes(value.data(), length) != System::OkNoError) return Invalid();
        switch (code) {
            case ParameterTpduSize:
                if (length != 1) return Invalid();
                SetTpduSizeCode(value[0]);
                break;
            case ParameterCallingTsap:
                callingTsapPresent_ = true;
                callingTsap_ = std::move(value);
                break;
            case ParameterCalledTsap:
                calledTsapPresent_ = true;
                calledTsap_ = std::move(value);
                break;
            case ParameterAdditionalInformation: additionalInformation_ = true; break;
            default:  // parameters of other classes or options: not ours to act on
                break;
        }
    }
    SetWritePosition(end);
    return System::OkNoError;
}

std::uint32_t Tpdu::VariablePartLength() const {
    std::uint32_t length = 0;
    if (tpduSizePresent_) length += 3;
    if (calledTsapPresent_) length += 2 + static_cast<std::uint32_t>(calledTsap_.size());
    if (callingTsapPresent_) length += 2 + static_cast<std::uint32_t>(callingTsap_.size());
    return length;
}

ResultCode Tpdu::WriteVariablePart() {
    ResultCode result = System::OkNoError;
    if (tpduSizePresent_) {
        result = PutParameterByte(ParameterTpduSize, static_cast<std::uint8_t>(tpduSizeCode_));
    }
    if (result == System::OkNoError && calledTsapPresent_) {
        result =
            PutParameterBytes(ParameterCalledTsap, calledTsap_.data(), static_cast<std::uint32_t>(calledTsap_.size()));
    }
    if (result == System::OkNoError && callingTsapPresent_) {
        result = PutParameterBytes(ParameterCallingTsap, callingTsap_.data(),
                                   static_cast<std::uint32_t>(callingTsap_.size()));
    }
    return result;
}

ResultCode Tpdu::BeginEncoding(std::uint32_t length) {
    const ResultCode result = Allocate(length);
    if (result != System::OkNoError) return result;
    SetWindow(0, length, 0);
    BeginWrite();
    return System::OkNoError;
}

void Tpdu::FinishEncoding() {
    SetWindow(0, GetCapacity(), 0);
    SetState(StateEncoded);
}
