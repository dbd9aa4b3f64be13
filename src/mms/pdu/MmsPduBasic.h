#pragma once

// The small building blocks of the MMS abstract syntax that every other MMS table
// uses: the sized integer types, identifiers and strings, object names and addresses.
// Value structures are plain coder structures (see protocol/Asn1Coder.h); the
// descriptors are defined in MmsPduBasic.cpp unless they are derived built-in types,
// which are usable at compile time from here.

#include <cstdint>

#include "protocol/Asn1Coder.h"

namespace Mms {

using Asn1::Asn1Any;
using Asn1::Asn1BitString;
using Asn1::Asn1Boolean;
using Asn1::Asn1Integer;
using Asn1::Asn1ListOf;
using Asn1::Asn1NativeInteger;
using Asn1::Asn1NativeUnsigned;
using Asn1::Asn1Null;
using Asn1::Asn1OctetString;
using Asn1::Asn1Presence;
using Asn1::Asn1SequenceOf;
using Asn1::Asn1TypeDescriptor;

// ---- sized integers (ranges are checked by Asn1CheckConstraints only) ----

inline constexpr Asn1TypeDescriptor MmsInteger8Type =
    Asn1::Asn1NativeIntegerType.Derived("Integer8", &Asn1::Asn1CheckNativeIntegerRange<-128, 127>);
inline constexpr Asn1TypeDescriptor MmsInteger16Type =
    Asn1::Asn1NativeIntegerType.Derived("Integer16", &Asn1::Asn1CheckNativeIntegerRange<-32768, 32767>);
inline constexpr Asn1TypeDescriptor MmsInteger32Type = Asn1::Asn1NativeIntegerType.Derived("Integer32");
inline constexpr Asn1TypeDescriptor MmsUnsigned8Type =
    Asn1::Asn1NativeIntegerType.Derived("Unsigned8", &Asn1::Asn1CheckNativeIntegerRange<0, 127>);
inline constexpr Asn1TypeDescriptor MmsUnsigned16Type =
    Asn1::Asn1NativeIntegerType.Derived("Unsigned16", &Asn1::Asn1CheckNativeIntegerRange<0, 32767>);
inline constexpr Asn1TypeDescriptor MmsUnsigned32Type =
    Asn1::Asn1NativeIntegerType.Derived("Unsigned32", &Asn1::Asn1CheckNativeIntegerRange<0, 2147483647>);

// ---- strings ----

// Identifier: a VisibleString (characters 32..126).
inline constexpr Asn1TypeDescriptor MmsIdentifierType = Asn1::Asn1VisibleStringType.Derived("Identifier");
// MMSString: UTF-8 text.
inline constexpr Asn1TypeDescriptor MmsStringType = Asn1::Asn1Utf8StringType.Derived("MMSString");
// MMS255String: UTF-8 text of 1..255 characters (journal variable tags).
Asn1::Asn1CheckFunction MmsCheck255String;
inline constexpr Asn1TypeDescriptor Mms255StringType =
    Asn1::Asn1Utf8StringType.Derived("MMS255String", &MmsCheck255String);
// TimeOfDay: 4 or 6 octets (milliseconds of the day, then optionally days since 1984).
Asn1::Asn1CheckFunction MmsCheckTimeOfDay;
inline constexpr Asn1TypeDescriptor MmsTimeOfDayType =
    Asn1::Asn1OctetStringType.Derived("TimeOfDay", &MmsCheckTimeOfDay);
// UtcTime: 8 octets (seconds since 1970, fraction, quality).
inline constexpr Asn1TypeDescriptor MmsUtcTimeType =
    Asn1::Asn1OctetStringType.Derived("UtcTime", &Asn1::Asn1CheckOctetCount<8, 8>);
// FloatingPoint: the exponent width octet, then the value octets.
inline constexpr Asn1TypeDescriptor MmsFloatingPointType = Asn1::Asn1OctetStringType.Derived("FloatingPoint");

// A list of identifiers (listOfIdentifier, listOfProgramInvocations, ...).
using MmsIdentifierList = Asn1ListOf<Asn1OctetString>;
extern const Asn1TypeDescriptor MmsIdentifierListType;  // SEQUENCE OF Identifier
extern const Asn1TypeDescriptor MmsStringListType;      // SEQUENCE OF MMSString
// SEQUENCE OF MMSString for listOfCapabilities: sent as UTF8String, read as UTF8String
// or VisibleString (older peers).
extern const Asn1TypeDescriptor MmsCapabilityListType;

// ---- ObjectName ----

struct MmsDomainSpecificName {
    Asn1OctetString domainId;  // Identifier
    Asn1OctetString itemId;    // Identifier
};
extern const Asn1TypeDescriptor MmsDomainSpecificNameType;

enum MmsObjectNameChoice : Asn1Presence {
    MmsObjectNameNone = 0,
    MmsObjectNameVmdSpecific = 1,
    MmsObjectNameDomainSpecific = 2,
    MmsObjectNameAaSpecific = 3,
};

struct MmsObjectName {
    Asn1Presence present;  // MmsObjectNameChoice
    union {
        Asn1OctetString vmdSpecific;           // [0] Identifier
        MmsDomainSpecificName domainSpecific;  // [1] SEQUENCE
        Asn1OctetString aaSpecific;            // [2] Identifier
    } choice;
};
extern const Asn1TypeDescriptor MmsObjectNameType;  // untagged CHOICE

using MmsObjectNameList = Asn1ListOf<MmsObjectName>;
extern const Asn1TypeDescriptor MmsObjectNameListType;  // SEQUENCE OF ObjectName

// ---- Address ----

enum MmsAddressChoice : Asn1Presence {
    MmsAddressNone = 0,
    MmsAddressNumeric = 1,
    MmsAddressSymbolic = 2,
    MmsAddressUnconstrained = 3,
};

struct MmsAddress {
    Asn1Presence present;  // MmsAddressChoice
    union {
        Asn1NativeInteger numericAddress;      // [0] Unsigned32
        Asn1OctetString symbolicAddress;       // [1] MMSString
        Asn1OctetString unconstrainedAddress;  // [2] OCTET STRING
    } choice;
};
extern const Asn1TypeDescriptor MmsAddressType;  // untagged CHOICE

// FileName: SEQUENCE OF GraphicString.
using MmsFileName = Asn1ListOf<Asn1OctetString>;
extern const Asn1TypeDescriptor MmsFileNameType;

// ApplicationReference: the four parts are kept as their complete encodings.
struct MmsApplicationReference {
    Asn1Any* apTitle;         // [0] OPTIONAL
    Asn1Any* apInvocationId;  // [1] OPTIONAL
    Asn1Any* aeQualifier;     // [2] OPTIONAL
    Asn1Any* aeInvocationId;  // [3] OPTIONAL
};
extern const Asn1TypeDescriptor MmsApplicationReferenceType;  // SEQUENCE

}  // namespace Mms
