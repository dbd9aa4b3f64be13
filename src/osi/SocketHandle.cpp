#include "osi/SocketHandle.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

namespace {

// Connect waits in slices so that an abort is noticed without a wake-up channel.
constexpr int ConnectPollSliceMs = 50;
// Keep-alive probes before the connection counts as broken.
constexpr int KeepAliveProbes = 10;
// How often an abortive close looks whether what is queued has been acknowledged; the
// kernel tells of no such event.
constexpr std::chrono::milliseconds QueuedLeavePoll{2};

bool SetBlocking(int descriptor, bool blocking) {
    const int flags = ::fcntl(descriptor, F_GETFL, 0);
    if (flags < 0) return false;
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return ::fcntl(descriptor, F_SETFL, wanted) == 0;
}

bool Endpoint(int descriptor, bool peer, std::string& address, std::uint16_t& port) {
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    auto* generic = reinterpret_cast<sockaddr*>(&storage);
    const int result = peer ? ::getpeername(descriptor, generic, &length) : ::getsockname(descriptor, generic, &length);
    if (result != 0 || storage.ss_family != AF_INET) return false;
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(&storage);
    address = SocketHandle::AddressText(ipv4->sin_addr);
    port = ntohs(ipv4->sin_port);
    return true;
}

}  // namespace

SocketHandle::SocketHandle(int descriptor) : descriptor_(descriptor) {}

SocketHandle::~SocketHandle() {
    if (descriptor_ >= 0) {
        // The reason of a failed connect outlives the socket it failed on.
        const int failure = errno;
        // Nobody shut it down: nothing of it is waited for.
        Shutdown(std::chrono::milliseconds{0});
        ::close(descriptor_);
        errno = failure;
    }
}

void SocketHandle::SetGracefulClose() { graceful_.store(true); }

SocketHandle::QueuedEnd SocketHandle::Shutdown(std::chrono::milliseconds leaveBound) {
    if (shutDown_.exchange(true)) return QueuedEnd::NotWaited;
    if (graceful_.load()) {
        // An orderly end, so that the peer reads the end of the stream after the rest.
        ::shutdown(descriptor_, SHUT_RDWR);
        return QueuedEnd::NotWaited;
    }
    const QueuedEnd queued = LetQueuedLeave(leaveBound);
    const bool left = queued != QueuedEnd::BoundPassed;
    const linger discard{1, 0};
    ::setsockopt(descriptor_, SOL_SOCKET, SO_LINGER, &discard, sizeof discard);
    // Reading is shut down to wake a blocked recv; writing only where bytes are still
    // queued, to wake a sender blocked behind them: its FIN cannot overtake them, and the
    // reset discards it with them. Otherwise a FIN would tell the peer of an orderly end.
    ::shutdown(descriptor_, left ? SHUT_RD : SHUT_RDWR);
    Reset();
    return queued;
}

void SocketHandle::Reset() {
    // The connection is let go now rather than when the last holder lets go of the
    // descriptor (a receive thread may be held up above for long, while the kernel would
    // go on retransmitting). The number stays taken by a socket that is connected to
    // nothing, so that a recv or send that comes late fails instead of reaching a socket
    // opened since; with SO_LINGER {1, 0} the kernel resets the connection as soon as no
    // call uses it any more.
    const int placeholder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (placeholder < 0) return;  // then at the descriptor's close
    ::dup3(placeholder, descriptor_, O_CLOEXEC);
    ::close(placeholder);
}

SocketHandle::QueuedEnd SocketHandle::LetQueuedLeave(std::chrono::milliseconds bound) const {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    for (;;) {
        // Sent and not yet acknowledged, or not yet sent. A connection that has ended keeps
        // counting what it never got acknowledged: that count never falls.
        int queued = 0;
        if (::ioctl(descriptor_, SIOCOUTQ, &queued) != 0) return QueuedEnd::PeerGone;
        if (queued <= 0) return QueuedEnd::Left;
        if (ConnectionEnded()) return QueuedEnd::PeerGone;
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return QueuedEnd::BoundPassed;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, QueuedLeavePoll));
    }
}

