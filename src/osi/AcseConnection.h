#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "osi/AcsePdus.h"
#include "osi/TransportLink.h"
#include "protocol/Asn1Frame.h"
#include "protocol/Connection.h"

class AcseFrame;
class AcseLayer;
class CoppConnection;
class PresentationContext;

// The association control connection of one association (ACSE for MMS), between the
// presentation connection below and the MMS connection above.
//
// The MMS connection defines its presentation context through AddPresentationContext
// (ACSE's own context is defined first, on Reset), opens the association with
// SendAssociateRequest carrying its initiate request, and receives the initiate answer
// through OnSingleAsn1Data with AssociateConfirmation. On the responding side it
// receives the initiate request with AssociateIndication and answers with
// SendAssociateAccept or SendAssociateReject. Aborts in either direction reach it as
// OnLowerIndication with AbortIndication. No release is ever sent: an association
// ends with the transport connection's close, or with an abort.
//
// Frames handed down are the caller's. The upper PDU is encoded in its frame's window
// (or is encoded there first, when the frame still holds its value) with room in
// front for every lower header; it is not copied.
//
// Parameters: "LocalApId", "RemoteApId" (dotted object identifiers, kept as text),
// "LocalAeQualifier", "RemoteAeQualifier" (decimal; InvalidArguments for other text, value kept).
// On the responding side the received AARQ's titles replace them, seen from the
// initiator: its called title becomes the remote one, its calling title the local one.
class AcseConnection : public Protocol::Connection {
public:
    enum State : Protocol::ConnectionState {
        StateIdle = 0,
        StateAarqSent = 1,
        StateAarqReceived = 2,  // responder, waiting for its user's answer
        StateAssociated = 5,
    };
    // Events to the connection above.
    enum UserEvent : std::uint32_t {
        AssociateIndication = 0,    // the user information of an AARQ (responder)
        AssociateConfirmation = 1,  // the user information of an AARE
        AbortIndication = 9,
    };
    static constexpr const char* AcseAbstractSyntax = "2.2.1.0.1";
    static constexpr const char* BerTransferSyntax = "2.1.1";
    static constexpr const char* MmsApplicationContext = "1.0.9506.2.3";

    explicit AcseConnection(AcseLayer* layer);
    ~AcseConnection() override;

    System::ResultCode SetParameter(std::string_view name, std::string_view value) override;
    System::ResultCode GetParameter(std::string_view name, std::string& value) override;
    // An APDU from the presentation connection: ConnectConfirmData (AARE),
    // ConnectIndicationData (AARQ); other events give Error.
    System::ResultCode OnSingleAsn1Data(std::span<const std::uint8_t> data, std::uint32_t event) override;
    // TokenNotification: OkNoError. AbortIndication: AbortIndication upwards, reset
    // first unless the user ends its association itself (SetUserEndsAssociation). Other
    // events: NotSupported.
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override;
    // A user above that ends its association in one step of its own, and resets this layer
    // there under that step's claim, says so: the transport's end or the peer's abort, seen
    // on the receive thread, then leaves the reset to that step instead of coming before it.
    void SetUserEndsAssociation(bool ends) { userEndsAssociation_.store(ends); }
    // Closes the presentation connection (and so the chain below), then resets.
    System::ResultCode Close() override;
    // Titles and qualifiers back to those given (a responder's AARQ names the ones of its
    // association), context name empty, the ACSE context defined when missing, then the
    // base reset; StateIdle.
    System::ResultCode Reset() override;
    // Titles and qualifiers back to their defaults (remote title empty, local title "0",
    // qualifiers 0), then the base's defaults (parameter text).
    System::ResultCode RestoreParameterDefaults() override;

    // Defines the context of the abstract syntax in transfer syntax "2.1.1" on the
    // presentation connection (after ACSE's own); the caller binds its connection to
    // it. Null without a presentation connection below.
    PresentationContext* AddPresentationContext(std::string_view abstractSyntax);

    // A-ASSOCIATE request with the upper frame's PDU as user information: InvalidState
    // and an abort indication unless the presentation connection is idle; NoResources
    // or the object
    // identifier converter's code when the AARQ cannot be built (abort indication too).
    System::ResultCode SendAssociateRequest(Asn1::Asn1Frame* upper);
    // Responder (StateAarqReceived, else InvalidState): AARE accepted,
    // StateAssociated, presentation accept. An accept that cannot go ends as a lost
    // transport: reset, and an abort indication upwards from the receive side.
    System::ResultCode SendAssociateAccept(Asn1::Asn1Frame* upper);
    // Responder (StateAarqReceived, else InvalidState): AARE rejected-permanent,
    // reset, presentation refusal.
    System::ResultCode SendAssociateReject(Asn1::Asn1Frame* upper);
    // A-ABORT by the user: ABRT (acse-service-user), reset, presentation user abort, all
    // on the link named: NotConnected, and nothing changed, once another link is current.
    System::ResultCode SendAbort(TransportLink link, AbortWait wait);

    CoppConnection* GetPresentationConnection();
    // For the tests: what the connection holds; the library reads only the context
    // name, from within.
    PresentationContext* GetAcseContext() const { return acseContext_.load(); }
    std::string GetApplicationContextName() const;
    std::string GetLocalApTitle() const;
    std::string GetRemoteApTitle() const;
    std::int32_t GetLocalAeQualifier() const;
    std::int32_t GetRemoteAeQualifier() const;

private:
    struct Titles {
        std::string applicationContextName;
        std::string remoteApTitle;
        std::int32_t remoteAeQualifier = 0;
        std::string localApTitle = "0";
        std::int32_t localAeQualifier = 0;
    };

    void EnsureAcseContext();
    std::uint32_t AcseContextIdentifier() const;
    Titles CopyTitles() const;

    System::ResultCode OnAssociateResponse(const Acse::AcseApdu& apdu);
    System::ResultCode OnAssociateRequest(const Acse::AcseApdu& apdu);
    void TakeRequestTitles(const Acse::Aarq& aarq);
    // Checks every EXTERNAL of the user information before anything is delivered.
    System::ResultCode CheckUserInformation(const Acse::AssociationInformation& information) const;
    System::ResultCode DeliverUserInformation(const Acse::AssociationInformation& information, std::uint32_t event);
    // AARE with the result, around the upper frame when there is one.
    System::ResultCode BuildResponse(AcseFrame& frame, std::int32_t result);
    // Responder (StateAarqReceived, else InvalidState): AARE accepted
    // (StateAssociated, presentation accept) or
    // rejected-permanent (reset, presentation refusal).
    System::ResultCode SendAssociateResponse(Asn1::Asn1Frame* upper, bool accepted);
    // Refuses an AARQ this layer cannot serve.
    System::ResultCode RefuseRequest();
    // ABRT (acse-service-provider) to the peer and the abort indication upwards; the
    // receive side's, on the stream it serves.
    System::ResultCode ProviderAbort();
    // Builds an ABRT from the source, resets, and hands the ABRT (nothing when it
    // could not be built) to the presentation user abort; NotConnected without a presentation
    // connection or once another link is current.
    System::ResultCode ResetAndSendAbrt(Asn1::Asn1NativeInteger source, TransportLink link, AbortWait wait);
    System::ResultCode IndicateAbort(Protocol::Frame* frame);

    mutable std::mutex titlesMutex_;
    // The titles given as parameters, and those of the association now (a responder
    // takes the ones its AARQ names).
    Titles givenTitles_;
    Titles titles_;
    std::atomic<PresentationContext*> acseContext_{nullptr};
    std::atomic<bool> userEndsAssociation_{false};
};
