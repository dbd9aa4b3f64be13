#pragma once

// The MMS initiate record: what one side proposes and what the exchange settles on.
// The parameter and service flags keep one byte per bit of the ParameterSupportOptions
// and ServiceSupportOptions bit strings (1 set, 0 clear), numbered as those bits.

#include <cstdint>

#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/ServiceErrorRecord.h"
#include "system/ResultCode.h"

namespace Mms {

struct InitiateParameters {
    static constexpr std::int32_t DefaultLocalDetail = 196352;  // 0x2FF00
    static constexpr std::size_t ParameterFlagCount = 18;
    static constexpr std::size_t ServiceFlagCount = 93;
    // What this system sends of each bit string.
    static constexpr std::size_t SentParameterFlags = 11;
    static constexpr std::size_t SentServiceFlags = 85;

    // ParameterSupportOptions bits.
    static constexpr std::size_t ParameterStr1 = 0;
    static constexpr std::size_t ParameterStr2 = 1;
    static constexpr std::size_t ParameterVnam = 2;
    static constexpr std::size_t ParameterValt = 3;
    static constexpr std::size_t ParameterVadr = 4;
    static constexpr std::size_t ParameterVsca = 5;
    static constexpr std::size_t ParameterTpy = 6;
    static constexpr std::size_t ParameterVlis = 7;
    static constexpr std::size_t ParameterReal = 8;
    static constexpr std::size_t ParameterCei = 10;
    // ServiceSupportOptions bit of informationReport.
    static constexpr std::size_t ServiceInformationReport = 79;

    bool localDetailPresent = false;
    std::int32_t localDetail = 0;  // the largest MMS PDU in octets
    std::uint16_t maxServOutstandingCalling = 0;
    std::uint16_t maxServOutstandingCalled = 0;
    bool nestingLevelPresent = false;
    std::uint8_t nestingLevel = 0;
    std::int16_t versionNumber = 0;
    std::uint8_t parameterCbb[ParameterFlagCount] = {};
    std::uint8_t servicesSupported[ServiceFlagCount] = {};

    // The library's proposal: local detail 196352, 10 and 10 outstanding requests,
    // nesting level 5, version 1, str1 str2 vnam vlis, informationReport.
    static InitiateParameters Defaults();
    // Everything cleared, with the default local detail (the frame size before any
    // initiate has settled another).
    static InitiateParameters Cleared();

    // Whether the services flags announce one of the library's confirmed services
    // (numbered 1..20 as the service CHOICEs); false for any other number.
    bool SupportsService(std::int32_t service) const;
};

// The smallest maximum PDU size an association may settle on: below it not even a
// small answer fits.
inline constexpr std::int32_t MmsMinimumLocalDetail = 256;

// Takes the peer's answer to an initiate request apart. An initiate-ResponsePDU fills
// negotiated (see MmsReadInitiateResponse); its maximum PDU size is bounded by the
// proposed one (taken when the answer names none), and one below
// MmsMinimumLocalDetail gives OutOfRange. An initiate-ErrorPDU fills the error record
// and gives Rejected (or the reader's failure). Any other PDU gives Error.
System::ResultCode MmsSettleInitiateAnswer(const MmsPdu& answer, const InitiateParameters& proposal,
                                           InitiateParameters& negotiated, ServiceErrorRecord& error);

// Writes the proposal into an initiate-RequestPDU / the answer into an
// initiate-ResponsePDU (the PDU must be zeroed). NoResources when memory runs out.
System::ResultCode MmsFillInitiateRequest(const InitiateParameters& parameters, MmsInitiateRequestPdu& pdu);
System::ResultCode MmsFillInitiateResponse(const InitiateParameters& parameters, MmsInitiateResponsePdu& pdu);

// Reads a received PDU into the record: OutOfRange for a negative local detail, a
// count of outstanding requests outside 0..65535, a nesting level outside 0..255 or a
// version outside -32768..32767; Error for a bit string longer than its flags (93
// service bits, 18 parameter bits) or malformed.
System::ResultCode MmsReadInitiateRequest(const MmsInitiateRequestPdu& pdu, InitiateParameters& parameters);
System::ResultCode MmsReadInitiateResponse(const MmsInitiateResponsePdu& pdu, InitiateParameters& parameters);

}  // namespace Mms
