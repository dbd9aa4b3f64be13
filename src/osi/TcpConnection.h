#pragma once

#include "osi/NetworkAddresses.h"
#include "osi/TransportLink.h"
#include "protocol/Connection.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>

class TcpLayer;

// The bottom connection of a chain: one TCP stream to "RemoteNAddress" :
// "RemoteNPort". It reports to the connection above through OnLowerBytes with the
// events below; the bytes of a data event are valid only during the call.
//
// Parameters: "RemoteNAddress", "LocalNAddress" (text), "RemoteNPort", "LocalNPort"
// (unsigned 16-bit decimal; InvalidArguments when not a number), "KeepAliveTout", "KeepAliveInt"
// (seconds, 1..20, default 5). Only the two addresses can be read back; after a
// connect "LocalNAddress" reads "<local address>+<local port>".
//
// Each socket is a link of its own (osi/TransportLink.h): a send tagged for another link
// than the current socket's is refused and nothing of it is written.
class TcpConnection : public Protocol::Connection {
public:
    // Events to the connection above (NoEvent is taken and ignored by it).
    enum Event : std::uint32_t { NoEvent = 0, Connected = 1, BytesReceived = 2, Closed = 3 };
    static constexpr Protocol::ConnectionState StateIdle = 0;
    // State while a socket is up.
    static constexpr Protocol::ConnectionState StateConnected = 2;
    static constexpr std::uint8_t DefaultKeepAliveSeconds = 5;
    static constexpr std::uint8_t MaximumKeepAliveSeconds = 20;

    explicit TcpConnection(TcpLayer* layer);
    ~TcpConnection() override;

    System::ResultCode SetParameter(std::string_view name, std::string_view value) override;
    System::ResultCode GetParameter(std::string_view name, std::string& value) override;
    System::ResultCode Close() override;
    // Closes only while the link is the current one (IsCurrentLink); OkNoError and nothing
    // done otherwise. Here Close.
    virtual System::ResultCode CloseLink(TransportLink link);
    // The next close of the link (while it is the current one) ends the stream in order,
    // FIN after what is queued: for an association whose release was answered. Every other
    // local close of a link resets it once what was queued has had a short chance to leave,
    // so that nothing the kernel still holds reaches the peer when a dead link comes back;
    // a close after the peer closed first stays orderly. Here nothing (no socket).
    virtual void SetGracefulClose(TransportLink link);
    // A frame holding a copy of the bytes; kind is not used.
    Protocol::Frame* CreateFrame(const std::uint8_t* bytes, std::uint32_t length, std::uint32_t kind) override;
    // The peer and the local end recorded at the last connect forgotten, then the base
    // Reset; the parameters stay.
    System::ResultCode Reset() override;
    // Addresses cleared, ports 0, keep-alive 5 s and 5 s, then the base's defaults.
    System::ResultCode RestoreParameterDefaults() override;

    // Opens the stream to the remote address; reports Connected, or Closed on failure.
    virtual System::ResultCode Connect() = 0;
    // Ends the stream without waiting for anything: the receive side then reports its end
    // as for a close by the peer. For callers that must not block (a timer's expiry).
    // Hangup: the current socket; HangupLink: only while the link is the current one
    // (OkNoError, nothing done, otherwise). Base: CloseLink.
    System::ResultCode Hangup() { return HangupLink(TransportLink::Handshake()); }
    virtual System::ResultCode HangupLink(TransportLink link);
    // NotConnected unless connected; InvalidArguments for a null frame; else Transmit.
    virtual System::ResultCode Send(Protocol::Frame* frame, TransportLink link);
    // Sends the frame's bytes from its origin on the link named: OkNoError, NotConnected
    // when that link is not the current one, or Error when they could not all go.
    virtual System::ResultCode Transmit(Protocol::Frame* frame, TransportLink link) = 0;

    // One packet of a gathered send: its parts, back to back (empty parts allowed).
    struct Packet {
        std::array<std::span<const std::uint8_t>, 3> parts;
    };
    // Sends the packets in order, nothing of another sender between them:
    // NotConnected unless connected, OkNoError, or Error when they could not all go.
    // Here each packet is copied into a frame of its own and sent with Transmit; a
    // connection on a socket sends them all at once, and only on the link named
    // (NotConnected, nothing sent, once that socket has been replaced or closed).
    virtual System::ResultCode SendPackets(std::span<const Packet> packets, TransportLink link);
    // The link of the current (or, once it is closed, the last) socket; the handshake for
    // a connection that does not tell its sockets apart (or has had none yet).
    virtual TransportLink GetLink();
    // Whether the link is the current one: no socket has been taken in since it (numbered),
    // the caller is the receive thread (served), or always (handshake). Here always.
    virtual bool IsCurrentLink(TransportLink link);

