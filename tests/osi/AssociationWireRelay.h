#pragma once

// A TCP relay on 127.0.0.1 between a client chain and a server chain that records
// what crosses it, one recording per TCP connection, in the order the bytes arrived.
// It closes both ends of a connection as soon as either end closes, so a close or an
// abort reaches the other side as it would without the relay: an orderly end (FIN) as
// one, a reset (RST) as a reset once what came before it has been delivered. Asked to, it
// ends a connection itself right after the device's conclude answer.

#include <arpa/inet.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "support/LoopbackSockets.h"
#include "support/WireCheck.h"

namespace AssociationTest {

class AssociationWireRelay {
public:
    explicit AssociationWireRelay(std::uint16_t serverPort) : serverPort_(serverPort) {
        listening_ = TestSupport::ListenOnLoopback(port_);
        int pipe[2] = {-1, -1};
        if (::pipe(pipe) == 0) {
            wakeRead_ = pipe[0];
            wakeWrite_ = pipe[1];
        }
        thread_ = std::thread([this] { Run(); });
    }

    ~AssociationWireRelay() {
        stop_.store(true);
        Wake();
        thread_.join();
        for (Pair& pair : pairs_) ClosePair(pair);
        for (const int descriptor : {listening_, wakeRead_, wakeWrite_}) {
            if (descriptor >= 0) ::close(descriptor);
        }
    }

    AssociationWireRelay(const AssociationWireRelay&) = delete;
    AssociationWireRelay& operator=(const AssociationWireRelay&) = delete;

    std::uint16_t Port() const { return port_; }

    // The units of the n-th connection through the relay (from 0).
    std::vector<TestSupport::WireUnit> Units(std::size_t connection) const {
        std::lock_guard lock(mutex_);
        return connection < recordings_.size() ? recordings_[connection] : std::vector<TestSupport::WireUnit>{};
    }
    std::size_t Connections() const {
        std::lock_guard lock(mutex_);
        return recordings_.size();
    }
    // Whether the n-th connection has ended (either end closed it), and whether the client
    // closed it.
    bool Ended(std::size_t connection) const {
        std::lock_guard lock(mutex_);
        return connection < ended_.size() && ended_[connection] != End::Open;
    }
    bool EndedByClient(std::size_t connection) const {
        std::lock_guard lock(mutex_);
        return connection < ended_.size() &&
               (ended_[connection] == End::ByClient || ended_[connection] == End::ResetByClient);
    }
    // Whether the client ended the n-th connection with a reset rather than a FIN.
    bool ResetByClient(std::size_t connection) const {
        std::lock_guard lock(mutex_);
        return connection < ended_.size() && ended_[connection] == End::ResetByClient;
    }
    // Closes both ends of the n-th connection, as a device or the network would.
    void DropConnection(std::size_t connection) {
        {
            std::lock_guard lock(mutex_);
            drops_.push_back(connection);
        }
        Wake();
    }
    // The next bytes towards the client that hold `from` carry `to` (of the same length)
    // in its place, once: a unit the server sent whole arrives damaged. The recording
    // keeps what was forwarded.
    void DamageNextToClient(std::vector<std::uint8_t> from, std::vector<std::uint8_t> to) {
        std::lock_guard lock(mutex_);
        damageFrom_ = std::move(from);
        damageTo_ = std::move(to);
    }
    // From now on a connection ends (both ways, in order) right after the device's conclude
    // answer has been forwarded to the client, as many devices close their transport once
    // they have answered: the client reads that close straight after the answer.
    void CloseAfterConcludeAnswer() { closeAfterConclude_.store(true); }

private:
    enum class End { Open, ByClient, ResetByClient, ByServer };
    struct Pair {
        int client = -1;
        int server = -1;
        std::size_t recording = 0;
        // The last octets forwarded to the client, so that a conclude answer split across
        // reads is still seen.
        std::vector<std::uint8_t> toClientTail;
    };
    // A conclude-ResponsePDU (NULL) as the one value of a presentation data value: the last
    // octets of the unit that carries it.
    static constexpr std::uint8_t ConcludeAnswer[] = {0xA0, 0x02, 0x8C, 0x00};

    void Wake() {
        const char byte = 0;
        if (::write(wakeWrite_, &byte, 1) < 0) {
            // The relay thread also looks at its work on each turn.
        }
    }

