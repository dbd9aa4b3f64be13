#pragma once

#include <netinet/in.h>
#include <sys/uio.h>

#include <atomic>
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
class SocketHandle {
public:
    // Takes over the descriptor.
    explicit SocketHandle(int descriptor);
    ~SocketHandle();

    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;

    int Descriptor() const { return descriptor_; }

    // Both directions; wakes a blocked recv or send. Harmless when repeated.
    void Shutdown();

    // Sends every byte, looping over short sends; frames from several threads never
    // interleave. False on failure (the peer is gone or the socket was shut down).
    bool SendAll(const std::uint8_t* bytes, std::size_t count);
    // The same for the pieces, back to back, in as few system calls as the kernel
    // takes them (sendmsg). The pieces' iovec entries are used up as they go.
    bool SendAll(std::span<iovec> pieces);

    // recv that retries on EINTR: the count, 0 at the end of the stream, -1 on error.
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
    const int descriptor_;
    std::atomic<bool> shutDown_{false};
    std::mutex sendMutex_;
};
