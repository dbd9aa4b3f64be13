#include "ui/OleDateTime.h"

#include <chrono>
#include <cmath>

namespace Ui {
namespace {

using namespace std::chrono;

constexpr sys_days kEpoch = sys_days{year{1899} / December / 30};

}  // namespace

COleDateTime COleDateTime::GetCurrentTime() { return FromQDateTime(QDateTime::currentDateTime()); }

int COleDateTime::SetDateTime(int y, int mo, int d, int h, int mi, int s) {
    year_month_day date{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
    if (y < 100 || y > 9999 || !date.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) {
        m_dt = 0.0;
        m_status = invalid;
        return 1;
    }
    auto days = (sys_days{date} - kEpoch).count();
    double fraction = (h * 3600 + mi * 60 + s) / 86400.0;
    m_dt = days >= 0 ? days + fraction : days - fraction;
    m_status = valid;
    return 0;
}

bool COleDateTime::Split(std::tm& fields) const {
    if (m_status != valid || !std::isfinite(m_dt) || std::fabs(m_dt) > 3'000'000.0) return false;
    double whole = std::trunc(m_dt);
    double fraction = std::fabs(m_dt - whole);
    long long seconds = std::llround(fraction * 86400.0);
    long long days = static_cast<long long>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += m_dt >= 0 ? 1 : -1;
    }
    sys_days date = kEpoch + std::chrono::days{days};
    year_month_day ymd{date};
    fields = std::tm{};
    fields.tm_year = static_cast<int>(ymd.year()) - 1900;
    fields.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
    fields.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
    fields.tm_hour = static_cast<int>(seconds / 3600);
    fields.tm_min = static_cast<int>(seconds / 60 % 60);
    fields.tm_sec = static_cast<int>(seconds % 60);
    fields.tm_wday = static_cast<int>(weekday{date}.c_encoding());
    fields.tm_yday = static_cast<int>((date - sys_days{ymd.year() / January / 1}).count());
    fields.tm_isdst = -1;
    return true;
}

int COleDateTime::GetYear() const {
    std::tm t;
    return Split(t) ? t.tm_year + 1900 : -1;
}
int COleDateTime::GetMonth() const {
    std::tm t;
    return Split(t) ? t.tm_mon + 1 : -1;
}
int COleDateTime::GetDay() const {
    std::tm t;
    return Split(t) ? t.tm_mday : -1;
}
int COleDateTime::GetHour() const {
    std::tm t;
    return Split(t) ? t.tm_hour : -1;
}
int COleDateTime::GetMinute() const {
    std::tm t;
    return Split(t) ? t.tm_min : -1;
}
int COleDateTime::GetSecond() const {
    std::tm t;
    return Split(t) ? t.tm_sec : -1;
}
int COleDateTime::GetDayOfWeek() const {
    std::tm t;
    return Split(t) ? t.tm_wday + 1 : -1;
}

std::string COleDateTime::Format(const char* format) const {
    if (m_status == null) return {};
    std::tm t;
    if (!Split(t)) return "Invalid DateTime";
    if (!format || !*format) return {};
    char buffer[512];
    size_t n = std::strftime(buffer, sizeof buffer, format, &t);
    return std::string(buffer, n);
}

std::string COleDateTime::Format() const {
    std::tm t;
    if (m_status == valid && Split(t)) {
        bool midnight = t.tm_hour == 0 && t.tm_min == 0 && t.tm_sec == 0;
        if (std::trunc(m_dt) == 0.0 && !midnight) return Format("%X");
        if (midnight) return Format("%x");
    }
    return Format("%x %X");
}

QDateTime COleDateTime::ToQDateTime() const {
    std::tm t;
    if (!Split(t)) return {};
    return QDateTime(QDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday), QTime(t.tm_hour, t.tm_min, t.tm_sec));
}

COleDateTime COleDateTime::FromQDateTime(const QDateTime& value) {
    COleDateTime out;
    if (!value.isValid()) {
        out.SetStatus(invalid);
        return out;
    }
    out.SetDateTime(value.date().year(), value.date().month(), value.date().day(), value.time().hour(),
                    value.time().minute(), value.time().second());
    return out;
}

CTime::CTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    value_ = std::mktime(&t);
}

CTime CTime::GetCurrentTime() { return CTime(std::time(nullptr)); }

std::tm CTime::Local() const {
    std::tm t{};
    localtime_r(&value_, &t);
    return t;
}

int CTime::GetYear() const { return Local().tm_year + 1900; }
int CTime::GetMonth() const { return Local().tm_mon + 1; }
int CTime::GetDay() const { return Local().tm_mday; }
int CTime::GetHour() const { return Local().tm_hour; }
int CTime::GetMinute() const { return Local().tm_min; }
int CTime::GetSecond() const { return Local().tm_sec; }

}  // namespace Ui
