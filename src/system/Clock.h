#pragma once

#include <cstdint>

namespace System {

// Milliseconds from an arbitrary fixed point, wrapping at 32 bits. It follows a
// monotonic clock, so only differences mean anything, and a change of the system
// time never makes a time-out fire early or late.
std::uint32_t MillisecondClock();

// Whole days from 1970-01-01 UTC to now.
std::uint32_t CurrentDaysSince1970();

// Whole days in a number of seconds since 1970-01-01 UTC (division by 86400,
// truncating); instants before 1970 give 0.
std::uint32_t DaysSince1970(std::int64_t secondsSince1970);

// 1 when the year 1970 + yearsSince1970 (taken as a 16-bit year) is a Gregorian
// leap year, else 0; an int so that callers can add it to a day count.
int IsLeapYear(int yearsSince1970);

}  // namespace System
