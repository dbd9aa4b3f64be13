#include <gtest/gtest.h>

#include <string>

#include "iec61850/acsi/client/ControlServices.h"
#include "mms/pdu/MmsPdu.h"

namespace Iec61850::Acsi {
namespace {

TEST(ControlAnswers, AccessErrorsGiveTheControlErrorAndOtherAnswersNone) {
    struct Case {
        std::int32_t errorClass;
        std::int32_t code;
        std::int32_t controlError;
    };
    const Case cases[] = {
        {Mms::MmsErrorClassAccess, 1, 2},
        {Mms::MmsErrorClassAccess, 2, -1},
        {Mms::MmsErrorClassAccess, 3, 3},
        {Mms::MmsErrorClassAccess, 4, 4},
        {Mms::MmsErrorClassAccess, 10, -1},
        {Mms::MmsErrorClassDefinition, 1, 0},
        {0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ControlErrorFromAnswer(c.errorClass, c.code), c.controlError) << c.errorClass << "/" << c.code;
    }
}

TEST(ControlAnswers, TheSelectAnswerNamesTheObjectInItsMmsForm) {
    EXPECT_EQ(ControlObjectMmsReference("LD0/CSWI1.Pos"), "LD0/CSWI1$CO$Pos");
    EXPECT_EQ(ControlObjectMmsReference("LD0/GGIO1.SPCSO1.sub"), "LD0/GGIO1$CO$SPCSO1$sub");
    EXPECT_EQ(ControlObjectMmsReference("no-device"), "no-device");
}

TEST(ControlAnswers, AControlNumberIsADecimalFrom0To255) {
    for (const char* accepted : {"0", "1", "42", "255"}) EXPECT_TRUE(ParseControlNumber(accepted)) << accepted;
    for (const char* refused : {"", "256", "300", "-1", "1x", " 1", "0x10", "99999999999"}) {
        EXPECT_FALSE(ParseControlNumber(refused)) << refused;
    }
}

}  // namespace
}  // namespace Iec61850::Acsi
