#include "protocol/Frame.h"
#include "protocol/RawFrame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

using Protocol::Frame;
using Protocol::RawFrame;
using namespace System;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A frame whose storage holds exactly the given bytes, all of them in the window.
void Fill(Frame& frame, const Bytes& bytes, std::uint32_t capacity = 0) {
    ASSERT_EQ(frame.Allocate(std::max<std::uint32_t>(capacity, static_cast<std::uint32_t>(bytes.size()))), OkNoError);
    if (!bytes.empty()) std::memcpy(frame.Data(), bytes.data(), bytes.size());
    frame.SetWindow(0, static_cast<std::uint32_t>(bytes.size()), 0);
    frame.BeginWrite();
}

Bytes Written(const Frame& frame, std::uint32_t from, std::uint32_t to) {
    return Bytes(frame.Data() + from, frame.Data() + to);
}

Bytes WindowBytes(const Frame& frame) {
    return Bytes(frame.WindowData(), frame.WindowData() + frame.GetWindowLength());
}

}  // namespace

TEST(Frame, ConstructorsAndWindow) {
    Frame plain(nullptr, 10);
    EXPECT_EQ(plain.GetHead(), 0u);
    EXPECT_EQ(plain.GetWindowLength(), 10u);
    EXPECT_EQ(plain.GetTotalLength(), 10u);
    EXPECT_EQ(plain.Data(), nullptr);
    EXPECT_EQ(plain.WindowData(), nullptr);
    EXPECT_EQ(plain.GetState(), Frame::StateNew);

    Frame headed(nullptr, 4, 10);
    EXPECT_EQ(headed.GetHead(), 4u);
    EXPECT_EQ(headed.GetWindowStart(), 4u);
    EXPECT_EQ(headed.GetTotalLength(), 14u);

    ASSERT_EQ(headed.Allocate(16), OkNoError);
    headed.SetWindow(3, 5, 2);
    EXPECT_EQ(headed.GetOrigin(), 0u);
    EXPECT_EQ(headed.GetHead(), 3u);
    EXPECT_EQ(headed.GetWindowLength(), 5u);
    EXPECT_EQ(headed.GetTrailerLength(), 2u);
    EXPECT_EQ(headed.GetTotalLength(), 10u);
    EXPECT_EQ(headed.WindowData(), headed.Data() + 3);

    EXPECT_EQ(headed.Advance(2), OkNoError);
    EXPECT_EQ(headed.GetHead(), 5u);
    EXPECT_EQ(headed.GetWindowLength(), 3u);
    EXPECT_EQ(headed.Advance(4), OutOfRange);
    EXPECT_EQ(headed.GetHead(), 5u);
    EXPECT_EQ(headed.GetWindowLength(), 3u);

    RawFrame raw(nullptr);
    EXPECT_EQ(raw.GetKind(), RawFrame::KindRaw);
    EXPECT_EQ(raw.GetTotalLength(), 0u);
    EXPECT_EQ(raw.GetCapacity(), 0u);
}

TEST(Frame, LengthIndicatorForms) {
    struct Case {
        std::uint32_t length;
        ResultCode result;
        Bytes octets;
    };
    const Case cases[] = {
        {0, OkNoError, {0x00}},
        {254, OkNoError, {0xFE}},
        {255, OkNoError, {0xFF, 0x00, 0xFF}},
        {300, OkNoError, {0xFF, 0x01, 0x2C}},
        {65535, OkNoError, {0xFF, 0xFF, 0xFF}},
        {65536, OutOfRange, {}},
    };
    for (const Case& c : cases) {
        Frame frame(nullptr);
        ASSERT_EQ(frame.Allocate(8), OkNoError);
        frame.SetWindow(0, 8, 0);
        frame.BeginWrite();
        ASSERT_EQ(frame.PutLengthIndicator(c.length), c.result) << c.length;
        const auto written = static_cast<std::uint32_t>(frame.GetWritePosition());
        EXPECT_EQ(Written(frame, 0, written), c.octets) << c.length;
        if (c.result != OkNoError) continue;
        frame.BeginWrite();
        std::uint32_t back = 0;
        ASSERT_EQ(frame.GetLengthIndicator(back), OkNoError);
        EXPECT_EQ(back, c.length);
        EXPECT_EQ(frame.GetWritePosition(), static_cast<std::int32_t>(c.octets.size()));
    }
}

