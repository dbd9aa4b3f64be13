#include <gtest/gtest.h>

#include "CotpTestBytes.h"
#include "osi/CcTpdu.h"
#include "osi/CrTpdu.h"
#include "osi/DtTpdu.h"
#include "support/ToolCheck.h"

using namespace CotpTest;
using TestSupport::WireUnit;

namespace {
WireUnit Packet(bool fromClient, const Protocol::Frame& tpdu) { return {fromClient, Tpkt(BytesOf(tpdu))}; }

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) joined += line + "\n";
    return joined;
}
}  // namespace

// The TPDUs as our encoder writes them, read by an independent decoder.
TEST(CotpWire, ConnectRequestAndConfirmsWithAndWithoutSize) {
    REQUIRE_WIRESHARK();
    CrTpdu cr(nullptr);
    cr.SetSourceReference(0x0001);
    cr.SetTpduSizeCode(10);
    cr.SetCalledTsap(1);
    cr.SetCallingTsap(1);
    ASSERT_EQ(cr.Encode(), System::OkNoError);

    CcTpdu sized(nullptr);
    sized.SetDestinationReference(0x0001);
    sized.SetSourceReference(0x0007);
    sized.SetTpduSizeCode(10);
    ASSERT_EQ(sized.Encode(), System::OkNoError);
    EXPECT_EQ(BytesOf(sized), Hex("09 D0 00 01 00 07 00 C0 01 0A"));

    CcTpdu plain(nullptr);
    plain.SetDestinationReference(0x0001);
    plain.SetSourceReference(0x0007);
    ASSERT_EQ(plain.Encode(), System::OkNoError);

    const std::vector<WireUnit> units{Packet(true, cr), Packet(false, sized), Packet(false, plain)};
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const auto fields =
        TestSupport::DecodeFields(units, {"cotp.type", "cotp.srcref", "cotp.destref", "cotp.class", "cotp.tpdu_size",
                                          "cotp.dst-tsap-bytes", "cotp.src-tsap-bytes"});
    EXPECT_EQ(JoinLines(fields),
              "0x0e|0x0001|0x0000|0|1024|0001|0001\n"
              "0x0d|0x0007|0x0001|0|1024||\n"
              "0x0d|0x0007|0x0001|0|||\n");
}

TEST(CotpWire, DataInOneTpduAndCutIntoSeveral) {
    REQUIRE_WIRESHARK();
    // Session data (give tokens, data transfer) behind the transport header; the
    // session decoder sees the unit once the transport has joined it.
    std::vector<std::uint8_t> unit = Hex("01 00 01 00");
    const auto pdu = Pattern(296);
    unit.insert(unit.end(), pdu.begin(), pdu.end());

    std::vector<WireUnit> units;
    DtTpdu whole(nullptr, unit, true);
    ASSERT_EQ(whole.Encode(), System::OkNoError);
    units.push_back(Packet(true, whole));
    // 300 octets cut for 128-octet TPDUs: 125, 125, 50.
    for (std::size_t offset = 0; offset < unit.size(); offset += 125) {
        const std::size_t length = std::min<std::size_t>(125, unit.size() - offset);
        DtTpdu piece(nullptr, std::span(unit).subspan(offset, length), offset + length == unit.size());
        ASSERT_EQ(piece.Encode(), System::OkNoError);
        EXPECT_LE(piece.GetTotalLength(), 128u);
        units.push_back(Packet(true, piece));
    }
    const std::vector<std::string> noPresentation{"--disable-protocol", "pres"};
    EXPECT_EQ(TestSupport::FindProblems(units, noPresentation), "");
    const auto fields = TestSupport::DecodeFields(
        units, {"cotp.type", "cotp.eot", "cotp.reassembled.length", "ses.type"}, noPresentation);
    EXPECT_EQ(JoinLines(fields),
              "0x0f|1||1,1\n"
              "0x0f|0||\n"
              "0x0f|0||\n"
              "0x0f|1|300|1,1\n");
}
