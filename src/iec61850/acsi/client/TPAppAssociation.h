#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/client/EnabledReportBlocks.h"
#include "iec61850/acsi/client/Server.h"
#include "iec61850/acsi/client/TerminationHold.h"
#include "iec61850/acsi/model/DataSetAssociation.h"
#include "mms/pdu/InitiateParameters.h"
#include "mms/pdu/ServiceErrorRecord.h"
#include "mms/user/MmsUserConnection.h"
#include "system/MessageQueue.h"

namespace Iec61850 {
class ClientApplication;
}

namespace Iec61850::Acsi {

class AcsiLayer;
class AssociationProfile;
class CreateDataSet;
class DataSet;
class Release;
class Server;
class Service;

// The association of one client with one device: the top of an AcsiStack chain, and the
// MMS service user of that chain.
//
// It associates (the MMS initiate, with the outcome told to the client), executes the
// services its client posts (one by one, on its own thread), completes them when their
// answers come (on the receive thread of the chain), and takes in reports and aborts.
// It also keeps the data sets that exist only for this association ("@name").
//
// Threads and what a callback may do there:
// - A service that can be sent straight away (SubmitRequest) is resolved and sent on the
//   thread that posted it; all the others are executed on the association's thread.
// - OnAssociated and OnAssociationFailed run on the thread that called Associate.
// - A service that completes inside its execute (an answer from the model, a failed
//   lookup, a request that cannot be sent) calls back on the association's thread.
// - Answers, reports and aborts call back on the chain's receive thread; a local abort
//   calls back on the thread that aborted. A service answered or ended while its request
//   was still being sent is confirmed only once that send is over: a caller's direct send
//   leaves it to the association's thread (or the receive thread, whichever comes first).
// - A command termination that arrives while an Operate of its object is not yet confirmed
//   is told right after that confirmation, on the thread that told it (TerminationHold):
//   the client hears a control's outcomes in their order.
// No lock of the association is held around a callback, so callbacks on different threads
// may run at once, and a callback may call Abort, End or Release (which then wait for none
// of the transport's time-outs) or let go of the association (which waits for nothing: no
// thread inside a client call waits for another client call). A callback may post further requests and read the model
// (taking the model lock, which is never held around a callback), but must never wait for
// another answer of the same association: the thread it runs on is the one that would
// deliver it.
//
// Every posted service is confirmed exactly once. Services still queued or pending when
// the association is aborted, released or destroyed are confirmed at once with 8 and
// never run on a later association; a service executed while not associated confirms
// with 7.
//
// The profile parameter "MmsTimeout" (milliseconds; 10000 after a reset without it) sets
// how long the initiate and the association's waits last, and how long a sent service
// waits for its answer: one the device leaves unanswered is confirmed with 12 (Timeout).
// When a sent service is overdue and nothing at all has been received for as long, the
// link is taken for stalled: every pending and queued service is confirmed with 12 at once
// and the association aborted. A device whose answers keep coming, however late, is not.
// A release is ended the same way when the device leaves a request unanswered for the
// time-out before the conclude can go, or leaves the conclude itself unanswered as long.
//
// A caller may withdraw the services it posted in a group (Mms::RequestGroup, see
// ClientApplication::WithdrawRequests): those not yet sent are confirmed with 9
// (Cancelled) and never sent; those sent run their course.
class TPAppAssociation : public Mms::MmsUserConnection, public DataSetAssociation {
public:
    // The reasons OnAssociationFailed gives (ACSI service errors).
    static constexpr std::int32_t ReasonInstanceNotAvailable = 1;
    static constexpr std::int32_t ReasonParameterValueInappropriate = 5;
    static constexpr std::int32_t ReasonCommunicationsConstraint = 11;
    static constexpr std::int32_t ReasonServerConstraint = 12;
    static constexpr std::uint32_t RequestCapacity = 65535;

    explicit TPAppAssociation(AcsiLayer* layer);
    // The client lets go of it first (no post reaches it any more) and every caller still
    // inside it (Entry) is waited for; then stops and joins the thread, ends the chain
    // below, confirms what is left with 8 while the client still hears it.
    ~TPAppAssociation() override;

