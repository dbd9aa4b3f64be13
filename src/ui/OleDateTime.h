#pragma once

#include <QDateTime>
#include <ctime>
#include <string>

namespace Ui {

// A date and time as days since 30 December 1899 (the fraction is the time of day), with
// a status. Before that day the whole days count down while the time still counts up.
// Seconds are the finest unit.
class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    explicit COleDateTime(double days) : m_dt(days) {}
    COleDateTime(int year, int month, int day, int hour, int minute, int second) {
        SetDateTime(year, month, day, hour, minute, second);
    }

    static COleDateTime GetCurrentTime();
    // 0 on success; 1 with the status invalid when a field is out of range (years 100-9999).
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
    int SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    DateTimeStatus GetStatus() const { return m_status; }

    // -1 when the value is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday

    // strftime-style; an invalid value gives "Invalid DateTime", a null one an empty text.
    std::string Format(const char* format) const;
    // Date and time; the date alone when the time is midnight, the time alone on day 0.
    std::string Format() const;

    QDateTime ToQDateTime() const;
    static COleDateTime FromQDateTime(const QDateTime& value);
    double GetValue() const { return m_dt; }
    bool operator==(const COleDateTime& other) const = default;

private:
    bool Split(std::tm& fields) const;

    double m_dt = 0.0;
    DateTimeStatus m_status = valid;
};

// A point in time in whole seconds (local time), as the time pickers exchange it.
class CTime {
public:
    CTime() = default;
    explicit CTime(std::time_t value) : value_(value) {}
    CTime(int year, int month, int day, int hour, int minute, int second);
    static CTime GetCurrentTime();
    std::time_t GetTime() const { return value_; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    bool operator==(const CTime& other) const = default;

private:
    std::tm Local() const;
    std::time_t value_ = 0;
};

}  // namespace Ui
