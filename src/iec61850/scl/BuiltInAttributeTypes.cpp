// The constructed attribute types of the built-in dictionary, in construction order:
// a type refers only to enumerations and to types listed before it.
#include "iec61850/scl/DictionaryTables.h"

namespace Iec61850::Acsi::Scl::DictionaryTables {

namespace {

using enum BasicTypeCode;

constexpr BdaEntry kSGCB[] = {
    {"numOfSG", INT8U, nullptr, 0, 0},   {"actSG", INT8U, nullptr, 0, 0},       {"editSG", INT8U, nullptr, 0, 0},
    {"cnfEdit", BOOLEAN, nullptr, 0, 0}, {"lActTim", Timestamp, nullptr, 0, 0},
};
constexpr BdaEntry kAnalogueValue[] = {
    {"i", INT32, nullptr, 7, 0},
    {"f", FLOAT32, nullptr, 5, 0},
};
constexpr BdaEntry kScaledValueConfig[] = {
    {"scaleFactor", FLOAT32, nullptr, 0, 0},
    {"offset", FLOAT32, nullptr, 0, 0},
};
constexpr BdaEntry kRangeConfig[] = {
    {"hhLim", Struct, "AnalogueValue", 0, 0}, {"hLim", Struct, "AnalogueValue", 0, 0},
    {"lLim", Struct, "AnalogueValue", 0, 0},  {"llLim", Struct, "AnalogueValue", 0, 0},
    {"min", Struct, "AnalogueValue", 0, 0},   {"max", Struct, "AnalogueValue", 0, 0},
};
constexpr BdaEntry kValWithTrans[] = {
    {"posVal", INT8, nullptr, 0, 0},
    {"transInd", BOOLEAN, nullptr, 1, 0},
};
constexpr BdaEntry kPulseConfig[] = {
    {"cmdQual", Enum, "cmdQualEnum", 0, 0},
    {"onDur", INT32U, nullptr, 0, 0},
    {"offDur", INT32U, nullptr, 0, 0},
    {"numPIs", INT32U, nullptr, 0, 0},
};
constexpr BdaEntry kOriginator[] = {
    {"orCat", Enum, "orCatEnum", 0, 0},
    {"orIdent", Octet64, nullptr, 0, 0},
};
constexpr BdaEntry kUnit[] = {
    {"SIUnit", Enum, "SIUnitEnum", 0, 0},
    {"multiplier", Enum, "multiplierEnum", 1, 0},
};
constexpr BdaEntry kCell[] = {
    {"xStart", FLOAT32, nullptr, 0, 0},
    {"xEnd", FLOAT32, nullptr, 1, 0},
    {"yStart", FLOAT32, nullptr, 1, 0},
    {"yEnd", FLOAT32, nullptr, 1, 0},
};
constexpr BdaEntry kVector[] = {
    {"mag", Struct, "AnalogueValue", 0, 0},
    {"ang", Struct, "AnalogueValue", 1, 0},
};
constexpr BdaEntry kPoint[] = {
    {"xval", FLOAT32, nullptr, 0, 0},
    {"yval", FLOAT32, nullptr, 0, 0},
};
// The controls' time T is a UTC time, as devices describe it; configuration tools read a
// binary EntryTime as six octets and would refuse the device's controls.
constexpr BdaEntry kSPCSelectWithValue[] = {
    {"ctlVal", BOOLEAN, nullptr, 0, 0}, {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0},   {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kSPCOperate[] = {
    {"ctlVal", BOOLEAN, nullptr, 0, 0}, {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0},   {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kSPCCancel[] = {
    {"ctlVal", BOOLEAN, nullptr, 0, 0}, {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0},   {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
};
constexpr BdaEntry kDPCSelectWithValue[] = {
    {"ctlVal", BOOLEAN, nullptr, 0, 0}, {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0},   {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kDPCOperate[] = {
    {"ctlVal", BOOLEAN, nullptr, 0, 0}, {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0},   {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kDPCCancel[] = {
    {"ctlVal", BOOLEAN, nullptr, 0, 0}, {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0},   {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
};
constexpr BdaEntry kINCSelectWithValue[] = {
    {"ctlVal", INT32, nullptr, 0, 0}, {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0}, {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kINCOperate[] = {
    {"ctlVal", INT32, nullptr, 0, 0}, {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0}, {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kINCCancel[] = {
    {"ctlVal", INT32, nullptr, 0, 0}, {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0}, {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
};
constexpr BdaEntry kBSCSelectWithValue[] = {
    {"ctlVal", Enum, "Dbpos", 0, 0},  {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0}, {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kBSCOperate[] = {
    {"ctlVal", Enum, "Dbpos", 0, 0},  {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0}, {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kBSCCancel[] = {
    {"ctlVal", Enum, "Dbpos", 0, 0},  {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0}, {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
};
constexpr BdaEntry kISCSelectWithValue[] = {
    {"ctlVal", INT8, nullptr, 0, 0},  {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0}, {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kISCOperate[] = {
    {"ctlVal", INT8, nullptr, 0, 0},  {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0}, {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kISCCancel[] = {
    {"ctlVal", INT8, nullptr, 0, 0},  {"operTm", Timestamp, nullptr, 26, 0}, {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0}, {"T", Timestamp, nullptr, 0, 0},       {"Test", BOOLEAN, nullptr, 0, 0},
};
constexpr BdaEntry kAPCSelectWithValue[] = {
    {"setMag", Struct, "AnalogueValue", 0, 0},
    {"operTm", Timestamp, nullptr, 26, 0},
    {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0},
    {"T", Timestamp, nullptr, 0, 0},
    {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kAPCOperate[] = {
    {"setMag", Struct, "AnalogueValue", 0, 0},
    {"operTm", Timestamp, nullptr, 26, 0},
    {"origin", Struct, "Originator", 0, 0},
    {"ctlNum", INT8U, nullptr, 0, 0},
    {"T", Timestamp, nullptr, 0, 0},
    {"Test", BOOLEAN, nullptr, 0, 0},
    {"Check", Enum, "Check", 0, 0},
};
constexpr BdaEntry kAPCCancel[] = {
    {"setMag", Struct, "AnalogueValue", 0, 0}, {"operTm", Timestamp, nullptr, 26, 0},
    {"origin", Struct, "Originator", 0, 0},    {"ctlNum", INT8U, nullptr, 0, 0},
    {"T", Timestamp, nullptr, 0, 0},           {"Test", BOOLEAN, nullptr, 0, 0},
};

constexpr DaTypeEntry kDaTypes[] = {
    {"SGCB", kSGCB},
    {"AnalogueValue", kAnalogueValue},
    {"ScaledValueConfig", kScaledValueConfig},
    {"RangeConfig", kRangeConfig},
    {"ValWithTrans", kValWithTrans},
    {"PulseConfig", kPulseConfig},
    {"Originator", kOriginator},
    {"Unit", kUnit},
    {"Cell", kCell},
    {"Vector", kVector},
    {"Point", kPoint},
    {"SPCSelectWithValue", kSPCSelectWithValue},
    {"SPCOperate", kSPCOperate},
    {"SPCCancel", kSPCCancel},
    {"DPCSelectWithValue", kDPCSelectWithValue},
    {"DPCOperate", kDPCOperate},
    {"DPCCancel", kDPCCancel},
    {"INCSelectWithValue", kINCSelectWithValue},
    {"INCOperate", kINCOperate},
    {"INCCancel", kINCCancel},
    {"BSCSelectWithValue", kBSCSelectWithValue},
    {"BSCOperate", kBSCOperate},
    {"BSCCancel", kBSCCancel},
    {"ISCSelectWithValue", kISCSelectWithValue},
    {"ISCOperate", kISCOperate},
    {"ISCCancel", kISCCancel},
    {"APCSelectWithValue", kAPCSelectWithValue},
    {"APCOperate", kAPCOperate},
    {"APCCancel", kAPCCancel},
};

}  // namespace

std::span<const DaTypeEntry> DaTypeEntries() { return kDaTypes; }

}  // namespace Iec61850::Acsi::Scl::DictionaryTables
