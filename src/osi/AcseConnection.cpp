#include "osi/AcseConnection.h"

#include "osi/AcseFrame.h"
#include "osi/AcseLayer.h"
#include "osi/CoppConnection.h"
#include "osi/PeerRefusals.h"
#include "osi/PresentationContext.h"
#include "osi/PresentationEncoding.h"
#include "osi/TcpConnection.h"
#include "protocol/Asn1External.h"
#include "protocol/Asn1NumberValues.h"
#include "protocol/Asn1OidValues.h"
#include "protocol/RawFrame.h"
#include "system/NumberText.h"

using namespace Acse;
using Presentation::NewValue;

namespace {

std::string OidText(const Asn1::Asn1ObjectIdentifier& oid) {
    std::string text;
    if (Asn1::Asn1OidToText(text, &oid) != System::OkNoError) text.clear();
    return text;
}

System::ResultCode NewApTitle(ApTitle*& title, const std::string& text) {
    title = NewValue<ApTitle>();
    if (title == nullptr) return System::NoResources;
    title->present = ApTitleForm2;
    return Asn1::TextToAsn1Oid(&title->choice.form2, text);
}

System::ResultCode NewAeQualifier(AeQualifier*& qualifier, std::int32_t value) {
    qualifier = NewValue<AeQualifier>();
    if (qualifier == nullptr) return System::NoResources;
    qualifier->present = AeQualifierForm2;
    return Asn1::Int32ToAsn1Integer(&qualifier->choice.form2, value);
}

bool ReadApTitle(const ApTitle* title, std::string& text) {
    if (title == nullptr || title->present != ApTitleForm2) return false;
    return Asn1::Asn1OidToText(text, &title->choice.form2) == System::OkNoError;
}

bool ReadAeQualifier(const AeQualifier* qualifier, std::int32_t& value) {
    if (qualifier == nullptr || qualifier->present != AeQualifierForm2) return false;
    return Asn1::Asn1IntegerToInt32(value, &qualifier->choice.form2) == System::OkNoError;
}

std::span<const std::uint8_t> OctetsOf(const Asn1::Asn1OctetString& string) {
    if (string.buf == nullptr || string.size <= 0) return {};
    return {string.buf, static_cast<std::size_t>(string.size)};
}

}  // namespace

AcseConnection::AcseConnection(AcseLayer* layer) : Connection(layer) {}

AcseConnection::~AcseConnection() {
    // The chain below delivers into this connection until it is gone.
    ReleaseLower();
}

System::ResultCode AcseConnection::SetParameter(std::string_view name, std::string_view value) {
    std::lock_guard lock(titlesMutex_);
    for (Titles* titles : {&givenTitles_, &titles_}) {
        if (name == "LocalApId") {
            titles->localApTitle = value;
        } else if (name == "RemoteApId") {
            titles->remoteApTitle = value;
        } else if (name == "LocalAeQualifier" || name == "RemoteAeQualifier") {
            std::int32_t qualifier = 0;
            if (System::ParseInt32Text(qualifier, value) != System::OkNoError) return System::InvalidArguments;
            (name == "LocalAeQualifier" ? titles->localAeQualifier : titles->remoteAeQualifier) = qualifier;
        } else {
            return System::NotSupported;
        }
    }
    return System::OkNoError;
}

System::ResultCode AcseConnection::GetParameter(std::string_view name, std::string& value) {
    std::lock_guard lock(titlesMutex_);
    if (name == "LocalApId") {
        value = titles_.localApTitle;
    } else if (name == "RemoteApId") {
        value = titles_.remoteApTitle;
    } else if (name == "LocalAeQualifier") {
        System::FormatInt32(value, titles_.localAeQualifier);
    } else if (name == "RemoteAeQualifier") {
        System::FormatInt32(value, titles_.remoteAeQualifier);
    } else {
        return System::NotSupported;
    }
    return System::OkNoError;
}

System::ResultCode AcseConnection::Reset() {
    {
        std::lock_guard lock(titlesMutex_);
        titles_ = givenTitles_;
    }
    EnsureAcseContext();
    const System::ResultCode result = Connection::Reset();
    SetState(StateIdle);
    return result;
}

System::ResultCode AcseConnection::RestoreParameterDefaults() {
    {
        std::lock_guard lock(titlesMutex_);
        givenTitles_ = titles_ = Titles{};
    }
    return Connection::RestoreParameterDefaults();
}

System::ResultCode AcseConnection::Close() {
    System::ResultCode lowerResult = System::OkNoError;
    if (Protocol::Connection* lower = GetLower()) lowerResult = lower->Close();
    const System::ResultCode result = Connection::Close();
    return lowerResult != System::OkNoError ? lowerResult : result;
}

