// The MMS initiate and conclude between the library's initiator chain and a responder
// chain on 127.0.0.1, each running the whole lower stack. On top of each MMS
// connection sits a small stand-in for the service user: on the responder it answers
// the initiate with this side's services and the conclude; on the initiator it only
// records what comes up.

#include <gtest/gtest.h>

#include <thread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsFrame.h"
#include "mms/machine/MmsLayer.h"
#include "mms/machine/RequestHandle.h"
#include "mms/pdu/InitiateParameters.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "osi/AcseConnection.h"
#include "osi/AcseLayer.h"
#include "osi/CoppLayer.h"
#include "osi/CospLayer.h"
#include "osi/CotpLayer.h"
#include "osi/ItotLayer.h"
#include "osi/TcpConnection.h"
#include "osi/W32TcpLayer.h"
#include "protocol/Stack.h"
#include "support/StackProfile.h"
#include "system/Polling.h"

using namespace Mms;

namespace {

// Stands where the service user stands.
class StandInUser : public Protocol::Connection {
public:
    explicit StandInUser(Protocol::Layer* layer) : Connection(layer) {}
    ~StandInUser() override { ReleaseLower(); }

    MmsConnection* Mms() { return static_cast<MmsConnection*>(GetLower()); }

    // What one received PDU said, as far as the tests look.
    struct Received {
        std::uint32_t event = 0;
        std::int32_t invokeId = -1;
        std::int32_t service = 0;  // the confirmed service, or the reject reason choice
        std::int32_t code = 0;     // the reject code or the error class
        std::string text;          // identify: the vendor name
    };

    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override {
        auto* mmsFrame = dynamic_cast<MmsFrame*>(frame);
        const MmsPdu* pdu = mmsFrame != nullptr ? mmsFrame->GetPdu() : nullptr;
        {
            std::lock_guard lock(mutex_);
            events_.push_back(event);
            received_.push_back(Describe(event, pdu));
        }
        changed_.notify_all();
        if (!answers_) {
            // Unless taken here, a conclude answer goes to the waiting Conclude.
            const bool take = takeConcludeAnswers_ && event == MmsConnection::EventConcludeResponse;
            return take ? System::OkNoError : System::NotImplemented;
        }
        if (event == MmsConnection::EventConfirmedRequest) return Answer(*mmsFrame);
        if (event == MmsConnection::EventInitiateRequest) {
            if (ignoreInitiate_) return System::OkNoError;
            // The answer announces the services this side handles.
            InitiateParameters answer = Mms()->GetProposal();
            for (std::size_t bit : {1, 2, 4, 5, 6, 11, 12, 13, 37}) answer.servicesSupported[bit] = 1;
            return Mms()->SendInitiateResponse(answer);
        }
        if (event == MmsConnection::EventConcludeRequest) return Mms()->SendConcludeResponse();
        return System::OkNoError;
    }

    void AnswerRequests() { answers_ = true; }
    void IgnoreInitiate() { ignoreInitiate_ = true; }
    void TakeConcludeAnswers() { takeConcludeAnswers_ = true; }

    std::vector<Received> ReceivedPdus() {
        std::lock_guard lock(mutex_);
        return received_;
    }

    bool WaitForEvent(std::uint32_t event, std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return CountLocked(event) >= count; });
    }
    std::size_t Count(std::uint32_t event) {
        std::lock_guard lock(mutex_);
        return CountLocked(event);
    }

