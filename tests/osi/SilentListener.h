#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
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
            sockaddr_in local{};
            socklen_t localLength = sizeof local;
            ::getsockname(filler, reinterpret_cast<sockaddr*>(&local), &localLength);
            char text[16];
            std::snprintf(text, sizeof text, "0100007F:%04X", ntohs(local.sin_port));
            fillerEnds_.emplace_back(text);
        }
        // The queue is full once the listener has taken a filler: from then on every
        // further SYN is dropped.
        std::vector<pollfd> waits;
        for (int filler : fillers_) waits.push_back({filler, POLLOUT, 0});
        ::poll(waits.data(), waits.size(), 10000);
    }
    ~SilentListener() {
        for (int filler : fillers_) ::close(filler);
        ::close(listening_);
    }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    std::uint16_t Port() const { return port_; }

    // Connects to the port that still wait for an answer (their SYN sent, none come
    // back), the listener's own fillers left out (whether they wait still or were answered
    // meanwhile): a connect under way shows here once it has begun.
    int UnansweredConnects() const {
        char remote[16];
        std::snprintf(remote, sizeof remote, "0100007F:%04X", port_);
        std::ifstream table("/proc/net/tcp");
        std::string line;
        std::getline(table, line);  // the heading
        int count = 0;
        while (std::getline(table, line)) {
            std::istringstream fields(line);
            std::string slot, localAddress, remoteAddress, state;
            fields >> slot >> localAddress >> remoteAddress >> state;
            if (std::find(fillerEnds_.begin(), fillerEnds_.end(), localAddress) != fillerEnds_.end()) continue;
            if (remoteAddress == remote && state == "02") ++count;  // SYN_SENT
        }
        return count;
    }

private:
    int listening_ = -1;
    std::vector<int> fillers_;
    // Their local ends as /proc/net/tcp writes them.
    std::vector<std::string> fillerEnds_;
    std::uint16_t port_ = 0;
};

}  // namespace OsiTest
