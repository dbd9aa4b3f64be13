#include "protocol/Asn1Coder.h"
#include "protocol/Asn1External.h"
#include "protocol/Asn1Frame.h"
#include "protocol/Asn1NumberValues.h"
#include "protocol/Asn1OidValues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

using namespace Asn1;
using namespace System;

namespace {

using Bytes = std::vector<std::uint8_t>;

Asn1Frame* NewIntegerFrame(std::int32_t value, std::uint32_t capacity) {
    auto* integer = static_cast<Asn1Integer*>(std::calloc(1, sizeof(Asn1Integer)));
    EXPECT_EQ(Int32ToAsn1Integer(integer, value), OkNoError);
    auto* frame = new Asn1Frame(nullptr, integer, &Asn1IntegerType, 9);
    EXPECT_EQ(frame->Allocate(capacity), OkNoError);
    frame->SetWindow(capacity, 0, 0);
    return frame;
}

const Bytes kWrappedFive = {0x28, 0x0C, 0x06, 0x02, 0x51, 0x01, 0x02, 0x01, 0x03, 0xA0, 0x03, 0x02, 0x01, 0x05};

}  // namespace

TEST(ExternalWrapping, WrapsTheFramesValueInPlace) {
    std::unique_ptr<Asn1Frame> frame(NewIntegerFrame(5, 64));
    Asn1External* external = nullptr;
    ASSERT_EQ(WrapFrameAsExternal(external, *frame), OkNoError);
    ASSERT_NE(external, nullptr);
    EXPECT_EQ(frame->GetState(), Asn1Frame::StateEncoded);
    EXPECT_EQ(frame->GetHead(), 61u);
    EXPECT_EQ(frame->GetWindowLength(), 3u);
    EXPECT_EQ(CompareAsn1OidWithText(external->directReference, "2.1.1"), 0);
    std::int32_t indirect = 0;
    ASSERT_EQ(Asn1IntegerToInt32(indirect, external->indirectReference), OkNoError);
    EXPECT_EQ(indirect, 3);
    EXPECT_EQ(external->dataValueDescriptor, nullptr);
    ASSERT_EQ(external->encoding.present, Asn1ExternalSingleAsn1Type);
    const Asn1Any& any = external->encoding.choice.singleAsn1Type;
    EXPECT_EQ(any.buf, frame->WindowData());
    EXPECT_EQ(any.size, 3);

    // The outer PDU is then encoded in front of it, the carried value staying where it is.
    Asn1OutputBuffer buffer{frame->Data(), frame->GetWindowStart() + frame->GetWindowLength()};
    int constructed = 0;
    ASSERT_EQ(Asn1Encode(&Asn1ExternalType, external, &constructed, &buffer), 14);
    EXPECT_EQ(Bytes(frame->Data() + buffer.position, frame->Data() + 64), kWrappedFive);
    Asn1FreeValue(&Asn1ExternalType, external);
}

TEST(ExternalWrapping, DecodesEveryEncodingChoice) {
    void* value = nullptr;
    ASSERT_EQ(Asn1Decode(nullptr, &Asn1ExternalType, &value, kWrappedFive.data(), kWrappedFive.size()).code,
              Asn1DecodeDone);
    auto* external = static_cast<Asn1External*>(value);
    ASSERT_EQ(external->encoding.present, Asn1ExternalSingleAsn1Type);
    EXPECT_EQ(Bytes(external->encoding.choice.singleAsn1Type.buf,
                    external->encoding.choice.singleAsn1Type.buf + external->encoding.choice.singleAsn1Type.size),
              (Bytes{0x02, 0x01, 0x05}));
    Asn1FreeValue(&Asn1ExternalType, external);

    const Bytes octetAligned = {0x28, 0x07, 0x02, 0x01, 0x03, 0x81, 0x02, 0xAB, 0xCD};
    value = nullptr;
    ASSERT_EQ(Asn1Decode(nullptr, &Asn1ExternalType, &value, octetAligned.data(), octetAligned.size()).code,
              Asn1DecodeDone);
    external = static_cast<Asn1External*>(value);
    EXPECT_EQ(external->directReference, nullptr);
    ASSERT_NE(external->indirectReference, nullptr);
    ASSERT_EQ(external->encoding.present, Asn1ExternalOctetAligned);
    EXPECT_EQ(external->encoding.choice.octetAligned.size, 2);
    Asn1FreeValue(&Asn1ExternalType, external);

    const Bytes arbitrary = {0x28, 0x04, 0x82, 0x02, 0x07, 0x80};
    value = nullptr;
    ASSERT_EQ(Asn1Decode(nullptr, &Asn1ExternalType, &value, arbitrary.data(), arbitrary.size()).code, Asn1DecodeDone);
    external = static_cast<Asn1External*>(value);
    ASSERT_EQ(external->encoding.present, Asn1ExternalArbitrary);
    EXPECT_EQ(external->encoding.choice.arbitrary.unusedBits, 7);
    Asn1FreeValue(&Asn1ExternalType, external);

    const Bytes unknownChoice = {0x28, 0x03, 0x83, 0x01, 0x00};
    value = nullptr;
    EXPECT_NE(Asn1Decode(nullptr, &Asn1ExternalType, &value, unknownChoice.data(), unknownChoice.size()).code,
              Asn1DecodeDone);
    Asn1FreeValue(&Asn1ExternalType, value);
}

TEST(ExternalWrapping, FailuresLeaveNothingBehind) {
    std::unique_ptr<Asn1Frame> tooSmall(NewIntegerFrame(5, 2));
    Asn1External stale{};
    Asn1External* external = &stale;
    EXPECT_EQ(WrapFrameAsExternal(external, *tooSmall), NoResources);
    EXPECT_EQ(external, nullptr);
    EXPECT_EQ(tooSmall->GetHead(), 2u);
    EXPECT_EQ(tooSmall->GetWindowLength(), 0u);
    EXPECT_NE(tooSmall->GetValue(), nullptr);

    Asn1Frame empty(nullptr);
    EXPECT_EQ(WrapFrameAsExternal(external, empty), InvalidArguments);
    EXPECT_EQ(external, nullptr);
}

TEST(ExternalWrapping, AnEncodedFrameLendsItsWindow) {
    std::unique_ptr<Asn1Frame> frame(NewIntegerFrame(5, 16));
    ASSERT_EQ(frame->Encode(), OkNoError);
    Asn1External* external = nullptr;
    ASSERT_EQ(WrapFrameAsExternal(external, *frame), OkNoError);
    EXPECT_EQ(external->encoding.choice.singleAsn1Type.buf, frame->WindowData());
    EXPECT_EQ(external->encoding.choice.singleAsn1Type.size, 3);
    Asn1FreeValue(&Asn1ExternalType, external);
}
