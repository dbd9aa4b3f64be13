#include "iec61850/acsi/client/TPAppAssociation.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <thread>
#include <vector>

#include "iec61850/acsi/client/AcsiLayer.h"
#include "iec61850/acsi/client/AcsiStack.h"
#include "iec61850/acsi/client/AssociationListener.h"
#include "iec61850/acsi/client/AssociationProfile.h"
#include "iec61850/acsi/client/ClientApplication.h"
#include "iec61850/acsi/client/DataSetServices.h"
#include "iec61850/acsi/client/RCBReport.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/Service.h"
#include "iec61850/acsi/model/DataSet.h"
#include "iec61850/acsi/model/DataSetLifetime.h"
#include "iec61850/acsi/model/LogicalNode.h"
#include "iec61850/acsi/model/ReferenceText.h"
#include "mms/machine/MmsConnection.h"
#include "mms/user/InformationReport.h"
#include "osi/TcpConnection.h"

namespace Iec61850::Acsi {

using System::ResultCode;

TPAppAssociation::TPAppAssociation(AcsiLayer* layer) : Mms::MmsUserConnection(layer) { Start(); }

TPAppAssociation::Entry::Entry(TPAppAssociation& association) : association_(association) {
    std::lock_guard lock(association_.entriesMutex_);
    ++association_.entries_;
}

TPAppAssociation::Entry::~Entry() {
    std::lock_guard lock(association_.entriesMutex_);
    --association_.entries_;
    association_.entriesChanged_.notify_all();
}

TPAppAssociation::~TPAppAssociation() {
    // Unreachable for the client first, once no call into it is under way (a callback that
    // removed the server may still post to this association, and is confirmed as ever),
    // then every caller still inside has left (that callback's caller among them).
    {
        std::unique_lock lock(clientMutex_);
        clientCallsEnded_.wait(lock, [this] { return clientCallsInFlight_ == OwnClientCallsOnThisThread(); });
        if (client_ != nullptr) client_->AssociationLeaving(this);
    }
    {
        std::unique_lock lock(entriesMutex_);
        entriesChanged_.wait(lock, [this] { return entries_ == 0; });
    }
    // An association still standing ends as every other does (its server ends them all
    // before it goes, so this is rare): nothing of it is left on the network.
    EndAssociation(CurrentGeneration(), Mms::AssociationEnding::Destruction, AbortWait::None);
    Stop();
    requests_.Close();
    CloseSends();
    // The receive thread below completes services and reads this object: it goes first.
    ReleaseLower();
    EndEpoch();
    // What no ending took: posted while nothing stood, or filed by a send that ended after
    // the ending (those it took it has confirmed).
    ConfirmLeftOver();
    Server* server = GetServer();
    if (server != nullptr) server->RemoveAssociation(this);
    // Last: what was left above has been confirmed to the client.
    DetachClient();
    // A data set that goes lets go of the model's control blocks that named it.
    const Mms::ModelHold hold(server);
    std::lock_guard lock(dataSetsMutex_);
    dataSets_.clear();
}

// ---- association ----

std::int32_t TPAppAssociation::ReasonForInitiateError(std::int32_t errorClass, std::int32_t errorCode) {
    constexpr std::int32_t ApplicationReference = 2;
    constexpr std::int32_t Initiate = 9;
    if (errorClass == ApplicationReference) {
        if (errorCode == 1) return ReasonInstanceNotAvailable;
        if (errorCode == 3 || errorCode == 4) return ReasonParameterValueInappropriate;
        return ReasonServerConstraint;
    }
    if (errorClass == Initiate) {
        if (errorCode == 3 || errorCode == 4) return ReasonInstanceNotAvailable;
        if (errorCode == 6 || errorCode == 7) return ReasonCommunicationsConstraint;
    }
    return ReasonServerConstraint;
}

ResultCode TPAppAssociation::Associate(AssociationProfile& profile, std::uint32_t userValue) {
    const Entry entry(*this);
    Mms::MmsConnection* const machine = GetMmsConnection();
    if (InOwnCallback() || OnReceiveThread() || (machine != nullptr && machine->EndingOnThisThread())) {
        // From a callback of this association: refused whichever thread it runs on (the
        // receive thread would wait for a transport confirm only it reads, another for what
        // that callback's caller holds), so that each callback has one outcome.
        WithClient([](ClientApplication& client) { client.OnAssociationFailed(ReasonServerConstraint); });
        return System::InvalidContext;
    }
    bool began = false;
    bool ended = false;
    {
        // Begun under the attempt's lock, so that an abandon (or an End) counts for this
        // attempt or none.
        std::lock_guard lock(attemptMutex_);
        ended = ended_.load();
        if (!ended && GetState() == StateIdle && !associating_.load()) {
            associating_.store(true);
            stalledGeneration_.store(NoGeneration);
            abandoned_ = false;
            attemptGeneration_.reset();
            // Given up for an earlier attempt only: this one may open its transport.
            GiveUpChainConnects(*this, false);
            began = true;
        }
    }
    if (!began) {
        // A standing association (or one being made) is not touched.
        WithClient([](ClientApplication& client) { client.OnAssociationFailed(ReasonServerConstraint); });
        return ended ? System::Cancelled : System::InvalidState;
    }
    const Mms::InitiateParameters proposal = Mms::InitiateParameters::Defaults();
    Mms::InitiateParameters negotiated = Mms::InitiateParameters::Cleared();
    Mms::ServiceErrorRecord outcome;
    profile_.store(&profile);
    userValue_ = userValue;
    // An ending of the last association finishes with its link first, and none held on its
    // way can begin any more: nothing of it may touch the chain once this attempt has begun.
    Mms::MmsConnection* mms = machine;
    if (mms != nullptr) mms->PrepareNewAssociation();
    // The transport of an earlier attempt is closed and its receive thread done with it
    // before anything of this attempt starts: a late word of that connection (the tail
    // of a refusal, the report of its end) must not reach this one.
    if (Protocol::Connection* lower = GetLower()) lower->Close();
    profile.GetStack()->ResetConnectionChain(this);
    bool abandoned = false;
    {
        // From here an abandon ends this attempt's generation, and only that one.
        std::lock_guard lock(attemptMutex_);
        if (mms != nullptr) attemptGeneration_ = mms->GetInvokeGeneration();
        abandoned = abandoned_;
    }
    // An abandon before the reset closed a chain that the reset opened again: nothing is sent.
    ResultCode result = abandoned ? System::Aborted : Initiate(proposal, negotiated, outcome);
    if (attemptHook_) attemptHook_();
    {
        // The attempt ends here, in one step with the abandon's check (GiveUpAttempt): an
        // abandon that came before makes it Aborted, whatever step of the connect it cut
        // short; one that comes after finds no attempt and leaves what stands alone.
        std::lock_guard lock(attemptMutex_);
        abandoned = abandoned_;
        associating_.store(false);
    }
    if (abandoned) {
        // Perhaps the device's answer crossed the abandon: what the program gave up must not
        // stand, and like any abandon it does not wait for the device's close (whichever of
        // this and the abandon's own ending comes first ends it).
        if (result == System::OkNoError)
            EndAssociation(*attemptGeneration_, Mms::AssociationEnding::Abandon, AbortWait::None);
        result = System::Aborted;
    }
    {
        std::lock_guard lock(outcomeMutex_);
        outcome_ = outcome;
        negotiated_ = negotiated;
    }
    if (result != System::OkNoError && ended_.load()) result = System::Cancelled;
    if (result == System::OkNoError) {
        if (Server* server = GetServer()) {
            // The exports read it under the model lock.
            const Mms::ModelHold hold(server);
            server->SetConnection(this);
        }
        // An ending that came before the link was set found nothing to clear: the link goes
        // here. One after it clears it itself (it stops the association standing first).
        if (!IsAssociated()) LeaveServer();
    }
    if (result == System::OkNoError) {
        WithClient([](ClientApplication& client) { client.OnAssociated(0); });
        return System::OkNoError;
    }
    // The refusal reasons of the lower layers travel in outcome.refusal; only an MMS
    // initiate-Error names a class and code here.
    const std::int32_t reason = ReasonForInitiateError(outcome.errorClass, outcome.errorCode);
    WithClient([reason](ClientApplication& client) { client.OnAssociationFailed(reason); });
    return result;
}

Mms::ServiceErrorRecord TPAppAssociation::GetInitiateOutcome() const {
    std::lock_guard lock(outcomeMutex_);
    return outcome_;
}

std::uint32_t TPAppAssociation::CurrentGeneration() {
    Mms::MmsConnection* mms = GetMmsConnection();
    return mms != nullptr ? mms->GetInvokeGeneration() : 0;
}

TPAppAssociation::Attempt TPAppAssociation::GiveUpAttempt() {
    std::lock_guard lock(attemptMutex_);
    if (!associating_.load()) return {};
    abandoned_ = true;
    // Whatever step the attempt is at, its transport opens no more: a connect that has not
    // begun fails as it begins, one under way gives up, and an open one is closed by the
    // attempt's ending (or fails at its next step).
    GiveUpChainConnects(*this, true);
    // Before its chain is reset the attempt has no generation yet: it finds itself
    // abandoned and sends nothing.
    return {.underWay = true, .generation = attemptGeneration_};
}

ResultCode TPAppAssociation::Abort(AbortWait wait) {
    const Entry entry(*this);
    // An attempt under way is given up first: it ends as aborted wherever the abort finds it.
    const Attempt attempt = GiveUpAttempt();
    if (attempt.underWay && !attempt.generation.has_value()) return System::OkNoError;
    const bool ended =
        EndFromCaller(attempt.generation.value_or(CurrentGeneration()), Mms::AssociationEnding::LocalAbort, wait);
    return ended || attempt.underWay ? System::OkNoError : System::NotConnected;
}

ResultCode TPAppAssociation::AbortGeneration(std::uint32_t generation, AbortWait wait) {
    const Entry entry(*this);
    return EndFromCaller(generation, Mms::AssociationEnding::LocalAbort, wait) ? System::OkNoError
                                                                               : System::NotConnected;
}

bool TPAppAssociation::AbandonAssociate() {
    const Attempt attempt = GiveUpAttempt();
    if (!attempt.underWay) return false;
    if (abandonHook_) abandonHook_();
    // Only the attempt's own generation: held here while it ended and another association
    // began, this touches nothing of the new one. Whoever gives an attempt up is done with
    // the device (the program's end among them): nothing waits for its close; the abort
    // unit still has its bounded chance to leave before the link is reset.
    if (attempt.generation.has_value())
        EndFromCaller(*attempt.generation, Mms::AssociationEnding::Abandon, AbortWait::None);
    return true;
}

void TPAppAssociation::SetAbandonHook(std::function<void()> hook) { abandonHook_ = std::move(hook); }

void TPAppAssociation::SetAttemptHook(std::function<void()> hook) { attemptHook_ = std::move(hook); }

bool TPAppAssociation::IsOwnThread() { return InCallback() || IsTaskThread() || OnReceiveThread(); }

bool TPAppAssociation::InCallbackOfAnother() {
    return InCallback() && !InOwnCallback() && !IsTaskThread() && !OnReceiveThread();
}

bool TPAppAssociation::EndFromCaller(std::uint32_t generation, Mms::AssociationEnding kind, AbortWait wait) {
    // The receive thread, or a thread it waits for, cannot wait for the peer's release.
    if (IsOwnThread()) wait = AbortWait::None;
    // Inside another association's callback, this association's receive thread may be held
    // in a callback that ends that other association in turn, and waits for this thread:
    // the close waits for no receive thread (the stream ends on this thread, the receive
    // thread finds it gone when it comes back, and the destructor joins it).
    const TcpConnection::NoReceiveWait noReceiveWait(InCallbackOfAnother());
    return EndAssociation(generation, kind, wait);
}

bool TPAppAssociation::OnReceiveThread() {
    Protocol::Connection* bottom = GetBottom();
    return bottom != this && bottom->IsTaskThread();
}

void TPAppAssociation::End() {
    const Entry entry(*this);
    {
        // A later Associate is refused.
        std::lock_guard lock(attemptMutex_);
        ended_.store(true);
    }
    // An Associate under way is given up.
    const Attempt attempt = GiveUpAttempt();
    // Nothing is queued from now on, so the queue is emptied for the last time below,
    // however fast callers post.
    requests_.Close();
    EndEpoch();
    if (InCallbackOfAnother()) {
        // Inside another association's callback: End's joins and its chain's close wait for
        // this association's threads, which may be held in a callback that waits for this
        // one (each ending the other's association). The rest goes on a thread of its own,
        // which the destruction waits for (its Entry, taken here).
        std::thread([this, attempt, held = std::make_shared<Entry>(*this)]() mutable {
            FinishEnd(attempt, false);
            held.reset();
        }).detach();
        return;
    }
    FinishEnd(attempt, IsOwnThread());
}

void TPAppAssociation::FinishEnd(const Attempt& attempt, bool ownThread) {
    if (!attempt.underWay || attempt.generation.has_value()) {
        EndFromCaller(attempt.generation.value_or(CurrentGeneration()), Mms::AssociationEnding::End,
                      ownThread ? AbortWait::None : AbortWait::ForPeer);
    }
    if (ownThread) {
        // The association's thread or the receive thread may be waiting for the callback
        // this runs in: neither is waited for (the destructor joins them).
        RequestStop();
        sendsClosed_.store(true);
    } else {
        Stop();
        CloseSends();
        // Closed from here, the chain has its receive thread leave this association first:
        // no answer reaches it once it has ended (a release's would reset the chain through
        // a profile that may be going away with its server).
        if (Protocol::Connection* lower = GetLower()) lower->Close();
        // Only what a direct send filed once the ending had passed it is left (the queue
        // was closed before the ending took it): confirmed as the ending confirms.
        ConfirmLeftOver();
    }
}

void TPAppAssociation::LeaveServer() {
    Server* server = GetServer();
    if (server == nullptr) return;
    const Mms::ModelHold hold(server);
    if (server->GetConnection() == this) server->SetConnection(nullptr);
}

// ---- client and profile ----

ClientApplication* TPAppAssociation::GetClient() const {
    std::lock_guard lock(clientMutex_);
    return client_;
}

void TPAppAssociation::SetClient(ClientApplication* client) {
    std::lock_guard lock(clientMutex_);
    client_ = client;
}

bool TPAppAssociation::DetachClient() {
    std::unique_lock lock(clientMutex_);
    Iec61850::ClientApplication* client = std::exchange(client_, nullptr);
    if (client != nullptr) lettingGo_ = client;
    // Inside a callback a call on another thread may be waiting for this one (two callbacks
    // that let go at once, an End whose close waits for the receive thread's callback):
    // nothing is waited for, and the last call out tells the client.
    if (InCallback()) {
        if (clientCallsInFlight_ == 0) TellClientLetGo();
        return client != nullptr;
    }
    // No call starts any more, so the count only falls; the call that brings it to zero
    // has told the client a let-go that was waiting.
    clientCallsEnded_.wait(lock, [this] { return clientCallsInFlight_ == 0; });
    TellClientLetGo();
    return client != nullptr;
}

void TPAppAssociation::TellClientLetGo() {
    if (Iec61850::ClientApplication* client = std::exchange(lettingGo_, nullptr)) client->ForgetAssociation(this);
}

TPAppAssociation::ClientCall::ClientCall(TPAppAssociation& association) : association_(association) {
    association_.CheckNoLockForClientCall();
    std::lock_guard lock(association_.clientMutex_);
    client_ = association_.client_;
    if (client_ != nullptr) ++association_.clientCallsInFlight_;
}

TPAppAssociation::ClientCall::~ClientCall() {
    if (client_ == nullptr) return;
    std::lock_guard lock(association_.clientMutex_);
    // The last call out tells a let-go that came from inside a callback, before any waiter
    // sees the count at zero.
    if (--association_.clientCallsInFlight_ == 0) association_.TellClientLetGo();
    association_.clientCallsEnded_.notify_all();
}

std::uint32_t TPAppAssociation::OwnClientCallsOnThisThread() const {
    std::uint32_t own = 0;
    for (const CallbackScope* scope = innermostCallback_; scope != nullptr; scope = scope->outer) {
        if (&scope->association == this) ++own;
    }
    return own;
}

void TPAppAssociation::CheckNoLockForClientCall() {
#ifndef NDEBUG
    // A client may call anything of the library, Abort and End among them, which wait for
    // the very threads that such a lock would hold up.
    const Mms::MmsConnection* mms = GetMmsConnection();
    if ((mms != nullptr && mms->EndingOnThisThread()) || HoldsSendingTurn()) std::abort();
#endif
}

void TPAppAssociation::TakeProfile(AssociationProfile& profile) {
    profile_.store(&profile);
    Reset();
}

Server* TPAppAssociation::GetServer() const {
    AssociationProfile* profile = profile_.load();
    return profile != nullptr ? profile->GetServer() : nullptr;
}

// ---- requests ----

ResultCode TPAppAssociation::PostRequest(Service* service) {
    if (service == nullptr) return System::InvalidArguments;
    if (ended_.load()) return System::Cancelled;
    // The release state and the queue move in one step: nothing is queued behind a release.
    // A release refused here, or not queued, is over as it is completed (Release::complete).
    std::lock_guard posting(postingMutex_);
    if (service->EndsTheAssociation() ? !PostRelease(*service) : !MayPost(*service)) return System::Aborted;
    service->SetEpoch(epoch_.load());
    return Enqueue(service);
}

void TPAppAssociation::ReleaseOver(const Service& release) { Mms::MmsUserConnection::ReleaseOver(release); }

ResultCode TPAppAssociation::Enqueue(Service* service) {
    queuedOrExecuting_.fetch_add(1);
    const ResultCode result = requests_.Put(service);
    if (result != System::OkNoError) queuedOrExecuting_.fetch_sub(1);
    return result;
}

void TPAppAssociation::Dequeued(Service* service) {
    if (service != nullptr) queuedOrExecuting_.fetch_sub(1);
}

ResultCode TPAppAssociation::SubmitRequest(Service* service) {
    if (service == nullptr) return System::InvalidArguments;
    // The hop through the association's thread costs a request a wake-up of that thread
    // (and its model lock take) on top of the round trip; a caller that may send sends
    // itself. Inside a callback the thread is one of the library's, which must not block
    // on a send: such requests go through the queue.
    if (ended_.load()) return System::Cancelled;
    // After a release nothing more goes: refused before it could be sent or queued.
    if (!MayPost(*service)) return System::Aborted;
    if (!InCallback()) {
        const SendingTurn turn(*this, std::try_to_lock);
        // Only while the device allows another request outstanding: waiting for room is the
        // association's thread's business, never a caller's (it may be the UI's, which
        // answers the callbacks that make room).
        if (turn.Owns() && !sendsClosed_.load() && queuedOrExecuting_.load() == 0 && IsAssociated() &&
            !EndedStalled() && HasRoomForRequest()) {
            const std::uint64_t epoch = epoch_.load();
            service->SetEpoch(epoch);
            switch (service->SendDirect()) {
                case Service::Direct::Sent: return System::OkNoError;
                case Service::Direct::SendFailed:
                    // Completed with its failure on the association's thread, as an execute
                    // that failed to send would be (with 8 when an abort came meanwhile).
                    // Filed before the send lock goes, so that an End or the destructor,
                    // which close sends under it, still find it queued.
                    return Enqueue(service);
                case Service::Direct::NotSent: break;
            }
        }
    }
    return PostRequest(service);
}

Service* TPAppAssociation::TakeRequest() {
    auto* service = static_cast<Service*>(requests_.Get(GetTimeout()));
    Dequeued(service);
    return service;
}

ResultCode TPAppAssociation::Run() {
    while (!StopRequested()) {
        // Woken often enough to confirm a request the device leaves unanswered soon after
        // its time-out.
        const std::uint32_t tick = std::max<std::uint32_t>(GetTimeout() / 8, 1);
        // A stall seen on another thread ends its association before anything more goes out.
        EndStalledAssociation();
        if (auto* service = static_cast<Service*>(requests_.Get(tick))) {
            // What completes within the turn is confirmed once the turn is over.
            const SendingTurn turn(*this);
            // Posted before an abort or a release: it belongs to an association that ended.
            if (service->GetEpoch() != epoch_.load()) {
                service->CompleteWith(System::Aborted);
            } else if (service->IsWithdrawn()) {
                // Its maker took it back before it went out.
                service->CompleteWith(System::Cancelled);
            } else if (service->SendFailed()) {
                service->CompleteWith(service->GetResult());
            } else {
                // One answered or ended while execute still sends it is filed when the send
                // is over, and completed below, on this thread.
                service->execute();
            }
            // Counted down only now: a caller's direct send must not overtake it.
            Dequeued(service);
        }
        if (!FileStalledRequests(GetTimeout())) FileOverdueRequests(GetTimeout());
        // A conclude the device leaves unanswered is not filed as overdue: nothing but an
        // abort ends such an association.
        if (IsConcludeOverdue(GetTimeout())) OnLinkStalled();
        EndStalledAssociation();
        // What a send filed on the way (overdue, stalled) is completed here too.
        CompleteAnswered();
    }
    return System::OkNoError;
}

bool TPAppAssociation::OnLinkStalled() {
    // Noted at once; ended on the association's thread, once the service being executed is
    // done with, and that ending confirms what is pending with 12.
    stalledGeneration_.store(CurrentGeneration());
    return true;
}

void TPAppAssociation::EndStalledAssociation() {
    const std::int64_t stalled = stalledGeneration_.load();
    // Claimed only while still current: a stall seen again, or after another ending, ends
    // nothing more.
    if (stalled != NoGeneration)
        EndAssociation(static_cast<std::uint32_t>(stalled), Mms::AssociationEnding::Stall, AbortWait::None);
}

void TPAppAssociation::NoteWithdrawals() {
    // What waits in the queue is confirmed as the association's thread comes to it; what
    // waits for room to be sent gives up now.
    WakeWithdrawnSenders();
}

void TPAppAssociation::GiveUpConclude() {
    // As a stalled link is: the association's thread ends it with an abort next.
    OnLinkStalled();
}

void TPAppAssociation::OnFiledAfterSend() {
    // The association's thread completes it: woken now rather than at its next tick (on
    // that thread itself, its loop completes it next).
    if (!IsTaskThread()) requests_.Put(nullptr);
}

TPAppAssociation::SendingTurn::SendingTurn(TPAppAssociation& association)
    : association_(association), lock_(association.sendingMutex_), outer_(currentTurn_) {
    currentTurn_ = this;
}

TPAppAssociation::SendingTurn::SendingTurn(TPAppAssociation& association, std::try_to_lock_t)
    : association_(association), lock_(association.sendingMutex_, std::try_to_lock), outer_(currentTurn_) {
    if (lock_.owns_lock()) currentTurn_ = this;
}

TPAppAssociation::SendingTurn::~SendingTurn() {
    if (!lock_.owns_lock()) return;
    currentTurn_ = outer_;
    lock_.unlock();
    for (const std::function<void()>& confirm : deferred_) confirm();
}

bool TPAppAssociation::DeferWhileSending(std::function<void()> confirm) {
    for (SendingTurn* turn = currentTurn_; turn != nullptr; turn = turn->outer_) {
        if (&turn->association_ == this) {
            turn->deferred_.push_back(std::move(confirm));
            return true;
        }
    }
    return false;
}

bool TPAppAssociation::HoldsSendingTurn() const {
    for (const SendingTurn* turn = currentTurn_; turn != nullptr; turn = turn->outer_) {
        if (&turn->association_ == this) return true;
    }
    return false;
}

void TPAppAssociation::CloseSends() {
    // A caller sending directly finishes first; later ones post.
    std::lock_guard sending(sendingMutex_);
    sendsClosed_.store(true);
}

void TPAppAssociation::OnStopRequested() {
    requests_.Interrupt();
    Mms::MmsUserConnection::OnStopRequested();
}

ResultCode TPAppAssociation::ConcludeFor(Service& release) { return Conclude(&release); }

void TPAppAssociation::EndEpoch() { epoch_.fetch_add(1); }

void TPAppAssociation::CompleteAnswered() {
    // Nothing filed is still being sent (see Mms::RequestHandle): completing it here never
    // frees what a sending thread reads.
    while (Mms::RequestHandle* answered = TakeDoneRequest()) {
        auto* service = dynamic_cast<Service*>(answered);
        if (service == nullptr) {
            delete answered;
            continue;
        }
        service->complete();
    }
}

// ---- profile push-down ----

ResultCode TPAppAssociation::ApplyProfileParameters() {
    AssociationProfile* profile = profile_.load();
    if (profile == nullptr) return System::InvalidArguments;
    bool anyTaken = false;
    const auto held = profile->HoldParameters();
    for (const auto& [name, parameter] : profile->GetParameters(held)) {
        bool taken = false;
        for (Protocol::Connection* at = this; at != nullptr; at = at->GetLower()) {
            if (at->SetParameter(name, parameter->value) == System::OkNoError) taken = true;
        }
        parameter->status = taken ? System::OkNoError : System::InvalidArguments;
        anyTaken = anyTaken || taken;
    }
    return anyTaken ? System::OkNoError : System::InvalidArguments;
}

ResultCode TPAppAssociation::SetParameter(std::string_view name, std::string_view value) {
    if (name != AssociationProfile::MmsTimeoutParameter) return System::NotSupported;
    std::uint32_t timeout = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), timeout);
    if (error != std::errc() || end != value.data() + value.size() || timeout == 0) return System::InvalidArguments;
    SetTimeout(timeout);
    if (Mms::MmsConnection* mms = GetMmsConnection()) mms->SetTimeout(timeout);
    return System::OkNoError;
}

