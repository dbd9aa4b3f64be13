#include "system/MessageQueue.h"

#include "system/Polling.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <thread>
#include <vector>

using System::Message;
using System::MessageQueue;
using TestSupport::ElapsedSince;
using TestSupport::Eventually;

namespace {

// Counts its own destruction, to see who deletes what.
class CountedMessage : public Message {
public:
    CountedMessage(std::uint32_t id, std::atomic<int>& deleted) : Message(id), deleted_(deleted) {}
    ~CountedMessage() override { ++deleted_; }

private:
    std::atomic<int>& deleted_;
};

std::uint32_t IdOf(Message* message) {
    std::unique_ptr<Message> owned(message);
    return owned ? owned->GetId() : 0xFFFFFFFFu;
}

}  // namespace

TEST(MessageQueue, TakeByIdTakesTheOldestMatchAndKeepsTheOrderOfTheRest) {
    MessageQueue queue(10);
    Message* firstFive = new Message(5);
    ASSERT_EQ(queue.Put(firstFive), System::OkNoError);
    ASSERT_EQ(queue.Put(new Message(7)), System::OkNoError);
    ASSERT_EQ(queue.Put(new Message(5)), System::OkNoError);

    Message* taken = queue.TakeById(5, 100);
    EXPECT_EQ(taken, firstFive);
    delete taken;
    EXPECT_EQ(queue.GetCount(), 2u);
    EXPECT_EQ(IdOf(queue.Get(100)), 7u);
    EXPECT_EQ(IdOf(queue.Get(100)), 5u);
    EXPECT_EQ(queue.Get(1), nullptr);
}

// An absent id must give null within the time-out, both on an empty queue and on
// one holding other messages, and must not disturb what is queued.
TEST(MessageQueue, TakeByIdOfAnAbsentIdTimesOutAndLeavesTheQueueIntact) {
    MessageQueue queue(10);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(queue.TakeById(9, 30), nullptr);
    EXPECT_GE(ElapsedSince(start).count(), 25);

    for (std::uint32_t id : {1u, 2u, 3u}) queue.Put(new Message(id));
    for (int pass = 0; pass < 3; ++pass) EXPECT_EQ(queue.TakeById(9, 10), nullptr);
    EXPECT_EQ(queue.GetCount(), 3u);
    for (std::uint32_t id : {1u, 2u, 3u}) EXPECT_EQ(IdOf(queue.Get(100)), id);
}

TEST(MessageQueue, TakeByIdWaitsForTheMessageToArrive) {
    MessageQueue queue(10);
    std::thread sender([&] {
        TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));
        queue.Put(new Message(1));  // not the one asked for
        TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));
        queue.Put(new Message(42));
    });
    EXPECT_EQ(IdOf(queue.TakeById(42, 20000)), 42u);
    sender.join();
    EXPECT_EQ(IdOf(queue.Get(100)), 1u);
}

TEST(MessageQueue, FindByIdLeavesTheMessageQueued) {
    MessageQueue queue(4);
    Message* message = new Message(3);
    queue.Put(new Message(1));
    queue.Put(message);
    EXPECT_EQ(queue.FindById(3), message);
    EXPECT_EQ(queue.FindById(4), nullptr);
    EXPECT_EQ(queue.GetCount(), 2u);
}

TEST(MessageQueue, GetTimesOutOnAnEmptyQueue) {
    MessageQueue queue(4);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(queue.Get(50), nullptr);
    EXPECT_GE(ElapsedSince(start).count(), 45);
}

TEST(MessageQueue, GetWithoutLimitWaitsForAPut) {
    MessageQueue queue(4);
    std::atomic<bool> returned{false};
    std::uint32_t id = 0;
    std::thread taker([&] {
        id = IdOf(queue.Get(0));
        returned = true;
    });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    queue.Put(new Message(8));
    taker.join();
    EXPECT_EQ(id, 8u);
}

TEST(MessageQueue, PutOnAFullQueueBlocksUntilAGet) {
    MessageQueue queue(2);
    queue.Put(new Message(1));
    queue.Put(new Message(2));
    std::atomic<bool> putReturned{false};
    std::thread sender([&] {
        EXPECT_EQ(queue.Put(new Message(3)), System::OkNoError);
        putReturned = true;
    });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(50));
    EXPECT_FALSE(putReturned.load());
    EXPECT_EQ(IdOf(queue.Get(100)), 1u);
    sender.join();
    EXPECT_EQ(queue.GetCount(), 2u);
    EXPECT_EQ(IdOf(queue.Get(100)), 2u);
    EXPECT_EQ(IdOf(queue.Get(100)), 3u);
}

