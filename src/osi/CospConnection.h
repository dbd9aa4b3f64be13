#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "osi/ResponderDeadline.h"
#include "osi/TransportLink.h"
#include "protocol/Connection.h"
#include "system/QueueTimer.h"
#include "system/ResultCode.h"

class CospLayer;
class CotpConnection;

// The ISO 8327 session (kernel and duplex functional units, version 2) over the
// transport connection below. A session is opened with CN and AC (or refused with
// RF), carries each presentation PDU as a Give Tokens and a Data Transfer SPDU, and
// ends with an abort or with the transport connection; there is no orderly release.
//
// Calls from the presentation connection:
//   Connect(cp)                 S-CONNECT request: transport connect, then CN with
//                               the frame's window as user data; the answer comes
//                               later as an event (AcceptData or AbortIndication);
//   AcceptConnect(cpa)          S-CONNECT response, accepted (responder): AC;
//   RefuseConnect(reason, cpr)  S-CONNECT response, refused (responder): RF;
//   SendData(pdu, link)         S-DATA: the frame's window after 01 00 01 00;
//   Abort(aru or null, link, wait)  U-ABORT: AB, then the transport connection ends.
//
// Events to the presentation connection, on the receive thread:
//   OnLowerBytes(data, ConnectData)  a peer's CN (responder): its user data;
//   OnLowerBytes(data, AcceptData)   the peer accepted: the AC's user data;
//   OnLowerBytes(data, RefuseData)   the peer's user refused: the RF's user data
//                                    (its CPR, whose AARE says why), before the
//                                    abort indication that ends the connect;
//   OnLowerBytes(data, Data)         one received presentation PDU;
//   OnLowerEvent(TokensGiven)        before each received PDU (its result decides
//                                    whether the PDU is delivered);
//   OnLowerEvent(AbortIndication)    the connect failed: transport failure or
//                                    refusal, RF from the peer (its reason code is
//                                    kept as this connection's refusal, see
//                                    GetRefusal), a malformed AC (on
//                                    the thread that called Connect when the
//                                    transport could not be opened);
//   OnLowerIndication(empty frame, AbortIndication) the transport connection was lost while
//                                    a session stood or was being set up.
// Received FN, DN and AB SPDUs are not acted on (NotImplemented): the session ends with the
// transport connection, which is then reported as AbortIndication.
//
// Abort sends AB asking the peer to release the transport connection, then waits
// (up to the connection's timeout; not at all on the receive thread or when told not to)
// until the peer answers with AA or closes the transport connection, and closes it
// itself. It acts only on the link it names: once another link is current, this
// connection is that one's and the abort leaves it alone (NotConnected). While it waits,
// the loss of the transport is still reported upwards, before the wait ends: a layer
// above never stands on a transport that has gone.
//
// Parameters: "LocalSSelector", "RemoteSSelector" (decimal 16-bit; the
// connection's id at first), "LocalSTimeout" (milliseconds, at least 1: the
// connection's timeout and the refuse timer's due time; other text is ignored),
// "ResponderInitiateTimeout" (milliseconds, at least 1; 10000 until set, kept across
// resets): as responder, how long the peer may take from the transport's CC to a connect
// this side accepts (its CN, carrying the association's initiate, and the answer) before
// the transport is closed (see ResponderDeadline). A refused connect stays under the
// bound until the peer closes.
class CospConnection : public Protocol::Connection {
public:
    // States.
    static constexpr Protocol::ConnectionState StateIdle = 0;
    static constexpr Protocol::ConnectionState StateAwaitingTransport = 2;
    static constexpr Protocol::ConnectionState StateAwaitingConnect = 3;  // responder
    static constexpr Protocol::ConnectionState StateAwaitingAccept = 5;
    static constexpr Protocol::ConnectionState StateConnectOverflow = 6;    // CN over 10240 octets sent
    static constexpr Protocol::ConnectionState StateAwaitingResponse = 14;  // responder, CN indicated
    static constexpr Protocol::ConnectionState StateAborting = 25;          // AB or RF sent
    static constexpr Protocol::ConnectionState StateDataTransfer = 31;

    // Events to the connection above.
    enum Event : std::uint32_t {
        ConnectData = 11,
        AcceptData = 12,
        RefuseData = 20,
        Data = 14,
        TokensGiven = 16,
        AbortIndication = 17
    };

    // Functional units: bit i of the session user requirements.
    static constexpr std::uint16_t HalfDuplexUnit = 1u << 0;
    static constexpr std::uint16_t DuplexUnit = 1u << 1;

    static constexpr std::uint32_t FrameKindCn = 15;
    static constexpr const char* ResponderInitiateTimeoutParameter = "ResponderInitiateTimeout";
    // Longer CNs would need the overflow procedure, which is not carried out.
    static constexpr std::uint32_t LargestConnectSpdu = 10240;

    explicit CospConnection(CospLayer* layer);
    ~CospConnection() override;

