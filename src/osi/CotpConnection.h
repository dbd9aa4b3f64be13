#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "osi/ResponderDeadline.h"
#include "osi/TransportLink.h"
#include "protocol/Connection.h"
#include "system/ResultCode.h"

class CotpLayer;
class ItotConnection;
class Tpdu;

// ISO 8073 transport class 0 over the RFC 1006 connection below: opens the
// connection with CR and CC (or answers a peer's CR), cuts each unit of the session
// above into DT TPDUs and joins received DTs into units by their end mark. Class 0
// has no disconnect exchange: the connection ends with the RFC 1006 connection.
//
// Calls from the session (any thread): Connect, Accept, SendData, SendExpedited,
// Disconnect. Events to the session, on the receive thread unless said otherwise:
//   OnLowerEvent(Open)                   the connection is open (initiator);
//   OnLowerIndication(null, ConnectIndication)  a peer's CR was taken, call Accept;
//   OnLowerIndication(unit, Unit)        one whole unit, its window the user data;
//   OnLowerEvent(Lost)                   the connection is lost or refused (on the
//                                        calling thread when Connect fails).
//
// Sizes: a CR proposes TPDUs of 2^(size code) octets (1024 by default). DTs are cut
// to the size that the CC grants (never above the proposal), the standard's 128
// octets when it names none. The responder's CC always names its size: the CR's
// proposal (128 octets when it names none) up to 8192 octets, and it cuts its own DTs
// to that size. A received unit may hold at most MaximumUnitSize octets; more ends
// the connection.
//
// A refusal by the peer (DR, ER, an unacceptable CC, or the connection closed while
// Connect waits) ends Connect at once with ProtocolError (Error for a closed
// connection). The reason of a DR or the reject cause of an ER is kept as this
// connection's refusal (GetRefusal) before Connect returns or Lost is reported;
// Connect clears it when it starts. This side never sends ER.
//
// Parameters: "LocalTSelector", "RemoteTSelector": one 16-bit value in hexadecimal,
// read back as four upper-case hex digits; 1 after a reset. "ResponderCrTimeout"
// (milliseconds, at least 1; 10000 until set, kept across resets): as responder, how long
// an accepted connection may take to send its CR before it is closed (see
// ResponderDeadline).
class CotpConnection : public Protocol::Connection {
public:
    // States.
    static constexpr Protocol::ConnectionState StateConnecting = 0;  // waiting for RFC 1006
    static constexpr Protocol::ConnectionState StateCrSent = 1;
    static constexpr Protocol::ConnectionState StateOpen = 3;
    static constexpr Protocol::ConnectionState StateCrReceived = 5;  // responder, before Accept
    static constexpr Protocol::ConnectionState StateClosed = 6;

    // Events to the connection above.
    enum Event : std::uint32_t { ConnectIndication = 0, Open = 1, Unit = 2, Lost = 4 };

    // Kinds of CreateFrame.
    static constexpr std::uint32_t FrameKindCr = 14;
    static constexpr std::uint32_t FrameKindDt = 15;

    static constexpr std::uint32_t DefaultSizeCode = 10;
    static constexpr std::uint16_t DefaultSelector = 1;
    static constexpr std::uint32_t MaximumUnitSize = 1u << 20;
    static constexpr const char* ResponderCrTimeoutParameter = "ResponderCrTimeout";

    explicit CotpConnection(CotpLayer* layer);
    ~CotpConnection() override;

    // Opens the connection as initiator: RFC 1006 connect, CR, waits for the CC
    // (each wait up to the connection's timeout). OkNoError when open; Error in the
    // wrong state or when the connection is lost; ProtocolError refused; Timeout no
    // answer in time; the
    // RFC 1006 connect's or a send's failure. On failure the connection is closed
    // and Lost reported.
    System::ResultCode Connect();
    // Confirms a peer's CR (StateCrReceived, else Error) with a CC: StateOpen.
    System::ResultCode Accept();
    // Sends the unit (the frame's bytes from its origin to the end of its window;
    // the frame must be encoded) in DTs: OkNoError; Error when not open or empty;
    // InvalidArguments for no or
    // an unencoded frame; the first failed send's result. Only on the link named
    // (osi/TransportLink.h).
    System::ResultCode SendData(Protocol::Frame* frame, TransportLink link);
    // Class 0 has no expedited data: NotSupported.
    System::ResultCode SendExpedited(Protocol::Frame* frame);
    // Closes the link: OkNoError from StateCrSent and StateOpen (RFC 1006 disconnected, no
    // event reported); NotImplemented while connecting; Error otherwise. Nothing is done
    // (OkNoError) once another link is current: this connection is then that one's.
    System::ResultCode Disconnect(TransportLink link);

