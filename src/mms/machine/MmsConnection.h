#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "mms/machine/ExchangeMailbox.h"
#include "mms/machine/InvokeCounter.h"
#include "mms/machine/MmsFrame.h"
#include "mms/pdu/InitiateParameters.h"
#include "mms/pdu/MmsPdu.h"
#include "mms/pdu/ServiceErrorRecord.h"
#include "osi/TransportLink.h"
#include "protocol/Connection.h"

class AcseConnection;
class CoppConnection;
class PresentationContext;

namespace Mms {

class MmsLayer;
class RequestHandle;

// The MMS protocol machine of one association, between the ACSE connection (and its
// presentation connection) below and the MMS service user above. It builds and sends
// every MMS PDU, runs the initiate and conclude exchanges (the only answers it waits
// for), hands every other received PDU up with its MMSpdu choice number as the event,
// and keeps what the initiate exchange settled. Matching answers to requests is the
// service user's work.
//
// Threads: requests and the initiate/conclude exchanges run on the caller's thread;
// received PDUs and aborts arrive on the receive thread and meet the waiting exchange
// only through the connection's message queue.
//
// Everything an association sends or does to its link stays on that link. Each
// association is bound to the transport link its initiate was carried on (sent, or
// answered on the responding side). A request leaves tagged with the link of its invoke
// generation; an answer, a report, the conclude and the abort with the link of the
// association that stands. The TCP connection refuses a unit of another link under the
// lock that takes in a new socket (osi/TransportLink.h), so a sender held anywhere on the
// way down across an abort and a new association writes nothing on the new one.
//
// An association ends in one step (EndAssociationLink): it claims the association's
// generation while that is still the current one and nothing else ends it, moves the
// generation on (no request of it leaves any more), sends the abort on the association's
// link if asked, closes that link, and only then lets a new association begin on the chain
// (PrepareNewAssociation waits for it). Any other ending of the same generation finds it
// claimed or gone and returns at once, doing nothing: an association's end is done, and
// told, once. The service user above holds that claim (EndingClaim) while it takes what it
// must confirm, and confirms and tells only once it has let it go
// (MmsUserConnection::EndAssociation).
//
// The exchanges (initiate, conclude) wait for their answer filed under their own
// generation, so that one held across an abort and a new association never takes the
// new one's answer. No lock is held while calling the user.
class MmsConnection : public Protocol::Connection {
public:
    enum State : Protocol::ConnectionState {
        StateIdle = 0,
        StateAssociated = 1,      // also while the initiate is being built
        StateAwaitingAnswer = 2,  // initiate or conclude request sent
        StateFailed = 3,
        // An ending has claimed the association: nothing more leaves, and nothing new begins.
        StateEnding = 4,
    };
    // How EndAssociationLink ends an association's link.
    struct LinkEnding {
        bool sendAbort = true;
        // Only the close after an answered conclude keeps what is queued for the link.
        bool graceful = false;
        // Claims the generation even while nothing stands on it (the transport's end).
        bool evenIdle = false;
        // Whether the abort waits for the peer to release the transport (see AbortWait).
        AbortWait wait = AbortWait::None;
    };
    // The points of an ending a test may hold it at (SetEndingHook).
    enum class EndingPoint { Claimed, AbortSent, Confirming };
    // Events to the service user (OnLowerIndication): the received MMSpdu choice, or
    // an abort.
    enum UserEvent : std::uint32_t {
        EventConfirmedRequest = 1,
        EventConfirmedResponse = 2,
        EventConfirmedError = 3,
        EventUnconfirmed = 4,
        EventReject = 5,
        EventInitiateRequest = 9,
        EventConcludeRequest = 12,
        EventConcludeResponse = 13,
        EventConcludeError = 14,
        EventLocalAbort = 22,  // no frame
        EventPeerAbort = 23,   // the abort indication's frame, if any
        // A confirmed answer that could not be decoded: the frame holds the reject sent
        // for it, whose originalInvokeID names the request.
        EventUndecodableAnswer = 24,
        // The association ended in the machine's own ending (EndAssociationLink: its abort,
        // its conclude, the peer's abort for a user that does not end it itself): told under
        // the ending's claim, so that the user's side of it ends before anything new begins.
        // No frame.
        EventEnded = 25,
    };
    static constexpr const char* MmsAbstractSyntax = "1.0.9506.2.1";

