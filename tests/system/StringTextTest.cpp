#include "system/StringText.h"

#include <gtest/gtest.h>

TEST(StringText, CompareNoCaseFoldsAsciiOnly) {
    EXPECT_EQ(System::CompareNoCase("XCBR", "xcbr"), 0);
    EXPECT_LT(System::CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(System::CompareNoCase("abcd", "ABC"), 0);
    EXPECT_LT(System::CompareNoCase("", "a"), 0);
    // Bytes above 127 are compared as they stand, whatever the locale says.
    EXPECT_NE(System::CompareNoCase("\xC4", "\xE4"), 0);
}
