#include "mms/user/MmsUserConnection.h"

#include <chrono>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/MmsFrame.h"
#include "mms/machine/RequestHandle.h"
#include "mms/pdu/MmsPduReader.h"
#include "mms/pdu/MmsPduWriter.h"
#include "mms/user/MmsObjectNames.h"
#include "mms/user/MmsUserLayer.h"
#include "mms/user/NamedVariable.h"
#include "mms/user/NamedVariableList.h"
#include "mms/user/VMD.h"

namespace Mms {

using System::ResultCode;

MmsUserConnection::MmsUserConnection(MmsUserLayer* layer) : Protocol::Connection(layer) {}

MmsUserConnection::~MmsUserConnection() {
    // The receive thread below reaches into this object: it goes first.
    ReleaseLower();
    // Own requests still held go with ownRequests_.
    FileAllPending(System::Aborted);
    std::lock_guard lock(objectsMutex_);
    for (auto& [name, list] : namedVariableLists_) delete list;
    namedVariableLists_.clear();
    for (auto& [name, variable] : namedVariables_) delete variable;
    namedVariables_.clear();
}

MmsConnection* MmsUserConnection::GetMmsConnection() {
    if (mmsConnection_.load() == nullptr) mmsConnection_.store(dynamic_cast<MmsConnection*>(GetLower()));
    return mmsConnection_.load();
}

// ---- Connection ----

ResultCode MmsUserConnection::OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) {
    if (frame != nullptr) lastReceived_.store(std::chrono::steady_clock::now().time_since_epoch().count());
    if (event == MmsConnection::EventLocalAbort) return OnAbortRequested(frame);
    if (event == MmsConnection::EventEnded) {
        // Under the machine's claim: nothing of a new association can be here yet.
        ResetOnEnding();
        return System::OkNoError;
    }
    if (event == MmsConnection::EventPeerAbort) {
        // The peer's abort, or the end of the transport, ends what the chain carries now.
        if (MmsConnection* mms = GetMmsConnection())
            EndAssociation(mms->GetInvokeGeneration(), AssociationEnding::PeerAbort, AbortWait::None);
        return System::OkNoError;
    }
    auto* mmsFrame = dynamic_cast<MmsFrame*>(frame);
    if (event == MmsConnection::EventUndecodableAnswer) {
        // A frame the machine made, not one it decoded.
        return mmsFrame != nullptr && mmsFrame->GetPdu() != nullptr ? OnUndecodableAnswer(*mmsFrame)
                                                                    : System::InvalidArguments;
    }
    if (mmsFrame == nullptr || !mmsFrame->IsDecoded() || mmsFrame->GetPdu() == nullptr) return System::InvalidArguments;
    switch (event) {
        case MmsConnection::EventConfirmedRequest:
            // Behind a conclude the peer has no association left to ask in: nothing it
            // sends there is executed, and each is refused at once, so that a peer that
            // sent one anyway is not left waiting its whole time-out for an answer.
            if (concludeTaken_.load()) return RefuseBehindConclude(*mmsFrame);
            return OnConfirmedRequest(*mmsFrame);
        case MmsConnection::EventConfirmedResponse: return OnConfirmedResponse(*mmsFrame);
        case MmsConnection::EventConfirmedError: return OnConfirmedError(*mmsFrame);
        case MmsConnection::EventUnconfirmed: return OnUnconfirmed(*mmsFrame);
        case MmsConnection::EventReject: return OnReject(*mmsFrame);
        case MmsConnection::EventInitiateRequest:
            // A new association on this chain: the last one's conclude is behind it.
            concludeTaken_.store(false);
            return OnInitiateRequest(*mmsFrame);
        case MmsConnection::EventConcludeRequest:
            // Taken once the association stands, answered or not: what comes after it
            // belongs to no association.
            if (GetState() == StateAssociated) concludeTaken_.store(true);
            return OnConcludeRequest(*mmsFrame);
        case MmsConnection::EventConcludeResponse: return OnConcludeResponse(*mmsFrame);
        case MmsConnection::EventConcludeError: return OnConcludeError(*mmsFrame);
        default: return System::NotSupported;
    }
}

ResultCode MmsUserConnection::Close() {
    if (MmsConnection* mms = GetMmsConnection(); mms != nullptr) mms->Close();
    Connection::Close();
    return System::OkNoError;
}

ResultCode MmsUserConnection::Reset() {
    GetMmsConnection();
    FileAllPending(System::Aborted);
    return Connection::Reset();
}

