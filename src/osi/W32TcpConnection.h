#pragma once

#include "osi/TcpConnection.h"

#include <sys/socket.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class SocketHandle;

// A TCP connection on POSIX sockets with its own receive thread.
//
// The receive thread sleeps until a socket is up (from Connect or from the layer's
// accept side), then hands every received chunk to the upper connection and, when
// the stream ends, resets this connection and reports Closed. Everything that
// climbs the stack from the socket therefore runs on that one thread, including
// the Closed event of a Close called elsewhere: Close asks the receive thread to
// end the stream and waits for it (up to the connection's timeout). Close called on
// the receive thread itself (from an upper layer handling received data) ends the
// stream at once and does not wait.
//
// A stream that has ended is done with only when the receive thread has left it: an
// upper layer that closed it from within its handling of received data (a refused
// connect) may still be finishing that handling, and the report of a stream that ended
// on its own may still be climbing. Close and Connect on other threads wait for that
// (up to the connection's timeout), so that nothing of a finished stream reaches the
// layers above once the caller has moved on to the next attempt.
class W32TcpConnection final : public TcpConnection {
public:
    static constexpr std::uint32_t DefaultReceiveChunk = 256;
    // Pause after a failed connect, which bounds how fast a caller can retry.
    static constexpr std::uint32_t ConnectFailurePauseMs = 100;

    explicit W32TcpConnection(TcpLayer* layer);
    ~W32TcpConnection() override;

    // The receive loop.
    System::ResultCode Run() override;
    // In StateIdle: nothing, OkNoError. Otherwise ends the stream, reports Closed once and
    // resets; the reset's result. Also gives up a connect under way on another thread.
    System::ResultCode Close() override;
    // Close, but only while the link is the current one: a socket taken in since is never
    // closed for an earlier link (OkNoError, nothing done).
    System::ResultCode CloseLink(TransportLink link) override;
    // Shuts the link's socket down (NotConnected without one, or once another link is
    // current), abortively unless the peer closed first, without waiting: the receive
    // thread sees the end of the stream and reports it as usual.
    System::ResultCode HangupLink(TransportLink link) override;
    void SetGracefulClose(TransportLink link) override;
    // TcpConnection's reset, receive chunk 256, and any socket shut down and closed.
    System::ResultCode Reset() override;
    // Resolves "RemoteNAddress" (IPv4, first address), connects within the
    // connection's timeout with TCP_NODELAY and keep-alive, records both ends,
    // enters StateConnected and reports Connected; the upper connection's result. On
    // failure reports Closed, pauses 100 ms and gives Error. AlreadyConnected while a
    // socket is up.
    System::ResultCode Connect() override;
    // Sends all of the frame's bytes on the socket of the link named: OkNoError,
    // NotConnected (another link's socket is current, or none), or Error.
    System::ResultCode Transmit(Protocol::Frame* frame, TransportLink link) override;
    // All the packets in one gathered send (a few when they are very many), on the
    // socket of the link named, as Transmit.
    System::ResultCode SendPackets(std::span<const Packet> packets, TransportLink link) override;
    // The number of the socket taken in last (the handshake before the first).
    TransportLink GetLink() override;
    bool IsCurrentLink(TransportLink link) override;

    // Takes an accepted socket (server side): OkNoError, and the connection is
    // connected; NotCompleted while the end of its last stream is still climbing the
    // stack (it takes one once that is over); Error when it is busy otherwise or the peer
    // is not IPv4. Unless it took it, the caller keeps the socket.
    // The receive thread reports Connected before the first bytes.
    System::ResultCode Accept(int descriptor, const sockaddr* peer, socklen_t peerLength);
    // Whether Accept would take a socket now.
    bool Accepts();

protected:
    void OnStopRequested() override;

private:
    // Serves one socket until its stream ends.
    void Serve(const std::shared_ptr<SocketHandle>& socket, std::uint64_t epoch);
    // Called by the receive thread when the stream of that socket has ended.
    void EndOfStream(const std::shared_ptr<SocketHandle>& socket, std::uint64_t epoch);
    // Takes the current socket away (shut down), so that nothing uses it any more.
    std::shared_ptr<SocketHandle> DetachSocket();
    System::ResultCode CloseOnReceiveThread(TransportLink link);
    // With mutex_ held: whether the link names the current socket (see TransportLink).
    bool NamesCurrentLocked(TransportLink link);
    // The socket a unit for the link goes on; null when the link is not the current one.
    std::shared_ptr<SocketHandle> SocketFor(TransportLink link);
    System::ResultCode ConnectFailed(const std::shared_ptr<SocketHandle>& socket);
    System::ResultCode Report(std::uint32_t event);
    // Waits (up to the timeout, with mutex_ held by the lock) until the receive
    // thread has left every stream that is no longer the current one; true when it has.
    bool WaitForEnding(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    // Everything below up to the buffer is guarded by mutex_.
    std::shared_ptr<SocketHandle> socket_;
    std::uint64_t epoch_ = 0;           // counts the sockets this connection had: their links
    std::uint64_t servedEpoch_ = 0;     // the one the receive thread took last
    bool released_ = false;             // the receive thread may take socket_
    bool announceConnected_ = false;    // an accepted socket not yet reported
    std::uint64_t closeRequested_ = 0;  // epoch a Close waits to see ended
    std::uint64_t closeDone_ = 0;       // epoch the receive thread ended for it
    System::ResultCode closeResult_ = System::OkNoError;
    bool connectAborted_ = false;  // a Close while Connect waits
    // The receive thread serves the stream of servedEpoch_: from taking its socket until
    // it has reported its end. Once that stream is no longer the current one, whatever
    // the receive thread still carries up is stale: Close and Connect on other threads
    // wait for it to finish, so that it never reaches the layers above after they have
    // moved on (or resets a new socket).
    bool serving_ = false;
    // Receive thread only.
    std::vector<std::uint8_t> receiveBuffer_;
};
