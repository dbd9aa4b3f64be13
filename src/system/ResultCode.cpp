#include "system/ResultCode.h"

#include <cerrno>

namespace System {

namespace {
constexpr const char* kNames[] = {
    "OkNoError",        "Error",          "InvalidArguments", "InvalidResponse", "OutOfRange",   "ProtocolError",
    "AlreadyConnected", "NotConnected",   "Aborted",          "Cancelled",       "Rejected",     "NoResources",
    "Timeout",          "NotImplemented", "NotSupported",     "InvalidState",    "NotCompleted", "InvalidContext",
    "NotInitialized",   "AlreadyExist",   "NotFound",
};
constexpr ResultCode kNameCount = static_cast<ResultCode>(sizeof(kNames) / sizeof(kNames[0]));
}  // namespace

const char* ResultCodeText(ResultCode code) {
    if (code < 0 || code >= kNameCount) return "Unknown error";
    return kNames[code];
}

ResultCode ResultFromErrno(int errnoValue) {
    if (errnoValue == 0) return OkNoError;
    if (errnoValue == ENOMEM) return NoResources;
    if (errnoValue == ERANGE) return OutOfRange;
    return Error;
}

}  // namespace System
