#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "osi/PresentationPdus.h"
#include "osi/TransportLink.h"
#include "protocol/Connection.h"

class CoppFrame;
class CoppLayer;
class CospConnection;
class PresentationContext;

// The presentation connection of one association (ISO 8823 normal mode, BER only),
// between the session connection below and the users above: association control and
// the users of the other contexts.
//
// It keeps the presentation contexts its users define (they survive Reset), proposes
// them in the CP, checks the CPA's result list, and wraps every upper PDU as fully
// encoded data with one PDV-list. Each received PDV goes to the user connection of its
// context. Frames handed down are the caller's; the upper PDU sits encoded in the
// frame's window (a frame that still holds its value is encoded there first) with
// room for the presentation header in front, and is not copied.
//
// Threads: connect and data requests come from the association's threads, received
// PPDUs from the receive thread at the bottom of the chain.
class CoppConnection : public Protocol::Connection {
public:
    enum State : Protocol::ConnectionState {
        StateIdle = 0,
        StateCpSent = 1,
        StateCpReceived = 2,  // responder, waiting for its user's answer
        StateConnected = 3,
    };
    // Events from the session connection.
    enum SessionEvent : std::uint32_t {
        SessionConnectData = 11,  // user data of a CN (OnLowerBytes)
        SessionAcceptData = 12,   // user data of an AC (OnLowerBytes)
        SessionRefuseData = 20,   // user data of an RF: the peer's CPR (OnLowerBytes)
        SessionData = 14,         // user data of a DT (OnLowerBytes)
        SessionTokens = 16,       // a give-tokens unit arrived (OnLowerIndication)
        SessionAborted = 17,      // connect failed or transport lost (OnLowerIndication)
    };
    // Events to the users.
    enum UserEvent : std::uint32_t {
        ConnectConfirmData = 13,
        ConnectIndicationData = 15,
        DataIndication = 16,
        TokenNotification = 18,
        AbortIndication = 19,
    };
    // Reason given to the session when a CP is refused by the user / by this layer.
    static constexpr std::uint8_t RefusalByUser = 2;
    static constexpr std::uint8_t RefusalByProvider = 0;

    explicit CoppConnection(CoppLayer* layer);
    ~CoppConnection() override;

    // "LocalPSelector", "RemotePSelector": decimal, read like atoi (blanks and a sign
    // in front, reading stops at the first non-digit, no digits reads 0); always OkNoError.
    System::ResultCode SetParameter(std::string_view name, std::string_view value) override;
    System::ResultCode GetParameter(std::string_view name, std::string& value) override;
    System::ResultCode OnLowerBytes(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t event) override;
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override;
    // Closes the session connection (and everything below it), then resets. The loss
    // of the transport that this close causes is not reported upwards as an abort.
    System::ResultCode Close() override;
    // Base reset, StateIdle. The contexts stay.
    System::ResultCode Reset() override;

    // The context of the two texts, defined now (identifier 1, 3, 5, ... in order of
    // definition; the first becomes the default context) unless it exists already.
    // Null when memory runs out.
    PresentationContext* AddContext(std::string_view abstractSyntax, std::string_view transferSyntax);
    // The context of the identifier (0: the default context), or null.
    PresentationContext* FindContext(std::uint32_t identifier) const;
    PresentationContext* GetDefaultContext() const { return defaultContext_.load(); }

    // The upper frame's window holds the PDU of the context contextIdentifier (0: the
    // default context); the frames stay the caller's.
    // P-CONNECT request: StateIdle, else InvalidState and an abort indication upwards.
    // The CP proposes every context; StateCpSent and the session carries it.
    System::ResultCode Connect(Protocol::Frame* upper, std::uint32_t contextIdentifier);
    // P-CONNECT response, accepted (StateCpReceived, else InvalidState): CPA,
    // StateConnected before it leaves. When it cannot go, the session hangs up the
    // transport, whose end resets this connection and reaches the users as an abort
    // indication, as a lost transport does.
    System::ResultCode AcceptConnect(Protocol::Frame* upper, std::uint32_t contextIdentifier);
    // P-CONNECT response, refused (StateCpReceived, else InvalidState): CPR around the
    // frame (its context must be defined, else Error), reset, and the session refuses. Without a frame only the
    // reset and the refusal.
    System::ResultCode RefuseConnect(Protocol::Frame* upper, std::uint32_t contextIdentifier);
    // P-DATA: InvalidArguments without a frame, InvalidState outside StateConnected,
    // Error for a context not defined. Only on the link named (osi/TransportLink.h).
    System::ResultCode SendUserData(Protocol::Frame* upper, std::uint32_t contextIdentifier, TransportLink link);
    // P-U-ABORT: an ARU carrying the frame (null: no user data) in StateCpSent and
    // StateCpReceived, or in StateConnected when the frame's context is defined; a provider abort otherwise.
    // On the link named only: NotConnected, nothing changed, once another is current.
    System::ResultCode UserAbort(Protocol::Frame* upper, std::uint32_t contextIdentifier, TransportLink link,
                                 AbortWait wait);
    // P-P-ABORT: an ARP with the reason and the event identifier (each left out when
    // negative), reset, and the session aborts; on the link named only, as UserAbort.
    System::ResultCode ProviderAbort(std::int32_t reason, std::int32_t eventIdentifier, TransportLink link,
                                     AbortWait wait);

