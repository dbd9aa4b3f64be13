#include "osi/AcseConnection.h"

#include <gtest/gtest.h>

#include "osi/AssociationTestDoubles.h"
#include "osi/PresentationContext.h"

using namespace AssociationTest;

namespace {

const char* const kMms = "1.0.9506.2.1";

// MMS PDUs the association carries: the library's initiate request, an answer and
// an initiate error (class initiate, code other).
const std::string kInitiateRequest =
    "A8 26 80 03 02 FF 00 81 01 0A 82 01 0A 83 01 05 A4 16 80 01 01 81 03 05 E1 00 "
    "82 0C 03 00 00 00 00 00 00 00 00 00 01 00";
const std::string kInitiateResponse =
    "A9 26 80 03 02 FF 00 81 01 0A 82 01 0A 83 01 05 A4 16 80 01 01 81 03 05 F1 00 "
    "82 0C 03 EE 1C 00 00 04 08 00 00 01 00 00";
const std::string kInitiateError = "AA 05 A0 03 88 01 00";

const std::string kAcseItem = "30 0F 02 01 01 06 04 52 01 00 01 30 04 06 02 51 01";
const std::string kMmsItem = "30 10 02 01 03 06 05 28 CA 22 02 01 30 04 06 02 51 01";
const std::string kAccepted = "30 03 80 01 00";

std::string Normal(const std::string& hex) { return Hex(Bytes(hex)); }

std::string Pdv(int context, const std::string& pdu) {
    return Tlv("30",
               "02 01 " + Hex(std::vector<std::uint8_t>{static_cast<std::uint8_t>(context)}) + " " + Tlv("A0", pdu));
}

std::string Cp(const std::string& pdu) {
    return Tlv("31", "A0 03 80 01 01 " + Tlv("A2", "81 04 00 00 00 01 82 04 00 00 00 01 " +
                                                       Tlv("A4", kAcseItem + kMmsItem) + " " + Tlv("61", Pdv(1, pdu))));
}

std::string Cpa(const std::string& pdu) {
    return Tlv("31", "A0 03 80 01 01 " + Tlv("A2", "83 04 00 00 00 01 " + Tlv("A5", kAccepted + kAccepted) + " " +
                                                       Tlv("61", Pdv(1, pdu))));
}

std::string External(const std::string& encoding, const std::string& transferSyntax = "51 01") {
    return Tlv("28", Tlv("06", transferSyntax) + " 02 01 03 " + encoding);
}

std::string UserInformation(const std::string& externals) { return Tlv("BE", externals); }

std::string SingleAsn1(const std::string& pdu) { return Tlv("A0", pdu); }

// The diagnostic is the result-source-diagnostic's content: acse-service-user null by default.
std::string Aare(const std::string& result, const std::string& userInformation,
                 const std::string& context = "28 CA 22 02 03", const std::string& diagnostic = "A1 03 02 01 00") {
    return Tlv("61", Tlv("A1", Tlv("06", context)) + " A2 03 02 01 " + result + " " + Tlv("A3", diagnostic) + " " +
                         userInformation);
}

std::string Aarq(const std::string& userInformation, const std::string& context = "28 CA 22 02 03") {
    return Tlv("60", Tlv("A1", Tlv("06", context)) +
                         " A2 07 06 05 29 01 87 67 01 A3 03 02 01 0C A6 06 06 04 29 01 87 67 A7 03 02 01 0C " +
                         userInformation);
}

void SetProfile(Protocol::Connection& connection) {
    connection.SetParameter("RemoteApId", "1.1.1.999.1");
    connection.SetParameter("LocalApId", "1.1.1.999");
    connection.SetParameter("RemoteAeQualifier", "12");
    connection.SetParameter("LocalAeQualifier", "12");
}

class AcseConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        acse.SetLower(&copp);
        copp.SetUpper(&acse);
        acse.SetUpper(&mms);
        mms.SetLower(&acse);
        acse.Reset();
        mmsContext = acse.AddPresentationContext(kMms);
        ASSERT_NE(mmsContext, nullptr);
        mmsContext->SetUserConnection(&mms);
        copp.SetParameter("LocalPSelector", "1");
        copp.SetParameter("RemotePSelector", "1");
    }

    System::ResultCode ToCopp(const std::string& hex, std::uint32_t event) {
        const std::vector<std::uint8_t> bytes = Bytes(hex);
        return copp.OnLowerBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()), event);
    }

    void Request() {
        SetProfile(acse);
        auto frame = UpperFrame(kInitiateRequest);
        ASSERT_EQ(acse.SendAssociateRequest(frame.get()), System::OkNoError);
        copp.calls.clear();
    }

    std::size_t Indications(std::uint32_t event) const {
        std::size_t count = 0;
        for (const Delivery& delivery : mms.Deliveries())
            count += delivery.kind == Delivery::Indication && delivery.event == event;
        return count;
    }

    RecordingUser mms;
    RecordingCopp copp;
    AcseConnection acse{nullptr};
    PresentationContext* mmsContext = nullptr;
};