TEST(Frame, ParametersAreCodeLengthValue) {
    Frame frame(nullptr);
    ASSERT_EQ(frame.Allocate(64), OkNoError);
    frame.BeginWrite();
    const std::uint8_t selector[] = {0x00, 0x01};
    ASSERT_EQ(frame.PutParameterByte(0x13, 0x00), OkNoError);
    ASSERT_EQ(frame.PutParameterUInt16(0x14, 0x0002), OkNoError);
    ASSERT_EQ(frame.PutParameterUInt32(0x15, 0x01020304), OkNoError);
    ASSERT_EQ(frame.PutParameterBytes(0x33, selector, 2), OkNoError);
    ASSERT_EQ(frame.PutByte(0xAA), OkNoError);
    ASSERT_EQ(frame.PutUInt16(0xBBCC), OkNoError);
    ASSERT_EQ(frame.PutUInt32(0xDDEEFF11), OkNoError);
    const Bytes expected = {0x13, 0x01, 0x00, 0x14, 0x02, 0x00, 0x02, 0x15, 0x04, 0x01, 0x02, 0x03,
                            0x04, 0x33, 0x02, 0x00, 0x01, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x11};
    EXPECT_EQ(Written(frame, 0, frame.GetWritePosition()), expected);

    frame.SetWindow(0, static_cast<std::uint32_t>(expected.size()), 0);
    frame.BeginWrite();
    std::uint8_t code = 0;
    std::uint32_t value = 0;
    ASSERT_EQ(frame.GetByte(code), OkNoError);
    ASSERT_EQ(frame.GetParameterInteger(value), OkNoError);
    EXPECT_EQ(value, 0u);
    ASSERT_EQ(frame.GetByte(code), OkNoError);
    ASSERT_EQ(frame.GetParameterInteger(value), OkNoError);
    EXPECT_EQ(value, 2u);
    ASSERT_EQ(frame.GetByte(code), OkNoError);
    ASSERT_EQ(frame.GetParameterInteger(value), OkNoError);
    EXPECT_EQ(value, 0x01020304u);
    ASSERT_EQ(frame.GetByte(code), OkNoError);
    EXPECT_EQ(code, 0x33);
    std::uint8_t copied[2] = {};
    std::uint32_t length = 0;
    EXPECT_EQ(frame.GetParameterBytes(copied, length, 1), OutOfRange);
    EXPECT_EQ(copied[1], 0x00);
    ASSERT_EQ(frame.GetParameterBytes(copied, length, 2), OkNoError);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(copied[1], 0x01);
    std::uint8_t octet = 0;
    std::uint16_t word = 0;
    std::uint32_t quad = 0;
    ASSERT_EQ(frame.GetByte(octet), OkNoError);
    ASSERT_EQ(frame.GetUInt16(word), OkNoError);
    ASSERT_EQ(frame.GetUInt32(quad), OkNoError);
    EXPECT_EQ(octet, 0xAA);
    EXPECT_EQ(word, 0xBBCC);
    EXPECT_EQ(quad, 0xDDEEFF11u);
    EXPECT_EQ(frame.GetByte(octet), OutOfRange);
}

TEST(Frame, GroupOf300OctetsWidensItsLength) {
    Frame frame(nullptr);
    ASSERT_EQ(frame.Allocate(400), OkNoError);
    frame.BeginWrite();
    ASSERT_EQ(frame.BeginGroup(0xC1), OkNoError);
    Bytes content(300);
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_EQ(frame.PutBytes(content.data(), 300), OkNoError);
    ASSERT_EQ(frame.GetWritePosition(), 302);
    ASSERT_EQ(frame.EndGroup(), OkNoError);
    EXPECT_EQ(frame.GetWritePosition(), 304);
    EXPECT_EQ(Written(frame, 0, 4), (Bytes{0xC1, 0xFF, 0x01, 0x2C}));
    EXPECT_EQ(Written(frame, 4, 304), content);
    EXPECT_EQ(frame.EndGroup(), InvalidState);

    frame.SetWindow(0, 304, 0);
    frame.BeginWrite();
    std::uint8_t code = 0;
    std::uint32_t length = 0;
    ASSERT_EQ(frame.GetByte(code), OkNoError);
    ASSERT_EQ(frame.GetLengthIndicator(length), OkNoError);
    EXPECT_EQ(length, 300u);
    EXPECT_EQ(frame.GetWritePosition(), 4);
}

