#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mms/machine/AnswerSpin.h"
#include "mms/machine/PendingRequests.h"
#include "mms/machine/ReadResultsTaker.h"
#include "mms/pdu/InitiateParameters.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/ServiceErrorRecord.h"
#include "mms/user/AssociationEnding.h"
#include "mms/user/OwnRequests.h"
#include "osi/TransportLink.h"
#include "protocol/Connection.h"
#include "system/MessageQueue.h"
#include "system/NameList.h"

namespace Mms {

class AccessResults;
class Domain;
class NameListPage;
class MmsConnection;
class MmsFrame;
class MmsObject;
class MmsUserLayer;
class ModelHold;
class NamedVariable;
class NamedVariableList;
class RequestHandle;
class VMD;
class Variable;

// The peer answered with a refusal (a confirmed-Error or a reject), not a failure of the
// association: what loaders take as an empty answer for the optional pieces of a model.
constexpr bool IsRefusal(System::ResultCode result) { return result == System::Error || result == System::Rejected; }
// A caller's collection of variables read or written by one request, in order.
using VariableCollection = std::list<Variable*>;
// Names collected by getNameList answers (and capabilities by getCapabilityList).
using NameCollection = System::NameList;

// What a synchronous wait collected besides the result.
struct RequestOutcome {
    std::int32_t answerKind = 0;  // MmsPduKind of the answer, MmsPduNone without one
    std::int32_t errorClass = 0;  // errorClass or rejectReason choice number
    std::int32_t errorCode = 0;
    System::ResultCode result = System::OkNoError;
};

// The MMS service user of one association: the top of the MMS layers, above the
// protocol machine (MmsConnection). The IEC 61850 association derives from it.
//
// Client face. Each request operation enters a request object in the pending table,
// has the machine send the PDU and returns at once. When the answer comes (on the
// receive thread) the request is taken off the table by its invoke id, the answer is
// applied to the request's target, its outcome stored in the request and the request
// filed.
//
// Filing, the one rule: a request goes to whoever collects it (RequestHandle::Collector).
// A request the service user made for itself (the operations without a request
// argument) is held for the synchronous wait of the thread that made it, which finds it
// by the request itself; held and no longer wanted by any thread, it is deleted
// (OwnRequests). Every other request (an ACSI service, any caller's) goes to the done
// queue, where its maker takes it (TakeDoneRequest).
//
// Every entered request is filed exactly once: by its answer, or with Aborted when the
// association is aborted, reset or closed first. It is filed only once no thread is
// sending it any more (see RequestHandle): what completes it never meets its send. An
// answer that carries another service than the request it names is filed with
// InvalidResponse. An answer that names no pending request is dropped at once.
//
// Ownership of a caller's request: when a request operation returns OkNoError it is
// pending and will be filed; when it returns anything else it was neither kept nor
// filed and remains the caller's (it is never deleted here).
//
// Server face. Confirmed requests from the peer are answered from the VMD bound to the
// connection; information reports are filed into that VMD's report queue. Once it has
// taken the peer's conclude on the association that stands, it executes and answers no
// confirmed request that arrives behind it (they are dropped, OnConfirmedRequest is not
// called) until the next initiate.
//
// Threads: request operations and waits may run on any thread, each wait collecting
// what its own thread asked; indications arrive on the receive thread. They share the
// pending table, the done queue, the own requests and the association-specific objects,
// which a deletion answer takes out on the receive thread: those maps have a lock of
// their own; the VMD's and its domains' maps are guarded by the VMD's model lock (see
// VMD).
class MmsUserConnection : public Protocol::Connection, public ReadResultsTaker {
public:
    enum State : Protocol::ConnectionState {
        StateIdle = 0,
        StateInitiating = 1,
        StateAssociated = 2,
    };
    static constexpr std::uint32_t CompletionQueueCapacity = 65535;

    explicit MmsUserConnection(MmsUserLayer* layer);
    ~MmsUserConnection() override;