TEST_F(AcseConnectionTest, ContextsAreAcseFirstThenTheUsers) {
    ASSERT_NE(acse.GetAcseContext(), nullptr);
    EXPECT_EQ(acse.GetAcseContext()->GetIdentifier(), 1u);
    EXPECT_EQ(acse.GetAcseContext()->GetAbstractSyntax(), "2.2.1.0.1");
    EXPECT_EQ(acse.GetAcseContext()->GetUserConnection(), &acse);
    EXPECT_EQ(mmsContext->GetIdentifier(), 3u);
    EXPECT_EQ(mmsContext->GetTransferSyntaxes(), "2.1.1");
    acse.Reset();
    EXPECT_EQ(acse.AddPresentationContext(kMms), mmsContext);
}

TEST_F(AcseConnectionTest, ParametersKeepTitlesAsTextAndQualifiersAsNumbers) {
    SetProfile(acse);
    std::string text;
    EXPECT_EQ(acse.GetParameter("RemoteApId", text), System::OkNoError);
    EXPECT_EQ(text, "1.1.1.999.1");
    EXPECT_EQ(acse.SetParameter("LocalApId", "anything"), System::OkNoError);
    EXPECT_EQ(acse.GetLocalApTitle(), "anything");
    EXPECT_EQ(acse.SetParameter("LocalAeQualifier", "x"), System::InvalidArguments);
    EXPECT_EQ(acse.GetLocalAeQualifier(), 12);
    EXPECT_EQ(acse.SetParameter("RemoteAeQualifier", "-7"), System::OkNoError);
    EXPECT_EQ(acse.GetParameter("RemoteAeQualifier", text), System::OkNoError);
    EXPECT_EQ(text, "-7");
    EXPECT_EQ(acse.SetParameter("LocalPSelector", "1"), System::NotSupported);
    EXPECT_EQ(acse.GetParameter("Other", text), System::NotSupported);

    // The end of an association keeps what was given; only the chain's restore takes it back.
    acse.Reset();
    EXPECT_EQ(acse.GetLocalApTitle(), "anything");
    EXPECT_EQ(acse.GetRemoteAeQualifier(), -7);
    acse.RestoreParameterDefaults();
    EXPECT_EQ(acse.GetLocalApTitle(), "0");
    EXPECT_EQ(acse.GetRemoteApTitle(), "");
    EXPECT_EQ(acse.GetRemoteAeQualifier(), 0);
}

TEST_F(AcseConnectionTest, RequestCarriesTitlesContextAndTheInitiateInPlace) {
    SetProfile(acse);
    auto frame = UpperFrame(kInitiateRequest);
    ASSERT_EQ(acse.SendAssociateRequest(frame.get()), System::OkNoError);
    EXPECT_EQ(acse.GetState(), AcseConnection::StateAarqSent);
    EXPECT_EQ(acse.GetApplicationContextName(), "1.0.9506.2.3");
    ASSERT_EQ(copp.calls.size(), 1u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Connect);
    const std::string aarq = Normal(
        "60 59 A1 07 06 05 28 CA 22 02 03 A2 07 06 05 29 01 87 67 01 A3 03 02 01 0C "
        "A6 06 06 04 29 01 87 67 A7 03 02 01 0C BE 33 28 31 06 02 51 01 02 01 03 A0 28 " +
        kInitiateRequest);
    EXPECT_EQ(aarq, Aarq(UserInformation(External(SingleAsn1(kInitiateRequest)))));
    EXPECT_EQ(copp.calls[0].hex, Cp(aarq));

    // The MMS layer may hand its PDU down still as a value: it is encoded in place.
    acse.Reset();
    copp.Reset();
    SetProfile(acse);
    auto unencoded = ValueFrame("AB CD");
    ASSERT_EQ(acse.SendAssociateRequest(unencoded.get()), System::OkNoError);
    ASSERT_EQ(copp.calls.size(), 2u);
    EXPECT_EQ(copp.calls[1].hex, Cp(Aarq(UserInformation(External(SingleAsn1("04 02 AB CD"))))));
}

