// Capability lists (getCapabilityList, getDomainAttributes) as older and newer peers
// send them, and as we send them.

#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "mms/MmsWire.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"

using TestSupport::BytesFromHex;

namespace {

struct PduDeleter {
    void operator()(Mms::MmsPdu* pdu) const { Mms::MmsFreePdu(pdu); }
};
using PduPointer = std::unique_ptr<Mms::MmsPdu, PduDeleter>;

PduPointer Decode(const char* hex) {
    const std::vector<std::uint8_t> bytes = BytesFromHex(hex);
    Mms::MmsPdu* pdu = nullptr;
    EXPECT_EQ(Mms::MmsDecodePdu(bytes.data(), bytes.size(), pdu), System::OkNoError) << hex;
    return PduPointer(pdu);
}

// Capabilities are MMSString (UTF8String) today; older peers send VisibleString. Both
// are read, in one list too, and what we send stays UTF8String.
TEST(MmsCapabilityList, VisibleStringAndUtf8StringItemsAreBothRead) {
    // getCapabilityList answer: "relay" as VisibleString, "rec" as UTF8String, no more.
    PduPointer capabilities = Decode("A1 17 02 01 01 BF 47 11 A0 0C 1A 05 72 65 6C 61 79 0C 03 72 65 63 81 01 00");
    ASSERT_NE(capabilities, nullptr);
    ASSERT_EQ(capabilities->choice.confirmedResponse.service.present, Mms::MmsServiceGetCapabilityList);
    std::list<std::string> texts;
    bool moreFollows = true;
    EXPECT_EQ(Mms::MmsReadGetCapabilityListResponse(
                  capabilities->choice.confirmedResponse.service.choice.getCapabilityList, texts, moreFollows),
              System::OkNoError);
    EXPECT_EQ(texts, (std::list<std::string>{"relay", "rec"}));
    EXPECT_FALSE(moreFollows);

    // getDomainAttributes answer with one VisibleString capability.
    PduPointer domain =
        Decode("A1 1D 02 01 02 BF 25 17 A0 07 1A 05 72 65 6C 61 79 81 01 02 82 01 00 83 01 01 A4 00 85 01 00");
    ASSERT_NE(domain, nullptr);
    Mms::MmsDomainAttributes attributes;
    EXPECT_EQ(Mms::MmsReadGetDomainAttributesResponse(
                  domain->choice.confirmedResponse.service.choice.getDomainAttributes, attributes),
              System::OkNoError);
    EXPECT_EQ(attributes.capabilities, (std::list<std::string>{"relay"}));
    EXPECT_EQ(attributes.state, 2);

    // Other universal tags are still refused.
    const std::vector<std::uint8_t> octets = BytesFromHex("A1 10 02 01 01 BF 47 0A A0 05 04 03 72 65 63 81 01 00");
    Mms::MmsPdu* refused = nullptr;
    EXPECT_EQ(Mms::MmsDecodePdu(octets.data(), octets.size(), refused), System::ProtocolError);

    // Sent capabilities keep the UTF8String tag.
    Mms::MmsPdu* answer = Mms::MmsNewPdu();
    answer->present = Mms::MmsPduConfirmedResponse;
    answer->choice.confirmedResponse.invokeId = 1;
    answer->choice.confirmedResponse.service.present = Mms::MmsServiceGetCapabilityList;
    ASSERT_EQ(Mms::MmsAppendIdentifier(
                  answer->choice.confirmedResponse.service.choice.getCapabilityList.listOfCapabilities, "rec"),
              System::OkNoError);
    EXPECT_EQ(MmsTest::Hex(MmsTest::EncodeAndFree(answer)), "A1 0D 02 01 01 BF 47 07 A0 05 0C 03 72 65 63");
}

}  // namespace
