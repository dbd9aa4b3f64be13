#include <gtest/gtest.h>

#include <climits>
#include <clocale>

#include "app/widgets/NumberText.h"

namespace {

using Widgets::FormatDouble;
using Widgets::FormatInteger;

TEST(NumberTextTest, IntegerFormatsTakeOneIntegerConversionElseTheDefault) {
    struct Case {
        const char* format;
        int value;
        const char* shown;
    } cases[] = {
        {"", 7, "7"},
        {"%04d", 7, "0007"},
        {"%d mA", -12, "-12 mA"},
        {"%+5i%%", 3, "   +3%"},
        {"0x%08X", 255, "0x000000FF"},
        {"%s", 7, "7"},     // reads a pointer that was never passed
        {"%n", 7, "7"},     // writes through one
        {"%d%d", 7, "7"},   // reads a second argument
        {"%f", 7, "7"},     // a double conversion on an int
        {"%ld", 7, "7"},    // a wider argument than was passed
        {"%*d", 7, "7"},    // the width from an argument
        {"%1$d", 7, "7"},   // positional
        {"%", 7, "7"},      // unfinished
        {"100%", 7, "7"},   // unfinished at the end
        {"%999d", 7, "7"},  // a width past any display
        {"no conversion", 7, "7"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatInteger(c.format, c.value), c.shown) << c.format;
    EXPECT_EQ(FormatInteger(std::string_view("%d\0%s", 5), 4), "4");  // an embedded end of text
}

TEST(NumberTextTest, DoubleFormatsTakeOneFloatingConversionElseTheDefault) {
    struct Case {
        const char* format;
        double value;
        const char* shown;
    } cases[] = {
        {"", 2.5, "2.5"},          {"%.3f V", 2.5, "2.500 V"}, {"%e", 1500.0, "1.500000e+03"},
        {"%lf", 0.25, "0.250000"}, {"%d", 2.5, "2.5"},         {"%s", 2.5, "2.5"},
        {"%n", 2.5, "2.5"},        {"%f%f", 2.5, "2.5"},       {"%Lf", 2.5, "2.5"},
        {"%.9999f", 1.0, "1"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDouble(c.format, c.value), c.shown) << c.format;
}

TEST(NumberTextTest, NumbersIgnoreTheLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale here";
    EXPECT_EQ(FormatDouble("", 2.5), "2.5");
    EXPECT_EQ(FormatDouble("%.2f", 2.5), "2.50");
    double value = 0;
    EXPECT_TRUE(Widgets::ParseDouble("2.5", value));
    EXPECT_EQ(value, 2.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumberTextTest, OnlyAWholeNumberOfTheTypeParses) {
    struct Case {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"12", true, 12},
        {" -7 ", true, -7},
        {"+5", true, 5},
        {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},
        {"12abc", false, 0},
        {"abc", false, 0},
        {"", false, 0},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"1.5", false, 0},
        {"+-1", false, 0},
        {"-", false, 0},
    };
    for (const Case& c : cases) {
        int value = 99;
        EXPECT_EQ(Widgets::ParseInteger(c.text, value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 99) << c.text;
    }
    struct DoubleCase {
        const char* text;
        bool ok;
        double value;
    } doubles[] = {{"2.5", true, 2.5},  {"-1e3", true, -1000.0}, {"2,5", false, 0},
                   {"1e999", false, 0}, {"3x", false, 0},        {"", false, 0}};
    for (const DoubleCase& c : doubles) {
        double value = 99;
        EXPECT_EQ(Widgets::ParseDouble(c.text, value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : 99) << c.text;
    }
}

}  // namespace