    static void CloseEnd(int& descriptor, bool reset) {
        if (descriptor < 0) return;
        if (reset) {
            // What was forwarded before the reset arrives first, as it would without the relay.
            for (int turn = 0; turn < 1000; ++turn) {
                int queued = 0;
                if (::ioctl(descriptor, SIOCOUTQ, &queued) != 0 || queued <= 0) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            const linger discard{1, 0};
            ::setsockopt(descriptor, SOL_SOCKET, SO_LINGER, &discard, sizeof discard);
        } else {
            ::shutdown(descriptor, SHUT_RDWR);
        }
        ::close(descriptor);
        descriptor = -1;
    }
    static void ClosePair(Pair& pair, bool reset = false) {
        CloseEnd(pair.client, reset);
        CloseEnd(pair.server, reset);
    }

    void Accept() {
        Pair pair;
        pair.client = ::accept(listening_, nullptr, nullptr);
        if (pair.client < 0) return;
        pair.server = TestSupport::ConnectToLoopback(serverPort_);
        if (pair.server < 0) {
            ClosePair(pair);
            return;
        }
        {
            std::lock_guard lock(mutex_);
            pair.recording = recordings_.size();
            recordings_.emplace_back();
            ended_.push_back(End::Open);
        }
        pairs_.push_back(pair);
    }

    // Whether the octets forwarded to the client end with a conclude answer.
    static bool EndsWithConcludeAnswer(Pair& pair, const std::uint8_t* bytes, std::size_t count) {
        std::vector<std::uint8_t>& tail = pair.toClientTail;
        tail.insert(tail.end(), bytes + count - std::min(count, sizeof ConcludeAnswer), bytes + count);
        if (tail.size() > sizeof ConcludeAnswer) tail.erase(tail.begin(), tail.end() - sizeof ConcludeAnswer);
        return std::equal(tail.begin(), tail.end(), std::begin(ConcludeAnswer), std::end(ConcludeAnswer));
    }

    // Forwards one chunk; false when the connection has ended (reset tells whether by a reset).
    bool Forward(Pair& pair, bool fromClient, bool& reset) {
        std::uint8_t buffer[65536];
        const int from = fromClient ? pair.client : pair.server;
        const int to = fromClient ? pair.server : pair.client;
        const ssize_t received = ::recv(from, buffer, sizeof buffer, 0);
        reset = received < 0 && errno == ECONNRESET;
        if (received <= 0) return false;
        {
            std::lock_guard lock(mutex_);
            if (!fromClient && !damageFrom_.empty() && damageFrom_.size() == damageTo_.size()) {
                const auto found = std::search(buffer, buffer + received, damageFrom_.begin(), damageFrom_.end());
                if (found != buffer + received) {
                    std::copy(damageTo_.begin(), damageTo_.end(), found);
                    damageFrom_.clear();
                }
            }
            recordings_[pair.recording].push_back(
                TestSupport::WireUnit{fromClient, std::vector<std::uint8_t>(buffer, buffer + received)});
        }
        if (!TestSupport::SendAll(to, buffer, static_cast<std::size_t>(received))) return false;
        // Ended here, as by the device: the connection is closed before anything more is read.
        return fromClient || !closeAfterConclude_.load() ||
               !EndsWithConcludeAnswer(pair, buffer, static_cast<std::size_t>(received));
    }

    void Run() {
        while (!stop_.load()) {
            std::vector<pollfd> watched{{wakeRead_, POLLIN, 0}, {listening_, POLLIN, 0}};
            for (const Pair& pair : pairs_) {
                watched.push_back({pair.client, POLLIN, 0});
                watched.push_back({pair.server, POLLIN, 0});
            }
            if (::poll(watched.data(), watched.size(), 1000) <= 0) continue;
            if (watched[0].revents != 0) {
                char drained[64];
                if (::read(wakeRead_, drained, sizeof drained) < 0) {
                    // Nothing to drain: the flags below tell what to do.
                }
                DropRequested();
            }
            if (watched[1].revents != 0) Accept();
            for (std::size_t i = 0; i < pairs_.size() && 2 + 2 * i + 1 < watched.size(); ++i) {
                Pair& pair = pairs_[i];
                const bool clientReady = watched[2 + 2 * i].revents != 0;
                const bool serverReady = watched[3 + 2 * i].revents != 0;
                bool reset = false;
                const bool clientEnded = clientReady && !Forward(pair, true, reset);
                if (clientEnded || (serverReady && !Forward(pair, false, reset))) {
                    {
                        std::lock_guard lock(mutex_);
                        ended_[pair.recording] =
                            clientEnded ? (reset ? End::ResetByClient : End::ByClient) : End::ByServer;
                    }
                    ClosePair(pair, reset);
                }
            }
            std::erase_if(pairs_, [](const Pair& pair) { return pair.client < 0; });
        }
    }

    void DropRequested() {
        std::vector<std::size_t> drops;
        {
            std::lock_guard lock(mutex_);
            drops.swap(drops_);
        }
        for (Pair& pair : pairs_) {
            if (std::find(drops.begin(), drops.end(), pair.recording) == drops.end() || pair.client < 0) continue;
            {
                std::lock_guard lock(mutex_);
                ended_[pair.recording] = End::ByServer;
            }
            ClosePair(pair);
        }
    }

    const std::uint16_t serverPort_;
    std::uint16_t port_ = 0;
    int listening_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> stop_{false};
    // Relay thread only.
    std::vector<Pair> pairs_;
    mutable std::mutex mutex_;
    std::vector<std::vector<TestSupport::WireUnit>> recordings_;
    std::vector<End> ended_;
    std::vector<std::size_t> drops_;
    std::vector<std::uint8_t> damageFrom_;
    std::vector<std::uint8_t> damageTo_;
    std::atomic<bool> closeAfterConclude_{false};
    std::thread thread_;
};

}  // namespace AssociationTest