ResultCode TPAppAssociation::GetParameter(std::string_view name, std::string& value) {
    if (name != AssociationProfile::MmsTimeoutParameter) return System::NotSupported;
    value = std::to_string(GetTimeout());
    return System::OkNoError;
}

ResultCode TPAppAssociation::Reset() {
    AssociationProfile* profile = profile_.load();
    // The chain's first reset comes before any profile: nothing to bind or push yet.
    if (profile == nullptr) return System::OkNoError;
    SetVmd(profile->GetServer());
    EndEpoch();
    const ResultCode result = Mms::MmsUserConnection::Reset();
    ApplyProfileParameters();
    CompleteAnswered();
    return result;
}

// ---- indications ----

ResultCode TPAppAssociation::OnLowerEvent(std::uint32_t event) { return OnLowerIndication(nullptr, event); }

ResultCode TPAppAssociation::OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) {
    const ResultCode result = Mms::MmsUserConnection::OnLowerIndication(frame, event);
    CompleteAnswered();
    if (event == Mms::MmsConnection::EventUnconfirmed) TakeInReports();
    return result;
}

// ---- the ending's steps ----

void TPAppAssociation::OnEndingClaimed(Mms::AssociationEnding, std::uint32_t) {
    // What was posted for the association that ends never runs.
    EndEpoch();
}

