#include "osi/CoppConnection.h"

#include <gtest/gtest.h>

#include "osi/AssociationTestDoubles.h"
#include "osi/PresentationContext.h"

using namespace AssociationTest;

namespace {

const char* const kAcse = "2.2.1.0.1";
const char* const kMms = "1.0.9506.2.1";
const char* const kBer = "2.1.1";

// The two contexts as the CP proposes them.
const std::string kAcseItem = "30 0F 02 01 01 06 04 52 01 00 01 30 04 06 02 51 01";
const std::string kMmsItem = "30 10 02 01 03 06 05 28 CA 22 02 01 30 04 06 02 51 01";
const std::string kAccepted = "30 03 80 01 00";
const std::string kArpInvalidCpa = "30 06 80 01 06 81 01 01";
const std::string kArpNotSpecified = "30 03 80 01 00";

std::string Normal(const std::string& hex) { return Hex(Bytes(hex)); }

std::string Pdv(int context, const std::string& pdu) {
    return Tlv("30",
               "02 01 " + Hex(std::vector<std::uint8_t>{static_cast<std::uint8_t>(context)}) + " " + Tlv("A0", pdu));
}

std::string FullyEncoded(const std::string& pdvs) { return Tlv("61", pdvs); }

std::string Cp(const std::string& items, const std::string& userData) {
    return Tlv("31", "A0 03 80 01 01 " +
                         Tlv("A2", "81 04 00 00 00 01 82 04 00 00 00 01 " + Tlv("A4", items) + " " + userData));
}

std::string Cpa(const std::string& results, const std::string& userData) {
    return Tlv("31", "A0 03 80 01 01 " + Tlv("A2", "83 04 00 00 00 01 " + Tlv("A5", results) + " " + userData));
}

class CoppConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        copp.SetUpper(&above);
        acseContext = copp.AddContext(kAcse, kBer);
        acseContext->SetUserConnection(&above);
        mmsContext = copp.AddContext(kMms, kBer);
        mmsContext->SetUserConnection(&mms);
        copp.SetParameter("LocalPSelector", "1");
        copp.SetParameter("RemotePSelector", "1");
    }

    System::ResultCode Receive(const std::string& hex, std::uint32_t event) {
        const std::vector<std::uint8_t> bytes = Bytes(hex);
        return copp.OnLowerBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()), event);
    }

    void Connect() {
        auto frame = UpperFrame("60 00");
        ASSERT_EQ(copp.Connect(frame.get(), 1), System::OkNoError);
        ASSERT_EQ(Receive(Cpa(kAccepted + kAccepted, FullyEncoded(Pdv(1, "61 00"))), 12), System::OkNoError);
        ASSERT_EQ(copp.GetState(), CoppConnection::StateConnected);
        copp.calls.clear();
    }

    std::size_t Indications(const RecordingUser& user, std::uint32_t event) const {
        std::size_t count = 0;
        for (const Delivery& delivery : user.Deliveries())
            count += delivery.kind == Delivery::Indication && delivery.event == event;
        return count;
    }

    RecordingUser above;
    RecordingUser mms;
    RecordingCopp copp;
    PresentationContext* acseContext = nullptr;
    PresentationContext* mmsContext = nullptr;
};

TEST_F(CoppConnectionTest, ContextsTakeOddIdentifiersAndTheFirstIsTheDefault) {
    EXPECT_EQ(acseContext->GetIdentifier(), 1u);
    EXPECT_EQ(mmsContext->GetIdentifier(), 3u);
    EXPECT_EQ(copp.AddContext(kMms, kBer), mmsContext);
    EXPECT_EQ(copp.GetDefaultContext(), acseContext);
    EXPECT_EQ(copp.FindContext(0), acseContext);
    EXPECT_EQ(copp.FindContext(5), nullptr);
    EXPECT_EQ(copp.AddContext(kMms, "2.1.2")->GetIdentifier(), 5u);

    // A reset keeps the contexts.
    copp.Reset();
    EXPECT_EQ(copp.FindContext(3), mmsContext);
}

