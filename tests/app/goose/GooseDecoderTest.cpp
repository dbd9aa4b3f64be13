#include "app/goose/GooseCapture.h"
#include "app/goose/GooseFrameBuilder.h"
#include "app/goose/GooseValueText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

using namespace GooseTest;

Bytes Nested(int depth) {
    Bytes element = IntegerValue(7);
    for (int i = 0; i < depth; ++i) element = StructureValue({element});
    return element;
}

// Time texts are local time: the tests fix the zone.
class GooseDecoderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("TZ", "UTC", 1);
        tzset();
    }

    // Header and values of a whole frame; "" and false when either fails.
    static bool Decode(const Bytes& frame, GooseHeader& header, std::string& text) {
        std::size_t position = 0;
        if (!CGooseCapture::ParseGooseHeader(frame.data(), frame.size(), header, position)) return false;
        return CGooseCapture::FormatValues(frame.data() + position, header.end - position, text) == 1;
    }
    static bool ValuesText(const std::vector<Bytes>& values, std::string& text) {
        GooseFrameSpec spec;
        spec.values = values;
        GooseHeader header;
        return Decode(BuildGooseFrame(spec), header, text);
    }
};

TEST_F(GooseDecoderTest, ReadsEveryHeaderField) {
    GooseFrameSpec spec;
    spec.stNum = 70000;
    spec.sqNum = 0xFFFFFFFF;
    spec.confRev = 3;
    spec.test = true;
    spec.ndsCom = true;
    spec.tSeconds = 12;
    spec.tFraction = 0x0000000A;
    spec.values = {BooleanValue(true)};
    const Bytes frame = BuildGooseFrame(spec);
    GooseHeader h;
    std::size_t position = 0;
    ASSERT_EQ(CGooseCapture::ParseGooseHeader(frame.data(), frame.size(), h, position), 1);
    EXPECT_EQ(h.destinationMac, (MacAddress{0x01, 0x0C, 0xCD, 0x01, 0x00, 0x01}));
    EXPECT_EQ(h.sourceMac, (MacAddress{0x02, 0, 0, 0, 0, 0x02}));
    EXPECT_EQ(h.tagged, 0u);
    EXPECT_EQ(h.appId, 0x1001);
    EXPECT_EQ(h.gocbRef.View(), spec.gocbRef);
    EXPECT_EQ(h.datSet.View(), spec.datSet);
    EXPECT_EQ(h.goId.View(), spec.goId);
    EXPECT_EQ(h.timeAllowedtoLive, 2000u);
    EXPECT_EQ(h.stNum, 70000u);
    EXPECT_EQ(h.sqNum, 0xFFFFFFFFu);
    EXPECT_EQ(h.confRev, 3u);
    EXPECT_EQ(h.test, 1u);
    EXPECT_EQ(h.ndsCom, 1u);
    EXPECT_EQ(h.tSeconds, 12u);
    EXPECT_EQ(h.tFraction, 10u);
    EXPECT_EQ(h.end, frame.size());
    EXPECT_EQ(frame[position], 0x8A) << "position stands on numDatSetEntries";
}

