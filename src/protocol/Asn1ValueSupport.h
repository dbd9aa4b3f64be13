#pragma once

// Shared steps of the conversions between plain values and coder values.

#include <cerrno>

#include "system/ResultCode.h"

namespace Asn1::ValueSupport {

// An absent value (null) is reported through the presence flag when there is one and
// is an Error without it. True when the caller goes on with a present value.
inline bool Present(const void* value, bool* present, System::ResultCode& result) {
    if (present != nullptr) *present = value != nullptr;
    result = value != nullptr || present != nullptr ? System::OkNoError : System::Error;
    return value != nullptr;
}

// The coder reports failure as -1 with errno; a failure never reads as success, even
// when errno was left at 0.
inline System::ResultCode FromCoder(long status) {
    if (status >= 0) return System::OkNoError;
    const System::ResultCode result = System::ResultFromErrno(errno);
    return result == System::OkNoError ? System::Error : result;
}

}  // namespace Asn1::ValueSupport
