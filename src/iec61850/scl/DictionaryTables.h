#pragma once

// The content of the built-in dictionary as constant tables. The tables are constant-
// initialised data, so they can be read at any time; BuiltInDictionary turns them into
// the object model once, on first use.

#include <cstdint>
#include <span>

#include "iec61850/scl/BasicTypeCode.h"
#include "iec61850/scl/Element.h"
#include "iec61850/scl/EnumType.h"
#include "iec61850/scl/FunctionalConstraintCode.h"

namespace Iec61850::Acsi::Scl::DictionaryTables {

struct EnumTypeEntry {
    const char* id;
    std::span<const EnumLiteral> literals;
};

// A member of a constructed attribute type. `typeId` names the DAType of a Struct member
// or the EnumType of an Enum member; null otherwise.
struct BdaEntry {
    const char* name;
    BasicTypeCode basicType;
    const char* typeId;
    std::int32_t presence;
    std::int32_t count;
};

struct DaTypeEntry {
    const char* id;
    std::span<const BdaEntry> members;
};

enum Trigger : unsigned { NoTrigger = 0, Dchg = 1, Qchg = 2, Dupd = 4 };

// A member of a data-object type: a DA, or an SDO whose `typeId` names a DOType.
struct DoTypeMemberEntry {
    const char* name;
    ElementKind kind;
    FunctionalConstraintCode fc;
    BasicTypeCode basicType;
    const char* typeId;
    unsigned triggers;
    std::int32_t presence;
    std::int32_t count;
};

constexpr DoTypeMemberEntry Da(const char* name, FunctionalConstraintCode fc, BasicTypeCode basicType,
                               const char* typeId, unsigned triggers, std::int32_t presence, std::int32_t count) {
    return {name, ElementKind::DA, fc, basicType, typeId, triggers, presence, count};
}

constexpr DoTypeMemberEntry Sdo(const char* name, const char* typeId, std::int32_t presence) {
    return {name, ElementKind::SDO, FunctionalConstraintCode::XX, BasicTypeCode::Struct, typeId, NoTrigger, presence,
            0};
}

inline constexpr bool kWithDescriptionTail = true;
inline constexpr bool kWithoutTail = false;

struct DoTypeEntry {
    const char* id;
    const char* cdc;
    std::span<const DoTypeMemberEntry> members;
    // Whether DescriptionTail() follows the listed members.
    bool descriptionTail;
};

// A data object of a logical-node class; `typeId` names its DOType.
struct DoEntry {
    const char* name;
    const char* typeId;
    std::int32_t presence;
};

inline constexpr bool kWithCommonHead = true;
inline constexpr bool kWithoutHead = false;

struct LogicalNodeClassEntry {
    const char* lnClass;
    // Whether CommonHead() precedes the listed data objects.
    bool commonHead;
    std::span<const DoEntry> members;
};

// Each in construction order.
std::span<const EnumTypeEntry> EnumTypeEntries();
std::span<const DaTypeEntry> DaTypeEntries();
std::span<const DoTypeEntry> DoTypeEntries();
std::span<const DoTypeMemberEntry> DescriptionTail();
std::span<const DoEntry> CommonHead();
std::span<const LogicalNodeClassEntry> LogicalNodeClassEntries();

}  // namespace Iec61850::Acsi::Scl::DictionaryTables