TEST(Frame, ShortGroupKeepsOneOctetAndFullStorageRefusesWidening) {
    Frame shortGroup(nullptr);
    ASSERT_EQ(shortGroup.Allocate(300), OkNoError);
    shortGroup.BeginWrite();
    ASSERT_EQ(shortGroup.BeginGroup(0x05), OkNoError);
    const Bytes content(254, 0x42);
    ASSERT_EQ(shortGroup.PutBytes(content.data(), 254), OkNoError);
    ASSERT_EQ(shortGroup.EndGroup(), OkNoError);
    EXPECT_EQ(Written(shortGroup, 0, 2), (Bytes{0x05, 0xFE}));
    EXPECT_EQ(shortGroup.GetWritePosition(), 256);

    Frame full(nullptr);
    ASSERT_EQ(full.Allocate(302), OkNoError);
    full.BeginWrite();
    ASSERT_EQ(full.BeginGroup(0xC1), OkNoError);
    const Bytes wide(300, 0x17);
    ASSERT_EQ(full.PutBytes(wide.data(), 300), OkNoError);
    EXPECT_EQ(full.EndGroup(), NoResources);
    EXPECT_EQ(full.GetWritePosition(), 302);
    EXPECT_EQ(Written(full, 0, 3), (Bytes{0xC1, 0x00, 0x17}));
}

TEST(Frame, WritersStopAtTheStorageEnd) {
    Frame none(nullptr);
    none.BeginWrite();
    EXPECT_EQ(none.PutByte(1), NoResources);
    EXPECT_EQ(none.BeginGroup(1), NoResources);

    Frame frame(nullptr);
    ASSERT_EQ(frame.Allocate(5), OkNoError);
    frame.BeginWrite();
    ASSERT_EQ(frame.PutUInt32(0x01020304), OkNoError);
    EXPECT_EQ(frame.PutUInt16(0xFFFF), NoResources);
    EXPECT_EQ(frame.PutParameterByte(1, 2), NoResources);
    const std::uint8_t two[] = {9, 9};
    EXPECT_EQ(frame.PutParameterBytes(1, two, 2), NoResources);
    EXPECT_EQ(frame.GetWritePosition(), 4);
    EXPECT_EQ(frame.Data()[4], 0x00);
    ASSERT_EQ(frame.PutByte(0x05), OkNoError);
    EXPECT_EQ(frame.PutByte(0x06), NoResources);
    EXPECT_EQ(frame.SetWritePosition(6), OutOfRange);
    EXPECT_EQ(frame.SetWritePosition(-1), OutOfRange);
    EXPECT_EQ(frame.SetLengthAt(5, 1), OutOfRange);
}

TEST(Frame, ReadersStopAtTheEndOfTheFrameBytes) {
    struct Case {
        Bytes bytes;
        const char* what;
    };
    // Each case holds a unit cut short inside the value the reader wants.
    const Case cases[] = {
        {{}, "empty"},
        {{0xFF}, "long length indicator without its two octets"},
        {{0xFF, 0x01}, "long length indicator with one octet"},
        {{0x03, 0x01, 0x02}, "parameter value one octet short"},
        {{0xFF, 0x01, 0x2C, 0x00}, "300-octet value with one octet present"},
    };
    for (const Case& c : cases) {
        Frame frame(nullptr);
        // Storage larger than the unit: the readers must stop at the unit's end, not
        // at the storage's.
        Fill(frame, c.bytes, 512);
        std::uint32_t value = 77;
        std::uint8_t destination[512] = {};
        std::uint32_t length = 88;
        if (c.bytes.size() < 4) {
            EXPECT_EQ(frame.GetUInt32(value), OutOfRange) << c.what;
        }
        EXPECT_EQ(frame.GetParameterInteger(value), OutOfRange) << c.what;
        EXPECT_EQ(frame.GetParameterBytes(destination, length, 512), OutOfRange) << c.what;
        EXPECT_EQ(value, 77u) << c.what;
        EXPECT_EQ(length, 88u) << c.what;
        EXPECT_EQ(frame.GetWritePosition(), 0) << c.what;
    }

    Frame noStorage(nullptr, 10);
    noStorage.BeginWrite();
    std::uint8_t octet = 0;
    EXPECT_EQ(noStorage.GetByte(octet), OutOfRange);

    Frame wide(nullptr);
    Fill(wide, {0x05, 0x01, 0x02, 0x03, 0x04, 0x05});
    std::uint32_t value = 0;
    EXPECT_EQ(wide.GetParameterInteger(value), OutOfRange);
    Fill(wide, {0x05, 0x00, 0x01, 0x02, 0x03, 0x04});
    EXPECT_EQ(wide.GetParameterInteger(value), OkNoError);
    EXPECT_EQ(value, 0x01020304u);
}