    // Marks the calling thread, for its life (when active), as one that a receive thread
    // may be waiting for: a thread inside a callback of the library, where a callback on a
    // receive thread may be ending this thread's association in turn. A close of a link on
    // it waits for no receive thread: it ends the stream itself, as a close does whose
    // receive thread is held past the time-out, and the receive thread finds the stream
    // gone when it comes back. Scopes nest.
    class NoReceiveWait {
    public:
        explicit NoReceiveWait(bool active) : outer_(noReceiveWait_) { noReceiveWait_ = outer_ || active; }
        ~NoReceiveWait() { noReceiveWait_ = outer_; }
        NoReceiveWait(const NoReceiveWait&) = delete;
        NoReceiveWait& operator=(const NoReceiveWait&) = delete;

    private:
        const bool outer_;
    };
    // Whether a close on the calling thread may wait for the receive thread (no
    // NoReceiveWait marks it).
    static bool ClosesWaitForReceiveThread() { return !noReceiveWait_; }

    // Given up (true), Connect fails as it begins and a connect under way gives up; the
    // mark stays until it is taken back (false): unlike a Close's, a connect never clears
    // it. What gives up an attempt marks its chain so, whatever step the attempt is at.
    void GiveUpConnects(bool givenUp) { connectsGivenUp_.store(givenUp); }
    bool ConnectsGivenUp() const { return connectsGivenUp_.load(); }

    // For tests: called on the connecting thread as Connect begins, and on a sending thread
    // before a unit goes on the socket (Send) and once it is on it (Sent) (null: none). Set
    // while nothing connects or sends.
    enum class Step { Connect, Send, Sent };
    using StepHook = std::function<void(Step)>;
    void SetStepHook(StepHook hook) { stepHook_ = std::move(hook); }

protected:
    void RunStepHook(Step step) {
        if (stepHook_) stepHook_(step);
    }
    struct Settings {
        std::string remoteAddress;
        std::uint16_t remotePort = 0;
        std::uint8_t keepAliveTime = DefaultKeepAliveSeconds;
        std::uint8_t keepAliveInterval = DefaultKeepAliveSeconds;
    };
    // A consistent copy of what Connect needs.
    Settings GetSettings() const;
    void SetLocalAddress(const std::string& address);
    void SetPeer(const std::string& address, std::uint16_t port);
    // Keeps the accept thread of the layer from handing this connection a socket
    // from now on. Called first by the destructor of the class that can accept.
    void LeaveWaitingList();

private:
    TcpLayer* const tcpLayer_;
    // The parameters are set on the association's thread; the recorded ends are cleared
    // by a reset on the receive thread.
    mutable std::mutex parameterMutex_;
    // The packets of one SendPackets call leave together.
    std::mutex sendMutex_;
    NetworkAddresses addresses_;
    // "<local address>+<local port>" of the socket connected last (empty before one).
    std::string recordedLocalAddress_;
    std::string peerAddress_;
    std::uint16_t peerPort_ = 0;
    std::uint8_t keepAliveTime_ = DefaultKeepAliveSeconds;
    std::uint8_t keepAliveInterval_ = DefaultKeepAliveSeconds;
    std::atomic<bool> connectsGivenUp_{false};
    StepHook stepHook_;
    inline static thread_local bool noReceiveWait_ = false;
};

// Whether the chain that the connection belongs to stands on the link named: its bottom
// TCP connection's IsCurrentLink (true for a chain without one). The layers check it before
// an ending of theirs changes any state, which would otherwise be the next link's.
bool ChainCarriesLink(Protocol::Connection& member, TransportLink link);
// GiveUpConnects on the chain's bottom TCP connection (nothing for a chain without one).
void GiveUpChainConnects(Protocol::Connection& member, bool givenUp);
// SetGracefulClose on the chain's bottom TCP connection (nothing for a chain without one).
void SetChainGracefulClose(Protocol::Connection& member, TransportLink link);
