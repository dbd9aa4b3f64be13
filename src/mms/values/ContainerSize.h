#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "system/ResultCode.h"

namespace Mms {

// The size of a bit string or a string type: exactly `count` bits or octets (fixed
// length) or at most that many (variable length).
struct ContainerSize {
    std::uint32_t count = 0;
    bool variable = false;

    bool Fits(std::size_t length) const { return variable ? length <= count : length == count; }

    // As type descriptions carry it: n > 0 fixed n, n <= 0 variable up to -n.
    static ContainerSize FromTypeCount(std::int32_t n) {
        if (n > 0) return {static_cast<std::uint32_t>(n), false};
        return {static_cast<std::uint32_t>(-static_cast<std::int64_t>(n)), true};
    }

    // The type description's count: negated for variable length; OutOfRange when the
    // count cannot be written that way.
    System::ResultCode ToTypeCount(std::int32_t& n) const {
        const std::int64_t limit = variable ? std::int64_t{1} << 31 : std::numeric_limits<std::int32_t>::max();
        if (count > limit) return System::OutOfRange;
        n = static_cast<std::int32_t>(variable ? -static_cast<std::int64_t>(count) : count);
        return System::OkNoError;
    }
};

}  // namespace Mms
