// An association through the whole lower stack: the initiator's chain TCP, RFC 1006,
// transport, session, presentation and association control against the library's
// own responder chain on 127.0.0.1. A test user stands where MMS will: it defines
// the MMS presentation context and carries real MMS PDUs.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "iec61850/association/ThreadHold.h"
#include "osi/AcseConnection.h"
#include "osi/AcseLayer.h"
#include "osi/AssociationTestDoubles.h"
#include "osi/AssociationWireRelay.h"
#include "osi/CoppConnection.h"
#include "osi/CoppLayer.h"
#include "osi/CospLayer.h"
#include "osi/CotpLayer.h"
#include "osi/CrossedConnectClient.h"
#include "osi/ItotLayer.h"
#include "osi/PresentationContext.h"
#include "osi/TcpConnection.h"
#include "osi/W32TcpLayer.h"
#include "protocol/Stack.h"
#include "support/StackProfile.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

using namespace AssociationTest;

namespace {

const char* const kMmsAbstractSyntax = "1.0.9506.2.1";
const std::string kInitiateRequest =
    "A8 26 80 03 02 FF 00 81 01 0A 82 01 0A 83 01 05 A4 16 80 01 01 81 03 05 E1 00 "
    "82 0C 03 00 00 00 00 00 00 00 00 00 01 00";
const std::string kInitiateResponse =
    "A9 26 80 03 02 FF 00 81 01 0A 82 01 0A 83 01 05 A4 16 80 01 01 81 03 05 F1 00 "
    "82 0C 03 EE 1C 00 00 04 08 00 00 01 00 00";
const std::string kConcludeRequest = "8B 00";
const std::string kConcludeResponse = "8C 00";

// Stands where MMS stands: defines the MMS context on every reset and records what
// arrives.
class TestMmsUser : public RecordingUser {
public:
    explicit TestMmsUser(Protocol::Layer* layer) : RecordingUser(layer) {}

    System::ResultCode Reset() override {
        const System::ResultCode result = RecordingUser::Reset();
        if (auto* acse = dynamic_cast<AcseConnection*>(GetLower())) {
            if (PresentationContext* context = acse->AddPresentationContext(kMmsAbstractSyntax)) {
                context->SetUserConnection(this);
                contextIdentifier_.store(context->GetIdentifier());
            }
        }
        return result;
    }

    std::uint32_t ContextIdentifier() const { return contextIdentifier_.load(); }
    AcseConnection* Acse() { return dynamic_cast<AcseConnection*>(GetLower()); }
    CoppConnection* Copp() { return Acse() != nullptr ? Acse()->GetPresentationConnection() : nullptr; }

    // Sends an MMS PDU on the MMS context, as MMS sends everything after the initiate.
    System::ResultCode SendPdu(const std::string& hex) {
        auto frame = UpperFrame(hex);
        return Copp()->SendUserData(frame.get(), ContextIdentifier(), TransportLink::Handshake());
    }

private:
    std::atomic<std::uint32_t> contextIdentifier_{0};
};

class TestMmsLayer : public Protocol::Layer {
public:
    TestMmsLayer() : Layer("Mms", 8) {}
    ~TestMmsLayer() override { DeleteConnections(); }
    Protocol::Connection* CreateConnection() override { return new TestMmsUser(this); }
};

// One end: the layers from TCP up to the test user, and its one chain.
class AssociationEnd {
public:
    AssociationEnd() {
        for (Protocol::Layer* layer : std::initializer_list<Protocol::Layer*>{
                 &tcpLayer, &itotLayer_, &cotpLayer_, &cospLayer_, &coppLayer_, &acseLayer_, &mmsLayer_}) {
            stack_.InsertLayer(layer, Protocol::Stack::OnTop, nullptr);
        }
        user = static_cast<TestMmsUser*>(stack_.CreateConnection());
    }

    // What the association pushes into every connection of its chain after a reset:
    // the profile's defaults, aimed at the port. With keep, every connection also
    // keeps the items it takes as its parameter text, so that the resets a responder
    // goes through on its own (after each lost transport) restore them.
    void Reset(std::uint16_t port, bool keep = false) {
        stack_.ResetConnectionChain(user);
        TestSupport::StackProfile::Association(port).ApplyTo(
            user, keep ? TestSupport::StackProfile::Keep::AcrossResets : TestSupport::StackProfile::Keep::No);
    }

