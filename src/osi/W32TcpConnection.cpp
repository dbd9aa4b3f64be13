#include "osi/W32TcpConnection.h"

#include "osi/SocketHandle.h"
#include "osi/TcpLayer.h"
#include "osi/W32TcpLayer.h"
#include "protocol/Frame.h"

#include <netdb.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <new>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

W32TcpConnection::W32TcpConnection(TcpLayer* layer) : TcpConnection(layer) {
    Reset();
    // Last: the receive thread must find a fully built connection.
    Start();
}

W32TcpConnection::~W32TcpConnection() {
    // No accepted socket may arrive from now on.
    LeaveWaitingList();
    Stop();
    DetachSocket();
}

void W32TcpConnection::OnStopRequested() {
    std::shared_ptr<SocketHandle> socket;
    {
        std::lock_guard lock(mutex_);
        socket = socket_;
        connectAborted_ = true;
    }
    // Outside the lock: an abortive close waits a little for what is queued to leave.
    if (socket) socket->Shutdown();
    changed_.notify_all();
}

System::ResultCode W32TcpConnection::Report(std::uint32_t event) {
    if (Connection* upper = GetUpper()) return upper->OnLowerBytes(nullptr, 0, event);
    return System::OkNoError;
}

std::shared_ptr<SocketHandle> W32TcpConnection::DetachSocket() {
    std::shared_ptr<SocketHandle> socket;
    {
        std::lock_guard lock(mutex_);
        socket = std::exchange(socket_, nullptr);
        released_ = false;
        announceConnected_ = false;
    }
    if (socket) socket->Shutdown();
    return socket;
}

System::ResultCode W32TcpConnection::Run() {
    for (;;) {
        std::shared_ptr<SocketHandle> socket;
        std::uint64_t epoch = 0;
        bool announce = false;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return StopRequested() || (released_ && socket_ && epoch_ != servedEpoch_); });
            if (StopRequested()) return System::OkNoError;
            socket = socket_;
            epoch = servedEpoch_ = epoch_;
            serving_ = true;
            announce = std::exchange(announceConnected_, false);
        }
        if (announce) Report(Connected);
        Serve(socket, epoch);
    }
}

void W32TcpConnection::Serve(const std::shared_ptr<SocketHandle>& socket, std::uint64_t epoch) {
    for (;;) {
        // The layer above sets the chunk size through the maximum PDU size.
        const std::uint32_t wanted = std::clamp<std::uint32_t>(GetMaxPduSize(), DefaultReceiveChunk, MaximumPduSize);
        if (receiveBuffer_.size() != wanted) {
            try {
                receiveBuffer_.resize(wanted);
            } catch (const std::bad_alloc&) {
                if (receiveBuffer_.empty()) break;
                SetMaxPduSizeField(static_cast<std::uint32_t>(receiveBuffer_.size()));
            }
        }
        const long received = socket->Receive(receiveBuffer_.data(), receiveBuffer_.size());
        if (received <= 0) break;
        bool current = false;
        {
            std::lock_guard lock(mutex_);
            current = socket_ == socket && closeRequested_ != epoch;
        }
        if (!current || StopRequested()) break;
        if (Connection* upper = GetUpper())
            upper->OnLowerBytes(receiveBuffer_.data(), static_cast<std::uint32_t>(received), BytesReceived);
    }
    EndOfStream(socket, epoch);
}

void W32TcpConnection::EndOfStream(const std::shared_ptr<SocketHandle>& socket, std::uint64_t epoch) {
    bool mine = false;
    bool requested = false;
    {
        std::lock_guard lock(mutex_);
        mine = socket_ == socket;
        if (mine) {
            socket_.reset();
            released_ = false;
            // A stream ended by a reset, or by a close on this thread, was reported
            // already (or is not to be); a stop tears the chain down and reports nothing.
            mine = !StopRequested();
        }
        requested = closeRequested_ == epoch;
    }
    socket->Shutdown();
    System::ResultCode result = System::OkNoError;
    if (mine) {
        // Reset first: whoever hears Closed finds the connection idle and reusable.
        result = Reset();
        Report(Closed);
    }
    {
        std::lock_guard lock(mutex_);
        serving_ = false;
        if (requested) {
            closeDone_ = epoch;
            closeResult_ = result;
        }
    }
    changed_.notify_all();
}

