#pragma once

#include <netinet/in.h>
#include <sys/uio.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>

// One open stream socket, closed when the last holder lets go of it. A receive
// thread and a sender each hold it while they use it, so that a close from another
// thread can never hand the descriptor number to a new socket while a recv or send
// still uses it: a closer shuts the socket down (which wakes both) and drops its
// hold, and the descriptor is closed by whoever finishes last.
//
// A close is abortive unless the stream's end was agreed (SetGracefulClose) or the peer
// ended its side first: whatever the kernel still holds for the connection is discarded
// and the peer gets a reset, so that a request the program has given up on can never
// reach the peer when a dead link comes back.
class SocketHandle {
public:
    // How long an abortive close lets what was already handed to the kernel (an abort
    // unit) leave and be acknowledged before it resets. On a live link that takes a few
    // round trips, milliseconds; on a dead one it never happens, and the bound is what an
    // ending costs: a program that ends after a refused release (1.5 s) still ends within
    // 2 s.
    static constexpr std::chrono::milliseconds QueuedLeaveBound{200};

    // What a Shutdown did with what was still queued for the peer.
    enum class QueuedEnd {
        NotWaited,    // an orderly end, or a repeated shutdown: nothing was waited for
        Left,         // all of it had been acknowledged (or nothing was queued)
        PeerGone,     // the connection had ended already (reset by the peer, an error):
                      // nothing of it could leave any more, and nothing was waited for
        BoundPassed,  // still unacknowledged when the bound passed
    };

    // Takes over the descriptor.
    explicit SocketHandle(int descriptor);
    ~SocketHandle();

    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;

    int Descriptor() const { return descriptor_; }

    // The next Shutdown ends the stream in order: FIN after what is queued.
    void SetGracefulClose();

    // Ends the connection for every holder; wakes a blocked recv or send. Harmless when
    // repeated. Graceful when asked for or when the peer closed first; otherwise what is
    // queued gets up to leaveBound to be acknowledged (no wait at all once the connection
    // has been reset or has failed), then the connection is reset at once (even while a
    // recv or send still holds the descriptor) and the rest discarded.
    QueuedEnd Shutdown(std::chrono::milliseconds leaveBound = QueuedLeaveBound);

    // Sends every byte, looping over short sends; frames from several threads never
    // interleave. False on failure (the peer is gone or the socket was shut down).
    bool SendAll(const std::uint8_t* bytes, std::size_t count);
    // The same for the pieces, back to back, in as few system calls as the kernel
    // takes them (sendmsg). The pieces' iovec entries are used up as they go.
    bool SendAll(std::span<iovec> pieces);

    // recv that retries on EINTR: the count, 0 at the end of the stream, -1 on error. An
    // end of the stream that this side did not cause makes the close graceful.
    long Receive(std::uint8_t* into, std::size_t capacity);

    // TCP_NODELAY, and keep-alive after idleSeconds with probes every
    // intervalSeconds: true when every option was taken.
    bool SetNoDelay();
    bool SetKeepAlive(unsigned idleSeconds, unsigned intervalSeconds);

    // Dotted address and port of either end; false when it is not IPv4.
    bool LocalEndpoint(std::string& address, std::uint16_t& port) const;
    bool PeerEndpoint(std::string& address, std::uint16_t& port) const;

    // A new IPv4 stream socket connected to the address within timeoutMs (0 = no
    // limit), giving up early when abort() turns true. Null on failure.
    static std::shared_ptr<SocketHandle> Connect(const sockaddr_in& address, std::uint32_t timeoutMs,
                                                 const std::function<bool()>& abort);

    // Dotted text of an IPv4 address.
    static std::string AddressText(const in_addr& address);

private:
    // Waits until nothing is left unacknowledged in the kernel, the connection has ended
    // (no acknowledgement can come any more), or the bound passes.
    QueuedEnd LetQueuedLeave(std::chrono::milliseconds bound) const;
    // Whether the connection has been reset or has failed: what is queued never leaves.
    bool ConnectionEnded() const;
    void Reset();

    const int descriptor_;
    std::atomic<bool> shutDown_{false};
    std::atomic<bool> graceful_{false};
    std::mutex sendMutex_;
};
