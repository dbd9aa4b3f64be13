// Frames the tests build are checked by Wireshark's GOOSE dissector, and the capture
// filter by libpcap's own compiler: our decoder agreeing with our builder proves little.

#include "app/goose/GooseCapture.h"
#include "app/goose/GooseFrameBuilder.h"
#include "support/PcapSavefile.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

#include <gtest/gtest.h>
#include <pcap/pcap.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <sstream>

namespace {

using namespace GooseTest;

std::vector<GooseFrameSpec> ValidFrames() {
    std::vector<GooseFrameSpec> specs(5);
    specs[0].values = {BooleanValue(true), StructureValue({IntegerValue(1), BooleanValue(false)}), IntegerValue(5)};
    specs[1].tagged = true;
    specs[1].appId = 0x3FFF;
    specs[1].stNum = 70000;
    specs[1].sqNum = 12;
    specs[1].values = {BitStringValue(3, {0xA0}), OctetStringValue({0x01, 0xAB}), VisibleStringValue("abc")};
    specs[2].withGoId = false;
    specs[2].stNum = 2;
    specs[2].values = {FloatValue(1.5f), UnsignedValue(300), UtcTimeValue(1700000000, 0x80000000)};
    specs[3].tagged = true;
    specs[3].tagControl[0] = 0x60;
    specs[3].tagControl[1] = 0x64;
    specs[3].appId = 0x0001;
    specs[3].confRev = 10001;
    specs[3].stNum = 4294967295u;
    specs[3].values = {ArrayValue({IntegerValue(-3), IntegerValue(4)}), IntegerValue(-100000)};
    specs[4].values = {};  // a short frame: padded on the wire
    specs[4].gocbRef = "A/B$GO$c";
    specs[4].datSet = "A/B$d";
    specs[4].goId = "g";
    specs[4].trailer = Bytes(8, 0);
    return specs;
}

TEST(GooseWire, TsharkDecodesBuiltFramesAsWeDo) {
    REQUIRE_WIRESHARK();
    const std::vector<GooseFrameSpec> specs = ValidFrames();
    std::vector<Bytes> frames;
    for (const GooseFrameSpec& spec : specs) frames.push_back(BuildGooseFrame(spec));
    const TestSupport::PcapSavefile file(frames);
    EXPECT_EQ(TestSupport::SavefileProblems(file.Path()), "");

    const std::vector<std::string> lines = TestSupport::SavefileFields(
        file.Path(), {"goose.appid", "vlan.id", "vlan.priority", "goose.gocbRef", "goose.datSet", "goose.goID",
                      "goose.stNum", "goose.sqNum", "goose.confRev", "goose.numDatSetEntries", "eth.dst"});
    ASSERT_EQ(lines.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        GooseHeader h;
        std::size_t position = 0;
        ASSERT_EQ(CGooseCapture::ParseGooseHeader(frames[i].data(), frames[i].size(), h, position), 1) << i;
        std::ostringstream ours;
        ours << "0x" << std::hex;
        ours.width(4);
        ours.fill('0');
        ours << h.appId << std::dec << "|";
        if (h.tagged) ours << h.vlanId << "|" << unsigned(h.priority);
        else ours << "|";
        ours << "|" << h.gocbRef.View() << "|" << h.datSet.View() << "|" << h.goId.View() << "|" << h.stNum << "|"
             << h.sqNum << "|" << h.confRev << "|" << specs[i].values.size() << "|01:0c:cd:01:00:01";
        EXPECT_EQ(lines[i], ours.str()) << "frame " << i;
    }
}

// tshark's reading of the values beside our text of them.
TEST(GooseWire, TsharkReadsTheValuesOurTextShows) {
    REQUIRE_WIRESHARK();
    setenv("TZ", "UTC", 1);
    tzset();
    const std::vector<GooseFrameSpec> specs = ValidFrames();
    std::vector<Bytes> frames;
    for (const GooseFrameSpec& spec : specs) frames.push_back(BuildGooseFrame(spec));
    const TestSupport::PcapSavefile file(frames);
    const std::vector<std::string> theirs = TestSupport::SavefileFields(
        file.Path(), {"goose.boolean", "goose.integer", "goose.unsigned", "goose.bit_string", "goose.octet_string",
                      "goose.visible_string", "goose.utc_time"});
    const std::vector<std::string> expectedTheirs = {"1,0|1,5|||||", "|||a0|01ab|abc|",
                                                     "||300||||Nov 14, 2023 22:13:20.500000000 UTC",
                                                     "|-3,4,-100000|||||", "||||||"};
    const std::vector<std::string> expectedOurs = {"T,,5", "10100,01AB,abc", "1.500000,300,2023-11-14 22:13:20.500",
                                                   ",-100000", ""};
    ASSERT_EQ(theirs.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(theirs[i], expectedTheirs[i]) << "frame " << i;
        GooseHeader header;
        std::size_t position = 0;
        std::string ours;
        ASSERT_EQ(CGooseCapture::ParseGooseHeader(frames[i].data(), frames[i].size(), header, position), 1);
        ASSERT_EQ(CGooseCapture::FormatValues(frames[i].data() + position, header.end - position, ours), 1);
        EXPECT_EQ(ours, expectedOurs[i]) << "frame " << i;
    }
}

// The capture filter on a dead Ethernet handle: what libpcap passes to the worker.
TEST(GooseWire, CaptureFilterPassesPlainAndSingleTaggedGooseOnly) {
    pcap_t* dead = pcap_open_dead(DLT_EN10MB, 1536);
    ASSERT_NE(dead, nullptr);
    bpf_program program{};
    ASSERT_EQ(pcap_compile(dead, &program, CGooseCapture::kFilterText, 1, PCAP_NETMASK_UNKNOWN), 0)
        << pcap_geterr(dead);
    struct Case {
        const char* name;
        std::function<void(GooseFrameSpec&)> change;
        bool passes;
    };
    const Case cases[] = {
        {"plain GOOSE", [](GooseFrameSpec&) {}, true},
        {"single-tagged GOOSE", [](GooseFrameSpec& s) { s.tagged = true; }, true},
        {"IPv4", [](GooseFrameSpec& s) { s.etherType = 0x0800; }, false},
        {"tagged IPv4",
         [](GooseFrameSpec& s) {
             s.tagged = true;
             s.etherType = 0x0800;
         },
         false},
        {"double tag (an inner tag, then GOOSE)",
         [](GooseFrameSpec& s) {
             s.tagged = true;
             s.etherType = 0x8100;
         },
         false},
        {"sampled values", [](GooseFrameSpec& s) { s.etherType = 0x88BA; }, false},
    };
    for (const Case& c : cases) {
        GooseFrameSpec spec;
        c.change(spec);
        Bytes frame = BuildGooseFrame(spec);
        if (spec.etherType == 0x8100) {
            // The inner tag's control octets and the GOOSE type behind it.
            const Bytes inner{0x00, 0x07, 0x88, 0xB8};
            frame.insert(frame.begin() + 18, inner.begin(), inner.end());
        }
        pcap_pkthdr header{};
        header.caplen = header.len = static_cast<bpf_u_int32>(frame.size());
        EXPECT_EQ(pcap_offline_filter(&program, &header, frame.data()) != 0, c.passes) << c.name;
    }
    pcap_freecode(&program);
    pcap_close(dead);
}

}  // namespace