System::ResultCode W32TcpConnection::Reset() {
    DetachSocket();
    const System::ResultCode result = TcpConnection::Reset();
    SetMaxPduSizeField(DefaultReceiveChunk);
    return result;
}

System::ResultCode W32TcpConnection::Close() { return CloseLink(TransportLink::Handshake()); }

bool W32TcpConnection::NamesCurrentLocked(TransportLink link) {
    if (link.IsServed()) return IsTaskThread() && serving_ && servedEpoch_ == epoch_;
    return !link.IsNumbered() || link.GetNumber() == epoch_;
}

System::ResultCode W32TcpConnection::CloseLink(TransportLink link) {
    if (IsTaskThread()) return CloseOnReceiveThread(link);

    std::unique_lock lock(mutex_);
    // An ended link's close must not end the socket taken in after it.
    if (!NamesCurrentLocked(link)) return System::OkNoError;
    connectAborted_ = true;
    if (!socket_) {
        // The stream may have just ended on its own, or been closed by a layer above
        // that is still handling what it received: the caller must not go on before the
        // receive thread has left it (unless that thread may be waiting for this one).
        if (ClosesWaitForReceiveThread()) WaitForEnding(lock);
        return System::OkNoError;
    }
    const std::shared_ptr<SocketHandle> socket = socket_;
    const std::uint64_t epoch = epoch_;
    if (servedEpoch_ == epoch) {
        // The receive thread serves this socket: it ends the stream and reports, so
        // that nothing climbs the stack from two threads at once.
        closeRequested_ = epoch;
        // The receive thread passes on nothing more of this stream from here on; the
        // shutdown may wait a little for what is queued to leave, and takes no lock.
        lock.unlock();
        socket->Shutdown();
        lock.lock();
        auto done = [&] { return closeDone_ == epoch; };
        const std::uint32_t timeout = GetTimeout();
        // On a thread the receive thread may be waiting for (held in a callback that ends
        // this thread's association), the stream ends below at once, as it does there once
        // the time-out has passed.
        if (ClosesWaitForReceiveThread()) {
            if (timeout == 0) changed_.wait(lock, done);
            else changed_.wait_for(lock, std::chrono::milliseconds(timeout), done);
        }
        if (done()) return closeResult_;
        if (socket_ != socket) return System::OkNoError;  // the receive thread is reporting it right now
        // The receive thread is held up above us: end the stream here.
    }
    socket_.reset();
    released_ = false;
    announceConnected_ = false;
    lock.unlock();
    socket->Shutdown();
    const System::ResultCode result = Reset();
    Report(Closed);
    return result;
}

System::ResultCode W32TcpConnection::HangupLink(TransportLink link) {
    const std::shared_ptr<SocketHandle> socket = SocketFor(link);
    if (!socket) return System::NotConnected;
    // Waits for nothing, not even for what is queued to leave.
    socket->Shutdown(std::chrono::milliseconds{0});
    return System::OkNoError;
}

void W32TcpConnection::SetGracefulClose(TransportLink link) {
    if (const std::shared_ptr<SocketHandle> socket = SocketFor(link)) socket->SetGracefulClose();
}

bool W32TcpConnection::WaitForEnding(std::unique_lock<std::mutex>& lock) {
    auto ended = [this] { return !serving_ || (socket_ && servedEpoch_ == epoch_); };
    const std::uint32_t timeout = GetTimeout();
    if (timeout == 0) {
        changed_.wait(lock, ended);
        return true;
    }
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout), ended);
}

