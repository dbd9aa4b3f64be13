// What an abortive close waits for: the bytes still queued for the peer get their bounded
// chance to be acknowledged while the peer may still take them, and none once the
// connection has ended under them (the peer reset it, as a client that gave up does with
// an answer of ours unacknowledged). Each state is made by construction: the peer reads
// nothing, so the queue cannot drain, and the reset is waited for as an event.

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "osi/SocketHandle.h"

namespace {

using QueuedEnd = SocketHandle::QueuedEnd;

// A TCP connection over the loopback: our end in a SocketHandle, the peer's a bare socket.
class LoopbackStream {
public:
    LoopbackStream() {
        const int listening = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        const bool listens = ::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                             ::listen(listening, 1) == 0 &&
                             ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length) == 0;
        const int ours = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        EXPECT_TRUE(listens && ::connect(ours, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        peer_ = ::accept(listening, nullptr, nullptr);
        EXPECT_GE(peer_, 0);
        ::close(listening);
        ours_ = std::make_shared<SocketHandle>(ours);
    }
    ~LoopbackStream() {
        ours_.reset();
        if (peer_ >= 0) ::close(peer_);
    }
    LoopbackStream(const LoopbackStream&) = delete;
    LoopbackStream& operator=(const LoopbackStream&) = delete;

    SocketHandle& Ours() { return *ours_; }

    // Sends until the kernel takes no more: the peer reads nothing, so what stays queued is
    // never acknowledged while it lives.
    void FillTowardsThePeer() {
        const int descriptor = ours_->Descriptor();
        const int flags = ::fcntl(descriptor, F_GETFL, 0);
        ASSERT_EQ(::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK), 0);
        const std::vector<std::uint8_t> chunk(64 * 1024, 0x5A);
        while (::send(descriptor, chunk.data(), chunk.size(), MSG_NOSIGNAL) > 0) {}
        ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << errno;
        ASSERT_EQ(::fcntl(descriptor, F_SETFL, flags), 0);
        ASSERT_GT(Unacknowledged(), 0);
    }
    void Send(const std::vector<std::uint8_t>& bytes) { ASSERT_TRUE(ours_->SendAll(bytes.data(), bytes.size())); }
    // The peer takes exactly that many octets.
    void PeerReads(std::size_t count) {
        std::vector<std::uint8_t> into(count);
        std::size_t got = 0;
        while (got < count) {
            const ssize_t read = ::recv(peer_, into.data() + got, count - got, 0);
            ASSERT_GT(read, 0);
            got += static_cast<std::size_t>(read);
        }
    }
    // The peer resets the connection, and our end has taken the reset in.
    void PeerResets() {
        const linger discard{1, 0};
        ASSERT_EQ(::setsockopt(peer_, SOL_SOCKET, SO_LINGER, &discard, sizeof discard), 0);
        ::close(peer_);
        peer_ = -1;
        pollfd ended{ours_->Descriptor(), 0, 0};
        ASSERT_EQ(::poll(&ended, 1, 30000), 1);
        ASSERT_NE(ended.revents & (POLLERR | POLLHUP), 0);
        // The kernel still counts what was never acknowledged, and never will be.
        ASSERT_GT(Unacknowledged(), 0);
    }
    // Our receive side reads the reset, as a receive thread does before the close: the
    // error is taken, the ended connection stays.
    void OursReadsTheReset() {
        std::uint8_t byte = 0;
        ASSERT_LT(ours_->Receive(&byte, 1), 0);
        ASSERT_EQ(errno, ECONNRESET);
    }

private:
    int Unacknowledged() {
        int queued = 0;
        EXPECT_EQ(::ioctl(ours_->Descriptor(), SIOCOUTQ, &queued), 0);
        return queued;
    }

    std::shared_ptr<SocketHandle> ours_;
    int peer_ = -1;
};

enum class PeerState { ReadsAll, StoppedReading, Reset, ResetReadByUs };

TEST(QueuedBytesOnClose, AnAbortiveCloseWaitsForTheQueueOnlyWhileThePeerCanStillTakeIt) {
    struct Case {
        const char* name;
        PeerState peer;
        // The bound the close is given: a close that waited it out where it should not have
        // reports BoundPassed.
        std::chrono::milliseconds bound;
        QueuedEnd expected;
    };
    const Case cases[] = {
        {"the peer takes everything", PeerState::ReadsAll, std::chrono::seconds(30), QueuedEnd::Left},
        {"the peer reads nothing and stays", PeerState::StoppedReading, std::chrono::milliseconds(20),
         QueuedEnd::BoundPassed},
        {"the peer reset the connection", PeerState::Reset, std::chrono::seconds(30), QueuedEnd::PeerGone},
        {"the peer reset it and our receive side read the reset", PeerState::ResetReadByUs, std::chrono::seconds(30),
         QueuedEnd::PeerGone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackStream stream;
        switch (c.peer) {
            case PeerState::ReadsAll: {
                const std::vector<std::uint8_t> unit(4096, 0x33);
                stream.Send(unit);
                stream.PeerReads(unit.size());
                break;
            }
            case PeerState::StoppedReading: stream.FillTowardsThePeer(); break;
            case PeerState::Reset:
                stream.FillTowardsThePeer();
                stream.PeerResets();
                break;
            case PeerState::ResetReadByUs:
                stream.FillTowardsThePeer();
                stream.PeerResets();
                stream.OursReadsTheReset();
                break;
        }
        if (HasFatalFailure()) return;
        EXPECT_EQ(stream.Ours().Shutdown(c.bound), c.expected);
        // Once shut down, another close waits for nothing.
        EXPECT_EQ(stream.Ours().Shutdown(c.bound), QueuedEnd::NotWaited);
    }
}

}  // namespace
