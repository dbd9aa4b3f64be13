#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>

namespace Mms {

// Whether, and how long, a synchronous wait for an answer watches its queue before it
// sleeps.
//
// On an idle machine the sleep is what a fast answer costs most: the receive thread
// that files it must wake the caller, often on a halted processor. Watching the queue
// takes that wake-up away. On a busy machine the watching caller takes the processor
// that the receive threads need to produce the answer, and every wait gets slower. No
// fixed rule is right for both, so the waits tune themselves: each wait is timed, the
// answer times with and without the watch are averaged apart, and the faster way is
// used, the other one being tried every TrialEvery waits so that a change of load is
// noticed.
//
// The watch lasts at most half as long again as an answer takes without it, and never
// more than the longest watch (MaximumSpin unless the owner sets another): a peer slower
// than that is never watched for, so the CPU a wait may cost stays within the request's
// own round trip.
class AnswerSpin {
public:
    using Nanoseconds = std::chrono::nanoseconds;
    static constexpr Nanoseconds MaximumSpin = std::chrono::microseconds(100);
    static constexpr std::uint32_t TrialEvery = 16;

    AnswerSpin() = default;
    // For waits whose answer, slept for, takes longer than an MMS answer's.
    explicit AnswerSpin(Nanoseconds longestWatch) : longestNs_(longestWatch.count()) {}

    struct Plan {
        Nanoseconds spin{0};  // how long to watch before sleeping (zero: sleep at once)
    };

    // How the next wait is to be made.
    Plan Next() {
        const std::uint32_t wait = waits_.fetch_add(1, std::memory_order_relaxed);
        const std::int64_t sleeping = sleepingNs_.load(std::memory_order_relaxed);
        const std::int64_t watching = watchingNs_.load(std::memory_order_relaxed);
        // The first wait is made without the watch: its time bounds the watch.
        if (sleeping == 0) return {};
        const std::int64_t bound = std::min<std::int64_t>(sleeping + sleeping / 2, longestNs_);
        if (sleeping > longestNs_) return {};
        const bool trial = wait % TrialEvery == TrialEvery - 1;
        const bool watchIsFaster = watching == 0 || watching < sleeping;
        return watchIsFaster != trial ? Plan{Nanoseconds(bound)} : Plan{};
    }

    // Makes one wait to the next plan and records it when it got its answer:
    // wait(spin) waits, watching for up to spin first; got(outcome) tells an answer.
    template <typename WaitFn, typename GotFn>
    auto Wait(WaitFn wait, GotFn got) {
        const Plan plan = Next();
        const auto started = std::chrono::steady_clock::now();
        auto outcome = wait(plan.spin);
        if (got(outcome)) Record(plan, std::chrono::steady_clock::now() - started);
        return outcome;
    }

    // What a wait made to the plan took, from its start to the answer in hand.
    void Record(const Plan& plan, Nanoseconds waited) {
        std::atomic<std::int64_t>& average = plan.spin.count() > 0 ? watchingNs_ : sleepingNs_;
        // One stalled answer must not hide the peer's usual pace for long.
        const std::int64_t sample = std::max<std::int64_t>(1, std::min<std::int64_t>(waited.count(), 100 * longestNs_));
        const std::int64_t before = average.load(std::memory_order_relaxed);
        average.store(before == 0 ? sample : before + (sample - before) / 8, std::memory_order_relaxed);
    }

private:
    const std::int64_t longestNs_ = MaximumSpin.count();
    std::atomic<std::uint32_t> waits_{0};
    // Moving averages of the waits made each way, in nanoseconds; zero until the first.
    std::atomic<std::int64_t> sleepingNs_{0};
    std::atomic<std::int64_t> watchingNs_{0};
};

}  // namespace Mms
