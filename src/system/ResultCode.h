#pragma once

#include <cstdint>

namespace System {

// Every library operation reports its outcome as one of these codes; the library
// throws no exceptions of its own.
using ResultCode = std::int32_t;

enum : ResultCode {
    OkNoError = 0,
    Error = 1,
    InvalidArguments = 2,
    InvalidResponse = 3,
    OutOfRange = 4,
    ProtocolError = 5,
    AlreadyConnected = 6,
    NotConnected = 7,
    Aborted = 8,
    Cancelled = 9,
    Rejected = 10,
    NoResources = 11,
    Timeout = 12,
    NotImplemented = 13,
    NotSupported = 14,
    InvalidState = 15,
    NotCompleted = 16,
    InvalidContext = 17,
    NotInitialized = 18,
    AlreadyExist = 19,
    NotFound = 20,
};

// The name of a code; "Unknown error" for anything outside 0..20.
const char* ResultCodeText(ResultCode code);

// Maps the errno left by a failed coder or codec call: 0 -> OkNoError,
// ENOMEM -> NoResources, ERANGE -> OutOfRange, anything else -> Error.
ResultCode ResultFromErrno(int errnoValue);

}  // namespace System
