#include "system/TimeText.h"
#include "system/UtcTime.h"

#include <gtest/gtest.h>

using namespace System;

TEST(UtcTime, EncodesSecondsFractionAndZeroQuality) {
    struct Case {
        std::uint32_t days, ms;
        UtcTime octets;
    };
    const Case cases[] = {
        {0, 1500, {0x00, 0x00, 0x00, 0x01, 0x80, 0x00, 0x00, 0x00}},
        {0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
        {1, 999, {0x00, 0x01, 0x51, 0x80, 0xFF, 0xBE, 0x76, 0x00}},
        {49710, 23295999, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xBE, 0x76, 0x00}},
    };
    for (const Case& c : cases) {
        UtcTime octets{};
        octets.fill(0xEE);
        ASSERT_EQ(EncodeUtcTime(octets, c.days, c.ms), OkNoError) << c.days << " " << c.ms;
        EXPECT_EQ(octets, c.octets) << c.days << " " << c.ms;
        std::uint32_t days = 7, ms = 7;
        DecodeUtcTime(octets, days, ms);
        EXPECT_EQ(days, c.days);
        EXPECT_EQ(ms, c.ms);
    }
}

TEST(UtcTime, EveryMillisecondSurvivesTheRoundTrip) {
    for (std::uint32_t ms = 0; ms < 1000; ++ms) {
        UtcTime octets{};
        ASSERT_EQ(EncodeUtcTime(octets, 19782, 43200000 + ms), OkNoError);
        std::uint32_t days = 0, back = 0;
        DecodeUtcTime(octets, days, back);
        ASSERT_EQ(days, 19782u);
        ASSERT_EQ(back, 43200000 + ms);
    }
}

TEST(UtcTime, SecondsBeyond32BitsAreRefused) {
    UtcTime octets{};
    octets.fill(0xEE);
    EXPECT_EQ(EncodeUtcTime(octets, 49710, 23296000), OutOfRange);
    EXPECT_EQ(EncodeUtcTime(octets, 49711, 0), OutOfRange);
    EXPECT_EQ(octets[0], 0xEE);
}

TEST(UtcTime, FractionNearOneCarriesIntoTheNextSecond) {
    const UtcTime octets = {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
    std::uint32_t days = 0, ms = 0;
    DecodeUtcTime(octets, days, ms);
    EXPECT_EQ(ms, 1000u);
    std::string text;
    FormatUtcTimeOctets(text, octets);
    EXPECT_EQ(text, "1970-01-01 00:00:01.000");
}

TEST(UtcTime, QualityTexts) {
    struct Case {
        std::uint8_t quality;
        const char* suffix;
    };
    const Case cases[] = {
        {0x00, ""},
        {0x8A, " [Leap Second Known][Time Accuracy = 10 bits]"},
        {0x1F, " [Time Accuracy = Unspecified]"},
        {0x1E, " [Time Accuracy = Unspecified]"},
        {0x19, " [Time Accuracy = Invalid]"},
        {0x1D, " [Time Accuracy = Invalid]"},
        {0x18, " [Time Accuracy = 24 bits]"},
        {0x60, " [Clock Failure][Clock Not Synchronized][Time Accuracy = 0 bits]"},
        {0xFF, " [Leap Second Known][Clock Failure][Clock Not Synchronized][Time Accuracy = Unspecified]"},
    };
    for (const Case& c : cases) {
        std::string text = "old";
        FormatUtcTimeText(text, 0, 0, c.quality);
        EXPECT_EQ(text, std::string("1970-01-01 00:00:00.000") + c.suffix) << int(c.quality);
    }
    std::string text;
    FormatUtcTimeOctets(text, {0x00, 0x00, 0x00, 0x01, 0x80, 0x00, 0x00, 0x0A});
    EXPECT_EQ(text, "1970-01-01 00:00:01.500 [Time Accuracy = 10 bits]");
}

TEST(TimeText, FormatsCalendarTime) {
    struct Case {
        std::uint32_t days, ms;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "1970-01-01 00:00:00.000"},
        {19782, 43200005, "2024-02-29 12:00:00.005"},
        {11016, 86399999, "2000-02-29 23:59:59.999"},
        {47846, 86399999, "2100-12-31 23:59:59.999"},
        {0, 86400000, "1970-01-02 00:00:00.000"},
        {49710, 23295000, "2106-02-07 06:28:15.000"},
        {UINT32_MAX, 0, "11761191-01-20 00:00:00.000"},
    };
    for (const Case& c : cases) {
        std::string text;
        FormatTimeText(text, c.days, c.ms);
        EXPECT_EQ(text, c.text);
    }
}

