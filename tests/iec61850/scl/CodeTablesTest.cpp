#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "iec61850/scl/BasicTypeCode.h"
#include "iec61850/scl/FunctionalConstraintCode.h"

namespace Iec61850::Acsi::Scl {
namespace {

TEST(BasicTypeCode, NamesKeepTheirNumbersAndCase) {
    const char* const expected[] = {"BOOLEAN",
                                    "INT8",
                                    "INT16",
                                    "INT24",
                                    "INT32",
                                    "INT128",
                                    "INT8U",
                                    "INT16U",
                                    "INT24U",
                                    "INT32U",
                                    "FLOAT32",
                                    "FLOAT64",
                                    "Enum",
                                    "Check",
                                    "Dbpos",
                                    "Tcmd",
                                    "Quality",
                                    "Timestamp",
                                    "VisString32",
                                    "VisString64",
                                    "VisString255",
                                    "Octet64",
                                    "Struct",
                                    "EntryTime",
                                    "Unicode255",
                                    "TriggerConditions",
                                    "VisString65",
                                    "OptFlds",
                                    "ObjectReference",
                                    "ObjectName",
                                    "EntryID",
                                    "Array"};
    ASSERT_EQ(std::size(expected), BasicTypeCount);
    for (std::size_t code = 0; code < BasicTypeCount; ++code) {
        EXPECT_STREQ(BasicTypeName(static_cast<BasicTypeCode>(code)), expected[code]) << code;
    }
    EXPECT_EQ(static_cast<int>(BasicTypeCode::INT128), 5);
    EXPECT_EQ(static_cast<int>(BasicTypeCode::Struct), 22);
    EXPECT_EQ(static_cast<int>(BasicTypeCode::Array), 31);
}

TEST(BasicTypeCode, NameOfACodeOutOfRangeIsEmpty) {
    EXPECT_STREQ(BasicTypeName(static_cast<BasicTypeCode>(32)), "");
    EXPECT_STREQ(BasicTypeName(static_cast<BasicTypeCode>(-1)), "");
}

TEST(BasicTypeCode, LookupIgnoresAsciiCaseAndReportsFailureAsTrue) {
    struct Case {
        const char* name;
        bool fails;
        int code;
    };
    const Case cases[] = {
        {"timestamp", false, 17}, {"array", false, 31},       {"BOOLEAN", false, 0},
        {"boolean", false, 0},    {"VISSTRING65", false, 26}, {"visstring64", false, 19},
        {"enum", false, 12},      {"dbpos", false, 14},       {"INT64", true, -7},
        {"", true, -7},           {"Struct ", true, -7},      {"INT8\xC3\x9C", true, -7},
    };
    for (const Case& c : cases) {
        auto code = static_cast<BasicTypeCode>(-7);
        EXPECT_EQ(BasicTypeCodeFromName(c.name, code), c.fails) << c.name;
        EXPECT_EQ(static_cast<int>(code), c.code) << c.name;
        const auto found = FindBasicTypeCode(c.name);
        EXPECT_EQ(found.has_value(), !c.fails) << c.name;
    }
    auto code = BasicTypeCode::Quality;
    EXPECT_TRUE(BasicTypeCodeFromName(nullptr, code));
    EXPECT_EQ(code, BasicTypeCode::Quality);
}

TEST(BasicTypeCode, EveryNameFindsItsOwnCodeInAnyCase) {
    for (std::size_t code = 0; code < BasicTypeCount; ++code) {
        std::string lower = BasicTypeNames[code];
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(FindBasicTypeCode(lower), static_cast<BasicTypeCode>(code)) << lower;
    }
}

TEST(FunctionalConstraintCode, NamesKeepTheirNumbers) {
    const char* const expected[] = {"ST", "MX", "CO", "SP", "SV", "CF", "DC", "SG", "SE",
                                    "EX", "BR", "RP", "LG", "GO", "GS", "MS", "US", "XX"};
    ASSERT_EQ(std::size(expected), FunctionalConstraintCount);
    for (std::size_t code = 0; code < FunctionalConstraintCount; ++code) {
        EXPECT_STREQ(FunctionalConstraintName(static_cast<FunctionalConstraintCode>(code)), expected[code]);
        EXPECT_EQ(FindFunctionalConstraintCode(expected[code]), static_cast<FunctionalConstraintCode>(code));
    }
}

TEST(FunctionalConstraintCode, CodesOutsideTheTableHaveNoName) {
    EXPECT_EQ(FunctionalConstraintName(static_cast<FunctionalConstraintCode>(18)), nullptr);
    EXPECT_EQ(FunctionalConstraintName(static_cast<FunctionalConstraintCode>(-1)), nullptr);
}

TEST(FunctionalConstraintCode, LookupIgnoresAsciiCaseAndMisses) {
    EXPECT_EQ(FindFunctionalConstraintCode("st"), FunctionalConstraintCode::ST);
    EXPECT_EQ(FindFunctionalConstraintCode("xX"), FunctionalConstraintCode::XX);
    EXPECT_EQ(FindFunctionalConstraintCode("Br"), FunctionalConstraintCode::BR);
    EXPECT_FALSE(FindFunctionalConstraintCode("QQ"));
    EXPECT_FALSE(FindFunctionalConstraintCode(""));
    EXPECT_FALSE(FindFunctionalConstraintCode("STX"));
    EXPECT_FALSE(FindFunctionalConstraintCode("S"));
}

}  // namespace
}  // namespace Iec61850::Acsi::Scl