TEST_F(GooseDecoderTest, FramingVariants) {
    struct Case {
        const char* name;
        std::function<void(GooseFrameSpec&)> change;
        bool ok;
    };
    const Case cases[] = {
        {"plain", [](GooseFrameSpec&) {}, true},
        {"tagged", [](GooseFrameSpec& s) { s.tagged = true; }, true},
        {"no goID", [](GooseFrameSpec& s) { s.withGoId = false; }, true},
        {"no test, no ndsCom (DEFAULT FALSE)",
         [](GooseFrameSpec& s) {
             s.withTest = false;
             s.withNdsCom = false;
         },
         true},
        {"Ethernet padding behind the PDU", [](GooseFrameSpec& s) { s.trailer = Bytes(20, 0); }, true},
        {"captured FCS",
         [](GooseFrameSpec& s) {
             s.trailer = {0xDE, 0xAD, 0xBE, 0xEF};
         },
         true},
        {"IPv4", [](GooseFrameSpec& s) { s.etherType = 0x0800; }, false},
        {"sampled values", [](GooseFrameSpec& s) { s.etherType = 0x88BA; }, false},
        {"tagged IPv4",
         [](GooseFrameSpec& s) {
             s.tagged = true;
             s.etherType = 0x0800;
         },
         false},
        {"double tag",
         [](GooseFrameSpec& s) {
             s.tagged = true;
             s.etherType = 0x8100;
         },
         false},
        {"header string of 256", [](GooseFrameSpec& s) { s.gocbRef.assign(256, 'r'); }, true},
        {"header string of 257", [](GooseFrameSpec& s) { s.gocbRef.assign(257, 'r'); }, false},
        {"goID of 257", [](GooseFrameSpec& s) { s.goId.assign(257, 'g'); }, false},
    };
    for (const Case& c : cases) {
        GooseFrameSpec spec;
        spec.values = {IntegerValue(5)};
        c.change(spec);
        GooseHeader header;
        std::string text;
        EXPECT_EQ(Decode(BuildGooseFrame(spec), header, text), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(text, "5") << c.name;
            EXPECT_EQ(header.goId.View(), spec.withGoId ? spec.goId : "") << c.name;
        }
    }
}

TEST_F(GooseDecoderTest, TagControlGivesPriorityCfiAndVlan) {
    struct Case {
        std::uint8_t tci[2];
        std::uint8_t priority;
        std::uint32_t cfi;
        std::uint16_t vlan;
    };
    const Case cases[] = {{{0x80, 0x05}, 4, 0, 5}, {{0xF0, 0x00}, 7, 1, 0}, {{0x0F, 0xFF}, 0, 0, 0xFFF}};
    for (const Case& c : cases) {
        GooseFrameSpec spec;
        spec.tagged = true;
        spec.tagControl[0] = c.tci[0];
        spec.tagControl[1] = c.tci[1];
        spec.appId = 0x3FFF;
        const Bytes frame = BuildGooseFrame(spec);
        GooseHeader h;
        std::size_t position;
        ASSERT_EQ(CGooseCapture::ParseGooseHeader(frame.data(), frame.size(), h, position), 1);
        EXPECT_EQ(h.tagged, 1u);
        EXPECT_EQ(h.priority, c.priority);
        EXPECT_EQ(h.cfi, c.cfi);
        EXPECT_EQ(h.vlanId, c.vlan);
        EXPECT_EQ(h.appId, 0x3FFF) << "APPID read at octet 18";
    }
}

TEST_F(GooseDecoderTest, LengthFieldBoundsTheDecoders) {
    GooseFrameSpec spec;
    spec.values = {IntegerValue(5)};
    const Bytes good = BuildGooseFrame(spec);
    const std::size_t declared = good.size() - 14;
    struct Case {
        std::size_t length;
        bool ok;
    };
    // Past the capture, and too short to hold the goosePdu tag.
    for (const Case& c :
         {Case{declared, true}, Case{declared + 1, false}, Case{0xFFFF, false}, Case{8, false}, Case{0, false}}) {
        Bytes frame = good;
        SetLengthField(frame, 14, c.length);
        GooseHeader header;
        std::string text;
        EXPECT_EQ(Decode(frame, header, text), c.ok) << c.length;
    }
    // A Length that stops inside allData hides the element behind it.
    Bytes frame = good;
    SetLengthField(frame, 14, declared - 1);
    GooseHeader header;
    std::string text;
    EXPECT_FALSE(Decode(frame, header, text));
}