    // A caller's thread inside the association, which its destruction waits for: taken by
    // Associate, Abort and End (which may call back, and a callback may remove the server),
    // and by the client around a refused post's confirmation. Taken under the client's
    // link lock where the association might otherwise go before it is taken.
    class Entry {
    public:
        explicit Entry(TPAppAssociation& association);
        ~Entry();
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;

    private:
        TPAppAssociation& association_;
    };

    // ---- association ----

    // The MMS initiate with the library's proposal, on the caller's thread: 0 and
    // OnAssociated, or the initiate's failure and OnAssociationFailed with the reason
    // its error gives. On an association that stands or is being made: InvalidState and
    // OnAssociationFailed(12), the association left as it is. Once End has been called:
    // Cancelled and OnAssociationFailed(12) at once (an attempt that End overtakes is
    // abandoned and returns Cancelled too).
    // Threads: any thread of the caller's. From inside any callback of this association
    // (a confirmation, OnRelease, OnAbort of every kind of ending, a report, on whichever
    // thread it runs), on the chain's receive thread, or on a thread that holds an ending's
    // claim, it is refused at once with InvalidContext and OnAssociationFailed(12), always:
    // such a thread may be the one that would deliver the transport's confirm, or be held
    // by what it answers. A client that reconnects on such news does so from a thread of
    // its own. It never waits for an ending to confirm what it ended: an ending lets go of
    // the association before it confirms and tells.
    System::ResultCode Associate(AssociationProfile& profile, std::uint32_t userValue);
    // The ACSI reason for an initiate that failed with this MMS error (class 0: none).
    static std::int32_t ReasonForInitiateError(std::int32_t errorClass, std::int32_t errorCode);
    // The last initiate's error and the refusal of the layer that refused it.
    Mms::ServiceErrorRecord GetInitiateOutcome() const;
    // The local abort of the association that stands (or of the attempt under way, which
    // then returns Aborted): every queued and pending service confirmed with 8, one
    // OnAbort. OkNoError; NotConnected, nothing sent and nothing told, when nothing stands
    // (a second abort, after a release, before any association). The wait as AbortWait; on
    // the association's own threads or in any callback it never waits for the peer, and
    // inside another association's callback its close waits for no receive thread either
    // (that thread may be held in a callback aborting the caller's association in turn).
    System::ResultCode Abort(AbortWait wait = AbortWait::ForPeer);
    // The local abort of the association of that generation only (as Abort, attempts
    // aside): one named while it stood, aborted late, ends nothing that began since.
    // OkNoError; NotConnected, nothing sent or told, when it has ended.
    System::ResultCode AbortGeneration(std::uint32_t generation, AbortWait wait);
    // The invoke generation of the machine now: while an association stands, its own.
    std::uint32_t CurrentGeneration();
    // Gives up the Associate under way on another thread before its initiate completes:
    // that Associate returns Aborted (OnAssociationFailed tells the client) and never
    // stands, even when the device's answer crossed the abandon. It holds for the whole
    // attempt, whatever step the attempt is at when it lands: the transport's connect
    // (one not yet begun fails as it begins, one under way gives up), the wait for the
    // transport's confirm and for the initiate's answer (their link is closed, by an abort
    // that does not wait for the device), and any step not yet begun. So that Associate
    // comes back soon after one call, without waiting for any time-out of the device's.
    // It names its attempt: however late it acts, it ends nothing of an association made
    // after that attempt ended. One rule decides, under the attempt's lock: an abandon that
    // finds the attempt under way (Associate has not yet ended it, even with the device's
    // answer in) makes that Associate return Aborted and tell OnAssociationFailed, never
    // OnAssociated, and returns true; one that comes once Associate has ended its attempt
    // finds none, does nothing and returns false (an association that stands is then left
    // to Abort).
    bool AbandonAssociate();
    // For tests: called by AbandonAssociate once it has named its attempt, before it ends
    // it (null: none). Set before the abandon.
    void SetAbandonHook(std::function<void()> hook);
    // For tests: called by Associate once its initiate is over, before the attempt ends
    // (null: none). Set before the Associate.
    void SetAttemptHook(std::function<void()> hook);
    bool IsAssociated() const { return GetState() == StateAssociated; }
    // The association's link stalled: it is being or has been ended for that (true from
    // the moment the stall is seen until the next Associate).
    bool EndedStalled() const { return stalledGeneration_.load() != NoGeneration; }
    // Neither standing nor being made.
    bool IsIdle() const { return GetState() == StateIdle && !associating_.load(); }
    // Ends the association for good, from any thread: from then on Associate and every post
    // are refused at once (a post confirmed with 8, never queued). A standing one is
    // aborted and everything queued or pending confirmed with 8 while the client still
    // hears it. On another thread End also waits: the association's thread joined,
    // direct sends finished, the chain closed (its receive thread has left this
    // association when End returns). On one of the association's own threads (its
    // thread, the receive thread, or inside any callback of the library) it waits for
    // nothing, since those threads may be waiting for the very callback it runs in: they
    // finish leaving once it has returned, and the destructor joins them. Inside a callback
    // of another association the ending itself (its abort, told on that thread) goes on a
    // thread of its own, which the destructor waits for: its close would wait for this
    // association's receive thread. A direct send still under way there is confirmed when
    // it ends, at the latest by the destructor.
    void End();
    bool IsEnded() const { return ended_.load(); }
    // Whether the calling thread is one of this association's or runs a library callback
    // (of any association): such a thread must not wait for the association's threads.
    bool IsOwnThread();
    // Whether the calling thread is the receive thread of this association's chain.
    bool OnReceiveThread();
    // Whether the calling thread runs a callback of the library.
    static bool InCallback() { return innermostCallback_ != nullptr; }
    // Whether the calling thread runs a callback of this association (perhaps inside a
    // callback of another).
    bool InOwnCallback() const {
        for (const CallbackScope* scope = innermostCallback_; scope != nullptr; scope = scope->outer) {
            if (&scope->association == this) return true;
        }
        return false;
    }