// ---- objects ----

ResultCode MmsUserConnection::AddObject(MmsObject* object) {
    if (object == nullptr) return System::InvalidContext;
    std::lock_guard lock(objectsMutex_);
    if (object->GetClassId() == NamedVariableClassId) {
        auto* variable = static_cast<NamedVariable*>(object);
        return namedVariables_.emplace(variable->Name, variable).second ? System::OkNoError : System::Error;
    }
    if (object->GetClassId() == NamedVariableListClassId) {
        auto* list = static_cast<NamedVariableList*>(object);
        return namedVariableLists_.emplace(list->Name, list).second ? System::OkNoError : System::Error;
    }
    return System::InvalidContext;
}

ResultCode MmsUserConnection::RemoveObject(MmsObject* object) {
    if (object == nullptr) return System::InvalidContext;
    std::lock_guard lock(objectsMutex_);
    if (object->GetClassId() == NamedVariableClassId) {
        const auto found = namedVariables_.find(static_cast<NamedVariable*>(object)->Name);
        if (found == namedVariables_.end() || found->second != object) return System::Error;
        namedVariables_.erase(found);
        return System::OkNoError;
    }
    if (object->GetClassId() == NamedVariableListClassId) {
        const auto found = namedVariableLists_.find(static_cast<NamedVariableList*>(object)->Name);
        if (found == namedVariableLists_.end() || found->second != object) return System::Error;
        namedVariableLists_.erase(found);
        return System::OkNoError;
    }
    return System::InvalidContext;
}

NamedVariable* MmsUserConnection::FindNamedVariable(std::string_view name) const {
    std::lock_guard lock(objectsMutex_);
    const auto found = namedVariables_.find(name);
    return found != namedVariables_.end() ? found->second : nullptr;
}

NamedVariableList* MmsUserConnection::FindNamedVariableList(std::string_view name) const {
    std::lock_guard lock(objectsMutex_);
    const auto found = namedVariableLists_.find(name);
    return found != namedVariableLists_.end() ? found->second : nullptr;
}

// ---- filing and collecting ----

RequestHandle* MmsUserConnection::NewRequest() {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return nullptr;
    return new (std::nothrow) RequestHandle(*mms, RequestHandle::Collector::OwnWait);
}

void MmsUserConnection::FileAnswered(RequestHandle* request, std::int32_t service) {
    // Still being sent: its sender files it once the send is over.
    if (!request->MayFileNow()) return;
    // Whatever became of an Identify, its VMD waits for it no more; told while the request
    // is still this thread's, its answer (when it had one) already applied.
    if (service == MmsServiceIdentify) {
        if (auto* vmd = dynamic_cast<VMD*>(static_cast<MmsObject*>(request->GetTarget())))
            vmd->NoteIdentifySettled(request->GetResult());
    }
    if (request->GetCollector() == RequestHandle::Collector::OwnWait) {
        ownRequests_.File(request);
    } else {
        doneRequests_.Put(request);
    }
}

void MmsUserConnection::FileAllPending(ResultCode result) {
    for (const PendingRequests::Entry& entry : pendingRequests_.TakeAll()) {
        entry.request->SetResult(result);
        entry.request->SetAnswerKind(MmsPduNone);
        FileAnswered(entry.request, entry.service);
    }
}

ResultCode OptionalAnswer(MmsUserConnection& connection, ResultCode sent) {
    if (sent != System::OkNoError) return sent;
    const ResultCode answered = connection.WaitForCurrentRequest();
    return IsRefusal(answered) ? System::OkNoError : answered;
}

bool MmsUserConnection::PeerOffers(std::int32_t service) {
    MmsConnection* mms = GetMmsConnection();
    return mms != nullptr && mms->IsServiceSupported(service);
}

std::size_t MmsUserConnection::FileOverdueRequests(std::uint32_t ageMs) {
    const auto sentBefore = std::chrono::steady_clock::now() - std::chrono::milliseconds(ageMs);
    const std::vector<PendingRequests::Entry> overdue = pendingRequests_.TakeEnteredBefore(sentBefore);
    for (const PendingRequests::Entry& entry : overdue) {
        entry.request->SetResult(System::Timeout);
        entry.request->SetAnswerKind(MmsPduNone);
        FileAnswered(entry.request, entry.service);
    }
    return overdue.size();
}

