#include "system/Semaphore.h"

#include <algorithm>
#include <chrono>

#include "system/SpinWatch.h"

namespace System {

Semaphore::Semaphore(std::uint16_t maximum, std::uint16_t initial)
    : count_(initial), units_(initial), maximum_(maximum), usable_(maximum > 0 && initial <= maximum) {}

Semaphore::~Semaphore() = default;

ResultCode Semaphore::Release() {
    if (!usable_) return Error;
    // Notified under the lock: a waiter may destroy the semaphore as soon as it
    // has its unit, and must not find Release still touching it.
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == maximum_) return OkNoError;
    ++count_;
    units_.store(count_, std::memory_order_release);
    available_.notify_one();
    return OkNoError;
}

int Semaphore::Wait(std::uint32_t timeoutMs) { return Wait(timeoutMs, std::chrono::nanoseconds(0)); }

int Semaphore::Wait(std::uint32_t timeoutMs, std::chrono::nanoseconds spin) {
    if (!usable_) return WaitFailed;
    // The bound counts from the call, the watch included.
    std::chrono::steady_clock::time_point deadline{};
    if (timeoutMs != 0) {
        deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        spin = std::min<std::chrono::nanoseconds>(spin, std::chrono::milliseconds(timeoutMs));
    }
    if (spin.count() > 0) WatchFor(spin, [this] { return units_.load(std::memory_order_acquire) > 0; });
    std::unique_lock<std::mutex> lock(mutex_);
    auto hasUnit = [this] { return count_ > 0; };
    if (timeoutMs == 0) {
        available_.wait(lock, hasUnit);
    } else if (!available_.wait_until(lock, deadline, hasUnit)) {
        return TimedOut;
    }
    --count_;
    units_.store(count_, std::memory_order_relaxed);
    return Acquired;
}

bool Semaphore::TryWait() {
    if (!usable_) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (count_ == 0) return false;
    --count_;
    units_.store(count_, std::memory_order_relaxed);
    return true;
}

}  // namespace System
