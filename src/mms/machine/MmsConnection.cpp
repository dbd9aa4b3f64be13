#include "mms/machine/MmsConnection.h"

#include <algorithm>
#include <new>

#include "mms/machine/MmsLayer.h"
#include "mms/machine/ReadResultsTaker.h"
#include "mms/machine/RequestHandle.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "osi/AcseConnection.h"
#include "osi/CoppConnection.h"
#include "osi/PresentationContext.h"
#include "osi/TcpConnection.h"
#include "protocol/Asn1Ber.h"
#include "system/FrameMessage.h"

namespace Mms {

using System::ResultCode;

namespace {

// Association data that arrives outside an associate exchange: no layer below sends it.
constexpr std::uint32_t kAssociateDataUnexpected = 2;

// The kind and invoke id of a confirmed PDU that could not be decoded as a whole, read
// from its first element: false when even that is not there.
bool ReadConfirmedEnvelope(std::span<const std::uint8_t> data, MmsPduKind& kind, std::int32_t& invokeId) {
    Asn1::Asn1Tag tag = 0;
    std::ptrdiff_t read = Asn1::BerFetchTag(data.data(), data.size(), &tag);
    if (read <= 0 || (data[0] & Asn1::Asn1Constructed) == 0) return false;
    Asn1::Asn1Tag invokeIdTag = Asn1::Asn1IntegerTag;
    if (tag == Asn1::Asn1ContextTag(0)) {
        kind = MmsPduConfirmedRequest;
    } else if (tag == Asn1::Asn1ContextTag(1)) {
        kind = MmsPduConfirmedResponse;
    } else if (tag == Asn1::Asn1ContextTag(2)) {
        kind = MmsPduConfirmedError;
        invokeIdTag = Asn1::Asn1ContextTag(0);
    } else {
        return false;
    }
    std::size_t at = static_cast<std::size_t>(read);
    std::size_t length = 0;
    read = Asn1::BerFetchLength(Asn1::Asn1Constructed, data.data() + at, data.size() - at, &length);
    if (read <= 0) return false;
    at += static_cast<std::size_t>(read);
    // The unit may be cut short: what is there is enough when it holds the invoke id.
    const std::size_t end = at + std::min(length, data.size() - at);
    read = Asn1::BerFetchTag(data.data() + at, end - at, &tag);
    if (read <= 0 || tag != invokeIdTag || (data[at] & Asn1::Asn1Constructed) != 0) return false;
    at += static_cast<std::size_t>(read);
    read = Asn1::BerFetchLength(0, data.data() + at, end - at, &length);
    if (read <= 0) return false;
    at += static_cast<std::size_t>(read);
    if (length == 0 || length > 5 || length > end - at || (data[at] & 0x80) != 0) return false;
    std::uint64_t value = 0;
    for (std::size_t k = 0; k < length; ++k) value = value << 8 | data[at + k];
    if (value > static_cast<std::uint64_t>(InvokeCounter::Largest)) return false;
    invokeId = static_cast<std::int32_t>(value);
    return true;
}

// Whether the data begin as an unconfirmed PDU ([3], constructed).
bool IsUnconfirmedEnvelope(std::span<const std::uint8_t> data) {
    Asn1::Asn1Tag tag = 0;
    const std::ptrdiff_t read = Asn1::BerFetchTag(data.data(), data.size(), &tag);
    return read > 0 && (data[0] & Asn1::Asn1Constructed) != 0 && tag == Asn1::Asn1ContextTag(3);
}

}  // namespace

// An answer (or the news of an abort) for the waiting exchange; it owns its frame.
class MmsConnection::AnswerMessage : public System::FrameMessage {
public:
    AnswerMessage(MmsFrame* frame, std::uint32_t event) : FrameMessage(event, frame, event) {}
    ~AnswerMessage() override { delete GetPayloadAs<MmsFrame>(); }