    W32TcpLayer tcpLayer;
    TestMmsUser* user = nullptr;

private:
    ItotLayer itotLayer_;
    CotpLayer cotpLayer_;
    CospLayer cospLayer_;
    CoppLayer coppLayer_;
    AcseLayer acseLayer_;
    TestMmsLayer mmsLayer_;
    Protocol::Stack stack_;
};

class AssociationLoopbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(server.tcpLayer.StartListening(0, 0), System::OkNoError);
        relay = std::make_unique<AssociationWireRelay>(server.tcpLayer.GetListenPort());
        ASSERT_NE(relay->Port(), 0);
        server.Reset(0, true);
        server.tcpLayer.AddWaitingConnection(static_cast<TcpConnection*>(server.user->GetBottom()));
        // The responder answers on its receive thread, as MMS does.
        TestMmsUser* responder = server.user;
        responder->onDelivery = [responder](const Delivery& delivery) {
            if (delivery.kind != Delivery::SingleAsn1) return;
            if (delivery.event == AcseConnection::AssociateIndication) {
                auto answer = UpperFrame(kInitiateResponse);
                EXPECT_EQ(responder->Acse()->SendAssociateAccept(answer.get()), System::OkNoError);
            } else if (delivery.event == CoppConnection::DataIndication && delivery.hex == kConcludeRequest) {
                EXPECT_EQ(responder->SendPdu(kConcludeResponse), System::OkNoError);
            }
        };
    }

    // Opens an association from the client: the n-th one of the test.
    void Associate(std::size_t n) {
        client.Reset(relay->Port());
        auto request = UpperFrame(kInitiateRequest);
        ASSERT_EQ(client.user->Acse()->SendAssociateRequest(request.get()), System::OkNoError);
        ASSERT_TRUE(client.user->WaitFor(Delivery::SingleAsn1, AcseConnection::AssociateConfirmation, n));
        EXPECT_EQ(client.user->Acse()->GetState(), AcseConnection::StateAssociated);
        EXPECT_TRUE(server.user->WaitFor(Delivery::SingleAsn1, AcseConnection::AssociateIndication, n));
        EXPECT_EQ(server.user->Acse()->GetState(), AcseConnection::StateAssociated);
        const auto confirmations = client.user->Deliveries();
        EXPECT_EQ(confirmations.back().hex, Hex(Bytes(kInitiateResponse)));
    }

    // The client's conclude request and the server's answer on the MMS context.
    void ExchangeData(std::size_t n) {
        ASSERT_EQ(client.user->SendPdu(kConcludeRequest), System::OkNoError);
        ASSERT_TRUE(client.user->WaitFor(Delivery::SingleAsn1, CoppConnection::DataIndication, n));
        EXPECT_EQ(client.user->Deliveries().back().hex, kConcludeResponse);
        EXPECT_TRUE(server.user->WaitFor(Delivery::SingleAsn1, CoppConnection::DataIndication, n));
    }

    std::size_t Aborts(TestMmsUser* user) const {
        return user->Count(Delivery::Indication, AcseConnection::AbortIndication);
    }

    AssociationEnd server;
    AssociationEnd client;
    std::unique_ptr<AssociationWireRelay> relay;
};

