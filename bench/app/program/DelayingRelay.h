#pragma once

// A TCP relay on 127.0.0.1 that holds whatever crosses it, either way, for a set time
// before passing it on, as a link to a distant device does: what arrives at t leaves at
// t + the delay, in the order it came, however much is on its way. The delay may change
// between exchanges (an association made at once, then read from far away). Once either
// end of a connection closes, what is still on its way is passed on and both are closed.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <thread>
#include <vector>

#include "support/LoopbackSockets.h"

namespace BenchSupport {

class DelayingRelay {
public:
    explicit DelayingRelay(std::uint16_t serverPort) : serverPort_(serverPort) {
        listening_ = TestSupport::ListenOnLoopback(port_);
        thread_ = std::thread([this] { Run(); });
    }

    ~DelayingRelay() {
        stop_.store(true);
        thread_.join();
        for (Pair& pair : pairs_) Close(pair);
        ::close(listening_);
    }

    DelayingRelay(const DelayingRelay&) = delete;
    DelayingRelay& operator=(const DelayingRelay&) = delete;

    std::uint16_t Port() const { return port_; }
    // Each way; what is already on its way keeps the delay it was given.
    void SetDelay(std::chrono::milliseconds delay) { delayMs_.store(delay.count()); }

private:
    using Clock = std::chrono::steady_clock;
    struct Chunk {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };
    struct Pair {
        int client = -1;
        int server = -1;
        std::deque<Chunk> toServer;
        std::deque<Chunk> toClient;
        // An end has closed: nothing more is taken in.
        bool ending = false;
    };

    static void Close(Pair& pair) {
        for (int* end : {&pair.client, &pair.server}) {
            if (*end < 0) continue;
            ::shutdown(*end, SHUT_RDWR);
            ::close(*end);
            *end = -1;
        }
    }

    void Accept() {
        Pair pair;
        pair.client = ::accept(listening_, nullptr, nullptr);
        if (pair.client < 0) return;
        pair.server = TestSupport::ConnectToLoopback(serverPort_);
        if (pair.server < 0) {
            Close(pair);
            return;
        }
        pairs_.push_back(std::move(pair));
    }

    // Takes in what one end sent; false when that end has closed.
    bool Receive(int from, std::deque<Chunk>& queue) {
        std::vector<std::uint8_t> bytes(65536);
        const ssize_t received = ::recv(from, bytes.data(), bytes.size(), 0);
        if (received <= 0) return false;
        bytes.resize(static_cast<std::size_t>(received));
        queue.push_back(Chunk{Clock::now() + std::chrono::milliseconds(delayMs_.load()), std::move(bytes)});
        return true;
    }

    // Passes on what is due; false when the other end has gone.
    static bool PassDue(int to, std::deque<Chunk>& queue, Clock::time_point now) {
        while (!queue.empty() && queue.front().due <= now) {
            if (!TestSupport::SendAll(to, queue.front().bytes.data(), queue.front().bytes.size())) return false;
            queue.pop_front();
        }
        return true;
    }

    // How long poll may sleep: until the next chunk is due, at most 100 ms (the stop).
    int SleepMs(Clock::time_point now) const {
        Clock::time_point wake = now + std::chrono::milliseconds(100);
        for (const Pair& pair : pairs_) {
            for (const std::deque<Chunk>* queue : {&pair.toServer, &pair.toClient}) {
                if (!queue->empty()) wake = std::min(wake, queue->front().due);
            }
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
        return static_cast<int>(std::max<std::int64_t>(left, 0));
    }

    void Run() {
        while (!stop_.load()) {
            std::vector<pollfd> watched{{listening_, POLLIN, 0}};
            for (const Pair& pair : pairs_) {
                // An ending pair is watched for nothing (a negative descriptor is ignored).
                watched.push_back({pair.ending ? -1 : pair.client, POLLIN, 0});
                watched.push_back({pair.ending ? -1 : pair.server, POLLIN, 0});
            }
            const std::size_t watchedPairs = pairs_.size();
            const int ready = ::poll(watched.data(), watched.size(), SleepMs(Clock::now()));
            if (ready > 0 && watched[0].revents != 0) Accept();
            for (std::size_t i = 0; i < watchedPairs; ++i) {
                Pair& pair = pairs_[i];
                if ((watched[1 + 2 * i].revents != 0 && !Receive(pair.client, pair.toServer)) ||
                    (watched[2 + 2 * i].revents != 0 && !Receive(pair.server, pair.toClient))) {
                    pair.ending = true;
                }
            }
            const Clock::time_point now = Clock::now();
            for (Pair& pair : pairs_) {
                if (pair.client < 0) continue;
                const bool passed =
                    PassDue(pair.server, pair.toServer, now) && PassDue(pair.client, pair.toClient, now);
                if (!passed || (pair.ending && pair.toServer.empty() && pair.toClient.empty())) Close(pair);
            }
            std::erase_if(pairs_, [](const Pair& pair) { return pair.client < 0; });
        }
    }

    const std::uint16_t serverPort_;
    std::uint16_t port_ = 0;
    int listening_ = -1;
    std::atomic<std::int64_t> delayMs_{0};
    std::atomic<bool> stop_{false};
    // Relay thread only.
    std::vector<Pair> pairs_;
    std::thread thread_;
};

}  // namespace BenchSupport