TEST_F(GooseDecoderTest, ValueTexts) {
    struct Case {
        const char* name;
        std::vector<Bytes> values;
        std::string text;
    };
    const Case cases[] = {
        {"boolean, structure, integer",
         {BooleanValue(true), StructureValue({IntegerValue(1)}), IntegerValue(5)},
         "T,,5"},
        {"false and an array", {BooleanValue(false), ArrayValue({BooleanValue(true)})}, "F,"},
        {"bit string 03 A0", {BitStringValue(3, {0xA0})}, "10100"},
        {"bit string of two octets", {BitStringValue(6, {0x01, 0xC0})}, "0000000111"},
        {"octet string", {OctetStringValue({0x01, 0xAB})}, "01AB"},
        {"visible string", {VisibleStringValue("abc")}, "abc"},
        {"float 1.5", {Tlv(0x87, {0x08, 0x3F, 0xC0, 0x00, 0x00})}, "1.500000"},
        {"float64", {DoubleValue(-1234.5678)}, "-1234.567800"},
        {"unsigned", {UnsignedValue(300), Tlv(0x86, Bytes(8, 0xFF))}, "300,18446744073709551615"},
        {"integers", {IntegerValue(-5), IntegerValue(-9223372036854775807LL - 1)}, "-5,-9223372036854775808"},
        {"utc-time half a second", {UtcTimeValue(0, 0x80000000)}, "1970-01-01 00:00:00.500"},
        {"utc-time with quality", {UtcTimeValue(1700000000, 0x0000000A)}, "2023-11-14 22:13:20.000"},
        // Milliseconds are the word divided, not rounded: 1000 of them are the next second,
        // carried on through the minute, the day and the year.
        {"utc-time 0.9996 s", {UtcTimeValue(31, 4293249309u)}, "1970-01-01 00:00:31.999"},
        {"utc-time a word short of 1000 ms", {UtcTimeValue(31, 4294966999u)}, "1970-01-01 00:00:31.999"},
        {"utc-time at 1000 ms", {UtcTimeValue(31, 4294967000u)}, "1970-01-01 00:00:32.000"},
        {"utc-time fraction all ones, quality 0", {UtcTimeValue(59, 0xFFFFFF00)}, "1970-01-01 00:01:00.000"},
        {"utc-time fraction word all ones", {UtcTimeValue(86399, 0xFFFFFFFF)}, "1970-01-02 00:00:00.000"},
        {"utc-time carried into the year", {UtcTimeValue(1704067199, 0xFFFFFFFF)}, "2024-01-01 00:00:00.000"},
        {"boolean of four octets", {Tlv(0x83, {0, 0, 0, 1})}, "T"},
        {"integers of 0, 2 and 5 octets",
         {Tlv(0x85, {}), Tlv(0x85, {0x80, 0x00}), Tlv(0x85, {1, 0, 0, 0, 0})},
         "0,-32768,4294967296"},
        {"bit string without bits", {BitStringValue(0, {}), Tlv(0x84, {})}, ","},
        {"BCD as its number", {Tlv(0x8D, {0x12}), BooleanValue(true)}, "18,T"},
        {"binary time with its date, between integers",
         {IntegerValue(1234), BinaryTimeValue(60871580, 15681), IntegerValue(5678)},
         "1234,2026-12-07 16:54:31.580,5678"},
        {"binary time of day", {BinaryTimeValue(60871580)}, "16:54:31.580"},
        {"mms-string, generalized time, boolean array, object id",
         {Tlv(0x90, {'m', 's'}), Tlv(0x8B, {'2', '0', '2', '6'}), Tlv(0x8E, {0x04, 0xA0}), Tlv(0x8F, {0x2B, 0x06})},
         "ms,2026,1010,2B06"},
        {"a structure nested 500 deep is skipped, not entered", {Nested(500), IntegerValue(1)}, ",1"},
        {"none", {}, ""},
    };
    for (const Case& c : cases) {
        std::string text = "unchanged";
        EXPECT_TRUE(ValuesText(c.values, text)) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }  // A binary time is four or six octets; any other length is a broken frame.
    for (std::size_t length : {0u, 3u, 5u, 7u}) {
        std::string text = "unchanged";
        EXPECT_FALSE(ValuesText({Tlv(0x8C, Bytes(length, 1))}, text)) << length;
        EXPECT_EQ(text, "unchanged");
    }
}

