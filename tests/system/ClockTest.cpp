#include "system/Clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <thread>

TEST(Clock, IsLeapYearFollowsTheGregorianRule) {
    struct Case {
        int yearsSince1970;
        int expected;
    };
    const Case cases[] = {
        {0, 0},    // 1970
        {2, 1},    // 1972
        {30, 1},   // 2000: divisible by 400
        {54, 1},   // 2024
        {55, 0},   // 2025
        {130, 0},  // 2100: divisible by 100 only
        {430, 1},  // 2400
        {-70, 0},  // 1900
    };
    for (const Case& c : cases) EXPECT_EQ(System::IsLeapYear(c.yearsSince1970), c.expected) << c.yearsSince1970;
}

TEST(Clock, DaysSince1970TruncatesWholeDays) {
    struct Case {
        std::int64_t seconds;
        std::uint32_t days;
    };
    const Case cases[] = {
        {0, 0},
        {86399, 0},
        {86401, 1},           // 1970-01-02 00:00:01 is day 1
        {946684800, 10957},   // 2000-01-01 00:00:00
        {4102444799, 47481},  // 2099-12-31 23:59:59
        {-1, 0},
        {-86400 * 3, 0},  // a clock before 1970
    };
    for (const Case& c : cases) EXPECT_EQ(System::DaysSince1970(c.seconds), c.days) << c.seconds;
}

TEST(Clock, CurrentDaysSince1970IsToday) {
    const auto before = System::DaysSince1970(static_cast<std::int64_t>(std::time(nullptr)));
    const auto now = System::CurrentDaysSince1970();
    const auto after = System::DaysSince1970(static_cast<std::int64_t>(std::time(nullptr)));
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
}

TEST(Clock, MillisecondClockMeasuresElapsedTime) {
    const std::uint32_t start = System::MillisecondClock();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const std::uint32_t elapsed = System::MillisecondClock() - start;  // wraps harmlessly
    EXPECT_GE(elapsed, 25u);
    EXPECT_LT(elapsed, 60000u);
}