    explicit MmsConnection(MmsLayer* layer);
    ~MmsConnection() override;

    // ---- from the connections below ----

    // AssociateIndication (responder), AssociateConfirmation, presentation data; a token
    // notification is ignored. Undecodable data gives Error; when it is
    // a confirmed PDU whose invoke id can still be read, the peer gets a reject naming
    // it, and for an answer the user gets EventUndecodableAnswer.
    System::ResultCode OnSingleAsn1Data(std::span<const std::uint8_t> data, std::uint32_t event) override;
    // AbortIndication: EventPeerAbort to the user (whose result is returned), unless an
    // ending is under way (it ends the association itself), and then the peer's ending of
    // the generation that was current (EndAssociationLink): a service user has ended it
    // already, any other user has it ended here.
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override;
    // Closes the presentation connection (and the chain below it), then this one.
    System::ResultCode Close() override;
    // Invoke counter 0, the MMS presentation context defined with the ACSE connection
    // and bound to this connection, the negotiated record cleared (default local
    // detail), then the base reset.
    System::ResultCode Reset() override;

    // ---- the exchanges ----

    // Client: sends the initiate request and waits for the answer up to the timeout.
    // AlreadyConnected when not idle, Timeout when nothing came, Aborted when the
    // association was aborted meanwhile, Rejected with the error filled for an initiate
    // error, OutOfRange or Error for a bad answer. The settled maximum PDU size never
    // exceeds the proposed one. Each attempt first clears the refusals kept along the
    // chain; a failed one hands the nearest refusal left (an initiate-Error is kept
    // here, those of the layers below by them) to the caller in error.refusal.
    System::ResultCode Initiate(const InitiateParameters& proposal, InitiateParameters& negotiated,
                                ServiceErrorRecord& error);
    // Client: conclude request (StateAssociated, else NotConnected), wait, close its link;
    // then reset on success. Aborted when the association was aborted meanwhile,
    // NotConnected when its link ended before the request could go.
    System::ResultCode Conclude(ServiceErrorRecord& error);
    // The conclude request whose answer the request waits for, on its association's link
    // (as the other requests).
    System::ResultCode SendConcludeRequest(const RequestHandle& request);
    // The machine's own local abort, for a user that is not a service user (which ends its
    // associations with MmsUserConnection::Abort): EndAssociationLink of the current
    // generation with the abort unit, then EventLocalAbort to the user when it ended one.
    // OkNoError; NotConnected, nothing sent or told, when nothing stood.
    System::ResultCode Abort(AbortWait wait = AbortWait::ForPeer);
    // The claim of one association's ending, held from its making until LetGo (or its
    // destruction), on the thread that made it. It is taken, in one step with the state
    // changes of the other threads, when the generation is the current one, no other ending
    // is under way and an association stands on it or is being made (or, with evenIdle, in
    // any state); otherwise Held() is false and nothing is done. Taken, the generation has
    // moved on (no request of it leaves any more, and every other ending of it finds it
    // gone), and no new association begins on the chain until it is let go
    // (PrepareNewAssociation waits for it). What runs under it must never call a client:
    // a callback that waited for a new association would wait for the claim.
    class EndingClaim {
    public:
        EndingClaim(MmsConnection& mms, std::uint32_t generation, const LinkEnding& ending);
        ~EndingClaim() { LetGo(); }
        EndingClaim(const EndingClaim&) = delete;
        EndingClaim& operator=(const EndingClaim&) = delete;
        bool Held() const { return held_; }
        // The abort unit goes out on the association's link (or, before one is bound, the
        // link of the initiate under way) if the ending sends one, that link is closed and
        // the machine (and the association control below it) reset.
        void EndLink();
        // The claim goes: a new association may begin, and a waiting exchange of the
        // generation ends with Aborted. Once; nothing when it was not held.
        void LetGo();

