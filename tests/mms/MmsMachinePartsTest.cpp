// The parts of the protocol machine that do not need a connection: invoke ids, how an
// initiate answer is settled, the services table, rejects and service errors.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "mms/MmsWire.h"
#include "mms/machine/InvokeCounter.h"
#include "mms/pdu/InitiateParameters.h"
#include "mms/pdu/MmsPduWriter.h"
#include "support/ToolCheck.h"

using namespace Mms;
using TestSupport::BytesFromHex;

namespace {

MmsPdu* Decoded(const char* hex) {
    const auto bytes = BytesFromHex(hex);
    MmsPdu* pdu = nullptr;
    EXPECT_EQ(MmsDecodePdu(bytes.data(), bytes.size(), pdu), System::OkNoError) << hex;
    return pdu;
}

MmsPdu* InitiateAnswer(const InitiateParameters& parameters) {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduInitiateResponse;
    EXPECT_EQ(MmsFillInitiateResponse(parameters, pdu->choice.initiateResponse), System::OkNoError);
    return pdu;
}

}  // namespace

TEST(InvokeCounter, CountsFromOneAfterEveryResetAndWrapsBeforeLeavingUnsigned32) {
    InvokeCounter counter;
    EXPECT_EQ(counter.Next(), 1u);
    EXPECT_EQ(counter.Next(), 2u);
    EXPECT_EQ(counter.Last(), 2u);
    counter.Reset();
    EXPECT_EQ(counter.Last(), 0u);
    EXPECT_EQ(counter.Next(), 1u);
    counter.Reset(InvokeCounter::Largest - 1);
    EXPECT_EQ(counter.Next(), 2147483647u);
    EXPECT_EQ(counter.Next(), 1u);
    // An id comes with the generation it was taken in; every reset starts the next one.
    const InvokeCounter::Ticket before = counter.Take();
    counter.Reset();
    const InvokeCounter::Ticket after = counter.Take();
    EXPECT_EQ(after.id, 1u);
    EXPECT_EQ(after.generation, before.generation + 1);
    EXPECT_EQ(counter.Generation(), after.generation);
}