    // ---- Connection ----

    // The machine's events (MmsConnection::UserEvent): the received PDU's MMSpdu choice,
    // the local or the peer's abort, an undecodable answer. Any other event:
    // NotSupported, nothing done.
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override;
    // Closes the MMS connection below, then this one (Reset): OkNoError.
    System::ResultCode Close() override;
    // Finds the MMS connection below, files every pending request with Aborted, then
    // the base reset (StateIdle).
    System::ResultCode Reset() override;

    // ---- objects ----

    void SetVmd(VMD* vmd) { vmd_.store(vmd); }
    VMD* GetVmd() const { return vmd_.load(); }
    MmsConnection* GetMmsConnection();

    // Association-specific objects: a named variable or named variable list under its
    // name: OkNoError, Error when the name is taken (nothing changes), InvalidContext for
    // any other class.
    virtual System::ResultCode AddObject(MmsObject* object);
    // Takes the object's name out of its map when it is this object: OkNoError, Error
    // when it is not there, InvalidContext for any other class. The object is not
    // deleted.
    virtual System::ResultCode RemoveObject(MmsObject* object);
    NamedVariable* FindNamedVariable(std::string_view name) const;
    NamedVariableList* FindNamedVariableList(std::string_view name) const;

    // ---- client: association ----

    // StateIdle (else InvalidState): the machine's initiate exchange; StateAssociated on
    // success (the pending table then holds as many requests as the peer allows
    // outstanding, at least one); a failure closes the connection. The outcome takes
    // the error of an initiate-Error and, on any failure of the exchange, the refusal
    // of whichever layer the peer refused at (see MmsConnection::Initiate).
    System::ResultCode Initiate(const InitiateParameters& requested, InitiateParameters& negotiated,
                                ServiceErrorRecord& outcome);
    // Sends conclude-Request with the caller's request pending; its answer (conclude-
    // Response) ends the association (EndAssociation(Release)) and files that request with
    // OkNoError. StateAssociated, else NotConnected.
    // It goes once every request outstanding has been answered (or filed) and no send of
    // one is under way, waiting for that on the caller's thread: Timeout, nothing sent,
    // when one stays unanswered for the time-out. From the call on, every request
    // operation of the association, on any thread, gives Aborted and sends nothing (see
    // PendingRequests::Put) until the caller says the release is over (ReleaseOver). A
    // conclude-Error or a reject of it files the request with Rejected, the peer's class
    // and code kept; the association stands.
    System::ResultCode Conclude(RequestHandle* request);
    // The association's release state (ReleaseState), kept in the pending table: whether a
    // request may be posted now (no release of its association under way), the post of a
    // release (false, nothing marked, when one is under way), and the end of a release,
    // however it ended, said once by its owner in the step that completes it.
    bool MayPost(const RequestHandle& request) const { return pendingRequests_.MayPost(request); }
    bool PostRelease(const RequestHandle& release) { return pendingRequests_.PostRelease(release); }
    void ReleaseOver(const RequestHandle& release) { pendingRequests_.ReleaseOver(release); }
    // Lets go of the calling thread's current request without waiting for it (it is filed
    // by its answer or, at the latest, with Aborted by the reset), has the machine conclude
    // and wait for the answer; the machine's ending resets this side (EventEnded): the
    // machine's result.
    System::ResultCode ConcludeAndWait(ServiceErrorRecord& outcome);
    // The local abort of the association that stands or is being made
    // (EndAssociation(LocalAbort)): OkNoError; NotConnected, nothing sent or told, when
    // nothing stands. The wait as MmsConnection::AbortWait.
    System::ResultCode Abort(AbortWait wait = AbortWait::ForPeer);
    // The one step every ending of an association goes through. It returns false at once,
    // doing and telling nothing, unless it claims the generation (still current, nothing
    // else ending it, see MmsConnection::EndingClaim). Then, in this order, each step as the
    // kind's row of EndingTable says:
    //   under the claim: the generation ends (no request of it leaves any more) and what
    //   waits to be sent for it never will (OnEndingClaimed); the abort unit goes out on the
    //   association's link; that link is closed and the machine reset; every pending and
    //   queued request is taken into the ending's own list (TakeQueuedOnEnding); the
    //   association stops standing (ResetOnEnding) and leaves its server
    //   (LeaveServerOnEnding). None of these calls a client;
    //   the claim is let go: a new association may begin now, and nothing of it is in the
    //   list;
    //   the list is confirmed, once (ConfirmQueuedOnEnding), and the user told, once
    //   (TellEnded), outside every lock of the association.
    // The wait is the abort's (see AbortWait); a thread the receive thread may be waiting
    // for passes None.
    bool EndAssociation(std::uint32_t generation, AssociationEnding kind, AbortWait wait);