TEST_F(CoppConnectionTest, SelectorsAreReadLikeAtoi) {
    const struct {
        const char* text;
        std::uint32_t value;
    } cases[] = {{"1", 1}, {"  +12x", 12}, {"abc", 0}, {"", 0}, {"4294967295", 4294967295u}, {"-1", 4294967295u}};
    for (const auto& entry : cases) {
        EXPECT_EQ(copp.SetParameter("LocalPSelector", entry.text), System::OkNoError) << entry.text;
        EXPECT_EQ(copp.GetLocalSelector(), entry.value) << entry.text;
    }
    std::string text;
    EXPECT_EQ(copp.SetParameter("RemotePSelector", "258"), System::OkNoError);
    EXPECT_EQ(copp.GetParameter("RemotePSelector", text), System::OkNoError);
    EXPECT_EQ(text, "258");
    EXPECT_EQ(copp.SetParameter("LocalSSelector", "1"), System::NotSupported);
    EXPECT_EQ(copp.GetParameter("Other", text), System::NotSupported);
}

TEST_F(CoppConnectionTest, ConnectProposesEveryContextAndWrapsTheUserPduInPlace) {
    auto frame = UpperFrame("60 00");
    const std::uint8_t* pdu = frame->WindowData();
    ASSERT_EQ(copp.Connect(frame.get(), 1), System::OkNoError);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateCpSent);
    ASSERT_EQ(copp.calls.size(), 1u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Connect);
    const std::string expected = Normal("31 43 A0 03 80 01 01 A2 3C 81 04 00 00 00 01 82 04 00 00 00 01 A4 23 " +
                                        kAcseItem + " " + kMmsItem + " 61 09 30 07 02 01 01 A0 02 60 00");
    EXPECT_EQ(copp.calls[0].hex, expected);
    // The header went into the head room in front of the upper PDU, which stayed put.
    EXPECT_EQ(WindowHex(*frame), expected);
    EXPECT_EQ(frame->WindowData() + frame->GetWindowLength(), pdu + 2);
}

TEST_F(CoppConnectionTest, ConnectRefusesWhenNotIdleOrWithoutHeadRoom) {
    auto cramped = UpperFrame("60 00", 10);
    EXPECT_EQ(copp.Connect(cramped.get(), 1), System::NoResources);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateIdle);
    EXPECT_EQ(Indications(above, CoppConnection::AbortIndication), 1u);

    auto frame = UpperFrame("60 00");
    ASSERT_EQ(copp.Connect(frame.get(), 1), System::OkNoError);
    auto again = UpperFrame("60 00");
    EXPECT_EQ(copp.Connect(again.get(), 1), System::InvalidState);
    EXPECT_EQ(Indications(above, CoppConnection::AbortIndication), 2u);
    EXPECT_EQ(copp.calls.size(), 1u);
}

TEST_F(CoppConnectionTest, AcceptingCpaConnectsAndHandsTheUserDataUp) {
    auto frame = UpperFrame("60 00");
    ASSERT_EQ(copp.Connect(frame.get(), 1), System::OkNoError);
    const std::string cpa = Cpa(kAccepted + kAccepted, FullyEncoded(Pdv(1, "61 00")));
    EXPECT_EQ(cpa, Normal("31 24 A0 03 80 01 01 A2 1D 83 04 00 00 00 01 A5 0A 30 03 80 01 00 30 03 80 01 00 "
                          "61 09 30 07 02 01 01 A0 02 61 00"));
    EXPECT_EQ(Receive(cpa, 12), System::OkNoError);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateConnected);
    const auto deliveries = above.Deliveries();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].kind, Delivery::SingleAsn1);
    EXPECT_EQ(deliveries[0].event, CoppConnection::ConnectConfirmData);
    EXPECT_EQ(deliveries[0].hex, "61 00");
    EXPECT_EQ(acseContext->GetResult(), PresentationContext::Accepted);
    EXPECT_EQ(mmsContext->GetResult(), PresentationContext::Accepted);
    EXPECT_FALSE(copp.GetContextManagement());
}