CoppConnection* AcseConnection::GetPresentationConnection() { return dynamic_cast<CoppConnection*>(GetLower()); }

void AcseConnection::EnsureAcseContext() {
    if (acseContext_.load() != nullptr) return;
    CoppConnection* presentation = GetPresentationConnection();
    if (presentation == nullptr) return;
    PresentationContext* context = presentation->AddContext(AcseAbstractSyntax, BerTransferSyntax);
    if (context == nullptr) return;
    context->SetUserConnection(this);
    acseContext_.store(context);
}

PresentationContext* AcseConnection::AddPresentationContext(std::string_view abstractSyntax) {
    EnsureAcseContext();
    CoppConnection* presentation = GetPresentationConnection();
    if (presentation == nullptr) return nullptr;
    return presentation->AddContext(abstractSyntax, BerTransferSyntax);
}

std::uint32_t AcseConnection::AcseContextIdentifier() const {
    const PresentationContext* context = acseContext_.load();
    return context != nullptr ? context->GetIdentifier() : 0;
}

AcseConnection::Titles AcseConnection::CopyTitles() const {
    std::lock_guard lock(titlesMutex_);
    return titles_;
}

std::string AcseConnection::GetApplicationContextName() const { return CopyTitles().applicationContextName; }
std::string AcseConnection::GetLocalApTitle() const { return CopyTitles().localApTitle; }
std::string AcseConnection::GetRemoteApTitle() const { return CopyTitles().remoteApTitle; }
std::int32_t AcseConnection::GetLocalAeQualifier() const { return CopyTitles().localAeQualifier; }
std::int32_t AcseConnection::GetRemoteAeQualifier() const { return CopyTitles().remoteAeQualifier; }

// ---- requests from the user ----

System::ResultCode AcseConnection::SendAssociateRequest(Asn1::Asn1Frame* upper) {
    // A reason kept from an earlier attempt does not explain this one.
    ClearRefusals();
    CoppConnection* presentation = GetPresentationConnection();
    if (presentation == nullptr || presentation->GetState() != CoppConnection::StateIdle) {
        Reset();
        IndicateAbort(nullptr);
        return System::InvalidState;
    }
    Titles titles;
    {
        std::lock_guard lock(titlesMutex_);
        titles_.applicationContextName = MmsApplicationContext;
        titles = titles_;
    }
    AcseFrame frame(this, AcseFrame::KindAarq, AcseContextIdentifier(), upper);
    AcseApdu* apdu = frame.GetApdu();
    System::ResultCode result = apdu != nullptr ? System::OkNoError : System::NoResources;
    if (result == System::OkNoError) {
        Aarq& aarq = apdu->choice.aarq;
        result = Asn1::TextToAsn1Oid(&aarq.applicationContextName, titles.applicationContextName);
        if (result == System::OkNoError) result = NewApTitle(aarq.calledApTitle, titles.remoteApTitle);
        if (result == System::OkNoError) result = NewAeQualifier(aarq.calledAeQualifier, titles.remoteAeQualifier);
        if (result == System::OkNoError) result = NewApTitle(aarq.callingApTitle, titles.localApTitle);
        if (result == System::OkNoError) result = NewAeQualifier(aarq.callingAeQualifier, titles.localAeQualifier);
        if (result == System::OkNoError && upper != nullptr) result = frame.FillUserInformation(aarq.userInformation);
    }
    if (result == System::OkNoError) result = frame.Encode();
    if (result != System::OkNoError) {
        IndicateAbort(nullptr);
        return result;
    }
    SetState(StateAarqSent);
    return presentation->Connect(frame.GetOutput(), frame.GetContextIdentifier());
}

System::ResultCode AcseConnection::BuildResponse(AcseFrame& frame, std::int32_t result) {
    AcseApdu* apdu = frame.GetApdu();
    if (apdu == nullptr) return System::NoResources;
    Aare& aare = apdu->choice.aare;
    System::ResultCode built = Asn1::TextToAsn1Oid(&aare.applicationContextName, GetApplicationContextName());
    if (built == System::OkNoError) built = Asn1::Int32ToAsn1Integer(&aare.result, result);
    aare.resultSourceDiagnostic.present = DiagnosticServiceUser;
    aare.resultSourceDiagnostic.choice.serviceUser = 0;
    if (built == System::OkNoError && frame.HasUpper()) built = frame.FillUserInformation(aare.userInformation);
    if (built == System::OkNoError) built = frame.Encode();
    return built;
}

System::ResultCode AcseConnection::SendAssociateAccept(Asn1::Asn1Frame* upper) {
    return SendAssociateResponse(upper, true);
}

System::ResultCode AcseConnection::SendAssociateReject(Asn1::Asn1Frame* upper) {
    return SendAssociateResponse(upper, false);
}