    // OkNoError when the CN is sent; InvalidState outside StateIdle; InvalidArguments
    // for no or an unencoded frame; Timeout when the transport did not open in time;
    // the transport's failure; each
    // failure leaves the connection reset with AbortIndication reported.
    System::ResultCode Connect(Protocol::Frame* userData);
    // In StateAwaitingResponse (else InvalidState); InvalidArguments for no or an
    // unencoded frame. The session stands before the AC leaves (the peer's first data may
    // follow it at once), and so do the layers above once they answer: an AC that cannot
    // go (the peer reset the connection under it) hangs up the stream the connect came on,
    // and its end reaches every layer above from the receive side as a lost transport
    // does, so that the next connect finds the whole chain idle. The answer goes only on
    // the stream that carried the connect.
    System::ResultCode AcceptConnect(Protocol::Frame* userData);
    // In StateAwaitingResponse (else InvalidState); the frame may be null. Starts the
    // refuse timer; an RF that cannot go hangs up as an AC that cannot.
    System::ResultCode RefuseConnect(std::uint8_t reason, Protocol::Frame* userData);
    // In StateDataTransfer (else InvalidState); InvalidArguments for no frame; else the
    // transport's result. Only on the link named (osi/TransportLink.h).
    System::ResultCode SendData(Protocol::Frame* userData, TransportLink link);
    // NotConnected when the link is not the current one; InvalidState when there is no
    // session to abort; else OkNoError, or the failure to send the AB.
    System::ResultCode Abort(Protocol::Frame* userData, TransportLink link, AbortWait wait);

    System::ResultCode SetParameter(std::string_view name, std::string_view value) override;
    System::ResultCode GetParameter(std::string_view name, std::string& value) override;
    // Events of the transport connection (see CotpConnection).
    System::ResultCode OnLowerIndication(Protocol::Frame* frame, std::uint32_t event) override;
    // The transport's Close, then the own reset.
    System::ResultCode Close() override;
    // FrameKindCn: a CnSpdu with the bytes as user data. Others: none.
    Protocol::Frame* CreateFrame(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t kind) override;
    // Tokens, functional units (duplex only) and synchronization values to their
    // initial values, base reset; StateIdle. The selectors keep their values.
    System::ResultCode Reset() override;

    // For the tests: the negotiated units, the tokens, the side and the refuse timer.
    std::uint16_t GetFunctionalUnits() const;
    std::uint32_t GetTokenPosition(std::size_t token) const;
    bool IsResponder() const;
    const System::QueueTimer& GetTimer() const { return timer_; }

private:
    // Messages the receive side leaves for Connect and Abort.
    enum Message : std::uint32_t { MessageTransportOpen = 1, MessageTransportClosed = 4, MessageAbortAccepted = 26 };
    static constexpr std::uint32_t TokenInitial = 3;
    static constexpr std::uint32_t TokenNotNeeded = 4;

    CotpConnection* Cotp();
    void Post(std::uint32_t id);
    System::ResultCode ConnectFailed(System::ResultCode result);
    // Reset, the transport's link disconnected (a failure there is the result); nothing
    // once another link is current.
    System::ResultCode EndTransport(TransportLink link);
    bool OnReceiveThread();
    // Whether the transport's current link is the one named.
    bool CarriesLink(TransportLink link);
    System::ResultCode SendUnit(Protocol::Frame& unit, TransportLink link);
    // An answer to a connect that could not go: the link is hung up, and the transport's
    // end reaches every layer above from the receive side.
    void HangUpUnanswered(TransportLink link);

    System::ResultCode OnUnit(const Protocol::Frame& frame);
    System::ResultCode OnTransportConnectIndication();
    System::ResultCode OnTransportLost();
    System::ResultCode OnConnect(std::span<const std::uint8_t> unit);
    System::ResultCode OnAccept(std::span<const std::uint8_t> unit);
    System::ResultCode OnRefuse(std::span<const std::uint8_t> unit);
    System::ResultCode OnAbortAccept(std::span<const std::uint8_t> unit);
    System::ResultCode OnData(std::span<const std::uint8_t> unit);

    // Guards the state transitions both threads make and the fields below. Never
    // held while calling another connection; recursive because Reset applies the
    // parameter text through SetParameter.
    mutable std::recursive_mutex mutex_;
    std::array<std::uint32_t, 4> tokens_{};
    std::uint16_t functionalUnits_ = DuplexUnit;
    bool responder_ = false;
    // In StateAborting: an AB of this side's user was sent (not an RF).
    bool userAborting_ = false;
    // As responder: the link of the connect indicated, which its answer goes on.
    TransportLink connectLink_ = TransportLink::Handshake();
    // Synchronization: not used by the kernel and duplex units; kept consistent.
    std::uint32_t serialNumber_ = 0;
    bool activity_ = false;
    std::uint16_t localSelector_;
    std::uint16_t remoteSelector_;
    // Started when an RF is sent; its expiry only marks it expired.
    System::QueueTimer timer_;
    // As responder: from the CC to the accepted connect.
    ResponderDeadline initiateDeadline_{*this};
};