TEST_F(AcseConnectionTest, RequestFailsWhenPresentationIsBusyOrTitlesAreNoIdentifiers) {
    SetProfile(acse);
    acse.SetParameter("RemoteApId", "not.an.identifier");
    auto frame = UpperFrame(kInitiateRequest);
    EXPECT_NE(acse.SendAssociateRequest(frame.get()), System::OkNoError);
    EXPECT_EQ(Indications(AcseConnection::AbortIndication), 1u);

    copp.SetState(CoppConnection::StateConnected);
    auto again = UpperFrame(kInitiateRequest);
    EXPECT_EQ(acse.SendAssociateRequest(again.get()), System::InvalidState);
    EXPECT_EQ(acse.GetState(), AcseConnection::StateIdle);
    EXPECT_EQ(Indications(AcseConnection::AbortIndication), 2u);
    EXPECT_TRUE(copp.calls.empty());
}

TEST_F(AcseConnectionTest, AcceptingAareAssociatesAndHandsTheAnswerUp) {
    Request();
    EXPECT_EQ(ToCopp(Cpa(Aare("00", UserInformation(External(SingleAsn1(kInitiateResponse))))), 12), System::OkNoError);
    EXPECT_EQ(acse.GetState(), AcseConnection::StateAssociated);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateConnected);
    const auto deliveries = mms.Deliveries();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].kind, Delivery::SingleAsn1);
    EXPECT_EQ(deliveries[0].event, AcseConnection::AssociateConfirmation);
    EXPECT_EQ(deliveries[0].hex, Normal(kInitiateResponse));
}

TEST_F(AcseConnectionTest, AareChecks) {
    const std::string response = UserInformation(External(SingleAsn1(kInitiateResponse)));
    const struct {
        const char* name;
        std::string apdu;
        bool associated;
        std::string delivered;  // empty: nothing reaches the user
    } cases[] = {
        {"accepted", Aare("00", response), true, kInitiateResponse},
        {"rejected permanent", Aare("01", UserInformation(External(SingleAsn1(kInitiateError)))), false,
         kInitiateError},
        {"rejected transient", Aare("02", response), false, kInitiateResponse},
        {"result outside the known values", Aare("07", response), false, kInitiateResponse},
        {"octet-aligned answer", Aare("00", UserInformation(External(Tlv("81", kInitiateResponse)))), true,
         kInitiateResponse},
        {"accepted without an answer", Aare("00", ""), false, ""},
        {"other application context", Aare("00", response, "28 CA 22 02 04"), false, ""},
        {"other transfer syntax", Aare("00", UserInformation(External(SingleAsn1(kInitiateResponse), "51 02"))), false,
         ""},
        {"not an AARE", "64 03 80 01 00", false, ""},
        {"not decodable", "61 05 A1 03 06", false, ""},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        RecordingUser user;
        RecordingCopp presentation;
        AcseConnection connection(nullptr);
        connection.SetLower(&presentation);
        presentation.SetUpper(&connection);
        connection.SetUpper(&user);
        connection.Reset();
        connection.AddPresentationContext(kMms)->SetUserConnection(&user);
        SetProfile(connection);
        auto frame = UpperFrame(kInitiateRequest);
        ASSERT_EQ(connection.SendAssociateRequest(frame.get()), System::OkNoError);

        const std::vector<std::uint8_t> bytes = Bytes(entry.apdu);
        const System::ResultCode result = connection.OnSingleAsn1Data(bytes, CoppConnection::ConnectConfirmData);
        EXPECT_EQ(result == System::OkNoError, entry.associated);
        EXPECT_EQ(connection.GetState(),
                  entry.associated ? AcseConnection::StateAssociated : AcseConnection::StateAarqSent);
        const auto deliveries = user.Deliveries();
        if (entry.delivered.empty()) {
            EXPECT_TRUE(deliveries.empty());
        } else {
            ASSERT_EQ(deliveries.size(), 1u);
            EXPECT_EQ(deliveries[0].kind, Delivery::SingleAsn1);
            EXPECT_EQ(deliveries[0].event, AcseConnection::AssociateConfirmation);
            EXPECT_EQ(deliveries[0].hex, Normal(entry.delivered));
        }
    }
}

TEST_F(AcseConnectionTest, RejectionEndsInOneAbortIndicationAfterTheAnswer) {
    Request();
    EXPECT_NE(ToCopp(Cpa(Aare("01", UserInformation(External(SingleAsn1(kInitiateError))))), 12), System::OkNoError);
    EXPECT_EQ(acse.GetState(), AcseConnection::StateIdle);
    EXPECT_EQ(copp.GetState(), CoppConnection::StateIdle);
    const auto deliveries = mms.Deliveries();
    ASSERT_EQ(deliveries.size(), 2u);
    EXPECT_EQ(deliveries[0].event, AcseConnection::AssociateConfirmation);
    EXPECT_EQ(deliveries[0].hex, Normal(kInitiateError));
    EXPECT_EQ(deliveries[1].kind, Delivery::Indication);
    EXPECT_EQ(deliveries[1].event, AcseConnection::AbortIndication);
    ASSERT_EQ(copp.calls.size(), 1u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Abort);
    EXPECT_EQ(copp.calls[0].hex, "30 06 80 01 06 81 01 01");
}