    // ---- client and profile ----

    Iec61850::ClientApplication* GetClient() const;
    void SetClient(Iec61850::ClientApplication* client);
    // The client lets go of this association and this association of its client: no call
    // into the client starts from now on, and the client hears ForgetAssociation once no
    // call into it is under way any more. Outside a callback it waits for the calls under
    // way on other threads, so that on return none is left. Inside a callback (of any
    // association) it waits for nothing, since a call under way on another thread may be
    // waiting for this very one: the last call out tells the client. False when no client
    // was linked (nothing is told).
    bool DetachClient();
    // Calls fn with the client, which cannot go away meanwhile; nothing without one. No lock
    // of the association is held during the call, so a callback may call anything of the
    // library (Abort and End among them) and callbacks of one association may run at once
    // on different threads. Never from a thread that holds the association's ending claim
    // or its sending turn: debug builds stop the program there.
    template <typename Fn>
    void WithClient(Fn fn);
    AssociationProfile* GetProfile() const { return profile_.load(); }
    // A server-side association's profile (no initiate of its own), pushed down at once.
    void TakeProfile(AssociationProfile& profile);
    std::uint32_t GetUserValue() const { return userValue_; }

    // ---- requests ----

    // Files the service for the association's thread; the service is then the
    // association's. The queue's refusal (it is full, or the association is ending) leaves
    // it with the caller. Once a release has been posted, every later post for its
    // association is refused with Aborted (nothing is queued behind the release; the caller
    // confirms it as the release's ending would) until that release is over (ReleaseOver);
    // the next association is not touched (see Mms::ReleaseState).
    System::ResultCode PostRequest(Service* service);
    // As PostRequest, but sends the service from the caller's thread (Service::SendDirect)
    // when that keeps the order of requests, the threads of callbacks and a caller that never
    // waits on the device: the association stands, nothing posted before is still waiting
    // for or in the association's thread, the device allows one more request outstanding,
    // and the caller is not inside a callback of the library (a receive or association
    // thread must never wait for room on the socket). Everything else is posted. A direct
    // send is refused, or fails, as execute's would, and is then completed on the
    // association's thread; its answer completes it on the receive thread. After a release
    // it is refused as PostRequest refuses it, never sent.
    System::ResultCode SubmitRequest(Service* service);
    // The release is over, however it ended (Release::complete, the one step every release
    // passes): if the association still stands, it takes requests again.
    void ReleaseOver(const Service& release);
    // Requests of a group were withdrawn (Mms::RequestGroup): each of them still queued is
    // confirmed with Cancelled, unsent, when the association's thread comes to it (soon:
    // nothing of it goes to the device), and one waiting for room to be sent gives up at
    // once. Any thread; it waits for nothing.
    void NoteWithdrawals();
    // A release whose conclude cannot go, because the device leaves a request unanswered for
    // the time-out: the association is ended as for a stalled link (an abort, from the
    // association's thread, once the service being executed is done with).
    void GiveUpConclude();
    // The oldest queued service, waiting up to the time-out; null when none came.
    Service* TakeRequest();
    // Within a turn at the request operations of this association (see SendingTurn): keeps
    // the confirmation for the turn's end, outside the sending lock, and says so; false
    // (nothing kept) outside one.
    bool DeferWhileSending(std::function<void()> confirm);
    // Services posted and not yet done with by the association's thread.
    std::uint32_t GetQueuedCount() const { return queuedOrExecuting_.load(); }
    // The MMS conclude with the release service pending on it.
    System::ResultCode ConcludeFor(Service& release);

