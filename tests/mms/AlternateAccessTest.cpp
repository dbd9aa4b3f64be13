// Parts of array variables named on the wire as the array with an alternate access: the
// form an independent server lists its data sets in, and the server's reads and writes of
// the part selected.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mms/MmsObjectTestSupport.h"
#include "mms/MmsPduBuilders.h"
#include "mms/MmsWire.h"
#include "mms/pdu/AlternateAccess.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/user/IndexedItem.h"
#include "support/HarmonicsListAnswer.h"
#include "support/ToolCheck.h"

using namespace MmsObjectTest;
using ContainerTestSupport::DecodeHex;
using ContainerTestSupport::HexOf;
using Mms::AccessPath;
using Mms::AccessStep;

namespace {

AccessStep Range(std::uint32_t first, std::uint32_t count) { return {AccessStep::Kind::IndexRange, {}, first, count}; }

std::vector<std::uint8_t> Encode(const Mms::MmsPdu& pdu) {
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(Mms::MmsEncodePdu(pdu, bytes), System::OkNoError);
    return bytes;
}

TEST(AlternateAccess, AnotherServersListOfHarmonicsPartsIsReadAndAnsweredAlike) {
    const std::vector<std::uint8_t> answer = TestSupport::BytesFromHex(TestSupport::HarmonicsListAnswer);
    Mms::MmsPdu* pdu = nullptr;
    ASSERT_EQ(Mms::MmsDecodePdu(answer.data(), answer.size(), pdu), System::OkNoError);
    // The tables take the whole wire form: encoded again, it is the same octets.
    EXPECT_EQ(Encode(*pdu), answer);
    Mms::MmsGetNamedVariableListAttributesResponse& attributes =
        pdu->choice.confirmedResponse.service.choice.getNamedVariableListAttributes;
    const std::vector<AccessPath> paths = {
        {AccessStep::Element(7)},
        {AccessStep::Element(8)},
        {AccessStep::Element(9), AccessStep::Named("cVal")},
        {AccessStep::Element(10), AccessStep::Named("cVal"), AccessStep::Named("mag")},
        {AccessStep::Element(11), AccessStep::Named("cVal"), AccessStep::Named("mag"), AccessStep::Named("f")},
    };
    ASSERT_EQ(attributes.listOfVariable.Count(), 5);
    for (std::int32_t i = 0; i < 5; ++i) {
        const Mms::MmsVariableEntry& entry = *attributes.listOfVariable[i];
        std::string name;
        ASSERT_EQ(Mms::MmsObjectNameText(entry.variableSpecification.choice.name, name), System::OkNoError);
        EXPECT_EQ(name, "LD0/MHAI1$MX$HA$phsAHar");
        AccessPath path;
        ASSERT_NE(entry.alternateAccess, nullptr);
        ASSERT_EQ(Mms::MmsReadAlternateAccess(*entry.alternateAccess, path), System::OkNoError);
        EXPECT_EQ(path, paths[static_cast<std::size_t>(i)]) << i;
    }

    // A server whose list holds the variables of those parts answers the same octets.
    Mms::VMD vmd;
    auto* domain = new Mms::Domain(nullptr, "LD0", &vmd);
    ASSERT_EQ(vmd.AddObject(domain), System::OkNoError);
    auto* list = new Mms::NamedVariableList("LLN0$dsHar", domain);
    std::vector<std::unique_ptr<Mms::NamedVariable>> parts;
    for (const AccessPath& path : paths) {
        parts.push_back(
            std::make_unique<Mms::NamedVariable>(nullptr, Mms::IndexedItemOf("MHAI1$MX$HA$phsAHar", path), domain));
        list->Members.push_back(parts.back().get());
    }
    Mms::MmsGetNamedVariableListAttributesResponseType.free(&Mms::MmsGetNamedVariableListAttributesResponseType,
                                                            &attributes, 1);
    attributes = {};
    std::int32_t rejectCode = -1;
    ASSERT_EQ(vmd.GetNamedVariableListAttributes(*Name("LD0", "LLN0$dsHar"), attributes, rejectCode),
              System::OkNoError);
    EXPECT_EQ(Encode(*pdu), answer);
    // Built on the heap, the answer is not the decoded tree's to free.
    Mms::MmsGetNamedVariableListAttributesResponseType.free(&Mms::MmsGetNamedVariableListAttributesResponseType,
                                                            &attributes, 1);
    Mms::MmsFreePdu(pdu);

    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(MmsTest::MmsProblems({answer}), "");
    EXPECT_EQ(MmsTest::MmsFields({answer}, {"mms.index", "mms.component"}),
              (std::vector<std::string>{"7,8,9,10,11|cVal,cVal,mag,cVal,mag,f"}));
}

class SelectedParts : public ::testing::Test {
protected:
    void SetUp() override {
        domain = new Mms::Domain(nullptr, "LD0", &vmd);
        ASSERT_EQ(vmd.AddObject(domain), System::OkNoError);
        harmonics = AddVariable(*domain, "HA$phsAHar", ContainerTestSupport::ArrayType(3, StatusType()));
        ASSERT_NE(harmonics, nullptr);
        for (int i = 0; i < 3; ++i) {
            const std::string element = "HA$phsAHar(" + std::to_string(i) + ")";
            ASSERT_EQ(Mms::FindIndexedValue(*domain, element + "$stVal")->FromText(std::to_string(10 + i)),
                      System::OkNoError);
            ASSERT_EQ(Mms::FindIndexedValue(*domain, element + "$q")->FromText("0000000000000"), System::OkNoError);
        }
    }