    // For the tests: the selectors and the CPA's flags as this connection holds them.
    std::uint32_t GetLocalSelector() const { return localSelector_.load(); }
    std::uint32_t GetRemoteSelector() const { return remoteSelector_.load(); }
    // As received in the CPA (both false when it had none).
    bool GetContextManagement() const { return contextManagement_.load(); }
    bool GetRestoration() const { return restoration_.load(); }

protected:
    // The calls into the session connection below.
    virtual System::ResultCode SessionConnect(Protocol::Frame* frame);
    virtual System::ResultCode SessionAcceptConnect(Protocol::Frame* frame);
    virtual System::ResultCode SessionRefuseConnect(std::uint8_t reason, Protocol::Frame* frame);
    virtual System::ResultCode SessionSendData(Protocol::Frame* frame, TransportLink link);
    virtual System::ResultCode SessionAbort(Protocol::Frame* frame, TransportLink link, AbortWait wait);

private:
    CospConnection* Session();
    // In identifier order.
    std::vector<PresentationContext*> GetContexts() const;

    System::ResultCode OnConnectIndication(const std::uint8_t* bytes, std::uint32_t length);
    System::ResultCode OnConnectConfirm(const std::uint8_t* bytes, std::uint32_t length);
    // A CPR: its user data (the refusing user's answer) goes to the users as a connect
    // confirmation; the abort indication that follows from the session ends the connect.
    System::ResultCode OnConnectRefused(const std::uint8_t* bytes, std::uint32_t length);
    System::ResultCode OnDataIndication(const std::uint8_t* bytes, std::uint32_t length);
    System::ResultCode CheckResultList(const Presentation::CpaNormalModeParameters& parameters);
    // Marks the contexts the CP proposes and remembers the answer for each proposal.
    void MatchProposal(const Presentation::CpNormalModeParameters& parameters);
    bool IsAcceptableConnect(const Presentation::CpNormalModeParameters& parameters) const;
    // Hands every PDV to the user connection of its context; the first failure.
    System::ResultCode DeliverUserData(const Presentation::UserData& userData, std::uint32_t event,
                                       System::ResultCode unknownContext);
    System::ResultCode FillResultList(Presentation::ContextResultList& list);
    System::ResultCode FillOptionalUserData(CoppFrame& frame, Presentation::UserData*& userData, Protocol::Frame* upper,
                                            std::uint32_t contextIdentifier);

    // Tells the connection above that the presentation connection is gone.
    System::ResultCode IndicateAbort(Protocol::Frame* frame);
    // Abort indication upwards and a provider abort towards the peer.
    System::ResultCode AbortBothWays(std::int32_t reason, std::int32_t eventIdentifier);

    mutable std::mutex contextsMutex_;
    std::map<std::uint32_t, std::unique_ptr<PresentationContext>> contexts_;
    std::atomic<PresentationContext*> defaultContext_{nullptr};

    // The answers to the contexts of the last CP received, in the CP's order.
    std::mutex proposalMutex_;
    std::vector<Asn1::Asn1NativeInteger> proposalResults_;

    std::atomic<bool> contextManagement_{false};
    std::atomic<bool> restoration_{false};
    std::atomic<std::uint32_t> remoteSelector_{1};
    std::atomic<std::uint32_t> localSelector_;
    // Set while this connection closes the chain below, whose loss is no abort.
    std::atomic<bool> closing_{false};
};