TEST_F(CoppConnectionTest, CpaThatDoesNotAcceptEveryContextAbortsBothWays) {
    const std::string aare = FullyEncoded(Pdv(1, "61 00"));
    const struct {
        const char* name;
        std::string cpa;
    } cases[] = {
        {"MMS context rejected", Cpa(kAccepted + "30 06 80 01 02 82 01 02", aare)},
        {"short result list", Cpa(kAccepted, aare)},
        {"no result list", Tlv("31", "A0 03 80 01 01 " + Tlv("A2", "83 04 00 00 00 01 " + aare))},
        {"other transfer syntax", Cpa(kAccepted + "30 07 80 01 00 81 02 51 02", aare)},
        {"no normal-mode parameters", "31 05 A0 03 80 01 01"},
        {"not a CPA", "30 03 02 01 01"},
        {"truncated", Cpa(kAccepted + kAccepted, aare).substr(0, 30)},
        {"data on an unknown context", Cpa(kAccepted + kAccepted, FullyEncoded(Pdv(7, "61 00")))},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        RecordingUser user;
        RecordingCopp connection;
        connection.SetUpper(&user);
        connection.AddContext(kAcse, kBer)->SetUserConnection(&user);
        connection.AddContext(kMms, kBer)->SetUserConnection(&user);
        auto frame = UpperFrame("60 00");
        ASSERT_EQ(connection.Connect(frame.get(), 1), System::OkNoError);
        const std::vector<std::uint8_t> bytes = Bytes(entry.cpa);
        EXPECT_NE(connection.OnLowerBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()), 12),
                  System::OkNoError);
        EXPECT_EQ(connection.GetState(), CoppConnection::StateIdle);
        const auto deliveries = user.Deliveries();
        ASSERT_EQ(deliveries.size(), 1u);
        EXPECT_EQ(deliveries[0].kind, Delivery::Indication);
        EXPECT_EQ(deliveries[0].event, CoppConnection::AbortIndication);
        ASSERT_EQ(connection.calls.size(), 2u);
        EXPECT_EQ(connection.calls[1].kind, SessionCall::Abort);
        EXPECT_EQ(connection.calls[1].hex, Normal(kArpInvalidCpa));
    }
}

TEST_F(CoppConnectionTest, UserRefusingTheConfirmAbortsTheConnection) {
    above.answer = System::Error;
    auto frame = UpperFrame("60 00");
    ASSERT_EQ(copp.Connect(frame.get(), 1), System::OkNoError);
    EXPECT_EQ(Receive(Cpa(kAccepted + kAccepted, FullyEncoded(Pdv(1, "61 00"))), 12), System::Error);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateIdle);
    EXPECT_EQ(Indications(above, CoppConnection::AbortIndication), 1u);
    ASSERT_EQ(copp.calls.size(), 2u);
    EXPECT_EQ(copp.calls[1].hex, Normal(kArpInvalidCpa));
}

TEST_F(CoppConnectionTest, UserDataGoesOutAsOnePdvOnItsContext) {
    Connect();
    auto data = UpperFrame("8B 00");
    EXPECT_EQ(copp.SendUserData(data.get(), 3, TransportLink::Handshake()), System::OkNoError);
    auto onDefault = UpperFrame("8B 00");
    EXPECT_EQ(copp.SendUserData(onDefault.get(), 0, TransportLink::Handshake()), System::OkNoError);
    // A frame that still holds its value is encoded in place first.
    auto unencoded = ValueFrame("AB CD");
    EXPECT_EQ(copp.SendUserData(unencoded.get(), 3, TransportLink::Handshake()), System::OkNoError);
    ASSERT_EQ(copp.calls.size(), 3u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Data);
    EXPECT_EQ(copp.calls[0].hex, "61 09 30 07 02 01 03 A0 02 8B 00");
    EXPECT_EQ(copp.calls[1].hex, "61 09 30 07 02 01 01 A0 02 8B 00");
    EXPECT_EQ(copp.calls[2].hex, "61 0B 30 09 02 01 03 A0 04 04 02 AB CD");

    auto unknown = UpperFrame("8B 00");
    EXPECT_EQ(copp.SendUserData(unknown.get(), 7, TransportLink::Handshake()), System::Error);
    EXPECT_EQ(copp.SendUserData(nullptr, 3, TransportLink::Handshake()), System::InvalidArguments);
    EXPECT_EQ(copp.calls.size(), 3u);
}