    MmsFrame* GetFrame() const { return GetPayloadAs<MmsFrame>(); }
    bool IsAbort() const { return GetEventCode() == EventPeerAbort; }
};

MmsConnection::MmsConnection(MmsLayer* layer) : Protocol::Connection(layer) {}

MmsConnection::~MmsConnection() {
    // The receive thread below must be gone before the members it reaches are.
    ReleaseLower();
}

// ---- links ----

AcseConnection* MmsConnection::Acse() {
    if (acse_.load() == nullptr) acse_.store(dynamic_cast<AcseConnection*>(GetLower()));
    return acse_.load();
}

CoppConnection* MmsConnection::Presentation() {
    if (presentation_.load() == nullptr) {
        if (AcseConnection* acse = Acse(); acse != nullptr) presentation_.store(acse->GetPresentationConnection());
    }
    return presentation_.load();
}

std::uint32_t MmsConnection::GetContextIdentifier() const {
    const PresentationContext* context = context_.load();
    return context == nullptr ? 0 : context->GetIdentifier();
}

// ---- reset, close ----

void MmsConnection::EndGeneration() {
    std::lock_guard lock(stateMutex_);
    // No longer associated before the new generation's first id is handed out: a request
    // made with one is never sent on the link of the association that ended (SendRequest).
    SetState(StateIdle);
    invokeCounter_.Reset();
}

ResultCode MmsConnection::Reset() {
    EndGeneration();
    return ResetAfterGeneration();
}

ResultCode MmsConnection::ResetAfterGeneration() {
    context_.store(nullptr);
    if (AcseConnection* acse = Acse(); acse != nullptr) {
        // Its resets are this machine's endings' (EndingClaim::EndLink), under their claim.
        acse->SetUserEndsAssociation(true);
        Presentation();
        if (PresentationContext* context = acse->AddPresentationContext(MmsAbstractSyntax); context != nullptr) {
            context->SetUserConnection(this);
            context_.store(context);
        }
    }
    const ResultCode result = Connection::Reset();
    SetNegotiated(InitiateParameters::Cleared());
    return result;
}

ResultCode MmsConnection::Close() {
    ResultCode lowerResult = System::OkNoError;
    if (CoppConnection* presentation = Presentation(); presentation != nullptr) lowerResult = presentation->Close();
    const ResultCode result = Connection::Close();
    return lowerResult != System::OkNoError ? lowerResult : result;
}

// ---- parameters ----

void MmsConnection::SetNegotiated(const InitiateParameters& negotiated) {
    {
        std::lock_guard lock(parametersMutex_);
        negotiated_ = negotiated;
    }
    SetMaxPduSizeField(static_cast<std::uint32_t>(std::max(negotiated.localDetail, 0)));
}

InitiateParameters MmsConnection::GetProposal() const {
    std::lock_guard lock(parametersMutex_);
    return proposal_;
}

InitiateParameters MmsConnection::GetNegotiated() const {
    std::lock_guard lock(parametersMutex_);
    return negotiated_;
}

std::uint16_t MmsConnection::GetMaxServOutstandingCalling() const { return GetNegotiated().maxServOutstandingCalling; }
std::uint16_t MmsConnection::GetMaxServOutstandingCalled() const { return GetNegotiated().maxServOutstandingCalled; }
std::uint8_t MmsConnection::GetNestingLevel() const { return GetNegotiated().nestingLevel; }

bool MmsConnection::IsServiceSupported(std::int32_t service) const {
    std::lock_guard lock(parametersMutex_);
    return negotiated_.SupportsService(service);
}

std::unique_ptr<MmsFrame> MmsConnection::NewFrame(MmsFrame::Kind kind) {
    return std::unique_ptr<MmsFrame>(new (std::nothrow) MmsFrame(this, kind, GetMaxPduSize(), GetContextIdentifier()));
}

std::unique_ptr<MmsFrame> MmsConnection::NewAnswerFrame(MmsFrame::Kind kind, const MmsFrame& request) {
    return std::unique_ptr<MmsFrame>(new (std::nothrow)
                                         MmsFrame(this, kind, request, GetMaxPduSize(), GetContextIdentifier()));
}

// ---- sending ----

ResultCode MmsConnection::SendFrame(MmsFrame& frame, TransportLink link) {
    CoppConnection* presentation = Presentation();
    if (presentation == nullptr) return System::NotConnected;
    if (ResultCode result = frame.Encode(); result != System::OkNoError) return result;
    return presentation->SendUserData(&frame, frame.GetContextIdentifier(), link);
}

ResultCode MmsConnection::SendOnAssociationLink(MmsFrame& frame) {
    const std::optional<TransportLink> link = BoundLink(invokeCounter_.Generation());
    return SendFrame(frame, link.value_or(TransportLink::Served()));
}

ResultCode MmsConnection::Sendable(const RequestHandle& request) const {
    // Made before a reset, it belongs to an association that has ended: its id may be one
    // that this association hands out again.
    if (request.GetGeneration() != invokeCounter_.Generation()) return System::Aborted;
    // Made since, it belongs to no association until the next initiate: the link below may
    // still carry the ended one's answers, whose ids its own would repeat.
    return GetState() == StateAssociated ? System::OkNoError : System::NotConnected;
}

void MmsConnection::BindLink(std::uint32_t generation) {
    auto* tcp = dynamic_cast<TcpConnection*>(GetBottom());
    const TransportLink link = tcp != nullptr ? tcp->GetLink() : TransportLink::Handshake();
    std::lock_guard lock(linkMutex_);
    linkBound_ = true;
    linkGeneration_ = generation;
    link_ = link;
}

bool MmsConnection::LinkOf(const RequestHandle& request, TransportLink& link) const {
    const std::optional<TransportLink> bound = BoundLink(request.GetGeneration());
    if (!bound.has_value()) return false;
    link = *bound;
    return true;
}

std::optional<TransportLink> MmsConnection::BoundLink(std::uint32_t generation) const {
    std::lock_guard lock(linkMutex_);
    if (!linkBound_ || linkGeneration_ != generation) return std::nullopt;
    return link_;
}

TransportLink MmsConnection::LinkToAbort(std::uint32_t generation) {
    if (const std::optional<TransportLink> bound = BoundLink(generation)) return *bound;
    // Before its answer the initiate's association stands on the link it was sent on.
    auto* tcp = dynamic_cast<TcpConnection*>(GetBottom());
    return tcp != nullptr ? tcp->GetLink() : TransportLink::Handshake();
}

void MmsConnection::SetSendHook(SendHook hook) {
    std::lock_guard lock(sendHookMutex_);
    hasSendHook_.store(hook != nullptr);
    sendHook_ = std::move(hook);
}

void MmsConnection::RunSendHook(const RequestHandle& request) {
    if (!hasSendHook_.load()) return;
    SendHook hook;
    {
        std::lock_guard lock(sendHookMutex_);
        hook = sendHook_;
    }
    if (hook) hook(request);
}

void MmsConnection::SetEndingHook(EndingHook hook) {
    std::lock_guard lock(endingHookMutex_);
    hasEndingHook_.store(hook != nullptr);
    endingHook_ = std::move(hook);
}

void MmsConnection::RunEndingHook(EndingPoint point) {
    if (!hasEndingHook_.load()) return;
    EndingHook hook;
    {
        std::lock_guard lock(endingHookMutex_);
        hook = endingHook_;
    }
    if (hook) hook(point);
}

ResultCode MmsConnection::SendRequest(const RequestHandle& request, MmsFrame& frame) {
    MmsPdu* pdu = frame.GetPdu();
    if (pdu == nullptr || pdu->present != MmsPduConfirmedRequest) return System::InvalidArguments;
    pdu->choice.confirmedRequest.invokeId = static_cast<Asn1NativeInteger>(request.GetInvokeId());
    return SendForRequest(request, frame);
}

ResultCode MmsConnection::SendForRequest(const RequestHandle& request, MmsFrame& frame) {
    CoppConnection* presentation = Presentation();
    if (presentation == nullptr) return System::NotConnected;
    if (ResultCode result = frame.Encode(); result != System::OkNoError) {
        // A frame made while the association ended (its sizes reset) fails for that end.
        const ResultCode sendable = Sendable(request);
        return sendable != System::OkNoError ? sendable : result;
    }
    if (ResultCode sendable = Sendable(request); sendable != System::OkNoError) return sendable;
    TransportLink link = TransportLink::Handshake();
    if (!LinkOf(request, link)) return System::NotConnected;
    RunSendHook(request);
    const ResultCode sent = presentation->SendUserData(&frame, frame.GetContextIdentifier(), link);
    if (sent == System::OkNoError || sent == System::NoResources) return sent;
    // An encoded request fails below only when the chain no longer carries data (its link
    // ended, or was replaced by the next association's): the peer never saw it. Ended with
    // the association it was made for when that has ended meanwhile.
    const ResultCode sendable = Sendable(request);
    return sendable != System::OkNoError ? sendable : System::NotConnected;
}

template <typename Fill>
ResultCode MmsConnection::BuildAndSendRequest(const RequestHandle& request, Fill fill) {
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindConfirmedRequest);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    if (ResultCode result = fill(frame->GetPdu()->choice.confirmedRequest.service); result != System::OkNoError) {
        return result;
    }
    return SendRequest(request, *frame);
}