    // ---- command terminations ----

    // A command termination waits for the confirmation of its object's Operate.
    TerminationHold& GetTerminationHold() { return terminationHold_; }
    // The Operate's confirmation has been told: the terminations that waited for it are
    // delivered on this thread, as the receive thread would have delivered them.
    void DeliverTerminationsAfter(const void* operate);

    // ---- profile push-down ----

    // Every profile parameter to every connection from here down: status 0 where one took
    // it, 2 where none did. 0 when some was taken, 2 otherwise. The values stay the
    // caller's: nothing of the chain is ever written back into the profile.
    System::ResultCode ApplyProfileParameters();

    // ---- report control blocks ----

    // The blocks this association enabled; a record counts in the epoch it names.
    EnabledReportBlocks& GetEnabledReportBlocks() { return enabledReportBlocks_; }
    // Moves on at every abort, release and reset.
    std::uint64_t GetEpoch() const { return epoch_.load(); }

    // ---- data sets ----

    // "@name" (nothing or blanks before the "@"): this association's data set; anything
    // else: the server's model. InvalidArguments when there is none.
    System::ResultCode FindDataSet(std::string_view reference, DataSet*& found);
    // The same under the caller's hold of the model lock.
    System::ResultCode FindDataSet(const Mms::ModelHold& hold, std::string_view reference, DataSet*& found);
    // The data set the service names, made in the model ("LN.name" below "LD/") or for
    // this association ("@name").
    System::ResultCode CreateDataSetObject(CreateDataSet& service);

    // ---- DataSetAssociation ----

    Server* GetServer() const override;
    Mms::MmsUserConnection* GetMmsUser() const override { return const_cast<TPAppAssociation*>(this); }
    System::ResultCode AdoptDataSet(std::unique_ptr<DataSet> dataSet) override;
    DataSet* FindDataSet(std::string_view name) const override;
    // A reference naming one of this association's own data sets ("@name"): found, or
    // refused, here; false for any other reference.
    bool FindOwnDataSet(std::string_view reference, DataSet*& found, System::ResultCode& result) const;
    std::unique_ptr<DataSet> ReleaseDataSet(std::string_view name) override;

    // ---- Connection ----

