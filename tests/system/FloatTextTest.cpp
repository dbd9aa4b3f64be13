#include "system/FloatText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace System;

TEST(FloatText, FormatsWithNineOrSeventeenDigits) {
    struct Case {
        double value;
        unsigned format, exponent;
        ResultCode result;
        const char* text;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {1.0, 32, 8, OkNoError, "1"},
        {0.1, 32, 8, OkNoError, "0.100000001"},
        {0.1, 64, 11, OkNoError, "0.10000000000000001"},
        {100.0, 32, 8, OkNoError, "100"},
        {0.5, 64, 11, OkNoError, "0.5"},
        {-2.25, 32, 8, OkNoError, "-2.25"},
        {1e20, 64, 11, OkNoError, "1e+20"},
        {1.5e-7, 64, 11, OkNoError, "1.4999999999999999e-07"},
        {0.0, 64, 11, OkNoError, "0"},
        {std::numeric_limits<double>::quiet_NaN(), 64, 11, OkNoError, "nan"},
        {-std::numeric_limits<double>::quiet_NaN(), 32, 8, OkNoError, "nan"},
        {inf, 32, 8, OkNoError, "inf"},
        {-inf, 64, 11, OkNoError, "-inf"},
        {1e300, 32, 8, OutOfRange, "old"},
        {1.0, 48, 8, NotSupported, "old"},
        {1.0, 64, 8, NotSupported, "old"},
        {1.0, 32, 11, NotSupported, "old"},
    };
    for (const Case& c : cases) {
        std::string text = "old";
        EXPECT_EQ(FormatFloatingPoint(text, c.value, c.format, c.exponent), c.result) << c.text;
        EXPECT_EQ(text, c.text);
    }
}

TEST(FloatText, ParsesStrictly) {
    struct Case {
        const char* text;
        unsigned format, exponent;
        ResultCode result;
        double value;
    };
    const Case cases[] = {
        {"1", 32, 8, OkNoError, 1.0},          {" -2.5 ", 64, 11, OkNoError, -2.5},
        {"+1e3", 64, 11, OkNoError, 1000.0},   {"0.1", 32, 8, OkNoError, static_cast<double>(0.1f)},
        {"0.1", 64, 11, OkNoError, 0.1},       {"1e39", 32, 8, OutOfRange, 0},
        {"1e39", 64, 11, OkNoError, 1e39},     {"1e999", 64, 11, OutOfRange, 0},
        {"abc", 64, 11, InvalidArguments, 0},  {"", 32, 8, InvalidArguments, 0},
        {"1.5x", 64, 11, InvalidArguments, 0}, {"1,5", 64, 11, InvalidArguments, 0},
        {"0x10", 64, 11, InvalidArguments, 0}, {"1", 48, 8, NotSupported, 0},
    };
    for (const Case& c : cases) {
        double value = 42.0;
        EXPECT_EQ(ParseFloatingPoint(value, c.format, c.exponent, c.text), c.result) << c.text;
        EXPECT_EQ(value, c.result == OkNoError ? c.value : 42.0) << c.text;
    }
}

TEST(FloatText, EveryFormattedValueReadsBackExactly) {
    const double inf = std::numeric_limits<double>::infinity();
    const double doubles[] = {0.1,  -1.0 / 3, 1e-300, 4.9e-324,           std::numeric_limits<double>::max(),
                              -0.0, inf,      -inf,   123456789.123456789};
    for (double value : doubles) {
        std::string text;
        ASSERT_EQ(FormatFloatingPoint(text, value, 64, 11), OkNoError);
        double back = 0;
        ASSERT_EQ(ParseFloatingPoint(back, 64, 11, text), OkNoError) << text;
        EXPECT_EQ(back, value) << text;
    }
    const float floats[] = {0.1f,        -1.0f / 3,
                            1e-45f,      std::numeric_limits<float>::max(),
                            16777217.0f, std::numeric_limits<float>::infinity()};
    for (float value : floats) {
        std::string text;
        ASSERT_EQ(FormatFloatingPoint(text, value, 32, 8), OkNoError);
        double back = 0;
        ASSERT_EQ(ParseFloatingPoint(back, 32, 8, text), OkNoError) << text;
        EXPECT_EQ(static_cast<float>(back), value) << text;
    }
    std::string text;
    ASSERT_EQ(FormatFloatingPoint(text, std::nan(""), 32, 8), OkNoError);
    double back = 0;
    ASSERT_EQ(ParseFloatingPoint(back, 32, 8, text), OkNoError);
    EXPECT_TRUE(std::isnan(back));
}
