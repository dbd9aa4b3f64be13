#pragma once

// ServiceError (the body of confirmed-Error, initiate-Error, conclude-Error and
// cancel-Error PDUs) and the reason of a rejectPDU.

#include <cstdint>
#include <string>

#include "mms/pdu/MmsPduBasic.h"

namespace Mms {

// errorClass choice numbers.
enum MmsErrorClass : Asn1Presence {
    MmsErrorClassNone = 0,
    MmsErrorClassVmdState = 1,              // [0]
    MmsErrorClassApplicationReference = 2,  // [1]
    MmsErrorClassDefinition = 3,            // [2]
    MmsErrorClassResource = 4,              // [3]
    MmsErrorClassService = 5,               // [4]
    MmsErrorClassServicePreempt = 6,        // [5]
    MmsErrorClassTimeResolution = 7,        // [6]
    MmsErrorClassAccess = 8,                // [7]
    MmsErrorClassInitiate = 9,              // [8]
    MmsErrorClassConclude = 10,             // [9]
    MmsErrorClassCancel = 11,               // [10]
    MmsErrorClassFile = 12,                 // [11]
    MmsErrorClassOthers = 13,               // [12] INTEGER
};

// Codes of the initiate error class.
enum MmsInitiateErrorCode : std::int32_t {
    MmsInitiateOther = 0,
    MmsInitiateVersionIncompatible = 1,
    MmsInitiateMaxSegmentInsufficient = 2,
    MmsInitiateMaxServicesOutstandingCallingInsufficient = 3,
    MmsInitiateMaxServicesOutstandingCalledInsufficient = 4,
    MmsInitiateServiceCbbInsufficient = 5,
    MmsInitiateParameterCbbInsufficient = 6,
    MmsInitiateNestingLevelInsufficient = 7,
};

// Codes of the conclude error class.
enum MmsConcludeErrorCode : std::int32_t {
    MmsConcludeOther = 0,
    MmsConcludeFurtherCommunicationRequired = 1,
};

// Codes of the definition error class used here.
enum MmsDefinitionErrorCode : std::int32_t {
    MmsDefinitionOther = 0,
    MmsDefinitionObjectUndefined = 1,
    MmsDefinitionObjectExists = 5,
    MmsDefinitionObjectAttributeInconsistent = 6,
};

// Codes of the resource error class used here.
enum MmsResourceErrorCode : std::int32_t {
    MmsResourceOther = 0,
};

// Codes of the service error class used here.
enum MmsServiceErrorCode : std::int32_t {
    MmsServicePrimitivesOutOfSequence = 1,
};

// A refusal packed into one number: the errorClass choice number in the high 16 bits
// and the code within that class in the low 16 bits. The server's handlers leave such a
// value in their reject-code slot for a refusal that goes out as a confirmed-Error.
constexpr std::int32_t MmsPackError(MmsErrorClass errorClass, std::int32_t code) {
    return static_cast<std::int32_t>(errorClass) << 16 | (code & 0xFFFF);
}
// Reject-code slot values from here on are packed errors, below it reject reasons.
constexpr std::int32_t MmsFirstPackedError = 0x10000;
constexpr std::int32_t MmsDefinitionObjectUndefinedError =
    MmsPackError(MmsErrorClassDefinition, MmsDefinitionObjectUndefined);  // 0x30001
constexpr std::int32_t MmsDefinitionObjectExistsError =
    MmsPackError(MmsErrorClassDefinition, MmsDefinitionObjectExists);  // 0x30005
constexpr std::int32_t MmsDefinitionObjectAttributeInconsistentError =
    MmsPackError(MmsErrorClassDefinition, MmsDefinitionObjectAttributeInconsistent);  // 0x30006
constexpr std::int32_t MmsResourceOtherError = MmsPackError(MmsErrorClassResource, MmsResourceOther);
constexpr std::int32_t MmsServicePrimitivesOutOfSequenceError =
    MmsPackError(MmsErrorClassService, MmsServicePrimitivesOutOfSequence);  // 0x50001

// A readable account of an error class and code, e.g. "initiate (9), code 3
// (max-services-outstanding-calling-insufficient)".
std::string MmsServiceErrorText(std::int32_t errorClass, std::int32_t errorCode);
// The same of a reject (MmsRejectReasonChoice and its code), e.g. "reject,
// confirmed-requestPDU, code 1 (unrecognized-service)".
std::string MmsRejectText(std::int32_t reason, std::int32_t code);

struct MmsErrorClassValue {
    Asn1Presence present;  // MmsErrorClass
    union {
        // Every class but others: the code as a number.
        Asn1NativeInteger code;
        // others: an INTEGER of any width.
        Asn1Integer others;
    } choice;
};
extern const Asn1TypeDescriptor MmsErrorClassValueType;

enum MmsServiceSpecificChoice : Asn1Presence {
    MmsServiceSpecificNone = 0,
    MmsServiceSpecificObtainFile = 1,               // [0] ObtainFile-Error
    MmsServiceSpecificDeleteNamedVariableList = 2,  // [6] DeleteNamedVariableList-Error
};

struct MmsServiceSpecificInformation {
    Asn1Presence present;  // MmsServiceSpecificChoice; 0 for the others
    union {
        Asn1NativeInteger obtainFile;
        Asn1NativeInteger deleteNamedVariableList;  // Unsigned32: the number deleted
    } choice;
};
extern const Asn1TypeDescriptor MmsServiceSpecificInformationType;

struct MmsServiceError {
    MmsErrorClassValue errorClass;                              // [0]
    Asn1Integer* additionalCode;                                // [1] OPTIONAL
    Asn1OctetString* additionalDescription;                     // [2] VisibleString OPTIONAL
    MmsServiceSpecificInformation* serviceSpecificInformation;  // [3] OPTIONAL
};
extern const Asn1TypeDescriptor MmsServiceErrorType;  // SEQUENCE

// rejectReason choice numbers (tags [1]..[11]).
enum MmsRejectReasonChoice : Asn1Presence {
    MmsRejectNone = 0,
    MmsRejectConfirmedRequest = 1,
    MmsRejectConfirmedResponse = 2,
    MmsRejectConfirmedError = 3,
    MmsRejectUnconfirmed = 4,
    MmsRejectPduError = 5,
    MmsRejectCancelRequest = 6,
    MmsRejectCancelResponse = 7,
    MmsRejectCancelError = 8,
    MmsRejectConcludeRequest = 9,
    MmsRejectConcludeResponse = 10,
    MmsRejectConcludeError = 11,
};

// Reject reason codes within their rejectReason choice, as far as this system sends
// them.
enum MmsRejectCode : std::int32_t {
    // confirmed-requestPDU
    MmsRejectRequestOther = 0,
    MmsRejectRequestUnrecognizedService = 1,
    MmsRejectRequestInvalidArgument = 4,
    // confirmed-responsePDU invalid-result, confirmed-errorPDU invalid-serviceError
    MmsRejectAnswerInvalid = 3,
    // pdu-error
    MmsRejectPduUnknownPduType = 0,
    MmsRejectPduInvalidPdu = 1,
};

struct MmsRejectReason {
    Asn1Presence present;  // MmsRejectReasonChoice
    union {
        Asn1NativeInteger code;
    } choice;
};
extern const Asn1TypeDescriptor MmsRejectReasonType;  // untagged CHOICE

}  // namespace Mms