// The peer's result and diagnostic are kept before the user hears of the rejection,
// so that the user's connect can say why the device refused.
TEST_F(AcseConnectionTest, ARejectionsResultAndDiagnosticReachTheUser) {
    const std::string answer = UserInformation(External(SingleAsn1(kInitiateError)));
    const struct {
        const char* name;
        std::string apdu;
        std::int32_t reason;  // 0 with diagnostic -1: no refusal kept
        std::int32_t diagnostic;
        const char* text;
    } cases[] = {
        {"rejected-permanent, calling AP title not recognized", Aare("01", answer, "28 CA 22 02 03", "A1 03 02 01 03"),
         1, 3,
         "association rejected-permanent (result 1) by the ACSE service user, diagnostic 3 "
         "(calling-AP-title-not-recognized)"},
        {"rejected-transient by the provider", Aare("02", answer, "28 CA 22 02 03", "A2 03 02 01 02"), 2, 2,
         "association rejected-transient (result 2) by the ACSE service provider, diagnostic 2 "
         "(no-common-acse-version)"},
        {"accepted", Aare("00", UserInformation(External(SingleAsn1(kInitiateResponse)))), 0, -1, ""},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        RecordingUser user;
        RecordingCopp presentation;
        AcseConnection connection(nullptr);
        connection.SetLower(&presentation);
        presentation.SetUpper(&connection);
        connection.SetUpper(&user);
        user.SetLower(&connection);
        connection.Reset();
        connection.AddPresentationContext(kMms)->SetUserConnection(&user);
        SetProfile(connection);
        // Left from an earlier attempt: a new request forgets it.
        connection.SetRefusal(Protocol::PeerRefusal{Protocol::PeerRefusal::Source::Session, 2, 0, "earlier"});
        auto frame = UpperFrame(kInitiateRequest);
        ASSERT_EQ(connection.SendAssociateRequest(frame.get()), System::OkNoError);
        EXPECT_FALSE(user.FindRefusal().IsSet());

        std::vector<Protocol::PeerRefusal> seen;
        user.onDelivery = [&](const Delivery&) { seen.push_back(user.FindRefusal()); };
        const std::vector<std::uint8_t> bytes = Bytes(entry.apdu);
        connection.OnSingleAsn1Data(bytes, CoppConnection::ConnectConfirmData);
        ASSERT_EQ(seen.size(), 1u);
        if (entry.diagnostic < 0) {
            EXPECT_FALSE(seen[0].IsSet());
        } else {
            EXPECT_EQ(seen[0].source, Protocol::PeerRefusal::Source::Acse);
            EXPECT_EQ(seen[0].reason, entry.reason);
            EXPECT_EQ(seen[0].diagnostic, entry.diagnostic);
            EXPECT_EQ(seen[0].text, entry.text);
        }
        user.SetLower(nullptr);
    }
}

TEST_F(AcseConnectionTest, AbortsInBothDirections) {
    Request();
    ASSERT_EQ(ToCopp(Cpa(Aare("00", UserInformation(External(SingleAsn1(kInitiateResponse))))), 12), System::OkNoError);
    EXPECT_EQ(acse.SendAbort(TransportLink::Handshake(), AbortWait::ForPeer), System::OkNoError);
    EXPECT_EQ(acse.GetState(), AcseConnection::StateIdle);
    ASSERT_EQ(copp.calls.size(), 1u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Abort);
    EXPECT_EQ(copp.calls[0].hex, "A0 0E 61 0C 30 0A 02 01 01 A0 05 64 03 80 01 00");
    EXPECT_EQ(Indications(AcseConnection::AbortIndication), 0u);

    Request();
    EXPECT_EQ(acse.OnLowerEvent(CoppConnection::TokenNotification), System::OkNoError);
    EXPECT_EQ(copp.OnLowerEvent(CoppConnection::SessionAborted), System::OkNoError);
    EXPECT_EQ(acse.GetState(), AcseConnection::StateIdle);
    EXPECT_EQ(Indications(AcseConnection::AbortIndication), 1u);
    EXPECT_EQ(acse.OnLowerEvent(42), System::NotSupported);
}

