// The enumerations of the built-in dictionary, in construction order. Literals are
// kept letter for letter as devices and existing files carry them, slips included.
#include "iec61850/scl/DictionaryTables.h"

namespace Iec61850::Acsi::Scl::DictionaryTables {

namespace {

constexpr EnumLiteral kCtlModelsEnum[] = {
    {0, "status-only"},
    {1, "direct-with-normal-security"},
    {2, "sbo-with-normal-security"},
    {3, "direct-with-enhanced-security"},
    {4, "sbo-with-enhanced-security"},
};
constexpr EnumLiteral kCtlModelEnum[] = {
    {0, "status-only"},
    {1, "direct-with-normal-security"},
    {2, "sbo-with-normal-security"},
    {3, "direct-with-enhanced-security"},
    {4, "sbo-with-enhanced-security"},
};
constexpr EnumLiteral kDirGeneralEnum[] = {
    {0, "unknown"},
    {1, "forward"},
    {2, "backward"},
    {3, "both"},
};
constexpr EnumLiteral kDirPhsEnum[] = {
    {0, "unknown"},
    {1, "forward"},
    {2, "backward"},
};
constexpr EnumLiteral kSboClassEnum[] = {
    {0, "operate-once"},
    {1, "operate-many"},
};
constexpr EnumLiteral kHvRefEnum[] = {
    {0, "fundamental"},
    {1, "rms"},
    {2, "absolute"},
};
constexpr EnumLiteral kSevEnum[] = {
    {0, "unknown"}, {1, "critical"}, {2, "major"}, {3, "minor"}, {4, "warning"},
};
constexpr EnumLiteral kCmdQualEnum[] = {
    {0, "pulse"},
    {1, "persistent"},
};
constexpr EnumLiteral kOrCatEnum[] = {
    {0, "not-supported"},    {1, "bay-control"},   {2, "station-control"},
    {3, "remote-control"},   {4, "automatic-bay"}, {5, "automatic-station"},
    {6, "automatic-remote"}, {7, "maintenance"},   {8, "process"},
};
constexpr EnumLiteral kSIUnitEnum[] = {
    {1, "dimensionless"},
    {2, "meter"},
    {3, "kilogram"},
    {4, "second"},
    {5, "ampere"},
    {6, "Kelvin"},
    {7, "mole"},
    {8, "candela"},
    {9, "degrees"},
    {10, "radian"},
    {11, "steradian"},
    {21, "Gray"},
    {22, "becquerel"},
    {23, "degrees Celsius"},
    {24, "sievert"},
    {25, "farad"},
    {26, "coulomb"},
    {27, "siemens"},
    {28, "henry"},
    {29, "volt"},
    {30, "ohm"},
    {31, "joule"},
    {32, "newton"},
    {33, "hertz"},
    {34, "lux"},
    {35, "lumen"},
    {36, "weber"},
    {37, "tesla"},
    {38, "watt"},
    {39, "pascal"},
    {41, "square meter"},
    {42, "cubic meter"},
    {43, "meters per second"},
    {44, "meters per second2"},
    {45, "cubic meters per second"},
    {46, "meters/cubic meter"},
    {47, "kilogram meter"},
    {48, "kilogram/cubic meter"},
    {49, "meter square/second"},
    {50, "watt/meter Kelvin"},
    {51, "joule/Kelvin"},
    {52, "parts per million"},
    {53, "rotations per second"},
    {54, "radian per second"},
    {61, "volt ampere"},
    {62, "watts"},
    {63, "volt ampere reactive"},
    {64, "phase angle degrees"},
    {65, "Power factor"},
    {66, "volt seconds"},
    {67, "volt square"},
    {68, "amp second"},
    {69, "amp square"},
    {70, "amp square second"},
    {71, "volt ampere hours"},
    {72, "watt hours"},
    {73, "volt ampere reactive hours"},
    {74, "volts per hertz"},
};
constexpr EnumLiteral kMultiplierEnum[] = {
    {-24, "Yocto"}, {-21, "Zepto"}, {-18, "Atto"}, {-15, "Femto"},     {-12, "Pico"}, {-9, "Nano"},  {-6, "Micro"},
    {-3, "Milli"},  {-2, "Centi"},  {-1, "Deci"},  {0, "zeroNoValue"}, {1, "Deca"},   {2, "Hecto"},  {3, "Kilo"},
    {6, "Mega"},    {9, "Giga"},    {12, "Tera"},  {15, "Petra"},      {18, "Exa"},   {21, "Zetta"}, {24, "Yotta"},
};
constexpr EnumLiteral kRangeEnum[] = {
    {0, "normal"}, {1, "high"}, {2, "low"}, {3, "high-high"}, {4, "low-low"},
};
constexpr EnumLiteral kAngRefEnum[] = {
    {0, "V"},
    {1, "A"},
    {2, "other"},
};
constexpr EnumLiteral kAngRefWYEEnum[] = {
    {0, "Va"},  {1, "Vb"},  {2, "Vc"},  {3, "Aa"},     {4, "Ab"},      {5, "Ac"},
    {6, "Vab"}, {7, "Vbc"}, {8, "Vca"}, {9, "Vother"}, {10, "Aother"},
};
constexpr EnumLiteral kPhsRefEnum[] = {
    {0, "A"},
    {1, "B"},
    {2, "C"},
};
constexpr EnumLiteral kSetCharactEnum[] = {
    {0, ""},
    {1, "ANSI Extremly Inverse"},
    {2, "ANSI Very Inverse"},
    {3, "ANSI Normal Inverse"},
    {4, "ANSI Moderate Inverse"},
    {5, "ANSI Definite Time"},
    {6, "Long-Time Extremely Inverse"},
    {7, "Long-Time Very Inverse"},
    {8, "Long-Time Inverse"},
    {9, "IEC Normal Inverse"},
    {10, "IEC Very Inverse"},
    {11, "IEC Inverse"},
    {12, "IEC Extremely Inverse"},
    {13, "IEC Short-Time Inverse"},
    {14, "IEC Long-Time Inverse"},
    {15, "IEC Definite Time"},
    {16, "Reserved"},
};
constexpr EnumLiteral kSeqTEnum[] = {
    {0, "pos-neg-zero"},
    {1, "dir-quad-zero"},
};
constexpr EnumLiteral kDbpos[] = {
    {0, "intermediate"},
    {1, "off"},
    {2, "on"},
    {3, "bad"},
};
constexpr EnumLiteral kCheck[] = {
    {0, "no-check"},
    {1, "synchrocheck"},
    {2, "interlocking-check"},
    {3, "both"},
};

constexpr EnumTypeEntry kEnumTypes[] = {
    {"ctlModelsEnum", kCtlModelsEnum},
    {"ctlModelEnum", kCtlModelEnum},
    {"dirGeneralEnum", kDirGeneralEnum},
    {"dirPhsEnum", kDirPhsEnum},
    {"sboClassEnum", kSboClassEnum},
    {"hvRefEnum", kHvRefEnum},
    {"sevEnum", kSevEnum},
    {"cmdQualEnum", kCmdQualEnum},
    {"orCatEnum", kOrCatEnum},
    {"SIUnitEnum", kSIUnitEnum},
    {"multiplierEnum", kMultiplierEnum},
    {"rangeEnum", kRangeEnum},
    {"angRefEnum", kAngRefEnum},
    {"angRefWYEEnum", kAngRefWYEEnum},
    {"phsRefEnum", kPhsRefEnum},
    {"setCharactEnum", kSetCharactEnum},
    {"seqTEnum", kSeqTEnum},
    {"Dbpos", kDbpos},
    {"Check", kCheck},
};

}  // namespace

std::span<const EnumTypeEntry> EnumTypeEntries() { return kEnumTypes; }

}  // namespace Iec61850::Acsi::Scl::DictionaryTables