ResultCode MmsConnection::SendStatusRequest(const RequestHandle& request, bool extendedDerivation) {
    return BuildAndSendRequest(request, [&](MmsConfirmedServiceRequest& service) {
        return MmsFillStatusRequest(service, extendedDerivation);
    });
}

ResultCode MmsConnection::SendIdentifyRequest(const RequestHandle& request) {
    return BuildAndSendRequest(request,
                               [](MmsConfirmedServiceRequest& service) { return MmsFillIdentifyRequest(service); });
}

ResultCode MmsConnection::SendGetNameListRequest(const RequestHandle& request, std::int32_t objectClass,
                                                 MmsObjectScopeChoice scope, std::string_view domainName,
                                                 const std::optional<std::string>& continueAfter) {
    return BuildAndSendRequest(request, [&](MmsConfirmedServiceRequest& service) {
        return MmsFillGetNameListRequest(service, objectClass, scope, domainName, continueAfter);
    });
}

ResultCode MmsConnection::SendReadRequest(const RequestHandle& request, MmsVariableAccessSpecification& spec) {
    return BuildAndSendRequest(request,
                               [&](MmsConfirmedServiceRequest& service) { return MmsFillReadRequest(service, spec); });
}

ResultCode MmsConnection::SendWriteRequest(const RequestHandle& request, MmsVariableAccessSpecification& spec,
                                           MmsDataList& data) {
    return BuildAndSendRequest(
        request, [&](MmsConfirmedServiceRequest& service) { return MmsFillWriteRequest(service, spec, data); });
}