TEST_F(GooseDecoderTest, BadValuesFailTheFrameAndLeaveTheText) {
    struct Case {
        const char* name;
        std::vector<Bytes> values;
    };
    const Case cases[] = {
        {"9-octet integer", {Tlv(0x85, Bytes(9, 1))}},
        {"9-octet unsigned", {Tlv(0x86, Bytes(9, 0))}},
        {"empty unsigned", {Tlv(0x86, {})}},
        {"empty boolean", {Tlv(0x83, {})}},
        {"float with exponent width 11 in 5 octets", {Tlv(0x87, {0x0B, 0x3F, 0xC0, 0x00, 0x00})}},
        {"float64 with exponent width 8", {Tlv(0x87, {0x08, 0, 0, 0, 0, 0, 0, 0, 0})}},
        {"float of length 4", {Tlv(0x87, {0x08, 0x3F, 0xC0, 0x00})}},
        {"utc-time of length 7", {Tlv(0x91, Bytes(7, 0))}},
        {"boolean of length 5", {Tlv(0x83, Bytes(5, 1))}},
        {"bit string with 8 unused bits", {BitStringValue(8, {0xFF})}},
        {"bit string with unused bits and no octets", {BitStringValue(3, {})}},
        {"octet string of 256", {OctetStringValue(Bytes(256, 0xAA))}},
        {"visible string of 256", {VisibleStringValue(std::string(256, 'v'))}},
    };
    for (const Case& c : cases) {
        std::string text = "unchanged";
        EXPECT_FALSE(ValuesText(c.values, text)) << c.name;
        EXPECT_EQ(text, "unchanged") << c.name;
    }
    std::string text;
    EXPECT_TRUE(ValuesText({OctetStringValue(Bytes(255, 0xAA)), VisibleStringValue(std::string(255, 'v'))}, text));
    EXPECT_EQ(text.size(), 2 * 255 + 1 + 255);
}

TEST_F(GooseDecoderTest, NumDatSetEntriesIsNotTrusted) {
    struct Case {
        std::uint64_t count;
        bool ok;
        std::string text;
    };
    // Fewer elements are shown as counted; more than there are fail; the count is not cut to 16 bits.
    for (const Case& c : {Case{1, true, "T"}, Case{2, true, "T,5"}, Case{3, false, ""}, Case{0xFFFFFFFF, false, ""},
                          Case{0x10000, false, ""}, Case{0, true, ""}}) {
        GooseFrameSpec spec;
        spec.values = {BooleanValue(true), IntegerValue(5)};
        spec.countFromValues = false;
        spec.numDatSetEntries = c.count;
        GooseHeader header;
        std::string text;
        EXPECT_EQ(Decode(BuildGooseFrame(spec), header, text), c.ok) << c.count;
        if (c.ok) {
            EXPECT_EQ(text, c.text) << c.count;
        }
    }
}

TEST_F(GooseDecoderTest, MissingOrRepeatedTagsFail) {
    GooseFrameSpec spec;
    spec.values = {IntegerValue(5)};
    const Bytes header = HeaderFields(spec);
    const Bytes values = ValueFields(spec);
    struct Case {
        const char* name;
        Bytes pduContents;
        bool headerOk;
        bool valuesOk;
    };
    const Case cases[] = {
        {"as built", Concat({header, values}), true, true},
        {"gocbRef twice", Concat({Tlv(0x80, {'a'}), header, values}), false, false},
        {"no numDatSetEntries", Concat({header, Tlv(0xAB, IntegerValue(5))}), true, false},
        {"no allData", Concat({header, Tlv(0x8A, {1}), IntegerValue(5)}), true, false},
        {"nothing behind the header", header, true, false},
        {"no confRev", Bytes(header.begin(), header.begin() + static_cast<long>(header.size()) - 6), false, false},
    };
    for (const Case& c : cases) {
        Bytes frame = Concat({spec.destination, spec.source, {0x88, 0xB8, 0x10, 0x01, 0, 0, 0, 0, 0, 0}});
        const Bytes pdu = Tlv(0x61, c.pduContents);
        frame.insert(frame.end(), pdu.begin(), pdu.end());
        SetLengthField(frame, 14, frame.size() - 14);
        GooseHeader h;
        std::size_t position = 0;
        const int headerOk = CGooseCapture::ParseGooseHeader(frame.data(), frame.size(), h, position);
        EXPECT_EQ(headerOk, c.headerOk) << c.name;
        if (!headerOk) continue;
        std::string text;
        EXPECT_EQ(CGooseCapture::FormatValues(frame.data() + position, h.end - position, text), c.valuesOk) << c.name;
    }
}

