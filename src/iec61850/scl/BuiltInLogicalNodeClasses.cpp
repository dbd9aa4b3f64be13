// The logical-node classes of the built-in dictionary in root order, grouped by their
// first letter. Presence 0 marks a mandatory data object.
#include "iec61850/scl/DictionaryTables.h"

namespace Iec61850::Acsi::Scl::DictionaryTables {

namespace {

// The data objects with which every class but LPHD begins.
constexpr DoEntry kHead[] = {
    {"Mod", "INC", 0},
    {"Beh", "INS", 0},
    {"Health", "INS", 0},
    {"NamPlt", "LPL", 0},
};

// Group L, 2 classes.
constexpr DoEntry kLPHD[] = {
    {"PhyNam", "DPL", 0}, {"PhyHealth", "INS", 0}, {"OutOv", "SPS", 1},     {"Proxy", "SPS", 0},
    {"InOv", "SPS", 1},   {"NumPwrUp", "INS", 1},  {"WrmStr", "INS", 1},    {"WacTrg", "INS", 1},
    {"PwrUp", "SPS", 1},  {"PwrDn", "SPS", 1},     {"PwrSupAlm", "SPS", 1}, {"RsStat", "SPC", 1},
};
constexpr DoEntry kLLN0[] = {
    {"Loc", "SPS", 1},
    {"OpTmh", "INS", 1},
    {"Diag", "SPC", 1},
    {"LEDRs", "SPC", 1},
};
// Group P, 28 classes.
constexpr DoEntry kPDIF[] = {
    {"OpCntRs", "INC", 1},  {"Str", "ACD", 1},       {"Op", "ACT", 0},        {"TmASt", "CSD", 1},
    {"DifAClc", "WYE", 1},  {"RstA", "WYE", 1},      {"LinCapac", "ASG", 1},  {"LoSet", "ING", 1},
    {"HiSet", "ING", 1},    {"MinOpTmms", "ING", 1}, {"MaxOpTmms", "ING", 1}, {"RstMod", "ING", 1},
    {"RsDlTmms", "ING", 1}, {"TmACrv", "CURVE", 1},
};
constexpr DoEntry kPDIR[] = {
    {"OpCntRs", "INC", 1},
    {"Str", "ACD", 0},
    {"Op", "ACT", 0},
    {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPDIS[] = {
    {"OpCntRs", "INC", 1},   {"Str", "ACD", 0},       {"Op", "ACT", 0},      {"PoRch", "ASG", 1},
    {"PhStr", "ASG", 1},     {"GndStr", "ASG", 1},    {"DirMod", "ING", 1},  {"PctRch", "ASG", 1},
    {"Ofs", "ASG", 1},       {"PctOfs", "ASG", 1},    {"RisLod", "ASG", 1},  {"AngLod", "ASG", 1},
    {"TmDlMod", "SPG", 1},   {"OpDlTmms", "ING", 1},  {"PhDlMod", "SPG", 1}, {"PhDlTmms", "ING", 1},
    {"GndDlMod", "SPG", 1},  {"GndDlTmms", "ING", 1}, {"X1", "ASG", 1},      {"LinAng", "ASG", 1},
    {"RisGndRch", "ASG", 1}, {"RisPhRch", "ASG", 1},  {"K0Fact", "ASG", 1},  {"K0FactAng", "ASG", 1},
    {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPDOP[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},      {"Op", "ACT", 0},       {"DirMod", "ING", 1},
    {"StrVal", "ASG", 1},  {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPDUP[] = {
    {"OpCntRs", "INC", 1},  {"Str", "ACD", 0},      {"Op", "ACT", 0},     {"StrVal", "ASG", 1},
    {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1}, {"DirMod", "ING", 1},
};
constexpr DoEntry kPFRC[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},    {"Op", "ACT", 0},       {"BlkV", "SPS", 1},
    {"StrVal", "ASG", 1},  {"BlkVal", "ASG", 1}, {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPHAR[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},      {"HaRst", "ING", 1},    {"PhStr", "ASG", 1},
    {"PhStop", "ASG", 1},  {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPHIZ[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},   {"Op", "ACT", 0},       {"AStr", "ASG", 1},
    {"VStr", "ASG", 1},    {"HVStr", "ASG", 1}, {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPIOC[] = {
    {"OpCntRs", "INC", 1},
    {"Str", "ACD", 1},
    {"Op", "ACT", 0},
    {"StrVal", "ASG", 1},
};
constexpr DoEntry kPMRI[] = {
    {"OpCntRs", "INC", 1},   {"Op", "ACT", 1},     {"StrInh", "SPS", 1},    {"StrInhTmm", "INS", 1},
    {"SetA", "ASG", 1},      {"SetTms", "ING", 1}, {"MaxNumStr", "ING", 1}, {"MaxWrmStr", "ING", 1},
    {"MaxStrTmm", "ING", 1}, {"EqTmm", "ING", 1},  {"InhTmm", "ING", 1},
};
constexpr DoEntry kPMSS[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 1},    {"Op", "ACT", 1},        {"SetA", "ASG", 1},
    {"SetTms", "ING", 1},  {"MotStr", "ASG", 1}, {"LokRotTms", "ING", 1},
};
constexpr DoEntry kPOPF[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},      {"Op", "ACT", 0},       {"BlkA", "SPS", 1},    {"BlkV", "SPS", 1},
    {"StrVal", "ASG", 1},  {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1}, {"BlkValA", "ASG", 1}, {"BlkValV", "ASG", 1},
};
constexpr DoEntry kPPAM[] = {
    {"OpCntRs", "INC", 1},
    {"Str", "ACD", 0},
    {"Op", "ACT", 0},
    {"StrVal", "ASG", 1},
};
constexpr DoEntry kPSCH[] = {
    {"OpCntRs", "INC", 1},  {"ProTx", "SPS", 0},   {"ProRx", "SPS", 0},    {"Str", "ACD", 0},
    {"Op", "ACT", 0},       {"CarRx", "ACT", 1},   {"LosOfGrd", "SPS", 1}, {"Echo", "ACT", 1},
    {"WeiOp", "ACT", 1},    {"RvABlk", "ACT", 1},  {"GrdRx", "SPS", 1},    {"SchTyp", "ING", 1},
    {"OpDlTmms", "ING", 1}, {"CrdTmms", "ING", 1}, {"DurTmms", "ING", 1},  {"UnBlkMod", "ING", 1},
    {"SecTmms", "ING", 1},  {"WeiMod", "ING", 1},  {"WeiTmms", "ING", 1},  {"PPVVal", "ASG", 1},
    {"PhGndVal", "ASG", 1}, {"RvAMod", "ING", 1},  {"RvATmms", "ING", 1},  {"RvRsTmms", "ING", 1},
};
constexpr DoEntry kPSDE[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},       {"Op", "ACT", 1},       {"Ang", "ASG", 1},    {"GndStr", "ASG", 1},
    {"GndOp", "ASG", 1},   {"StrDlTmms", "ING", 1}, {"OpDlTmms", "ING", 1}, {"DirMod", "ING", 1},
};
constexpr DoEntry kPTEF[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 2}, {"Op", "ACT", 2}, {"GndStr", "ASG", 1}, {"DirMod", "ING", 1},
};
constexpr DoEntry kPTOC[] = {
    {"OpCntRs", "INC", 1},   {"Str", "ACD", 0},      {"Op", "ACT", 0},       {"TmASt", "CSD", 1},
    {"TmACrv", "CURVE", 1},  {"StrVal", "ASG", 1},   {"TmMult", "ASG", 1},   {"MinOpTmms", "ING", 1},
    {"MaxOpTmms", "ING", 1}, {"OpDlTmms", "ING", 1}, {"TypRsCrv", "ING", 1}, {"RsDlTmms", "ING", 1},
    {"DirMod", "ING", 1},
};
constexpr DoEntry kPTOF[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},    {"Op", "ACT", 0},       {"BlkV", "SPS", 1},
    {"StrVal", "ASG", 1},  {"BlkVal", "ASG", 1}, {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPTOV[] = {
    {"OpCntRs", "INC", 1},   {"Str", "ACD", 0},      {"Op", "ACT", 1},       {"TmVSt", "CSD", 1},
    {"TmVCrv", "CURVE", 1},  {"StrVal", "ASG", 1},   {"TmMult", "ASG", 1},   {"MinOpTmms", "ING", 1},
    {"MaxOpTmms", "ING", 1}, {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPTRC[] = {
    {"OpCntRs", "INC", 1}, {"Tr", "ACT", 2},    {"Op", "ACT", 2},
    {"Str", "ACD", 1},     {"TrMod", "ING", 1}, {"TrPlsTmms", "ING", 1},
};
constexpr DoEntry kPTTR[] = {
    {"OpCntRs", "INC", 1},    {"Amp", "MV", 1},        {"Tmp", "MV", 1},        {"TmpRl", "MV", 1},
    {"LodRsvAlm", "MV", 1},   {"LodRsvTr", "MV", 1},   {"AgeRat", "MV", 1},     {"Str", "ACD", 1},
    {"Op", "ACT", 0},         {"AlmThm", "ACT", 1},    {"TmTmpSt", "CSD", 1},   {"TmASt", "CSD", 1},
    {"TmTmpCrv", "CURVE", 1}, {"TmACrv", "CURVE", 1},  {"TmpMax", "ASG", 1},    {"StrVal", "ASG", 1},
    {"OpDlTmms", "ING", 1},   {"MinOpTmms", "ING", 1}, {"MaxOpTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
    {"ConsTms", "ING", 1},    {"AlmVal", "ASG", 1},
};
constexpr DoEntry kPTUC[] = {
    {"OpCntRs", "INC", 1},   {"Str", "ACD", 0},       {"Op", "ACT", 0},       {"TmASt", "CSD", 1},
    {"TmACrv", "CURVE", 1},  {"StrVal", "ASG", 1},    {"OpDlTmms", "ING", 1}, {"TmMult", "ASG", 1},
    {"MinOpTmms", "ING", 1}, {"MaxOpTmms", "ING", 1}, {"TypRsCrv", "ING", 1}, {"RsDlTmms", "ING", 1},
    {"DirMod", "ING", 1},
};
constexpr DoEntry kPTUV[] = {
    {"OpCntRs", "INC", 1},   {"Str", "ACD", 0},      {"Op", "ACT", 0},       {"TmVSt", "CSD", 1},
    {"TmVCrv", "CURVE", 1},  {"StrVal", "ASG", 1},   {"TmMult", "ASG", 1},   {"MinOpTmms", "ING", 1},
    {"MaxOpTmms", "ING", 1}, {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPUPF[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},      {"Op", "ACT", 0},       {"BlkA", "SPS", 1},    {"BlkV", "SPS", 1},
    {"StrVal", "ASG", 1},  {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1}, {"BlkValA", "ASG", 1}, {"BlkValV", "ASG", 1},
};
constexpr DoEntry kPTUF[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},    {"Op", "ACT", 0},       {"BlkV", "SPS", 1},
    {"StrVal", "ASG", 1},  {"BlkVal", "ASG", 1}, {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPVOC[] = {
    {"OpCntRs", "INC", 1},   {"Str", "ACD", 0},       {"Op", "ACT", 0},       {"AVSt", "CSD", 1},
    {"TmASt", "CSD", 1},     {"AVCrv", "CURVE", 1},   {"TmACrv", "CURVE", 1}, {"TmMult", "ASG", 1},
    {"MinOpTmms", "ING", 1}, {"MaxOpTmms", "ING", 1}, {"OpDlTmms", "ING", 1}, {"TypRsCrv", "ING", 1},
    {"RsDlTmms", "ING", 1},
};
constexpr DoEntry kPVPH[] = {
    {"OpCntRs", "INC", 1},  {"Str", "ACD", 0},    {"Op", "ACT", 0},        {"VHzSt", "CSD", 1},
    {"VHzCrv", "CURVE", 1}, {"StrVal", "ASG", 1}, {"OpDlTmms", "ING", 1},  {"TypRsCrv", "ING", 1},
    {"RsDlTmms", "ING", 1}, {"TmMult", "ASG", 1}, {"MinOpTmms", "ING", 1}, {"MaxOpTmms", "ING", 1},
};
constexpr DoEntry kPZSU[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 0},      {"Op", "ACT", 0},
    {"StrVal", "ASG", 1},  {"OpDlTmms", "ING", 1}, {"RsDlTmms", "ING", 1},
};
// Group R, 10 classes.
constexpr DoEntry kRDRE[] = {
    {"OpCntRs", "INC", 1},   {"RcdTrg", "SPC", 1},   {"MemRs", "SPC", 1},     {"MemClr", "SPC", 1},
    {"RcdMade", "SPS", 0},   {"FltNum", "INS", 0},   {"GriFltNum", "INS", 1}, {"RcdStr", "SPS", 1},
    {"MemUsed", "INS", 1},   {"TrgMod", "ING", 1},   {"LevMod", "ING", 1},    {"PreTmms", "ING", 1},
    {"PstTmms", "ING", 1},   {"MemFull", "ING", 1},  {"MaxNumRcd", "ING", 1}, {"ReTrgMod", "ING", 1},
    {"PerTrgTms", "ING", 1}, {"ExclTmms", "ING", 1}, {"OpMod", "ING", 1},
};
constexpr DoEntry kRADR[] = {
    {"OpCntRs", "INC", 1},  {"ChTrg", "SPS", 0},    {"ChNum", "ING", 1},   {"TrgMod", "ING", 1},  {"LevMod", "ING", 1},
    {"HiTrgLev", "ASG", 1}, {"LoTrgLev", "ASG", 1}, {"PreTmms", "ING", 1}, {"PstTmms", "ING", 1},
};
constexpr DoEntry kRBDR[] = {
    {"OpCntRs", "INC", 1}, {"ChTrg", "SPS", 0},   {"ChNum", "ING", 1},   {"TrgMod", "ING", 1},
    {"LevMod", "ING", 1},  {"PreTmms", "ING", 1}, {"PstTmms", "ING", 1},
};
constexpr DoEntry kRDRS[] = {
    {"AutoUpLod", "SPC", 1},
    {"DltRcd", "SPC", 1},
};
constexpr DoEntry kRBRF[] = {
    {"OpCntRs", "INC", 1}, {"Str", "ACD", 1},      {"OpEx", "ACT", 2},      {"OpIn", "ACT", 2},
    {"FailMod", "ING", 1}, {"FailTmms", "ING", 1}, {"SPlTrTmms", "ING", 1}, {"TPTrTmms", "ING", 1},
    {"DetValA", "ASG", 1}, {"ReTrMod", "ING", 1},
};
constexpr DoEntry kRDIR[] = {
    {"Dir", "ACD", 0},       {"ChrAng", "ASG", 1},   {"MinFwdAng", "ASG", 1}, {"MinRvAng", "ASG", 1},
    {"MaxFwdAng", "ASG", 1}, {"MaxRvAng", "ASG", 1}, {"BlkValA", "ASG", 1},   {"BlkValV", "ASG", 1},
    {"PolQty", "ING", 1},    {"MinPPV", "ASG", 1},
};
constexpr DoEntry kRFLO[] = {
    {"OpCntRs", "INC", 1}, {"FltZ", "CMV", 0},   {"FltDiskm", "MV", 0}, {"FltLoop", "INS", 1}, {"LinLenKm", "ASG", 1},
    {"R1", "ASG", 1},      {"X1", "ASG", 1},     {"R0", "ASG", 1},      {"X0", "ASG", 1},      {"Z1Mod", "ASG", 1},
    {"Z1Ang", "ASG", 1},   {"Z0Mod", "ASG", 1},  {"Z0Ang", "ASG", 1},   {"Rm0", "ASG", 1},     {"Xm0", "ASG", 1},
    {"Zm0Mod", "ASG", 1},  {"Zm0Ang", "ASG", 1},
};
constexpr DoEntry kRPSB[] = {
    {"OpCntRs", "INC", 1},   {"Str", "ACD", 3},      {"Op", "ACT", 4},      {"BlkZn", "SPS", 3},
    {"ZeroEna", "SPG", 1},   {"NgEna", "SPG", 1},    {"MaxEna", "SPG", 1},  {"SwgVal", "ASG", 1},
    {"SwgRis", "ASG", 1},    {"SwgReact", "ASG", 1}, {"SwgTmms", "ING", 1}, {"UnBlkTmms", "ING", 1},
    {"MaxNumSlp", "ING", 1}, {"EvTmms", "ING", 1},
};
constexpr DoEntry kRREC[] = {
    {"OpCntRs", "INC", 1},  {"BlkRec", "SPC", 1},    {"ChkRec", "SPC", 1},   {"Auto", "SPS", 1},
    {"Op", "ACT", 0},       {"AutoRecSt", "INS", 0}, {"Rec1Tmms", "ING", 1}, {"Rec2Tmms", "ING", 1},
    {"Rec3Tmms", "ING", 1}, {"PlsTmms", "ING", 1},   {"RclTmms", "ING", 1},
};
constexpr DoEntry kRSYN[] = {
    {"RHz", "SPC", 1},       {"LHz", "SPC", 1},       {"RV", "SPC", 1},        {"LV", "SPC", 1},
    {"Rel", "SPS", 0},       {"VInd", "SPS", 1},      {"AngInd", "SPS", 1},    {"HzInd", "SPS", 1},
    {"SynPrg", "SPS", 1},    {"DifVClc", "MV", 1},    {"DifHzClc", "MV", 1},   {"DifAngClc", "MV", 1},
    {"DifV", "ASG", 1},      {"DifHz", "ASG", 1},     {"DifAng", "ASG", 1},    {"LivDeaMod", "ING", 1},
    {"DeaLinVal", "ASG", 1}, {"LivLinVal", "ASG", 1}, {"DeaBusVal", "ASG", 1}, {"LivBusVal", "ASG", 1},
    {"PlsTmms", "ING", 1},   {"BkrTmms", "ING", 1},
};
// Group C, 5 classes.
constexpr DoEntry kCALH[] = {
    {"GrAlm", "SPS", 0},
    {"GrWrn", "SPS", 1},
    {"AlmLstOv", "SPS", 1},
};
constexpr DoEntry kCCGR[] = {
    {"EEHealth", "INS", 1},  {"EEName", "DPL", 1},   {"OpTmh", "INS", 1},     {"EnvTmp", "MV", 1},
    {"OilTmpIn", "MV", 1},   {"OilTmpOut", "MV", 1}, {"OilMotA", "MV", 1},    {"FanFlw", "MV", 1},
    {"FanA", "MV", 1},       {"CECtl", "SPC", 1},    {"PmpCtlGen", "INC", 1}, {"PmpCtl", "INC", 1},
    {"FanCtlGen", "INC", 1}, {"FanCtl", "INC", 1},   {"Auto", "SPS", 1},      {"FanOvCur", "SPS", 1},
    {"PmpOvCur", "SPS", 1},  {"PmpAlm", "SPS", 1},   {"OilTmpSet", "ASG", 1},
};
constexpr DoEntry kCILO[] = {
    {"EnaOpn", "SPS", 0},
    {"EnaCls", "SPS", 0},
};
constexpr DoEntry kCPOW[] = {
    {"TmExc", "SPS", 0}, {"StrPOW", "SPS", 1}, {"OpOpn", "ACT", 1}, {"OpCls", "ACT", 1}, {"MaxDlTmms", "ING", 1},
};
constexpr DoEntry kCSWI[] = {
    {"Loc", "SPS", 1},  {"OpCntRs", "INC", 1}, {"Pos", "DPC", 0},   {"PosA", "DPC", 1},
    {"PosB", "DPC", 1}, {"PosC", "DPC", 1},    {"OpOpn", "ACT", 1}, {"OpCls", "ACT", 1},
};
// Group G, 3 classes.
constexpr DoEntry kGAPC[] = {
    {"Loc", "SPS", 1},  {"OpCntRs", "INC", 1}, {"SPCSO", "SPC", 1}, {"DPCSO", "DPC", 1},  {"ISCSO", "INC", 1},
    {"Auto", "SPS", 1}, {"Str", "ACD", 0},     {"Op", "ACT", 0},    {"StrVal", "ASG", 1},
};
constexpr DoEntry kGGIO[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"Loc", "SPS", 1},   {"OpCntRs", "INC", 1},
    {"AnIn", "MV", 1},      {"SPCSO", "SPC", 1},  {"DPCSO", "DPC", 1}, {"ISCSO", "INC", 1},
    {"IntIn", "INS", 1},    {"Alm", "SPS", 1},    {"Ind", "SPS", 1},
};
constexpr DoEntry kGSAL[] = {
    {"OpCntRs", "INC", 0},    {"NumCntRs", "INC", 0}, {"AuthFail", "SEC", 0},
    {"AcsCtlFail", "SEC", 0}, {"SvcViol", "SEC", 0},  {"Ina", "SEC", 0},
};
// Group I, 4 classes.
constexpr DoEntry kIARC[] = {
    {"OpCntRs", "INC", 0}, {"NumCntRs", "INC", 0},  {"MemOv", "SPS", 0}, {"MemUsed", "INS", 1},
    {"NumRcd", "INS", 1},  {"MaxNumRcd", "ING", 1}, {"OpMod", "ING", 1}, {"MemFull", "ING", 1},
};
// IHMI has the common head only.
// ITCI has the common head only.
// ITMI has the common head only.
// Group A, 4 classes.
constexpr DoEntry kANCR[] = {
    {"Loc", "SPS", 0},  {"OpCntRs", "INC", 1}, {"TapChg", "BSC", 0},
    {"RCol", "SPC", 1}, {"LCol", "SPC", 1},    {"Auto", "SPS", 1},
};
constexpr DoEntry kARCO[] = {
    {"Loc", "SPS", 0},   {"OpCntRs", "INC", 1}, {"TapChg", "BSC", 0},  {"Auto", "SPS", 1},
    {"VOvSt", "SPS", 1}, {"NeutAlm", "SPS", 1}, {"DschBlk", "SPS", 1},
};
constexpr DoEntry kATCC[] = {
    {"Loc", "SPS", 0},     {"OpCntRs", "INC", 1},   {"TapChg", "BSC", 2},    {"TapPos", "ISC", 2},
    {"ParOp", "DPC", 0},   {"LTCBlk", "SPC", 1},    {"LTCDragRs", "SPC", 1}, {"VRed1", "SPC", 1},
    {"VRed2", "SPC", 1},   {"CtlV", "MV", 0},       {"LodA", "MV", 1},       {"CircA", "MV", 1},
    {"PhAng", "MV", 1},    {"HiCtlV", "MV", 1},     {"LoCtlV", "MV", 1},     {"HiDmdA", "MV", 1},
    {"Auto", "SPS", 1},    {"HiTapPos", "INS", 1},  {"LoTapPos", "INS", 1},  {"BndCtr", "ASG", 1},
    {"BndWid", "ASG", 1},  {"CtlDlTmms", "ING", 1}, {"LDCR", "ASG", 1},      {"LDCX", "ASG", 1},
    {"BlkLV", "ASG", 1},   {"BlkRV", "ASG", 1},     {"RnbkRV", "ASG", 1},    {"LimLodA", "ASG", 1},
    {"LDC", "SPG", 1},     {"TmDlChr", "SPG", 1},   {"LDCZ", "ASG", 1},      {"VRedVal", "ASG", 1},
    {"TapBlkR", "ING", 1}, {"TapBlkL", "ING", 1},
};
constexpr DoEntry kAVCO[] = {
    {"Loc", "SPS", 0},    {"OpCntRs", "INC", 1}, {"TapChg", "BSC", 0}, {"Auto", "SPS", 1},   {"BlkEF", "SPS", 1},
    {"BlkAOv", "SPS", 1}, {"BlkVOv", "SPS", 1},  {"LimAOv", "ASG", 1}, {"LimVOv", "ASG", 1},
};
// Group M, 8 classes.
constexpr DoEntry kMDIF[] = {
    {"OpARem", "WYE", 2},
    {"Amp1", "SAV", 2},
    {"Amp2", "SAV", 2},
    {"Amp3", "SAV", 2},
};
constexpr DoEntry kMHAI[] = {
    {"EEHealth", "INS", 1},  {"EEName", "DPL", 1},    {"Hz", "MV", 2},        {"HA", "HWYE", 1},
    {"HPhV", "HWYE", 1},     {"HPPV", "HDEL", 1},     {"HW", "HWYE", 1},      {"HVAr", "HWYE", 1},
    {"HVA", "HWYE", 1},      {"HRmsA", "WYE", 1},     {"HRmsPhV", "WYE", 1},  {"HRmsPPV", "DEL", 1},
    {"HTuW", "WYE", 1},      {"HTsW", "WYE", 1},      {"HATm", "WYE", 1},     {"HKf", "WYE", 1},
    {"HTdf", "WYE", 1},      {"ThdA", "WYE", 1},      {"ThdOddA", "WYE", 1},  {"ThdEvnA", "WYE", 1},
    {"TddA", "WYE", 1},      {"TddOddA", "WYE", 1},   {"TddEvnA", "WYE", 1},  {"ThdPhV", "WYE", 1},
    {"ThdOddPhV", "WYE", 1}, {"ThdEvnPhV", "WYE", 1}, {"ThdPPV", "DEL", 1},   {"ThdOddPPV", "DEL", 1},
    {"ThdEvnPPV", "DEL", 1}, {"HCfPhV", "WYE", 1},    {"HCfPPV", "DEL", 1},   {"HCfA", "WYE", 1},
    {"HTif", "WYE", 1},      {"HzSet", "ASG", 2},     {"EvTmms", "ASG", 1},   {"NumCyc", "ING", 1},
    {"ThdAVal", "ASG", 1},   {"ThdVVal", "ASG", 1},   {"ThdATmms", "ING", 1}, {"ThdVTmms", "ING", 1},
    {"NomA", "ASG", 1},
};
constexpr DoEntry kMHAN[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1},    {"Hz", "MV", 2},        {"HaAmp", "HMV", 1},
    {"HaWatt", "HMV", 1},   {"HaVolAmpr", "HMV", 1}, {"HaVolAmp", "HMV", 1}, {"HaRmsAmp", "MV", 1},
    {"HaRmsVol", "MV", 1},  {"HaTuWatt", "MV", 1},   {"HaTsWatt", "MV", 1},  {"HaAmpTm", "MV", 1},
    {"HaKFact", "MV", 1},   {"HaTdFact", "MV", 1},   {"ThdAmp", "MV", 1},    {"ThdOddAmp", "MV", 1},
    {"ThdEvnAmp", "MV", 1}, {"TddAmp", "MV", 1},     {"TddOddAmp", "MV", 1}, {"TddEvnAmp", "MV", 1},
    {"ThdVol", "MV", 1},    {"ThdOddVol", "MV", 1},  {"ThdEvnVol", "MV", 1}, {"HaCfAmp", "MV", 1},
    {"HaCfVol", "MV", 1},   {"HaTiFact", "MV", 1},   {"HzSet", "ASG", 2},    {"EvTmms", "ASG", 1},
    {"NumCyc", "ING", 1},   {"ThdAVal", "ASG", 1},   {"ThdVVal", "ASG", 1},  {"ThdATmms", "ING", 1},
    {"ThdVTmms", "ING", 1}, {"NomA", "ASG", 1},
};
constexpr DoEntry kMMTR[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1},  {"TotVAh", "BCR", 1}, {"TotWh", "BCR", 1},   {"TotVArh", "BCR", 1},
    {"SupWh", "BCR", 1},    {"SupVArh", "BCR", 1}, {"DmdWh", "BCR", 1},  {"DmdVArh", "BCR", 1},
};
constexpr DoEntry kMMXN[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"Amp", "MV", 1},     {"Vol", "MV", 1},  {"Watt", "MV", 1},
    {"VolAmpr", "MV", 1},   {"VolAmp", "MV", 1},  {"PwrFact", "MV", 1}, {"Imp", "CMV", 1}, {"Hz", "MV", 1},
};
constexpr DoEntry kMMXU[] = {
    {"EEHealth", "INS", 1}, {"TotW", "MV", 1}, {"TotVAr", "MV", 1}, {"TotVA", "MV", 1}, {"TotPF", "MV", 1},
    {"Hz", "MV", 1},        {"PPV", "DEL", 1}, {"PhV", "WYE", 1},   {"A", "WYE", 1},    {"W", "WYE", 1},
    {"VAr", "WYE", 1},      {"VA", "WYE", 1},  {"PF", "WYE", 1},    {"Z", "WYE", 1},
};
constexpr DoEntry kMSQI[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"SeqA", "SEQ", 2},   {"SeqV", "SEQ", 2},     {"DQ0Seq", "SEQ", 1},
    {"ImbA", "WYE", 1},     {"ImbNgA", "MV", 1},  {"ImbNgV", "MV", 1},  {"ImbPPV", "DEL", 1},   {"ImbV", "WYE", 1},
    {"ImbZroA", "MV", 1},   {"ImbZroV", "MV", 1}, {"MaxImbA", "MV", 1}, {"MaxImbPPV", "MV", 1}, {"MaxImbV", "MV", 1},
};
constexpr DoEntry kMSTA[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1},  {"AvAmps", "MV", 1},   {"MaxAmps", "MV", 1}, {"MinAmps", "MV", 1},
    {"AvVolts", "MV", 1},   {"MaxVolts", "MV", 1}, {"MinVolts", "MV", 1}, {"AvVA", "MV", 1},    {"MaxVA", "MV", 1},
    {"MinVA", "MV", 1},     {"AvW", "MV", 1},      {"MaxW", "MV", 1},     {"MinW", "MV", 1},    {"AvVAr", "MV", 1},
    {"MaxVAr", "MV", 1},    {"MinVAr", "MV", 1},   {"EvStr", "SPC", 1},   {"EvTmms", "ASG", 1},
};
// Group S, 4 classes.
constexpr DoEntry kSARC[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1},   {"OpCntRs", "INC", 1},  {"FACntRs", "INC", 0},
    {"FADet", "SPS", 0},    {"ArcCntRs", "INC", 1}, {"SwArcDet", "SPS", 1},
};
constexpr DoEntry kSIMG[] = {
    {"EEHealth", "INS", 1},  {"EEName", "DPL", 1}, {"Pres", "MV", 1},    {"Den", "MV", 1},
    {"Tmp", "MV", 1},        {"InsAlm", "SPS", 0}, {"InsBlk", "SPS", 1}, {"InsTr", "SPS", 1},
    {"PresAlm", "SPS", 2},   {"DenAlm", "SPS", 2}, {"TmpAlm", "SPS", 2}, {"InsLevMax", "SPS", 1},
    {"InsLevMin", "SPS", 1},
};
constexpr DoEntry kSIML[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1},    {"Tmp", "MV", 1},        {"Lev", "MV", 1},
    {"Pres", "MV", 1},      {"H2O", "MV", 1},        {"H2OTmp", "MV", 1},     {"H2", "MV", 1},
    {"InsAlm", "SPS", 0},   {"InsBlk", "SPS", 1},    {"InsTr", "SPS", 1},     {"TmpAlm", "SPS", 2},
    {"PresTr", "SPS", 2},   {"PresAlm", "SPS", 2},   {"GasInsAlm", "SPS", 1}, {"GasInsTr", "SPS", 1},
    {"GasFlwTr", "SPS", 1}, {"InsLevMax", "SPS", 1}, {"InsLevMin", "SPS", 1}, {"H2Alm", "SPS", 1},
    {"MstAlm", "SPS", 1},
};
constexpr DoEntry kSPDC[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpCnt", "INS", 0}, {"AcuPaDsch", "MV", 2}, {"PaDschAlm", "SPS", 2},
};
// Group X, 2 classes.
constexpr DoEntry kXCBR[] = {
    {"Loc", "SPS", 0},      {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpCnt", "INS", 0},
    {"Pos", "DPC", 0},      {"BlkOpn", "SPC", 0},   {"BlkCls", "SPC", 0}, {"ChaMotEna", "SPC", 1},
    {"SumSwARs", "BCR", 1}, {"CBOpCap", "INS", 0},  {"POWCap", "INS", 1}, {"MaxOpCap", "INS", 1},
};
constexpr DoEntry kXSWI[] = {
    {"Loc", "SPS", 0},   {"EEHealth", "INS", 1}, {"EEName", "DPL", 1},   {"OpCnt", "INS", 0},
    {"Pos", "DPC", 0},   {"BlkOpn", "SPC", 0},   {"BlkCls", "SPC", 0},   {"ChaMotEna", "SPC", 1},
    {"SwTyp", "INS", 0}, {"SwOpCap", "INS", 0},  {"MaxOpCap", "INS", 1},
};
// Group T, 2 classes.
constexpr DoEntry kTCTR[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpTmh", "INS", 1}, {"Amp", "SAV", 0},    {"ARtg", "ASG", 1},
    {"HzRtg", "ASG", 1},    {"Rat", "ASG", 1},    {"Cor", "ASG", 1},   {"AngCor", "ASG", 1},
};
constexpr DoEntry kTVTR[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpTmh", "INS", 1}, {"Vol", "SAV", 0}, {"FuFail", "SPS", 1},
    {"VRtg", "ASG", 1},     {"HzRtg", "ASG", 1},  {"Rat", "ASG", 1},   {"Cor", "ASG", 1}, {"AngCor", "ASG", 1},
};
// Group Y, 4 classes.
constexpr DoEntry kYEFN[] = {
    {"Loc", "SPS", 0}, {"EEHealth", "INS", 1},  {"EEName", "DPL", 1}, {"OpTmh", "INS", 1},
    {"ECA", "MV", 0},  {"ColTapPos", "ISC", 0}, {"ColPos", "APC", 1},
};
constexpr DoEntry kYLTC[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpCnt", "INS", 1},   {"Torq", "MV", 1},     {"MotDrvA", "MV", 1},
    {"TapPos", "ISC", 2},   {"TapChg", "BSC", 2}, {"EndPosR", "SPS", 0}, {"EndPosL", "SPS", 0}, {"OilFil", "SPS", 1},
};
constexpr DoEntry kYPSH[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1},    {"OpTmh", "INS", 1},
    {"Pos", "DPC", 0},      {"BlkOpn", "SPC", 0},    {"BlkCls", "SPC", 0},
    {"ShOpCap", "INS", 0},  {"ChaMotEna", "SPC", 1}, {"MaxOpCap", "INS", 1},
};
constexpr DoEntry kYPTR[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpTmh", "INS", 1},  {"HPTmp", "MV", 1},   {"HPTmpAlm", "SPS", 1},
    {"HPTmpTr", "SPS", 1},  {"OANL", "SPS", 1},   {"OpOvA", "SPS", 1},  {"OpOvV", "SPS", 1},  {"OpUnV", "SPS", 1},
    {"CGAlm", "SPS", 1},    {"HiVRtg", "ASG", 1}, {"LoVRtg", "ASG", 1}, {"PwrRtg", "ASG", 1},
};
// Group Z, 15 classes.
constexpr DoEntry kZAXN[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpTmh", "INS", 1}, {"Vol", "MV", 1}, {"Amp", "MV", 1},
};
constexpr DoEntry kZBAT[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpTmh", "INS", 1},    {"Vol", "MV", 0},
    {"VolChgRte", "MV", 1}, {"Amp", "MV", 1},     {"BatTest", "SPC", 1},  {"TestRsl", "SPS", 1},
    {"BatHi", "SPS", 1},    {"BatLo", "SPS", 1},  {"LoBatVal", "ASG", 1}, {"HiBatVal", "ASG", 1},
};
constexpr DoEntry kZBSH[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1},   {"OpTmh", "INS", 1}, {"React", "MV", 0}, {"LosFact", "MV", 1},
    {"Vol", "MV", 1},       {"RefReact", "ASG", 1}, {"RefPF", "ASG", 1}, {"RefV", "ASG", 1},
};
constexpr DoEntry kZCAB[] = {
    {"EEHealth", "INS", 1},
    {"EEName", "DPL", 1},
    {"OpTmh", "INS", 1},
};
constexpr DoEntry kZCAP[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpTmh", "INS", 1}, {"CapDS", "SPC", 0}, {"DschBlk", "SPS", 0},
};
constexpr DoEntry kZCON[] = {
    {"EEHealth", "INS", 1},
    {"EEName", "DPL", 1},
    {"OpTmh", "INS", 1},
};
constexpr DoEntry kZGEN[] = {
    {"EEHealth", "INS", 1},  {"EEName", "DPL", 1},    {"OpTmh", "INS", 1},   {"GnCtl", "DPC", 0},
    {"DExt", "SPC", 0},      {"AuxSCO", "SPC", 1},    {"StopVlv", "SPC", 1}, {"ReactPwrR", "SPC", 1},
    {"ReactPwrL", "SPC", 1}, {"GnSpd", "MV", 1},      {"GnSt", "INS", 0},    {"OANL", "SPS", 0},
    {"ClkRot", "SPS", 0},    {"CntClkRot", "SPS", 0}, {"OpUnExt", "SPS", 0}, {"OpOvExt", "SPS", 0},
    {"LosOil", "SPS", 1},    {"LosVac", "SPS", 1},    {"PresAlm", "SPS", 1}, {"DmdPwr", "ASG", 1},
    {"PwrRtg", "ASG", 1},    {"VRtg", "ASG", 1},
};
constexpr DoEntry kZGIL[] = {
    {"EEHealth", "INS", 1},
    {"EEName", "DPL", 1},
    {"OpTmh", "INS", 1},
};
constexpr DoEntry kZLIN[] = {
    {"EEHealth", "INS", 1},
    {"EEName", "DPL", 1},
    {"OpTmh", "INS", 1},
};
constexpr DoEntry kZMOT[] = {
    {"EEHealth", "INS", 1}, {"EEName", "DPL", 1}, {"OpTmh", "INS", 1},   {"DExt", "SPC", 0},
    {"LosOil", "SPS", 1},   {"LosVac", "SPS", 1}, {"PresAlm", "SPS", 1},
};
constexpr DoEntry kZREA[] = {
    {"EEHealth", "INS", 1},
    {"EEName", "DPL", 1},
    {"OpTmh", "INS", 1},
};
constexpr DoEntry kZRRC[] = {
    {"EEHealth", "INS", 1},
    {"EEName", "DPL", 1},
    {"OpTmh", "INS", 1},
};
constexpr DoEntry kZSAR[] = {
    {"EEHealth", "INS", 1},
    {"EEName", "DPL", 1},
    {"OpCnt", "INS", 1},
    {"OPSA", "SPS", 0},
};
constexpr DoEntry kZTCF[] = {
    {"EEHealth", "INS", 1},
    {"EEName", "DPL", 1},
    {"OpTmh", "INS", 1},
    {"PwrFrq", "ASG", 1},
};
constexpr DoEntry kZTCR[] = {
    {"EEHealth", "INS", 1},
    {"EEName", "DPL", 1},
    {"OpTmh", "INS", 1},
};
// Group Q, 1 class.
constexpr DoEntry kQVVR[] = {
    {"VarStr", "SPS", 0},     {"DipStr", "SPS", 1},    {"SwlStr", "SPS", 1},    {"IntrStr", "SPS", 1},
    {"VarEnd", "SPS", 1},     {"VVa", "MV", 1},        {"EvtCnt", "HST", 1},    {"VVaTm", "MV", 1},
    {"OpCntRs", "INC", 1},    {"DipStrVal", "ASG", 1}, {"SwlStrVal", "ASG", 1}, {"IntrStrVal", "ASG", 1},
    {"IntrDetMth", "ING", 1},
};

constexpr LogicalNodeClassEntry kClasses[] = {
    {"LPHD", kWithoutHead, kLPHD},    {"LLN0", kWithCommonHead, kLLN0}, {"PDIF", kWithCommonHead, kPDIF},
    {"PDIR", kWithCommonHead, kPDIR}, {"PDIS", kWithCommonHead, kPDIS}, {"PDOP", kWithCommonHead, kPDOP},
    {"PDUP", kWithCommonHead, kPDUP}, {"PFRC", kWithCommonHead, kPFRC}, {"PHAR", kWithCommonHead, kPHAR},
    {"PHIZ", kWithCommonHead, kPHIZ}, {"PIOC", kWithCommonHead, kPIOC}, {"PMRI", kWithCommonHead, kPMRI},
    {"PMSS", kWithCommonHead, kPMSS}, {"POPF", kWithCommonHead, kPOPF}, {"PPAM", kWithCommonHead, kPPAM},
    {"PSCH", kWithCommonHead, kPSCH}, {"PSDE", kWithCommonHead, kPSDE}, {"PTEF", kWithCommonHead, kPTEF},
    {"PTOC", kWithCommonHead, kPTOC}, {"PTOF", kWithCommonHead, kPTOF}, {"PTOV", kWithCommonHead, kPTOV},
    {"PTRC", kWithCommonHead, kPTRC}, {"PTTR", kWithCommonHead, kPTTR}, {"PTUC", kWithCommonHead, kPTUC},
    {"PTUV", kWithCommonHead, kPTUV}, {"PUPF", kWithCommonHead, kPUPF}, {"PTUF", kWithCommonHead, kPTUF},
    {"PVOC", kWithCommonHead, kPVOC}, {"PVPH", kWithCommonHead, kPVPH}, {"PZSU", kWithCommonHead, kPZSU},
    {"RDRE", kWithCommonHead, kRDRE}, {"RADR", kWithCommonHead, kRADR}, {"RBDR", kWithCommonHead, kRBDR},
    {"RDRS", kWithCommonHead, kRDRS}, {"RBRF", kWithCommonHead, kRBRF}, {"RDIR", kWithCommonHead, kRDIR},
    {"RFLO", kWithCommonHead, kRFLO}, {"RPSB", kWithCommonHead, kRPSB}, {"RREC", kWithCommonHead, kRREC},
    {"RSYN", kWithCommonHead, kRSYN}, {"CALH", kWithCommonHead, kCALH}, {"CCGR", kWithCommonHead, kCCGR},
    {"CILO", kWithCommonHead, kCILO}, {"CPOW", kWithCommonHead, kCPOW}, {"CSWI", kWithCommonHead, kCSWI},
    {"GAPC", kWithCommonHead, kGAPC}, {"GGIO", kWithCommonHead, kGGIO}, {"GSAL", kWithCommonHead, kGSAL},
    {"IARC", kWithCommonHead, kIARC}, {"IHMI", kWithCommonHead, {}},    {"ITCI", kWithCommonHead, {}},
    {"ITMI", kWithCommonHead, {}},    {"ANCR", kWithCommonHead, kANCR}, {"ARCO", kWithCommonHead, kARCO},
    {"ATCC", kWithCommonHead, kATCC}, {"AVCO", kWithCommonHead, kAVCO}, {"MDIF", kWithCommonHead, kMDIF},
    {"MHAI", kWithCommonHead, kMHAI}, {"MHAN", kWithCommonHead, kMHAN}, {"MMTR", kWithCommonHead, kMMTR},
    {"MMXN", kWithCommonHead, kMMXN}, {"MMXU", kWithCommonHead, kMMXU}, {"MSQI", kWithCommonHead, kMSQI},
    {"MSTA", kWithCommonHead, kMSTA}, {"SARC", kWithCommonHead, kSARC}, {"SIMG", kWithCommonHead, kSIMG},
    {"SIML", kWithCommonHead, kSIML}, {"SPDC", kWithCommonHead, kSPDC}, {"XCBR", kWithCommonHead, kXCBR},
    {"XSWI", kWithCommonHead, kXSWI}, {"TCTR", kWithCommonHead, kTCTR}, {"TVTR", kWithCommonHead, kTVTR},
    {"YEFN", kWithCommonHead, kYEFN}, {"YLTC", kWithCommonHead, kYLTC}, {"YPSH", kWithCommonHead, kYPSH},
    {"YPTR", kWithCommonHead, kYPTR}, {"ZAXN", kWithCommonHead, kZAXN}, {"ZBAT", kWithCommonHead, kZBAT},
    {"ZBSH", kWithCommonHead, kZBSH}, {"ZCAB", kWithCommonHead, kZCAB}, {"ZCAP", kWithCommonHead, kZCAP},
    {"ZCON", kWithCommonHead, kZCON}, {"ZGEN", kWithCommonHead, kZGEN}, {"ZGIL", kWithCommonHead, kZGIL},
    {"ZLIN", kWithCommonHead, kZLIN}, {"ZMOT", kWithCommonHead, kZMOT}, {"ZREA", kWithCommonHead, kZREA},
    {"ZRRC", kWithCommonHead, kZRRC}, {"ZSAR", kWithCommonHead, kZSAR}, {"ZTCF", kWithCommonHead, kZTCF},
    {"ZTCR", kWithCommonHead, kZTCR}, {"QVVR", kWithCommonHead, kQVVR},
};

}  // namespace

std::span<const DoEntry> CommonHead() { return kHead; }

std::span<const LogicalNodeClassEntry> LogicalNodeClassEntries() { return kClasses; }

}  // namespace Iec61850::Acsi::Scl::DictionaryTables