ResultCode MmsConnection::SendGetVariableAccessAttributesRequest(const RequestHandle& request, MmsObjectName& name) {
    return BuildAndSendRequest(request, [&](MmsConfirmedServiceRequest& service) {
        return MmsFillGetVariableAccessAttributesRequest(service, name);
    });
}

ResultCode MmsConnection::SendGetVariableAccessAttributesRequest(const RequestHandle& request, MmsAddress& address) {
    return BuildAndSendRequest(request, [&](MmsConfirmedServiceRequest& service) {
        return MmsFillGetVariableAccessAttributesRequest(service, address);
    });
}

ResultCode MmsConnection::SendDefineNamedVariableListRequest(const RequestHandle& request, MmsObjectName& listName,
                                                             MmsVariableList& variables) {
    return BuildAndSendRequest(request, [&](MmsConfirmedServiceRequest& service) {
        return MmsFillDefineNamedVariableListRequest(service, listName, variables);
    });
}

ResultCode MmsConnection::SendGetNamedVariableListAttributesRequest(const RequestHandle& request,
                                                                    MmsObjectName& listName) {
    return BuildAndSendRequest(request, [&](MmsConfirmedServiceRequest& service) {
        return MmsFillGetNamedVariableListAttributesRequest(service, listName);
    });
}

ResultCode MmsConnection::SendDeleteNamedVariableListRequest(const RequestHandle& request, MmsObjectName& listName) {
    return BuildAndSendRequest(request, [&](MmsConfirmedServiceRequest& service) {
        return MmsFillDeleteNamedVariableListRequest(service, listName);
    });
}

ResultCode MmsConnection::SendGetDomainAttributesRequest(const RequestHandle& request, std::string_view domainName) {
    return BuildAndSendRequest(request, [&](MmsConfirmedServiceRequest& service) {
        return MmsFillGetDomainAttributesRequest(service, domainName);
    });
}

ResultCode MmsConnection::SendGetCapabilityListRequest(const RequestHandle& request,
                                                       const std::optional<std::string>& continueAfter) {
    return BuildAndSendRequest(request, [&](MmsConfirmedServiceRequest& service) {
        return MmsFillGetCapabilityListRequest(service, continueAfter);
    });
}

// ---- answers (server) ----

ResultCode MmsConnection::SendConfirmedResponse(const RequestHandle& request, MmsFrame& response) {
    MmsPdu* pdu = response.GetPdu();
    if (pdu == nullptr || pdu->present != MmsPduConfirmedResponse) return System::InvalidArguments;
    pdu->choice.confirmedResponse.invokeId = static_cast<Asn1NativeInteger>(request.GetInvokeId());
    return SendOnAssociationLink(response);
}

ResultCode MmsConnection::SendConfirmedResponse(MmsFrame& response) { return SendOnAssociationLink(response); }

ResultCode MmsConnection::SendConfirmedError(const MmsFrame& request, std::uint32_t error) {
    if (!request.IsDecoded() || request.GetPduKind() != MmsPduConfirmedRequest) return System::InvalidContext;
    std::unique_ptr<MmsFrame> frame = NewAnswerFrame(MmsFrame::KindConfirmedError, request);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    if (ResultCode result = MmsFillServiceError(frame->GetPdu()->choice.confirmedError.serviceError, error);
        result != System::OkNoError) {
        return result;
    }
    return SendOnAssociationLink(*frame);
}

ResultCode MmsConnection::SendReject(const MmsFrame* received, std::int32_t reason) {
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindReject);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    const MmsPdu* pdu = received != nullptr && received->IsDecoded() ? received->GetPdu() : nullptr;
    if (ResultCode result = MmsFillReject(frame->GetPdu()->choice.reject, pdu, reason); result != System::OkNoError) {
        return result;
    }
    return SendOnAssociationLink(*frame);
}

ResultCode MmsConnection::SendInitiateResponse(const InitiateParameters& parameters) {
    AcseConnection* acse = Acse();
    if (acse == nullptr) return System::NotConnected;
    InitiateParameters settled = parameters;
    settled.localDetail =
        std::clamp(settled.localDetail, MmsMinimumLocalDetail, InitiateParameters::DefaultLocalDetail);
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindInitiateResponse);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    if (ResultCode result = MmsFillInitiateResponse(settled, frame->GetPdu()->choice.initiateResponse);
        result != System::OkNoError) {
        return result;
    }
    if (ResultCode result = frame->Encode(); result != System::OkNoError) return result;
    if (!settled.localDetailPresent) settled.localDetail = InitiateParameters::DefaultLocalDetail;
    SetNegotiated(settled);
    BindLink(invokeCounter_.Generation());
    SetState(StateAssociated);
    return acse->SendAssociateAccept(frame.get());
}