    // ---- client: requests (OkNoError: pending; see the class comment for failures) ----

    // The VMD image receives vendor, model, revision and the abstract syntaxes; it counts
    // the request as awaited until its outcome (VMD::AwaitsIdentity).
    System::ResultCode Identify(VMD* target);
    // Files the Identify requests still pending for the VMD with Timeout, as their time-out
    // would: nothing is then left waiting on a device that never answers them (which would
    // end the association as stalled), and a late answer finds no request and is dropped.
    // The number filed.
    std::size_t GiveUpIdentify(VMD* target);
    // The VMD image receives the logical and physical status and the local detail.
    System::ResultCode Status(VMD* target, bool extendedDerivation);
    // objectClassForm MmsObjectClassBasic only (objectClass an MmsBasicObjectClass);
    // scope an MmsObjectScopeChoice: MmsObjectScopeVmd, MmsObjectScopeDomain (with the
    // domain name), MmsObjectScopeAa. The request's target is the caller's
    // NameCollection, set before the call.
    System::ResultCode GetNameList(RequestHandle* request, std::int32_t objectClassForm, std::int32_t objectClass,
                                   std::int32_t scope, const std::optional<std::string>& continueAfter);
    System::ResultCode GetNameListInDomain(RequestHandle* request, std::int32_t objectClassForm,
                                           std::int32_t objectClass, std::int32_t scope, std::string_view domainName,
                                           const std::optional<std::string>& continueAfter);
    // Every name, page after page, into names; the outcome is collected by
    // WaitForCurrentRequest (the call itself returns OkNoError once the last page is in,
    // or the failure of a request that could not be sent, or Timeout when a page did
    // not come).
    System::ResultCode GetAllNames(std::int32_t objectClassForm, std::int32_t objectClass, std::int32_t scope,
                                   NameCollection& names);
    System::ResultCode GetAllNamesInDomain(std::int32_t objectClassForm, std::int32_t objectClass, std::int32_t scope,
                                           std::string_view domainName, NameCollection& names);
    // The capabilities are appended to the collection.
    System::ResultCode GetCapabilityList(RequestHandle* request, NameCollection* capabilities,
                                         const std::optional<std::string>& continueAfter);
    System::ResultCode GetDomainAttributes(Domain* domain);
    // Variables must be named variables (else NotSupported); the answer rebuilds the
    // type.
    System::ResultCode RequestVariableAccessAttributes(Variable* variable);
    System::ResultCode GetVariableAccessAttributes(RequestHandle* request, Variable* variable);
    System::ResultCode RequestNamedVariableListAttributes(NamedVariableList* list);
    System::ResultCode GetNamedVariableListAttributes(RequestHandle* request, NamedVariableList* list);
    System::ResultCode ReadVariableValue(Variable* variable);
    System::ResultCode ReadVariable(RequestHandle* request, Variable* variable);
    System::ResultCode ReadNamedVariableListValues(NamedVariableList* list);
    System::ResultCode ReadNamedVariableList(RequestHandle* request, NamedVariableList* list);
    // One read of every collected variable (each a named variable, else NotSupported); an
    // empty
    // collection sends an empty list.
    System::ResultCode ReadVariables(RequestHandle* request, VariableCollection* variables);
    System::ResultCode WriteVariableValue(Variable* variable);
    // One write of every collected variable (an empty collection or one that is not a
    // named variable: InvalidArguments); the answer carries one result per variable.
    System::ResultCode WriteVariables(RequestHandle* request, VariableCollection* variables);
    System::ResultCode WriteNamedVariableListValues(NamedVariableList* list);
    System::ResultCode WriteNamedVariableList(RequestHandle* request, NamedVariableList* list);
    // A write of the list whose data are the values of `values`, one per member in member
    // order (InvalidArguments otherwise): values kept apart from the members', which the
    // answer leaves alone; it marks `values` instead, one result each.
    System::ResultCode WriteNamedVariableList(RequestHandle* request, NamedVariableList* list,
                                              VariableCollection* values);
    System::ResultCode DefineNamedVariableListObject(NamedVariableList* list);
    System::ResultCode DefineNamedVariableList(RequestHandle* request, NamedVariableList* list);
    // A successful answer (one matched, one deleted) takes the list out of its owner's
    // map and deletes it; the request's target is then cleared.
    System::ResultCode DeleteNamedVariableListObject(NamedVariableList* list);
    System::ResultCode DeleteNamedVariableList(RequestHandle* request, NamedVariableList* list);

