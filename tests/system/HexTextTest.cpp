#include "system/HexText.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace System;

TEST(HexText, FormatsArraysAndSingleValues) {
    std::string text;
    const std::uint8_t octets[] = {0x00, 0xAB, 0x01, 0xFF};
    OctetsToHexText(text, octets);
    EXPECT_EQ(text, "00AB01FF");
    OctetsToHexText(text, {});
    EXPECT_EQ(text, "");

    const std::uint8_t pair[] = {0xAB, 0x01};
    FormatHexArray(text, std::span<const std::uint8_t>(pair), ' ');
    EXPECT_EQ(text, "AB 01");
    FormatHexArray(text, std::span<const std::uint8_t>(pair), 0);
    EXPECT_EQ(text, "AB01");
    const std::uint16_t words[] = {0x1, 0xBEEF};
    FormatHexArray(text, std::span<const std::uint16_t>(words), ':');
    EXPECT_EQ(text, "0001:BEEF");
    const std::uint32_t longs[] = {0xA};
    FormatHexArray(text, std::span<const std::uint32_t>(longs), ',');
    EXPECT_EQ(text, "0000000A");
    const std::uint64_t quads[] = {0x0123456789ABCDEF, 1};
    FormatHexArray(text, std::span<const std::uint64_t>(quads), '-');
    EXPECT_EQ(text, "0123456789ABCDEF-0000000000000001");

    FormatHex8(text, 0x0F);
    EXPECT_EQ(text, "0F");
    FormatHex16(text, 1);
    EXPECT_EQ(text, "0001");
    FormatHex32(text, 0xDEADBEEF);
    EXPECT_EQ(text, "DEADBEEF");
}

TEST(HexText, ParsesArraysByWidthAndSeparator) {
    struct Case {
        const char* text;
        char separator;
        std::size_t capacity;
        ResultCode result;
        std::vector<std::uint8_t> elements;
    };
    const Case cases[] = {
        {"AB 01", ' ', 4, OkNoError, {0xAB, 0x01}},
        {"ab01ff", 0, 4, OkNoError, {0xAB, 0x01, 0xFF}},
        {"ABC", 0, 4, OkNoError, {0xAB, 0x0C}},
        {"AB 01 ", ' ', 4, OkNoError, {0xAB, 0x01}},
        {"01 02 03", ' ', 2, OkNoError, {0x01, 0x02}},
        {"1FF", ' ', 4, InvalidArguments, {}},
        {"01 1FF 02", ' ', 4, InvalidArguments, {0x01}},
        {"01  02", ' ', 4, InvalidArguments, {0x01}},
        {"0G", 0, 4, InvalidArguments, {}},
        {"0x1F", ' ', 4, InvalidArguments, {}},
        {"-1", ' ', 4, InvalidArguments, {}},
        {"", ' ', 4, OkNoError, {}},
        {"0001", ' ', 4, OkNoError, {0x01}},
    };
    for (const Case& c : cases) {
        std::array<std::uint8_t, 4> elements{};
        std::size_t count = 99;
        EXPECT_EQ(ParseHexArray(std::span<std::uint8_t>(elements.data(), c.capacity), count, c.text, c.separator),
                  c.result)
            << c.text;
        ASSERT_EQ(count, c.elements.size()) << c.text;
        for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(elements[i], c.elements[i]) << c.text;
    }
}

TEST(HexText, WiderElements) {
    std::array<std::uint16_t, 2> words{};
    std::size_t count = 0;
    EXPECT_EQ(ParseHexArray(std::span<std::uint16_t>(words), count, "0001BEEF", 0), OkNoError);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(words[0], 0x0001);
    EXPECT_EQ(words[1], 0xBEEF);
    EXPECT_EQ(ParseHexArray(std::span<std::uint16_t>(words), count, "10000", ','), InvalidArguments);
    std::array<std::uint64_t, 1> quads{};
    EXPECT_EQ(ParseHexArray(std::span<std::uint64_t>(quads), count, "FFFFFFFFFFFFFFFF", ','), OkNoError);
    EXPECT_EQ(quads[0], UINT64_MAX);
    std::array<std::uint32_t, 1> longs{};
    EXPECT_EQ(ParseHexArray(std::span<std::uint32_t>(longs), count, "100000000", ','), InvalidArguments);
}

TEST(HexText, SingleValuesMustFitWhole) {
    std::uint8_t u8 = 7;
    std::uint16_t u16 = 7;
    std::uint32_t u32 = 7;
    std::uint64_t u64 = 7;
    EXPECT_EQ(ParseHex16(u16, "0001"), OkNoError);
    EXPECT_EQ(u16, 1);
    EXPECT_EQ(ParseHex16(u16, " beef "), OkNoError);
    EXPECT_EQ(u16, 0xBEEF);
    EXPECT_EQ(ParseHex16(u16, "12345"), InvalidArguments);
    EXPECT_EQ(ParseHex16(u16, ""), InvalidArguments);
    EXPECT_EQ(ParseHex16(u16, "12 34"), InvalidArguments);
    EXPECT_EQ(u16, 0xBEEF);
    EXPECT_EQ(ParseHex8(u8, "FF"), OkNoError);
    EXPECT_EQ(u8, 0xFF);
    EXPECT_EQ(ParseHex8(u8, "100"), InvalidArguments);
    EXPECT_EQ(ParseHex32(u32, "FFFFFFFF"), OkNoError);
    EXPECT_EQ(u32, UINT32_MAX);
    EXPECT_EQ(ParseHex64(u64, "0123456789abcdef"), OkNoError);
    EXPECT_EQ(u64, 0x0123456789ABCDEFu);
    EXPECT_EQ(ParseHex64(u64, "10000000000000000"), InvalidArguments);
}

TEST(HexText, FormattedArraysReadBack) {
    const std::uint8_t octets[] = {0x00, 0x7F, 0x80, 0xFF, 0x10};
    for (char separator : {'\0', ' ', ':'}) {
        std::string text;
        FormatHexArray(text, std::span<const std::uint8_t>(octets), separator);
        std::array<std::uint8_t, 5> back{};
        std::size_t count = 0;
        ASSERT_EQ(ParseHexArray(std::span<std::uint8_t>(back), count, text, separator), OkNoError) << text;
        ASSERT_EQ(count, 5u);
        EXPECT_TRUE(std::equal(back.begin(), back.end(), octets)) << text;
    }
}