TEST_F(AssociationLoopbackTest, AssociatesCarriesDataEndsByCloseAndAssociatesAgain) {
    Associate(1);
    ExchangeData(1);

    // The association ends with the transport connection; the closing side hears no
    // abort, the other side learns that the association is gone.
    EXPECT_EQ(client.user->Acse()->Close(), System::OkNoError);
    EXPECT_TRUE(server.user->WaitFor(Delivery::Indication, AcseConnection::AbortIndication, 1));
    EXPECT_EQ(Aborts(client.user), 0u);
    EXPECT_EQ(client.user->Acse()->GetState(), AcseConnection::StateIdle);

    Associate(2);
    ExchangeData(2);
    EXPECT_EQ(client.user->Acse()->Close(), System::OkNoError);
    EXPECT_TRUE(server.user->WaitFor(Delivery::Indication, AcseConnection::AbortIndication, 2));
    EXPECT_EQ(Aborts(client.user), 0u);
    ASSERT_EQ(relay->Connections(), 2u);

    if (!TestSupport::WireCheckRuns()) return;
    for (std::size_t connection = 0; connection < 2; ++connection) {
        SCOPED_TRACE(connection);
        const std::vector<TestSupport::WireUnit> units = relay->Units(connection);
        EXPECT_EQ(TestSupport::FindProblems(units), "");

        // The AARQ: the MMS application context and the two proposed contexts.
        const auto contexts = TestSupport::DecodeFields(
            units,
            {"acse.aSO_context_name", "pres.presentation_context_identifier", "pres.abstract_syntax_name",
             "pres.Transfer_syntax_name", "acse.ap_title_form2", "acse.aso_qualifier_form2"},
            {"-Y", "acse.aarq_element"});
        ASSERT_EQ(contexts.size(), 1u);
        EXPECT_EQ(contexts[0], "1.0.9506.2.3|1,3,1|2.2.1.0.1,1.0.9506.2.1|2.1.1,2.1.1|1.1.1.999.1,1.1.1.999|12,12");

        // The MMS PDUs as Wireshark reads them: initiate request and response, the
        // conclude request and response.
        const std::string decoded = TestSupport::DecodeVerbose(units);
        for (const char* expected : {"initiate-RequestPDU", "initiate-ResponsePDU", "conclude-RequestPDU",
                                     "conclude-ResponsePDU", "aare", "result: accepted (0)"}) {
            EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
        }
    }
}

// A client that aborts and associates again at once, many times over: each new
// connection reaches the responder while it may still be tearing the last one down, and
// must be held for it rather than turned away, whenever in that teardown it arrives.
TEST_F(AssociationLoopbackTest, AnAssociationBegunAtOnceAfterAnAbortIsAlwaysServed) {
    constexpr std::size_t Rounds = 100;
    for (std::size_t n = 1; n <= Rounds; ++n) {
        SCOPED_TRACE(n);
        client.Reset(relay->Port());
        auto request = UpperFrame(kInitiateRequest);
        ASSERT_EQ(client.user->Acse()->SendAssociateRequest(request.get()), System::OkNoError);
        ASSERT_TRUE(client.user->WaitFor(Delivery::SingleAsn1, AcseConnection::AssociateConfirmation, n));
        ASSERT_TRUE(server.user->WaitFor(Delivery::SingleAsn1, AcseConnection::AssociateIndication, n));
        ASSERT_EQ(client.user->Acse()->SendAbort(TransportLink::Handshake(), AbortWait::None), System::OkNoError);
        ASSERT_TRUE(server.user->WaitFor(Delivery::Indication, AcseConnection::AbortIndication, n));
    }
    EXPECT_EQ(relay->Connections(), Rounds);
}

