#include "system/ResultCode.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

TEST(ResultCode, TextsCoverTheTableAndNothingElse) {
    EXPECT_EQ(std::string(System::ResultCodeText(0)), "OkNoError");
    EXPECT_EQ(std::string(System::ResultCodeText(14)), "NotSupported");
    EXPECT_EQ(std::string(System::ResultCodeText(20)), "NotFound");
    for (int code : {21, -1, 1000}) EXPECT_EQ(std::string(System::ResultCodeText(code)), "Unknown error");
}

TEST(ResultCode, ErrnoMapping) {
    EXPECT_EQ(System::ResultFromErrno(0), System::OkNoError);
    EXPECT_EQ(System::ResultFromErrno(ENOMEM), System::NoResources);
    EXPECT_EQ(System::ResultFromErrno(ERANGE), System::OutOfRange);
    EXPECT_EQ(System::ResultFromErrno(EINVAL), System::Error);
}
