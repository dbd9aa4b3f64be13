#include "support/ToolCheck.h"
#include "support/WireCheck.h"

#include <gtest/gtest.h>

using namespace TestSupport;

// The checker itself must tell a good unit from a broken one, or every wire test
// built on it passes for nothing.
TEST(WireCheck, AcceptsAWellFormedConnectRequestAndFlagsATruncatedOne) {
    REQUIRE_WIRESHARK();
    const std::vector<WireUnit> good{
        {true, BytesFromHex("03 00 00 16 11 e0 00 00 00 01 00 c1 02 00 01 c2 02 00 01 c0 01 0a")}};
    EXPECT_EQ(FindProblems(good), "");
    const auto fields = DecodeFields(good, {"cotp.type", "cotp.tpdu_size"});
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0], "0x0e|1024");
    // Connections decoded together keep their lines apart.
    EXPECT_EQ(DecodeFieldsPerConnection({good, {}, good}, {"cotp.type"}),
              (std::vector<std::vector<std::string>>{{"0x0e"}, {}, {"0x0e"}}));

    const std::vector<WireUnit> truncated{{true, BytesFromHex("03 00 00 05 11")}};
    EXPECT_NE(FindProblems(truncated), "");
}

TEST(WireCheck, ReassemblesAUnitCutIntoSeveralSegments) {
    REQUIRE_WIRESHARK();
    // One DT TPDU carrying 40000 bytes of session data travels in three segments.
    std::vector<std::uint8_t> unit = BytesFromHex("03 00 9c 47 02 f0 80");
    unit.resize(40007, 0x00);
    const auto lines = DecodeFields({{true, unit}}, {"tpkt.length"}, {"--disable-protocol", "ses"});
    std::string joined;
    for (const auto& line : lines) joined += line + ";";
    EXPECT_NE(joined.find("40007"), std::string::npos) << joined;
}