std::size_t MmsUserConnection::GiveUpIdentify(VMD* target) {
    const std::vector<PendingRequests::Entry> given =
        pendingRequests_.TakeOf(MmsServiceIdentify, static_cast<MmsObject*>(target));
    for (const PendingRequests::Entry& entry : given) {
        entry.request->SetResult(System::Timeout);
        entry.request->SetAnswerKind(MmsPduNone);
        FileAnswered(entry.request, entry.service);
    }
    return given.size();
}

bool MmsUserConnection::FileStalledRequests(std::uint32_t ageMs) {
    const auto now = std::chrono::steady_clock::now();
    const auto age = std::chrono::milliseconds(ageMs);
    std::chrono::steady_clock::time_point since;
    if (!pendingRequests_.OldestEntered(since) || now - since < age) return false;
    // The time-out counts from the last thing received, not from each request: a device
    // whose answers (to any request) or reports keep coming is slow, not gone.
    const std::chrono::steady_clock::time_point received{std::chrono::steady_clock::duration(lastReceived_.load())};
    if (now - received < age) return false;
    // An owner that ends the association confirms them in its ending, under no claim.
    if (!OnLinkStalled()) FileAllPending(System::Timeout);
    return true;
}

bool MmsUserConnection::IsConcludeOverdue(std::uint32_t ageMs) const {
    std::chrono::steady_clock::time_point since;
    return pendingRequests_.ConcludeEntered(since) &&
           std::chrono::steady_clock::now() - since >= std::chrono::milliseconds(ageMs);
}

bool MmsUserConnection::WithdrawRequest(RequestHandle* request) { return pendingRequests_.Take(request); }

OwnRequests::Collected MmsUserConnection::CollectOwn(RequestHandle* request) {
    return answerSpin_.Wait(
        [this, request](AnswerSpin::Nanoseconds spin) { return ownRequests_.Collect(request, GetTimeout(), spin); },
        [](OwnRequests::Collected collected) { return collected == OwnRequests::Collected::Taken; });
}

ResultCode MmsUserConnection::WaitForRequest(RequestHandle* request) {
    if (request == nullptr) return System::OkNoError;
    switch (CollectOwn(request)) {
        case OwnRequests::Collected::NotHeld: return System::OkNoError;
        case OwnRequests::Collected::NotAnswered: return System::Timeout;
        case OwnRequests::Collected::Taken: break;
    }
    const ResultCode result = request->GetResult();
    delete request;
    return result;
}

ResultCode MmsUserConnection::WaitForCurrentRequest() {
    RequestOutcome details;
    return WaitForCurrentRequestWithError(details);
}

ResultCode MmsUserConnection::WaitForCurrentRequestWithError(RequestOutcome& details) {
    details = RequestOutcome{};
    RequestHandle* request = ownRequests_.Current();
    if (request == nullptr) return details.result;
    switch (CollectOwn(request)) {
        case OwnRequests::Collected::NotHeld: break;
        case OwnRequests::Collected::NotAnswered:
            // Given up: filed later, it is deleted then.
            ownRequests_.LetGoCurrent();
            details.result = System::Timeout;
            break;
        case OwnRequests::Collected::Taken:
            details.answerKind = request->GetAnswerKind();
            details.errorClass = request->GetErrorClass();
            details.errorCode = request->GetErrorCode();
            details.result = request->GetResult();
            delete request;
            break;
    }
    return details.result;
}

RequestHandle* MmsUserConnection::TakeDoneRequest(std::uint32_t invokeId, std::uint32_t timeoutMs) {
    if (timeoutMs == 0) {
        if (doneRequests_.FindById(invokeId) == nullptr) return nullptr;
        timeoutMs = 1;
    }
    return static_cast<RequestHandle*>(doneRequests_.TakeById(invokeId, timeoutMs));
}

RequestHandle* MmsUserConnection::TakeDoneRequest() {
    if (doneRequests_.GetCount() == 0) return nullptr;
    return static_cast<RequestHandle*>(doneRequests_.Get(1));
}

bool MmsUserConnection::LastAnswered(std::chrono::steady_clock::time_point& when) const {
    const std::int64_t ticks = lastAnswered_.load();
    if (ticks == 0) return false;
    when = std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(ticks));
    return true;
}

