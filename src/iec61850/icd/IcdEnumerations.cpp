#include "iec61850/icd/IcdEnumerations.h"

#include <array>

namespace Iec61850::Acsi::Scl {

namespace {

constexpr IcdEnumLiteral kCtlModel[] = {{0, "status-only"},
                                        {1, "direct-with-normal-security"},
                                        {2, "sbo-with-normal-security"},
                                        {3, "direct-with-enhanced-security"},
                                        {4, "sbo-with-enhanced-security"}};
constexpr IcdEnumLiteral kSboClass[] = {{0, "operate-once"}, {1, "operate-many"}};
constexpr IcdEnumLiteral kOrCategory[] = {{0, "not-supported"},    {1, "bay-control"},   {2, "station-control"},
                                          {3, "remote-control"},   {4, "automatic-bay"}, {5, "automatic-station"},
                                          {6, "automatic-remote"}, {7, "maintenance"},   {8, "process"}};
constexpr IcdEnumLiteral kDir[] = {{0, "unknown"}, {1, "forward"}, {2, "backward"}, {3, "both"}};
constexpr IcdEnumLiteral kSev[] = {{0, "unknown"}, {1, "critical"}, {2, "major"}, {3, "minor"}, {4, "warning"}};
constexpr IcdEnumLiteral kRange[] = {{0, "normal"}, {1, "high"}, {2, "low"}, {3, "high-high"}, {4, "low-low"}};
constexpr IcdEnumLiteral kAngidCmv[] = {{0, "V"}, {1, "A"}, {2, "other"}};
constexpr IcdEnumLiteral kAngid[] = {{0, "Va"},  {1, "Vb"},  {2, "Vc"},  {3, "Aa"},     {4, "Ab"},     {5, "Ac"},
                                     {6, "Vab"}, {7, "Vbc"}, {8, "Vca"}, {9, "Vother"}, {10, "Aother"}};
constexpr IcdEnumLiteral kPhsid[] = {{0, "A"}, {1, "B"}, {2, "C"}};
constexpr IcdEnumLiteral kSeqT[] = {{0, "pos-neg-zero"}, {1, "dir-quad-zero"}};
constexpr IcdEnumLiteral kHvid[] = {{0, "fundamental"}, {1, "rms"}, {2, "absolute"}};
constexpr IcdEnumLiteral kSetCharact[] = {{0, ""},
                                          {1, "ANSI Extremely Inverse"},
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
                                          {17, "Polynom 1"},
                                          {18, "Polynom 2"},
                                          {19, "Polynom 3"},
                                          {20, "Polynom 4"},
                                          {21, "Polynom 5"},
                                          {22, "Polynom 6"},
                                          {23, "Polynom 7"},
                                          {24, "Polynom 8"},
                                          {25, "Polynom 9"},
                                          {26, "Polynom 10"},
                                          {27, "Polynom 11"},
                                          {28, "Polynom 12"},
                                          {29, "Polynom 13"},
                                          {30, "Polynom 14"},
                                          {31, "Polynom 15"},
                                          {32, "Polynom 16"},
                                          {33, "Multiline 1"},
                                          {34, "Multiline 2"},
                                          {35, "Multiline 3"},
                                          {36, "Multiline 4"},
                                          {37, "Multiline 5"},
                                          {38, "Multiline 6"},
                                          {39, "Multiline 7"},
                                          {40, "Multiline 8"},
                                          {41, "Multiline 9"},
                                          {42, "Multiline 10"},
                                          {43, "Multiline 11"},
                                          {44, "Multiline 12"},
                                          {45, "Multiline 13"},
                                          {46, "Multiline 14"},
                                          {47, "Multiline 15"},
                                          {48, "Multiline 16"}};
constexpr IcdEnumLiteral kMultiplier[] = {{-24, "y"}, {-21, "z"}, {-18, "a"}, {-15, "f"}, {-12, "p"}, {-9, "n"},
                                          {-6, "µ"},  {-3, "m"},  {-2, "c"},  {-1, "d"},  {0, ""},    {1, "da"},
                                          {2, "h"},   {3, "k"},   {6, "M"},   {9, "G"},   {12, "T"},  {15, "P"},
                                          {18, "E"},  {21, "Z"},  {24, "Y"}};
constexpr IcdEnumLiteral kSiUnit[] = {
    {1, ""},      {2, "m"},      {3, "kg"},     {4, "s"},      {5, "A"},      {6, "K"},     {7, "mol"},
    {8, "cd"},    {9, "deg"},    {10, "rad"},   {11, "sr"},    {21, "Gy"},    {22, "q"},    {23, "°C"},
    {24, "Sv"},   {25, "F"},     {26, "C"},     {27, "S"},     {28, "H"},     {29, "V"},    {30, "ohm"},
    {31, "J"},    {32, "N"},     {33, "Hz"},    {34, "lx"},    {35, "Lm"},    {36, "Wb"},   {37, "T"},
    {38, "W"},    {39, "Pa"},    {41, "m²"},    {42, "m³"},    {43, "m/s"},   {44, "m/s²"}, {45, "m³/s"},
    {46, "m/m³"}, {47, "M"},     {48, "kg/m³"}, {49, "m²/s"},  {50, "W/m K"}, {51, "J/K"},  {52, "ppm"},
    {53, "1/s"},  {54, "rad/s"}, {61, "VA"},    {62, "Watts"}, {63, "VAr"},   {64, "phi"},  {65, "cos(phi)"},
    {66, "Vs"},   {67, "V²"},    {68, "As"},    {69, "A²"},    {70, "A²t"},   {71, "VAh"},  {72, "Wh"},
    {73, "VArh"}, {74, "V/Hz"}};
constexpr IcdEnumLiteral kCheck[] = {{0, "no-check"}, {1, "synchrocheck"}, {2, "interlocking-check"}, {3, "both"}};
constexpr IcdEnumLiteral kDbpos[] = {{0, "intermediate"}, {1, "off"}, {2, "on"}, {3, "bad"}};
constexpr IcdEnumLiteral kTcmd[] = {{0, "stop"}, {1, "lower"}, {2, "higher"}, {3, "reserved"}};
constexpr IcdEnumLiteral kAutoRecSt[] = {{1, "Ready"}, {2, "InProgress"}, {3, "Successful"}};
constexpr IcdEnumLiteral kBeh[] = {{1, "on"}, {2, "blocked"}, {3, "test"}, {4, "test/blocked"}, {5, "off"}};
constexpr IcdEnumLiteral kCbOpCap[] = {
    {1, "None"}, {2, "Open"}, {3, "Close-Open"}, {4, "Open-Close-Open"}, {5, "Close-Open-Close-Open"}};
constexpr IcdEnumLiteral kDirMod[] = {{1, "NonDirectional"}, {2, "Forward"}, {3, "Inverse"}};
constexpr IcdEnumLiteral kFailMod[] = {
    {1, "Current"}, {2, "Breaker Status"}, {3, "Both current and breaker status"}, {4, "Other"}};
constexpr IcdEnumLiteral kFanCtl[] = {{1, "Inactive"}, {2, "Stage1"}, {3, "Stage2"}, {4, "Stage3"}};
constexpr IcdEnumLiteral kFltLoop[] = {{1, "PhaseAtoGround"}, {2, "PhaseBtoGround"}, {3, "PhaseCtoGround"},
                                       {4, "PhaseAtoB"},      {5, "PhaseBtoC"},      {6, "PhaseCtoA"},
                                       {7, "Others"}};
constexpr IcdEnumLiteral kGnSt[] = {{1, "Stopped"}, {2, "Stopping"}, {3, "Started"}, {4, "Starting"}, {5, "Disabled"}};
constexpr IcdEnumLiteral kHealth[] = {{1, "Ok"}, {2, "Warning"}, {3, "Alarm"}};
constexpr IcdEnumLiteral kLevMod[] = {{1, "Positive or Rising"}, {2, "Negative or Falling"}, {3, "Both"}, {4, "Other"}};
constexpr IcdEnumLiteral kLivDeaMod[] = {{1, "Dead Line, Dead Bus"},
                                         {2, "Live Line, Dead Bus"},
                                         {3, "Dead Line, Live Bus"},
                                         {4, "Dead Line, Dead Bus OR Live Line, Dead Bus"},
                                         {5, "Dead Line, Dead Bus OR Dead Line, Live Bus"},
                                         {6, "Live Line, Dead Bus OR Dead Line, Live Bus"},
                                         {7, "Dead Line, Dead Bus OR Live Line, Dead Bus OR Dead Line, Live Bus"}};
constexpr IcdEnumLiteral kMod[] = {{1, "on"}, {2, "blocked"}, {3, "test"}, {4, "test/blocked"}, {5, "off"}};
constexpr IcdEnumLiteral kPmpCtl[] = {{1, "Inactive"}, {2, "Stage1"}, {3, "Stage2"}, {4, "Stage3"}};
constexpr IcdEnumLiteral kPolQty[] = {
    {1, "None"}, {2, "Zero Sequence Current"}, {3, "Zero Sequence Voltage"}, {4, "Negative Sequence Voltage"}};
constexpr IcdEnumLiteral kPowCap[] = {{1, "None"}, {2, "Close"}, {3, "Open"}, {4, "Close and Open"}};
constexpr IcdEnumLiteral kOpMod[] = {{1, "Overwrite existing values"}, {2, "Stop when full or saturated"}};
constexpr IcdEnumLiteral kReTrMod[] = {{1, "Off"},
                                       {2, "Without Check"},
                                       {3, "With Current Check"},
                                       {4, "With Breaker Status Check"},
                                       {5, "With Current and Breaker Status Check"},
                                       {6, "Other Checks"}};
constexpr IcdEnumLiteral kRstMod[] = {
    {1, "None"},          {2, "Harmonic2"},        {3, "Harmonic5"},
    {4, "Harmonic2and5"}, {5, "WaveformAnalysis"}, {6, "WaveformAnalysisAndHarmonic2"},
    {7, "Other"}};
constexpr IcdEnumLiteral kRvAMod[] = {{1, "Off"}, {2, "On"}};
constexpr IcdEnumLiteral kSchTyp[] = {
    {1, "None"}, {2, "Intertrip"}, {3, "Permissive Underreach"}, {4, "Permissive Overreach"}, {5, "Blocking"}};
constexpr IcdEnumLiteral kSwOpCap[] = {{1, "None"}, {2, "Open"}, {3, "Close"}, {4, "Open and Close"}};
constexpr IcdEnumLiteral kSwTyp[] = {
    {1, "Load Break"}, {2, "Disconnector"}, {3, "Earthing Switch"}, {4, "High Speed Earthing Switch"}};
constexpr IcdEnumLiteral kTrgMod[] = {{1, "Internal"}, {2, "External"}, {3, "Both"}};
constexpr IcdEnumLiteral kTrMod[] = {{1, "3 phase tripping"}, {2, "1 or 3 phase tripping"}, {3, "specific"}};
constexpr IcdEnumLiteral kTypRsCrv[] = {{1, "None"}, {2, "Definit Time Delayed Reset"}, {3, "Inverse Reset"}};
constexpr IcdEnumLiteral kWeiMod[] = {{1, "Off"}, {2, "Operate"}, {3, "Echo"}, {4, "Echo and Operate"}};

constexpr std::array<IcdEnumRow, 44> kTable = {{
    {"ctlModel", kCtlModel},
    {"sboClass", kSboClass},
    {"orCategory", kOrCategory},
    {"dir", kDir},
    {"sev", kSev},
    {"range", kRange},
    {"angidCMV", kAngidCmv},
    {"angid", kAngid},
    {"phsid", kPhsid},
    {"seqT", kSeqT},
    {"hvid", kHvid},
    {"setCharact", kSetCharact},
    {"multiplier", kMultiplier},
    {"SIUnit", kSiUnit},
    {"Check", kCheck},
    {"Dbpos", kDbpos},
    {"Tcmd", kTcmd},
    {"AutoRecSt", kAutoRecSt},
    {"Beh", kBeh},
    {"CBOpCap", kCbOpCap},
    {"DirMod", kDirMod},
    {"FailMod", kFailMod},
    {"FanCtl", kFanCtl},
    {"FltLoop", kFltLoop},
    {"GnSt", kGnSt},
    {"Health", kHealth},
    {"LevMod", kLevMod},
    {"LivDeaMod", kLivDeaMod},
    {"Mod", kMod},
    {"PmpCtl", kPmpCtl},
    {"PolQty", kPolQty},
    {"POWCap", kPowCap},
    {"OpMod", kOpMod},
    {"ReTrMod", kReTrMod},
    {"RstMod", kRstMod},
    {"RstMod", kRstMod},
    {"RvAMod", kRvAMod},
    {"SchTyp", kSchTyp},
    {"SwOpCap", kSwOpCap},
    {"SwTyp", kSwTyp},
    {"TrgMod", kTrgMod},
    {"TrMod", kTrMod},
    {"TypRsCrv", kTypRsCrv},
    {"WeiMod", kWeiMod},
}};

}  // namespace

std::span<const IcdEnumRow> IcdEnumerationTable() { return kTable; }

}  // namespace Iec61850::Acsi::Scl