    System::ResultCode Run() override;
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override;
    System::ResultCode OnLowerEvent(std::uint32_t event) override;
    // With a profile: binds the server, resets and pushes the profile down.
    System::ResultCode Reset() override;
    // "MmsTimeout": this association's and its MMS connection's time-out.
    System::ResultCode SetParameter(std::string_view name, std::string_view value) override;
    System::ResultCode GetParameter(std::string_view name, std::string& value) override;

protected:
    void OnStopRequested() override;
    // Noted here (EndedStalled); the association's thread ends the association.
    bool OnLinkStalled() override;
    // The association's steps of an ending (see Mms::MmsUserConnection::EndAssociation).
    void OnEndingClaimed(Mms::AssociationEnding kind, std::uint32_t generation) override;
    void TakeQueuedOnEnding(std::vector<Mms::RequestHandle*>& queued) override;
    void ConfirmQueuedOnEnding(std::vector<Mms::RequestHandle*>& queued, System::ResultCode result) override;
    // Only the service user's own reset: the chain is reset by the next Associate.
    void ResetOnEnding() override { Mms::MmsUserConnection::Reset(); }
    void LeaveServerOnEnding() override;
    void TellEnded(Mms::AssociationEnding kind, bool stood) override;
    // Wakes the association's thread, which completes it.
    void OnFiledAfterSend() override;
    System::ResultCode OnInitiateRequest(Mms::MmsFrame& frame) override;
    // The data set of a deletion the device confirmed leaves the model before its list is
    // deleted, so that no walk of the model meets a data set whose list is gone.
    System::ResultCode OnDeleteNamedVariableListResponse(
        Mms::RequestHandle& request, const Mms::MmsDeleteNamedVariableListResponse& response) override;

private:
    // No caller sends directly any more: one sending now finishes first.
    void CloseSends();
    // A thread's turn at the request operations (sendingMutex_: the association's thread
    // executing a service, a caller sending one directly). A service completed within it is
    // confirmed when the turn is over, with the lock let go (DeferWhileSending).
    class SendingTurn {
    public:
        explicit SendingTurn(TPAppAssociation& association);
        SendingTurn(TPAppAssociation& association, std::try_to_lock_t);
        ~SendingTurn();
        SendingTurn(const SendingTurn&) = delete;
        SendingTurn& operator=(const SendingTurn&) = delete;
        bool Owns() const { return lock_.owns_lock(); }

    private:
        friend class TPAppAssociation;
        TPAppAssociation& association_;
        std::unique_lock<std::mutex> lock_;
        SendingTurn* const outer_;
        std::vector<std::function<void()>> deferred_;
    };
    inline static thread_local SendingTurn* currentTurn_ = nullptr;
    bool HoldsSendingTurn() const;
    // The server's link to this association goes (under the model lock, as the exports
    // read it).
    void LeaveServer();
    // Completes every answered service waiting on the done queue.
    void CompleteAnswered();
    // Confirms with 8, through the ending's own confirmation, what no ending took: what
    // is still queued or pending, and what a send filed after the ending had passed.
    void ConfirmLeftOver();
    // The epoch moves on: what was posted before never runs.
    void EndEpoch();
    // The association of the generation that stalled ends (every queued service with
    // Timeout too), if it is still the current one.
    void EndStalledAssociation();
    // An attempt under way, given up: it ends as aborted. Its generation once its chain
    // has been reset (before that it finds itself abandoned and sends nothing).
    struct Attempt {
        bool underWay = false;
        std::optional<std::uint32_t> generation;
    };
    Attempt GiveUpAttempt();
    // Whether the calling thread runs a callback of another association and is none of
    // this association's threads: this association's threads may be held in a callback
    // that waits for it, so an ending started here waits for none of them.
    bool InCallbackOfAnother();
    // Every ending a caller starts (Abort, AbortGeneration, AbandonAssociate, End) goes
    // through here, which decides what it may wait for: on one of the association's own
    // threads or in any callback, not the peer; inside another association's callback,
    // no receive thread either (TcpConnection::NoReceiveWait), since this association's may
    // be held in a callback ending that other association in turn.
    bool EndFromCaller(std::uint32_t generation, Mms::AssociationEnding kind, AbortWait wait);
    // End's ending, joins and confirmations once the association refuses everything (on the
    // association's own threads it waits for none of them).
    void FinishEnd(const Attempt& attempt, bool ownThread);
    void TakeInReports();
    // One received report to its block (a command termination to OnCommandTermination), or
    // to OnReport as one no block takes.
    void DeliverReport(Mms::InformationReport& report);
    // Files the service without touching its epoch (it keeps the one it was sent in).
    System::ResultCode Enqueue(Service* service);
    // A service the association's thread took from its queue is done with.
    void Dequeued(Service* service);

    // One call into the client: the client taken under the client lock and counted as
    // called, the lock let go for the call itself (DetachClient waits for the count, or
    // leaves the last call out to tell the client it was let go of).
    class ClientCall {
    public:
        explicit ClientCall(TPAppAssociation& association);
        ~ClientCall();
        ClientCall(const ClientCall&) = delete;
        ClientCall& operator=(const ClientCall&) = delete;
        Iec61850::ClientApplication* Client() const { return client_; }