    // ---- client: synchronous forms ----

    System::ResultCode ReadVariableValueAndWait(Variable* variable);
    System::ResultCode WriteVariableValueAndWait(Variable* variable);
    System::ResultCode DefineNamedVariableListAndWait(NamedVariableList* list);
    System::ResultCode DeleteNamedVariableListAndWait(NamedVariableList* list);
    // Waits up to the time-out for the outcome of an own request: its result, the request
    // then deleted; Timeout when it did not come (it then stays held until it is filed). A
    // request that is not held (collected before, not an own request) and null give
    // OkNoError.
    System::ResultCode WaitForRequest(RequestHandle* request);
    // The same for the calling thread's current request (its latest own one, see
    // OwnRequests), which it has no more afterwards, whatever the outcome.
    System::ResultCode WaitForCurrentRequest();
    System::ResultCode WaitForCurrentRequestWithError(RequestOutcome& details);

    // ---- supporting ----

    // Whether the peer announced the service (Mms::MmsService numbers) in its initiate
    // answer; false without an MMS connection.
    bool PeerOffers(std::int32_t service);
    // Files every request still unanswered ageMs after it was sent, or after the answer to
    // a request sent before it when that came later (see PendingRequests), with Timeout (the
    // conclude excepted): its answer, should it come, then finds no request and is dropped.
    // The number filed.
    std::size_t FileOverdueRequests(std::uint32_t ageMs);
    // A stalled link: the oldest pending request was sent more than ageMs ago and nothing at
    // all has been received for as long. Then OnLinkStalled is called and, unless the owner
    // ends the association for it (whose ending confirms them), every pending request, the
    // conclude included, is filed with Timeout at once (no answer is coming for any of
    // them); true. False, and nothing filed, otherwise.
    bool FileStalledRequests(std::uint32_t ageMs);
    // A conclude sent more than ageMs ago is still unanswered (FileOverdueRequests leaves
    // it: only an abort ends such an association).
    bool IsConcludeOverdue(std::uint32_t ageMs) const;
    // Requests of a group withdrawn meanwhile (RequestHandle::IsWithdrawn) that wait for
    // room to be sent give up at once, unsent.
    void WakeWithdrawnSenders() { pendingRequests_.WakeWaiters(); }
    // The calling thread's current request (for tests).
    RequestHandle* GetCurrentRequest() const { return ownRequests_.Current(); }
    // Own requests held, answered or not, that no wait has collected (for tests).
    std::size_t GetHeldOwnCount() const { return ownRequests_.GetCount(); }
    // Requests sent and not yet answered (for tests).
    std::uint32_t GetPendingCount() const { return pendingRequests_.GetCount(); }
    // Confirmed requests sent (entered as pending) since this connection was made (for tests).
    std::uint64_t GetSentCount() const { return pendingRequests_.GetEnteredCount(); }
    // When the peer last answered a request other than the conclude (a response, an error or
    // a reject that found its request pending), on any association of this connection: false
    // before any. Reports and the conclude's answer do not count: a peer that sends them
    // has not answered what was asked of it.
    bool LastAnswered(std::chrono::steady_clock::time_point& when) const;
    // The conclude has been sent and not yet answered: nothing else is outstanding.
    bool IsConcludePending() const {
        std::chrono::steady_clock::time_point since;
        return pendingRequests_.ConcludeEntered(since);
    }
    // Whether a request would be entered at once, without waiting for the peer to answer
    // one of those outstanding.
    bool HasRoomForRequest() const { return pendingRequests_.GetCount() < pendingRequests_.GetCapacity(); }
    // The answered request with this invoke id from the done queue, waiting up to
    // timeoutMs (0: not at all); null when none came.
    RequestHandle* TakeDoneRequest(std::uint32_t invokeId, std::uint32_t timeoutMs);
    // The oldest answered request from the done queue, without waiting; null when empty.
    RequestHandle* TakeDoneRequest();