    System::ResultCode SetParameter(std::string_view name, std::string_view value) override;
    System::ResultCode GetParameter(std::string_view name, std::string& value) override;
    // Frames of the RFC 1006 connection: Connected, TpduReceived, Closed.
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override;
    // The RFC 1006 connection's Close, then the own reset.
    System::ResultCode Close() override;
    // FrameKindDt: a DtTpdu with the bytes behind its header room (end mark set).
    // FrameKindCr: a CrTpdu from this connection's settings (no user data in class
    // 0: none when bytes are given). Others: none.
    Protocol::Frame* CreateFrame(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t kind) override;
    // Also drops the segments of a unit being joined.
    void DiscardPending() override;
    // References 0, size code 10, the selectors those given (a responder's CR names the
    // ones of its own stream), nothing pending, the base reset; StateClosed.
    System::ResultCode Reset() override;
    // Selectors 1, then the base's defaults (parameter text applied).
    System::ResultCode RestoreParameterDefaults() override;

    // The size code that DTs are cut to (7 until a CC grants more).
    std::uint32_t GetSendSizeCode() const;
    // For the tests: the reference the peer gave in its CR or CC.
    std::uint16_t GetPeerReference() const;

private:
    // Messages a receive-side handler leaves for Connect.
    enum Message : std::uint32_t { MessageConfirmed = 1, MessageLost = 3, MessageRefused = 4 };

    ItotConnection* Itot();
    System::ResultCode WaitForMessage(std::uint32_t& id);
    void Post(std::uint32_t id);
    System::ResultCode ConnectFailed(System::ResultCode result);
    // Ends an open connection from the receive side: closed, RFC 1006 disconnected,
    // Lost reported.
    System::ResultCode Fail();
    System::ResultCode CloseAndReport(TransportLink link);
    System::ResultCode ReportUp(Protocol::Frame* frame, std::uint32_t event);
    // CR and CC go as the handshake, DR and ER on the stream they answer.
    System::ResultCode SendTpdu(Tpdu& tpdu, TransportLink link);
    System::ResultCode SendDisconnectRequest();
    void DropPendingLocked();

    System::ResultCode OnConnectConfirm(const Protocol::Frame& frame);
    System::ResultCode OnConnectRequest(const Protocol::Frame& frame);
    // A DR or ER: ends a Connect that waits, keeping the peer's reason as the refusal.
    System::ResultCode OnRefusal(const Protocol::Frame& frame);
    void KeepRefusal(const Protocol::Frame& frame);
    System::ResultCode OnData(const Protocol::Frame& frame);
    System::ResultCode OnLowerClosed();

    // Guards the state transitions the two threads race for, the fields below and
    // the pending segments. Never held while calling another connection; recursive
    // because Reset applies the parameter text through SetParameter.
    mutable std::recursive_mutex mutex_;
    std::uint16_t peerReference_ = 0;
    std::uint16_t localReference_ = 0;
    std::uint8_t protocolClass_ = 0;
    std::uint32_t sizeCode_ = DefaultSizeCode;
    std::uint32_t sendSizeCode_ = 7;
    // The selectors given as parameters, and those of the stream now (a responder takes
    // the ones its CR names).
    std::uint16_t givenLocalSelector_ = DefaultSelector;
    std::uint16_t givenRemoteSelector_ = DefaultSelector;
    std::uint16_t localSelector_ = DefaultSelector;
    std::uint16_t remoteSelector_ = DefaultSelector;
    std::uint32_t pendingLength_ = 0;
    std::uint8_t disconnectReason_ = 0;
    // One unit's DTs at a time on the wire.
    std::mutex sendMutex_;
    // As responder: from the accepted connection to its CR.
    ResponderDeadline crDeadline_{*this};
};
