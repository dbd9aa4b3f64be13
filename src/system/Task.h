#pragma once

#include "system/ResultCode.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace System {

class QueueTimer;

// An object with a thread of its own that runs the virtual Run.
//
// Stopping is cooperative: nothing is ever killed. Stop() sets the stop request,
// calls OnStopRequested() to wake whatever the thread may be blocked in, and joins
// the thread. A subclass whose Run blocks therefore does two things:
//
//   * Run tests StopRequested() before every wait and returns once it is set, and
//     waits only in ways that OnStopRequested() can end: for its MessageQueue,
//     override OnStopRequested() to call queue.Interrupt() (the interrupt is sticky,
//     so a stop that lands between the test and the wait is not missed); for a
//     Semaphore signal, release it; for a socket, shut it down; for a plain pause,
//     use WaitForStop(ms) instead of sleeping.
//
//     A class that overrides OnStopRequested calls its base class's version too,
//     so that every wait of the hierarchy is woken.
//
//   * Its destructor calls Stop() first, while its own members still exist (in a
//     deeper hierarchy: every class whose members Run or OnStopRequested use; Stop
//     is cheap once the thread is gone). ~Task also stops a thread that is still
//     there, but by then the subclass is gone: its OnStopRequested is no longer
//     reached and its Run would be using freed members.
//
//     class Worker : public System::Task {
//     public:
//         ~Worker() override { Stop(); }
//         ResultCode Run() override {
//             while (!StopRequested()) {
//                 if (Message* m = queue_.Get(1000)) { Handle(m); delete m; }
//             }
//             return OkNoError;
//         }
//     protected:
//         void OnStopRequested() override { queue_.Interrupt(); }
//     private:
//         MessageQueue queue_{65535};
//     };
//
// A task never joins itself: Stop() called on the task's own thread (from Run or
// from a callback running on that thread) only requests the stop and returns, and
// the thread is joined by a later Stop() or by the destructor on another thread.
// When the task is destroyed on its own thread, the thread is detached; Run must
// then return without touching the object.
class Task {
public:
    Task();
    virtual ~Task();

    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    // Starts a thread that runs Run: OkNoError. Error when a thread is already running
    // or none
    // can be created. A task whose earlier thread has ended (Run returned, or it
    // was stopped) may be started again; the stop request is cleared first.
    ResultCode Start();

    // Requests the stop, wakes the thread through OnStopRequested and joins it:
    // OkNoError. Without a thread it does nothing and returns OkNoError. On the task's own thread it
    // requests and wakes but does not wait. Any thread may call it.
    ResultCode Stop();
    // Requests the stop and wakes the thread, without waiting for it: for a caller that
    // the thread may be waiting for (one of its callbacks). A later Stop or the
    // destructor joins it.
    void RequestStop();

    // A thread cannot be suspended from outside with the standard library, and
    // nothing needs it: both give NotSupported.
    ResultCode Suspend();
    ResultCode Resume();

    // The thread body; its result ends the thread. The default returns NotImplemented.
    virtual ResultCode Run();

    // Called by a QueueTimer whose owner this task is, on the timer thread, so it
    // must be safe against the task's own thread. The default returns
    // NotImplemented.
    virtual ResultCode OnTimer(QueueTimer* timer);

    // True from Start until Run has returned.
    bool IsRunning() const;
    // True once Stop has been called, until the next Start.
    bool StopRequested() const;
    // True when the caller runs on this task's thread.
    bool IsTaskThread() const;

protected:
    // Called by Stop on the caller's thread after the stop request is set, while
    // the thread may be blocked: wake it here (see above). The default does nothing.
    virtual void OnStopRequested();

    // Pauses the calling thread up to timeoutMs (0 = until a stop), returning early
    // when a stop is requested. True when a stop has been requested.
    bool WaitForStop(std::uint32_t timeoutMs);

private:
    // Shared with the thread, which may outlive the object when the task is
    // destroyed on its own thread.
    struct ThreadState {
        std::atomic<bool> finished{true};
    };

    std::mutex controlMutex_;  // Start, Stop and the destructor, one at a time
    std::thread thread_;
    std::atomic<std::thread::id> threadId_{};
    const std::shared_ptr<ThreadState> state_;

    mutable std::mutex stopMutex_;
    std::condition_variable stopChanged_;
    bool stopRequested_ = false;
};

}  // namespace System
