#include "system/Clock.h"

#include <chrono>

namespace System {

std::uint32_t MillisecondClock() {
    using namespace std::chrono;
    const auto sinceStart = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(sinceStart.count());
}

std::uint32_t CurrentDaysSince1970() {
    using namespace std::chrono;
    const auto seconds = duration_cast<std::chrono::seconds>(system_clock::now().time_since_epoch());
    return DaysSince1970(seconds.count());
}

std::uint32_t DaysSince1970(std::int64_t secondsSince1970) {
    if (secondsSince1970 < 0) return 0;
    return static_cast<std::uint32_t>(secondsSince1970 / 86400);
}

int IsLeapYear(int yearsSince1970) {
    const std::uint16_t year = static_cast<std::uint16_t>(1970 + yearsSince1970);
    if (year % 4 != 0) return 0;
    if (year % 400 == 0) return 1;
    return year % 100 != 0 ? 1 : 0;
}

}  // namespace System