    private:
        MmsConnection& mms_;
        const LinkEnding ending_;
        const std::uint32_t generation_;
        bool held_ = false;
        bool exchangeWaiting_ = false;
        const MmsConnection* heldBefore_ = nullptr;
    };
    // The whole ending of an association's link for a user with nothing of its own to
    // confirm: the claim, the link's end, the claim let go. Whether it claimed it.
    bool EndAssociationLink(std::uint32_t generation, const LinkEnding& ending);
    // Waits until no ending is under way, then moves the generation on in the same step: an
    // ending held on its way with an earlier generation finds it gone and does nothing.
    // What begins a new association on the chain calls it before it touches the chain.
    // False, and nothing done, on the thread that holds an ending's claim (a callback of
    // what that ending confirms): it would wait for itself.
    bool PrepareNewAssociation();
    // Whether the calling thread holds this connection's ending claim (it runs the steps of
    // an ending, or a callback of what they confirm).
    bool EndingOnThisThread() const { return claimHeldHere_ == this; }
    // Whether the peer announced the service (the library's service numbers 1..20).
    bool IsServiceSupported(std::int32_t service) const;

    // ---- accessors ----

    // The next invoke id (1 after a reset; it wraps to 1 after 2147483647).
    std::uint32_t NextInvokeId() { return invokeCounter_.Next(); }
    // The next invoke id with its generation, which every reset moves on.
    InvokeCounter::Ticket TakeInvokeId() { return invokeCounter_.Take(); }
    std::uint32_t GetInvokeCounter() const { return invokeCounter_.Last(); }
    // The generation of the ids handed out now: a request of another one was made for an
    // association that has ended.
    std::uint32_t GetInvokeGeneration() const { return invokeCounter_.Generation(); }
    // Unconfirmed PDUs (information reports) that could not be decoded and were dropped,
    // since this connection was made.
    std::uint64_t GetDroppedUnconfirmedCount() const { return droppedUnconfirmed_.load(); }
    std::uint16_t GetMaxServOutstandingCalling() const;
    std::uint16_t GetMaxServOutstandingCalled() const;
    std::uint8_t GetNestingLevel() const;
    InitiateParameters GetProposal() const;
    InitiateParameters GetNegotiated() const;
    // The presentation context identifier of MMS (0 before a reset has defined it).
    std::uint32_t GetContextIdentifier() const;

    // For tests: called on the thread that sends a request, after its last check and
    // before its frame goes down the chain (null: none).
    using SendHook = std::function<void(const RequestHandle& request)>;
    void SetSendHook(SendHook hook);
    // For tests: called on the ending thread once it has claimed its generation, once its
    // abort unit is out, and (by the service user) once the claim is let go, before what it
    // ended is confirmed (null: none).
    using EndingHook = std::function<void(EndingPoint point)>;
    void SetEndingHook(EndingHook hook);
    void RunEndingHook(EndingPoint point);

    // A sending frame of this connection (largest PDU: the settled maximum).
    std::unique_ptr<MmsFrame> NewFrame(MmsFrame::Kind kind);
    // A confirmed response or error frame answering a received confirmed request.
    std::unique_ptr<MmsFrame> NewAnswerFrame(MmsFrame::Kind kind, const MmsFrame& request);

    // ---- requests (client); the structures given by reference are taken over ----
    // A request whose id was taken before the last reset is not sent (Aborted); one the
    // chain below cannot carry gives NotConnected (NoResources when memory ran out).