    // A list of variables of one entry: the item with an alternate access of the path.
    static void Select(Mms::MmsVariableAccessSpecification& access, const char* item, const AccessPath& path) {
        access.present = Mms::MmsVariableAccessListOfVariable;
        ASSERT_EQ(Mms::MmsAppendVariableName(access.choice.listOfVariable, "LD0", item), System::OkNoError);
        ASSERT_EQ(Mms::MmsNewAlternateAccess(path, access.choice.listOfVariable[0]->alternateAccess),
                  System::OkNoError);
    }

    std::string StVals() {
        std::string texts;
        for (int i = 0; i < 3; ++i) {
            texts += Text(Mms::FindIndexedValue(*domain, "HA$phsAHar(" + std::to_string(i) + ")$stVal")) + " ";
        }
        return texts;
    }

    Mms::VMD vmd;
    Mms::Domain* domain = nullptr;
    Mms::NamedVariable* harmonics = nullptr;
    std::vector<std::vector<std::uint8_t>> images;  // every request and answer, for tshark
};

constexpr const char* kElement1 = "A2 08 85 01 0B 84 03 03 00 00";
constexpr const char* kElement2 = "A2 08 85 01 0C 84 03 03 00 00";

TEST_F(SelectedParts, AReadAnswersOnlyThePartSelected) {
    const struct {
        const char* what;
        const char* item;
        AccessPath path;
        std::string value;     // the part's Data, or empty
        std::int32_t failure;  // the DataAccessError when there is none
    } rows[] = {
        {"one element", "HA$phsAHar", {AccessStep::Element(1)}, kElement1, 0},
        {"a component in an element",
         "HA$phsAHar",
         {AccessStep::Element(2), AccessStep::Named("stVal")},
         "85 01 0C",
         0},
        {"a range, as an array", "HA$phsAHar", {Range(1, 2)}, std::string("A1 14 ") + kElement1 + " " + kElement2, 0},
        {"a component of every element",
         "HA$phsAHar",
         {{AccessStep::Kind::AllElements, {}, 0, 0}, AccessStep::Named("stVal")},
         "A1 09 85 01 0A 85 01 0B 85 01 0C",
         0},
        {"an index past the end", "HA$phsAHar", {AccessStep::Element(3)}, "", Mms::MmsObjectNonExistent},
        {"a range past the end", "HA$phsAHar", {Range(2, 2)}, "", Mms::MmsObjectNonExistent},
        {"a component an element lacks",
         "HA$phsAHar",
         {AccessStep::Element(0), AccessStep::Named("rms")},
         "",
         Mms::MmsObjectNonExistent},
        {"an index into a structure",
         "HA$phsAHar",
         {AccessStep::Element(0), AccessStep::Element(0)},
         "",
         Mms::MmsObjectNonExistent},
        {"an unknown variable", "HA$phsBHar", {AccessStep::Element(0)}, "", Mms::MmsInvalidAddress},
    };
    std::int32_t invokeId = 1;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Mms::MmsPdu* request = MmsTest::NewConfirmedRequest(invokeId);
        Mms::CoderValue<Mms::MmsVariableAccessSpecification> access(Mms::MmsVariableAccessSpecificationType);
        Select(*access, row.item, row.path);
        ASSERT_EQ(Mms::MmsFillReadRequest(request->choice.confirmedRequest.service, *access), System::OkNoError);
        Mms::MmsPdu* answer = MmsTest::NewConfirmedResponse(invokeId++);
        answer->choice.confirmedResponse.service.present = Mms::MmsServiceRead;
        Mms::MmsReadResponse& read = answer->choice.confirmedResponse.service.choice.read;
        std::int32_t rejectCode = -1;
        ASSERT_EQ(vmd.Read(request->choice.confirmedRequest.service.choice.read, read, rejectCode), System::OkNoError);
        ASSERT_EQ(read.listOfAccessResult.Count(), 1);
        const Mms::MmsAccessResult& result = *read.listOfAccessResult[0];
        if (row.value.empty()) {
            ASSERT_EQ(result.present, Mms::MmsAccessResultFailure);
            EXPECT_EQ(result.choice.failure, row.failure);
        } else {
            ASSERT_EQ(result.present, Mms::MmsAccessResultSuccess);
            EXPECT_EQ(HexOf(ContainerTestSupport::Encode(result.choice.success)), row.value);
        }
        images.push_back(MmsTest::EncodeAndFree(request));
        images.push_back(MmsTest::EncodeAndFree(answer));
    }
    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(MmsTest::MmsProblems(images), "");
    }
}

