#pragma once

// MMS data values and their type descriptions: the Data and TypeDescription CHOICEs,
// TypeSpecification and AccessResult. Both CHOICEs are recursive (arrays and
// structures hold further values or descriptions) and extensible: an alternative that
// this system does not know decodes to choice 0 and the rest of the PDU still decodes.
// Received nesting is bounded: a Data value or type description nested deeper than
// MmsMaxDataNesting fails the decode of its PDU.

#include <cstdint>

#include "mms/pdu/MmsPduBasic.h"
#include "system/ResultCode.h"

namespace Mms {

// How deeply arrays and structures may nest in a received value or description.
inline constexpr int MmsMaxDataNesting = 24;

// ---- Data ----

// The choice numbers of Data (the coder's presence numbers). From octet-string on they
// differ from the tag numbers: tag [8] is not used.
enum MmsDataChoice : Asn1Presence {
    MmsDataNone = 0,
    MmsDataArray = 1,             // [1] SEQUENCE OF Data
    MmsDataStructure = 2,         // [2] SEQUENCE OF Data
    MmsDataBoolean = 3,           // [3] BOOLEAN
    MmsDataBitString = 4,         // [4] BIT STRING
    MmsDataInteger = 5,           // [5] INTEGER
    MmsDataUnsigned = 6,          // [6] INTEGER
    MmsDataFloatingPoint = 7,     // [7] OCTET STRING: exponent width, then the value
    MmsDataOctetString = 8,       // [9] OCTET STRING
    MmsDataVisibleString = 9,     // [10] VisibleString
    MmsDataGeneralizedTime = 10,  // [11] GeneralizedTime
    MmsDataBinaryTime = 11,       // [12] OCTET STRING of 4 or 6 octets
    MmsDataBcd = 12,              // [13] INTEGER
    MmsDataBooleanArray = 13,     // [14] BIT STRING
    MmsDataObjId = 14,            // [15] OBJECT IDENTIFIER
    MmsDataMmsString = 15,        // [16] UTF8String
    MmsDataUtcTime = 16,          // [17] OCTET STRING of 8 octets
};

struct MmsData;
using MmsDataList = Asn1ListOf<MmsData>;

struct MmsData {
    Asn1Presence present;  // MmsDataChoice
    union {
        MmsDataList array;
        MmsDataList structure;
        Asn1Boolean boolean;
        Asn1BitString bitString;
        Asn1Integer integer;
        Asn1Integer unsignedInteger;
        Asn1OctetString floatingPoint;
        Asn1OctetString octetString;
        Asn1OctetString visibleString;
        Asn1OctetString generalizedTime;
        Asn1OctetString binaryTime;
        Asn1Integer bcd;
        Asn1BitString booleanArray;
        Asn1OctetString objId;  // OBJECT IDENTIFIER content octets
        Asn1OctetString mmsString;
        Asn1OctetString utcTime;
    } choice;
};
extern const Asn1TypeDescriptor MmsDataType;      // untagged CHOICE
extern const Asn1TypeDescriptor MmsDataListType;  // SEQUENCE OF Data

// ---- DataAccessError ----

enum MmsDataAccessError : std::int32_t {
    MmsObjectInvalidated = 0,
    MmsHardwareFault = 1,
    MmsTemporarilyUnavailable = 2,
    MmsObjectAccessDenied = 3,
    MmsObjectUndefined = 4,
    MmsInvalidAddress = 5,
    MmsTypeUnsupported = 6,
    MmsTypeInconsistent = 7,
    MmsObjectAttributeInconsistent = 8,
    MmsObjectAccessUnsupported = 9,
    MmsObjectNonExistent = 10,
    MmsObjectValueInvalid = 11,
};
inline constexpr Asn1TypeDescriptor MmsDataAccessErrorType =
    Asn1::Asn1NativeIntegerType.Derived("DataAccessError", &Asn1::Asn1CheckNativeIntegerRange<0, 11>);

// ---- AccessResult ----

enum MmsAccessResultChoice : Asn1Presence {
    MmsAccessResultNone = 0,
    MmsAccessResultFailure = 1,  // [0] DataAccessError
    MmsAccessResultSuccess = 2,  // Data (untagged)
};

struct MmsAccessResult {
    Asn1Presence present;  // MmsAccessResultChoice
    union {
        Asn1NativeInteger failure;  // MmsDataAccessError
        MmsData success;
    } choice;
};
extern const Asn1TypeDescriptor MmsAccessResultType;  // untagged CHOICE

using MmsAccessResultList = Asn1ListOf<MmsAccessResult>;
extern const Asn1TypeDescriptor MmsAccessResultListType;  // SEQUENCE OF AccessResult

// ---- TypeDescription and TypeSpecification ----

// Choice numbers of TypeDescription: those of Data without booleanArray.
enum MmsTypeDescriptionChoice : Asn1Presence {
    MmsTypeNone = 0,
    MmsTypeArray = 1,             // [1]
    MmsTypeStructure = 2,         // [2]
    MmsTypeBoolean = 3,           // [3] NULL
    MmsTypeBitString = 4,         // [4] Integer32: the bit count (negative: variable length)
    MmsTypeInteger = 5,           // [5] Unsigned8: the bit width
    MmsTypeUnsigned = 6,          // [6] Unsigned8: the bit width
    MmsTypeFloatingPoint = 7,     // [7] SEQUENCE: format width, exponent width
    MmsTypeOctetString = 8,       // [9] Integer32: the octet count (negative: variable length)
    MmsTypeVisibleString = 9,     // [10] Integer32
    MmsTypeGeneralizedTime = 10,  // [11] NULL
    MmsTypeBinaryTime = 11,       // [12] BOOLEAN: true when the date is included
    MmsTypeBcd = 12,              // [13] Unsigned8
    MmsTypeObjId = 13,            // [15] NULL
    MmsTypeMmsString = 14,        // [16] Integer32
    MmsTypeUtcTime = 15,          // [17] NULL
};

enum MmsTypeSpecificationChoice : Asn1Presence {
    MmsTypeSpecificationNone = 0,
    MmsTypeSpecificationTypeName = 1,     // [0] ObjectName
    MmsTypeSpecificationDescription = 2,  // TypeDescription (untagged)
};

struct MmsTypeSpecification;

struct MmsArrayTypeDescription {
    Asn1Boolean* packed;                 // [0] DEFAULT FALSE
    Asn1NativeInteger numberOfElements;  // [1] Unsigned32
    MmsTypeSpecification* elementType;   // [2] TypeSpecification
};

struct MmsStructureComponent {
    Asn1OctetString* componentName;       // [0] Identifier OPTIONAL
    MmsTypeSpecification* componentType;  // [1] TypeSpecification
};
using MmsStructureComponentList = Asn1ListOf<MmsStructureComponent>;

struct MmsStructureTypeDescription {
    Asn1Boolean* packed;                   // [0] DEFAULT FALSE
    MmsStructureComponentList components;  // [1]
};

struct MmsFloatingPointTypeDescription {
    Asn1NativeInteger formatWidth;    // Unsigned8: bits of the fraction plus one
    Asn1NativeInteger exponentWidth;  // Unsigned8
};

struct MmsTypeDescription {
    Asn1Presence present;  // MmsTypeDescriptionChoice
    union {
        MmsArrayTypeDescription array;
        MmsStructureTypeDescription structure;
        Asn1Null boolean;
        Asn1NativeInteger bitString;
        Asn1NativeInteger integer;
        Asn1NativeInteger unsignedInteger;
        MmsFloatingPointTypeDescription floatingPoint;
        Asn1NativeInteger octetString;
        Asn1NativeInteger visibleString;
        Asn1Null generalizedTime;
        Asn1Boolean binaryTime;
        Asn1NativeInteger bcd;
        Asn1Null objId;
        Asn1NativeInteger mmsString;
        Asn1Null utcTime;
    } choice;
};
extern const Asn1TypeDescriptor MmsTypeDescriptionType;  // untagged CHOICE

struct MmsTypeSpecification {
    Asn1Presence present;  // MmsTypeSpecificationChoice
    union {
        MmsObjectName typeName;
        MmsTypeDescription typeDescription;
    } choice;
};
extern const Asn1TypeDescriptor MmsTypeSpecificationType;  // untagged CHOICE

// Parts of TypeDescription, for building values.
extern const Asn1TypeDescriptor MmsArrayTypeDescriptionType;
extern const Asn1TypeDescriptor MmsStructureTypeDescriptionType;
extern const Asn1TypeDescriptor MmsStructureComponentType;
extern const Asn1TypeDescriptor MmsStructureComponentListType;
extern const Asn1TypeDescriptor MmsFloatingPointTypeDescriptionType;

// ---- floating-point values ----

// Reads a floating-point value: 5 octets (exponent width 8) as a 32-bit float, 9
// octets (exponent width 11) as a 64-bit float; NotImplemented for any other form.
System::ResultCode MmsFloatingPointToDouble(const Asn1OctetString& value, double& out);
// Writes a 32-bit float as 5 octets (08, then the IEEE 754 single big-endian).
System::ResultCode MmsFloatingPointFromFloat(Asn1OctetString& value, float number);
// Writes a 64-bit float as 9 octets (0B, then the IEEE 754 double big-endian).
System::ResultCode MmsFloatingPointFromDouble(Asn1OctetString& value, double number);

}  // namespace Mms
