#include "system/Task.h"

#include "system/LateDestructions.h"
#include "system/MessageQueue.h"
#include "system/Polling.h"
#include "system/Semaphore.h"
#include "system/ThreadStart.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

using System::Message;
using System::MessageQueue;
using System::ResultCode;
using System::Semaphore;
using System::Task;
using TestSupport::Eventually;

namespace {

// A task in the shape every queue-driven task of the library has: it blocks on its
// queue without limit and is woken by the interrupt when stopped.
class QueueWorker : public Task {
public:
    ~QueueWorker() override { Stop(); }

    ResultCode Run() override {
        ranOnTaskThread = IsTaskThread();
        runThread = std::this_thread::get_id();
        started.Release();
        while (!StopRequested()) {
            if (Message* message = queue.Get(0)) {
                ++handled;
                delete message;
            }
        }
        returned = true;
        return System::OkNoError;
    }

    MessageQueue queue{16};
    Semaphore started{1, 0};
    std::atomic<int> handled{0};
    std::atomic<bool> returned{false};
    std::atomic<bool> ranOnTaskThread{false};
    std::thread::id runThread;

protected:
    void OnStopRequested() override { queue.Interrupt(); }
};

// Pauses through WaitForStop only.
class PausingTask : public Task {
public:
    ~PausingTask() override { Stop(); }
    ResultCode Run() override {
        while (!WaitForStop(0)) {}
        return System::OkNoError;
    }
};

// Runs a given function as its body.
template <typename Body>
class BodyTask : public Task {
public:
    explicit BodyTask(Body body) : body_(body) {}
    ~BodyTask() override { Stop(); }
    ResultCode Run() override { return body_(*this); }

private:
    Body body_;
};

template <typename Body>
BodyTask<Body>* MakeBodyTask(Body body) {
    return new BodyTask<Body>(body);
}

}  // namespace

TEST(Task, BaseOperationsWithoutAThread) {
    Task task;
    EXPECT_EQ(task.Run(), System::NotImplemented);
    EXPECT_EQ(task.OnTimer(nullptr), System::NotImplemented);
    EXPECT_EQ(task.Stop(), System::OkNoError);
    EXPECT_EQ(task.Suspend(), System::NotSupported);
    EXPECT_EQ(task.Resume(), System::NotSupported);
    EXPECT_FALSE(task.IsRunning());
    EXPECT_FALSE(task.IsTaskThread());
}

TEST(Task, StartRunsRunOnANewThreadOnce) {
    QueueWorker worker;
    ASSERT_EQ(worker.Start(), System::OkNoError);
    ASSERT_EQ(worker.started.Wait(20000), Semaphore::Acquired);
    EXPECT_TRUE(worker.ranOnTaskThread.load());
    EXPECT_NE(worker.runThread, std::this_thread::get_id());
    EXPECT_FALSE(worker.IsTaskThread());
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_EQ(worker.Start(), System::Error);  // already running
    EXPECT_EQ(worker.Suspend(), System::NotSupported);

    worker.queue.Put(new Message(1));
    EXPECT_TRUE(Eventually([&] { return worker.handled.load() == 1; }));
}

TEST(Task, StopWakesATaskBlockedOnItsQueueAndJoinsIt) {
    QueueWorker worker;
    ASSERT_EQ(worker.Start(), System::OkNoError);
    ASSERT_EQ(worker.started.Wait(20000), Semaphore::Acquired);
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));  // a stop that cannot wake Get hangs
    EXPECT_EQ(worker.Stop(), System::OkNoError);
    EXPECT_TRUE(worker.returned.load());  // joined: Run has returned
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(worker.StopRequested());
    EXPECT_EQ(worker.Stop(), System::OkNoError);  // a second stop is harmless
}

// Stop right after Start, over and over: a stop that lands between the worker's
// test of the flag and its wait must still end the wait.
TEST(Task, StopRightAfterStartNeverHangs) {
    for (int round = 0; round < 300; ++round) {
        QueueWorker worker;
        ASSERT_EQ(worker.Start(), System::OkNoError);
        EXPECT_EQ(worker.Stop(), System::OkNoError);
        EXPECT_FALSE(worker.IsRunning());
    }
}

TEST(Task, StopEndsWaitForStop) {
    PausingTask task;
    ASSERT_EQ(task.Start(), System::OkNoError);
    TestSupport::LeaveTimeForAFaultToShow(std::chrono::milliseconds(20));
    EXPECT_EQ(task.Stop(), System::OkNoError);
    EXPECT_FALSE(task.IsRunning());
}