void TPAppAssociation::TakeQueuedOnEnding(std::vector<Mms::RequestHandle*>& queued) {
    while (requests_.GetCount() > 0) {
        auto* service = static_cast<Service*>(requests_.Get(1));
        Dequeued(service);
        if (service != nullptr) queued.push_back(service);
    }
}

void TPAppAssociation::ConfirmQueuedOnEnding(std::vector<Mms::RequestHandle*>& queued, ResultCode result) {
    for (Mms::RequestHandle* service : queued) static_cast<Service*>(service)->CompleteWith(result);
    CompleteAnswered();
}

void TPAppAssociation::ConfirmLeftOver() {
    std::vector<Mms::RequestHandle*> queued;
    TakeQueuedOnEnding(queued);
    FileAllPending(System::Aborted);
    ConfirmQueuedOnEnding(queued, System::Aborted);
}

void TPAppAssociation::LeaveServerOnEnding() { LeaveServer(); }

void TPAppAssociation::TellEnded(Mms::AssociationEnding kind, bool) {
    const bool local = Mms::StepsOf(kind).local;
    const std::uint8_t record[2] = {static_cast<std::uint8_t>(local ? 1 : 0), static_cast<std::uint8_t>(local ? 0 : 1)};
    WithClient([&record](ClientApplication& client) { client.OnAbort(record); });
    // Ended (its server may be going, from inside that callback): nobody else to tell.
    if (ended_.load()) return;
    if (Server* server = GetServer(); server != nullptr && GetClient() == nullptr) {
        if (AssociationListener* listener = server->GetAssociationListener())
            listener->OnAssociationEnded(*this, ReasonCommunicationsConstraint);
    }
}

