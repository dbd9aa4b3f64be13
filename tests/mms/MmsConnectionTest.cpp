// The protocol machine on its own, without a chain below: what it refuses and how it
// hands received PDUs on.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsLayer.h"
#include "mms/machine/ReadResultsTaker.h"
#include "mms/machine/RequestHandle.h"
#include "support/WireCheck.h"

using namespace Mms;
using TestSupport::BytesFromHex;

namespace {

// Records the events the machine passes up and answers with a chosen result.
class RecordingUser : public Protocol::Connection {
public:
    explicit RecordingUser(Protocol::Layer* layer) : Connection(layer) {}
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override {
        auto* mmsFrame = dynamic_cast<MmsFrame*>(frame);
        events.push_back(event);
        kinds.push_back(mmsFrame != nullptr ? mmsFrame->GetPduKind() : MmsPduNone);
        keptReadResults.push_back(mmsFrame != nullptr && mmsFrame->KeepsReadResults());
        return answer;
    }
    std::vector<std::uint32_t> events;
    std::vector<MmsPduKind> kinds;
    std::vector<bool> keptReadResults;
    System::ResultCode answer = System::OkNoError;
};

// A user that applies read answers from their octets, as the service user does.
class OctetReadingUser : public RecordingUser, public ReadResultsTaker {
public:
    using RecordingUser::RecordingUser;
};

class MmsConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        mms = static_cast<MmsConnection*>(layer.CreateConnection());
        mms->SetUpper(&user);
        mms->Reset();
    }
    void TearDown() override {
        mms->SetUpper(nullptr);
        delete mms;
    }

    System::ResultCode Receive(const char* hex, std::uint32_t event = 16) {
        const auto bytes = BytesFromHex(hex);
        return mms->OnSingleAsn1Data(bytes, event);
    }

    MmsLayer layer;
    RecordingUser user{nullptr};
    MmsConnection* mms = nullptr;
};

}  // namespace

TEST_F(MmsConnectionTest, InvokeIdsStartAtOneAfterEveryReset) {
    RequestHandle first(*mms);
    RequestHandle second(*mms);
    EXPECT_EQ(first.GetInvokeId(), 1u);
    EXPECT_EQ(second.GetInvokeId(), 2u);
    EXPECT_EQ(mms->GetInvokeCounter(), 2u);
    mms->Reset();
    EXPECT_EQ(RequestHandle(*mms).GetInvokeId(), 1u);
    EXPECT_EQ(mms->GetMaxPduSize(), 196352u);  // before any initiate
}

TEST_F(MmsConnectionTest, ReceivedPdusGoUpWithTheirKindAsEvent) {
    struct Case {
        const char* pdu;
        std::uint32_t event;
    };
    const Case cases[] = {
        {"A0 05 02 01 07 82 00", 1},                 // confirmed request
        {"A1 05 02 01 06 8B 00", 2},                 // confirmed response
        {"A2 0A 80 01 0C A2 05 A0 03 87 01 02", 3},  // confirmed error
        {"A3 10 A0 0E A1 05 80 03 52 50 54 A0 05 8A 03 61 62 63", 4},
        {"A4 03 85 01 01", 5},  // reject
        {"8B 00", 12},          // conclude request
        {"8C 00", 13},          // conclude response, taken by the user
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pdu);
        user.events.clear();
        user.kinds.clear();
        EXPECT_EQ(Receive(c.pdu), System::OkNoError);
        ASSERT_EQ(user.events.size(), 1u);
        EXPECT_EQ(user.events[0], c.event);
        EXPECT_EQ(static_cast<std::uint32_t>(user.kinds[0]), c.event);
    }
}

TEST_F(MmsConnectionTest, OnlyAUserThatTakesThemGetsReadResultsAsOctets) {
    const char* readAnswer = "A1 0A 02 01 01 A4 05 A1 03 85 01 07";
    EXPECT_EQ(Receive(readAnswer), System::OkNoError);
    OctetReadingUser taker(nullptr);
    mms->SetUpper(&taker);
    EXPECT_EQ(Receive(readAnswer), System::OkNoError);
    mms->SetUpper(&user);
    EXPECT_EQ(user.keptReadResults, std::vector<bool>{false});
    EXPECT_EQ(taker.keptReadResults, std::vector<bool>{true});
}