TEST(InvokeCounter, RequestsMadeOnManyThreadsGetDistinctIds) {
    InvokeCounter counter;
    constexpr int kThreads = 8;
    constexpr int kEach = 5000;
    std::vector<std::vector<std::uint32_t>> taken(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&counter, &ids = taken[t]] {
            for (int i = 0; i < kEach; ++i) ids.push_back(counter.Next());
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::vector<std::uint32_t> all;
    for (const auto& ids : taken) all.insert(all.end(), ids.begin(), ids.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_EQ(all.front(), 1u);
    EXPECT_EQ(all.back(), static_cast<std::uint32_t>(kThreads * kEach));
}

TEST(InitiateAnswer, TheMaximumPduSizeNeverExceedsWhatWasOffered) {
    const InitiateParameters proposal = InitiateParameters::Defaults();
    struct Case {
        bool present;
        std::int32_t answered;
        System::ResultCode result;
        std::int32_t settled;
    };
    const Case cases[] = {
        {false, 0, System::OkNoError, 196352},          // none named: the offer stands
        {true, 65000, System::OkNoError, 65000},        // lowered by the peer
        {true, 2000000000, System::OkNoError, 196352},  // raised by the peer: not taken
        {true, 100, System::OutOfRange, 100},           // too small to carry anything
        {true, -1, System::OutOfRange, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answered);
        InitiateParameters answered = InitiateParameters::Defaults();
        answered.localDetailPresent = c.present;
        answered.localDetail = c.answered;
        MmsPdu* answer = InitiateAnswer(answered);
        InitiateParameters negotiated = InitiateParameters::Cleared();
        ServiceErrorRecord error;
        EXPECT_EQ(MmsSettleInitiateAnswer(*answer, proposal, negotiated, error), c.result);
        if (c.result == System::OkNoError) {
            EXPECT_TRUE(negotiated.localDetailPresent);
            EXPECT_EQ(negotiated.localDetail, c.settled);
        }
        MmsFreePdu(answer);
    }
}

TEST(InitiateAnswer, OutOfRangeCountsErrorsAndOtherPdusFail) {
    const InitiateParameters proposal = InitiateParameters::Defaults();
    InitiateParameters negotiated = InitiateParameters::Cleared();
    ServiceErrorRecord error;

    MmsPdu* answer = InitiateAnswer(InitiateParameters::Defaults());
    answer->choice.initiateResponse.negotiatedMaxServOutstandingCalling = 70000;
    EXPECT_EQ(MmsSettleInitiateAnswer(*answer, proposal, negotiated, error), System::OutOfRange);
    MmsFreePdu(answer);

    // initiate-Error, class initiate, code 3 (max-services-outstanding-calling-insufficient)
    answer = Decoded("AA 05 A0 03 88 01 03");
    EXPECT_EQ(MmsSettleInitiateAnswer(*answer, proposal, negotiated, error), System::Rejected);
    EXPECT_EQ(error.errorClass, MmsErrorClassInitiate);
    EXPECT_EQ(error.errorCode, 3);
    MmsFreePdu(answer);

    answer = Decoded("8C 00");
    EXPECT_EQ(MmsSettleInitiateAnswer(*answer, proposal, negotiated, error), System::Error);
    MmsFreePdu(answer);
}

TEST(InitiateAnswer, ServicesAreSupportedAsTheAnswerAnnouncedThem) {
    InitiateParameters answered = InitiateParameters::Defaults();
    answered.servicesSupported[4] = 1;   // read
    answered.servicesSupported[77] = 1;  // fileDirectory
    MmsPdu* answer = InitiateAnswer(answered);
    InitiateParameters negotiated = InitiateParameters::Cleared();
    ServiceErrorRecord error;
    ASSERT_EQ(MmsSettleInitiateAnswer(*answer, InitiateParameters::Defaults(), negotiated, error), System::OkNoError);
    MmsFreePdu(answer);
    EXPECT_TRUE(negotiated.SupportsService(MmsServiceRead));
    EXPECT_TRUE(negotiated.SupportsService(MmsServiceFileDirectory));
    EXPECT_FALSE(negotiated.SupportsService(MmsServiceWrite));
    EXPECT_FALSE(negotiated.SupportsService(0));
    EXPECT_FALSE(negotiated.SupportsService(21));
}

TEST(Reject, TheReasonFollowsTheRejectedPdu) {
    struct Case {
        const char* received;  // null: a unit that did not decode
        std::int32_t reason;
        const char* reject;
    };
    const Case cases[] = {
        {"A0 05 02 01 07 82 00", 1, "A4 06 80 01 07 81 01 01"},  // confirmed request
        {"A1 05 02 01 06 8B 00", 2, "A4 06 80 01 06 82 01 02"},  // confirmed response
        {"A2 0A 80 01 0C A2 05 A0 03 87 01 02", 1, "A4 06 80 01 0C 83 01 01"},
        {"A3 10 A0 0E A1 05 80 03 52 50 54 A0 05 8A 03 61 62 63", 3, "A4 03 84 01 03"},
        {"85 01 05", 1, "A4 03 86 01 01"},              // cancel request
        {"8B 00", 1, "A4 03 89 01 01"},                 // conclude request
        {"8C 00", 0, "A4 03 8A 01 00"},                 // conclude response
        {"AA 05 A0 03 88 01 00", 4, "A4 03 85 01 00"},  // initiate error: pdu-error 0
        {nullptr, 4, "A4 03 85 01 01"},
    };
    std::vector<std::vector<std::uint8_t>> images;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reject);
        MmsPdu* received = c.received == nullptr ? nullptr : Decoded(c.received);
        MmsPdu* pdu = MmsNewPdu();
        pdu->present = MmsPduReject;
        EXPECT_EQ(MmsFillReject(pdu->choice.reject, received, c.reason), System::OkNoError);
        MmsFreePdu(received);
        images.push_back(MmsTest::EncodeAndFree(pdu));
        EXPECT_EQ(MmsTest::Hex(images.back()), MmsTest::Hex(BytesFromHex(c.reject)));
    }
    if (TestSupport::WireCheckRuns()) {
        EXPECT_EQ(MmsTest::MmsProblems(images), "");
    }
}

TEST(ServiceErrorFill, ClassAndCodeComeFromTheHighAndLowHalves) {
    MmsPdu* pdu = MmsNewPdu();
    pdu->present = MmsPduConfirmedError;
    pdu->choice.confirmedError.invokeId = 3;
    ASSERT_EQ(MmsFillServiceError(pdu->choice.confirmedError.serviceError, MmsErrorClassAccess << 16 | 3),
              System::OkNoError);
    EXPECT_EQ(MmsTest::Hex(MmsTest::EncodeAndFree(pdu)), "A2 0A 80 01 03 A2 05 A0 03 87 01 03");

    pdu = MmsNewPdu();
    pdu->present = MmsPduConfirmedError;
    ASSERT_EQ(MmsFillServiceError(pdu->choice.confirmedError.serviceError, MmsErrorClassOthers << 16 | 300),
              System::OkNoError);
    EXPECT_EQ(MmsTest::Hex(MmsTest::EncodeAndFree(pdu)), "A2 0B 80 01 00 A2 06 A0 04 8C 02 01 2C");

    MmsServiceError error{};
    EXPECT_EQ(MmsFillServiceError(error, 14u << 16), System::InvalidArguments);
    EXPECT_EQ(MmsFillServiceError(error, 0), System::InvalidArguments);
}
