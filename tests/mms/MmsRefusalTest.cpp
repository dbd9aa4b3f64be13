// Why a peer refused an association reaches the caller of Initiate in the outcome's
// refusal, apart from the MMS error class and code: from MMS itself (initiate-Error)
// and from a layer below it.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "MmsLoopback.h"
#include "mms/machine/MmsFrame.h"
#include "osi/AcseConnection.h"
#include "osi/AssociationWireRelay.h"
#include "osi/CotpScriptedTcp.h"
#include "osi/CotpTestBytes.h"
#include "protocol/PeerRefusal.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"

namespace {

using Protocol::PeerRefusal;

// A responder that refuses every initiate with an initiate-Error of class initiate and
// a chosen code, as a device does that cannot serve the proposal.
class RefusingUser : public Mms::MmsUserConnection {
public:
    using MmsUserConnection::MmsUserConnection;

protected:
    System::ResultCode OnInitiateRequest(Mms::MmsFrame&) override {
        Mms::MmsConnection* mms = GetMmsConnection();
        auto* acse = dynamic_cast<AcseConnection*>(mms->GetLower());
        std::unique_ptr<Mms::MmsFrame> frame = mms->NewFrame(Mms::MmsFrame::KindInitiateError);
        if (acse == nullptr || frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
        Mms::MmsErrorClassValue& errorClass = frame->GetPdu()->choice.initiateError.errorClass;
        errorClass.present = Mms::MmsErrorClassInitiate;
        errorClass.choice.code = Mms::MmsInitiateMaxServicesOutstandingCallingInsufficient;
        if (System::ResultCode result = frame->Encode(); result != System::OkNoError) return result;
        // In an accepted AARE, as some devices answer: the refusal is MMS's alone.
        return acse->SendAssociateAccept(frame.get());
    }
};

class RefusingUserLayer : public Mms::MmsUserLayer {
public:
    Protocol::Connection* CreateConnection() override { return new RefusingUser(this); }
};

}  // namespace

TEST(PeerRefusal, AnInitiateErrorReachesTheCallerAsAnMmsRefusal) {
    RefusingUserLayer refusingLayer;
    Mms::VMD serverVmd;
    MmsLoopback::Server server{serverVmd, &refusingLayer};
    AssociationTest::AssociationWireRelay relay{server.Port()};
    MmsLoopback::Client client;
    client.end.Reset(relay.Port());

    // A refusal left from an earlier attempt is not this one's.
    client.end.Mms()->SetRefusal(PeerRefusal{PeerRefusal::Source::Session, 1, 0, "stale"});
    Mms::ServiceErrorRecord outcome;
    EXPECT_NE(client.User().Initiate(Mms::InitiateParameters::Defaults(), client.negotiated, outcome),
              System::OkNoError);
    EXPECT_EQ(client.User().GetState(), Mms::MmsUserConnection::StateIdle);

    // The error class and code stay where they were; the refusal comes on its own.
    EXPECT_EQ(outcome.errorClass, Mms::MmsErrorClassInitiate);
    EXPECT_EQ(outcome.errorCode, Mms::MmsInitiateMaxServicesOutstandingCallingInsufficient);
    EXPECT_EQ(outcome.refusal.source, PeerRefusal::Source::Mms);
    EXPECT_EQ(outcome.refusal.reason, Mms::MmsErrorClassInitiate);
    EXPECT_EQ(outcome.refusal.diagnostic, Mms::MmsInitiateMaxServicesOutstandingCallingInsufficient);
    EXPECT_NE(outcome.refusal.text.find("max-services-outstanding-calling-insufficient"), std::string::npos)
        << outcome.refusal.text;

    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(TestSupport::FindProblems(relay.Units(0)), "");
    const auto refused =
        TestSupport::DecodeFields(relay.Units(0), {"mms.initiate"}, {"-Y", "mms.initiate_ErrorPDU_element"});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0], "3");
}