TEST_F(CoppConnectionTest, UserDataNeedsAConnectionAndAContext) {
    auto data = UpperFrame("8B 00");
    EXPECT_EQ(copp.SendUserData(data.get(), 3, TransportLink::Handshake()), System::InvalidState);

    RecordingCopp bare;
    bare.SetState(CoppConnection::StateConnected);
    EXPECT_EQ(bare.SendUserData(data.get(), 0, TransportLink::Handshake()), System::Error);
    EXPECT_TRUE(bare.calls.empty());
}

TEST_F(CoppConnectionTest, ReceivedDataReachesTheUserOfItsContext) {
    Connect();
    EXPECT_EQ(Receive("61 09 30 07 02 01 03 A0 02 8C 00", 14), System::OkNoError);
    EXPECT_EQ(Receive("61 09 30 07 02 01 03 81 02 AB CD", 14), System::OkNoError);
    // A PDU whose own length disagrees with its PDV's is the user's to judge, as its
    // PDV bounds it.
    EXPECT_EQ(Receive("61 09 30 07 02 01 03 A0 02 A3 05", 14), System::OkNoError);
    EXPECT_EQ(Receive("61 0A 30 08 02 01 03 A0 03 A3 00 00", 14), System::OkNoError);
    const auto deliveries = mms.Deliveries();
    ASSERT_EQ(deliveries.size(), 4u);
    EXPECT_EQ(deliveries[0].kind, Delivery::SingleAsn1);
    EXPECT_EQ(deliveries[0].event, CoppConnection::DataIndication);
    EXPECT_EQ(deliveries[0].hex, "8C 00");
    EXPECT_EQ(deliveries[1].kind, Delivery::OctetAligned);
    EXPECT_EQ(deliveries[1].hex, "AB CD");
    EXPECT_EQ(deliveries[2].hex, "A3 05");
    EXPECT_EQ(deliveries[3].hex, "A3 00 00");
    EXPECT_TRUE(copp.calls.empty());

    // What the user makes of its data does not end the association.
    mms.answer = System::NotSupported;
    EXPECT_EQ(Receive("61 09 30 07 02 01 03 A0 02 8C 00", 14), System::NotSupported);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateConnected);
    EXPECT_TRUE(copp.calls.empty());
}

