#include "osi/W32TcpLayer.h"

#include "osi/SocketHandle.h"
#include "osi/W32TcpConnection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

// A pause after an accept failure that is not about one peer (out of descriptors,
// for instance), so that the loop does not spin.
constexpr std::uint32_t AcceptRetryPauseMs = 100;
// How long an accepted socket waits for a connection still tearing down its last stream.
constexpr std::uint32_t FinishingWaitMs = 5000;
constexpr std::uint32_t FinishingPollMs = 2;

}  // namespace

W32TcpLayer::W32TcpLayer() = default;

W32TcpLayer::~W32TcpLayer() {
    StopListening();
    DeleteConnections();
}

Protocol::Connection* W32TcpLayer::CreateConnection() { return new W32TcpConnection(this); }

System::ResultCode W32TcpLayer::StartWinsock() { return System::OkNoError; }

std::string W32TcpLayer::SocketErrorText(int error) {
    char buffer[256] = {};
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    return "Socket error " + std::to_string(error) + " - " + (text != nullptr ? text : "");
}

System::ResultCode W32TcpLayer::Listen() {
    if (listenSocket_ >= 0) return System::Error;
    listenError_.store(0);
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return System::Error;
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];

    listenSocket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (listenSocket_ < 0) {
        CloseListenSocket();
        return System::Error;
    }
    // Lets a restarted listener take its port at once despite connections of the
    // previous one in TIME_WAIT.
    const int on = 1;
    ::setsockopt(listenSocket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!listenAddress_.empty() && ::inet_pton(AF_INET, listenAddress_.c_str(), &bound.sin_addr) != 1) {
        CloseListenSocket();
        return System::Error;
    }
    bound.sin_port = htons(GetListenPort());
    if (::bind(listenSocket_, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        ::listen(listenSocket_, ListenBacklog) != 0) {
        listenError_.store(errno);
        CloseListenSocket();
        return System::Error;
    }
    socklen_t length = sizeof bound;
    if (::getsockname(listenSocket_, reinterpret_cast<sockaddr*>(&bound), &length) == 0)
        SetListenPort(ntohs(bound.sin_port));
    if (Start() != System::OkNoError) {
        CloseListenSocket();
        return System::Error;
    }
    return System::OkNoError;
}

System::ResultCode W32TcpLayer::SetListenAddress(const std::string& address) {
    in_addr parsed{};
    if (!address.empty() && ::inet_pton(AF_INET, address.c_str(), &parsed) != 1) return System::InvalidArguments;
    listenAddress_ = address;
    return System::OkNoError;
}

System::ResultCode W32TcpLayer::StopListening() {
    TcpLayer::StopListening();
    Stop();
    CloseListenSocket();
    return System::OkNoError;
}

void W32TcpLayer::OnStopRequested() {
    if (wakeWrite_ >= 0) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &wake, 1);
    }
}

void W32TcpLayer::CloseListenSocket() {
    for (int* descriptor : {&listenSocket_, &wakeRead_, &wakeWrite_}) {
        if (*descriptor >= 0) {
            ::close(*descriptor);
            *descriptor = -1;
        }
    }
}

System::ResultCode W32TcpLayer::Run() {
    while (!StopRequested()) {
        pollfd waits[2] = {{listenSocket_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR) continue;
            WaitForStop(AcceptRetryPauseMs);
            continue;
        }
        if (StopRequested() || (waits[1].revents & POLLIN) != 0) break;
        if ((waits[0].revents & POLLIN) == 0) continue;
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        const int accepted = ::accept4(listenSocket_, reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_CLOEXEC);
        if (accepted < 0) {
            if (errno != EINTR && errno != EAGAIN && errno != ECONNABORTED) WaitForStop(AcceptRetryPauseMs);
            continue;
        }
        // Each waiting connection decides under its own lock whether it takes the socket
        // or is still finishing its last stream: a connection that finishes between two
        // looks is then found by the next offer, never passed over.
        bool finishing = false;
        auto offer = [&] {
            finishing = false;
            return OfferToWaiting([&](TcpConnection* connection) {
                auto* tcp = dynamic_cast<W32TcpConnection*>(connection);
                if (tcp == nullptr) return false;
                const System::ResultCode result =
                    tcp->Accept(accepted, reinterpret_cast<const sockaddr*>(&peer), peerLength);
                finishing = finishing || result == System::NotCompleted;
                return result == System::OkNoError;
            });
        };
        bool taken = offer();
        // A client that reconnects at once after its last association ended can arrive
        // while the connection that served it is still tearing that one down: it is
        // held for that connection (for a bounded time) rather than turned away.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FinishingWaitMs);
        while (!taken && finishing && !StopRequested() && std::chrono::steady_clock::now() < deadline) {
            WaitForStop(FinishingPollMs);
            taken = offer();
        }
        if (!taken) {
            // Nobody waits for it: an orderly end, so that the peer learns at once.
            SocketHandle unserved(accepted);
        }
    }
    return System::OkNoError;
}
