#include "LoopbackPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace OsiTest {

namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

bool WaitReadable(int descriptor, int limitMs) {
    pollfd wait{descriptor, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&wait, 1, limitMs);
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0;
    }
}

}  // namespace

LoopbackPeer::LoopbackPeer() {
    listening_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (listening_ < 0 || ::bind(listening_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listening_, 8) != 0 || ::getsockname(listening_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on the loopback interface");
    port_ = ntohs(address.sin_port);
}

LoopbackPeer::~LoopbackPeer() {
    CloseConnection();
    if (listening_ >= 0) ::close(listening_);
}

bool LoopbackPeer::Accept(int limitMs) {
    CloseConnection();
    if (!WaitReadable(listening_, limitMs)) return false;
    connection_ = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection_ < 0) return false;
    const int on = 1;
    ::setsockopt(connection_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return true;
}

void LoopbackPeer::Send(const std::vector<std::uint8_t>& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(connection_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        sent += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> LoopbackPeer::Receive(std::size_t count, int limitMs) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (bytes.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !WaitReadable(connection_, static_cast<int>(left.count()))) break;
        std::uint8_t chunk[4096];
        const std::size_t wanted = std::min(sizeof chunk, count - bytes.size());
        const ssize_t n = ::recv(connection_, chunk, wanted, 0);
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

bool LoopbackPeer::WaitForEndOfStream(int limitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !WaitReadable(connection_, static_cast<int>(left.count()))) return false;
        std::uint8_t chunk[4096];
        const ssize_t n = ::recv(connection_, chunk, sizeof chunk, 0);
        if (n <= 0) return true;
    }
}

LoopbackPeer::StreamEnd LoopbackPeer::WaitForStreamEnd(int limitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !WaitReadable(connection_, static_cast<int>(left.count()))) return StreamEnd::None;
        std::uint8_t chunk[4096];
        const ssize_t n = ::recv(connection_, chunk, sizeof chunk, 0);
        if (n == 0) return StreamEnd::Orderly;
        if (n < 0) return errno == ECONNRESET ? StreamEnd::Reset : StreamEnd::None;
    }
}

void LoopbackPeer::CloseConnection() {
    if (connection_ >= 0) {
        ::shutdown(connection_, SHUT_RDWR);
        ::close(connection_);
        connection_ = -1;
    }
}

std::uint16_t LoopbackPeer::UnusedPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

int LoopbackPeer::ConnectTo(std::uint16_t port) {
    const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    if (descriptor >= 0 && ::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        // A test reading from it must not hang on a broken build.
        const timeval limit{10, 0};
        ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        return descriptor;
    }
    if (descriptor >= 0) ::close(descriptor);
    return -1;
}

}  // namespace OsiTest