ResultCode MmsConnection::SendInitiateError(std::int32_t errorClass, std::int32_t code) {
    // Every class but others carries its code as a number.
    if (errorClass < MmsErrorClassVmdState || errorClass > MmsErrorClassFile) return System::InvalidArguments;
    AcseConnection* acse = Acse();
    if (acse == nullptr) return System::NotConnected;
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindInitiateError);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    MmsErrorClassValue& error = frame->GetPdu()->choice.initiateError.errorClass;
    error.present = static_cast<Asn1Presence>(errorClass);
    error.choice.code = code;
    if (ResultCode result = frame->Encode(); result != System::OkNoError) return result;
    return acse->SendAssociateReject(frame.get());
}

ResultCode MmsConnection::SendInformationReport(MmsVariableAccessSpecification& spec, MmsAccessResultList& results) {
    if (GetState() != StateAssociated) return System::NotConnected;
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindUnconfirmed);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    MmsUnconfirmedService& service = frame->GetPdu()->choice.unconfirmed.service;
    service.present = MmsUnconfirmedInformationReport;
    MmsTakeOver(service.choice.informationReport.variableAccessSpecification, spec);
    MmsTakeOver(service.choice.informationReport.listOfAccessResult, results);
    return SendOnAssociationLink(*frame);
}

ResultCode MmsConnection::SendConcludeResponse() {
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindConcludeResponse);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    return SendOnAssociationLink(*frame);
}

ResultCode MmsConnection::SendConcludeError(std::int32_t code) {
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindConcludeError);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    MmsErrorClassValue& errorClass = frame->GetPdu()->choice.concludeError.errorClass;
    errorClass.present = MmsErrorClassConclude;
    errorClass.choice.code = code;
    return SendOnAssociationLink(*frame);
}

// ---- exchanges (client) ----

std::optional<std::unique_ptr<MmsConnection::AnswerMessage>> MmsConnection::WaitForAnswer(std::uint32_t generation) {
    std::optional<std::unique_ptr<System::Message>> message = answers_.Take(generation, GetTimeout());
    if (!message.has_value()) return std::nullopt;
    return std::unique_ptr<AnswerMessage>(static_cast<AnswerMessage*>(message->release()));
}

bool MmsConnection::MoveState(State from, State to, std::uint32_t generation) {
    std::lock_guard lock(stateMutex_);
    // Nothing begins while an ending is still under way (the machine's reset leaves it idle
    // before the claim is let go).
    if (ending_ || generation != invokeCounter_.Generation() || GetState() != from) return false;
    SetState(to);
    return true;
}

bool MmsConnection::LeaveWaiting(State state, std::uint32_t generation) {
    return MoveState(StateAwaitingAnswer, state, generation);
}

ResultCode MmsConnection::Initiate(const InitiateParameters& proposal, InitiateParameters& negotiated,
                                   ServiceErrorRecord& error) {
    if (!MoveState(StateIdle, StateAssociated, invokeCounter_.Generation())) return System::AlreadyConnected;
    // A refusal kept from an earlier attempt must not be taken for this one's.
    ClearRefusals();
    const ResultCode result = RunInitiate(proposal, negotiated, error);
    // Whichever layer refused (the nearest one tells the most), apart from the class
    // and code that an initiate-Error carries.
    if (result != System::OkNoError) error.refusal = FindRefusal();
    return result;
}

void MmsConnection::RecordInitiateError(const ServiceErrorRecord& error) {
    Protocol::PeerRefusal refusal;
    refusal.source = Protocol::PeerRefusal::Source::Mms;
    refusal.reason = error.errorClass;
    refusal.diagnostic = error.errorCode;
    refusal.text = "MMS initiate-Error, class " + MmsServiceErrorText(error.errorClass, error.errorCode);
    SetRefusal(refusal);
}