private:
    static Received Describe(std::uint32_t event, const MmsPdu* pdu) {
        Received received;
        received.event = event;
        if (pdu == nullptr) return received;
        switch (pdu->present) {
            case MmsPduConfirmedRequest:
                received.invokeId = pdu->choice.confirmedRequest.invokeId;
                received.service = pdu->choice.confirmedRequest.service.present;
                break;
            case MmsPduConfirmedResponse:
                received.invokeId = pdu->choice.confirmedResponse.invokeId;
                received.service = pdu->choice.confirmedResponse.service.present;
                if (received.service == MmsServiceIdentify) {
                    received.text = MmsText(pdu->choice.confirmedResponse.service.choice.identify.vendorName);
                }
                break;
            case MmsPduConfirmedError:
                received.invokeId = pdu->choice.confirmedError.invokeId;
                received.code = pdu->choice.confirmedError.serviceError.errorClass.present;
                break;
            case MmsPduReject:
                if (pdu->choice.reject.originalInvokeId != nullptr)
                    received.invokeId = *pdu->choice.reject.originalInvokeId;
                received.service = pdu->choice.reject.rejectReason.present;
                received.code = pdu->choice.reject.rejectReason.choice.code;
                break;
            default: break;
        }
        return received;
    }

    // The responder: identify is answered, status refused with a service error, any
    // other service rejected.
    System::ResultCode Answer(const MmsFrame& request) {
        const MmsPdu* pdu = request.GetPdu();
        switch (pdu->choice.confirmedRequest.service.present) {
            case MmsServiceIdentify: {
                std::unique_ptr<MmsFrame> response = Mms()->NewAnswerFrame(MmsFrame::KindConfirmedResponse, request);
                MmsConfirmedServiceResponse& service = response->GetPdu()->choice.confirmedResponse.service;
                service.present = MmsServiceIdentify;
                MmsSetText(service.choice.identify.vendorName, "Vendor");
                MmsSetText(service.choice.identify.modelName, "Model");
                MmsSetText(service.choice.identify.revision, "1");
                return Mms()->SendConfirmedResponse(*response);
            }
            case MmsServiceStatus: return Mms()->SendConfirmedError(request, MmsErrorClassService << 16 | 1);
            default: return Mms()->SendReject(&request, 1);
        }
    }

    std::size_t CountLocked(std::uint32_t event) const {
        return static_cast<std::size_t>(std::count(events_.begin(), events_.end(), event));
    }

    std::atomic<bool> answers_{false};
    std::atomic<bool> ignoreInitiate_{false};
    std::atomic<bool> takeConcludeAnswers_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::uint32_t> events_;
    std::vector<Received> received_;
};

class StandInUserLayer : public Protocol::Layer {
public:
    StandInUserLayer() : Layer("MmsUser", 8) {}
    ~StandInUserLayer() override { DeleteConnections(); }
    Protocol::Connection* CreateConnection() override { return new StandInUser(this); }
};

// One end: the layers from TCP up to the stand-in, and its one chain.
class Peer {
public:
    Peer() {
        for (Protocol::Layer* layer : std::initializer_list<Protocol::Layer*>{
                 &tcpLayer, &itotLayer_, &cotpLayer_, &cospLayer_, &coppLayer_, &acseLayer_, &mmsLayer_, &userLayer_}) {
            stack_.InsertLayer(layer, Protocol::Stack::OnTop, nullptr);
        }
        user = static_cast<StandInUser*>(stack_.CreateConnection());
    }

    // The association's reset: the chain, then the profile's parameters into every
    // connection (kept as their parameter text, for the responder's own resets).
    void Reset(std::uint16_t port) {
        stack_.ResetConnectionChain(user);
        TestSupport::StackProfile::Association(port).ApplyTo(user, TestSupport::StackProfile::Keep::AcrossResets);
    }

    W32TcpLayer tcpLayer;
    StandInUser* user = nullptr;

private:
    ItotLayer itotLayer_;
    CotpLayer cotpLayer_;
    CospLayer cospLayer_;
    CoppLayer coppLayer_;
    AcseLayer acseLayer_;
    MmsLayer mmsLayer_;
    StandInUserLayer userLayer_;
    Protocol::Stack stack_;
};

class MmsLoopbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server.tcpLayer.StartListening(0, 0), System::OkNoError);
        server.Reset(0);
        server.user->AnswerRequests();
        server.tcpLayer.AddWaitingConnection(static_cast<TcpConnection*>(server.user->GetBottom()));
        client.Reset(server.tcpLayer.GetListenPort());
    }

    Peer server;
    Peer client;
};

