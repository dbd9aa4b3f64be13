#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace Iec61850::Acsi::Scl {

// Basic type of a data attribute. The numbers are shared with the device model, which
// creates value objects from them, so they must not change. There is no 64-bit code.
enum class BasicTypeCode : std::int32_t {
    BOOLEAN = 0,
    INT8 = 1,
    INT16 = 2,
    INT24 = 3,
    INT32 = 4,
    INT128 = 5,
    INT8U = 6,
    INT16U = 7,
    INT24U = 8,
    INT32U = 9,
    FLOAT32 = 10,
    FLOAT64 = 11,
    Enum = 12,
    Check = 13,
    Dbpos = 14,
    Tcmd = 15,
    Quality = 16,
    Timestamp = 17,
    VisString32 = 18,
    VisString64 = 19,
    VisString255 = 20,
    Octet64 = 21,
    Struct = 22,
    EntryTime = 23,
    Unicode255 = 24,
    TriggerConditions = 25,
    VisString65 = 26,
    OptFlds = 27,
    ObjectReference = 28,
    ObjectName = 29,
    EntryID = 30,
    Array = 31,
};

inline constexpr std::size_t BasicTypeCount = 32;

// The SCL names of the basic types, indexed by code, in the case written to SCL files.
inline constexpr std::array<const char*, BasicTypeCount> BasicTypeNames = {
    "BOOLEAN",
    "INT8",
    "INT16",
    "INT24",
    "INT32",
    "INT128",
    "INT8U",
    "INT16U",
    "INT24U",
    "INT32U",
    "FLOAT32",
    "FLOAT64",
    "Enum",
    "Check",
    "Dbpos",
    "Tcmd",
    "Quality",
    "Timestamp",
    "VisString32",
    "VisString64",
    "VisString255",
    "Octet64",
    "Struct",
    "EntryTime",
    "Unicode255",
    "TriggerConditions",
    "VisString65",
    "OptFlds",
    "ObjectReference",
    "ObjectName",
    "EntryID",
    "Array",
};

// The name of a code; the empty text for a number outside 0..31.
const char* BasicTypeName(BasicTypeCode code);

// The code whose name equals `name` ignoring ASCII case; none when no name matches.
std::optional<BasicTypeCode> FindBasicTypeCode(std::string_view name);

// The same lookup with a failure flag: false when found (the code is stored), true when
// no name matches (the code is left as it was).
bool BasicTypeCodeFromName(const char* name, BasicTypeCode& code);

}  // namespace Iec61850::Acsi::Scl
