#include "system/StringText.h"

#include <gtest/gtest.h>

using namespace System;

TEST(StringText, CompareNoCaseFoldsAsciiOnly) {
    EXPECT_EQ(System::CompareNoCase("XCBR", "xcbr"), 0);
    EXPECT_LT(System::CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(System::CompareNoCase("abcd", "ABC"), 0);
    EXPECT_LT(System::CompareNoCase("", "a"), 0);
    // Bytes above 127 are compared as they stand, whatever the locale says.
    EXPECT_NE(System::CompareNoCase("\xC4", "\xE4"), 0);
}

TEST(StringText, SplitStringKeepsEmptyParts) {
    struct Case {
        const char* text;
        std::vector<std::string> parts;
    };
    const Case cases[] = {
        {"a;b;", {"a", "b", ""}}, {"", {}}, {";", {"", ""}}, {"abc", {"abc"}}, {";;x", {"", "", "x"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> parts = {"stale"};
        EXPECT_EQ(SplitString(c.text, ';', parts), c.parts.size()) << c.text;
        EXPECT_EQ(parts, c.parts) << c.text;
    }
}

TEST(StringText, GetFieldFromEnd) {
    struct Case {
        const char* text;
        int n;
        ResultCode result;
        const char* field;
    };
    const Case cases[] = {
        {"x/y/z", 1, OkNoError, "z"},
        {"x/y/z", 2, OkNoError, "y"},
        {"x/y/z", 3, OkNoError, "x"},
        {"x/y/z", 4, OkNoError, ""},
        {"x/y/z", 0, InvalidArguments, "old"},
        {"x/y/z", -1, InvalidArguments, "old"},
        {"", 1, OkNoError, ""},
        {"top/mid/cotp/tcp", 4, OkNoError, "top"},
    };
    for (const Case& c : cases) {
        std::string field = "old";
        EXPECT_EQ(GetFieldFromEnd(c.text, '/', c.n, field), c.result) << c.text << " " << c.n;
        EXPECT_EQ(field, c.field) << c.text << " " << c.n;
    }
}

TEST(StringText, SplitAtFirstLastAndPosition) {
    std::string head, tail;
    SplitAtFirst("LD0/LLN0/Mod", '/', head, tail);
    EXPECT_EQ(head, "LD0");
    EXPECT_EQ(tail, "LLN0/Mod");
    SplitAtFirst("plain", '/', head, tail);
    EXPECT_EQ(head, "plain");
    EXPECT_EQ(tail, "");
    SplitAtLast("LD0/LLN0/Mod", '/', head, tail);
    EXPECT_EQ(head, "LD0/LLN0");
    EXPECT_EQ(tail, "Mod");
    SplitAtLast("plain", '/', head, tail);
    EXPECT_EQ(head, "");
    EXPECT_EQ(tail, "plain");
    SplitAtPosition("abcdef", 2, head, tail);
    EXPECT_EQ(head, "ab");
    EXPECT_EQ(tail, "cdef");
    SplitAtPosition("abc", 3, head, tail);
    EXPECT_EQ(head, "abc");
    EXPECT_EQ(tail, "");
    SplitAtPosition("abc", 10, head, tail);
    EXPECT_EQ(head, "abc");
    EXPECT_EQ(tail, "");
}

TEST(StringText, CopyTextBoundedAlwaysTerminates) {
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(CopyTextBounded(buffer, sizeof buffer, "abc"), OkNoError);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(CopyTextBounded(buffer, sizeof buffer, "abcd"), OutOfRange);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(CopyTextBounded(buffer, 1, "a"), OutOfRange);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(CopyTextBounded(buffer, 0, ""), OutOfRange);
}
