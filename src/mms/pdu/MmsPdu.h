#pragma once

// The MMS PDU: the MMSpdu CHOICE and the PDUs it chooses from. Only MmsPduType is
// encoded and decoded as a whole (by MmsFrame); the rest is reached through it.
//
// Encoding a PDU:
//     auto* pdu = static_cast<MmsPdu*>(Asn1::Asn1NewValue(&MmsPduType));
//     pdu->present = MmsPduConfirmedRequest;
//     pdu->choice.confirmedRequest.invokeId = 7;
//     MmsFillReadRequest(pdu->choice.confirmedRequest.service, ...);   // MmsPduWriter.h
//     Asn1::Asn1OutputBuffer out{buffer, sizeof buffer};
//     int constructed;
//     ptrdiff_t n = Asn1::Asn1Encode(&MmsPduType, pdu, &constructed, &out);
//     // the encoding is buffer[out.position .. out.position + n)
//     Asn1::Asn1FreeValue(&MmsPduType, pdu);
// Decoding one:
//     MmsPdu* pdu = nullptr;
//     auto result = Asn1::Asn1Decode(nullptr, &MmsPduType, (void**)&pdu, bytes, size);
//     // result.code == Asn1DecodeDone: pdu->present names the PDU kind
//     Asn1::Asn1FreeValue(&MmsPduType, pdu);   // also after a failed decode
// MmsEncodePdu / MmsDecodePdu below wrap these two with the frame-free result codes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "mms/pdu/MmsPduError.h"
#include "mms/pdu/MmsPduServices.h"
#include "system/ResultCode.h"

namespace Mms {

// MMSpdu choice numbers: the PDU kind used throughout the system.
enum MmsPduKind : Asn1Presence {
    MmsPduNone = 0,
    MmsPduConfirmedRequest = 1,   // [0]
    MmsPduConfirmedResponse = 2,  // [1]
    MmsPduConfirmedError = 3,     // [2]
    MmsPduUnconfirmed = 4,        // [3]
    MmsPduReject = 5,             // [4]
    MmsPduCancelRequest = 6,      // [5]
    MmsPduCancelResponse = 7,     // [6]
    MmsPduCancelError = 8,        // [7]
    MmsPduInitiateRequest = 9,    // [8]
    MmsPduInitiateResponse = 10,  // [9]
    MmsPduInitiateError = 11,     // [10]
    MmsPduConcludeRequest = 12,   // [11]
    MmsPduConcludeResponse = 13,  // [12]
    MmsPduConcludeError = 14,     // [13]
};

struct MmsConfirmedRequestPdu {
    Asn1NativeInteger invokeId;  // Unsigned32
    MmsConfirmedServiceRequest service;
};
extern const Asn1TypeDescriptor MmsConfirmedRequestPduType;

struct MmsConfirmedResponsePdu {
    Asn1NativeInteger invokeId;  // Unsigned32
    MmsConfirmedServiceResponse service;
};
extern const Asn1TypeDescriptor MmsConfirmedResponsePduType;

struct MmsConfirmedErrorPdu {
    Asn1NativeInteger invokeId;           // [0] Unsigned32
    Asn1NativeInteger* modifierPosition;  // [1] OPTIONAL
    MmsServiceError serviceError;         // [2]
};
extern const Asn1TypeDescriptor MmsConfirmedErrorPduType;

struct MmsUnconfirmedPdu {
    MmsUnconfirmedService service;
};
extern const Asn1TypeDescriptor MmsUnconfirmedPduType;

struct MmsRejectPdu {
    Asn1NativeInteger* originalInvokeId;  // [0] OPTIONAL
    MmsRejectReason rejectReason;
};
extern const Asn1TypeDescriptor MmsRejectPduType;

struct MmsCancelErrorPdu {
    Asn1NativeInteger originalInvokeId;  // [0]
    MmsServiceError serviceError;        // [1]
};
extern const Asn1TypeDescriptor MmsCancelErrorPduType;

// The parameter and service bit strings of the initiate PDUs are declared with 18 and
// 93 bits; the system sends 11 and 85.
struct MmsInitRequestDetail {
    Asn1NativeInteger proposedVersionNumber;  // [0] Integer16
    Asn1BitString proposedParameterCbb;       // [1] ParameterSupportOptions
    Asn1BitString servicesSupportedCalling;   // [2] ServiceSupportOptions
};

struct MmsInitiateRequestPdu {
    Asn1NativeInteger* localDetailCalling;                 // [0] Integer32 OPTIONAL
    Asn1NativeInteger proposedMaxServOutstandingCalling;   // [1] Integer16
    Asn1NativeInteger proposedMaxServOutstandingCalled;    // [2] Integer16
    Asn1NativeInteger* proposedDataStructureNestingLevel;  // [3] Integer8 OPTIONAL
    MmsInitRequestDetail initRequestDetail;                // [4]
};
extern const Asn1TypeDescriptor MmsInitiateRequestPduType;

struct MmsInitResponseDetail {
    Asn1NativeInteger negotiatedVersionNumber;  // [0] Integer16
    Asn1BitString negotiatedParameterCbb;       // [1]
    Asn1BitString servicesSupportedCalled;      // [2]
};

struct MmsInitiateResponsePdu {
    Asn1NativeInteger* localDetailCalled;                    // [0] Integer32 OPTIONAL
    Asn1NativeInteger negotiatedMaxServOutstandingCalling;   // [1] Integer16
    Asn1NativeInteger negotiatedMaxServOutstandingCalled;    // [2] Integer16
    Asn1NativeInteger* negotiatedDataStructureNestingLevel;  // [3] Integer8 OPTIONAL
    MmsInitResponseDetail initResponseDetail;                // [4]
};
extern const Asn1TypeDescriptor MmsInitiateResponsePduType;

struct MmsPdu {
    Asn1Presence present;  // MmsPduKind
    union {
        MmsConfirmedRequestPdu confirmedRequest;
        MmsConfirmedResponsePdu confirmedResponse;
        MmsConfirmedErrorPdu confirmedError;
        MmsUnconfirmedPdu unconfirmed;
        MmsRejectPdu reject;
        Asn1NativeInteger cancelRequest;   // the invoke id
        Asn1NativeInteger cancelResponse;  // the invoke id
        MmsCancelErrorPdu cancelError;
        MmsInitiateRequestPdu initiateRequest;
        MmsInitiateResponsePdu initiateResponse;
        MmsServiceError initiateError;
        Asn1Null concludeRequest;
        Asn1Null concludeResponse;
        MmsServiceError concludeError;
    } choice;
};
extern const Asn1TypeDescriptor MmsPduType;

// A zeroed PDU value (null when memory runs out) and its release.
MmsPdu* MmsNewPdu();
void MmsFreePdu(MmsPdu* pdu);

// Encodes the PDU into bytes (the value is left as it is). NoResources, OutOfRange or
// Error as the coder's errno says.
System::ResultCode MmsEncodePdu(const MmsPdu& pdu, std::vector<std::uint8_t>& bytes);
// Decodes exactly one PDU filling the bytes; the caller frees *pdu with MmsFreePdu.
// ProtocolError for anything malformed (nothing is left in *pdu then). The PDU lives in
// one arena (Asn1DecodeInArena): a part kept beyond it is copied, never taken over.
System::ResultCode MmsDecodePdu(const std::uint8_t* bytes, std::size_t size, MmsPdu*& pdu);

}  // namespace Mms