System::ResultCode W32TcpConnection::CloseOnReceiveThread(TransportLink link) {
    {
        // No socket is taken in while this thread still serves the last one.
        std::lock_guard lock(mutex_);
        if (!link.IsServed() && !NamesCurrentLocked(link)) return System::OkNoError;
    }
    const std::shared_ptr<SocketHandle> socket = DetachSocket();
    if (!socket && GetState() == StateIdle) return System::OkNoError;
    const System::ResultCode result = Reset();
    if (socket) Report(Closed);
    return result;
}

System::ResultCode W32TcpConnection::ConnectFailed(const std::shared_ptr<SocketHandle>&) {
    Report(Closed);
    std::this_thread::sleep_for(std::chrono::milliseconds(ConnectFailurePauseMs));
    return System::Error;
}

System::ResultCode W32TcpConnection::Connect() {
    RunStepHook(Step::Connect);
    if (ConnectsGivenUp()) return ConnectFailed(nullptr);
    bool ended = true;
    {
        std::unique_lock lock(mutex_);
        if (socket_) return System::AlreadyConnected;
        // The receive thread may still be carrying the end of the last stream up (it
        // reaches this point only from inside that): a new stream must not overtake it.
        if (!IsTaskThread()) ended = WaitForEnding(lock);
        if (socket_) return System::AlreadyConnected;
        connectAborted_ = false;
    }
    if (!ended) return ConnectFailed(nullptr);
    const Settings settings = GetSettings();

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* resolved = nullptr;
    const std::string service = std::to_string(settings.remotePort);
    if (settings.remoteAddress.empty() ||
        ::getaddrinfo(settings.remoteAddress.c_str(), service.c_str(), &hints, &resolved) != 0 || resolved == nullptr) {
        if (resolved != nullptr) ::freeaddrinfo(resolved);
        return ConnectFailed(nullptr);
    }
    sockaddr_in address{};
    const bool usable = resolved->ai_family == AF_INET && resolved->ai_addrlen >= sizeof address;
    if (usable) address = *reinterpret_cast<const sockaddr_in*>(resolved->ai_addr);
    ::freeaddrinfo(resolved);
    if (!usable) return ConnectFailed(nullptr);

    const std::shared_ptr<SocketHandle> socket = SocketHandle::Connect(address, GetTimeout(), [this] {
        std::lock_guard lock(mutex_);
        return connectAborted_ || ConnectsGivenUp();
    });
    if (!socket) {
        const int error = errno;
        // The system's reason is all that tells a user why a connect failed (nothing
        // listening, no route): kept for the caller like a peer's refusal.
        if (error != 0 && error != ECANCELED) {
            SetRefusal({Protocol::PeerRefusal::Source::Transport, error, 0,
                        "TCP connect to " + settings.remoteAddress + ":" + service + ": " +
                            W32TcpLayer::SocketErrorText(error)});
        }
        return ConnectFailed(socket);
    }
    if (!socket->SetNoDelay() || !socket->SetKeepAlive(settings.keepAliveTime, settings.keepAliveInterval))
        return ConnectFailed(socket);

    std::string localAddress;
    std::uint16_t localPort = 0;
    std::string peerAddress;
    std::uint16_t peerPort = 0;
    if (!socket->LocalEndpoint(localAddress, localPort) || !socket->PeerEndpoint(peerAddress, peerPort))
        return ConnectFailed(socket);
    SetLocalAddress(localAddress + "+" + std::to_string(localPort));
    SetPeer(peerAddress, peerPort);

    {
        std::lock_guard lock(mutex_);
        if (connectAborted_ || ConnectsGivenUp() || socket_) return ConnectFailed(socket);
        socket_ = socket;
        ++epoch_;
        released_ = false;
    }
    SetState(StateConnected);
    // Reported before the receive thread starts reading, so that the layers above
    // are ready for the first bytes.
    const System::ResultCode result = Report(Connected);
    {
        std::lock_guard lock(mutex_);
        if (socket_ == socket) released_ = true;
    }
    changed_.notify_all();
    return result;
}

