#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "system/ResultCode.h"

namespace System {

// Inside the library a point in time is a pair: whole days since 1970-01-01 UTC and
// milliseconds of the day.

// The UTC calendar time of days x 86400 + ms / 1000 seconds as
// "YYYY-MM-DD hh:mm:ss.mmm" (milliseconds of the second from ms mod 1000).
void FormatTimeText(std::string& text, std::uint32_t days, std::uint32_t ms);

// Reads "Y-M-D h:m:s.n" (year 1970..2100, month, day, hour, minute, second, and n an
// integer count of milliseconds 0..999: ":05.5" means 5 s and 5 ms). Trailing time
// fields may be left out and read as 0; text after a blank (the quality flags of a
// formatted time stamp) is ignored. A field out of range, a missing date field or
// anything else after the last field gives InvalidArguments and leaves the outputs.
ResultCode ParseTimeText(std::string_view text, std::uint32_t& days, std::uint32_t& ms);

}  // namespace System