ResultCode MmsConnection::RunInitiate(const InitiateParameters& proposal, InitiateParameters& negotiated,
                                      ServiceErrorRecord& error) {
    // The generation this association's requests take their ids in; an abort meanwhile
    // moves it on, and the link bound below then serves none of them.
    const std::uint32_t generation = invokeCounter_.Generation();
    {
        std::lock_guard lock(parametersMutex_);
        proposal_ = proposal;
    }
    AcseConnection* acse = Acse();
    if (acse == nullptr) {
        MoveState(StateAssociated, StateFailed, generation);
        return System::NotConnected;
    }
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindInitiateRequest);
    if (frame == nullptr || frame->GetPdu() == nullptr ||
        MmsFillInitiateRequest(proposal, frame->GetPdu()->choice.initiateRequest) != System::OkNoError) {
        MoveState(StateAssociated, StateFailed, generation);
        return System::NoResources;
    }
    if (ResultCode result = frame->Encode(); result != System::OkNoError) {
        MoveState(StateAssociated, StateFailed, generation);
        return result;
    }
    if (!MoveState(StateAssociated, StateAwaitingAnswer, generation)) return System::Aborted;
    if (ResultCode result = acse->SendAssociateRequest(frame.get()); result != System::OkNoError) {
        LeaveWaiting(StateFailed, generation);
        return result;
    }
    const std::optional<std::unique_ptr<AnswerMessage>> answer = WaitForAnswer(generation);
    if (!answer.has_value()) {
        LeaveWaiting(StateFailed, generation);
        return System::Timeout;
    }
    const AnswerMessage* message = answer->get();
    if (message != nullptr && message->IsAbort()) return System::Aborted;

    const MmsPdu* pdu = message != nullptr && message->GetFrame() != nullptr ? message->GetFrame()->GetPdu() : nullptr;
    const ResultCode result =
        pdu == nullptr ? System::Error : MmsSettleInitiateAnswer(*pdu, proposal, negotiated, error);
    if (pdu != nullptr && pdu->present == MmsPduInitiateError) RecordInitiateError(error);
    if (result != System::OkNoError) {
        LeaveWaiting(StateFailed, generation);
        return result;
    }
    SetNegotiated(negotiated);
    // Before the association stands: its first request already finds its link.
    BindLink(generation);
    // An abort that crossed the answer has ended the association already.
    if (!LeaveWaiting(StateAssociated, generation)) return System::Aborted;
    return System::OkNoError;
}

ResultCode MmsConnection::SendConcludeRequest(const RequestHandle& request) {
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindConcludeRequest);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    return SendForRequest(request, *frame);
}

ResultCode MmsConnection::Conclude(ServiceErrorRecord& error) {
    const std::uint32_t generation = invokeCounter_.Generation();
    const std::optional<TransportLink> link = BoundLink(generation);
    if (!link.has_value() || !MoveState(StateAssociated, StateAwaitingAnswer, generation)) return System::NotConnected;
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindConcludeRequest);
    ResultCode result = frame == nullptr || frame->GetPdu() == nullptr ? System::NoResources : SendFrame(*frame, *link);
    if (result != System::OkNoError) {
        // Refused below because its link has ended: the association it was for is gone.
        if (!LeaveWaiting(StateAssociated, generation)) return System::Aborted;
        return result;
    }
    const std::optional<std::unique_ptr<AnswerMessage>> answer = WaitForAnswer(generation);
    // The link ends with the exchange, whatever its outcome; only an answered conclude
    // leaves the link gracefully.
    const LinkEnding unanswered{.sendAbort = false, .graceful = false, .evenIdle = false, .wait = AbortWait::None};
    if (!answer.has_value()) {
        EndAssociationLink(generation, unanswered);
        return System::Timeout;
    }
    const AnswerMessage* message = answer->get();
    if (message != nullptr && message->IsAbort()) return System::Aborted;
    const MmsPdu* pdu = message != nullptr && message->GetFrame() != nullptr ? message->GetFrame()->GetPdu() : nullptr;
    result = System::Error;
    if (pdu != nullptr && pdu->present == MmsPduConcludeResponse) result = System::OkNoError;
    if (pdu != nullptr && pdu->present == MmsPduConcludeError)
        result = MmsReadServiceError(pdu->choice.concludeError, error);
    if (result != System::OkNoError) {
        EndAssociationLink(generation, unanswered);
        return result;
    }
    EndAssociationLink(generation, {.sendAbort = false, .graceful = true, .evenIdle = false, .wait = AbortWait::None});
    return System::OkNoError;
}

MmsConnection::EndingClaim::EndingClaim(MmsConnection& mms, std::uint32_t generation, const LinkEnding& ending)
    : mms_(mms), ending_(ending), generation_(generation) {
    {
        std::lock_guard lock(mms_.stateMutex_);
        if (mms_.ending_ || generation != mms_.invokeCounter_.Generation()) return;
        const auto state = static_cast<State>(mms_.GetState());
        const bool standing = state == StateAssociated || state == StateAwaitingAnswer;
        if (!standing && !ending.evenIdle) return;
        mms_.ending_ = true;
        exchangeWaiting_ = state == StateAwaitingAnswer;
        // The generation moves on at the claim: from here no request of the association
        // leaves, and every other ending of it finds it gone.
        mms_.SetState(StateEnding);
        mms_.invokeCounter_.Reset();
    }
    held_ = true;
    heldBefore_ = claimHeldHere_;
    claimHeldHere_ = &mms_;
}

