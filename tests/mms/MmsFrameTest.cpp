#include <gtest/gtest.h>

#include "mms/MmsWire.h"
#include "mms/machine/MmsFrame.h"
#include "mms/pdu/MmsPduWriter.h"

using namespace Mms;
using TestSupport::BytesFromHex;

TEST(MmsFrame, ASendingFrameHoldsItsPduBehindTheHeadRoomAndNothingMore) {
    MmsFrame frame(nullptr, MmsFrame::KindConcludeRequest, 1000, 3);
    ASSERT_NE(frame.GetPdu(), nullptr);
    EXPECT_EQ(frame.GetPduKind(), MmsPduConcludeRequest);
    EXPECT_EQ(frame.GetContextIdentifier(), 3u);
    ASSERT_EQ(frame.Encode(), System::OkNoError);
    EXPECT_EQ(frame.GetState(), Protocol::Frame::StateEncoded);
    EXPECT_EQ(frame.GetWindowLength(), 2u);
    EXPECT_EQ(frame.GetCapacity(), MmsFrame::HeadRoom + 2);
    EXPECT_EQ(frame.GetWindowStart(), frame.GetCapacity() - 2);
    EXPECT_EQ(MmsTest::Hex({frame.WindowData(), frame.WindowData() + 2}), "8B 00");
    EXPECT_EQ(frame.GetPdu(), nullptr);  // the value went into the bytes
}

TEST(MmsFrame, AnAnswerTakesTheInvokeIdOfTheRequest) {
    const auto request = BytesFromHex("A0 05 02 01 2A 82 00");
    MmsFrame received(nullptr, request);
    ASSERT_TRUE(received.IsDecoded());
    EXPECT_EQ(received.GetPduKind(), MmsPduConfirmedRequest);

    MmsFrame response(nullptr, MmsFrame::KindConfirmedResponse, received, 1000, 3);
    EXPECT_EQ(response.GetPdu()->choice.confirmedResponse.invokeId, 42);
    MmsFrame error(nullptr, MmsFrame::KindConfirmedError, received, 1000, 3);
    EXPECT_EQ(error.GetPdu()->choice.confirmedError.invokeId, 42);
    ASSERT_EQ(MmsFillServiceError(error.GetPdu()->choice.confirmedError.serviceError, MmsErrorClassService << 16 | 1),
              System::OkNoError);
    ASSERT_EQ(error.Encode(), System::OkNoError);
    EXPECT_EQ(MmsTest::Hex({error.WindowData(), error.WindowData() + error.GetWindowLength()}),
              "A2 0A 80 01 2A A2 05 A0 03 84 01 01");
}

TEST(MmsFrame, APduLargerThanTheSettledMaximumIsNotSent) {
    struct Case {
        int names;
        System::ResultCode result;
    };
    // 45 names of 5 characters make a 333-octet PDU: above the maximum of 300, within
    // the storage (the maximum plus head room). 100 names do not fit the storage.
    for (const Case c : {Case{40, System::OkNoError}, Case{45, System::OutOfRange}, Case{100, System::NoResources}}) {
        SCOPED_TRACE(c.names);
        MmsFrame frame(nullptr, MmsFrame::KindConfirmedResponse, 300, 3);
        std::list<std::string> names;
        for (int i = 0; i < c.names; ++i) names.push_back("N" + std::to_string(1000 + i));
        ASSERT_EQ(MmsFillGetNameListResponse(frame.GetPdu()->choice.confirmedResponse.service, names, false),
                  System::OkNoError);
        EXPECT_EQ(frame.Encode(), c.result);
        EXPECT_EQ(frame.GetState(),
                  c.result == System::OkNoError ? Protocol::Frame::StateEncoded : Protocol::Frame::StateInvalid);
    }
}

TEST(MmsFrame, ReceivedBytesThatAreNotOneWholePduLeaveTheFrameUndecoded) {
    for (const char* hex : {"A0 05 02 01 2A 82 00 00", "A0 05 02 01", "", "FF FF"}) {
        SCOPED_TRACE(hex);
        const auto bytes = BytesFromHex(hex);
        MmsFrame frame(nullptr, bytes);
        EXPECT_FALSE(frame.IsDecoded());
        EXPECT_EQ(frame.GetPdu(), nullptr);
        EXPECT_EQ(frame.GetPduKind(), MmsPduNone);
    }
}

TEST(MmsFrame, APduOfManyKilobytesIsSentWholeInStorageOfItsOwnSize) {
    // Larger than the first scratch buffer of the thread: the encoder's room grows.
    MmsFrame frame(nullptr, MmsFrame::KindConfirmedResponse, 200000, 3);
    std::list<std::string> names;
    for (int i = 0; i < 3000; ++i) names.push_back("N" + std::to_string(100000 + i));
    ASSERT_EQ(MmsFillGetNameListResponse(frame.GetPdu()->choice.confirmedResponse.service, names, false),
              System::OkNoError);
    ASSERT_EQ(frame.Encode(), System::OkNoError);
    EXPECT_GT(frame.GetWindowLength(), 20000u);
    EXPECT_EQ(frame.GetCapacity(), MmsFrame::HeadRoom + frame.GetWindowLength());
    MmsFrame received(nullptr, {frame.WindowData(), frame.GetWindowLength()});
    ASSERT_TRUE(received.IsDecoded());
    EXPECT_EQ(received.GetPduKind(), MmsPduConfirmedResponse);
}
