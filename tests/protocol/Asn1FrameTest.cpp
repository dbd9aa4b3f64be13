#include "protocol/Asn1Coder.h"
#include "protocol/Asn1Frame.h"
#include "protocol/Asn1NumberValues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using Asn1::Asn1Frame;
using namespace Asn1;
using namespace System;

namespace {

using Bytes = std::vector<std::uint8_t>;

Asn1Integer* NewInteger(std::int32_t value) {
    auto* integer = static_cast<Asn1Integer*>(std::calloc(1, sizeof(Asn1Integer)));
    EXPECT_EQ(Int32ToAsn1Integer(integer, value), OkNoError);
    return integer;
}

// A sending frame: the whole storage is head room in front of an empty window.
void PrepareForSending(Asn1Frame& frame, std::uint32_t capacity) {
    ASSERT_EQ(frame.Allocate(capacity), OkNoError);
    frame.SetWindow(capacity, 0, 0);
}

Bytes WindowBytes(const Asn1Frame& frame) {
    return Bytes(frame.WindowData(), frame.WindowData() + frame.GetWindowLength());
}

struct TwoIntegers {
    Asn1Presence present;
    union {
        Asn1Integer first;
        Asn1Integer second;
    } choice;
};
constexpr auto kTwoIntegersMembers = Asn1Members({
    Asn1Field(offsetof(TwoIntegers, choice), Asn1IntegerType, "first").Implicit(Asn1ContextTag(0)),
    Asn1Field(offsetof(TwoIntegers, choice), Asn1IntegerType, "second").Implicit(Asn1ContextTag(1)),
});
constinit const Asn1TypeDescriptor TwoIntegersType = Asn1ChoiceType<TwoIntegers, kTwoIntegersMembers>("TwoIntegers");

}  // namespace

TEST(Asn1Frame, EncodesIntoTheHeadRoomAndFreesTheValue) {
    Asn1Frame frame(nullptr, NewInteger(128), &Asn1IntegerType, 9);
    EXPECT_EQ(frame.GetKind(), 9);
    EXPECT_EQ(frame.GetState(), Asn1Frame::StateNew);
    PrepareForSending(frame, 16);
    ASSERT_EQ(frame.Encode(), OkNoError);
    EXPECT_EQ(frame.GetState(), Asn1Frame::StateEncoded);
    EXPECT_EQ(WindowBytes(frame), (Bytes{0x02, 0x02, 0x00, 0x80}));
    EXPECT_EQ(frame.GetHead(), 12u);
    EXPECT_EQ(frame.GetValue(), nullptr);
    // Encoded already: nothing more happens.
    EXPECT_EQ(frame.Encode(), OkNoError);
    EXPECT_EQ(frame.GetHead(), 12u);
}

TEST(Asn1Frame, FailedEncodingIsInvalidAndFreesTheValue) {
    Asn1Frame tooSmall(nullptr, NewInteger(128), &Asn1IntegerType, 9);
    PrepareForSending(tooSmall, 3);
    EXPECT_EQ(tooSmall.Encode(), NoResources);
    EXPECT_EQ(tooSmall.GetState(), Asn1Frame::StateInvalid);
    EXPECT_EQ(tooSmall.GetValue(), nullptr);
    EXPECT_EQ(tooSmall.GetWindowLength(), 0u);

    // An encoding that would not end at the end of the frame's bytes.
    Asn1Frame notAtEnd(nullptr, NewInteger(5), &Asn1IntegerType, 9);
    ASSERT_EQ(notAtEnd.Allocate(16), OkNoError);
    notAtEnd.SetWindow(8, 4, 0);
    EXPECT_NE(notAtEnd.Encode(), OkNoError);
    EXPECT_EQ(notAtEnd.GetState(), Asn1Frame::StateInvalid);
    EXPECT_EQ(notAtEnd.GetValue(), nullptr);

    auto* choice = static_cast<TwoIntegers*>(std::calloc(1, sizeof(TwoIntegers)));
    Asn1Frame noAlternative(nullptr, choice, &TwoIntegersType, 1);
    PrepareForSending(noAlternative, 16);
    EXPECT_EQ(noAlternative.Encode(), Error);
    EXPECT_EQ(noAlternative.GetState(), Asn1Frame::StateInvalid);

    Asn1Frame noStorage(nullptr, NewInteger(1), &Asn1IntegerType, 9);
    EXPECT_NE(noStorage.Encode(), OkNoError);
    EXPECT_EQ(noStorage.GetState(), Asn1Frame::StateInvalid);
}

TEST(Asn1Frame, DecodesReceivedBytes) {
    const Bytes bytes = {0x81, 0x01, 0x2A};
    Asn1Frame frame(bytes, &TwoIntegersType);
    ASSERT_EQ(frame.GetState(), Asn1Frame::StateDecoded);
    const auto* value = frame.GetValueAs<TwoIntegers>();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->present, 2);
    std::int32_t number = 0;
    ASSERT_EQ(Asn1IntegerToInt32(number, &value->choice.second), OkNoError);
    EXPECT_EQ(number, 42);
    EXPECT_EQ(frame.Decode(bytes.data(), 3), InvalidState);

    void* detached = frame.DetachValue();
    EXPECT_EQ(frame.GetValue(), nullptr);
    Asn1FreeValue(&TwoIntegersType, detached);
}

TEST(Asn1Frame, UndecodableBytesLeaveNoValue) {
    const Bytes cases[] = {
        {0x82, 0x01, 0x2A},  // no such alternative
        {0x81, 0x05, 0x2A},  // length past the end
        {},
        {0xA1, 0x80, 0x00, 0x00},
    };
    for (const Bytes& bytes : cases) {
        Asn1Frame frame(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &TwoIntegersType);
        EXPECT_EQ(frame.GetState(), Asn1Frame::StateEncoded);
        EXPECT_EQ(frame.GetValue(), nullptr);
        // A second attempt starts from nothing as well.
        EXPECT_EQ(frame.Decode(bytes.data(), static_cast<std::uint32_t>(bytes.size())), ProtocolError);
        EXPECT_EQ(frame.GetValue(), nullptr);
    }
    Asn1Frame fresh(nullptr);
    EXPECT_EQ(fresh.Decode(nullptr, 0), InvalidState);
}

TEST(Asn1Frame, AttachedValuesAreOwned) {
    Asn1Frame frame(nullptr);
    EXPECT_EQ(frame.GetKind(), 0);
    frame.AttachValue(NewInteger(1), &Asn1IntegerType);
    frame.AttachValue(NewInteger(2), &Asn1IntegerType);  // frees the first
    EXPECT_NE(frame.GetValue(), nullptr);
    // The destructor frees the second (the leak checker watches both).
}