void TPAppAssociation::TakeInReports() {
    Mms::VMD* vmd = GetVmd();
    if (vmd == nullptr) return;
    while (Mms::InformationReport* received = vmd->PopInformationReport()) {
        // A command termination whose Operate is not yet confirmed follows that confirmation.
        const std::unique_ptr<Mms::InformationReport> report =
            terminationHold_.KeepIfAwaited(std::unique_ptr<Mms::InformationReport>(received));
        if (report != nullptr) DeliverReport(*report);
    }
}

void TPAppAssociation::DeliverReport(Mms::InformationReport& report) {
    Server* server = GetServer();
    if (server != nullptr && server->DispatchReport(*this, report) == System::OkNoError) return;
    RCBReport unmatched(*this, &report);
    unmatched.SetServiceError(12);
    WithClient([&unmatched](ClientApplication& client) { client.OnReport(&unmatched); });
}

void TPAppAssociation::DeliverTerminationsAfter(const void* operate) {
    for (const std::unique_ptr<Mms::InformationReport>& report : terminationHold_.Told(operate)) DeliverReport(*report);
}

ResultCode TPAppAssociation::OnInitiateRequest(Mms::MmsFrame& frame) {
    const ResultCode result = Mms::MmsUserConnection::OnInitiateRequest(frame);
    if (Server* server = GetServer()) {
        if (AssociationListener* listener = server->GetAssociationListener()) listener->OnAssociationIndication(*this);
    }
    return result;
}