    System::ResultCode SendStatusRequest(const RequestHandle& request, bool extendedDerivation);
    System::ResultCode SendIdentifyRequest(const RequestHandle& request);
    System::ResultCode SendGetNameListRequest(const RequestHandle& request, std::int32_t objectClass,
                                              MmsObjectScopeChoice scope, std::string_view domainName,
                                              const std::optional<std::string>& continueAfter);
    System::ResultCode SendReadRequest(const RequestHandle& request, MmsVariableAccessSpecification& spec);
    System::ResultCode SendWriteRequest(const RequestHandle& request, MmsVariableAccessSpecification& spec,
                                        MmsDataList& data);
    System::ResultCode SendGetVariableAccessAttributesRequest(const RequestHandle& request, MmsObjectName& name);
    System::ResultCode SendGetVariableAccessAttributesRequest(const RequestHandle& request, MmsAddress& address);
    System::ResultCode SendDefineNamedVariableListRequest(const RequestHandle& request, MmsObjectName& listName,
                                                          MmsVariableList& variables);
    System::ResultCode SendGetNamedVariableListAttributesRequest(const RequestHandle& request, MmsObjectName& listName);
    System::ResultCode SendDeleteNamedVariableListRequest(const RequestHandle& request, MmsObjectName& listName);
    System::ResultCode SendGetDomainAttributesRequest(const RequestHandle& request, std::string_view domainName);
    System::ResultCode SendGetCapabilityListRequest(const RequestHandle& request,
                                                    const std::optional<std::string>& continueAfter);

    // ---- answers (server) ----

    // The response gets the handle's invoke id; the second form sends it as it is.
    System::ResultCode SendConfirmedResponse(const RequestHandle& request, MmsFrame& response);
    System::ResultCode SendConfirmedResponse(MmsFrame& response);
    // error: a packed error (MmsPackError). InvalidContext unless the request frame holds
    // a decoded confirmed request.
    System::ResultCode SendConfirmedError(const MmsFrame& request, std::uint32_t error);
    // A reject of the received frame (null or undecodable: pdu-error
    // MmsRejectPduInvalidPdu).
    System::ResultCode SendReject(const MmsFrame* received, std::int32_t reason);
    // The initiate answer; the settled parameters (bounded by this side's default
    // local detail) become this connection's.
    System::ResultCode SendInitiateResponse(const InitiateParameters& parameters);
    // The initiate answer that refuses the association: the errorClass choice (initiate
    // by default; vmd-state .. file, else InvalidArguments) with its code.
    System::ResultCode SendInitiateError(std::int32_t errorClass = MmsErrorClassInitiate,
                                         std::int32_t code = MmsInitiateOther);
    // An unconfirmed informationReport; the variable access and the results are taken
    // over. NotConnected before the association stands.
    System::ResultCode SendInformationReport(MmsVariableAccessSpecification& spec, MmsAccessResultList& results);
    System::ResultCode SendConcludeResponse();
    System::ResultCode SendConcludeError(std::int32_t code);

private:
    class AnswerMessage;

