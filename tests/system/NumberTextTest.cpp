#include "system/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

using namespace System;

TEST(NumberText, ParseIntegerByWidthRefusesWhatDoesNotFitItsStore) {
    struct Case {
        unsigned width;
        const char* text;
        ResultCode result;
        std::int64_t value;
    };
    const Case cases[] = {
        {8, "127", OkNoError, 127},
        {8, "-128", OkNoError, -128},
        {8, "300", OutOfRange, 0},
        {8, "128", OutOfRange, 0},
        {8, "-129", OutOfRange, 0},
        {8, "-1", OkNoError, -1},
        {1, "-1", OkNoError, -1},
        {16, "32767", OkNoError, 32767},
        {16, "32768", OutOfRange, 0},
        {24, "8388608", OkNoError, 8388608},
        {32, "-2147483648", OkNoError, INT32_MIN},
        {32, "2147483648", OutOfRange, 0},
        {64, "9223372036854775807", OkNoError, INT64_MAX},
        {64, "-9223372036854775808", OkNoError, INT64_MIN},
        {64, "9223372036854775808", OutOfRange, 0},
        {64, "-99999999999999999999", OutOfRange, 0},
        {65, "1", NotSupported, 0},
        {32, "abc", InvalidArguments, 0},
        {32, "", InvalidArguments, 0},
        {32, "   ", InvalidArguments, 0},
        {32, "12abc", InvalidArguments, 0},
        {32, "1 2", InvalidArguments, 0},
        {32, "-", InvalidArguments, 0},
        {32, "+-5", InvalidArguments, 0},
        {32, "0x10", InvalidArguments, 0},
        {32, "1.5", InvalidArguments, 0},
        {32, " +42 ", OkNoError, 42},
        {32, "\t-7\n", OkNoError, -7},
        {32, "007", OkNoError, 7},
    };
    for (const Case& c : cases) {
        std::int64_t value = 99;
        EXPECT_EQ(ParseIntegerByWidth(value, c.width, c.text), c.result) << c.width << " '" << c.text << "'";
        EXPECT_EQ(value, c.result == OkNoError ? c.value : 99) << c.width << " '" << c.text << "'";
    }
}

TEST(NumberText, ParseIntegerInRangeByWidth) {
    struct Case {
        unsigned width;
        const char* text;
        std::int32_t minimum, maximum;
        ResultCode result;
    };
    const Case cases[] = {
        {8, "5", 0, 10, OkNoError},         {8, "11", 0, 10, OutOfRange},     {8, "-1", 0, 10, OutOfRange},
        {8, "200", 0, 1000, OutOfRange},    {16, "1000", 0, 1000, OkNoError}, {33, "1", 0, 10, NotSupported},
        {32, "x", 0, 10, InvalidArguments},
    };
    for (const Case& c : cases) {
        std::int32_t value = -5;
        EXPECT_EQ(ParseIntegerInRangeByWidth(value, c.width, c.text, c.minimum, c.maximum), c.result) << c.text;
    }
}

TEST(NumberText, FormatIntegerByWidthReadsTheStore) {
    struct Case {
        std::int64_t value;
        unsigned width;
        ResultCode result;
        const char* text;
    };
    const Case cases[] = {
        {-1, 8, OkNoError, "-1"},
        {300, 8, OkNoError, "44"},
        {0xFFFF, 16, OkNoError, "-1"},
        {INT32_MIN, 32, OkNoError, "-2147483648"},
        {INT64_MIN, 64, OkNoError, "-9223372036854775808"},
        {INT64_MAX, 128, OkNoError, "9223372036854775807"},
        {1, 129, NotSupported, "old"},
    };
    for (const Case& c : cases) {
        std::string text = "old";
        EXPECT_EQ(FormatIntegerByWidth(text, c.value, c.width), c.result);
        EXPECT_EQ(text, c.text);
    }
}

TEST(NumberText, SixtyFourBitLimitsRoundTrip) {
    for (std::int64_t value : {INT64_MIN, INT64_MIN + 1, std::int64_t{-1}, std::int64_t{0}, INT64_MAX}) {
        std::string text;
        FormatInt64(text, value);
        std::int64_t back = 1;
        ASSERT_EQ(ParseInt64Text(back, text), OkNoError) << text;
        EXPECT_EQ(back, value);
        ASSERT_EQ(ParseIntegerByWidth(back, 64, text), OkNoError) << text;
        EXPECT_EQ(back, value);
    }
    for (std::uint64_t value : {std::uint64_t{0}, std::uint64_t{1} << 63, UINT64_MAX - 1, UINT64_MAX}) {
        std::string text;
        FormatUInt64(text, value);
        std::uint64_t back = 1;
        ASSERT_EQ(ParseUInt64Text(back, text), OkNoError) << text;
        EXPECT_EQ(back, value);
    }
    std::string text;
    FormatUInt64(text, UINT64_MAX);
    EXPECT_EQ(text, "18446744073709551615");
    std::uint64_t value = 3;
    EXPECT_EQ(ParseUInt64Text(value, "18446744073709551616"), InvalidArguments);
    EXPECT_EQ(ParseUInt64Text(value, "-1"), InvalidArguments);
    EXPECT_EQ(value, 3u);
}