ResultCode TPAppAssociation::OnDeleteNamedVariableListResponse(
    Mms::RequestHandle& request, const Mms::MmsDeleteNamedVariableListResponse& response) {
    auto* deletion = dynamic_cast<DeleteDataSet*>(&request);
    Server* server = GetServer();
    if (deletion != nullptr && deletion->dataSet != nullptr && server != nullptr && response.numberMatched == 1 &&
        response.numberDeleted == 1 && deletion->dataSet->GetBoundMmsObject() == request.GetTarget()) {
        const Mms::ModelHold hold(server);
        if (hold.Taken() && RemoveDataSet(*deletion->dataSet) == System::OkNoError) deletion->dataSet = nullptr;
    }
    return Mms::MmsUserConnection::OnDeleteNamedVariableListResponse(request, response);
}

// ---- data sets ----

namespace {

// The name of an association's data set ("@name", nothing or blanks before the "@").
bool AssociationDataSetName(std::string_view reference, std::string_view& name) {
    const std::vector<std::string_view> parts = SplitText(reference, '@');
    if (parts.size() != 2 || parts[0].find_first_not_of(' ') != std::string_view::npos) return false;
    name = parts[1];
    return true;
}

}  // namespace

bool TPAppAssociation::FindOwnDataSet(std::string_view reference, DataSet*& found, ResultCode& result) const {
    found = nullptr;
    std::string_view name;
    if (!AssociationDataSetName(reference, name)) return false;
    found = FindDataSet(name);
    result = found != nullptr ? System::OkNoError : System::InvalidArguments;
    return true;
}