    private:
        TPAppAssociation& association_;
        Iec61850::ClientApplication* client_ = nullptr;
    };
    // The calls into the client that the calling thread itself has under way.
    std::uint32_t OwnClientCallsOnThisThread() const;
    // Tells the client that was let go of (lettingGo_) that it is, under the client lock.
    void TellClientLetGo();
    // Stops a debug build where the thread holds a lock that no client call may run under.
    void CheckNoLockForClientCall();

    // Marks the thread as calling back into the association's client for its scope: what
    // such a callback posts goes through the association's thread, and only a server of
    // that association must not be destroyed in it. Scopes nest (a callback may bring
    // another's), innermost first.
    struct CallbackScope {
        explicit CallbackScope(const TPAppAssociation& calling) : association(calling), outer(innermostCallback_) {
            innermostCallback_ = this;
        }
        ~CallbackScope() { innermostCallback_ = outer; }
        CallbackScope(const CallbackScope&) = delete;
        CallbackScope& operator=(const CallbackScope&) = delete;

        const TPAppAssociation& association;
        const CallbackScope* const outer;
    };
    inline static thread_local const CallbackScope* innermostCallback_ = nullptr;

    std::atomic<AssociationProfile*> profile_{nullptr};
    std::uint32_t userValue_ = 0;
    // Guards the client link and the count of calls into it; never held during a call.
    mutable std::mutex clientMutex_;
    std::condition_variable clientCallsEnded_;
    Iec61850::ClientApplication* client_ = nullptr;
    std::uint32_t clientCallsInFlight_ = 0;
    // A client let go of while calls into it were still under way, not yet told: the call
    // that brings the count to zero tells it.
    Iec61850::ClientApplication* lettingGo_ = nullptr;
    mutable std::mutex dataSetsMutex_;
    std::map<std::string, std::unique_ptr<DataSet>, std::less<>> dataSets_;
    System::MessageQueue requests_{RequestCapacity};
    std::atomic<std::uint64_t> epoch_{1};
    // Orders every post's look at the release state with its queuing.
    std::mutex postingMutex_;
    EnabledReportBlocks enabledReportBlocks_;
    TerminationHold terminationHold_;
    // Request operations of the MMS service user run one at a time: the association's
    // thread holds this while it executes a service, a caller while it sends one directly
    // (taken with try_lock only, so a caller never waits for the association's thread).
    std::mutex sendingMutex_;
    // Set (under sendingMutex_ where the thread may wait for it) when the chain goes: no
    // caller sends any more.
    std::atomic<bool> sendsClosed_{false};
    // End has been called: refuses Associate and every post.
    std::atomic<bool> ended_{false};
    // Services posted and not yet done with by the association's thread: while any is, a
    // caller's request is posted behind them, so that requests leave in the order posted.
    std::atomic<std::uint32_t> queuedOrExecuting_{0};
    std::atomic<bool> associating_{false};
    // The generation whose link was found stalled, until the next Associate.
    static constexpr std::int64_t NoGeneration = -1;
    std::atomic<std::int64_t> stalledGeneration_{NoGeneration};
    std::mutex entriesMutex_;
    std::condition_variable entriesChanged_;
    std::uint32_t entries_ = 0;
    // The attempt's beginning, end and abandon, so that an abandon never outlives its attempt.
    mutable std::mutex attemptMutex_;
    bool abandoned_ = false;
    // The attempt's generation, once its chain has been reset.
    std::optional<std::uint32_t> attemptGeneration_;
    std::function<void()> abandonHook_;
    std::function<void()> attemptHook_;
    mutable std::mutex outcomeMutex_;
    Mms::ServiceErrorRecord outcome_;
    Mms::InitiateParameters negotiated_;
};

template <typename Fn>
void TPAppAssociation::WithClient(Fn fn) {
    const ClientCall call(*this);
    if (Iec61850::ClientApplication* client = call.Client()) {
        const CallbackScope scope(*this);
        fn(*client);
    }
}

}  // namespace Iec61850::Acsi