TEST_F(CoppConnectionTest, BrokenDataAbortsTheConnection) {
    const struct {
        const char* name;
        std::string bytes;
        std::uint32_t event;
        System::ResultCode result;
        std::string arp;
    } cases[] = {
        {"unknown context", "61 09 30 07 02 01 05 A0 02 8C 00", 14, System::ProtocolError, kArpNotSpecified},
        {"undecodable", "61 09 30 07 02 01", 14, System::ProtocolError, kArpInvalidCpa},
        // The envelope itself broken: a PDV longer than its list, one without even the
        // PDU's tag and length, a primitive single-ASN1-type.
        {"PDV beyond its list", "61 09 30 07 02 01 03 A0 03 8C 00", 14, System::ProtocolError, kArpInvalidCpa},
        {"PDU without a header", "61 09 30 07 02 01 03 A0 02 8C 81", 14, System::ProtocolError, kArpInvalidCpa},
        {"primitive single-ASN1-type", "61 09 30 07 02 01 03 80 02 8C 00", 14, System::ProtocolError, kArpInvalidCpa},
        {"unexpected session event", "61 09 30 07 02 01 03 A0 02 8C 00", 13, System::OkNoError, "30 03 80 01 01"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        Connect();
        const std::size_t before = Indications(above, CoppConnection::AbortIndication);
        const System::ResultCode result = Receive(entry.bytes, entry.event);
        if (entry.result != System::OkNoError) {
            EXPECT_EQ(result, entry.result);
        }
        EXPECT_EQ(copp.GetState(), CoppConnection::StateIdle);
        EXPECT_EQ(Indications(above, CoppConnection::AbortIndication), before + 1);
        ASSERT_EQ(copp.calls.size(), 1u);
        EXPECT_EQ(copp.calls[0].kind, SessionCall::Abort);
        EXPECT_EQ(copp.calls[0].hex, Normal(entry.arp));
    }
    EXPECT_TRUE(mms.Deliveries().empty());
}

TEST_F(CoppConnectionTest, TokensGoToTheDefaultContextAndSessionAbortsUpwards) {
    EXPECT_EQ(copp.OnLowerEvent(CoppConnection::SessionTokens), System::InvalidState);
    Connect();
    EXPECT_EQ(copp.OnLowerEvent(CoppConnection::SessionTokens), System::OkNoError);
    EXPECT_EQ(Indications(above, CoppConnection::TokenNotification), 1u);
    EXPECT_EQ(copp.OnLowerEvent(99), System::NotSupported);

    EXPECT_EQ(copp.OnLowerEvent(CoppConnection::SessionAborted), System::OkNoError);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateIdle);
    EXPECT_EQ(Indications(above, CoppConnection::AbortIndication), 1u);
}

// A lower connection whose close loses the transport, as the real chain does.
class ClosingLower : public Protocol::Connection {
public:
    ClosingLower() : Connection(nullptr) {}
    System::ResultCode Close() override {
        ++closes;
        if (Protocol::Connection* upper = GetUpper()) upper->OnLowerEvent(CoppConnection::SessionAborted);
        return Connection::Close();
    }
    int closes = 0;
};

TEST_F(CoppConnectionTest, OwnCloseIsNotReportedAsAnAbort) {
    ClosingLower lower;
    copp.SetLower(&lower);
    lower.SetUpper(&copp);
    Connect();
    EXPECT_EQ(copp.Close(), System::OkNoError);
    EXPECT_EQ(lower.closes, 1);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateIdle);
    EXPECT_EQ(Indications(above, CoppConnection::AbortIndication), 0u);

    // A loss that this connection did not cause still is one.
    Connect();
    EXPECT_EQ(copp.OnLowerEvent(CoppConnection::SessionAborted), System::OkNoError);
    EXPECT_EQ(Indications(above, CoppConnection::AbortIndication), 1u);
    copp.SetLower(nullptr);
}

TEST_F(CoppConnectionTest, ResponderAnswersTheCpWithACpaForEachProposedContext) {
    above.onDelivery = [this](const Delivery& delivery) {
        if (delivery.event != CoppConnection::ConnectIndicationData) return;
        auto answer = UpperFrame("61 00");
        EXPECT_EQ(copp.AcceptConnect(answer.get(), 1), System::OkNoError);
    };
    const std::string cp = Cp(kAcseItem + kMmsItem, FullyEncoded(Pdv(1, "60 00")));
    EXPECT_EQ(Receive(cp, 11), System::OkNoError);
    const auto deliveries = above.Deliveries();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].hex, "60 00");
    EXPECT_EQ(copp.GetState(), CoppConnection::StateConnected);
    ASSERT_EQ(copp.calls.size(), 1u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Accept);
    EXPECT_EQ(copp.calls[0].hex, Cpa(kAccepted + kAccepted, FullyEncoded(Pdv(1, "61 00"))));
}