System::ResultCode AcseConnection::SendAssociateResponse(Asn1::Asn1Frame* upper, bool accepted) {
    if (GetState() != StateAarqReceived) return System::InvalidState;
    CoppConnection* presentation = GetPresentationConnection();
    if (presentation == nullptr) return System::NotConnected;
    AcseFrame frame(this, AcseFrame::KindAare, AcseContextIdentifier(), upper);
    const System::ResultCode result = BuildResponse(frame, accepted ? ResultAccepted : ResultRejectedPermanent);
    if (result != System::OkNoError) return result;
    if (accepted) {
        SetState(StateAssociated);
        return presentation->AcceptConnect(frame.GetOutput(), frame.GetContextIdentifier());
    }
    Reset();
    return presentation->RefuseConnect(frame.GetOutput(), frame.GetContextIdentifier());
}

System::ResultCode AcseConnection::SendAbort(TransportLink link, AbortWait wait) {
    return ResetAndSendAbrt(AbortSourceServiceUser, link, wait);
}

System::ResultCode AcseConnection::ProviderAbort() {
    const System::ResultCode result =
        ResetAndSendAbrt(AbortSourceServiceProvider, TransportLink::Served(), AbortWait::None);
    IndicateAbort(nullptr);
    return result;
}

System::ResultCode AcseConnection::ResetAndSendAbrt(Asn1::Asn1NativeInteger source, TransportLink link,
                                                    AbortWait wait) {
    // Nothing of an ended link's abort may touch the association made on the next one.
    if (!ChainCarriesLink(*this, link)) return System::NotConnected;
    AcseFrame frame(this, AcseFrame::KindAbrt, AcseContextIdentifier());
    AcseApdu* apdu = frame.GetApdu();
    bool built = false;
    if (apdu != nullptr) {
        apdu->choice.abrt.abortSource = source;
        built = frame.Encode() == System::OkNoError;
    }
    Reset();
    CoppConnection* presentation = GetPresentationConnection();
    if (presentation == nullptr) return System::NotConnected;
    // Without an encoded ABRT the presentation abort goes without user data.
    return presentation->UserAbort(built ? frame.GetOutput() : nullptr, frame.GetContextIdentifier(), link, wait);
}

// ---- indications from the presentation connection ----

System::ResultCode AcseConnection::OnSingleAsn1Data(std::span<const std::uint8_t> data, std::uint32_t event) {
    AcseFrame frame(data);
    const AcseApdu* apdu = frame.IsDecoded() ? frame.GetApdu() : nullptr;
    if (apdu == nullptr) return System::Error;
    switch (event) {
        case CoppConnection::ConnectConfirmData: return OnAssociateResponse(*apdu);
        case CoppConnection::ConnectIndicationData: return OnAssociateRequest(*apdu);
        default: return System::Error;
    }
}

System::ResultCode AcseConnection::OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) {
    switch (event) {
        case CoppConnection::TokenNotification: return System::OkNoError;
        case CoppConnection::AbortIndication:
            if (!userEndsAssociation_.load() || GetUpper() == nullptr) Reset();
            return IndicateAbort(frame);
        default: return System::NotSupported;
    }
}

System::ResultCode AcseConnection::CheckUserInformation(const AssociationInformation& information) const {
    const PresentationContext* acse = acseContext_.load();
    for (const Asn1::Asn1External* external : information) {
        if (external == nullptr) return System::Error;
        if (external->directReference != nullptr &&
            (acse == nullptr || !acse->HasTransferSyntax(OidText(*external->directReference)))) {
            return System::Error;
        }
        std::int32_t indirect = 0;
        const System::ResultCode result = Asn1::Asn1IntegerToInt32(indirect, external->indirectReference, nullptr);
        if (external->indirectReference != nullptr && result != System::OkNoError) return result;
    }
    return System::OkNoError;
}

System::ResultCode AcseConnection::DeliverUserInformation(const AssociationInformation& information,
                                                          std::uint32_t event) {
    Protocol::Connection* upper = GetUpper();
    if (upper == nullptr) return System::OkNoError;
    for (const Asn1::Asn1External* external : information) {
        switch (external->encoding.present) {
            case Asn1::Asn1ExternalSingleAsn1Type:
                upper->OnSingleAsn1Data(OctetsOf(external->encoding.choice.singleAsn1Type), event);
                break;
            case Asn1::Asn1ExternalOctetAligned:
                upper->OnSingleAsn1Data(OctetsOf(external->encoding.choice.octetAligned), event);
                break;
            case Asn1::Asn1ExternalArbitrary: {
                const Asn1::Asn1BitString& bits = external->encoding.choice.arbitrary;
                upper->OnArbitraryData(
                    bits.buf != nullptr && bits.size > 0
                        ? std::span<const std::uint8_t>(bits.buf, static_cast<std::size_t>(bits.size))
                        : std::span<const std::uint8_t>(),
                    event);
                break;
            }
            default: break;
        }
    }
    return System::OkNoError;
}