// Every prefix of a frame, declared by its Length or not, decodes inside its bounds
// (AddressSanitizer watches the exact-size copies) and only the whole frame succeeds.
TEST_F(GooseDecoderTest, FramesCutAtEveryOffsetFail) {
    GooseFrameSpec spec;
    spec.tagged = true;
    spec.values = {BooleanValue(true),       BitStringValue(3, {0xA0}),
                   IntegerValue(-7),         UnsignedValue(300),
                   FloatValue(1.5f),         DoubleValue(2.5),
                   OctetStringValue({1, 2}), VisibleStringValue("abc"),
                   UtcTimeValue(1, 2),       StructureValue({IntegerValue(1)})};
    const Bytes whole = BuildGooseFrame(spec);
    const std::size_t p = AppIdOffset(spec);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        for (bool adjustLength : {false, true}) {
            Bytes frame(whole.begin(), whole.begin() + static_cast<long>(cut));
            if (adjustLength && cut >= p + 4) SetLengthField(frame, p, cut - p);
            GooseHeader header;
            std::string text;
            EXPECT_FALSE(Decode(frame, header, text)) << "cut at " << cut << (adjustLength ? " (Length adjusted)" : "");
        }
    }
    GooseHeader header;
    std::string text;
    ASSERT_TRUE(Decode(whole, header, text));
    EXPECT_EQ(text, "T,10100,-7,300,1.500000,2.500000,0102,abc,1970-01-01 00:00:01.000,");
}

TEST_F(GooseDecoderTest, HostileLengthsInsideTheFrameFail) {
    GooseFrameSpec spec;
    spec.values = {IntegerValue(5)};
    const Bytes good = BuildGooseFrame(spec);
    // The allData length claims 0xFFFFFFFF octets; then a structure element does.
    for (const Bytes& values : {Concat({Tlv(0x8A, {1}), Bytes{0xAB, 0x84, 0xFF, 0xFF, 0xFF, 0xFF}, IntegerValue(5)}),
                                Concat({Tlv(0x8A, {1}), Bytes{0xAB, 0x06, 0xA2, 0x84, 0xFF, 0xFF, 0xFF, 0xFF}})}) {
        std::string text = "unchanged";
        EXPECT_EQ(CGooseCapture::FormatValues(values.data(), values.size(), text), 0);
        EXPECT_EQ(text, "unchanged");
    }
    // The goosePdu's own length reaches past the frame.
    Bytes frame = good;
    ASSERT_EQ(frame[22], 0x61);
    frame[23] = 0x84;
    for (std::size_t i = 24; i < 28; ++i) frame[i] = 0xFF;
    GooseHeader header;
    std::size_t position;
    EXPECT_EQ(CGooseCapture::ParseGooseHeader(frame.data(), frame.size(), header, position), 0);
}

TEST(GooseUtcTimeText, CoversTheWholeRangeOfSeconds) {
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(GooseUtcTimeText(0, 0), "1970-01-01 00:00:00.000");
    EXPECT_EQ(GooseUtcTimeText(0xFFFFFFFF, 4294967u * 7), "2106-02-07 06:28:15.007");
    // The last second carries past the 32 bits of seconds.
    EXPECT_EQ(GooseUtcTimeText(0xFFFFFFFF, 0xFFFFFFFF), "2106-02-07 06:28:16.000");
}

}  // namespace
