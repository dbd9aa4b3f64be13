#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace Iec61850::Acsi::Scl {

// Functional constraint of a data attribute. XX, the last code, stands for "any" where
// control blocks are selected by constraint.
enum class FunctionalConstraintCode : std::int32_t {
    ST = 0,
    MX = 1,
    CO = 2,
    SP = 3,
    SV = 4,
    CF = 5,
    DC = 6,
    SG = 7,
    SE = 8,
    EX = 9,
    BR = 10,
    RP = 11,
    LG = 12,
    GO = 13,
    GS = 14,
    MS = 15,
    US = 16,
    XX = 17,
};

inline constexpr std::size_t FunctionalConstraintCount = 18;

// The names of the functional constraints, indexed by code.
inline constexpr std::array<const char*, FunctionalConstraintCount> FunctionalConstraintNames = {
    "ST", "MX", "CO", "SP", "SV", "CF", "DC", "SG", "SE", "EX", "BR", "RP", "LG", "GO", "GS", "MS", "US", "XX",
};

// The name of a code; null for a number outside 0..17 (negative numbers included).
const char* FunctionalConstraintName(FunctionalConstraintCode code);

// The code whose name equals `name` ignoring ASCII case; none when no name matches.
std::optional<FunctionalConstraintCode> FindFunctionalConstraintCode(std::string_view name);

}  // namespace Iec61850::Acsi::Scl