std::shared_ptr<SocketHandle> W32TcpConnection::SocketFor(TransportLink link) {
    // Checked and taken under the lock under which a new socket comes in: a unit made for
    // an earlier link only ever holds that link's socket, shut down and not reused.
    std::lock_guard lock(mutex_);
    return NamesCurrentLocked(link) ? socket_ : nullptr;
}

System::ResultCode W32TcpConnection::Transmit(Protocol::Frame* frame, TransportLink link) {
    if (frame == nullptr) return System::Error;
    RunStepHook(Step::Send);
    const std::shared_ptr<SocketHandle> socket = SocketFor(link);
    if (!socket) return System::NotConnected;
    if (!socket->SendAll(frame->Data(), frame->GetTotalLength())) return System::Error;
    RunStepHook(Step::Sent);
    return System::OkNoError;
}

TransportLink W32TcpConnection::GetLink() {
    std::lock_guard lock(mutex_);
    return epoch_ == 0 ? TransportLink::Handshake() : TransportLink::Numbered(epoch_);
}

bool W32TcpConnection::IsCurrentLink(TransportLink link) {
    std::lock_guard lock(mutex_);
    return NamesCurrentLocked(link);
}

System::ResultCode W32TcpConnection::SendPackets(std::span<const Packet> packets, TransportLink link) {
    if (GetState() != StateConnected) return System::NotConnected;
    RunStepHook(Step::Send);
    const std::shared_ptr<SocketHandle> socket = SocketFor(link);
    if (!socket) return System::NotConnected;
    std::vector<iovec> pieces;
    try {
        pieces.reserve(packets.size() * std::tuple_size_v<decltype(Packet::parts)>);
    } catch (const std::bad_alloc&) {
        return System::NoResources;
    }
    for (const Packet& packet : packets) {
        for (const auto& part : packet.parts) {
            // sendmsg does not write through iov_base.
            if (!part.empty()) pieces.push_back({const_cast<std::uint8_t*>(part.data()), part.size()});
        }
    }
    if (!socket->SendAll(pieces)) return System::Error;
    RunStepHook(Step::Sent);
    return System::OkNoError;
}

System::ResultCode W32TcpConnection::Accept(int descriptor, const sockaddr* peer, socklen_t peerLength) {
    // Nothing of this connection is touched for a socket it cannot take: it may be
    // serving another.
    if (peer == nullptr || peer->sa_family != AF_INET || peerLength < static_cast<socklen_t>(sizeof(sockaddr_in)))
        return System::Error;
    std::shared_ptr<SocketHandle> socket;
    {
        std::lock_guard lock(mutex_);
        if (StopRequested()) return System::Error;
        // Idle is not enough: the receive thread resets this connection before the end
        // of its last stream climbs the stack, and a socket taken in between would be
        // closed by the layers above as they tear that stream down.
        if (!socket_ && serving_) return System::NotCompleted;
        if (socket_ || serving_ || GetState() != StateIdle) return System::Error;
        socket = std::make_shared<SocketHandle>(descriptor);
        socket_ = socket;
        ++epoch_;
        released_ = true;
        announceConnected_ = true;
        SetState(StateConnected);
    }
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(peer);
    SetPeer(SocketHandle::AddressText(ipv4->sin_addr), ntohs(ipv4->sin_port));
    const Settings settings = GetSettings();
    socket->SetNoDelay();
    socket->SetKeepAlive(settings.keepAliveTime, settings.keepAliveInterval);
    changed_.notify_all();
    return System::OkNoError;
}

bool W32TcpConnection::Accepts() {
    std::lock_guard lock(mutex_);
    return !socket_ && !serving_ && GetState() == StateIdle && !StopRequested();
}