TEST(TimeText, ParsesFieldsWithTheirRanges) {
    struct Case {
        const char* text;
        ResultCode result;
        std::uint32_t days, ms;
    };
    const Case cases[] = {
        // The number after the point counts milliseconds: ".5" is 5 ms.
        {"2024-02-29 12:00:00.5", OkNoError, 19782, 43200005},
        {"2024-02-29 12:00:00.500", OkNoError, 19782, 43200500},
        {"2023-02-29 12:00:00.5", InvalidArguments, 0, 0},
        {"1969-12-31 23:59:59.999", InvalidArguments, 0, 0},
        {"1970-01-01", OkNoError, 0, 0},
        {"1970-01-01 00:00:00.000", OkNoError, 0, 0},
        {"2000-02-29 23:59:59.999", OkNoError, 11016, 86399999},
        {"2100-02-29", InvalidArguments, 0, 0},
        {"2100-12-31 23:59:59.999", OkNoError, 47846, 86399999},
        {"2101-01-01", InvalidArguments, 0, 0},
        {"2024-13-01", InvalidArguments, 0, 0},
        {"2024-00-01", InvalidArguments, 0, 0},
        {"2024-04-31", InvalidArguments, 0, 0},
        {"2024-04-30", OkNoError, 19843, 0},
        {"2024-01-00", InvalidArguments, 0, 0},
        {"2024-01-01 24:00:00", InvalidArguments, 0, 0},
        {"2024-01-01 23:60:00", InvalidArguments, 0, 0},
        {"2024-01-01 23:00:60", InvalidArguments, 0, 0},
        {"2024-01-01 00:00:00.1000", InvalidArguments, 0, 0},
        {"2024-01-01 00:00:00.-1", InvalidArguments, 0, 0},
        {"2024-01-01 7", OkNoError, 19723, 7 * 3600000},
        {"2024-01-01 07:30", OkNoError, 19723, 27000000},
        {"  2024-1-1   7:30:1.2", OkNoError, 19723, 27001002},
        // Quality flags behind a blank are ignored, so a formatted stamp reads back.
        {"2024-01-01 00:00:00.000 [Clock Failure]", OkNoError, 19723, 0},
        {"2024-01-01T07:30", InvalidArguments, 0, 0},
        {"2024-01-01 07:30:00.5xyz", InvalidArguments, 0, 0},
        {"2024-01", InvalidArguments, 0, 0},
        {"", InvalidArguments, 0, 0},
        {"abc", InvalidArguments, 0, 0},
        {"99999999999999999999-01-01", InvalidArguments, 0, 0},
        {"2024-01-01 00:00:00.99999999999999999999", InvalidArguments, 0, 0},
    };
    for (const Case& c : cases) {
        std::uint32_t days = 1234, ms = 5678;
        EXPECT_EQ(ParseTimeText(c.text, days, ms), c.result) << c.text;
        if (c.result == OkNoError) {
            EXPECT_EQ(days, c.days) << c.text;
            EXPECT_EQ(ms, c.ms) << c.text;
        } else {
            EXPECT_EQ(days, 1234u) << c.text;
            EXPECT_EQ(ms, 5678u) << c.text;
        }
    }
}

TEST(TimeText, FormattedTimesReadBack) {
    for (std::uint32_t days : {0u, 59u, 365u, 11016u, 19782u, 47846u}) {
        for (std::uint32_t ms : {0u, 1u, 999u, 43200005u, 86399999u}) {
            std::string text;
            FormatTimeText(text, days, ms);
            std::uint32_t d = 0, m = 0;
            ASSERT_EQ(ParseTimeText(text, d, m), OkNoError) << text;
            EXPECT_EQ(d, days) << text;
            EXPECT_EQ(m, ms) << text;
        }
    }
}
