#pragma once

// The connection-oriented presentation PDUs (ISO 8823, normal mode) as value structures
// and type descriptors of the BER coder. Only what this stack sends or has to read is
// spelled out; members a peer may add in later protocol versions are skipped when read.

#include <cstdint>

#include "protocol/Asn1Coder.h"

namespace Presentation {

using Asn1::Asn1Any;
using Asn1::Asn1BitString;
using Asn1::Asn1ListOf;
using Asn1::Asn1NativeInteger;
using Asn1::Asn1ObjectIdentifier;
using Asn1::Asn1OctetString;
using Asn1::Asn1Presence;

// Mode-selector ::= SET { mode-value [0] IMPLICIT INTEGER { x410-1984-mode (0), normal-mode (1) } }
inline constexpr Asn1NativeInteger NormalMode = 1;
struct ModeSelector {
    Asn1NativeInteger modeValue;
};

// Context-list item: one proposed presentation context.
struct ContextDefinition {
    Asn1NativeInteger identifier;
    Asn1ObjectIdentifier abstractSyntaxName;
    Asn1ListOf<Asn1ObjectIdentifier> transferSyntaxNames;
};
using ContextDefinitionList = Asn1ListOf<ContextDefinition>;

// Default-context-name ::= SEQUENCE { [0] IMPLICIT abstract, [1] IMPLICIT transfer }
struct DefaultContextName {
    Asn1ObjectIdentifier abstractSyntaxName;
    Asn1ObjectIdentifier transferSyntaxName;
};

// Result ::= INTEGER { acceptance (0), user-rejection (1), provider-rejection (2) }
inline constexpr Asn1NativeInteger ResultAcceptance = 0;
inline constexpr Asn1NativeInteger ResultUserRejection = 1;
inline constexpr Asn1NativeInteger ResultProviderRejection = 2;

// Result-list item: the answer to one proposed context, in the order of the proposal.
struct ContextResult {
    Asn1NativeInteger result;                  // [0] IMPLICIT
    Asn1ObjectIdentifier* transferSyntaxName;  // [1] IMPLICIT, optional
    Asn1NativeInteger* providerReason;         // [2] IMPLICIT, optional
};
using ContextResultList = Asn1ListOf<ContextResult>;

// PDV-list presentation-data-values.
enum PdvChoice : Asn1Presence { PdvSingleAsn1Type = 1, PdvOctetAligned = 2, PdvArbitrary = 3 };
struct PresentationDataValues {
    Asn1Presence present;
    union {
        Asn1Any singleAsn1Type;        // [0] (explicit): one complete encoding
        Asn1OctetString octetAligned;  // [1] IMPLICIT
        Asn1BitString arbitrary;       // [2] IMPLICIT
    } choice;
};

struct PdvList {
    Asn1ObjectIdentifier* transferSyntaxName;  // optional
    Asn1NativeInteger contextIdentifier;
    PresentationDataValues values;
};
using FullyEncodedData = Asn1ListOf<PdvList>;

// User-data ::= CHOICE { [APPLICATION 0] simply-encoded, [APPLICATION 1] fully-encoded }.
// Also the whole PPDU of P-DATA (TD).
enum UserDataChoice : Asn1Presence { SimplyEncodedData = 1, FullyEncoded = 2 };
struct UserData {
    Asn1Presence present;
    union {
        Asn1OctetString simplyEncoded;
        FullyEncodedData fullyEncoded;
    } choice;
};

struct CpNormalModeParameters {
    Asn1BitString* protocolVersion;                // [0], DEFAULT version-1
    Asn1OctetString* callingSelector;              // [1]
    Asn1OctetString* calledSelector;               // [2]
    ContextDefinitionList* contextDefinitionList;  // [4]
    DefaultContextName* defaultContextName;        // [6]
    Asn1BitString* presentationRequirements;       // [8]
    Asn1BitString* userSessionRequirements;        // [9]
    UserData* userData;
};

// CP-type ::= SET { mode-selector [0], x410-mode-parameters [1] (not used), normal-mode-parameters [2] }
struct CpType {
    ModeSelector modeSelector;
    CpNormalModeParameters* normalModeParameters;
};

struct CpaNormalModeParameters {
    Asn1BitString* protocolVersion;           // [0]
    Asn1OctetString* respondingSelector;      // [3]
    ContextResultList* contextResultList;     // [5]
    Asn1BitString* presentationRequirements;  // [8]
    Asn1BitString* userSessionRequirements;   // [9]
    UserData* userData;
};

// CPA-PPDU ::= SET { mode-selector [0], x410-mode-parameters [1] (not used), normal-mode-parameters [2] }
struct CpaPpdu {
    ModeSelector modeSelector;
    CpaNormalModeParameters* normalModeParameters;
};

struct CprNormalModeParameters {
    Asn1BitString* protocolVersion;           // [0]
    Asn1OctetString* respondingSelector;      // [3]
    ContextResultList* contextResultList;     // [5]
    Asn1NativeInteger* defaultContextResult;  // [7]
    Asn1NativeInteger* providerReason;        // [10]
    UserData* userData;
};

// CPR-PPDU ::= CHOICE { x400-mode-parameters (not used), normal-mode-parameters SEQUENCE }
struct CprPpdu {
    Asn1Presence present;
    union {
        CprNormalModeParameters normalModeParameters;
    } choice;
};

// Presentation-context-identifier-list item.
struct ContextIdentifierItem {
    Asn1NativeInteger contextIdentifier;
    Asn1ObjectIdentifier transferSyntaxName;
};
using ContextIdentifierList = Asn1ListOf<ContextIdentifierItem>;

struct AruNormalModeParameters {
    ContextIdentifierList* contextIdentifierList;  // [0]
    UserData* userData;
};

// ARU-PPDU ::= CHOICE { x400-mode-parameters (not used), normal-mode-parameters [0] IMPLICIT SEQUENCE }
struct AruPpdu {
    Asn1Presence present;
    union {
        AruNormalModeParameters normalModeParameters;
    } choice;
};

// Abort-reason values of the ARP.
enum AbortReason : Asn1NativeInteger {
    ReasonNotSpecified = 0,
    UnrecognizedPpdu = 1,
    UnexpectedPpdu = 2,
    UnexpectedSessionServicePrimitive = 3,
    UnrecognizedPpduParameter = 4,
    UnexpectedPpduParameter = 5,
    InvalidPpduParameterValue = 6,
};
// Event-identifier values of the ARP (the PPDU that caused the abort).
enum EventIdentifier : Asn1NativeInteger { CpPpduEvent = 0, CpaPpduEvent = 1 };

// ARP-PPDU ::= SEQUENCE { provider-reason [0] IMPLICIT OPTIONAL, event-identifier [1] IMPLICIT OPTIONAL }
struct ArpPpdu {
    Asn1NativeInteger* providerReason;
    Asn1NativeInteger* eventIdentifier;
};

extern const Asn1::Asn1TypeDescriptor ModeSelectorType;
extern const Asn1::Asn1TypeDescriptor ContextDefinitionType;
extern const Asn1::Asn1TypeDescriptor ContextDefinitionListType;
extern const Asn1::Asn1TypeDescriptor ContextResultType;
extern const Asn1::Asn1TypeDescriptor ContextResultListType;
extern const Asn1::Asn1TypeDescriptor PdvListType;
extern const Asn1::Asn1TypeDescriptor UserDataType;
// The PPDU of P-DATA (TD): User-data as UserDataType, but the PDU in a
// single-ASN1-type PDV is taken as its PDV bounds it, even when its own length
// disagrees, so that the user of the context judges it.
extern const Asn1::Asn1TypeDescriptor DataPpduType;
extern const Asn1::Asn1TypeDescriptor CpTypeType;
extern const Asn1::Asn1TypeDescriptor CpaPpduType;
extern const Asn1::Asn1TypeDescriptor CprPpduType;
extern const Asn1::Asn1TypeDescriptor AruPpduType;
extern const Asn1::Asn1TypeDescriptor ArpPpduType;

}  // namespace Presentation