TEST(Frame, RandomUnitsNeverReadOutsideTheirBytes) {
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        const std::size_t size = random() % 12;
        Bytes bytes(size);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % 4 == 0 ? 0xFF : random());
        // Exactly sized storage, so ASan sees any read past the unit.
        Frame frame(nullptr);
        if (size > 0) {
            Fill(frame, bytes);
        }
        for (int step = 0; step < 8; ++step) {
            std::uint32_t value = 0;
            std::uint8_t destination[16];
            std::uint32_t length = 0;
            switch (random() % 4) {
                case 0: frame.GetParameterInteger(value); break;
                case 1: frame.GetParameterBytes(destination, length, sizeof destination); break;
                case 2: frame.GetLengthIndicator(value); break;
                default: frame.GetUInt32(value); break;
            }
            ASSERT_LE(frame.GetWritePosition(), static_cast<std::int32_t>(size));
        }
        std::uint32_t tag = 0, length = 0;
        while (frame.ReadBerTagLength(tag, length) > 0) {
            if (frame.Skip(length) < 0) break;
        }
    }
}

TEST(Frame, AppendDoublesTheStorageAndMovesTheTrailer) {
    Frame frame(nullptr);
    Bytes first(10);
    for (std::size_t i = 0; i < first.size(); ++i) first[i] = static_cast<std::uint8_t>(i);
    Fill(frame, first, 16);
    frame.SetWindow(0, 6, 4);
    const Bytes second(10, 0xAB);
    ASSERT_EQ(frame.Append(second.data(), 10), OkNoError);
    EXPECT_EQ(frame.GetCapacity(), 32u);
    EXPECT_EQ(frame.GetWindowLength(), 10u);
    EXPECT_EQ(frame.GetTrailerLength(), 10u);
    EXPECT_EQ(frame.GetTotalLength(), 20u);
    EXPECT_EQ(Written(frame, 0, 10), first);
    EXPECT_EQ(Written(frame, 10, 20), second);

    // Growth doubles until the bytes fit with room to spare.
    const Bytes big(100, 0x01);
    ASSERT_EQ(frame.Append(big.data(), 100), OkNoError);
    EXPECT_EQ(frame.GetCapacity(), 128u);
    EXPECT_EQ(frame.GetTotalLength(), 120u);
    EXPECT_EQ(frame.Append(nullptr, 1), InvalidArguments);
}

