#pragma once

// A client on a bare socket that opens an association the way a real one does (the
// transport's CR, then after the CC the session's CN with the initiate) and then resets
// the connection (SO_LINGER 0) before the responder has answered: a connect crossed by
// the client's reset. It finds the responder's socket of its connection in this process
// before the reset, so that a test can wait until the reset has reached that socket, by
// construction rather than by timing.

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace AssociationTest {

class CrossedConnectClient {
public:
    using Bytes = std::vector<std::uint8_t>;
    // Every wait of the client is bounded by this, far beyond any answer on loopback.
    static constexpr int WaitLimitMs = 30000;

    CrossedConnectClient() = default;
    ~CrossedConnectClient() {
        if (socket_ >= 0) ::close(socket_);
    }
    CrossedConnectClient(const CrossedConnectClient&) = delete;
    CrossedConnectClient& operator=(const CrossedConnectClient&) = delete;

    // The CR and the CN as a client sends them, cut from what it sent on a connection: the
    // first TPKT, then the TPKTs up to the DT that ends the unit.
    static bool CutOpening(const Bytes& sent, Bytes& cr, Bytes& cn) {
        std::size_t at = 0;
        std::size_t packet = 0;
        while (at + 7 <= sent.size()) {
            const std::size_t length = static_cast<std::size_t>(sent[at + 2]) << 8 | sent[at + 3];
            if (length < 7 || at + length > sent.size()) return false;
            Bytes& into = packet++ == 0 ? cr : cn;
            into.insert(into.end(), sent.begin() + static_cast<std::ptrdiff_t>(at),
                        sent.begin() + static_cast<std::ptrdiff_t>(at + length));
            const bool endOfUnit = sent[at + 5] == 0xF0 && (sent[at + 6] & 0x80) != 0;
            at += length;
            if (endOfUnit) return !cr.empty();
        }
        return false;
    }

    // Connects, sends the CR, reads the CC, sends the CN.
    bool SendUpToInitiate(std::uint16_t port, const Bytes& cr, const Bytes& cn) {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (socket_ < 0) return false;
        const timeval limit{WaitLimitMs / 1000, 0};
        ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length) != 0) return false;
        localPort_ = ntohs(local.sin_port);
        serverPort_ = port;
        return SendAll(cr) && ReadPacket() && SendAll(cn);
    }

    // The responder's descriptor of this connection: the one whose ends are the server's
    // port and this client's. Found while the responder still holds it.
    int FindResponderSocket() const {
        DIR* descriptors = ::opendir("/proc/self/fd");
        if (descriptors == nullptr) return -1;
        int found = -1;
        while (const dirent* entry = ::readdir(descriptors)) {
            const int descriptor = std::atoi(entry->d_name);
            if (descriptor <= 2 || descriptor == socket_ || descriptor == ::dirfd(descriptors)) continue;
            sockaddr_in local{};
            sockaddr_in peer{};
            socklen_t localLength = sizeof local;
            socklen_t peerLength = sizeof peer;
            if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&local), &localLength) == 0 &&
                local.sin_family == AF_INET && ntohs(local.sin_port) == serverPort_ &&
                ::getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0 &&
                ntohs(peer.sin_port) == localPort_) {
                found = descriptor;
                break;
            }
        }
        ::closedir(descriptors);
        return found;
    }

    // Resets the connection: the socket closed with SO_LINGER 0.
    void Reset() {
        const linger discard{1, 0};
        ::setsockopt(socket_, SOL_SOCKET, SO_LINGER, &discard, sizeof discard);
        ::close(socket_);
        socket_ = -1;
    }

    // Waits until the reset has reached the responder's socket (it reads the end of the
    // stream or an error there); false when it has not within the limit.
    static bool WaitUntilResetArrives(int responderSocket) {
        pollfd watched{responderSocket, POLLRDHUP, 0};
        return ::poll(&watched, 1, WaitLimitMs) == 1 && (watched.revents & (POLLERR | POLLHUP | POLLRDHUP)) != 0;
    }

private:
    bool SendAll(const Bytes& bytes) const {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t now = ::send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (now <= 0) return false;
            sent += static_cast<std::size_t>(now);
        }
        return true;
    }

    bool ReadExactly(std::uint8_t* into, std::size_t count) const {
        std::size_t read = 0;
        while (read < count) {
            const ssize_t now = ::recv(socket_, into + read, count - read, 0);
            if (now <= 0) return false;
            read += static_cast<std::size_t>(now);
        }
        return true;
    }

    // One TPKT (the CC), read whole.
    bool ReadPacket() const {
        std::uint8_t header[4] = {};
        if (!ReadExactly(header, sizeof header)) return false;
        const std::size_t length = static_cast<std::size_t>(header[2]) << 8 | header[3];
        if (length < sizeof header) return false;
        Bytes rest(length - sizeof header);
        return ReadExactly(rest.data(), rest.size());
    }

    int socket_ = -1;
    std::uint16_t serverPort_ = 0;
    std::uint16_t localPort_ = 0;
};

}  // namespace AssociationTest
