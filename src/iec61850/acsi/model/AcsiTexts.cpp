#include "iec61850/acsi/model/AcsiTexts.h"

#include <array>

#include "system/NumberText.h"

namespace Iec61850::Acsi {

namespace {

// These texts are shown to the user and compared by tools, so they stand as ACSI and the
// devices' documentation spell them, "temporrarily" included.
constexpr std::array<const char*, 13> kServiceErrors = {
    "no-error",
    "instance-not-available",
    "instance-in-use",
    "access-violation",
    "access-not-allowed-in-current-state",
    "parameter-value-inappropriate",
    "parameter-value-inconsistent",
    "class-not-supported",
    "instance-locked-by-other-client",
    "control-must-be-selected",
    "type-conflict",
    "failed-due-to-communications-constraint",
    "failed-due-to-server-constraint",
};

constexpr std::array<const char*, 5> kControlErrors = {
    "no-error", "temporrarily-unavailable", "hardware-fault", "object-access-denied", "object-undefined",
};

constexpr std::array<const char*, 4> kLastApplErrors = {"No-error", "Unknown", "Timeout-test-not-ok",
                                                        "Operator-test-not-ok"};

constexpr std::array<const char*, 28> kAddCauses = {
    "Unknown",
    "Not-supported",
    "Blocked-by-switching-hierarchy",
    "Select-failed",
    "Invalid-position",
    "Position-reached",
    "Parameter-change-in-execution",
    "Step-limit",
    "Blocked-by-Mode",
    "Blocked-by-process",
    "Blocked-by-interlocking",
    "Blocked-by-synchrocheck",
    "Command-already-in-execution",
    "Blocked-by-health",
    "1-of-n-control",
    "Abortion-by-cancel",
    "Time-limit-over",
    "Abortion-by-trip",
    "Object-not-selected",
    "Object-already-selected",
    "No-access-authority",
    "Ended-with-overshoot",
    "Abortion-due-to-deviation",
    "Abortion-by-communication-loss",
    "Blocked-by-command",
    "None",
    "Inconsistent-parameters",
    "Locked-by-other-client",
};

struct ObjectClassName {
    const char* name;
    std::int32_t code;
    bool named;  // whether the code turns back into this name
};

// In the order names are tried.
constexpr std::array<ObjectClassName, 14> kObjectClasses = {{
    {"LOGICAL-DEVICE", ObjectClassLogicalDevice, true},
    {"LOGICAL-NODE", ObjectClassLogicalNode, true},
    {"FILE", ObjectClassFile, true},
    {"DATA", ObjectClassData, true},
    {"DATA-SET", ObjectClassDataSet, true},
    {"BRCB", ObjectClassBrcb, true},
    {"URCB", ObjectClassUrcb, true},
    {"LCB", ObjectClassLcb, true},
    {"LOG", ObjectClassLog, true},
    {"SGCB", ObjectClassSgcb, true},
    {"GoCB", ObjectClassGoCb, true},
    {"GsCB", ObjectClassGsCb, true},
    {"MSVCB", ObjectClassMsvCb, false},
    {"USVCB", ObjectClassUsvCb, false},
}};

std::string WithCode(const char* lead, std::int32_t code) {
    std::string number;
    System::FormatInt32(number, code);
    return lead + number;
}

}  // namespace

std::string ServiceErrorText(std::int32_t code) {
    if (code == NoServiceError) return {};
    if (code >= 0 && static_cast<std::size_t>(code) < kServiceErrors.size()) return kServiceErrors[code];
    return WithCode("Extended Error :", code);
}

std::string ControlErrorText(std::int32_t code) {
    if (code < 0) return "unknown";
    if (static_cast<std::size_t>(code) < kControlErrors.size()) return kControlErrors[code];
    return WithCode("Control Extended Error :", code);
}

std::string ControlLastApplErrorText(std::int32_t code) {
    if (code >= 0 && static_cast<std::size_t>(code) < kLastApplErrors.size()) return kLastApplErrors[code];
    return "Unknown";
}

std::string AddCauseText(std::int32_t code) {
    if (code >= 0 && static_cast<std::size_t>(code) < kAddCauses.size()) return kAddCauses[code];
    return "Unknown";
}

System::ResultCode ObjectClassFromText(std::string_view text, std::int32_t& code) {
    for (const ObjectClassName& entry : kObjectClasses) {
        if (text == entry.name) {
            code = entry.code;
            return System::OkNoError;
        }
    }
    return System::InvalidArguments;
}

std::string ObjectClassText(std::int32_t code) {
    for (const ObjectClassName& entry : kObjectClasses) {
        if (entry.named && entry.code == code) return entry.name;
    }
    return "UNKNOWN";
}

}  // namespace Iec61850::Acsi
