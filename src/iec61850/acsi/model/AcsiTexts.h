#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "system/ResultCode.h"

namespace Iec61850::Acsi {

// ACSI object classes as the directory requests and the control-block kinds number them.
// 8 has no name of its own; 17 and 18 are read from text but never named.
enum ObjectClass : std::int32_t {
    ObjectClassLogicalDevice = 4,
    ObjectClassLogicalNode = 5,
    ObjectClassFile = 6,
    ObjectClassData = 7,
    ObjectClassDataAttribute = 8,
    ObjectClassDataSet = 9,
    ObjectClassBrcb = 10,
    ObjectClassUrcb = 11,
    ObjectClassLcb = 12,
    ObjectClassSgcb = 13,
    ObjectClassLog = 14,
    ObjectClassGoCb = 15,
    ObjectClassGsCb = 16,
    ObjectClassMsvCb = 17,
    ObjectClassUsvCb = 18,
};

// The ServiceError code -1 stands for "no service error to show".
inline constexpr std::int32_t NoServiceError = -1;

// The text shown for a ServiceError code: empty for NoServiceError, the ACSI name for
// 0..12, "Extended Error :" and the code for anything else.
std::string ServiceErrorText(std::int32_t code);

// The text shown for a control error code: "unknown" for a negative code, the name for
// 0..4, "Control Extended Error :" and the code for anything else.
std::string ControlErrorText(std::int32_t code);

// The names of a LastApplError's Error and AddCause, as ACSI defines them; a code
// without one gives "Unknown".
std::string ControlLastApplErrorText(std::int32_t code);
std::string AddCauseText(std::int32_t code);

// The code of an object-class name, matched exactly (case included): 0 and the code
// stored, or InvalidArguments with the code left as it was.
System::ResultCode ObjectClassFromText(std::string_view text, std::int32_t& code);

// The name of an object-class code; "UNKNOWN" for a code without one (8, 17, 18 among them).
std::string ObjectClassText(std::int32_t code);

}  // namespace Iec61850::Acsi