TEST_F(CoppConnectionTest, ResponderRejectsContextsItDoesNotKnow) {
    const std::string unknownItem = "30 0E 02 01 05 06 03 28 CA 23 30 04 06 02 51 01";
    const std::string cp = Cp(kAcseItem + unknownItem + kMmsItem, FullyEncoded(Pdv(1, "60 00")));
    ASSERT_EQ(Receive(cp, 11), System::OkNoError);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateCpReceived);
    auto answer = UpperFrame("61 00");
    EXPECT_EQ(copp.AcceptConnect(answer.get(), 1), System::OkNoError);
    ASSERT_EQ(copp.calls.size(), 1u);
    EXPECT_EQ(copp.calls[0].hex, Cpa(kAccepted + "30 06 80 01 02 82 01 00" + kAccepted, FullyEncoded(Pdv(1, "61 00"))));
}

TEST_F(CoppConnectionTest, ResponderRefusesACpItCannotServe) {
    const struct {
        const char* name;
        std::string cp;
    } cases[] = {
        {"data on a context not proposed", Cp(kAcseItem, FullyEncoded(Pdv(3, "60 00")))},
        {"data on an unknown context", Cp(kAcseItem + kMmsItem, FullyEncoded(Pdv(9, "60 00")))},
        {"no user data", Cp(kAcseItem + kMmsItem, "")},
        {"other default context", Tlv("31", "A0 03 80 01 01 " + Tlv("A2", Tlv("A4", kAcseItem + kMmsItem) +
                                                                              " A6 09 80 03 28 CA 23 81 02 51 01 " +
                                                                              FullyEncoded(Pdv(1, "60 00"))))},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        copp.calls.clear();
        EXPECT_EQ(Receive(entry.cp, 11), System::OkNoError);
        EXPECT_EQ(copp.GetState(), CoppConnection::StateIdle);
        ASSERT_EQ(copp.calls.size(), 1u);
        EXPECT_EQ(copp.calls[0].kind, SessionCall::Refuse);
        EXPECT_EQ(copp.calls[0].reason, CoppConnection::RefusalByProvider);
        EXPECT_EQ(copp.calls[0].hex, "");
    }
    EXPECT_TRUE(above.Deliveries().empty());
}

TEST_F(CoppConnectionTest, ResponderRefusalCarriesACpr) {
    ASSERT_EQ(Receive(Cp(kAcseItem + kMmsItem, FullyEncoded(Pdv(1, "60 00"))), 11), System::OkNoError);
    auto answer = UpperFrame("61 00");
    EXPECT_EQ(copp.RefuseConnect(answer.get(), 1), System::OkNoError);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateIdle);
    ASSERT_EQ(copp.calls.size(), 1u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Refuse);
    EXPECT_EQ(copp.calls[0].reason, CoppConnection::RefusalByUser);
    EXPECT_EQ(copp.calls[0].hex, Normal("30 23 83 04 00 00 00 01 A5 0A 30 03 80 01 00 30 03 80 01 00 "
                                        "87 01 00 8A 01 00 61 09 30 07 02 01 01 A0 02 61 00"));
    EXPECT_EQ(copp.RefuseConnect(answer.get(), 1), System::InvalidState);
}

TEST_F(CoppConnectionTest, AbortsCarryAnAruOrAnArp) {
    EXPECT_EQ(copp.UserAbort(nullptr, 1, TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
    Connect();
    auto abrt = UpperFrame("64 03 80 01 00");
    EXPECT_EQ(copp.UserAbort(abrt.get(), 1, TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateIdle);
    EXPECT_EQ(copp.ProviderAbort(-1, -1, TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
    EXPECT_EQ(copp.ProviderAbort(6, 1, TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
    ASSERT_EQ(copp.calls.size(), 3u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Abort);
    EXPECT_EQ(copp.calls[0].hex, "A0 0E 61 0C 30 0A 02 01 01 A0 05 64 03 80 01 00");
    EXPECT_EQ(copp.calls[1].hex, "30 00");
    EXPECT_EQ(copp.calls[2].hex, Normal(kArpInvalidCpa));
}

}  // namespace
