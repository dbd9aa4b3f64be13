#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "iec61850/acsi/model/AcsiTexts.h"

namespace Iec61850::Acsi {
namespace {

TEST(AcsiTexts, ServiceErrorsAreTheTableThenTheExtendedForm) {
    const std::vector<std::string> table = {
        "no-error",
        "instance-not-available",
        "instance-in-use",
        "access-violation",
        "access-not-allowed-in-current-state",
        "parameter-value-inappropriate",
        "parameter-value-inconsistent",
        "class-not-supported",
        "instance-locked-by-other-client",
        "control-must-be-selected",
        "type-conflict",
        "failed-due-to-communications-constraint",
        "failed-due-to-server-constraint",
    };
    for (std::int32_t code = 0; code < static_cast<std::int32_t>(table.size()); ++code) {
        EXPECT_EQ(ServiceErrorText(code), table[code]) << code;
    }
    EXPECT_EQ(ServiceErrorText(-1), "");
    EXPECT_EQ(ServiceErrorText(13), "Extended Error :13");
    EXPECT_EQ(ServiceErrorText(14), "Extended Error :14");
    EXPECT_EQ(ServiceErrorText(-2), "Extended Error :-2");
    EXPECT_EQ(ServiceErrorText(INT32_MIN), "Extended Error :-2147483648");
    EXPECT_EQ(ServiceErrorText(INT32_MAX), "Extended Error :2147483647");
}

TEST(AcsiTexts, ControlErrorsAreTheTableThenTheExtendedForm) {
    const std::vector<std::string> table = {"no-error", "temporrarily-unavailable", "hardware-fault",
                                            "object-access-denied", "object-undefined"};
    for (std::int32_t code = 0; code < static_cast<std::int32_t>(table.size()); ++code) {
        EXPECT_EQ(ControlErrorText(code), table[code]) << code;
    }
    EXPECT_EQ(ControlErrorText(-1), "unknown");
    EXPECT_EQ(ControlErrorText(INT32_MIN), "unknown");
    EXPECT_EQ(ControlErrorText(5), "Control Extended Error :5");
    EXPECT_EQ(ControlErrorText(1000), "Control Extended Error :1000");
}

TEST(AcsiTexts, LastApplErrorsAndAddCausesByTheirNames) {
    struct Row {
        std::int32_t code;
        const char* name;
    };
    for (const Row& row : {Row{0, "Unknown"}, Row{1, "Not-supported"}, Row{8, "Blocked-by-Mode"},
                           Row{14, "1-of-n-control"}, Row{18, "Object-not-selected"}, Row{25, "None"},
                           Row{27, "Locked-by-other-client"}, Row{28, "Unknown"}, Row{-1, "Unknown"}}) {
        EXPECT_EQ(AddCauseText(row.code), row.name) << row.code;
    }
    for (const Row& row : {Row{0, "No-error"}, Row{1, "Unknown"}, Row{2, "Timeout-test-not-ok"},
                           Row{3, "Operator-test-not-ok"}, Row{4, "Unknown"}, Row{-1, "Unknown"}}) {
        EXPECT_EQ(ControlLastApplErrorText(row.code), row.name) << row.code;
    }
}

TEST(AcsiTexts, ObjectClassesBothWays) {
    struct Row {
        const char* name;
        std::int32_t code;
        bool named;
    };
    const std::vector<Row> rows = {
        {"LOGICAL-DEVICE", 4, true}, {"LOGICAL-NODE", 5, true}, {"FILE", 6, true},  {"DATA", 7, true},
        {"DATA-SET", 9, true},       {"BRCB", 10, true},        {"URCB", 11, true}, {"LCB", 12, true},
        {"SGCB", 13, true},          {"LOG", 14, true},         {"GoCB", 15, true}, {"GsCB", 16, true},
        {"MSVCB", 17, false},        {"USVCB", 18, false},
    };
    for (const Row& row : rows) {
        std::int32_t code = -7;
        EXPECT_EQ(ObjectClassFromText(row.name, code), System::OkNoError) << row.name;
        EXPECT_EQ(code, row.code) << row.name;
        EXPECT_EQ(ObjectClassText(row.code), row.named ? row.name : "UNKNOWN") << row.code;
    }
    for (const std::int32_t code : {-1, 0, 1, 2, 3, 8, 19, 20, 21, 100}) {
        EXPECT_EQ(ObjectClassText(code), "UNKNOWN") << code;
    }
}

TEST(AcsiTexts, ObjectClassNamesMatchExactly) {
    for (const char* text : {"data", "Data", "GOCB", "gocb", "DATA ", " DATA", "", "DATASET", "LOGICAL_NODE"}) {
        std::int32_t code = -7;
        EXPECT_EQ(ObjectClassFromText(text, code), System::InvalidArguments) << text;
        EXPECT_EQ(code, -7) << text;
    }
}

}  // namespace
}  // namespace Iec61850::Acsi