    // "item" / "domain/item" for vmd- / domain-specific names; NotSupported for any
    // other.
    static System::ResultCode ObjectNameToText(const MmsObjectName& name, std::string& text);
    // The inverse, into an empty name: Error for text with more than one "/".
    static System::ResultCode TextToObjectName(std::string_view text, MmsObjectName& name);

    // ---- server: information reports to the peer (StateAssociated, else NotConnected) ----

    // A report on the vmd-specific list name (IEC 61850 reports use "RPT"); the
    // access results are taken over.
    System::ResultCode SendListReport(std::string_view listName, MmsAccessResultList& results);
    // A report that names each variable and carries its present value, in order (a
    // command termination); InvalidArguments for an empty list or a variable without a
    // name, the conversion's failure for a value that cannot be sent. The caller holds
    // the VMD's model lock when the values may change meanwhile.
    System::ResultCode SendVariablesReport(const std::vector<const NamedVariable*>& variables);

protected:
    // What only the service user itself and the association that derives from it call:
    // the handlers of received PDUs and answers, and the pending table.

    // A new request on the MMS connection (next invoke id); null when memory runs out or
    // there is no MMS connection.
    RequestHandle* NewRequest();
    // Takes the request that a received answer names off the pending table, without
    // waiting: by invoke id for confirmed responses and errors, by originalInvokeID (else
    // the oldest) for rejects, the conclude request for conclude answers. Timeout when
    // there is none. The request records the answer's MMSpdu choice; expectedService receives
    // the service it was sent for (PendingRequests::ConcludeService for a conclude).
    System::ResultCode TakePendingRequest(const MmsFrame& frame, RequestHandle*& request,
                                          std::int32_t* expectedService = nullptr);

    // ---- server handlers: fill the response (OkNoError) or leave a reject code (any
    // other result): an MmsRejectCode, or a packed error (MmsPackError) ----

