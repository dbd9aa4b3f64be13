#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>

namespace Mms {

// How long a synchronous wait for an answer watches its queue before it sleeps. It
// follows the answer times seen lately (a moving average): a peer that answers within
// microseconds is waited for without a sleep and wake-up, and the spin is about one
// answer time, so the CPU it costs is bounded by the request's own round trip. A peer
// slower than MaximumSpin gets no spin at all, so an idle or slow peer costs nothing.
class AnswerSpin {
public:
    static constexpr std::chrono::nanoseconds MaximumSpin = std::chrono::microseconds(100);

    std::chrono::nanoseconds Bound() const {
        const std::int64_t average = averageNs_.load(std::memory_order_relaxed);
        if (average > MaximumSpin.count()) return std::chrono::nanoseconds(0);
        return std::chrono::nanoseconds(std::min<std::int64_t>(average + average / 2, MaximumSpin.count()));
    }

    // One wait's time, from its start to the answer in hand.
    void Record(std::chrono::nanoseconds waited) {
        const std::int64_t sample = std::min<std::int64_t>(waited.count(), 100 * MaximumSpin.count());
        const std::int64_t average = averageNs_.load(std::memory_order_relaxed);
        averageNs_.store(average + (sample - average) / 8, std::memory_order_relaxed);
    }

private:
    // Starts within the bound, so that the first answers can show how fast the peer is.
    std::atomic<std::int64_t> averageNs_{MaximumSpin.count() / 2};
};

}  // namespace Mms