TEST_F(MmsLoopbackTest, InitiateSettlesTheParametersAndConcludeEndsTheAssociation) {
    MmsConnection* mms = client.user->Mms();
    EXPECT_EQ(mms->NextInvokeId(), 1u);

    InitiateParameters negotiated = InitiateParameters::Cleared();
    ServiceErrorRecord error;
    ASSERT_EQ(mms->Initiate(InitiateParameters::Defaults(), negotiated, error), System::OkNoError);
    EXPECT_EQ(mms->GetState(), MmsConnection::StateAssociated);
    EXPECT_EQ(mms->GetMaxPduSize(), 196352u);
    EXPECT_EQ(mms->GetMaxServOutstandingCalling(), 10);
    EXPECT_EQ(mms->GetNestingLevel(), 5);
    EXPECT_TRUE(mms->IsServiceSupported(MmsServiceRead));
    EXPECT_TRUE(mms->IsServiceSupported(MmsServiceGetDomainAttributes));
    EXPECT_FALSE(mms->IsServiceSupported(MmsServiceFileOpen));
    EXPECT_TRUE(server.user->WaitForEvent(MmsConnection::EventInitiateRequest, 1));
    EXPECT_EQ(server.user->Mms()->GetState(), MmsConnection::StateAssociated);

    // A second initiate on a standing association is refused.
    EXPECT_EQ(mms->Initiate(InitiateParameters::Defaults(), negotiated, error), System::AlreadyConnected);

    ASSERT_EQ(mms->Conclude(error), System::OkNoError);
    EXPECT_EQ(mms->GetState(), MmsConnection::StateIdle);
    EXPECT_EQ(mms->GetInvokeCounter(), 0u);
    EXPECT_TRUE(server.user->WaitForEvent(MmsConnection::EventConcludeRequest, 1));
    EXPECT_EQ(client.user->Count(MmsConnection::EventConcludeResponse), 1u);
}

TEST_F(MmsLoopbackTest, APeerAbortReachesTheOtherSideOnce) {
    MmsConnection* mms = client.user->Mms();
    InitiateParameters negotiated = InitiateParameters::Cleared();
    ServiceErrorRecord error;
    ASSERT_EQ(mms->Initiate(InitiateParameters::Defaults(), negotiated, error), System::OkNoError);
    EXPECT_EQ(mms->Abort(), System::OkNoError);
    EXPECT_EQ(client.user->Count(MmsConnection::EventLocalAbort), 1u);
    EXPECT_EQ(mms->GetState(), MmsConnection::StateIdle);
    EXPECT_TRUE(server.user->WaitForEvent(MmsConnection::EventPeerAbort, 1));
    EXPECT_EQ(server.user->Count(MmsConnection::EventPeerAbort), 1u);
    // That side's association control is left idle for the next association.
    Protocol::Connection* acse = server.user->Mms()->GetLower();
    EXPECT_TRUE(TestSupport::Eventually([&] { return acse->GetState() == AcseConnection::StateIdle; }));
}

