#pragma once

#include <cstdint>
#include <span>

namespace Iec61850::Acsi::Scl {

// One literal of an enumeration: its value and its text (UTF-8).
struct IcdEnumLiteral {
    std::int32_t value;
    const char* text;
};

// One enumeration the ICD file can declare, by the attribute name that uses it.
struct IcdEnumRow {
    const char* name;
    std::span<const IcdEnumLiteral> literals;
};

// The 44 rows of the exporter's own enumeration table, in table order ("RstMod" stands
// twice with the same literals). The EnumType elements of the file take their literals
// from here, not from the dictionary.
std::span<const IcdEnumRow> IcdEnumerationTable();

}  // namespace Iec61850::Acsi::Scl
