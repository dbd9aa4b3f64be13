#pragma once

#include <cstdint>
#include <vector>

namespace OsiTest {

// The far end of a test connection, written with plain sockets so that a test
// controls every byte and every segment: listens on 127.0.0.1 on a port the system
// picks, accepts one connection at a time.
class LoopbackPeer {
public:
    LoopbackPeer();
    ~LoopbackPeer();

    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    std::uint16_t Port() const { return port_; }

    // Accepts the next connection (closing the previous one): false after the limit.
    bool Accept(int limitMs = 10000);
    // Sends every byte in one send call (TCP_NODELAY is on).
    void Send(const std::vector<std::uint8_t>& bytes);
    // Reads up to count bytes, waiting up to the limit for them; fewer when the
    // stream ends or the limit passes.
    std::vector<std::uint8_t> Receive(std::size_t count, int limitMs = 10000);
    // True when the other side closed the stream within the limit (unread bytes are
    // skipped).
    bool WaitForEndOfStream(int limitMs = 10000);
    // How the other side ended the stream within the limit: in order (FIN), with a reset
    // (RST; what came before it is read first), or not at all.
    enum class StreamEnd { None, Orderly, Reset };
    StreamEnd WaitForStreamEnd(int limitMs = 10000);
    // Ends the accepted connection in order.
    void CloseConnection();

    // A port on 127.0.0.1 where nothing listens (bound once and released).
    static std::uint16_t UnusedPort();
    // A client socket connected to 127.0.0.1:port whose reads give up after 10 s;
    // -1 on failure.
    static int ConnectTo(std::uint16_t port);

private:
    int listening_ = -1;
    int connection_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace OsiTest