void MmsConnection::EndingClaim::EndLink() {
    if (!held_) return;
    const TransportLink link = mms_.LinkToAbort(generation_);
    mms_.RunEndingHook(EndingPoint::Claimed);
    if (ending_.sendAbort) {
        // The session closes the link once the abort is out (at once, or after the peer's
        // release when asked to wait); whatever it leaves open is closed below.
        if (AcseConnection* acse = mms_.Acse()) acse->SendAbort(link, ending_.wait);
        mms_.RunEndingHook(EndingPoint::AbortSent);
    }
    mms_.CloseEndedLink(link, ending_.graceful);
    // The association control ends with the association, whether or not the chain still
    // carries its link (the transport's end and the peer's abort leave that reset to this
    // step): nothing new begins on the chain under the claim.
    if (AcseConnection* acse = mms_.Acse()) acse->Reset();
    mms_.ResetAfterGeneration();
}

void MmsConnection::EndingClaim::LetGo() {
    if (!held_) return;
    held_ = false;
    claimHeldHere_ = heldBefore_;
    {
        std::lock_guard lock(mms_.stateMutex_);
        mms_.SetState(StateIdle);
        mms_.ending_ = false;
    }
    mms_.endingOver_.notify_all();
    if (exchangeWaiting_) mms_.WakeWaitingExchange(generation_);
}

bool MmsConnection::EndAssociationLink(std::uint32_t generation, const LinkEnding& ending) {
    EndingClaim claim(*this, generation, ending);
    if (!claim.Held()) return false;
    claim.EndLink();
    // The user's side of the association ends with it, before anything new can begin.
    ToUser(nullptr, EventEnded);
    return true;
}

bool MmsConnection::PrepareNewAssociation() {
    if (claimHeldHere_ == this) return false;
    std::unique_lock lock(stateMutex_);
    endingOver_.wait(lock, [this] { return !ending_; });
    SetState(StateIdle);
    invokeCounter_.Reset();
    return true;
}

void MmsConnection::CloseEndedLink(TransportLink link, bool graceful) {
    // Checked under the claim, which a new association waits for before it touches the
    // chain: the check and the close are one step for it.
    if (!ChainCarriesLink(*this, link)) return;
    // Only an answered conclude leaves what is queued to go out and ends the stream in
    // order; every other ending resets the link, so that nothing the kernel still holds
    // (a control given up as failed) reaches the device when a dead link comes back.
    if (graceful) SetChainGracefulClose(*this, link);
    if (CoppConnection* presentation = Presentation()) presentation->Close();
}

ResultCode MmsConnection::Abort(AbortWait wait) {
    const LinkEnding ending{.sendAbort = true, .graceful = false, .evenIdle = false, .wait = wait};
    if (!EndAssociationLink(invokeCounter_.Generation(), ending)) return System::NotConnected;
    // Told last: a user who associates again from here does so on a new link.
    ToUser(nullptr, EventLocalAbort);
    return System::OkNoError;
}

// ---- receiving ----

ResultCode MmsConnection::ToUser(Protocol::Frame* frame, std::uint32_t event) {
    Protocol::Connection* user = GetUpper();
    return user == nullptr ? System::NotSupported : user->OnLowerIndication(frame, event);
}

ResultCode MmsConnection::QueueForWaiter(std::unique_ptr<MmsFrame> frame, std::uint32_t event) {
    std::uint32_t generation = 0;
    {
        // The answer belongs to the exchange of the generation that waits for it now.
        std::lock_guard lock(stateMutex_);
        if (GetState() != StateAwaitingAnswer) return System::InvalidState;
        generation = invokeCounter_.Generation();
    }
    auto* message = new (std::nothrow) AnswerMessage(frame.get(), event);
    if (message == nullptr) {
        // The waiter still wakes (and fails) instead of waiting for its time-out.
        answers_.Put(generation, nullptr);
        return System::NoResources;
    }
    frame.release();
    answers_.Put(generation, std::unique_ptr<System::Message>(message));
    return System::OkNoError;
}

ResultCode MmsConnection::OnSingleAsn1Data(std::span<const std::uint8_t> data, std::uint32_t event) {
    // The service user applies read answers straight from their octets; any other user
    // sees every PDU decoded whole.
    const bool keepReadResults =
        event == CoppConnection::DataIndication && dynamic_cast<ReadResultsTaker*>(GetUpper()) != nullptr;
    auto frame = std::unique_ptr<MmsFrame>(new (std::nothrow) MmsFrame(this, data, keepReadResults));
    if (frame == nullptr) return System::NoResources;
    if (!frame->IsDecoded()) {
        if (event == CoppConnection::DataIndication) OnUndecodable(data);
        return System::Error;
    }
    switch (event) {
        case AcseConnection::AssociateIndication: return OnInitiateIndication(std::move(frame));
        case AcseConnection::AssociateConfirmation: {
            const MmsPduKind kind = frame->GetPduKind();
            return QueueForWaiter(std::move(frame), kind);
        }
        case kAssociateDataUnexpected: return System::NotImplemented;
        case CoppConnection::DataIndication: return Dispatch(std::move(frame));
        case CoppConnection::TokenNotification: return System::OkNoError;
        default: return System::NotSupported;
    }
}

