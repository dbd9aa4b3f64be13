// A data set whose members are parts of array elements, listed as an independent server
// lists them (the array's name with an alternate access), resolved to the model's items.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/association/ReadingSession.h"
#include "mms/pdu/AlternateAccess.h"
#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/NamedVariableList.h"
#include "support/HarmonicsListAnswer.h"
#include "support/WireCheck.h"

namespace ModelReadTest {
namespace {

using Mms::AccessPath;
using Mms::AccessStep;

std::vector<std::string> MemberItems(Server& server, const DataSet& dataSet) {
    const Mms::ModelHold hold(&server);
    std::vector<std::string> items;
    for (const NamedObject* member : dataSet.GetMembers())
        items.push_back(member->GetFcName() + " " + member->GetReference());
    return items;
}

// The device's harmonics node has the shape of the one that answered: the answer resolves
// member by member to the element's item or the component below it. A selection the model
// has no item for leaves the list unresolved, with its reason.
TEST(ArrayPartMembers, AnotherServersListResolvesToElementItemsAndTheirComponents) {
    TestDevice::Device::Options options;
    options.model.harmonics = true;
    ReadingSession session(options);
    ASSERT_EQ(session.Read(), ModelReader::ResultRead);
    DataSet* dataSet = nullptr;
    ASSERT_EQ(session.server->FindDataSet("LD0/LLN0.dsHar", dataSet), System::OkNoError);
    Mms::NamedVariableList* list = dataSet->GetList();
    ASSERT_NE(list, nullptr);

    const std::vector<std::uint8_t> answer = TestSupport::BytesFromHex(TestSupport::HarmonicsListAnswer);
    Mms::MmsPdu* pdu = nullptr;
    ASSERT_EQ(Mms::MmsDecodePdu(answer.data(), answer.size(), pdu), System::OkNoError);
    {
        const Mms::ModelHold hold(session.server.get());
        list->Members.clear();
        EXPECT_EQ(list->ApplyAttributes(pdu->choice.confirmedResponse.service.choice.getNamedVariableListAttributes),
                  System::OkNoError);
    }
    Mms::MmsFreePdu(pdu);
    ASSERT_EQ(dataSet->Build(), System::OkNoError);
    EXPECT_EQ(MemberItems(*session.server, *dataSet),
              (std::vector<std::string>{"MX LD0/MHAI1.HA.phsAHar.[7]", "MX LD0/MHAI1.HA.phsAHar.[8]",
                                        "MX LD0/MHAI1.HA.phsAHar.[9].cVal", "MX LD0/MHAI1.HA.phsAHar.[10].cVal.mag",
                                        "MX LD0/MHAI1.HA.phsAHar.[11].cVal.mag.f"}));

    const struct {
        const char* what;
        AccessPath path;
        System::ResultCode result;
    } rows[] = {
        {"a range of elements", {{AccessStep::Kind::IndexRange, {}, 2, 3}}, System::NotSupported},
        {"all elements", {{AccessStep::Kind::AllElements, {}, 0, 0}, AccessStep::Named("cVal")}, System::NotSupported},
        {"an index past the end", {AccessStep::Element(16)}, System::InvalidArguments},
        {"a component an element lacks", {AccessStep::Element(3), AccessStep::Named("rms")}, System::InvalidArguments},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Mms::CoderValue<Mms::MmsVariableList> variables(Mms::MmsVariableListType);
        ASSERT_EQ(Mms::MmsAppendVariableName(*variables, "LD0", "MHAI1$MX$HA$phsAHar"), System::OkNoError);
        ASSERT_EQ(Mms::MmsNewAlternateAccess(row.path, (*variables)[0]->alternateAccess), System::OkNoError);
        const Mms::ModelHold hold(session.server.get());
        EXPECT_EQ(list->SetMembers(*variables), row.result);
        EXPECT_TRUE(list->Members.empty());
    }
}

}  // namespace
}  // namespace ModelReadTest
