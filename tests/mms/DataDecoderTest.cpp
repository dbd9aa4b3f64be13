// The read answer applied straight from its octets agrees with the generic decode
// followed by FromData / ApplyReadResult, over every kind of answer; and the frame keeps
// the octets only of read answers in the form that the decoder takes.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "mms/ContainerTestSupport.h"
#include "mms/ReadPathAgreement.h"
#include "mms/machine/MmsFrame.h"
#include "mms/pdu/MmsPduServices.h"
#include "mms/user/ModelHold.h"
#include "mms/user/VMD.h"

using ContainerTestSupport::Bytes;
using ContainerTestSupport::Hex;

namespace {

// Structures nested `levels` deep around an integer.
std::string Nested(int levels) {
    Bytes inner = Hex("85 01 2A");
    for (int i = 1; i < levels; ++i) {
        Bytes outer{0xA2};
        if (inner.size() >= 0x80) outer.push_back(0x81);
        outer.push_back(static_cast<std::uint8_t>(inner.size()));
        outer.insert(outer.end(), inner.begin(), inner.end());
        inner = outer;
    }
    return ContainerTestSupport::HexOf(inner);
}

struct Answer {
    const char* what;
    std::string results;  // the content of listOfAccessResult
    bool plain;           // taken by the decoder
    bool decodes;         // taken by the generic coder
};

const std::vector<Answer>& Answers() {
    static const std::vector<Answer> answers = {
        {"booleans", "83 01 FF 83 01 00 83 00 83 02 00 05", true, true},
        {"bit strings", "84 03 03 A0 08 84 01 00 84 02 06 C0", true, true},
        {"integers", "85 01 2A 85 01 80 85 02 00 FF 85 00", true, true},
        {"integers beyond 64 bits", "85 09 01 00 00 00 00 00 00 00 00 85 05 00 FF FF FF FF", true, true},
        {"unsigned", "86 01 07 86 02 00 FF 86 05 00 FF FF FF FF 86 01 FF", true, true},
        {"floats", "87 05 08 43 66 80 00 87 09 0B 40 6C D0 00 00 00 00 00 87 03 08 00 00", true, true},
        {"octet strings", "89 02 AB CD 89 00", true, true},
        {"visible strings", "8A 05 68 65 6C 6C 6F 8A 00", true, true},
        {"generalized time", "8B 0F 32 30 32 36 31 32 30 37 31 31 33 30 30 30 5A", true, true},
        {"binary time", "8C 04 00 00 10 00 8C 06 00 00 10 00 2E 5E 8C 05 00 00 00 00 00", true, true},
        {"bcd", "8D 01 12 8D 02 01 23", true, true},
        {"boolean array", "8E 02 04 F0", true, true},
        {"object identifier", "8F 03 2B 06 01", true, true},
        {"MMS strings", "90 03 E2 82 AC 90 00", true, true},
        {"UTC time", "91 08 5F 00 00 00 80 00 00 0A 91 04 00 00 00 00", true, true},
        {"access errors", "80 01 0A 80 01 03 80 00 80 05 00 00 00 00 07 80 01 63", true, true},
        {"access error beyond 32 bits", "80 05 01 00 00 00 00", false, false},
        {"constructed access error", "A0 03 02 01 01", false, false},
        {"structure of leaves", "A2 0B 85 01 07 84 03 03 00 00 83 01 FF", true, true},
        {"nested structures", "A2 11 A2 07 87 05 08 43 66 80 00 A2 06 85 01 01 83 01 00", true, true},
        {"array of integers", "A1 09 85 01 01 85 01 02 85 01 03", true, true},
        {"array with a float among integers", "A1 0A 85 01 01 87 05 08 3F 80 00 00", true, true},
        {"array of structures", "A1 0A A2 03 85 01 01 A2 03 85 01 02", true, true},
        {"empty structure and array", "A2 00 A1 00", true, true},
        {"structure of another count", "A2 03 85 01 01 A2 06 85 01 01 85 01 02", true, true},
        {"wrong choices", "85 01 01 87 05 08 3F 80 00 00 A2 03 85 01 01 89 01 00 A1 03 85 01 01", true, true},
        {"unknown alternatives", "88 01 00 05 00 C3 00 43 00 A2 07 88 00 A0 00 85 01 01", true, true},
        {"long-form lengths", "85 81 01 07 A2 84 00 00 00 03 85 01 01", true, true},
        {"high tag number", "9F 05 01 07", false, true},
        {"constructed octet string", "A9 04 04 02 AB CD", false, true},
        {"constructed bit string", "A4 04 03 02 00 FF", false, true},
        {"primitive structure", "82 00", false, false},
        {"constructed integer", "A5 03 02 01 01", false, false},
        {"bit string without its count", "84 00", false, false},
        {"bit string with unused bits and no octet", "84 01 03", false, false},
        {"bit string with eight unused bits", "84 02 08 00", false, false},
        {"indefinite length", "A2 80 85 01 01 00 00", false, false},
        {"truncated element", "A2 05 85 01 01", false, false},
        {"truncated length", "85 82 01", false, false},
        {"overlong length", "89 84 01 00 00 00 00", false, false},
        {"member overrunning its structure", "A2 03 85 05 01 02 03 04 05", false, false},
        {"24 levels of nesting", Nested(24), true, true},
        {"25 levels of nesting", Nested(25), false, false},
        {"25 levels among other results", "85 01 01 " + Nested(25), false, false},
    };
    return answers;
}

// A confirmed read answer with invoke id 5 around the results.
Bytes ReadAnswer(const std::string& prefix, const std::string& results, const std::string& suffix = "") {
    Bytes list = Hex(results);
    Bytes read = Hex(prefix);
    read.push_back(0xA1);
    read.push_back(static_cast<std::uint8_t>(list.size()));
    read.insert(read.end(), list.begin(), list.end());
    Bytes pdu = Hex("02 01 05 A4");
    pdu.push_back(static_cast<std::uint8_t>(read.size()));
    pdu.insert(pdu.end(), read.begin(), read.end());
    const Bytes after = Hex(suffix);
    pdu.insert(pdu.end(), after.begin(), after.end());
    Bytes whole{0xA1, static_cast<std::uint8_t>(pdu.size())};
    whole.insert(whole.end(), pdu.begin(), pdu.end());
    return whole;
}

}  // namespace

