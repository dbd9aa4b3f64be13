#include <gtest/gtest.h>

#include "ui/OleDateTime.h"

namespace {

using namespace Ui;

TEST(OleDateTimeTest, DaysCountFromTheEndOf1899AndTimeIsTheFraction) {
    struct Case {
        int y, mo, d, h, mi, s;
        double days;
    } cases[] = {
        {1899, 12, 30, 0, 0, 0, 0.0},   {1899, 12, 31, 12, 0, 0, 1.5},
        {1900, 1, 1, 6, 0, 0, 2.25},    {1899, 12, 29, 6, 0, 0, -1.25},  // before day 0 the time still counts up
        {2012, 6, 4, 0, 0, 0, 41064.0},
    };
    for (const Case& c : cases) {
        COleDateTime value(c.y, c.mo, c.d, c.h, c.mi, c.s);
        EXPECT_DOUBLE_EQ(value.GetValue(), c.days) << c.y << "-" << c.mo << "-" << c.d;
        COleDateTime back(c.days);
        EXPECT_EQ(back.GetYear(), c.y);
        EXPECT_EQ(back.GetMonth(), c.mo);
        EXPECT_EQ(back.GetDay(), c.d);
        EXPECT_EQ(back.GetHour(), c.h);
    }
}

TEST(OleDateTimeTest, FormatAndInvalidValues) {
    COleDateTime value(2012, 6, 4, 9, 5, 3);
    EXPECT_EQ(value.Format("%Y-%m-%d %H:%M:%S"), "2012-06-04 09:05:03");
    EXPECT_EQ(value.Format("%A %d %B"), "Monday 04 June");
    EXPECT_EQ(value.GetDayOfWeek(), 2);
    EXPECT_EQ(COleDateTime(2012, 6, 4, 0, 0, 0).Format(), "06/04/12");
    EXPECT_EQ(COleDateTime(1899, 12, 30, 13, 1, 2).Format(), "13:01:02");
    EXPECT_EQ(value.Format(), "06/04/12 09:05:03");

    COleDateTime bad;
    EXPECT_EQ(bad.SetDateTime(2012, 2, 30, 0, 0, 0), 1);
    EXPECT_EQ(bad.GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(bad.Format("%Y"), "Invalid DateTime");
    EXPECT_EQ(bad.GetYear(), -1);
    EXPECT_EQ(COleDateTime(2012, 1, 1, 24, 0, 0).GetStatus(), COleDateTime::invalid);
    COleDateTime empty;
    empty.SetStatus(COleDateTime::null);
    EXPECT_EQ(empty.Format("%Y"), "");
    EXPECT_EQ(COleDateTime(1e300).Format("%Y"), "Invalid DateTime");
}

TEST(OleDateTimeTest, QtDateTimesRoundTrip) {
    QDateTime qt(QDate(2024, 2, 29), QTime(23, 59, 59));
    COleDateTime value = COleDateTime::FromQDateTime(qt);
    EXPECT_EQ(value.ToQDateTime(), qt);
    EXPECT_EQ(COleDateTime::FromQDateTime(QDateTime()).GetStatus(), COleDateTime::invalid);
    CTime time(2024, 2, 29, 23, 59, 58);
    EXPECT_EQ(time.GetSecond(), 58);
    EXPECT_EQ(time.GetDay(), 29);
}

}  // namespace
