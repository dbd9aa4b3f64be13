#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "iec61850/acsi/model/ModelArray.h"
#include "iec61850/acsi/model/NamedObject.h"
#include "mms/values/BinaryTime.h"
#include "mms/values/BitString.h"
#include "mms/values/FloatingPoint.h"
#include "mms/values/Integer.h"
#include "mms/values/MMSString.h"
#include "mms/values/OctetString.h"
#include "mms/values/Structure.h"
#include "mms/values/Unsigned.h"
#include "mms/values/VisibleString.h"

namespace Iec61850::Acsi {
namespace {

using Scl::BasicTypeCode;

std::unique_ptr<Mms::Container> Made(std::int32_t code) {
    std::unique_ptr<Mms::Container> container;
    EXPECT_EQ(NamedObject::BasicTypeFactory(static_cast<BasicTypeCode>(code), container), System::OkNoError) << code;
    return container;
}

// "Integer 8" and the like: the class and its parameters in one text.
std::string Shape(Mms::Container& c) {
    const std::string name = c.GetClassName();
    auto size = [](const Mms::ContainerSize& s) {
        return " " + std::to_string(s.count) + (s.variable ? " variable" : " fixed");
    };
    if (auto* i = dynamic_cast<Mms::Integer*>(&c)) return name + " " + std::to_string(i->GetPrecision());
    if (auto* u = dynamic_cast<Mms::Unsigned*>(&c)) return name + " " + std::to_string(u->GetPrecision());
    if (auto* f = dynamic_cast<Mms::FloatingPoint*>(&c)) {
        return name + " " + std::to_string(f->GetFormatWidth()) + " " + std::to_string(f->GetExponentWidth()) + " " +
               std::to_string(f->GetMantissaWidth());
    }
    if (auto* b = dynamic_cast<Mms::BitString*>(&c)) {
        return name + size(b->GetSize()) + " unused " + std::to_string(b->GetUnusedBits());
    }
    if (auto* s = dynamic_cast<Mms::SizedString*>(&c)) return name + size(s->GetSize());
    if (auto* t = dynamic_cast<Mms::BinaryTime*>(&c)) return name + (t->HasSixOctets() ? " 6" : " 4");
    if (auto* s = dynamic_cast<Mms::Structure*>(&c)) return name + " " + std::to_string(s->GetComponentCount());
    if (auto* a = dynamic_cast<ModelArray*>(&c)) return "ModelArray " + std::to_string(a->GetElementCount());
    return name;
}

TEST(BasicTypeFactory, EveryCodeGivesItsContainer) {
    const std::vector<std::string> shapes = {
        "Boolean",                      // 0 BOOLEAN
        "Integer 8",                    // 1 INT8
        "Integer 16",                   // 2 INT16
        "Integer 24",                   // 3 INT24
        "Integer 32",                   // 4 INT32
        "Integer 128",                  // 5 INT128
        "Unsigned 8",                   // 6 INT8U
        "Unsigned 16",                  // 7 INT16U
        "Unsigned 24",                  // 8 INT24U
        "Unsigned 32",                  // 9 INT32U
        "FloatingPoint 32 8 23",        // 10 FLOAT32
        "FloatingPoint 64 11 52",       // 11 FLOAT64
        "Integer 8",                    // 12 Enum
        "BitString 13 fixed unused 0",  // 13 Check
        "BitString 13 fixed unused 0",  // 14 Dbpos
        "BitString 13 fixed unused 0",  // 15 Tcmd
        "BitString 13 fixed unused 0",  // 16 Quality
        "UTCTime",                      // 17 Timestamp
        "VisibleString 32 fixed",       // 18 VisString32
        "VisibleString 64 fixed",       // 19 VisString64
        "VisibleString 255 fixed",      // 20 VisString255
        "OctetString 64 fixed",         // 21 Octet64
        "Structure 0",                  // 22 Struct
        "BinaryTime 6",                 // 23 EntryTime
        "MMSString 255 fixed",          // 24 Unicode255
        "BitString 6 fixed unused 2",   // 25 TriggerConditions
        "VisibleString 65 fixed",       // 26 VisString65
        "BitString 10 fixed unused 6",  // 27 OptFlds
        "VisibleString 129 variable",   // 28 ObjectReference
        "",                             // 29 ObjectName: none
        "OctetString 8 fixed",          // 30 EntryID
        "ModelArray 0",                 // 31 Array
    };
    ASSERT_EQ(shapes.size(), Scl::BasicTypeCount);
    for (std::int32_t code = 0; code < static_cast<std::int32_t>(shapes.size()); ++code) {
        if (code == static_cast<std::int32_t>(BasicTypeCode::ObjectName)) continue;
        std::unique_ptr<Mms::Container> container = Made(code);
        ASSERT_NE(container, nullptr) << code;
        EXPECT_EQ(Shape(*container), shapes[code]) << code;
        EXPECT_EQ(container->GetBoundVariable(), nullptr);
        EXPECT_EQ(container->GetParent(), nullptr);
    }
}

TEST(BasicTypeFactory, CodesWithoutAContainer) {
    for (const std::int32_t code : {29, 32, -1, 1000}) {
        std::unique_ptr<Mms::Container> container = std::make_unique<Mms::Structure>();
        EXPECT_EQ(NamedObject::BasicTypeFactory(static_cast<BasicTypeCode>(code), container), System::Error) << code;
        EXPECT_EQ(container, nullptr) << code;
    }
}

// A value typed for a basic type that it does not fit is refused, and the value that was
// there stays.
TEST(BasicTypeFactory, ValuesThatDoNotFitAreRefusedAndTheOldValueKept) {
    struct Row {
        BasicTypeCode code;
        const char* good;
        std::vector<std::string> refused;
    };
    const std::vector<Row> rows = {
        {BasicTypeCode::BOOLEAN, "True", {"maybe", "1", ""}},
        {BasicTypeCode::INT8, "-128", {"128", "300", "abc", "", "1.5"}},
        {BasicTypeCode::INT16, "32767", {"32768", "-32769"}},
        {BasicTypeCode::INT32, "-2147483648", {"2147483648"}},
        {BasicTypeCode::INT8U, "255", {"256", "-1"}},
        {BasicTypeCode::INT32U, "4294967295", {"4294967296", "-1"}},
        {BasicTypeCode::Enum, "127", {"128", "on"}},
        {BasicTypeCode::FLOAT32, "1.5", {"1e39", "abc"}},
        {BasicTypeCode::Quality, "0000000000000", {"000000000000", "00000000000000", "0000000000002"}},
        {BasicTypeCode::ObjectReference, "LD0/LLN0$BR$brcb01", {std::string(130, 'x')}},
    };
    for (const Row& row : rows) {
        std::unique_ptr<Mms::Container> container = Made(static_cast<std::int32_t>(row.code));
        ASSERT_NE(container, nullptr);
        ASSERT_EQ(container->FromText(row.good), System::OkNoError) << row.good;
        std::string before;
        container->ToText(before);
        for (const std::string& copy : row.refused) {
            EXPECT_NE(container->FromText(copy), System::OkNoError) << static_cast<int>(row.code) << " " << copy;
            std::string after;
            container->ToText(after);
            EXPECT_EQ(after, before) << static_cast<int>(row.code) << " " << copy;
        }
    }
}

}  // namespace
}  // namespace Iec61850::Acsi