bool SocketHandle::ConnectionEnded() const {
    // A reset or an error shows as POLLERR until it is read (a recv on the receive thread
    // may have read it already); a connection that has ended both ways, or gone back to
    // closed after a reset, as POLLHUP for good. An orderly end of the peer's side alone
    // shows neither: it may still acknowledge what it is sent.
    pollfd state{descriptor_, 0, 0};
    if (::poll(&state, 1, 0) < 0) return errno != EINTR;
    if ((state.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return true;
    int error = 0;
    socklen_t length = sizeof error;
    return ::getsockopt(descriptor_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0;
}

bool SocketHandle::SendAll(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(sendMutex_);
    while (count > 0) {
        // MSG_NOSIGNAL: a peer that went away gives EPIPE instead of killing the process.
        const ssize_t sent = ::send(descriptor_, bytes, count, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool SocketHandle::SendAll(std::span<iovec> pieces) {
    std::lock_guard lock(sendMutex_);
    while (!pieces.empty() && pieces.front().iov_len == 0) pieces = pieces.subspan(1);
    while (!pieces.empty()) {
        msghdr message{};
        message.msg_iov = pieces.data();
        message.msg_iovlen = std::min<std::size_t>(pieces.size(), IOV_MAX);
        const ssize_t sent = ::sendmsg(descriptor_, &message, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        auto left = static_cast<std::size_t>(sent);
        while (!pieces.empty() && left >= pieces.front().iov_len) {
            left -= pieces.front().iov_len;
            pieces = pieces.subspan(1);
        }
        if (left > 0) {
            pieces.front().iov_base = static_cast<std::uint8_t*>(pieces.front().iov_base) + left;
            pieces.front().iov_len -= left;
        }
        while (!pieces.empty() && pieces.front().iov_len == 0) pieces = pieces.subspan(1);
    }
    return true;
}

long SocketHandle::Receive(std::uint8_t* into, std::size_t capacity) {
    for (;;) {
        const ssize_t received = ::recv(descriptor_, into, capacity, 0);
        // The peer ended its side: nothing of ours is left for a dead link to deliver later.
        if (received == 0 && capacity > 0 && !shutDown_.load()) graceful_.store(true);
        if (received >= 0 || errno != EINTR) return static_cast<long>(received);
    }
}

bool SocketHandle::SetNoDelay() {
    const int on = 1;
    return ::setsockopt(descriptor_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
}

bool SocketHandle::SetKeepAlive(unsigned idleSeconds, unsigned intervalSeconds) {
    const int on = 1;
    const int idle = static_cast<int>(idleSeconds);
    const int interval = static_cast<int>(intervalSeconds);
    return ::setsockopt(descriptor_, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0 &&
           ::setsockopt(descriptor_, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) == 0 &&
           ::setsockopt(descriptor_, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) == 0 &&
           ::setsockopt(descriptor_, IPPROTO_TCP, TCP_KEEPCNT, &KeepAliveProbes, sizeof KeepAliveProbes) == 0;
}

bool SocketHandle::LocalEndpoint(std::string& address, std::uint16_t& port) const {
    return Endpoint(descriptor_, false, address, port);
}

bool SocketHandle::PeerEndpoint(std::string& address, std::uint16_t& port) const {
    return Endpoint(descriptor_, true, address, port);
}

std::shared_ptr<SocketHandle> SocketHandle::Connect(const sockaddr_in& address, std::uint32_t timeoutMs,
                                                    const std::function<bool()>& abort) {
    const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (descriptor < 0) return nullptr;
    auto handle = std::make_shared<SocketHandle>(descriptor);
    if (!SetBlocking(descriptor, false)) return nullptr;

    if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) return nullptr;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (abort && abort()) {
                errno = ECANCELED;
                return nullptr;
            }
            int sliceMs = ConnectPollSliceMs;
            if (timeoutMs != 0) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0) {
                    errno = ETIMEDOUT;
                    return nullptr;
                }
                if (left.count() < sliceMs) sliceMs = static_cast<int>(left.count());
            }
            pollfd wait{descriptor, POLLOUT, 0};
            const int ready = ::poll(&wait, 1, sliceMs);
            if (ready < 0 && errno != EINTR) return nullptr;
            if (ready > 0) break;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return nullptr;
        if (error != 0) {
            errno = error;
            return nullptr;
        }
    }
    if (!SetBlocking(descriptor, true)) return nullptr;
    return handle;
}

std::string SocketHandle::AddressText(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) return {};
    return text;
}