    // The answer's names are lent from the page, which outlives the answer's sending.
    virtual System::ResultCode OnGetNameListRequest(const MmsGetNameListRequest& request, NameListPage& page,
                                                    MmsConfirmedServiceResponse& response, std::int32_t& rejectCode);
    virtual System::ResultCode OnGetDomainAttributesRequest(const Asn1OctetString& domainName,
                                                            MmsConfirmedServiceResponse& response,
                                                            std::int32_t& rejectCode);
    virtual System::ResultCode OnGetVariableAccessAttributesRequest(
        const MmsGetVariableAccessAttributesRequest& request, MmsConfirmedServiceResponse& response,
        std::int32_t& rejectCode);
    virtual System::ResultCode OnGetNamedVariableListAttributesRequest(const MmsObjectName& listName,
                                                                       MmsConfirmedServiceResponse& response,
                                                                       std::int32_t& rejectCode);
    virtual System::ResultCode OnReadRequest(const MmsReadRequest& request, MmsConfirmedServiceResponse& response,
                                             std::int32_t& rejectCode);
    virtual System::ResultCode OnWriteRequest(const MmsWriteRequest& request, MmsConfirmedServiceResponse& response,
                                              std::int32_t& rejectCode);
    virtual System::ResultCode OnDefineNamedVariableListRequest(const MmsDefineNamedVariableListRequest& request,
                                                                MmsConfirmedServiceResponse& response,
                                                                std::int32_t& rejectCode);
    virtual System::ResultCode OnDeleteNamedVariableListRequest(const MmsDeleteNamedVariableListRequest& request,
                                                                MmsConfirmedServiceResponse& response,
                                                                std::int32_t& rejectCode);

    // ---- confirmation handlers: apply the answer to the request's target and return
    // the outcome that becomes the request's result; those that change the model's
    // objects (values, types, members) are called under the model lock ----

    virtual System::ResultCode OnGetNameListResponse(RequestHandle& request, const MmsGetNameListResponse& response);
    virtual System::ResultCode OnGetDomainAttributesResponse(RequestHandle& request,
                                                             const MmsGetDomainAttributesResponse& response);
    virtual System::ResultCode OnGetVariableAccessAttributesResponse(
        const ModelHold& hold, RequestHandle& request, const MmsGetVariableAccessAttributesResponse& response);
    virtual System::ResultCode OnGetNamedVariableListAttributesResponse(
        const ModelHold& hold, RequestHandle& request, const MmsGetNamedVariableListAttributesResponse& response);
    virtual System::ResultCode OnDefineNamedVariableListResponse(RequestHandle& request);
    virtual System::ResultCode OnDeleteNamedVariableListResponse(RequestHandle& request,
                                                                 const MmsDeleteNamedVariableListResponse& response);
    // A read answer decoded whole. One whose frame keeps its results as received octets
    // (MmsFrame::KeepsReadResults) goes to ApplyReadResults instead, with the same outcome.
    virtual System::ResultCode OnReadResponse(const ModelHold& hold, RequestHandle& request,
                                              const MmsReadResponse& response);
    virtual System::ResultCode OnWriteResponse(const ModelHold& hold, RequestHandle& request,
                                               const MmsWriteResponse& response);
    // Files the report into the VMD's report queue by its variable access spec.
    virtual System::ResultCode OnInformationReport(const MmsInformationReport& report);

    // ---- PDU handlers (frames are decoded MMS frames, valid during the call) ----

