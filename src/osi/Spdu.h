#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "protocol/Frame.h"
#include "system/ResultCode.h"

// Base of the session SPDUs (ISO 8327): SI, the length indicator of the parameter
// field (one octet below 255, else 255 and two octets), the parameters, and for a
// data transfer SPDU the user data behind them. Each parameter is a code, a length
// indicator and the value; a parameter group holds parameters in its value.
//
// An SPDU is built for sending (fields set, then Encode: the frame's bytes are the
// SPDU, state 4) or decoded from received bytes, which may go on past the SPDU (the
// next SPDU of the unit, or a DT's user data). Received SPDUs are untrusted: the
// parameter field and every parameter must lie inside what was received, parameters
// not known here are passed over by their own length, and a violation gives
// ProtocolError (StateInvalid) without reading outside the bytes.
class Spdu : public Protocol::Frame {
public:
    // SPDU identifiers.
    static constexpr std::uint8_t SiGiveTokens = 1;
    static constexpr std::uint8_t SiDataTransfer = 1;
    static constexpr std::uint8_t SiFinish = 9;
    static constexpr std::uint8_t SiDisconnect = 10;
    static constexpr std::uint8_t SiRefuse = 12;
    static constexpr std::uint8_t SiConnect = 13;
    static constexpr std::uint8_t SiAccept = 14;
    static constexpr std::uint8_t SiAbort = 25;
    static constexpr std::uint8_t SiAbortAccept = 26;

    // Parameter (PI) and parameter group (PGI) codes.
    static constexpr std::uint8_t PgiConnectAcceptItem = 0x05;
    static constexpr std::uint8_t PiTokenItem = 0x10;
    static constexpr std::uint8_t PiTransportDisconnect = 0x11;
    static constexpr std::uint8_t PiProtocolOptions = 0x13;
    static constexpr std::uint8_t PiSessionUserRequirements = 0x14;
    static constexpr std::uint8_t PiTsduMaximumSize = 0x15;
    static constexpr std::uint8_t PiVersionNumber = 0x16;
    static constexpr std::uint8_t PiEnclosureItem = 0x19;
    static constexpr std::uint8_t PiReasonCode = 0x32;
    static constexpr std::uint8_t PiCallingSessionSelector = 0x33;
    static constexpr std::uint8_t PiCalledSessionSelector = 0x34;
    static constexpr std::uint8_t PgiUserData = 0xC1;
    static constexpr std::uint8_t PgiExtendedUserData = 0xC2;

    // The first SPDU of the bytes: its SI and the octets that SI, length indicator
    // and parameter field take. ProtocolError when they do not all lie in the bytes.
    static System::ResultCode Measure(std::span<const std::uint8_t> bytes, std::uint8_t& si, std::uint32_t& spduLength);

    std::uint8_t GetSi() const { return si_; }
    // The length of the parameter field.
    std::uint32_t GetParameterFieldLength() const { return parameterFieldLength_; }
    // SI, the length indicator and the parameter field: where the next SPDU of a
    // received unit starts, or a DT's user data.
    std::uint32_t GetSpduLength() const { return spduLength_; }

    // Decodes the SPDU at the start of the bytes into this object: OkNoError, or
    // ProtocolError when it is malformed or carries another SI.
    System::ResultCode Decode(std::span<const std::uint8_t> bytes);

protected:
    Spdu(Protocol::Connection* owner, std::uint8_t si);

    // One parameter of a received parameter field.
    struct Parameter {
        std::uint8_t code = 0;
        std::span<const std::uint8_t> value;
    };
    // Cuts the next parameter off the front of the field; false when the field is
    // empty, ProtocolError through result when the parameter runs past its end.
    static bool NextParameter(std::span<const std::uint8_t>& field, Parameter& parameter, System::ResultCode& result);
    // Hands every parameter of the field to take, in order. The walk ends at take's
    // first answer other than OkNoError, which it gives, or with ProtocolError at a
    // parameter that runs past the field.
    template <class Take>
    static System::ResultCode ForEachParameter(std::span<const std::uint8_t> field, Take take) {
        Parameter parameter;
        System::ResultCode result = System::OkNoError;
        while (NextParameter(field, parameter, result)) {
            result = take(parameter);
            if (result != System::OkNoError) return result;
        }
        return result;
    }
    // A value of up to four octets as a big-endian number; false when longer.
    static bool ValueNumber(std::span<const std::uint8_t> value, std::uint32_t& number);

    // The parameters of a received SPDU (and, for data transfer, what follows them).
    // The base accepts any parameter field.
    virtual System::ResultCode DecodeParameters(std::span<const std::uint8_t> field,
                                                std::span<const std::uint8_t> rest);

    // Encoding: storage for up to room octets of parameters and of what follows
    // them, SI and a length placeholder written. FinishEncoding fills in the
    // parameter field's length, appends the octets that follow it and makes the
    // frame's bytes exactly the SPDU.
    System::ResultCode BeginEncoding(std::uint32_t room);
    System::ResultCode FinishEncoding(std::span<const std::uint8_t> following = {});
    System::ResultCode Invalid();

private:
    std::uint8_t si_;
    std::uint32_t parameterFieldLength_ = 0;
    std::uint32_t spduLength_ = 0;
    std::int32_t lengthMark_ = -1;
};
