#include "system/Semaphore.h"

#include <chrono>

namespace System {

Semaphore::Semaphore(std::uint16_t maximum, std::uint16_t initial)
    : count_(initial), maximum_(maximum), usable_(maximum > 0 && initial <= maximum) {}

Semaphore::~Semaphore() = default;

ResultCode Semaphore::Release() {
    if (!usable_) return Error;
    // Notified under the lock: a waiter may destroy the semaphore as soon as it
    // has its unit, and must not find Release still touching it.
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == maximum_) return OkNoError;
    ++count_;
    available_.notify_one();
    return OkNoError;
}

int Semaphore::Wait(std::uint32_t timeoutMs) {
    if (!usable_) return WaitFailed;
    std::unique_lock<std::mutex> lock(mutex_);
    auto hasUnit = [this] { return count_ > 0; };
    if (timeoutMs == 0) {
        available_.wait(lock, hasUnit);
    } else if (!available_.wait_for(lock, std::chrono::milliseconds(timeoutMs), hasUnit)) {
        return TimedOut;
    }
    --count_;
    return Acquired;
}

}  // namespace System