TEST_F(SelectedParts, AWriteChangesOnlyThePartSelected) {
    const struct {
        const char* what;
        AccessPath path;
        std::vector<const char*> value;
        std::int32_t failure;  // -1: taken
        const char* stVals;    // afterwards
    } rows[] = {
        {"a component in an element",
         {AccessStep::Element(1), AccessStep::Named("stVal")},
         {"85 01 05"},
         -1,
         "10 5 12 "},
        {"a range", {Range(1, 2), AccessStep::Named("stVal")}, {"A1 06 85 01 06 85 01 07"}, -1, "10 6 7 "},
        {"a range given too few elements",
         {Range(0, 2), AccessStep::Named("stVal")},
         {"A1 03 85 01 01"},
         Mms::MmsObjectAccessDenied,
         "10 6 7 "},
        {"a value the part refuses",
         {AccessStep::Element(0), AccessStep::Named("stVal")},
         {"8A 01 41"},
         Mms::MmsObjectAccessDenied,
         "10 6 7 "},
        {"an index past the end",
         {AccessStep::Element(3), AccessStep::Named("stVal")},
         {"85 01 01"},
         Mms::MmsObjectNonExistent,
         "10 6 7 "},
    };
    std::int32_t invokeId = 1;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Mms::MmsPdu* request = MmsTest::NewConfirmedRequest(invokeId);
        Mms::CoderValue<Mms::MmsVariableAccessSpecification> access(Mms::MmsVariableAccessSpecificationType);
        Mms::CoderValue<Mms::MmsDataList> data(Mms::MmsDataListType);
        Select(*access, "HA$phsAHar", row.path);
        for (const char* hex : row.value) {
            ContainerTestSupport::Data value = DecodeHex(hex);
            ASSERT_NE(value.get(), nullptr) << hex;
            Mms::MmsTakeOver(*Mms::MmsAppendNew(*data, Mms::MmsDataType), *value);
        }
        ASSERT_EQ(Mms::MmsFillWriteRequest(request->choice.confirmedRequest.service, *access, *data),
                  System::OkNoError);
        Mms::MmsPdu* answer = MmsTest::NewConfirmedResponse(invokeId++);
        answer->choice.confirmedResponse.service.present = Mms::MmsServiceWrite;
        Mms::MmsWriteResponse& written = answer->choice.confirmedResponse.service.choice.write;
        std::int32_t rejectCode = -1;
        ASSERT_EQ(vmd.Write(request->choice.confirmedRequest.service.choice.write, written, rejectCode),
                  System::OkNoError);
        ASSERT_EQ(written.Count(), 1);
        if (row.failure < 0) {
            EXPECT_EQ(written[0]->present, Mms::MmsWriteResultSuccess);
        } else {
            EXPECT_EQ(written[0]->present, Mms::MmsWriteResultFailure);
            EXPECT_EQ(written[0]->choice.failure, row.failure);
        }
        EXPECT_EQ(StVals(), row.stVals);
        images.push_back(MmsTest::EncodeAndFree(request));
        images.push_back(MmsTest::EncodeAndFree(answer));
    }
    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(MmsTest::MmsProblems(images), "");
    }
}

}  // namespace
