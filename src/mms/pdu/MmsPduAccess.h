#pragma once

// How MMS requests name the variables they work on: VariableSpecification, the
// entries of a list of variables, and VariableAccessSpecification.

#include "mms/pdu/MmsPduBasic.h"
#include "mms/pdu/MmsPduData.h"

namespace Mms {

// AlternateAccess is carried but never interpreted here: each of its elements is
// kept as its complete encoding.
using MmsAlternateAccess = Asn1ListOf<Asn1Any>;
extern const Asn1TypeDescriptor MmsAlternateAccessType;  // SEQUENCE OF (opaque elements)

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
