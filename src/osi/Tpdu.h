#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "protocol/Frame.h"
#include "system/ResultCode.h"

// Base of the transport class 0 TPDUs (ISO 8073): one TPDU in the frame's storage,
// header first. A TPDU is built either for sending (fields set, then Encode) or from
// a received frame (Decode copies the frame's window and parses the header).
//
// Received TPDUs are untrusted: the length indicator must describe a header that
// lies inside the unit and holds the type's fixed part, and every parameter of the
// variable part must lie inside the header. A TPDU that breaks a rule is invalid
// (frame state StateInvalid, ProtocolError); nothing is read outside the unit.
class Tpdu : public Protocol::Frame {
public:
    // TPDU types, the high nibble of the code octet.
    enum Type : std::uint8_t {
        TypeNone = 0x0,
        TypeEr = 0x7,
        TypeDr = 0x8,
        TypeCc = 0xD,
        TypeCr = 0xE,
        TypeDt = 0xF,
    };

    // Parameter codes of the variable part.
    static constexpr std::uint8_t ParameterTpduSize = 0xC0;
    static constexpr std::uint8_t ParameterCallingTsap = 0xC1;
    static constexpr std::uint8_t ParameterCalledTsap = 0xC2;
    static constexpr std::uint8_t ParameterAdditionalInformation = 0xE0;

    // TPDU size codes: 2 to the power of the code octets. Without the parameter the
    // standard's 128 octets apply.
    static constexpr std::uint32_t DefaultSizeCode = 7;
    static constexpr std::uint32_t LargestSizeCode = 13;

    // Frame state of a DT without end mark (the others are the frame's own).
    static constexpr std::int32_t StateSegment = 1;

    // The type of the TPDU in the frame's window (high nibble of its second octet),
    // TypeNone when the window is shorter than two octets.
    static std::uint8_t TypeOf(const Protocol::Frame& frame);

    std::uint8_t GetLengthIndicator() const { return lengthIndicator_; }
    std::uint8_t GetCode() const { return code_; }
    std::uint8_t GetType() const { return static_cast<std::uint8_t>(code_ >> 4); }

    // Variable part. A TSAP selector of one or two octets reads as a number; longer
    // selectors keep their octets only (GetCalledTsap then gives 0).
    bool HasCalledTsap() const { return calledTsapPresent_; }
    std::uint16_t GetCalledTsap() const { return SelectorNumber(calledTsap_); }
    std::span<const std::uint8_t> GetCalledTsapOctets() const { return calledTsap_; }
    void SetCalledTsap(std::uint16_t selector);
    bool HasCallingTsap() const { return callingTsapPresent_; }
    std::uint16_t GetCallingTsap() const { return SelectorNumber(callingTsap_); }
    std::span<const std::uint8_t> GetCallingTsapOctets() const { return callingTsap_; }
    void SetCallingTsap(std::uint16_t selector);
    bool HasTpduSize() const { return tpduSizePresent_; }
    // DefaultSizeCode when the parameter is absent.
    std::uint32_t GetTpduSizeCode() const { return tpduSizePresent_ ? tpduSizeCode_ : DefaultSizeCode; }
    void SetTpduSizeCode(std::uint32_t code);
    bool HasAdditionalInformation() const { return additionalInformation_; }

    // Parses a received TPDU (the frame's window) into this object: OkNoError, or
    // ProtocolError when it is malformed or not of this object's type.
    virtual System::ResultCode Decode(const Protocol::Frame& received) = 0;

protected:
    Tpdu(Protocol::Connection* owner, std::uint8_t code);

    // Copies the received window into the own storage and reads LI and the code
    // octet. The header (LI + 1 octets) must lie inside the unit, hold fixedLength
    // octets and carry this object's type. Leaves the cursor behind the code octet.
    System::ResultCode TakeReceived(const Protocol::Frame& received, std::uint32_t fixedLength);
    // Reads the parameters from the cursor up to the end of the header.
    System::ResultCode ReadVariablePart();
    // Octets that WriteVariablePart writes.
    std::uint32_t VariablePartLength() const;
    // Size, called TSAP, calling TSAP, each when present.
    System::ResultCode WriteVariablePart();
    // Allocates exactly length octets and starts writing at their first.
    System::ResultCode BeginEncoding(std::uint32_t length);
    // The whole storage becomes the window; state encoded.
    void FinishEncoding();
    System::ResultCode Invalid();

    std::uint32_t HeaderLength() const { return std::uint32_t{lengthIndicator_} + 1; }
    void SetLengthIndicator(std::uint8_t value) { lengthIndicator_ = value; }

private:
    static std::uint16_t SelectorNumber(const std::vector<std::uint8_t>& octets);

    std::uint8_t lengthIndicator_ = 0;
    std::uint8_t code_;
    bool calledTsapPresent_ = false;
    std::vector<std::uint8_t> calledTsap_;
    bool callingTsapPresent_ = false;
    std::vector<std::uint8_t> callingTsap_;
    bool tpduSizePresent_ = false;
    std::uint32_t tpduSizeCode_ = DefaultSizeCode;
    bool additionalInformation_ = false;
};
