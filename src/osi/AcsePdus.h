#pragma once

// The association control PDUs (ACSE-1 module of ISO 8650-1) as value structures and
// type descriptors of the BER coder. Members this stack never sends (invocation
// identifiers, authentication, implementation information) are still declared so that
// a peer's APDU carrying them decodes; later additions are skipped when read.

#include <cstdint>

#include "protocol/Asn1Coder.h"
#include "protocol/Asn1External.h"

namespace Acse {

using Asn1::Asn1Any;
using Asn1::Asn1BitString;
using Asn1::Asn1GraphicString;
using Asn1::Asn1Integer;
using Asn1::Asn1ListOf;
using Asn1::Asn1NativeInteger;
using Asn1::Asn1ObjectIdentifier;
using Asn1::Asn1Presence;

// AP-title ::= CHOICE { ap-title-form1 Name, ap-title-form2 OBJECT IDENTIFIER, ..., form3 }.
// Only form 2 is read; another form decodes to presence 0.
enum ApTitleChoice : Asn1Presence { ApTitleForm2 = 1 };
struct ApTitle {
    Asn1Presence present;
    union {
        Asn1ObjectIdentifier form2;
    } choice;
};

// AE-qualifier ::= CHOICE { ae-qualifier-form1 RDN, ae-qualifier-form2 INTEGER, ..., form3 }.
enum AeQualifierChoice : Asn1Presence { AeQualifierForm2 = 1 };
struct AeQualifier {
    Asn1Presence present;
    union {
        Asn1Integer form2;
    } choice;
};

using ApplicationContextNameList = Asn1ListOf<Asn1ObjectIdentifier>;
// Association-information ::= SEQUENCE OF EXTERNAL
using AssociationInformation = Asn1ListOf<Asn1::Asn1External>;

struct Aarq {
    Asn1BitString* protocolVersion;                          // [0] IMPLICIT, DEFAULT version1
    Asn1ObjectIdentifier applicationContextName;             // [1]
    ApTitle* calledApTitle;                                  // [2]
    AeQualifier* calledAeQualifier;                          // [3]
    Asn1Integer* calledApInvocationIdentifier;               // [4]
    Asn1Integer* calledAeInvocationIdentifier;               // [5]
    ApTitle* callingApTitle;                                 // [6]
    AeQualifier* callingAeQualifier;                         // [7]
    Asn1Integer* callingApInvocationIdentifier;              // [8]
    Asn1Integer* callingAeInvocationIdentifier;              // [9]
    Asn1BitString* senderAcseRequirements;                   // [10] IMPLICIT
    Asn1ObjectIdentifier* mechanismName;                     // [11] IMPLICIT
    Asn1Any* callingAuthenticationValue;                     // [12]
    ApplicationContextNameList* applicationContextNameList;  // [13] IMPLICIT
    Asn1GraphicString* implementationInformation;            // [29] IMPLICIT
    AssociationInformation* userInformation;                 // [30] IMPLICIT
};

// Associate-result ::= INTEGER { accepted (0), rejected-permanent (1), rejected-transient (2) }
inline constexpr std::int32_t ResultAccepted = 0;
inline constexpr std::int32_t ResultRejectedPermanent = 1;
inline constexpr std::int32_t ResultRejectedTransient = 2;

// Associate-source-diagnostic ::= CHOICE { acse-service-user [1] INTEGER, acse-service-provider [2] INTEGER }
enum SourceDiagnosticChoice : Asn1Presence { DiagnosticServiceUser = 1, DiagnosticServiceProvider = 2 };
struct AssociateSourceDiagnostic {
    Asn1Presence present;
    union {
        Asn1NativeInteger serviceUser;
        Asn1NativeInteger serviceProvider;
    } choice;
};

struct Aare {
    Asn1BitString* protocolVersion;                          // [0] IMPLICIT
    Asn1ObjectIdentifier applicationContextName;             // [1]
    Asn1Integer result;                                      // [2]
    AssociateSourceDiagnostic resultSourceDiagnostic;        // [3]
    ApTitle* respondingApTitle;                              // [4]
    AeQualifier* respondingAeQualifier;                      // [5]
    Asn1Integer* respondingApInvocationIdentifier;           // [6]
    Asn1Integer* respondingAeInvocationIdentifier;           // [7]
    Asn1BitString* responderAcseRequirements;                // [8] IMPLICIT
    Asn1ObjectIdentifier* mechanismName;                     // [9] IMPLICIT
    Asn1Any* respondingAuthenticationValue;                  // [10]
    ApplicationContextNameList* applicationContextNameList;  // [11] IMPLICIT
    Asn1GraphicString* implementationInformation;            // [29] IMPLICIT
    AssociationInformation* userInformation;                 // [30] IMPLICIT
};

// RLRQ-apdu and RLRE-apdu share their shape: a reason and user information.
struct ReleaseApdu {
    Asn1NativeInteger* reason;                // [0] IMPLICIT
    AssociationInformation* userInformation;  // [30] IMPLICIT
};

// ABRT-source ::= INTEGER { acse-service-user (0), acse-service-provider (1) }
inline constexpr Asn1NativeInteger AbortSourceServiceUser = 0;
inline constexpr Asn1NativeInteger AbortSourceServiceProvider = 1;

struct Abrt {
    Asn1NativeInteger abortSource;            // [0] IMPLICIT
    Asn1NativeInteger* abortDiagnostic;       // [1] IMPLICIT ENUMERATED
    AssociationInformation* userInformation;  // [30] IMPLICIT
};

// ACSE-apdu ::= CHOICE { aarq, aare, rlrq, rlre, abrt, ... }
enum ApduChoice : Asn1Presence { ApduAarq = 1, ApduAare = 2, ApduRlrq = 3, ApduRlre = 4, ApduAbrt = 5 };
struct AcseApdu {
    Asn1Presence present;
    union {
        Aarq aarq;
        Aare aare;
        ReleaseApdu rlrq;
        ReleaseApdu rlre;
        Abrt abrt;
    } choice;
};

extern const Asn1::Asn1TypeDescriptor ApTitleType;
extern const Asn1::Asn1TypeDescriptor AeQualifierType;
extern const Asn1::Asn1TypeDescriptor AssociationInformationType;
extern const Asn1::Asn1TypeDescriptor AarqType;
extern const Asn1::Asn1TypeDescriptor AareType;
extern const Asn1::Asn1TypeDescriptor RlrqType;
extern const Asn1::Asn1TypeDescriptor RlreType;
extern const Asn1::Asn1TypeDescriptor AbrtType;
extern const Asn1::Asn1TypeDescriptor AcseApduType;

}  // namespace Acse
