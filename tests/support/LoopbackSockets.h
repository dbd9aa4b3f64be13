#pragma once

// The socket chores of the relays that tests and benchmarks put between a client and a
// device on 127.0.0.1: a listening socket on a port the system picks, a connection to a
// port, and a send that loops until every byte is out.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace TestSupport {

inline sockaddr_in LoopbackAddress(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A socket listening on 127.0.0.1 with its port in `port`; -1 (port 0) when none could be
// made.
inline int ListenOnLoopback(std::uint16_t& port, int backlog = 4) {
    port = 0;
    const int listening = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listening < 0) return -1;
    const int on = 1;
    ::setsockopt(listening, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    if (::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listening, backlog) != 0 ||
        ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listening);
        return -1;
    }
    port = ntohs(address.sin_port);
    return listening;
}

// A socket connected to 127.0.0.1:port; -1 when the connect failed.
inline int ConnectToLoopback(std::uint16_t port) {
    const int connected = ::socket(AF_INET, SOCK_STREAM, 0);
    if (connected < 0) return -1;
    const sockaddr_in address = LoopbackAddress(port);
    if (::connect(connected, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(connected);
        return -1;
    }
    return connected;
}

// Every byte, however many sends that takes; false once the peer is gone.
inline bool SendAll(int descriptor, const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t sent = ::send(descriptor, bytes, count, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

}  // namespace TestSupport