TEST(DataDecoder, TakesOnlyAnswersThatTheGenericCoderTakesToo) {
    for (const Answer& answer : Answers()) {
        SCOPED_TRACE(answer.what);
        const Bytes content = Hex(answer.results);
        std::size_t count = 0;
        EXPECT_EQ(Mms::DataDecoder::CheckAccessResults(content, count), answer.plain);
        const ReadPathAgreement::DecodedResults decoded(content);
        ASSERT_EQ(decoded.Get() != nullptr, answer.decodes);
        if (answer.plain) {
            EXPECT_EQ(count, static_cast<std::size_t>(decoded.Get()->Count()));
        }
    }
}

TEST(DataDecoder, LeavesTheContainersAsTheGenericDecodeAndFromDataDo) {
    for (const Answer& answer : Answers()) {
        SCOPED_TRACE(answer.what);
        EXPECT_EQ(ReadPathAgreement::CompareResults(Hex(answer.results)), "");
    }
}

TEST(DataDecoder, AStructureKeepsARefusedComponentAndAnArrayStopsAtItsFirstRefusal) {
    // The agreement above holds these too; here the outcome itself is pinned down.
    struct Case {
        const char* what;
        const char* first;
        const char* second;
        System::ResultCode result;
        const char* text;  // member texts after the second value
    };
    const Case cases[] = {
        {"structure", "A2 06 85 01 01 85 01 02", "A2 08 85 01 03 87 03 08 00 00", System::OkNoError, "3 2"},
        {"array", "A1 06 85 01 01 85 01 02", "A1 0A 87 05 08 3F 80 00 00 85 01 04", System::InvalidArguments, "1 2"},
        {"count mismatch", "A2 06 85 01 01 85 01 02", "A2 03 85 01 09", System::InvalidArguments, "1 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Mms::Variable variable;
        const Bytes first = Hex(c.first);
        const Bytes second = Hex(c.second);
        Mms::DataDecoder::Element element;
        ASSERT_TRUE(Mms::DataDecoder::ReadElement(first, element));
        ASSERT_EQ(Mms::AccessResults::Apply(variable, element), System::OkNoError);
        Mms::Container* value = variable.GetValue();
        ASSERT_NE(value, nullptr);
        ASSERT_TRUE(Mms::DataDecoder::ReadElement(second, element));
        EXPECT_EQ(Mms::AccessResults::Apply(variable, element), c.result);
        EXPECT_EQ(variable.GetValue(), value);  // the container read into, not a new one
        const auto memberText = [value](std::size_t index) {
            auto* structure = dynamic_cast<Mms::Structure*>(value);
            Mms::Container* member = structure != nullptr ? structure->GetComponent(index)
                                                          : static_cast<Mms::Array*>(value)->GetElement(index);
            std::string text;
            member->ToText(text);
            return text;
        };
        EXPECT_EQ(memberText(0) + " " + memberText(1), c.text);
    }
}

TEST(MmsFrame, KeepsTheResultsOfAPlainReadAnswerOnlyWhenAskedTo) {
    struct Case {
        const char* what;
        Bytes pdu;
        bool kept;
    };
    const std::string results = "85 01 07 A2 03 83 01 FF 80 01 0A";
    const Case cases[] = {
        {"plain answer", ReadAnswer("", results), true},
        {"naming the variables read", ReadAnswer("A0 08 A1 06 80 04 4C 4C 4E 30", results), true},
        {"empty list", ReadAnswer("", ""), true},
        {"results nested as deep as taken", ReadAnswer("", Nested(24)), true},
        {"results nested deeper", ReadAnswer("", Nested(25)), false},
        {"results the decoder leaves to the coder", ReadAnswer("", "A9 04 04 02 AB CD"), false},
        {"an element after the read answer", ReadAnswer("", results, "85 00"), false},
        {"an answer of another service", Hex("A1 05 02 01 05 A5 00"), false},
        {"malformed results", ReadAnswer("", "A2 05 85 01 01"), false},
        {"malformed names of the variables read", ReadAnswer("A0 02 A1 05", results), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Mms::MmsPdu* generic = nullptr;
        const bool decodes = Mms::MmsDecodePdu(c.pdu.data(), c.pdu.size(), generic) == System::OkNoError;
        Mms::MmsFrame whole(nullptr, c.pdu);
        Mms::MmsFrame keeping(nullptr, c.pdu, true);
        EXPECT_EQ(whole.IsDecoded(), decodes);
        EXPECT_EQ(keeping.IsDecoded(), decodes);
        EXPECT_FALSE(whole.KeepsReadResults());
        EXPECT_EQ(keeping.KeepsReadResults(), c.kept);
        if (c.kept) {
            const Mms::MmsConfirmedResponsePdu& expected = generic->choice.confirmedResponse;
            const Mms::MmsConfirmedResponsePdu& got = keeping.GetPdu()->choice.confirmedResponse;
            EXPECT_EQ(got.invokeId, expected.invokeId);
            ASSERT_EQ(got.service.present, Mms::MmsServiceRead);
            EXPECT_EQ(got.service.choice.read.variableAccessSpecification != nullptr,
                      expected.service.choice.read.variableAccessSpecification != nullptr);
            EXPECT_EQ(got.service.choice.read.listOfAccessResult.Count(), 0);
            EXPECT_EQ(keeping.GetReadResultCount(),
                      static_cast<std::size_t>(expected.service.choice.read.listOfAccessResult.Count()));
            EXPECT_EQ(ReadPathAgreement::CompareResults(keeping.GetReadResults()), "");
        }
        Mms::MmsFreePdu(generic);
    }
}

TEST(Variable, AFailureCodeThatCannotBeKeptIsRefusedAndLeavesTheValueAsItWas) {
    struct Case {
        const char* failure;  // the AccessResult as received
        System::ResultCode outcome;
    };
    const Case cases[] = {
        {"80 01 0B", Mms::AccessErrorBase + 11},  {"80 01 0C", Mms::AccessErrorBase + 12},
        {"80 04 7F FF FE FF", INT32_MAX},         {"80 04 7F FF FF 00", System::InvalidResponse},  // would overflow
        {"80 02 FF 00", System::InvalidResponse},  // -256: would read as success
        {"80 01 FF", System::InvalidResponse},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failure);
        const Bytes value = Hex("85 01 05");
        const Bytes failure = Hex(c.failure);
        Mms::DataDecoder::Element element;
        ASSERT_TRUE(Mms::DataDecoder::ReadElement(failure, element));
        const ReadPathAgreement::DecodedResults decoded(failure);
        ASSERT_NE(decoded.Get(), nullptr);
        const std::int32_t code = (*decoded.Get())[0]->choice.failure;

        Mms::Variable unread;
        EXPECT_EQ(Mms::AccessResults::Apply(unread, element), c.outcome);
        EXPECT_EQ(unread.ApplyReadResult(*(*decoded.Get())[0]), c.outcome);
        Mms::Variable read;
        Mms::Variable written;
        for (Mms::Variable* variable : {&read, &written}) {
            Mms::DataDecoder::Element integer;
            ASSERT_TRUE(Mms::DataDecoder::ReadElement(value, integer));
            ASSERT_EQ(Mms::AccessResults::Apply(*variable, integer), System::OkNoError);
        }
        EXPECT_EQ(Mms::AccessResults::Apply(read, element), c.outcome);
        Mms::MmsWriteResult result{};
        result.present = Mms::MmsWriteResultFailure;
        result.choice.failure = code;
        const Mms::ModelHold hold(Mms::VMD::Of(&written));
        EXPECT_EQ(written.ApplyWriteResult(hold, result), c.outcome);
        for (Mms::Variable* variable : {&read, &written}) {
            const bool refused = c.outcome == System::InvalidResponse;
            EXPECT_EQ(variable->GetValue()->GetState(), refused ? Mms::StateValid : Mms::StateAccessError);
            EXPECT_EQ(variable->GetValue()->ErrStatus, refused ? System::OkNoError : c.outcome);
        }
    }
}
