#pragma once

// The frames goose-sender sends: destination 01:0C:CD:01:00:01, APPID 1001, the given
// stNum, and values that change with it.

#include <string>

#include "app/goose/GooseFrameBuilder.h"

namespace GooseTest {

inline Bytes SenderFrame(std::uint32_t stNum) {
    GooseFrameSpec spec;
    spec.stNum = stNum;
    spec.values = {BooleanValue(stNum % 2 != 0), IntegerValue(static_cast<std::int64_t>(stNum) * 10),
                   VisibleStringValue("state " + std::to_string(stNum))};
    return BuildGooseFrame(spec);
}

}  // namespace GooseTest
