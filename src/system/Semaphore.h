#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "system/ResultCode.h"

namespace System {

// A counting semaphore with a maximum: the library's one synchronisation primitive.
// Built with maximum 1 and initial 1 it is a lock; with initial 0 it is a signal.
// The count lives under the same mutex as the wait, so a release is never lost and
// the at-maximum test is exact even with many threads releasing and waiting.
class Semaphore {
public:
    // Outcomes of Wait. They are this class's own codes, not ResultCode values.
    enum WaitOutcome : int { Acquired = 0, WaitFailed = 1, TimedOut = 2 };

    // A maximum of 0 or an initial count above the maximum makes an unusable
    // semaphore: every later Release fails with Error and every Wait with
    // WaitFailed.
    Semaphore(std::uint16_t maximum, std::uint16_t initial);
    virtual ~Semaphore();

    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    // Raises the count by one and wakes one waiter: OkNoError. At the maximum nothing
    // is released and the result is still OkNoError (a surplus release is dropped,
    // which keeps a lock released twice a lock). Error on an unusable semaphore.
    ResultCode Release();

    // Takes one unit, waiting up to timeoutMs (0 = no limit): Acquired, TimedOut,
    // or WaitFailed on an unusable semaphore. A failed or timed-out wait leaves the
    // count alone.
    int Wait(std::uint32_t timeoutMs);
    // As Wait, but first watches the count for up to spin (never longer than timeoutMs)
    // without sleeping, so that a unit released meanwhile is taken without a sleep and
    // wake-up of this thread. The whole wait still ends at timeoutMs.
    int Wait(std::uint32_t timeoutMs, std::chrono::nanoseconds spin);
    // Takes one unit when there is one, without waiting: whether it did.
    bool TryWait();

private:
    std::mutex mutex_;
    std::condition_variable available_;
    std::uint16_t count_;
    // count_, changed under the mutex, read by watching waiters without it.
    std::atomic<std::uint16_t> units_;
    const std::uint16_t maximum_;
    const bool usable_;
};

}  // namespace System