    AcseConnection* Acse();
    CoppConnection* Presentation();
    // Encodes the frame and sends it as presentation data on the link.
    System::ResultCode SendFrame(MmsFrame& frame, TransportLink link);
    // An answer, report or reject of the association that stands, on its link; before one
    // is bound only the receive thread answers, on the stream it serves.
    System::ResultCode SendOnAssociationLink(MmsFrame& frame);
    // The request's unit, tagged with its association's link, if it may still leave.
    System::ResultCode SendForRequest(const RequestHandle& request, MmsFrame& frame);
    // Whether the request may leave now: Aborted when it was made for an association that
    // has ended, NotConnected while none stands, else OkNoError.
    System::ResultCode Sendable(const RequestHandle& request) const;
    System::ResultCode SendRequest(const RequestHandle& request, MmsFrame& frame);
    // The association of the generation stands on the link the chain carries now.
    void BindLink(std::uint32_t generation);
    // The link of the request's association; false when that association stands on none
    // (it has ended, or none has been made since the reset).
    bool LinkOf(const RequestHandle& request, TransportLink& link) const;
    // The link bound to the generation's association, if any.
    std::optional<TransportLink> BoundLink(std::uint32_t generation) const;
    // The link a local abort of the generation's association goes on.
    TransportLink LinkToAbort(std::uint32_t generation);
    // Closes the chain below while it still carries the link: the one place where an
    // association's end closes its link. Graceful only after an answered conclude.
    void CloseEndedLink(TransportLink link, bool graceful);
    // StateIdle and a new generation, in one step with the state checks of the other
    // threads.
    void EndGeneration();
    // The rest of a reset, once the generation has moved on.
    System::ResultCode ResetAfterGeneration();
    void RunSendHook(const RequestHandle& request);
    template <typename Fill>
    System::ResultCode BuildAndSendRequest(const RequestHandle& request, Fill fill);
    System::ResultCode ToUser(Protocol::Frame* frame, std::uint32_t event);
    System::ResultCode Dispatch(std::unique_ptr<MmsFrame> frame);
    System::ResultCode QueueForWaiter(std::unique_ptr<MmsFrame> frame, std::uint32_t event);
    System::ResultCode OnInitiateIndication(std::unique_ptr<MmsFrame> frame);
    System::ResultCode OnUndecodable(std::span<const std::uint8_t> data);
    // Waits for the answer to the generation's exchange: the message, or null on time-out
    // (a message without content, as when memory ran out, is an Error answer).
    std::optional<std::unique_ptr<AnswerMessage>> WaitForAnswer(std::uint32_t generation);
    // Ends the generation's waiting initiate or conclude at once with Aborted instead of
    // after its time-out.
    void WakeWaitingExchange(std::uint32_t generation);
    // From `from` to `to` while the generation is the current one: false otherwise (an
    // abort moved it on meanwhile).
    bool MoveState(State from, State to, std::uint32_t generation);
    // Only from StateAwaitingAnswer and in the same generation.
    bool LeaveWaiting(State state, std::uint32_t generation);
    void SetNegotiated(const InitiateParameters& negotiated);
    // The exchange of Initiate, after the refusals of an earlier attempt are cleared.
    System::ResultCode RunInitiate(const InitiateParameters& proposal, InitiateParameters& negotiated,
                                   ServiceErrorRecord& error);
    // Keeps the peer's initiate-Error as this connection's refusal.
    void RecordInitiateError(const ServiceErrorRecord& error);

    std::atomic<AcseConnection*> acse_{nullptr};
    std::atomic<CoppConnection*> presentation_{nullptr};
    std::atomic<PresentationContext*> context_{nullptr};
    mutable std::mutex parametersMutex_;
    InitiateParameters proposal_ = InitiateParameters::Defaults();
    InitiateParameters negotiated_ = InitiateParameters::Cleared();
    InvokeCounter invokeCounter_;
    // Orders the state changes that depend on the generation with its moves.
    mutable std::mutex stateMutex_;
    // An ending has claimed its generation and is not over yet (under stateMutex_).
    bool ending_ = false;
    // The connection whose ending claim this thread holds, if any.
    inline static thread_local const MmsConnection* claimHeldHere_ = nullptr;
    std::condition_variable endingOver_;
    ExchangeMailbox answers_;
    mutable std::mutex linkMutex_;
    bool linkBound_ = false;
    std::uint32_t linkGeneration_ = 0;
    TransportLink link_ = TransportLink::Handshake();
    std::atomic<bool> hasSendHook_{false};
    std::mutex sendHookMutex_;
    SendHook sendHook_;
    std::atomic<bool> hasEndingHook_{false};
    std::mutex endingHookMutex_;
    EndingHook endingHook_;
    std::atomic<std::uint64_t> droppedUnconfirmed_{0};
};

}  // namespace Mms