namespace {

// The client's chain from a scripted TCP connection up to the service user, whose peer
// answers the transport's connect request with a disconnect request.
class ScriptedChain {
public:
    ScriptedChain() {
        for (Protocol::Layer* layer :
             std::initializer_list<Protocol::Layer*>{&tcpLayer_, &itotLayer_, &cotpLayer_, &cospLayer_, &coppLayer_,
                                                     &acseLayer_, &mmsLayer_, &userLayer_}) {
            stack_.InsertLayer(layer, Protocol::Stack::OnTop, nullptr);
        }
        user = static_cast<Mms::MmsUserConnection*>(stack_.CreateConnection());
        stack_.ResetConnectionChain(user);
        const std::pair<const char*, const char*> profile[] = {
            {"RemoteNAddress", "127.0.0.1"}, {"RemoteNPort", "102"},     {"LocalTSelector", "1"},
            {"RemoteTSelector", "1"},        {"LocalSSelector", "1"},    {"RemoteSSelector", "1"},
            {"LocalPSelector", "1"},         {"RemotePSelector", "1"},   {"LocalApId", "1.1.1.999"},
            {"RemoteApId", "1.1.1.999.1"},   {"LocalAeQualifier", "12"}, {"RemoteAeQualifier", "12"},
        };
        for (Protocol::Connection* at = user; at != nullptr; at = at->GetLower()) {
            for (const auto& [name, value] : profile) at->SetParameter(name, value);
        }
        tcp = static_cast<CotpTest::ScriptedTcp*>(user->GetBottom());
        cotp = user->GetBottom()->GetUpper()->GetUpper();
    }

    Mms::MmsUserConnection* user = nullptr;
    CotpTest::ScriptedTcp* tcp = nullptr;
    Protocol::Connection* cotp = nullptr;

private:
    CotpTest::ScriptedTcpLayer tcpLayer_;
    ItotLayer itotLayer_;
    CotpLayer cotpLayer_;
    CospLayer cospLayer_;
    CoppLayer coppLayer_;
    AcseLayer acseLayer_;
    Mms::MmsLayer mmsLayer_;
    Mms::MmsUserLayer userLayer_;
    Protocol::Stack stack_;
};

}  // namespace

TEST(PeerRefusal, ARefusalBelowMmsReachesTheCallerOfInitiate) {
    ScriptedChain chain;
    const PeerRefusal disconnect{PeerRefusal::Source::Transport, 0x83, 0,
                                 "transport disconnect request, reason 0x83 (address unknown)"};
    chain.tcp->peer = [&chain, &disconnect](const std::vector<std::uint8_t>& packet) {
        const std::vector<std::uint8_t> tpdu = CotpTest::TpduOf(packet);
        if (tpdu.size() < 2 || (tpdu[1] >> 4) != 0xE) return;
        // Stands for the transport's own account of the disconnect request it receives.
        chain.cotp->SetRefusal(disconnect);
        chain.tcp->Deliver(CotpTest::Tpkt(CotpTest::Hex("06 80 00 01 00 07 83")));
    };
    // Left from an earlier attempt: cleared when this one starts, so that only the new
    // refusal can come back.
    chain.user->GetLower()->SetRefusal(PeerRefusal{PeerRefusal::Source::Mms, 9, 0, "stale"});

    Mms::ServiceErrorRecord outcome;
    Mms::InitiateParameters negotiated;
    EXPECT_NE(chain.user->Initiate(Mms::InitiateParameters::Defaults(), negotiated, outcome), System::OkNoError);
    EXPECT_EQ(outcome.refusal.source, PeerRefusal::Source::Transport);
    EXPECT_EQ(outcome.refusal.reason, 0x83);
    EXPECT_EQ(outcome.errorClass, Mms::MmsErrorClassNone);
    EXPECT_EQ(outcome.errorCode, 0);
    const auto sent = chain.tcp->Sent();
    ASSERT_EQ(sent.size(), 1u);

    if (!TestSupport::WireCheckRuns()) return;
    const std::vector<TestSupport::WireUnit> units = {{true, sent[0]},
                                                      {false, CotpTest::Tpkt(CotpTest::Hex("06 80 00 01 00 07 83"))}};
    EXPECT_EQ(TestSupport::FindProblems(units), "");
    const auto codes = TestSupport::DecodeFields(units, {"cotp.type"});
    EXPECT_EQ(codes, (std::vector<std::string>{"0x0e", "0x08"}));
}
