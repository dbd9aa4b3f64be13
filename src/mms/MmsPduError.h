#pragma once

// ServiceError (the body of confirmed-Error, initiate-Error, conclude-Error and
// cancel-Error PDUs) and the reason of a rejectPDU.

#include <cstdint>

#include "mms/MmsPduBasic.h"

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

struct MmsRejectReason {
    Asn1Presence present;  // MmsRejectReasonChoice
    union {
        Asn1NativeInteger code;
    } choice;
};
extern const Asn1TypeDescriptor MmsRejectReasonType;  // untagged CHOICE

}  // namespace Mms
