#include "system/TimeText.h"

#include "system/Clock.h"

#include <charconv>
#include <cstdio>

namespace System {

namespace {

constexpr std::uint32_t SecondsPerDay = 86400;

struct CivilDate {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

// Proleptic Gregorian date of a day count since 1970-01-01 (valid far beyond 32-bit
// seconds, so that any day count formats).
CivilDate CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads the text the way the C library's "%d-%d-%d %d:%d:%d.%d" scan does: each
// number may follow blanks and carry a sign, the blank in the pattern matches any
// run of blanks (or none), and reading stops at the first mismatch.
class TimeFieldScanner {
public:
    explicit TimeFieldScanner(std::string_view text) : text_(text) {}

    // False at the first mismatch; the position then stays where the scan stopped.
    bool Number(std::int64_t& value, bool& overflow) {
        SkipBlanks();
        std::size_t at = pos_;
        bool negative = false;
        if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) {
            negative = text_[at] == '-';
            ++at;
        }
        std::uint64_t magnitude = 0;
        const char* first = text_.data() + at;
        const auto [end, ec] = std::from_chars(first, text_.data() + text_.size(), magnitude);
        if (end == first) return false;
        pos_ = static_cast<std::size_t>(end - text_.data());
        if (ec != std::errc{} || magnitude > 1'000'000'000) {
            overflow = true;
            magnitude = 0;
        }
        value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
        return true;
    }

    bool Literal(char c) {
        if (c == ' ') {
            SkipBlanks();
            return true;
        }
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // The scan may stop early, but only at the end of the text or after a blank:
    // "2024-01-01 12:00:00.000 [Clock Failure]" is a time, "2024-01-01T12" is not.
    bool EndsCleanly() const {
        return pos_ == text_.size() || IsBlank(text_[pos_]) || (pos_ > 0 && IsBlank(text_[pos_ - 1]));
    }

private:
    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

void FormatTimeText(std::string& text, std::uint32_t days, std::uint32_t ms) {
    const std::uint64_t seconds = std::uint64_t{days} * SecondsPerDay + ms / 1000;
    const CivilDate date = CivilFromDays(static_cast<std::int64_t>(seconds / SecondsPerDay));
    const auto secondOfDay = static_cast<unsigned>(seconds % SecondsPerDay);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%lld-%02u-%02u %02u:%02u:%02u.%03u", static_cast<long long>(date.year),
                  date.month, date.day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60, ms % 1000);
    text = buffer;
}

ResultCode ParseTimeText(std::string_view text, std::uint32_t& days, std::uint32_t& ms) {
    static constexpr char separators[] = {'-', '-', ' ', ':', ':', '.'};
    std::int64_t field[7] = {};
    bool overflow = false;
    TimeFieldScanner scanner(text);
    for (int i = 0; i < 7; ++i) {
        if (i > 0 && !scanner.Literal(separators[i - 1])) break;
        if (!scanner.Number(field[i], overflow)) break;
    }
    if (overflow || !scanner.EndsCleanly()) return InvalidArguments;

    const auto [year, month, day, hour, minute, second, millisecond] = field;
    static constexpr int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1970 || year > 2100 || month < 1 || month > 12) return InvalidArguments;
    const bool leap = IsLeapYear(static_cast<int>(year - 1970)) != 0;
    const int daysInMonth = monthDays[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day < 1 || day > daysInMonth) return InvalidArguments;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999) {
        return InvalidArguments;
    }

    const std::int64_t years = year - 1970;
    std::int64_t dayCount = 365 * years + (years + 1) / 4 + day - 1;
    for (int m = 1; m < month; ++m) dayCount += monthDays[m - 1];
    if (month > 2 && leap) dayCount += 1;

    days = static_cast<std::uint32_t>(dayCount);
    ms = static_cast<std::uint32_t>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond);
    return OkNoError;
}

}  // namespace System