TEST_F(MmsLoopbackTest, RequestsCarryTheirInvokeIdsAndEveryKindOfAnswerComesBack) {
    MmsConnection* mms = client.user->Mms();
    InitiateParameters negotiated = InitiateParameters::Cleared();
    ServiceErrorRecord error;
    ASSERT_EQ(mms->Initiate(InitiateParameters::Defaults(), negotiated, error), System::OkNoError);

    RequestHandle identify(*mms);
    RequestHandle status(*mms);
    RequestHandle capabilities(*mms);
    EXPECT_EQ(identify.GetInvokeId(), 1u);
    EXPECT_EQ(status.GetInvokeId(), 2u);
    EXPECT_EQ(identify.GetResult(), System::NotCompleted);
    ASSERT_EQ(mms->SendIdentifyRequest(identify), System::OkNoError);
    ASSERT_EQ(mms->SendStatusRequest(status, false), System::OkNoError);
    ASSERT_EQ(mms->SendGetCapabilityListRequest(capabilities, std::nullopt), System::OkNoError);

    ASSERT_TRUE(server.user->WaitForEvent(MmsConnection::EventConfirmedRequest, 3));
    ASSERT_TRUE(client.user->WaitForEvent(MmsConnection::EventReject, 1));
    ASSERT_TRUE(client.user->WaitForEvent(MmsConnection::EventConfirmedError, 1));
    ASSERT_TRUE(client.user->WaitForEvent(MmsConnection::EventConfirmedResponse, 1));

    std::vector<StandInUser::Received> requests;
    for (const auto& received : server.user->ReceivedPdus()) {
        if (received.event == MmsConnection::EventConfirmedRequest) requests.push_back(received);
    }
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].invokeId, 1);
    EXPECT_EQ(requests[0].service, MmsServiceIdentify);
    EXPECT_EQ(requests[1].invokeId, 2);
    EXPECT_EQ(requests[1].service, MmsServiceStatus);
    EXPECT_EQ(requests[2].invokeId, 3);
    EXPECT_EQ(requests[2].service, MmsServiceGetCapabilityList);

    for (const auto& received : client.user->ReceivedPdus()) {
        SCOPED_TRACE(received.event);
        switch (received.event) {
            case MmsConnection::EventConfirmedResponse:
                EXPECT_EQ(received.invokeId, 1);
                EXPECT_EQ(received.service, MmsServiceIdentify);
                EXPECT_EQ(received.text, "Vendor");
                break;
            case MmsConnection::EventConfirmedError:
                EXPECT_EQ(received.invokeId, 2);
                EXPECT_EQ(received.code, MmsErrorClassService);
                break;
            case MmsConnection::EventReject:
                EXPECT_EQ(received.invokeId, 3);
                EXPECT_EQ(received.service, MmsRejectConfirmedRequest);
                EXPECT_EQ(received.code, 1);
                break;
            default: ADD_FAILURE() << "unexpected event";
        }
    }
    ServiceErrorRecord concludeError;
    EXPECT_EQ(mms->Conclude(concludeError), System::OkNoError);
}

TEST_F(MmsLoopbackTest, AnInitiateThatIsNeverAnsweredTimesOut) {
    server.user->IgnoreInitiate();
    MmsConnection* mms = client.user->Mms();
    mms->SetTimeout(300);
    InitiateParameters negotiated = InitiateParameters::Cleared();
    ServiceErrorRecord error;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(mms->Initiate(InitiateParameters::Defaults(), negotiated, error), System::Timeout);
    // Not the machine's default time-out (10 s).
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(mms->GetState(), MmsConnection::StateFailed);
    EXPECT_EQ(mms->Initiate(InitiateParameters::Defaults(), negotiated, error), System::AlreadyConnected);
    EXPECT_EQ(mms->Close(), System::OkNoError);
}

TEST_F(MmsLoopbackTest, ALocalAbortEndsAWaitingInitiateAtOnce) {
    server.user->IgnoreInitiate();
    MmsConnection* mms = client.user->Mms();
    mms->SetTimeout(30000);
    InitiateParameters negotiated = InitiateParameters::Cleared();
    ServiceErrorRecord error;
    System::ResultCode result = System::Error;
    const auto start = std::chrono::steady_clock::now();
    std::thread initiator([&] { result = mms->Initiate(InitiateParameters::Defaults(), negotiated, error); });
    // Once the server holds the request, the initiator is waiting for its answer.
    EXPECT_TRUE(server.user->WaitForEvent(MmsConnection::EventInitiateRequest, 1));
    mms->Abort();
    initiator.join();
    EXPECT_EQ(result, System::Aborted);
    // Half the time-out it would otherwise wait out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

TEST_F(MmsLoopbackTest, AConcludeAnswerTheUserTakesDoesNotReachTheWaitingConclude) {
    client.user->TakeConcludeAnswers();
    MmsConnection* mms = client.user->Mms();
    InitiateParameters negotiated = InitiateParameters::Cleared();
    ServiceErrorRecord error;
    ASSERT_EQ(mms->Initiate(InitiateParameters::Defaults(), negotiated, error), System::OkNoError);
    mms->SetTimeout(300);
    EXPECT_EQ(mms->Conclude(error), System::Timeout);
    EXPECT_EQ(client.user->Count(MmsConnection::EventConcludeResponse), 1u);
    EXPECT_EQ(mms->GetState(), MmsConnection::StateIdle);  // closed
}

}  // namespace
