#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/client/ControlCommand.h"

namespace AppTest {
namespace {

using namespace App;
using Iec61850::Activation;
using Iec61850::SelectBy;

// A client that records the control requests instead of sending them.
class RecordingControlClient : public Iec61850::ClientApplication {
public:
    struct Call {
        std::string service;
        std::string reference;
        Iec61850::AttributeRecords records;
        std::string test;
        std::string t;
        std::string check;
        Activation activation = Activation::Immediate;
        SelectBy selectBy = SelectBy::Unsupported;
        bool operator==(const Call&) const = default;
    };

    System::ResultCode Select(std::uint32_t&, const std::string& reference, SelectBy selectBy) override {
        calls.push_back({"Select", reference, {}, {}, {}, {}, {}, selectBy});
        return System::OkNoError;
    }
    System::ResultCode SelectWithValue(std::uint32_t&, const std::string& reference,
                                       const Iec61850::AttributeRecords& values, const std::string& test,
                                       const std::string& t, const std::string& check, Activation activation) override {
        calls.push_back({"SelectWithValue", reference, values, test, t, check, activation});
        return System::OkNoError;
    }
    System::ResultCode Operate(std::uint32_t&, const std::string& reference, const Iec61850::AttributeRecords& values,
                               const std::string& test, const std::string& t, const std::string& check,
                               Activation activation) override {
        calls.push_back({"Operate", reference, values, test, t, check, activation});
        return System::OkNoError;
    }
    System::ResultCode Cancel(std::uint32_t&, const std::string& reference, const Iec61850::AttributeRecords& values,
                              const std::string& test, const std::string& t, Activation activation) override {
        calls.push_back({"Cancel", reference, values, test, t, {}, activation});
        return System::OkNoError;
    }

    std::vector<Call> calls;
};

// The originator "Qx" as the octets the library takes in hex.
const Iec61850::AttributeRecords kRecords = {
    {"ctlVal", "True"}, {"origin.orCat", "6"}, {"origin.orIdent", "5178"}, {"ctlNum", "1"}};
const std::string kT = "2012-6-4 9:5:3.27";

TEST(ControlCommand, TheAttributesEndingChoosesTheService) {
    using Call = RecordingControlClient::Call;
    struct Case {
        std::string attribute;
        std::vector<Call> expected;
    };
    const Case cases[] = {
        {"LD0/CSWI1.Pos.Oper", {{"Operate", "LD0/CSWI1.Pos", kRecords, "False", kT, "00", Activation::Immediate}}},
        {"LD0/CSWI1.Pos.SBOw",
         {{"SelectWithValue", "LD0/CSWI1.Pos", kRecords, "False", kT, "00", Activation::Immediate}}},
        {"LD0/CSWI1.Pos.SBO", {{"Select", "LD0/CSWI1.Pos", {}, {}, {}, {}, {}, SelectBy::ReadingSbo}}},
        {"LD0/CSWI1.Pos.Cancel", {{"Cancel", "LD0/CSWI1.Pos", kRecords, "False", kT, {}, Activation::Immediate}}},
        // Only where the suffix first occurs counts.
        {"X.Oper.Y.Cancel", {{"Cancel", "LD0/CSWI1.Pos", kRecords, "False", kT, {}, Activation::Immediate}}},
        {"X.Cancel.Y.Cancel", {}},
        {"LD0/CSWI1.Pos.stVal", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attribute);
        RecordingControlClient client;
        EXPECT_EQ(ExecuteControl(client, {"True", c.attribute, "LD0/CSWI1.Pos", kT}), System::OkNoError);
        EXPECT_EQ(client.calls, c.expected);
    }
}

TEST(ControlCommand, TheTimeIsUtcWithoutLeadingZeros) {
    using namespace std::chrono;
    const auto day = sys_days{year{2012} / June / 4};
    EXPECT_EQ(FormatControlTime(day + hours{9} + minutes{5} + seconds{3} + milliseconds{27}), "2012-6-4 9:5:3.27");
    EXPECT_EQ(FormatControlTime(sys_days{year{1999} / December / 31} + hours{23} + minutes{59} + seconds{59} +
                                milliseconds{999}),
              "1999-12-31 23:59:59.999");
    EXPECT_EQ(FormatControlTime(day + microseconds{999}), "2012-6-4 0:0:0.0");
}

}  // namespace
}  // namespace AppTest