TEST(Task, DestroyingARunningTaskStopsItFirst) {
    auto* worker = new QueueWorker;
    ASSERT_EQ(worker->Start(), System::OkNoError);
    ASSERT_EQ(worker->started.Wait(20000), Semaphore::Acquired);
    for (std::uint32_t id = 1; id <= 5; ++id) worker->queue.Put(new Message(id));
    delete worker;  // must neither hang nor leave the thread on freed members
}

TEST(Task, StopCalledFromItsOwnThreadDoesNotJoinItself) {
    std::atomic<ResultCode> selfStop{-1};
    auto* task = MakeBodyTask([&](Task& self) -> ResultCode {
        selfStop = self.Stop();
        return self.StopRequested() ? System::OkNoError : System::Error;
    });
    ASSERT_EQ(task->Start(), System::OkNoError);
    EXPECT_TRUE(Eventually([&] { return !task->IsRunning(); }));
    EXPECT_EQ(selfStop.load(), System::OkNoError);
    delete task;  // joins the finished thread
}

TEST(Task, ATaskDestroyedOnItsOwnThreadLeavesNothingBehind) {
    Semaphore destroyed(1, 0);
    auto* task = MakeBodyTask([&](Task& self) -> ResultCode {
        Semaphore& signal = destroyed;  // the closure goes with the object
        delete &self;
        signal.Release();
        return System::OkNoError;
    });
    ASSERT_EQ(task->Start(), System::OkNoError);
    EXPECT_EQ(destroyed.Wait(20000), Semaphore::Acquired);
}

TEST(Task, ATaskCanRunAgainAfterItsThreadEnded) {
    std::atomic<int> runs{0};
    auto* task = MakeBodyTask([&](Task&) -> ResultCode {
        ++runs;
        return System::OkNoError;
    });
    ASSERT_EQ(task->Start(), System::OkNoError);
    EXPECT_TRUE(Eventually([&] { return !task->IsRunning(); }));
    ASSERT_EQ(task->Start(), System::OkNoError);  // Run returned by itself
    EXPECT_TRUE(Eventually([&] { return runs.load() == 2; }));
    delete task;

    QueueWorker worker;
    ASSERT_EQ(worker.Start(), System::OkNoError);
    worker.Stop();
    worker.queue.ClearInterrupt();
    ASSERT_EQ(worker.Start(), System::OkNoError);  // after an explicit stop
    EXPECT_FALSE(worker.StopRequested());
    worker.queue.Put(new Message(1));
    EXPECT_TRUE(Eventually([&] { return worker.handled.load() == 1; }));
}

// Several threads stop the same task at once: one joins, the others return.
TEST(Task, ConcurrentStopsAreSafe) {
    QueueWorker worker;
    ASSERT_EQ(worker.Start(), System::OkNoError);
    std::vector<std::thread> stoppers;
    for (int i = 0; i < 4; ++i) stoppers.emplace_back([&] { EXPECT_EQ(worker.Stop(), System::OkNoError); });
    for (auto& stopper : stoppers) stopper.join();
    EXPECT_TRUE(worker.returned.load());
}

// Notes the thread it is destroyed on.
class Destroyed {
public:
    explicit Destroyed(std::atomic<std::thread::id>& on) : on_(on) {}
    ~Destroyed() { on_.store(std::this_thread::get_id()); }

private:
    std::atomic<std::thread::id>& on_;
};

// A late destruction the system refuses a thread for never runs on the thread that deferred
// it (that is what it was deferred from): it waits for the next destruction's start, or for
// JoinAll on another thread, which runs it itself when threads are still refused.
TEST(LateDestructions, OneRefusedAThreadWaitsAndNeverRunsOnTheThreadThatDeferredIt) {
    for (const bool refusedAtJoin : {false, true}) {
        SCOPED_TRACE(refusedAtJoin ? "still refused at the join" : "the next destruction starts it");
        std::atomic<std::thread::id> first;
        std::atomic<std::thread::id> second;
        std::thread::id deferring;
        System::LateDestructions destructions;
        std::optional<System::RefusedThreadStarts> refused(std::in_place);
        std::thread([&] {
            deferring = std::this_thread::get_id();
            destructions.Destroy(std::make_unique<Destroyed>(first));
            EXPECT_EQ(first.load(), std::thread::id());
            if (!refusedAtJoin) refused.reset();
            destructions.Destroy(std::make_unique<Destroyed>(second));
        }).join();
        destructions.JoinAll();
        EXPECT_NE(first.load(), deferring);
        EXPECT_NE(first.load(), std::thread::id());
        EXPECT_EQ(first.load() == std::this_thread::get_id(), refusedAtJoin);
        EXPECT_NE(second.load(), deferring);
    }
}
