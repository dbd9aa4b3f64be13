#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>

#include "iec61850/acsi/client/DeviceRefusal.h"
#include "iec61850/acsi/client/RequestOptions.h"
#include "mms/machine/RequestHandle.h"
#include "system/ResultCode.h"

namespace Iec61850 {
class ClientApplication;
}

namespace Iec61850::Acsi {

class NamedObject;
class Server;
class TPAppAssociation;

// One ACSI request: an MMS request handle (its id is the invoke id) that the client
// interface makes and posts to its association. The association's thread calls execute,
// which resolves the references in the server's model and either hands the service to
// the MMS service user or completes it at once; the association calls complete when the
// answer is in (or when the service ends without one: an abort, a release, the end of the
// association). complete works out the ACSI service error, calls the client's callback,
// wakes a waiter and deletes the service: every service is completed exactly once.
//
// execute must not touch the service once the MMS service user has taken it: from then
// on any thread may complete (and so delete) it. The service user never files it while a
// thread still sends it, whichever thread that is (see Mms::RequestHandle), so no answer,
// abort or stall frees a service under its own send.
//
// A service whose request is one lookup and one send may also be sent straight from the
// caller's thread (SendDirect, see TPAppAssociation::SubmitRequest): a request then crosses
// two threads (the caller's and the receive thread) instead of three, and takes the model
// lock once, on the caller's thread.
class Service : public Mms::RequestHandle {
public:
    enum State : std::uint32_t { Constructed = 0, Executing = 1, Completed = 4, Ending = 6 };
    // What SendDirect did.
    enum class Direct {
        // Nothing: the association's thread executes the service as usual (also for
        // everything that would complete it without a send, so that such callbacks keep
        // their thread).
        NotSent,
        // Handed to the MMS service user: the caller no longer touches it.
        Sent,
        // The send failed; the service is still the caller's, with the failure as its
        // result, and the association's thread completes it with that result.
        SendFailed,
    };
    static constexpr std::int32_t NoServiceError = -1;

    // Takes its invoke id from the association's MMS connection.
    Service(TPAppAssociation& association, AnswerFrom answerFrom);
    // A service that never completed (deleted by someone else) wakes a waiter once.
    ~Service() override;

    virtual void execute();
    // On the caller's thread, with no lock of the caller's held and nothing posted before
    // it still unexecuted: resolves the request under one hold of the model lock and sends
    // it. Never completes the service. Base: NotSent.
    virtual Direct SendDirect() { return Direct::NotSent; }
    // The send of SendDirect failed: the association's thread completes it with its result.
    bool SendFailed() const { return sendFailed_; }
    // Base: signal, state Completed, delete.
    virtual void complete();
    // Ends the association when it goes (a release): nothing posted after it is taken.
    virtual bool EndsTheAssociation() const { return false; }
    virtual void completeSilently();
    // The service error from the answer (set once, then kept).
    virtual std::int32_t ResultFromServiceError();
    // The service error from a variable's access status (256 + DataAccessError when the
    // device refused it; below 256 the service error stays as it is).
    virtual std::int32_t ResultFromAccessError(std::int32_t status);
    // How the device refused it; nothing refused for a request answered, or without an answer.
    DeviceRefusal Refusal() const;
    // The device's refusal of what it asked for, in the device's words ("the device refused
    // its list of variables: access ..."; without what: "the device refused, access ...");
    // empty for a request the device did not refuse.
    std::string DeviceRefusalText(std::string_view what = {}) const;
    // The device answered it with a confirmed response (not an error, a reject or nothing).
    bool HasConfirmedAnswer() const;

    std::uint32_t GetState() const { return state_.load(); }
    // Answered from the model (AnswerFrom::Model): nothing was sent to the device.
    bool IsLocal() const { return local_; }
    // Confirmed unanswered because its association ended: an abort, a request that found
    // the association gone, or one that timed out on a link found stalled (which the
    // association ends every request for and aborts). Nobody refused it; the end of the
    // association is told on its own.
    bool EndedWithTheAssociation() const;
    // Taken back by its maker before it was executed or sent (see
    // ClientApplication::WithdrawRequests): nobody refused it, and the device never saw it.
    bool Withdrawn() const { return GetResult() == System::Cancelled; }
    std::int32_t GetServiceError() const { return serviceError_; }
    void SetServiceError(std::int32_t error) { serviceError_ = error; }
    TPAppAssociation& GetAssociation() const { return association_; }
    // The association's server (null without a profile).
    Server* GetServer() const;

    // The association's epoch when the service was posted: a service from before an
    // abort or a release never runs.
    std::uint64_t GetEpoch() const { return epoch_; }
    void SetEpoch(std::uint64_t epoch) { epoch_ = epoch; }
    // Taken by its association in the epoch (queued or sent directly): the association's end
    // is told only once this service is confirmed (see EndingNews). The first taking counts;
    // false for a later one.
    bool NoteTaken(std::uint64_t epoch);

    // Result r and complete.
    void CompleteWith(System::ResultCode result);
    // Result InvalidArguments, service error 1 (instance-not-available), complete.
    void CompleteNotFound();
    // What an MMS request operation gave: 0 leaves the service with the service user;
    // anything else completes it with that result.
    void Handed(System::ResultCode requestResult);

protected:
    // The result of a send that failed: Aborted when the association the service was made
    // for has ended since (whatever the send met first), else the failure.
    System::ResultCode SendFailure(System::ResultCode requestResult) const;
    // SendDirect's outcome for what the MMS request operation gave. After Sent the service
    // must not be touched.
    Direct SentDirect(System::ResultCode requestResult);
    // SendDirect's preamble: state Executing (the service is being sent).
    void BeginDirect() { state_.store(Executing); }
    // How long SendDirect waits for the model lock. The caller holds its client's link to
    // the association meanwhile, which a holder of the lock may want: it waits only a moment
    // and otherwise leaves the service to the association's thread, which waits as long as
    // it takes.
    static constexpr std::uint32_t DirectHoldWaitMs = 1;
    // Whether SendDirect may take the model lock at all: not on a thread that holds it.
    static bool MayHoldModel(const Server& server);
    // A service made for an indication (a report), which takes no invoke id.
    struct Indication {};
    Service(TPAppAssociation& association, Indication);

    // Calls the callback on the association's client (when there is one), then ends the
    // service as the base complete does.
    using ClientCall = void (*)(ClientApplication& client, Service& service);
    void Confirm(ClientCall call);
    void ConfirmNow(ClientCall call);
    // Once its confirmation has been told (or there was no client to tell), on the thread
    // that told it, outside every lock, before the service ends. Base: nothing.
    virtual void Told() {}
    // Finds the objects a reference without an array index names under the constraint:
    // gives the server, or null once the service has been completed (an indexed reference,
    // no server, a failed lookup, nothing found), after which the service is not touched.
    Server* FindReferenced(std::string_view fc, std::string_view reference, std::list<NamedObject*>& found);
    // Signal, state Completed, delete (unless ending); within a turn at the request
    // operations, once the turn is over.
    void Finish();
    void FinishNow();
    // The service error of a hardware-fault in an answer of this service.
    virtual std::int32_t HardwareFaultError() const { return 3; }

private:
    TPAppAssociation& association_;
    std::atomic<std::uint32_t> state_{Constructed};
    bool local_ = false;
    std::int32_t serviceError_ = NoServiceError;
    std::uint64_t epoch_ = 0;
    // The epoch its association took it in, until it is confirmed.
    std::optional<std::uint64_t> takenIn_;
    bool sendFailed_ = false;
};

}  // namespace Iec61850::Acsi
