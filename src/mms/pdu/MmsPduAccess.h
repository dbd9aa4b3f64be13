#pragma once

// How MMS requests name the variables they work on: VariableSpecification, the
// entries of a list of variables, and VariableAccessSpecification.

#include "mms/pdu/MmsPduBasic.h"
#include "mms/pdu/MmsPduData.h"

namespace Mms {

// AlternateAccess: a selection of part of a variable (an array's element, a range of
// elements, a structure's component), possibly going on below that part. ASN.1 nests
// untagged CHOICEs here (AlternateAccessSelection, selectAccess); their alternatives
// carry distinct tags, so each choice is written flat with every alternative it reaches.
// Its indexes hold the whole range of Unsigned32 and read only in the shortest form, so
// that every index a client can write selects what it names and nothing else does.
struct MmsIndexRange {
    Asn1NativeUnsigned lowIndex;          // [0] Unsigned32
    Asn1NativeUnsigned numberOfElements;  // [1] Unsigned32
};

// The accessSelection of a selectAlternateAccess.
enum MmsAccessSelectionChoice : Asn1Presence {
    MmsAccessSelectionNone = 0,
    MmsAccessSelectionComponent = 1,    // [0] Identifier
    MmsAccessSelectionIndex = 2,        // [1] Unsigned32
    MmsAccessSelectionIndexRange = 3,   // [2] IndexRange
    MmsAccessSelectionAllElements = 4,  // [3] NULL
};

struct MmsAccessSelection {
    Asn1Presence present;  // MmsAccessSelectionChoice
    union {
        Asn1OctetString component;
        Asn1NativeUnsigned index;
        MmsIndexRange indexRange;
        Asn1Null allElements;
    } choice;
};

struct MmsAlternateAccessElement;
using MmsAlternateAccess = Asn1ListOf<MmsAlternateAccessElement>;
extern const Asn1TypeDescriptor MmsAlternateAccessType;  // SEQUENCE OF

struct MmsSelectAlternateAccess {
    MmsAccessSelection accessSelection;
    MmsAlternateAccess alternateAccess;
};

// AlternateAccessSelection (the first five) and the element of AlternateAccess (all six).
enum MmsAlternateAccessChoice : Asn1Presence {
    MmsAlternateAccessNone = 0,
    MmsAlternateAccessSelectAlternate = 1,  // [0] selectAlternateAccess
    MmsAlternateAccessComponent = 2,        // [1] selectAccess component
    MmsAlternateAccessIndex = 3,            // [2] selectAccess index
    MmsAlternateAccessIndexRange = 4,       // [3] selectAccess indexRange
    MmsAlternateAccessAllElements = 5,      // [4] selectAccess allElements
    MmsAlternateAccessNamed = 6,            // [5] named (elements only)
};

struct MmsAlternateAccessSelection {
    Asn1Presence present;  // MmsAlternateAccessChoice, never Named
    union {
        MmsSelectAlternateAccess selectAlternateAccess;
        Asn1OctetString component;
        Asn1NativeUnsigned index;
        MmsIndexRange indexRange;
        Asn1Null allElements;
    } choice;
};

struct MmsNamedAccess {
    Asn1OctetString componentName;  // [0] Identifier
    MmsAlternateAccessSelection access;
};

struct MmsAlternateAccessElement {
    Asn1Presence present;  // MmsAlternateAccessChoice
    union {
        MmsSelectAlternateAccess selectAlternateAccess;
        Asn1OctetString component;
        Asn1NativeUnsigned index;
        MmsIndexRange indexRange;
        Asn1Null allElements;
        MmsNamedAccess named;
    } choice;
};
extern const Asn1TypeDescriptor MmsAlternateAccessElementType;  // untagged CHOICE

// Selections inside selections deeper than this fail the decode of their PDU.
inline constexpr int MmsMaxAlternateAccessNesting = 24;

struct MmsVariableDescription {
    MmsAddress address;
    MmsTypeSpecification typeSpecification;
};

enum MmsVariableSpecificationChoice : Asn1Presence {
    MmsVariableSpecificationNone = 0,
    MmsVariableSpecificationName = 1,             // [0] ObjectName
    MmsVariableSpecificationAddress = 2,          // [1] Address
    MmsVariableSpecificationDescription = 3,      // [2] SEQUENCE { address, typeSpecification }
    MmsVariableSpecificationScatteredAccess = 4,  // [3] kept opaque
    MmsVariableSpecificationInvalidated = 5,      // [4] NULL
};

struct MmsVariableSpecification {
    Asn1Presence present;  // MmsVariableSpecificationChoice
    union {
        MmsObjectName name;
        MmsAddress address;
        MmsVariableDescription variableDescription;
        Asn1ListOf<Asn1Any> scatteredAccessDescription;
        Asn1Null invalidated;
    } choice;
};
extern const Asn1TypeDescriptor MmsVariableSpecificationType;  // untagged CHOICE

// One entry of a list of variables.
struct MmsVariableEntry {
    MmsVariableSpecification variableSpecification;
    MmsAlternateAccess* alternateAccess;  // [5] OPTIONAL
};
using MmsVariableList = Asn1ListOf<MmsVariableEntry>;
extern const Asn1TypeDescriptor MmsVariableEntryType;  // SEQUENCE
extern const Asn1TypeDescriptor MmsVariableListType;   // SEQUENCE OF

enum MmsVariableAccessChoice : Asn1Presence {
    MmsVariableAccessNone = 0,
    MmsVariableAccessListOfVariable = 1,    // [0] list of variables
    MmsVariableAccessVariableListName = 2,  // [1] ObjectName of a named variable list
};

struct MmsVariableAccessSpecification {
    Asn1Presence present;  // MmsVariableAccessChoice
    union {
        MmsVariableList listOfVariable;
        MmsObjectName variableListName;
    } choice;
};
extern const Asn1TypeDescriptor MmsVariableAccessSpecificationType;  // untagged CHOICE

}  // namespace Mms