TEST(MessageQueue, ClearDeletesEverythingAndFreesEverySlot) {
    std::atomic<int> deleted{0};
    MessageQueue queue(3);
    for (std::uint32_t id = 1; id <= 3; ++id) queue.Put(new CountedMessage(id, deleted));
    queue.Clear();
    EXPECT_EQ(deleted.load(), 3);
    EXPECT_EQ(queue.GetCount(), 0u);
    EXPECT_EQ(queue.Get(10), nullptr);

    // Three more fit without blocking: run them on a thread so that a miscount
    // fails the test instead of hanging it.
    std::atomic<int> puts{0};
    std::thread sender([&] {
        for (std::uint32_t id = 1; id <= 3; ++id) {
            if (queue.Put(new CountedMessage(id, deleted)) == System::OkNoError) ++puts;
        }
    });
    EXPECT_TRUE(Eventually([&] { return puts.load() == 3; }));
    if (puts.load() != 3) queue.Clear();  // unblock the sender before joining
    sender.join();
}

TEST(MessageQueue, DestructionDeletesQueuedMessages) {
    std::atomic<int> deleted{0};
    {
        MessageQueue queue(5);
        for (std::uint32_t id = 1; id <= 4; ++id) queue.Put(new CountedMessage(id, deleted));
        delete queue.Get(10);
        EXPECT_EQ(deleted.load(), 1);
    }
    EXPECT_EQ(deleted.load(), 4);
}

TEST(MessageQueue, NullEntriesCountButNeverMatchAnId) {
    MessageQueue queue(4);
    EXPECT_EQ(queue.Put(nullptr), System::OkNoError);
    queue.Put(new Message(0));
    EXPECT_EQ(queue.GetCount(), 2u);
    EXPECT_EQ(IdOf(queue.TakeById(0, 10)), 0u);  // the real message with id 0
    EXPECT_EQ(queue.Get(10), nullptr);           // the null entry
    EXPECT_EQ(queue.GetCount(), 0u);
}

TEST(MessageQueue, ZeroCapacityRefusesAtOnce) {
    MessageQueue queue(0);
    Message message(1);
    EXPECT_EQ(queue.Put(&message), System::Error);
    EXPECT_EQ(queue.Get(0), nullptr);
    EXPECT_EQ(queue.TakeById(1, 0), nullptr);
}

TEST(MessageQueue, InterruptWakesEveryWaiterAndStopsFurtherWaits) {
    MessageQueue queue(1);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    waiters.emplace_back([&] {
        if (queue.Get(0) == nullptr) ++woken;
    });
    waiters.emplace_back([&] {
        if (queue.TakeById(5, 0) == nullptr) ++woken;
    });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));
    queue.Interrupt();
    for (auto& waiter : waiters) waiter.join();
    EXPECT_EQ(woken.load(), 2);
    EXPECT_TRUE(queue.IsInterrupted());

    // Still usable without waiting: a queued message comes out, a full queue
    // refuses the Put and leaves the message with the caller.
    EXPECT_EQ(queue.Put(new Message(1)), System::OkNoError);
    Message extra(2);
    EXPECT_EQ(queue.Put(&extra), System::Cancelled);
    EXPECT_EQ(IdOf(queue.Get(0)), 1u);
    EXPECT_EQ(queue.Get(0), nullptr);

    queue.ClearInterrupt();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(queue.Get(30), nullptr);
    EXPECT_GE(ElapsedSince(start).count(), 25);
}

TEST(MessageQueue, InterruptReleasesAPutBlockedOnAFullQueue) {
    MessageQueue queue(1);
    queue.Put(new Message(1));
    Message blocked(2);
    System::ResultCode result = -1;
    std::thread sender([&] { result = queue.Put(&blocked); });
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));
    queue.Interrupt();
    sender.join();
    EXPECT_EQ(result, System::Cancelled);
    EXPECT_EQ(queue.GetCount(), 1u);
}

