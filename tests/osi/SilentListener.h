#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace OsiTest {

// A port on 127.0.0.1 whose listener never accepts and whose queue is full, so that
// a further connect gets no answer at all: the kernel drops its SYN, as a host that
// is switched off would.
class SilentListener {
public:
    SilentListener() {
        listening_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listening_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listening_, 0);
        ::getsockname(listening_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        for (int i = 0; i < 4; ++i) {
            const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
            fillers_.push_back(filler);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~SilentListener() {
        for (int filler : fillers_) ::close(filler);
        ::close(listening_);
    }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    std::uint16_t Port() const { return port_; }

private:
    int listening_ = -1;
    std::vector<int> fillers_;
    std::uint16_t port_ = 0;
};

}  // namespace OsiTest