TEST_F(AssociationLoopbackTest, AbortFromEitherSideReachesTheOther) {
    Associate(1);
    EXPECT_EQ(client.user->Acse()->SendAbort(TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
    EXPECT_TRUE(server.user->WaitFor(Delivery::Indication, AcseConnection::AbortIndication, 1));
    EXPECT_EQ(Aborts(client.user), 0u);
    EXPECT_EQ(client.user->Acse()->GetState(), AcseConnection::StateIdle);

    Associate(2);
    EXPECT_EQ(server.user->Acse()->SendAbort(TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
    EXPECT_TRUE(client.user->WaitFor(Delivery::Indication, AcseConnection::AbortIndication, 1));
    EXPECT_EQ(client.user->Acse()->GetState(), AcseConnection::StateIdle);
    EXPECT_EQ(Aborts(server.user), 1u);

    if (!TestSupport::WireCheckRuns()) return;
    for (std::size_t connection = 0; connection < 2; ++connection) {
        SCOPED_TRACE(connection);
        const std::vector<TestSupport::WireUnit> units = relay->Units(connection);
        EXPECT_EQ(TestSupport::FindProblems(units), "");
        const auto sources = TestSupport::DecodeFields(units, {"acse.abort_source"}, {"-Y", "acse.abort_source"});
        EXPECT_EQ(sources.size(), 1u);
    }
}

// A client that resets its connection right after its initiate, before the responder has
// answered, many times over, each followed by a client that associates as usual. The
// responder is held before its answer until the reset has reached its socket, so that the
// answer certainly cannot go: the crossed connect must leave nothing behind in any layer of
// the responder's chain, and every client after it is served.
TEST_F(AssociationLoopbackTest, AConnectCrossedByTheClientsResetLeavesTheNextClientServed) {
    // Whose initiate the responder holds before answering: the crossed client's.
    std::mutex crossingMutex;
    std::shared_ptr<AcsiClientTest::ThreadHold> crossing;
    std::atomic<int> crossedAnswer{System::OkNoError};
    TestMmsUser* responder = server.user;
    responder->onDelivery = [&, responder](const Delivery& delivery) {
        if (delivery.kind != Delivery::SingleAsn1 || delivery.event != AcseConnection::AssociateIndication) return;
        std::shared_ptr<AcsiClientTest::ThreadHold> hold;
        {
            std::lock_guard lock(crossingMutex);
            hold = std::exchange(crossing, nullptr);
        }
        auto answer = UpperFrame(kInitiateResponse);
        if (!hold) {
            EXPECT_EQ(responder->Acse()->SendAssociateAccept(answer.get()), System::OkNoError);
            return;
        }
        hold->Reach();
        crossedAnswer.store(responder->Acse()->SendAssociateAccept(answer.get()));
    };

    // The opening a client really sends, taken from the library's own client.
    Associate(1);
    ASSERT_EQ(client.user->Acse()->SendAbort(TransportLink::Handshake(), AbortWait::None), System::OkNoError);
    ASSERT_TRUE(server.user->WaitFor(Delivery::Indication, AcseConnection::AbortIndication, 1));
    std::vector<std::uint8_t> sent;
    for (const TestSupport::WireUnit& unit : relay->Units(0)) {
        if (unit.fromClient) sent.insert(sent.end(), unit.bytes.begin(), unit.bytes.end());
    }
    std::vector<std::uint8_t> cr;
    std::vector<std::uint8_t> cn;
    ASSERT_TRUE(CrossedConnectClient::CutOpening(sent, cr, cn));

    constexpr std::size_t Rounds = 100;
    std::size_t serverAborts = 1;
    for (std::size_t n = 1; n <= Rounds; ++n) {
        SCOPED_TRACE(n);
        auto hold = std::make_shared<AcsiClientTest::ThreadHold>();
        {
            std::lock_guard lock(crossingMutex);
            crossing = hold;
        }
        CrossedConnectClient crossed;
        ASSERT_TRUE(crossed.SendUpToInitiate(server.tcpLayer.GetListenPort(), cr, cn));
        ASSERT_TRUE(hold->WaitUntilHeld());
        const int responderSocket = crossed.FindResponderSocket();
        crossed.Reset();
        const bool resetArrived = responderSocket >= 0 && CrossedConnectClient::WaitUntilResetArrives(responderSocket);
        hold->Release();
        ASSERT_TRUE(resetArrived);
        // The users hear of the crossed connect's end as of a lost transport's.
        ASSERT_TRUE(server.user->WaitFor(Delivery::Indication, AcseConnection::AbortIndication, ++serverAborts));
        EXPECT_NE(crossedAnswer.load(), System::OkNoError);

        client.Reset(relay->Port());
        auto request = UpperFrame(kInitiateRequest);
        ASSERT_EQ(client.user->Acse()->SendAssociateRequest(request.get()), System::OkNoError);
        ASSERT_TRUE(client.user->WaitFor(Delivery::SingleAsn1, AcseConnection::AssociateConfirmation, n + 1));
        EXPECT_EQ(client.user->Acse()->GetState(), AcseConnection::StateAssociated);
        EXPECT_EQ(Aborts(client.user), 0u);
        ASSERT_EQ(client.user->Acse()->SendAbort(TransportLink::Handshake(), AbortWait::None), System::OkNoError);
        ASSERT_TRUE(server.user->WaitFor(Delivery::Indication, AcseConnection::AbortIndication, ++serverAborts));
    }
    ASSERT_EQ(relay->Connections(), Rounds + 1);

    if (!TestSupport::WireCheckRuns()) return;
    // The client after the last crossed connect is answered with an accepting AARE, and
    // the responder aborts nothing on its connection.
    const std::vector<TestSupport::WireUnit> units = relay->Units(Rounds);
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const std::string decoded = TestSupport::DecodeVerbose(units);
    for (const char* expected : {"initiate-RequestPDU", "initiate-ResponsePDU", "result: accepted (0)"})
        EXPECT_NE(decoded.find(expected), std::string::npos) << expected;
    EXPECT_TRUE(TestSupport::DecodeFields(units, {"pres.provider_reason"}, {"-Y", "pres.arp_ppdu_element"}).empty());
}

}  // namespace
