#include "osi/Spdu.h"

#include <cstring>

using System::ResultCode;

namespace {
constexpr std::uint8_t LongLengthMark = 0xFF;

// An ISO 8327 length indicator at the front of bytes: the length and the octets it
// takes; false when the bytes end inside it.
bool ReadLengthIndicator(std::span<const std::uint8_t> bytes, std::uint32_t& length, std::uint32_t& octets) {
    if (bytes.empty()) return false;
    if (bytes[0] != LongLengthMark) {
        length = bytes[0];
        octets = 1;
        return true;
    }
    if (bytes.size() < 3) return false;
    length = (std::uint32_t{bytes[1]} << 8) | bytes[2];
    octets = 3;
    return true;
}
}  // namespace

Spdu::Spdu(Protocol::Connection* owner, std::uint8_t si) : Frame(owner, 0), si_(si) {}

ResultCode Spdu::Measure(std::span<const std::uint8_t> bytes, std::uint8_t& si, std::uint32_t& spduLength) {
    if (bytes.empty()) return System::ProtocolError;
    std::uint32_t length = 0;
    std::uint32_t octets = 0;
    if (!ReadLengthIndicator(bytes.subspan(1), length, octets)) return System::ProtocolError;
    if (std::uint64_t{1} + octets + length > bytes.size()) return System::ProtocolError;
    si = bytes[0];
    spduLength = 1 + octets + length;
    return System::OkNoError;
}

ResultCode Spdu::Invalid() {
    SetState(StateInvalid);
    return System::ProtocolError;
}

ResultCode Spdu::Decode(std::span<const std::uint8_t> bytes) {
    std::uint8_t si = 0;
    std::uint32_t spduLength = 0;
    if (Measure(bytes, si, spduLength) != System::OkNoError || si != si_) return Invalid();
    const auto total = static_cast<std::uint32_t>(bytes.size());
    if (Allocate(total) != System::OkNoError) return Invalid();
    std::memcpy(Data(), bytes.data(), total);
    const std::uint32_t fieldStart = bytes[1] == LongLengthMark ? 4 : 2;
    parameterFieldLength_ = spduLength - fieldStart;
    spduLength_ = spduLength;
    SetWindow(fieldStart, total - fieldStart, 0);
    const std::span<const std::uint8_t> stored(Data(), total);
    const ResultCode result =
        DecodeParameters(stored.subspan(fieldStart, parameterFieldLength_), stored.subspan(spduLength));
    if (result != System::OkNoError) return Invalid();
    SetState(StateDecoded);
    return System::OkNoError;
}

ResultCode Spdu::DecodeParameters(std::span<const std::uint8_t>, std::span<const std::uint8_t>) {
    return System::OkNoError;
}

bool Spdu::NextParameter(std::span<const std::uint8_t>& field, Parameter& parameter, ResultCode& result) {
    result = System::OkNoError;
    if (field.empty()) return false;
    std::uint32_t length = 0;
    std::uint32_t octets = 0;
    if (!ReadLengthIndicator(field.subspan(1), length, octets) || std::uint64_t{1} + octets + length > field.size()) {
        result = System::ProtocolError;
        return false;
    }
    parameter.code = field[0];
    parameter.value = field.subspan(1 + octets, length);
    field = field.subspan(1 + octets + length);
    return true;
}

bool Spdu::ValueNumber(std::span<const std::uint8_t> value, std::uint32_t& number) {
    if (value.size() > 4) return false;
    number = 0;
    for (const std::uint8_t octet : value) number = (number << 8) | octet;
    return true;
}

ResultCode Spdu::BeginEncoding(std::uint32_t room) {
    // SI, up to three length octets, and two octets of slack for widening the
    // length placeholder in place.
    const std::uint64_t capacity = std::uint64_t{room} + 6;
    if (capacity > UINT32_MAX) return System::NoResources;
    ResultCode result = Allocate(static_cast<std::uint32_t>(capacity));
    if (result != System::OkNoError) return result;
    SetWindow(0, 0, 0);
    BeginWrite();
    PutByte(si_);
    lengthMark_ = GetWritePosition();
    return PutByte(0);
}

ResultCode Spdu::FinishEncoding(std::span<const std::uint8_t> following) {
    if (lengthMark_ < 0) return System::InvalidState;
    const auto fieldLength = static_cast<std::uint32_t>(GetWritePosition() - lengthMark_ - 1);
    ResultCode result = SetLengthAt(lengthMark_, fieldLength);
    if (result == System::OkNoError) {
        result = PutBytes(following.data(), static_cast<std::uint32_t>(following.size()));
    }
    if (result != System::OkNoError) return result;
    const std::uint32_t fieldStart = fieldLength < LongLengthMark ? 2 : 4;
    parameterFieldLength_ = fieldLength;
    spduLength_ = fieldStart + fieldLength;
    lengthMark_ = -1;
    SetWindow(0, static_cast<std::uint32_t>(GetWritePosition()), 0);
    SetState(StateEncoded);
    return System::OkNoError;
}