TEST_F(MmsConnectionTest, WhatNoExchangeWaitsForIsRefused) {
    user.answer = System::NotImplemented;  // the user does not take conclude answers
    EXPECT_EQ(Receive("8C 00"), System::InvalidState);
    EXPECT_EQ(Receive("AD 05 A0 03 89 01 01"), System::InvalidState);  // conclude error
    EXPECT_EQ(Receive("A9 03 81 01 0A", 1), System::Error);            // undecodable
    EXPECT_EQ(Receive("A0 05 02 01 07 82 00 FF"), System::Error);      // trailing octet
    EXPECT_EQ(Receive("8B 00", 18), System::OkNoError);                // token notification
    EXPECT_EQ(Receive("8B 00", 2), System::NotImplemented);
    EXPECT_EQ(Receive("8B 00", 7), System::NotSupported);
    EXPECT_EQ(mms->GetQueue().GetCount(), 0u);
}

TEST_F(MmsConnectionTest, ExchangesAndAnswersNeedTheirState) {
    InitiateParameters negotiated;
    ServiceErrorRecord error;
    EXPECT_EQ(mms->Conclude(error), System::NotConnected);
    const RequestHandle concludeRequest(*mms);
    EXPECT_EQ(mms->SendConcludeRequest(concludeRequest), System::NotConnected);
    // Without an association control connection below the initiate cannot start.
    EXPECT_EQ(mms->Initiate(InitiateParameters::Defaults(), negotiated, error), System::NotConnected);
    EXPECT_EQ(mms->GetState(), MmsConnection::StateFailed);
    EXPECT_EQ(mms->Initiate(InitiateParameters::Defaults(), negotiated, error), System::AlreadyConnected);

    // A confirmed error answers only a decoded confirmed request.
    const auto conclude = BytesFromHex("8B 00");
    MmsFrame notARequest(mms, conclude);
    EXPECT_EQ(mms->SendConfirmedError(notARequest, MmsErrorClassService << 16), System::InvalidContext);
    const auto garbage = BytesFromHex("A0 05 02");
    MmsFrame undecoded(mms, garbage);
    EXPECT_EQ(mms->SendConfirmedError(undecoded, MmsErrorClassService << 16), System::InvalidContext);
}

TEST_F(MmsConnectionTest, AnAbortIndicationResetsAndTellsTheUserOnce) {
    RequestHandle request(*mms);
    EXPECT_EQ(mms->OnLowerIndication(nullptr, 9), System::OkNoError);
    // Told once; the machine's own ending then resets the user's side under its claim.
    const std::vector<std::uint32_t> told{MmsConnection::EventPeerAbort, MmsConnection::EventEnded};
    EXPECT_EQ(user.events, told);
    EXPECT_EQ(mms->GetInvokeCounter(), 0u);
    EXPECT_EQ(mms->GetState(), MmsConnection::StateIdle);
    EXPECT_EQ(mms->OnLowerIndication(nullptr, 3), System::NotSupported);
    EXPECT_EQ(user.events, told);
}

TEST_F(MmsConnectionTest, AnInitiateRequestFromAPeerIsTakenOverAsTheProposal) {
    const char* request =
        "A8 26 80 03 01 00 00 81 01 05 82 01 07 83 01 04 A4 16 80 01 01 81 03 05 F1 00 82 0C 03 EE 1C 00 00 04 00 00 "
        "00 "
        "00 01 00";
    EXPECT_EQ(Receive(request, 0), System::OkNoError);
    ASSERT_EQ(user.events.size(), 1u);
    EXPECT_EQ(user.events[0], MmsConnection::EventInitiateRequest);
    const InitiateParameters proposal = mms->GetProposal();
    EXPECT_EQ(proposal.localDetail, 65536);
    EXPECT_EQ(proposal.maxServOutstandingCalling, 5);
    EXPECT_EQ(proposal.maxServOutstandingCalled, 7);
    EXPECT_EQ(proposal.nestingLevel, 4);
    EXPECT_EQ(proposal.servicesSupported[4], 1);
    EXPECT_EQ(proposal.parameterCbb[3], 1);

    // Not a request: refused before the user hears of it.
    user.events.clear();
    EXPECT_EQ(Receive("8B 00", 0), System::InvalidArguments);
    EXPECT_TRUE(user.events.empty());
}