System::ResultCode AcseConnection::OnAssociateResponse(const AcseApdu& apdu) {
    if (GetState() != StateAarqSent) return System::InvalidState;
    if (apdu.present != ApduAare) return System::Error;
    const Aare& aare = apdu.choice.aare;
    if (OidText(aare.applicationContextName) != GetApplicationContextName()) return System::Error;
    std::int32_t result = 0;
    const System::ResultCode read = Asn1::Asn1IntegerToInt32(result, &aare.result, nullptr);
    if (read != System::OkNoError) return read;
    if (result != ResultAccepted) {
        // Kept before anything goes up: the abort that follows ends the user's connect.
        const AssociateSourceDiagnostic& diagnostic = aare.resultSourceDiagnostic;
        const bool byProvider = diagnostic.present == DiagnosticServiceProvider;
        SetRefusal(PeerRefusals::AssociationRejected(
            result, byProvider, byProvider ? diagnostic.choice.serviceProvider : diagnostic.choice.serviceUser));
    }
    if (aare.userInformation != nullptr) {
        const System::ResultCode checked = CheckUserInformation(*aare.userInformation);
        if (checked != System::OkNoError) return checked;
    }
    // Only an explicit acceptance that carries the user's answer is an association;
    // any other result value is a rejection.
    const bool accepted =
        result == ResultAccepted && aare.userInformation != nullptr && aare.userInformation->Count() > 0;
    if (accepted) SetState(StateAssociated);
    // The answer goes up even with a rejection: it carries the peer's reasons.
    if (aare.userInformation != nullptr) DeliverUserInformation(*aare.userInformation, AssociateConfirmation);
    return accepted ? System::OkNoError : System::Error;
}

void AcseConnection::TakeRequestTitles(const Aarq& aarq) {
    Titles titles = CopyTitles();
    titles.applicationContextName = OidText(aarq.applicationContextName);
    ReadApTitle(aarq.calledApTitle, titles.remoteApTitle);
    ReadAeQualifier(aarq.calledAeQualifier, titles.remoteAeQualifier);
    ReadApTitle(aarq.callingApTitle, titles.localApTitle);
    ReadAeQualifier(aarq.callingAeQualifier, titles.localAeQualifier);
    std::lock_guard lock(titlesMutex_);
    titles_ = std::move(titles);
}

System::ResultCode AcseConnection::OnAssociateRequest(const AcseApdu& apdu) {
    if (apdu.present == ApduAarq) TakeRequestTitles(apdu.choice.aarq);
    if (GetState() != StateIdle) {
        IndicateAbort(nullptr);
        return System::InvalidState;
    }
    if (apdu.present != ApduAarq || GetApplicationContextName() != MmsApplicationContext) return RefuseRequest();
    const AssociationInformation* information = apdu.choice.aarq.userInformation;
    if (information == nullptr || information->Count() != 1) return System::InvalidArguments;
    const Asn1::Asn1External* external = (*information)[0];
    const PresentationContext* acse = acseContext_.load();
    if (external == nullptr || external->encoding.present != 1 ||
        (external->directReference != nullptr &&
         (acse == nullptr || !acse->HasTransferSyntax(OidText(*external->directReference))))) {
        return System::Error;
    }
    SetState(StateAarqReceived);
    Protocol::Connection* upper = GetUpper();
    const System::ResultCode result =
        upper != nullptr
            ? upper->OnSingleAsn1Data(OctetsOf(external->encoding.choice.singleAsn1Type), AssociateIndication)
            : System::Error;
    // A user that could not take the request will not answer it either.
    if (result != System::OkNoError && GetState() == StateAarqReceived) ProviderAbort();
    return result;
}

System::ResultCode AcseConnection::RefuseRequest() {
    CoppConnection* presentation = GetPresentationConnection();
    AcseFrame frame(this, AcseFrame::KindAare, AcseContextIdentifier());
    System::ResultCode result = BuildResponse(frame, ResultRejectedPermanent);
    Reset();
    if (result == System::OkNoError)
        result = presentation != nullptr ? presentation->RefuseConnect(frame.GetOutput(), frame.GetContextIdentifier())
                                         : System::NotConnected;
    if (result != System::OkNoError) ProviderAbort();
    return result;
}

System::ResultCode AcseConnection::IndicateAbort(Protocol::Frame* frame) {
    Protocol::Connection* upper = GetUpper();
    if (upper == nullptr) return System::OkNoError;
    Protocol::RawFrame empty(this);
    return upper->OnLowerIndication(frame != nullptr ? frame : &empty, AbortIndication);
}
