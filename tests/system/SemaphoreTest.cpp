#include "system/Semaphore.h"

#include "system/Polling.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using System::Semaphore;
using TestSupport::ElapsedSince;

namespace {

// Takes every unit that is there without waiting and says how many there were.
int DrainUnits(Semaphore& semaphore) {
    int units = 0;
    while (semaphore.Wait(1) == Semaphore::Acquired) ++units;
    return units;
}

}  // namespace

TEST(Semaphore, UnusableConstructionFailsEveryCall) {
    struct Case {
        std::uint16_t maximum, initial;
    };
    for (Case c : {Case{0, 0}, Case{1, 2}, Case{3, 4}}) {
        Semaphore semaphore(c.maximum, c.initial);
        EXPECT_EQ(semaphore.Release(), 1) << c.maximum << "/" << c.initial;
        EXPECT_EQ(semaphore.Wait(1), Semaphore::WaitFailed) << c.maximum << "/" << c.initial;
    }
}

TEST(Semaphore, LockReleasedTwiceStillAdmitsOneWaiter) {
    Semaphore lock(1, 1);
    EXPECT_EQ(lock.Release(), 0);
    EXPECT_EQ(lock.Release(), 0);
    EXPECT_EQ(lock.Wait(1), Semaphore::Acquired);
    EXPECT_EQ(lock.Wait(1), Semaphore::TimedOut);
    EXPECT_FALSE(lock.TryWait());
    EXPECT_EQ(lock.Release(), 0);
    EXPECT_TRUE(lock.TryWait());
    EXPECT_FALSE(lock.TryWait());
    EXPECT_FALSE(Semaphore(0, 0).TryWait());
}

// A watch longer than the wait's bound ends with the bound.
TEST(Semaphore, TimedOutWaitLeavesTheCountAlone) {
    for (const std::chrono::nanoseconds spin : {std::chrono::nanoseconds(0), std::chrono::nanoseconds(100'000),
                                                std::chrono::nanoseconds(std::chrono::seconds(30))}) {
        SCOPED_TRACE(spin.count());
        Semaphore signal(5, 0);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(signal.Wait(20, spin), Semaphore::TimedOut);
        EXPECT_GE(ElapsedSince(start).count(), 15);
        EXPECT_LT(ElapsedSince(start).count(), 10'000);
        EXPECT_EQ(signal.Release(), 0);
        EXPECT_EQ(DrainUnits(signal), 1);
    }
}

TEST(Semaphore, UnlimitedWaitBlocksUntilAnotherThreadReleases) {
    Semaphore signal(1, 0);
    std::atomic<bool> returned{false};
    int outcome = -1;
    std::thread waiter([&] {
        outcome = signal.Wait(0);
        returned = true;
    });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    EXPECT_EQ(signal.Release(), 0);
    waiter.join();
    EXPECT_EQ(outcome, Semaphore::Acquired);
}

TEST(Semaphore, ConcurrentReleasesNeverExceedTheMaximum) {
    Semaphore semaphore(3, 0);
    std::vector<std::thread> releasers;
    for (int t = 0; t < 8; ++t) {
        releasers.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) EXPECT_EQ(semaphore.Release(), 0);
        });
    }
    for (auto& thread : releasers) thread.join();
    EXPECT_EQ(DrainUnits(semaphore), 3);
}

// Many waiters and releasers at once: every unit released is taken exactly once, no
// wake-up is lost (a lost one leaves a waiter hanging until its generous time-out),
// and nothing is left over.
TEST(Semaphore, ManyWaitersTakeExactlyWhatWasReleased) {
    constexpr int kWaiters = 6, kReleasers = 3, kUnitsPerWaiter = 500;
    constexpr int kUnits = kWaiters * kUnitsPerWaiter;
    Semaphore semaphore(kUnits, 0);
    std::atomic<int> acquired{0}, failed{0};
    std::vector<std::thread> threads;
    for (int w = 0; w < kWaiters; ++w) {
        // Half the waiters watch the count before they sleep.
        const std::chrono::nanoseconds spin(w % 2 == 0 ? 0 : 50'000);
        threads.emplace_back([&, spin] {
            for (int i = 0; i < kUnitsPerWaiter; ++i) {
                if (semaphore.Wait(20000, spin) == Semaphore::Acquired) ++acquired;
                else ++failed;
            }
        });
    }
    for (int r = 0; r < kReleasers; ++r) {
        threads.emplace_back([&] {
            for (int i = 0; i < kUnits / kReleasers; ++i) semaphore.Release();
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(acquired.load(), kUnits);
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(DrainUnits(semaphore), 0);
}

// Two signals of maximum 1 bounced between two threads: the pattern of a connect
// signal or a confirmation wait. A release judged "at the maximum" by a stale count
// would drop the signal and stall the exchange.
// Waits that watch the count first (long enough to see most releases, too short for some)
// must not lose one either, nor take a unit twice.
TEST(Semaphore, PingPongSignalsLoseNoWakeUp) {
    for (const std::chrono::nanoseconds spin :
         {std::chrono::nanoseconds(0), std::chrono::nanoseconds(2'000), std::chrono::nanoseconds(200'000)}) {
        SCOPED_TRACE(spin.count());
        Semaphore ping(1, 0), pong(1, 0);
        constexpr int kRounds = 5000;
        std::atomic<int> stalls{0};
        std::thread partner([&] {
            for (int i = 0; i < kRounds; ++i) {
                if (ping.Wait(20000, spin) != Semaphore::Acquired) ++stalls;
                pong.Release();
            }
        });
        for (int i = 0; i < kRounds; ++i) {
            ping.Release();
            if (pong.Wait(20000, spin) != Semaphore::Acquired) ++stalls;
        }
        partner.join();
        EXPECT_EQ(stalls.load(), 0);
        EXPECT_FALSE(ping.TryWait());
        EXPECT_FALSE(pong.TryWait());
    }
}
