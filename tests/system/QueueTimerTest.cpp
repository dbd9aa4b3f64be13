#include "system/QueueTimer.h"

#include "system/Polling.h"
#include "system/Semaphore.h"
#include "system/Task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using System::QueueTimer;
using System::ResultCode;
using System::Semaphore;
using System::Task;
using TestSupport::ElapsedSince;
using TestSupport::Eventually;

namespace {

// An owner that counts expiries and can run extra code in its OnTimer.
class TimerOwner : public Task {
public:
    ResultCode OnTimer(QueueTimer* timer) override {
        lastTimer = timer;
        if (onTimer) onTimer(timer);
        ++calls;
        return System::OkNoError;
    }

    std::atomic<int> calls{0};
    std::atomic<QueueTimer*> lastTimer{nullptr};
    std::function<void(QueueTimer*)> onTimer;
};

}  // namespace

TEST(QueueTimer, OneShotExpiresOnceAndStaysExpiredUntilCancel) {
    TimerOwner owner;
    QueueTimer timer(&owner);
    timer.Configure(30, false);
    EXPECT_FALSE(timer.IsExpired());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(timer.Start());
    ASSERT_TRUE(Eventually([&] { return owner.calls.load() == 1; }));
    EXPECT_GE(ElapsedSince(start).count(), 25);
    EXPECT_EQ(owner.lastTimer.load(), &timer);
    EXPECT_TRUE(timer.IsExpired());
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(100));
    EXPECT_EQ(owner.calls.load(), 1);
    EXPECT_TRUE(timer.IsExpired());
    timer.Cancel();
    EXPECT_FALSE(timer.IsExpired());
}

TEST(QueueTimer, PeriodicExpiresAtOnceThenRepeatsUntilCancel) {
    TimerOwner owner;
    QueueTimer timer(&owner);
    timer.Configure(60000, true);  // the first expiry does not wait for the interval
    ASSERT_TRUE(timer.Start());
    EXPECT_TRUE(Eventually([&] { return owner.calls.load() == 1; }, std::chrono::seconds(20)));
    timer.Cancel();

    owner.calls = 0;
    timer.Configure(10, true);
    ASSERT_TRUE(timer.Start());
    EXPECT_TRUE(Eventually([&] { return owner.calls.load() >= 5; }));
    timer.Cancel();
    const int afterCancel = owner.calls.load();
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(60));
    EXPECT_EQ(owner.calls.load(), afterCancel);
}

TEST(QueueTimer, WithoutOwnerOnlyTheFlagIsSet) {
    QueueTimer timer;
    timer.Configure(0, false);
    ASSERT_TRUE(timer.Start());
    EXPECT_TRUE(Eventually([&] { return timer.IsExpired(); }));
}

TEST(QueueTimer, StartReplacesAnEarlierArming) {
    TimerOwner owner;
    QueueTimer timer(&owner);
    timer.Configure(5, true);
    ASSERT_TRUE(timer.Start());
    ASSERT_TRUE(Eventually([&] { return owner.calls.load() >= 2; }));
    timer.Configure(20, false);
    ASSERT_TRUE(timer.Start());  // waits out a running callback of the periodic arming
    owner.calls = 0;
    EXPECT_FALSE(timer.IsExpired());
    ASSERT_TRUE(Eventually([&] { return owner.calls.load() == 1; }));
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(80));
    EXPECT_EQ(owner.calls.load(), 1);
}

TEST(QueueTimer, SeveralTimersExpireIndependently) {
    TimerOwner first, second;
    QueueTimer slow(&first), fast(&second);
    slow.Configure(60000, false);
    fast.Configure(10, false);
    ASSERT_TRUE(slow.Start());
    ASSERT_TRUE(fast.Start());
    EXPECT_TRUE(Eventually([&] { return second.calls.load() == 1; }));
    EXPECT_EQ(first.calls.load(), 0);
    EXPECT_FALSE(slow.IsExpired());
}

// Cancel on another thread must not return while the callback is still running.
TEST(QueueTimer, CancelWaitsForARunningCallback) {
    TimerOwner owner;
    Semaphore entered(1, 0), proceed(1, 0);
    std::atomic<bool> callbackFinished{false};
    owner.onTimer = [&](QueueTimer*) {
        entered.Release();
        proceed.Wait(20000);
        callbackFinished = true;
    };
    QueueTimer timer(&owner);
    timer.Configure(0, false);
    ASSERT_TRUE(timer.Start());
    ASSERT_EQ(entered.Wait(20000), Semaphore::Acquired);

    std::atomic<bool> cancelReturned{false};
    bool finishedWhenCancelReturned = false;
    std::thread canceller([&] {
        timer.Cancel();
        finishedWhenCancelReturned = callbackFinished.load();
        cancelReturned = true;
    });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(50));
    EXPECT_FALSE(cancelReturned.load());
    proceed.Release();
    canceller.join();
    EXPECT_TRUE(finishedWhenCancelReturned);
}

TEST(QueueTimer, CancelAndDestroyFromInsideTheOwnCallbackDoNotDeadlock) {
    TimerOwner owner;
    Semaphore done(1, 0);
    auto* timer = new QueueTimer(&owner);
    owner.onTimer = [&](QueueTimer* expired) {
        expired->Cancel();
        delete expired;
        done.Release();
    };
    timer->Configure(5, true);
    ASSERT_TRUE(timer->Start());
    ASSERT_EQ(done.Wait(20000), Semaphore::Acquired);
    TestSupport::LeaveTimeForAFaultToShow(
        std::chrono::milliseconds(40));  // a periodic re-arming of the deleted timer would expire by now
    EXPECT_EQ(owner.calls.load(), 1);
}

TEST(QueueTimer, APeriodicTimerCancelledInItsCallbackStops) {
    TimerOwner owner;
    QueueTimer timer(&owner);
    owner.onTimer = [](QueueTimer* expired) { expired->Cancel(); };
    timer.Configure(5, true);
    ASSERT_TRUE(timer.Start());
    ASSERT_TRUE(Eventually([&] { return owner.calls.load() == 1; }));
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(40));
    EXPECT_EQ(owner.calls.load(), 1);
}

// Owners with fast periodic timers are torn down while callbacks fly: destroying
// the timer first must keep every callback off the destroyed owner (the sanitizers
// report it otherwise).
TEST(QueueTimer, DestroyRacingWithCallbacksNeverReachesADeadOwner) {
    struct Owner : Task {
        ResultCode OnTimer(QueueTimer*) override {
            ++*counter;
            return System::OkNoError;
        }
        int* counter = new int(0);
        ~Owner() override { delete counter; }
    };
    for (int round = 0; round < 100; ++round) {
        auto* owner = new Owner;
        auto* timer = new QueueTimer(owner);
        timer->Configure(1, true);
        ASSERT_TRUE(timer->Start());
        // Varies where the teardown meets the callbacks.
        if (round % 3 != 0) std::this_thread::sleep_for(std::chrono::milliseconds(round % 4));
        if (round % 2 == 0) timer->Cancel();
        delete timer;
        delete owner;
    }
}