// A closed queue keeps what it holds for its last taker and refuses every Put at once,
// with room or without, and stays interrupted.
TEST(MessageQueue, CloseRefusesEveryPutFromThenOnAndKeepsWhatIsQueued) {
    MessageQueue queue(4);
    EXPECT_EQ(queue.Put(new Message(1)), System::OkNoError);
    queue.Close();
    Message late(2);
    EXPECT_EQ(queue.Put(&late), System::Cancelled);
    queue.ClearInterrupt();
    EXPECT_TRUE(queue.IsClosed());
    EXPECT_TRUE(queue.IsInterrupted());
    EXPECT_EQ(IdOf(queue.Get(0)), 1u);
    EXPECT_EQ(queue.Get(0), nullptr);
    EXPECT_EQ(queue.Put(nullptr), System::Cancelled);
    EXPECT_EQ(queue.GetCount(), 0u);
}

// Producers outpace consumers on a tiny queue: every message arrives exactly once
// and the queue ends empty.
TEST(MessageQueue, ProducersAndConsumersOnAFullQueueLoseNothing) {
    constexpr int kProducers = 4, kConsumers = 3, kPerProducer = 3000;
    constexpr int kTotal = kProducers * kPerProducer;
    MessageQueue queue(4);
    std::vector<std::vector<std::uint32_t>> received(kConsumers);
    std::atomic<int> taken{0};
    std::vector<std::thread> threads;
    for (int p = 0; p < kProducers; ++p) {
        threads.emplace_back([&, p] {
            for (int i = 0; i < kPerProducer; ++i) queue.Put(new Message(p * kPerProducer + i + 1));
        });
    }
    for (int c = 0; c < kConsumers; ++c) {
        threads.emplace_back([&, c] {
            while (taken.load() < kTotal) {
                if (Message* message = queue.Get(20)) {
                    ++taken;
                    received[c].push_back(IdOf(message));
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    std::set<std::uint32_t> all;
    std::size_t count = 0;
    for (const auto& ids : received) {
        count += ids.size();
        all.insert(ids.begin(), ids.end());
    }
    EXPECT_EQ(count, static_cast<std::size_t>(kTotal));
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kTotal));
    EXPECT_EQ(queue.GetCount(), 0u);
}

// Two takers each wait for their own ids on a small queue that the producer keeps
// full: each Put must wake the taker whose id arrived, not just any waiter.
TEST(MessageQueue, ConcurrentTakersByIdEachGetTheirOwnMessages) {
    constexpr std::uint32_t kMessages = 4000;
    MessageQueue queue(3);
    std::atomic<int> misses{0};
    auto taker = [&](std::uint32_t firstId) {
        for (std::uint32_t id = firstId; id <= kMessages; id += 2) {
            Message* message = queue.TakeById(id, 20000);
            if (message == nullptr || message->GetId() != id) ++misses;
            delete message;
        }
    };
    std::thread odd(taker, 1u), even(taker, 2u);
    std::thread producer([&] {
        for (std::uint32_t id = 1; id <= kMessages; ++id) queue.Put(new Message(id));
    });
    producer.join();
    odd.join();
    even.join();
    EXPECT_EQ(misses.load(), 0);
    EXPECT_EQ(queue.GetCount(), 0u);
}

TEST(MessageQueue, ASpinningGetTakesWhatIsPutWhileItSpinsOrSleepsOnAfterTheSpin) {
    using std::chrono::milliseconds;
    const struct {
        std::chrono::nanoseconds spin;
    } cases[] = {{milliseconds(10'000)}, {std::chrono::microseconds(1)}, {std::chrono::nanoseconds(0)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spin.count());
        MessageQueue queue(4);
        std::uint32_t id = 0;
        std::thread taker([&] { id = IdOf(queue.Get(0, c.spin)); });
        ASSERT_EQ(queue.Put(new Message(5)), System::OkNoError);
        taker.join();
        EXPECT_EQ(id, 5u);
        EXPECT_EQ(queue.GetCount(), 0u);
    }
    // Nothing comes: the time-out still holds, and an interrupt still ends the wait.
    MessageQueue queue(4);
    EXPECT_EQ(queue.Get(20, std::chrono::microseconds(50)), nullptr);
    queue.Interrupt();
    EXPECT_EQ(queue.Get(0, std::chrono::microseconds(50)), nullptr);
}