TEST(NumberText, TypedDecimalReadersRefuseOutOfRangeAndGarbage) {
    std::int8_t i8 = 0;
    std::uint8_t u8 = 0;
    std::int16_t i16 = 0;
    std::uint16_t u16 = 0;
    std::int32_t i32 = 0;
    std::uint32_t u32 = 0;
    EXPECT_EQ(ParseInt8Text(i8, "-128"), OkNoError);
    EXPECT_EQ(i8, -128);
    EXPECT_EQ(ParseInt8Text(i8, "128"), InvalidArguments);
    EXPECT_EQ(ParseUInt8Text(u8, "255"), OkNoError);
    EXPECT_EQ(u8, 255);
    EXPECT_EQ(ParseUInt8Text(u8, "256"), InvalidArguments);
    EXPECT_EQ(ParseInt16Text(i16, "-32768"), OkNoError);
    EXPECT_EQ(ParseInt16Text(i16, "32768"), InvalidArguments);
    EXPECT_EQ(ParseUInt16Text(u16, "102"), OkNoError);
    EXPECT_EQ(u16, 102);
    EXPECT_EQ(ParseUInt16Text(u16, "65536"), InvalidArguments);
    EXPECT_EQ(ParseUInt16Text(u16, "-1"), InvalidArguments);
    EXPECT_EQ(ParseUInt16Text(u16, "12abc"), InvalidArguments);
    EXPECT_EQ(ParseUInt16Text(u16, ""), InvalidArguments);
    EXPECT_EQ(u16, 102);
    EXPECT_EQ(ParseInt32Text(i32, "-2147483648"), OkNoError);
    EXPECT_EQ(i32, INT32_MIN);
    EXPECT_EQ(ParseInt32Text(i32, "2147483648"), InvalidArguments);
    EXPECT_EQ(ParseUnsignedText(u32, "4294967295"), OkNoError);
    EXPECT_EQ(u32, UINT32_MAX);
    EXPECT_EQ(ParseUnsignedText(u32, "4294967296"), InvalidArguments);
}

TEST(NumberText, ParseBoolean) {
    struct Case {
        const char* text;
        ResultCode result;
        bool flag;
    };
    const Case cases[] = {
        {"1", OkNoError, true},        {"0", OkNoError, false},        {"true", OkNoError, true},
        {"Tx", OkNoError, true},       {"tRUE", OkNoError, true},      {"no", OkNoError, false},
        {"False", OkNoError, false},   {"2", InvalidArguments, false}, {"T", InvalidArguments, false},
        {"", InvalidArguments, false},
    };
    for (const Case& c : cases) {
        for (bool initial : {false, true}) {
            bool flag = initial;
            EXPECT_EQ(ParseBoolean(flag, c.text), c.result) << c.text;
            EXPECT_EQ(flag, c.result == OkNoError ? c.flag : initial) << c.text;
        }
    }
    std::string text;
    FormatBoolText(text, true);
    EXPECT_EQ(text, "true");
    FormatBoolText(text, false);
    EXPECT_EQ(text, "false");
}

TEST(NumberText, FormatsWithFieldWidthAndFill) {
    std::string text;
    FormatUInt32(text, 102);
    EXPECT_EQ(text, "102");
    FormatUInt32(text, 7, 4, '0');
    EXPECT_EQ(text, "0007");
    FormatUInt16(text, 7, 3, 0);
    EXPECT_EQ(text, "  7");
    FormatUInt16(text, 12345, 3, '0');
    EXPECT_EQ(text, "12345");
    FormatInt8(text, -128);
    EXPECT_EQ(text, "-128");
    FormatUInt8(text, 255);
    EXPECT_EQ(text, "255");
    FormatInt16(text, -5, 4, '*');
    EXPECT_EQ(text, "**-5");
    FormatInt32(text, INT32_MIN);
    EXPECT_EQ(text, "-2147483648");
}

TEST(NumberText, NumberTextIgnoresTheLocale) {
    // A locale with a decimal comma and digit grouping must not change anything.
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) std::setlocale(LC_ALL, "C.UTF-8");
    std::string text;
    FormatInt64(text, 1234567);
    std::int64_t value = 0;
    const ResultCode result = ParseIntegerByWidth(value, 64, "1234567");
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(text, "1234567");
    EXPECT_EQ(result, OkNoError);
    EXPECT_EQ(value, 1234567);
}

TEST(NumberText, NumberNotation) {
    struct Case {
        const char* text;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"#12", 12},        {"'1F'H", 0x1F}, {"'ffffffff'H", 0xFFFFFFFF},
        {"#4294967296", 0}, {"#", 0},        {"''H", 0},
        {"\"12\"", 0},      {"", 0},         {"12", 0},
        {"#12x", 0},        {"'1G'H", 0},    {"'12'h", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseNumberNotation(c.text), c.value) << c.text;
}

TEST(NumberText, DottedQuad) {
    std::string text;
    FormatDottedQuad(text, 0x7F000001);
    EXPECT_EQ(text, "127.0.0.1");
    FormatDottedQuad(text, 0xFFFFFFFF);
    EXPECT_EQ(text, "255.255.255.255");
    FormatDottedQuad(text, 0);
    EXPECT_EQ(text, "0.0.0.0");
}
