// The user data of a DT SPDU lies in the SPDU's own storage, which every decoding and
// encoding replaces: it has to follow the storage, never point into an old one.
#include <gtest/gtest.h>

#include "CotpTestBytes.h"
#include "osi/DtSpdu.h"

using namespace CotpTest;

namespace {
std::vector<std::uint8_t> Octets(std::span<const std::uint8_t> octets) { return {octets.begin(), octets.end()}; }
}  // namespace

// The user data of a received DT lies in the SPDU's storage, which an encoding
// replaces: encoded again, the DT still carries it, read from storage that is still its own.
TEST(DtSpduUserData, AReceivedDataTransferEncodesAgainWithItsUserData) {
    const auto received = Hex("01 03 19 01 03 61 02 A0 00");
    DtSpdu dt(nullptr);
    ASSERT_EQ(dt.Decode(received), System::OkNoError);
    ASSERT_EQ(Octets(dt.GetUserData()), Hex("61 02 A0 00"));
    ASSERT_EQ(dt.Encode(), System::OkNoError);
    EXPECT_EQ(Octets(dt.GetUserData()), Hex("61 02 A0 00"));
    EXPECT_EQ(BytesOf(dt), received);
}

// A refused decoding into an SPDU that held an earlier one replaces its storage too:
// the earlier user data is gone, not left pointing into the old storage.
TEST(DtSpduUserData, ARefusedDecodingLeavesNoUserDataOfTheEarlierOne) {
    DtSpdu dt(nullptr);
    ASSERT_EQ(dt.Decode(Hex("01 03 19 01 03 AA BB")), System::OkNoError);
    ASSERT_EQ(Octets(dt.GetUserData()), Hex("AA BB"));
    // The enclosure item claims two octets where the field has one left.
    EXPECT_EQ(dt.Decode(Hex("01 03 19 02 03")), System::ProtocolError);
    EXPECT_TRUE(dt.GetUserData().empty());
    // And a good one after it reads as itself.
    ASSERT_EQ(dt.Decode(Hex("01 00 CC")), System::OkNoError);
    EXPECT_EQ(Octets(dt.GetUserData()), Hex("CC"));
}