ResultCode TPAppAssociation::FindDataSet(std::string_view reference, DataSet*& found) {
    if (ResultCode result = System::OkNoError; FindOwnDataSet(reference, found, result)) return result;
    Server* server = GetServer();
    return server != nullptr ? server->FindDataSet(reference, found) : System::InvalidArguments;
}

ResultCode TPAppAssociation::FindDataSet(const Mms::ModelHold& hold, std::string_view reference, DataSet*& found) {
    if (ResultCode result = System::OkNoError; FindOwnDataSet(reference, found, result)) return result;
    Server* server = GetServer();
    return server != nullptr ? server->FindDataSet(hold, reference, found) : System::InvalidArguments;
}

ResultCode TPAppAssociation::CreateDataSetObject(CreateDataSet& service) {
    Server* server = GetServer();
    if (server == nullptr) return System::InvalidArguments;
    const std::vector<std::string_view> parts = SplitText(service.reference, '.');
    if (parts.size() == 2) {
        LogicalNode* node = nullptr;
        if (const ResultCode found = server->FindLogicalNode(parts[0], node); found != System::OkNoError) return found;
        // The member lookups take the model lock themselves.
        return CreateNodeDataSet(*node, std::string(parts[1]), &service.members, service.created);
    }
    if (parts.size() == 1) {
        const std::vector<std::string_view> named = SplitText(service.reference, '@');
        if (named.size() == 2 && named[0].empty() && !named[1].empty()) {
            // Two requests for one name must not both make it: the second finds it taken.
            return CreateAssociationDataSet(*this, std::string(named[1]), service.members, service.created);
        }
    }
    return System::InvalidArguments;
}

ResultCode TPAppAssociation::AdoptDataSet(std::unique_ptr<DataSet> dataSet) {
    std::lock_guard lock(dataSetsMutex_);
    const std::string name = dataSet->GetName();
    if (dataSets_.contains(name)) return System::AlreadyExist;
    dataSets_.emplace(name, std::move(dataSet));
    return System::OkNoError;
}

DataSet* TPAppAssociation::FindDataSet(std::string_view name) const {
    std::lock_guard lock(dataSetsMutex_);
    const auto found = dataSets_.find(name);
    return found == dataSets_.end() ? nullptr : found->second.get();
}

std::unique_ptr<DataSet> TPAppAssociation::ReleaseDataSet(std::string_view name) {
    std::lock_guard lock(dataSetsMutex_);
    const auto found = dataSets_.find(name);
    if (found == dataSets_.end()) return nullptr;
    std::unique_ptr<DataSet> taken = std::move(found->second);
    dataSets_.erase(found);
    return taken;
}

}  // namespace Iec61850::Acsi
