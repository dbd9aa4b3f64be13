#pragma once

// Two threads of one program bouncing a message of a fixed size over a loopback TCP
// connection: the least a request and its answer can cost on this machine, measured in
// the same run as the stack's reads.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace TcpPingPong {

class Pair {
public:
    explicit Pair(std::size_t size) : size_(size), outgoing_(size, 0x5A), incoming_(size) {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener, 1) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            if (listener >= 0) ::close(listener);
            return;
        }
        client_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (client_ >= 0 && ::connect(client_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            server_ = ::accept(listener, nullptr, nullptr);
        }
        ::close(listener);
        if (server_ < 0) return;
        const int on = 1;
        ::setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        ::setsockopt(server_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        echo_ = std::thread([this] {
            std::vector<std::uint8_t> buffer(size_);
            while (ReadAll(server_, buffer.data()) && WriteAll(server_, buffer.data())) {}
        });
    }

    ~Pair() {
        if (client_ >= 0) ::shutdown(client_, SHUT_RDWR);
        if (echo_.joinable()) echo_.join();
        if (client_ >= 0) ::close(client_);
        if (server_ >= 0) ::close(server_);
    }

    Pair(const Pair&) = delete;
    Pair& operator=(const Pair&) = delete;

    bool IsReady() const { return server_ >= 0; }
    bool RoundTrip() { return WriteAll(client_, outgoing_.data()) && ReadAll(client_, incoming_.data()); }

private:
    bool ReadAll(int descriptor, std::uint8_t* into) const {
        for (std::size_t done = 0; done < size_;) {
            const ssize_t n = ::recv(descriptor, into + done, size_ - done, 0);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool WriteAll(int descriptor, const std::uint8_t* from) const {
        for (std::size_t done = 0; done < size_;) {
            const ssize_t n = ::send(descriptor, from + done, size_ - done, MSG_NOSIGNAL);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    std::size_t size_;
    std::vector<std::uint8_t> outgoing_;
    std::vector<std::uint8_t> incoming_;
    int client_ = -1;
    int server_ = -1;
    std::thread echo_;
};

}  // namespace TcpPingPong