ResultCode MmsUserConnection::TakePendingRequest(const MmsFrame& frame, RequestHandle*& request,
                                                 std::int32_t* expectedService) {
    const MmsPdu* pdu = frame.GetPdu();
    if (pdu == nullptr) return System::Timeout;
    PendingRequests::Entry entry;
    bool taken = false;
    switch (pdu->present) {
        case MmsPduConfirmedResponse:
            taken =
                pendingRequests_.TakeById(static_cast<std::uint32_t>(pdu->choice.confirmedResponse.invokeId), entry);
            break;
        case MmsPduConfirmedError:
            taken = pendingRequests_.TakeById(static_cast<std::uint32_t>(pdu->choice.confirmedError.invokeId), entry);
            break;
        case MmsPduReject: {
            const MmsRejectPdu& reject = pdu->choice.reject;
            if (reject.originalInvokeId != nullptr) {
                taken = pendingRequests_.TakeById(static_cast<std::uint32_t>(*reject.originalInvokeId), entry);
            } else if (reject.rejectReason.present == MmsRejectConcludeRequest) {
                taken = pendingRequests_.TakeConclude(entry);
            } else {
                taken = pendingRequests_.TakeOldest(entry);
            }
            break;
        }
        case MmsPduConcludeResponse:
        case MmsPduConcludeError: taken = pendingRequests_.TakeConclude(entry); break;
        default: break;
    }
    // Nothing waits for an answer that names no pending request: it is dropped at once.
    if (!taken) return System::Timeout;
    if (entry.service != PendingRequests::ConcludeService)
        lastAnswered_.store(std::chrono::steady_clock::now().time_since_epoch().count());
    entry.request->SetAnswerKind(static_cast<std::int32_t>(pdu->present));
    request = entry.request;
    if (expectedService != nullptr) *expectedService = entry.service;
    return System::OkNoError;
}

// ---- names ----

ResultCode MmsUserConnection::ObjectNameToText(const MmsObjectName& name, std::string& text) {
    return MmsObjectNameText(name, text);
}

ResultCode MmsUserConnection::TextToObjectName(std::string_view text, MmsObjectName& name) {
    std::string domain;
    std::string item;
    if (ResultCode result = SplitObjectText(text, domain, item); result != System::OkNoError) return result;
    if (!domain.empty() || text.find('/') == std::string_view::npos) return MmsSetObjectName(name, domain, item);
    // "/item": a domain-specific name with an empty domain identifier.
    name.present = MmsObjectNameDomainSpecific;
    if (MmsSetText(name.choice.domainSpecific.domainId, domain) != System::OkNoError ||
        MmsSetText(name.choice.domainSpecific.itemId, item) != System::OkNoError) {
        MmsObjectNameType.free(&MmsObjectNameType, &name, 1);
        return System::NoResources;
    }
    return System::OkNoError;
}

// ---- abort ----

ResultCode MmsUserConnection::OnAbortRequested(Protocol::Frame*) {
    // Reset already, under the ending's claim (EventEnded).
    return System::OkNoError;
}

bool MmsUserConnection::EndAssociation(std::uint32_t generation, AssociationEnding kind, AbortWait wait) {
    MmsConnection* mms = GetMmsConnection();
    if (mms == nullptr) return false;
    const EndingSteps& steps = StepsOf(kind);
    MmsConnection::EndingClaim claim(
        *mms, generation,
        {.sendAbort = steps.sendAbort, .graceful = steps.gracefulClose, .evenIdle = steps.evenIdle, .wait = wait});
    if (!claim.Held()) return false;
    // Under the claim: only what belongs to the association that ends, and no client code.
    const bool stood = GetState() == StateAssociated;
    const bool underWay = GetState() == StateInitiating;
    OnEndingClaimed(kind, generation);
    claim.EndLink();
    const std::vector<PendingRequests::Entry> pending = pendingRequests_.TakeAll();
    std::vector<RequestHandle*> queued;
    TakeQueuedOnEnding(queued);
    ResetOnEnding();
    LeaveServerOnEnding();
    claim.LetGo();
    // After it: a new association may stand by now, and nothing of it is in these lists.
    mms->RunEndingHook(MmsConnection::EndingPoint::Confirming);
    for (const PendingRequests::Entry& entry : pending) {
        entry.request->SetResult(steps.confirmWith);
        entry.request->SetAnswerKind(MmsPduNone);
        FileAnswered(entry.request, entry.service);
    }
    ConfirmQueuedOnEnding(queued, steps.confirmWith);
    const bool tell = steps.told == EndingTold::Always ? stood || underWay : steps.told == EndingTold::IfStood && stood;
    if (tell) TellEnded(kind, stood);
    return true;
}

}  // namespace Mms