TEST(Frame, AppendToAnEmptyFrameAllocates) {
    RawFrame frame(nullptr);
    const std::uint8_t first[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(frame.Append(first, 5), OkNoError);
    EXPECT_GE(frame.GetCapacity(), 5u);
    EXPECT_EQ(frame.GetWindowLength(), 0u);
    EXPECT_EQ(frame.GetTrailerLength(), 5u);
    const std::uint8_t second[] = {6, 7, 8};
    ASSERT_EQ(frame.Append(second, 3), OkNoError);
    EXPECT_EQ(frame.GetWindowLength(), 5u);
    EXPECT_EQ(frame.GetTrailerLength(), 3u);
    EXPECT_EQ(Written(frame, 0, 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_EQ(frame.Append(nullptr, 0), OkNoError);
    EXPECT_EQ(frame.GetTotalLength(), 8u);
}

TEST(Frame, AppendParameterWindowsTheValue) {
    Frame value(nullptr);
    Fill(value, {0xEE, 0x61, 0x62, 0x63});
    value.Advance(1);

    Frame frame(nullptr);
    ASSERT_EQ(frame.Allocate(16), OkNoError);
    frame.BeginWrite();
    ASSERT_EQ(frame.PutByte(0x0D), OkNoError);
    ASSERT_EQ(frame.AppendParameter(0xC1, value), OkNoError);
    EXPECT_EQ(Written(frame, 0, 6), (Bytes{0x0D, 0xC1, 0x03, 0x61, 0x62, 0x63}));
    EXPECT_EQ(frame.GetHead(), 3u);
    EXPECT_EQ(frame.GetWindowLength(), 3u);
    EXPECT_EQ(frame.GetTrailerLength(), 0u);
    EXPECT_EQ(frame.GetWritePosition(), 6);

    Frame small(nullptr);
    ASSERT_EQ(small.Allocate(4), OkNoError);
    small.SetWindow(1, 2, 0);
    small.BeginWrite();
    EXPECT_EQ(small.AppendParameter(0xC1, value), NoResources);
    EXPECT_EQ(small.GetWritePosition(), 0);
    EXPECT_EQ(small.GetHead(), 1u);
    EXPECT_EQ(small.GetWindowLength(), 2u);

    Frame noBytes(nullptr, 5);
    EXPECT_EQ(frame.AppendParameter(0xC1, noBytes), InvalidArguments);
}

TEST(Frame, HexDumpLines) {
    Frame frame(nullptr);
    Bytes bytes(17);
    for (std::size_t i = 0; i < 16; ++i) bytes[i] = static_cast<std::uint8_t>(0x30 + i);
    bytes[3] = 0x01;
    bytes[16] = 0x41;
    Fill(frame, bytes);
    char text[200];
    frame.HexDump(text, sizeof text);
    const std::string expected =
        "0000\t30 31 32 01 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F 012.456789:;<=>?\n"
        "0010\t41                                              A\n";
    EXPECT_EQ(std::string(text), expected);

    // Each line needs 71 characters of room; a second line that would not fit is left out.
    char small[140];
    frame.HexDump(small, sizeof small);
    EXPECT_EQ(std::string(small), expected.substr(0, expected.find('\n') + 1));
    char tiny[70];
    frame.HexDump(tiny, sizeof tiny);
    EXPECT_EQ(std::string(tiny), "");

    Frame empty(nullptr);
    frame.HexDump(text, sizeof text);
    empty.HexDump(text, sizeof text);
    EXPECT_EQ(std::string(text), "0000\t" + std::string(48, ' ') + "\n");
}

TEST(Frame, BerTagAndLengthReading) {
    struct Case {
        Bytes bytes;
        int result;
        std::uint32_t tag, length;
    };
    Bytes longForm = {0x30, 0x82, 0x01, 0x00};
    longForm.resize(4 + 256, 0x00);
    const Case cases[] = {
        {longForm, 4, 0x30, 256},
        {{0x30, 0x82, 0x01, 0x00}, -1, 0, 0},  // content missing
        {{0x02, 0x01, 0x05}, 2, 0x02, 1},
        {{0x9F, 0x81, 0x01, 0x00}, 4, 129, 0},
        {{0x9F, 0x40, 0x00}, 3, 64, 0},
        {{0x9F, 0x81}, -1, 0, 0},
        {{0x9F, 0x81, 0x81, 0x81, 0x81, 0x01, 0x00}, -1, 0, 0},
        {{0x30, 0x80, 0x00, 0x00}, -1, 0, 0},  // indefinite form
        {{0x30, 0x85, 0, 0, 0, 0, 1}, -1, 0, 0},
        {{0x30}, -1, 0, 0},
        {{}, -1, 0, 0},
    };
    for (const Case& c : cases) {
        Frame frame(nullptr);
        if (!c.bytes.empty()) Fill(frame, c.bytes);
        std::uint32_t tag = 99, length = 99;
        EXPECT_EQ(frame.ReadBerTagLength(tag, length), c.result);
        if (c.result > 0) {
            EXPECT_EQ(tag, c.tag);
            EXPECT_EQ(length, c.length);
            EXPECT_EQ(frame.GetHead(), static_cast<std::uint32_t>(c.result));
        } else {
            EXPECT_EQ(tag, 99u);
            EXPECT_EQ(frame.GetHead(), 0u);
        }
    }
}

TEST(Frame, BerValuesArePrependedIntoTheHeadRoom) {
    struct Case {
        int (*prepend)(Frame&);
        Bytes octets;
    };
    const Case cases[] = {
        {[](Frame& f) { return f.PrependBerInteger(128, 0x02); }, {0x02, 0x02, 0x00, 0x80}},
        {[](Frame& f) { return f.PrependBerInteger(-129, 0x02); }, {0x02, 0x02, 0xFF, 0x7F}},
        {[](Frame& f) { return f.PrependBerInteger(0, 0x02); }, {0x02, 0x01, 0x00}},
        {[](Frame& f) { return f.PrependBerInteger(-1, 0x02); }, {0x02, 0x01, 0xFF}},
        {[](Frame& f) { return f.PrependBerInteger(INT32_MIN, 0x02); }, {0x02, 0x04, 0x80, 0x00, 0x00, 0x00}},
        {[](Frame& f) { return f.PrependBerUnsigned(0x80, 0x02); }, {0x02, 0x02, 0x00, 0x80}},
        {[](Frame& f) { return f.PrependBerUnsigned(0x7F, 0x80); }, {0x80, 0x01, 0x7F}},
        {[](Frame& f) { return f.PrependBerUnsigned(UINT32_MAX, 0x02); }, {0x02, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
        {[](Frame& f) { return f.PrependBerBoolean(true, 0x01); }, {0x01, 0x01, 0x01}},
        {[](Frame& f) { return f.PrependBerBoolean(false, 0x83); }, {0x83, 0x01, 0x00}},
        {[](Frame& f) { return f.PrependBerLength(0, 0xBF4D); }, {0xBF, 0x4D, 0x00}},
    };
    for (const Case& c : cases) {
        Frame frame(nullptr);
        ASSERT_EQ(frame.Allocate(16), OkNoError);
        frame.SetWindow(16, 0, 0);
        EXPECT_EQ(c.prepend(frame), static_cast<int>(c.octets.size()));
        EXPECT_EQ(WindowBytes(frame), c.octets);
        EXPECT_EQ(frame.GetHead(), 16 - c.octets.size());
    }
}

TEST(Frame, BerRoundTripAndRoomChecks) {
    Frame frame(nullptr);
    ASSERT_EQ(frame.Allocate(300), OkNoError);
    frame.SetWindow(300, 0, 0);
    const Bytes text(200, 'x');
    ASSERT_EQ(frame.PrependBerOctets(text.data(), 200, 0x1A), 203);
    EXPECT_EQ(Written(frame, 97, 100), (Bytes{0x1A, 0x81, 0xC8}));
    ASSERT_EQ(frame.PrependBerInteger(-5, 0x02), 3);
    ASSERT_EQ(frame.PrependBerUnsigned(40000, 0x02), 5);
    ASSERT_EQ(frame.PrependBerBoolean(true, 0x01), 3);
    ASSERT_EQ(frame.PrependBerLength(214, 0x30), 217);

    std::uint32_t tag = 0, length = 0;
    ASSERT_EQ(frame.ReadBerTagLength(tag, length), 3);
    EXPECT_EQ(tag, 0x30u);
    EXPECT_EQ(length, 214u);
    bool flag = false;
    ASSERT_EQ(frame.ReadBerTagLength(tag, length), 2);
    ASSERT_EQ(frame.ReadBerBoolean(flag, length), 1);
    EXPECT_TRUE(flag);
    std::uint32_t unsignedValue = 0;
    ASSERT_EQ(frame.ReadBerTagLength(tag, length), 2);
    ASSERT_EQ(frame.ReadBerUnsigned(unsignedValue, length), 3);
    EXPECT_EQ(unsignedValue, 40000u);
    std::int32_t signedValue = 0;
    ASSERT_EQ(frame.ReadBerTagLength(tag, length), 2);
    ASSERT_EQ(frame.ReadBerInteger(signedValue, length), 1);
    EXPECT_EQ(signedValue, -5);
    ASSERT_EQ(frame.ReadBerTagLength(tag, length), 3);
    std::string read;
    ASSERT_EQ(frame.ReadText(read, length), 200);
    EXPECT_EQ(read, std::string(200, 'x'));
    EXPECT_EQ(frame.GetWindowLength(), 0u);
    EXPECT_EQ(frame.ReadBytes(reinterpret_cast<std::uint8_t*>(read.data()), 1), -1);
    EXPECT_EQ(frame.Skip(1), -1);

    // No room left in front: nothing is written.
    Frame tight(nullptr);
    ASSERT_EQ(tight.Allocate(3), OkNoError);
    tight.SetWindow(3, 0, 0);
    EXPECT_EQ(tight.PrependBerInteger(128, 0x02), -1);
    EXPECT_EQ(tight.GetHead(), 3u);
    EXPECT_EQ(tight.PrependBerInteger(5, 0x02), 3);
    EXPECT_EQ(tight.PrependBerLength(3, 0x30), -1);

    Frame values(nullptr);
    Fill(values, {0x80, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00});
    std::int32_t integer = 0;
    EXPECT_EQ(values.ReadBerInteger(integer, 0), -1);
    EXPECT_EQ(values.ReadBerInteger(integer, 5), -1);
    ASSERT_EQ(values.ReadBerInteger(integer, 4), 4);
    EXPECT_EQ(integer, INT32_MIN);
    std::uint32_t number = 0;
    EXPECT_EQ(values.ReadBerUnsigned(number, 5), -1);  // five octets without a leading zero
    EXPECT_EQ(values.ReadBerBoolean(flag, 2), -1);
    EXPECT_EQ(values.Skip(7), -1);
    EXPECT_EQ(values.Skip(6), 6);
}