TEST_F(AcseConnectionTest, ResponderHandsTheRequestUpAndAcceptsWithAnAare) {
    mms.onDelivery = [this](const Delivery& delivery) {
        if (delivery.event != AcseConnection::AssociateIndication || delivery.kind != Delivery::SingleAsn1) return;
        auto answer = UpperFrame(kInitiateResponse);
        EXPECT_EQ(acse.SendAssociateAccept(answer.get()), System::OkNoError);
    };
    EXPECT_EQ(ToCopp(Cp(Aarq(UserInformation(External(SingleAsn1(kInitiateRequest))))), 11), System::OkNoError);
    const auto deliveries = mms.Deliveries();
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0].hex, Normal(kInitiateRequest));
    EXPECT_EQ(acse.GetState(), AcseConnection::StateAssociated);
    // The titles keep the initiator's point of view.
    EXPECT_EQ(acse.GetRemoteApTitle(), "1.1.1.999.1");
    EXPECT_EQ(acse.GetLocalApTitle(), "1.1.1.999");
    EXPECT_EQ(acse.GetRemoteAeQualifier(), 12);
    ASSERT_EQ(copp.calls.size(), 1u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Accept);
    const std::string aare = Normal(
        "61 4A A1 07 06 05 28 CA 22 02 03 A2 03 02 01 00 A3 05 A1 03 02 01 00 "
        "BE 33 28 31 06 02 51 01 02 01 03 A0 28 " +
        kInitiateResponse);
    EXPECT_EQ(copp.calls[0].hex, Cpa(aare));
}

TEST_F(AcseConnectionTest, ResponderRejectsWithARejectingAare) {
    ASSERT_EQ(ToCopp(Cp(Aarq(UserInformation(External(SingleAsn1(kInitiateRequest))))), 11), System::OkNoError);
    EXPECT_EQ(acse.GetState(), AcseConnection::StateAarqReceived);
    auto answer = UpperFrame(kInitiateError);
    EXPECT_EQ(acse.SendAssociateReject(answer.get()), System::OkNoError);
    EXPECT_EQ(acse.GetState(), AcseConnection::StateIdle);
    EXPECT_EQ(acse.SendAssociateReject(answer.get()), System::InvalidState);
    ASSERT_EQ(copp.calls.size(), 1u);
    EXPECT_EQ(copp.calls[0].kind, SessionCall::Refuse);
    const std::string aare = Aare("01", UserInformation(External(SingleAsn1(kInitiateError))));
    EXPECT_NE(copp.calls[0].hex.find(Pdv(1, aare)), std::string::npos) << copp.calls[0].hex;
}

TEST_F(AcseConnectionTest, ResponderRefusesOrAbortsRequestsItCannotServe) {
    const std::string request = External(SingleAsn1(kInitiateRequest));
    const struct {
        const char* name;
        std::string aarq;
        System::ResultCode userAnswer;
        SessionCall::Kind call;
        std::string containing;
    } cases[] = {
        {"other application context", Aarq(UserInformation(request), "28 CA 22 02 04"), System::OkNoError,
         SessionCall::Refuse, Pdv(1, "61 15 A1 07 06 05 28 CA 22 02 04 A2 03 02 01 01 A3 05 A1 03 02 01 00")},
        {"two externals", Aarq(UserInformation(request + request)), System::OkNoError, SessionCall::Abort,
         "30 03 80 01 00"},
        {"user cannot take the request", Aarq(UserInformation(request)), System::Error, SessionCall::Abort,
         "A0 0E 61 0C 30 0A 02 01 01 A0 05 64 03 80 01 01"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        RecordingUser user;
        RecordingCopp presentation;
        AcseConnection connection(nullptr);
        connection.SetLower(&presentation);
        presentation.SetUpper(&connection);
        connection.SetUpper(&user);
        connection.Reset();
        connection.AddPresentationContext(kMms)->SetUserConnection(&user);
        user.answer = entry.userAnswer;

        const std::vector<std::uint8_t> bytes = Bytes(Cp(entry.aarq));
        presentation.OnLowerBytes(bytes.data(), static_cast<std::uint32_t>(bytes.size()), 11);
        EXPECT_EQ(connection.GetState(), AcseConnection::StateIdle);
        EXPECT_EQ(presentation.GetState(), CoppConnection::StateIdle);
        ASSERT_EQ(presentation.calls.size(), 1u);
        EXPECT_EQ(presentation.calls[0].kind, entry.call);
        EXPECT_NE(presentation.calls[0].hex.find(Normal(entry.containing)), std::string::npos)
            << presentation.calls[0].hex;
    }
}

}  // namespace