    virtual System::ResultCode OnConfirmedRequest(MmsFrame& frame);
    virtual System::ResultCode OnConfirmedResponse(MmsFrame& frame);
    virtual System::ResultCode OnConfirmedError(MmsFrame& frame);
    virtual System::ResultCode OnUnconfirmed(MmsFrame& frame);
    virtual System::ResultCode OnReject(MmsFrame& frame);
    // An answer that could not be decoded; the frame holds the reject sent for it. The
    // request it names is filed with InvalidResponse, the reject reason as its error and
    // the answer's MMSpdu choice (MmsPduConfirmedResponse or MmsPduConfirmedError) as
    // its kind of answer.
    virtual System::ResultCode OnUndecodableAnswer(MmsFrame& frame);
    virtual System::ResultCode OnCancelRequest(MmsFrame& frame);
    virtual System::ResultCode OnCancelResponse(MmsFrame& frame);
    virtual System::ResultCode OnCancelError(MmsFrame& frame);
    // Server: answers the peer's proposal (always accepted) and enters StateAssociated.
    virtual System::ResultCode OnInitiateRequest(MmsFrame& frame);
    virtual System::ResultCode OnInitiateResponse(MmsFrame& frame);
    virtual System::ResultCode OnInitiateError(MmsFrame& frame);
    // Server: conclude-Response in StateAssociated, conclude-Error otherwise.
    virtual System::ResultCode OnConcludeRequest(MmsFrame& frame);
    // Server: refuses the peer's conclude with conclude-Error of this code (of the conclude
    // class unless another is named); the association stands, so what the peer asks after
    // it is served again.
    System::ResultCode RefuseConclude(std::int32_t code, std::int32_t errorClass = MmsErrorClassConclude);
    // Server: a confirmed request that came behind the peer's conclude, refused unexecuted
    // with confirmed-Error service / primitives-out-of-sequence.
    System::ResultCode RefuseBehindConclude(MmsFrame& frame);
    // Ends the association of the pending conclude request (EndAssociation(Release), on
    // the receive thread, before anything read after the answer), then files that request:
    // OkNoError, or Aborted when another ending had claimed the association. OkNoError.
    // Without one (the machine's own conclude exchange is waiting): NotImplemented, so that
    // the machine hands the answer to it.
    virtual System::ResultCode OnConcludeResponse(MmsFrame& frame);
    virtual System::ResultCode OnConcludeError(MmsFrame& frame);
    // The machine's own abort (MmsConnection::Abort) ended the association: nothing more
    // to do (its ending reset this side under its claim, EventEnded): OkNoError.
    virtual System::ResultCode OnAbortRequested(Protocol::Frame* frame);

    // ---- the ending's steps of an owner (see EndAssociation) ----

    // Right after the claim of the generation, before anything goes out: what waits to be
    // sent for the association never will. Under the claim.
    virtual void OnEndingClaimed(AssociationEnding, std::uint32_t /*generation*/) {}
    // Moves what waits to be sent for the association into the ending's list. Under the claim.
    virtual void TakeQueuedOnEnding(std::vector<RequestHandle*>& /*queued*/) {}
    // No longer associated (the pending requests are taken already): Reset by default.
    // Under the claim.
    virtual void ResetOnEnding() { Reset(); }
    // The server's link to the association goes. Under the claim.
    virtual void LeaveServerOnEnding() {}
    // Confirms what TakeQueuedOnEnding took, and what the ending filed, with the result.
    // After the claim.
    virtual void ConfirmQueuedOnEnding(std::vector<RequestHandle*>& /*queued*/, System::ResultCode) {}
    // The association's end, told once; stood: it had stood (not only been under way).
    // After the claim.
    virtual void TellEnded(AssociationEnding, bool /*stood*/) {}

    // The services that this side answers, as ServiceSupportOptions bit numbers.
    static const std::uint8_t* ServedServiceFlags();