ResultCode MmsConnection::Dispatch(std::unique_ptr<MmsFrame> frame) {
    const MmsPduKind kind = frame->GetPduKind();
    switch (kind) {
        case MmsPduConfirmedRequest:
        case MmsPduConfirmedResponse:
        case MmsPduConfirmedError:
        case MmsPduUnconfirmed:
        case MmsPduReject:
        case MmsPduConcludeRequest: return ToUser(frame.get(), static_cast<std::uint32_t>(kind));
        // The answer to a conclude goes to the release waiting for it first; the machine's
        // own exchange (which has no pending request) takes it only when none does.
        case MmsPduConcludeResponse:
            if (ToUser(frame.get(), EventConcludeResponse) == System::OkNoError) return System::OkNoError;
            return QueueForWaiter(std::move(frame), kind);
        case MmsPduConcludeError:
            if (ToUser(frame.get(), EventConcludeError) == System::OkNoError) return System::OkNoError;
            return QueueForWaiter(std::move(frame), kind);
        default: return QueueForWaiter(std::move(frame), kind);
    }
}

ResultCode MmsConnection::OnInitiateIndication(std::unique_ptr<MmsFrame> frame) {
    const MmsPdu* pdu = frame->GetPdu();
    if (pdu->present != MmsPduInitiateRequest) return System::InvalidArguments;
    if (GetState() != StateIdle) return System::InvalidState;
    InitiateParameters proposal = InitiateParameters::Cleared();
    if (ResultCode result = MmsReadInitiateRequest(pdu->choice.initiateRequest, proposal);
        result != System::OkNoError) {
        return result;
    }
    {
        std::lock_guard lock(parametersMutex_);
        proposal_ = proposal;
    }
    return ToUser(frame.get(), EventInitiateRequest);
}

ResultCode MmsConnection::OnUndecodable(std::span<const std::uint8_t> data) {
    if (IsUnconfirmedEnvelope(data)) {
        // Nobody waits for it and the peer expects no answer: it is dropped, and the
        // association stands.
        droppedUnconfirmed_.fetch_add(1);
        return System::OkNoError;
    }
    MmsPduKind kind = MmsPduNone;
    std::int32_t invokeId = 0;
    if (!ReadConfirmedEnvelope(data, kind, invokeId)) return System::ProtocolError;
    std::unique_ptr<MmsFrame> frame = NewFrame(MmsFrame::KindReject);
    if (frame == nullptr || frame->GetPdu() == nullptr) return System::NoResources;
    MmsRejectPdu& reject = frame->GetPdu()->choice.reject;
    reject.originalInvokeId = MmsNewValue<Asn1NativeInteger>(Asn1::Asn1NativeIntegerType);
    if (reject.originalInvokeId == nullptr) return System::NoResources;
    *reject.originalInvokeId = invokeId;
    switch (kind) {
        case MmsPduConfirmedRequest:
            reject.rejectReason.present = MmsRejectConfirmedRequest;
            reject.rejectReason.choice.code = MmsRejectRequestInvalidArgument;
            break;
        case MmsPduConfirmedResponse:
            reject.rejectReason.present = MmsRejectConfirmedResponse;
            reject.rejectReason.choice.code = MmsRejectAnswerInvalid;
            break;
        default:
            reject.rejectReason.present = MmsRejectConfirmedError;
            reject.rejectReason.choice.code = MmsRejectAnswerInvalid;
            break;
    }
    // The request the answer names is confirmed now instead of never.
    if (kind != MmsPduConfirmedRequest) ToUser(frame.get(), EventUndecodableAnswer);
    return SendOnAssociationLink(*frame);
}

ResultCode MmsConnection::OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) {
    if (event != AcseConnection::AbortIndication) return System::NotSupported;
    std::uint32_t generation = 0;
    {
        std::lock_guard lock(stateMutex_);
        // The transport's end that an ending causes is that ending's to tell.
        if (ending_) return System::OkNoError;
        generation = invokeCounter_.Generation();
    }
    const ResultCode result = ToUser(frame, EventPeerAbort);
    // A service user has ended it in its own step already: this finds it gone.
    EndAssociationLink(generation, {.sendAbort = false, .graceful = false, .evenIdle = true, .wait = AbortWait::None});
    return result;
}

void MmsConnection::WakeWaitingExchange(std::uint32_t generation) {
    if (auto* message = new (std::nothrow) AnswerMessage(nullptr, EventPeerAbort); message != nullptr) {
        answers_.Put(generation, std::unique_ptr<System::Message>(message));
    }
}

}  // namespace Mms
