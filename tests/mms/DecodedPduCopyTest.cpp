// Parts of a received PDU kept beyond it: copied out of the decoded tree (which lives in
// one arena and goes as a whole), they stay intact and belong to the tree they join.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "mms/pdu/CoderValue.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduWriter.h"
#include "protocol/Asn1Arena.h"
#include "support/WireCheck.h"

using namespace Mms;
using TestSupport::BytesFromHex;

namespace {

struct CopyCase {
    const char* name;
    const char* hex;
    // Fills the zeroed PDU from the decoded one, copying what it takes.
    std::function<System::ResultCode(const MmsPdu& decoded, MmsPdu& built)> copy;
};

TEST(DecodedPduCopy, CopiedPartsOutliveTheirPdu) {
    const CopyCase cases[] = {
        {"report: list name and results, a long INTEGER among them",
         "A3 1F A0 1D A1 05 80 03 52 50 54 A0 14 8A 03 61 62 63 A2 0D 85 08 01 02 03 04 05 06 07 08 83 01 01",
         [](const MmsPdu& decoded, MmsPdu& built) -> System::ResultCode {
             const MmsInformationReport& report = decoded.choice.unconfirmed.service.choice.informationReport;
             built.present = MmsPduUnconfirmed;
             MmsUnconfirmedService& service = built.choice.unconfirmed.service;
             service.present = MmsUnconfirmedInformationReport;
             MmsInformationReport& target = service.choice.informationReport;
             const System::ResultCode result =
                 MmsCopyValue(MmsVariableAccessSpecificationType, &report.variableAccessSpecification,
                              &target.variableAccessSpecification);
             if (result != System::OkNoError) return result;
             return MmsCopyValue(MmsAccessResultListType, &report.listOfAccessResult, &target.listOfAccessResult);
         }},
        {"name list answer, copied aside and then taken over",
         "A1 15 02 01 01 A1 10 A0 0B 1A 03 4C 44 30 1A 04 4C 4C 4E 30 81 01 00",
         [](const MmsPdu& decoded, MmsPdu& built) -> System::ResultCode {
             const MmsConfirmedResponsePdu& response = decoded.choice.confirmedResponse;
             CoderValue<MmsGetNameListResponse> aside(MmsGetNameListResponseType);
             const System::ResultCode result =
                 MmsCopyValue(MmsGetNameListResponseType, &response.service.choice.getNameList, &aside.get());
             if (result != System::OkNoError) return result;
             built.present = MmsPduConfirmedResponse;
             built.choice.confirmedResponse.invokeId = response.invokeId;
             built.choice.confirmedResponse.service.present = MmsServiceGetNameList;
             MmsTakeOver(built.choice.confirmedResponse.service.choice.getNameList, aside.get());
             return System::OkNoError;
         }},
    };
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes = BytesFromHex(c.hex);
        MmsPdu* decoded = nullptr;
        ASSERT_EQ(MmsDecodePdu(bytes.data(), bytes.size(), decoded), System::OkNoError);
        ASSERT_NE(Asn1::Asn1Arena::Find(decoded), nullptr);
        MmsPdu* built = MmsNewPdu();
        ASSERT_NE(built, nullptr);
        EXPECT_EQ(c.copy(*decoded, *built), System::OkNoError);
        MmsFreePdu(decoded);

        // Nothing of the copy points into the arena that has gone.
        std::vector<std::uint8_t> encoded;
        EXPECT_EQ(MmsEncodePdu(*built, encoded), System::OkNoError);
        EXPECT_EQ(encoded, bytes);
        MmsFreePdu(built);
    }
}

}  // namespace