    // The services announced in the initiate answer (ServedServiceFlags by default); a
    // server that leaves some out overrides it.
    virtual void ChooseAnnouncedServices(std::uint8_t (&flags)[InitiateParameters::ServiceFlagCount]);
    // Files an answered (or ended) request of the service (its confirmed service number)
    // to its collector (see the class comment). A request that a thread is still sending
    // is left to its sender, which files it once its send is over.
    void FileAnswered(RequestHandle* request, std::int32_t service);
    // Files every pending request with the result.
    void FileAllPending(System::ResultCode result);
    // FileStalledRequests found the link stalled: true when the owner ends the association
    // for it (its ending confirms what is pending with Timeout); false (the base) has every
    // pending request filed with Timeout at once. It may be called on any thread that sends.
    virtual bool OnLinkStalled() { return false; }
    // A request answered or ended while it was being sent has just been filed by its
    // sender, which may be a thread that never collects what is filed: the owner sees that
    // it is completed (the base does nothing). Called on the sending thread; the request
    // must not be touched here.
    virtual void OnFiledAfterSend() {}

private:
    // Enters the request as pending and sends it through send(request), marked as being
    // sent meanwhile (see RequestHandle). OkNoError: pending, or filed (answered or ended)
    // already; either way no longer the caller's to touch. Otherwise the failure, and the
    // request neither kept nor filed.
    template <typename Send>
    System::ResultCode SendPending(RequestHandle* request, std::int32_t service, Send send);
    // Enters the request (an own one as the calling thread's current) and sends it through
    // send(request); on a failure the request is taken back, the caller's again.
    template <typename Send>
    System::ResultCode Submit(RequestHandle* request, std::int32_t service, void* target, std::int32_t kind, Send send);
    // Makes an own request and hands it to submit(request), which submits it; deleted
    // when that failed (it was neither kept nor filed).
    template <typename SubmitFn>
    System::ResultCode SubmitOwn(SubmitFn submit);
    // Waits for the own request: Taken (the request then the caller's, to delete),
    // NotHeld or NotAnswered.
    OwnRequests::Collected CollectOwn(RequestHandle* request);
    System::ResultCode RequireAssociated();
    // Enters the request in the pending table, filing what is overdue (or, on a stalled
    // link, everything) when that is what keeps it full: OkNoError or Timeout.
    System::ResultCode PutPending(RequestHandle* request, std::int32_t service, PendingRequests::SendTicket& ticket);
    // Takes a request back off the pending table after a failure: true when it was
    // still there (then the failure stands), false when an answer or an abort has
    // filed it meanwhile (then the request operation has succeeded after all).
    bool WithdrawRequest(RequestHandle* request);
    // Collects the pages of a name list until the last one; before: the names held
    // when the first page was asked for.
    System::ResultCode WaitForNames(RequestHandle* request, std::int32_t objectClass, std::int32_t scope,
                                    std::string_view domainName, NameCollection& names, std::size_t before);
    System::ResultCode SendServerAnswer(MmsFrame& request, MmsFrame& response, System::ResultCode outcome,
                                        std::int32_t rejectCode);
    // An answer of a service that leaves the model alone, and one that changes it.
    System::ResultCode ApplyConfirmedResponse(RequestHandle& request, std::int32_t expectedService,
                                              const MmsFrame& frame);
    System::ResultCode ApplyModelAnswer(const ModelHold& hold, RequestHandle& request, std::int32_t expectedService,
                                        const MmsFrame& frame);
    // A read answer's results, decoded or as received, applied to the request's target.
    System::ResultCode ApplyReadResults(const ModelHold& hold, RequestHandle& request, const MmsReadResponse& response,
                                        AccessResults& results);

    std::atomic<VMD*> vmd_{nullptr};
    // Guards the two maps of association-specific objects.
    mutable std::mutex objectsMutex_;
    std::map<std::string, NamedVariableList*, std::less<>> namedVariableLists_;
    std::map<std::string, NamedVariable*, std::less<>> namedVariables_;
    std::atomic<MmsConnection*> mmsConnection_{nullptr};
    PendingRequests pendingRequests_{1};
    System::MessageQueue doneRequests_{CompletionQueueCapacity};
    OwnRequests ownRequests_;
    AnswerSpin answerSpin_;
    // When the last PDU of any kind arrived, and the last answer to a request other than the
    // conclude (steady clock ticks; 0: none yet).
    std::atomic<std::int64_t> lastReceived_{0};
    std::atomic<std::int64_t> lastAnswered_{0};
    // Server: the peer's conclude has been taken on the association that stands; its
    // confirmed requests after it are refused unexecuted until the next initiate.
    std::atomic<bool> concludeTaken_{false};
};

// The outcome of a request whose refusal is taken as an empty answer: the send's failure,
// else the wait's, a refusal counting as success.
System::ResultCode OptionalAnswer(MmsUserConnection& connection, System::ResultCode sent);

}  // namespace Mms
