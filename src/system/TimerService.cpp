#include "system/TimerService.h"

#include "system/QueueTimer.h"

#include <algorithm>
#include <system_error>

namespace System {

TimerService& TimerService::Instance() {
    // Never destroyed: timers disarm in destructors that may run after any static
    // destructor, and the thread only ends with the process.
    static TimerService* const instance = new TimerService();
    return *instance;
}

TimerService::TimerService() {
    std::lock_guard<std::mutex> lock(mutex_);
    try {
        thread_ = std::thread([this] { Loop(); });
        threadId_ = thread_.get_id();
        thread_.detach();
    } catch (const std::system_error&) {
        // No thread: Arm refuses, so no timer ever waits for an expiry.
    }
}

bool TimerService::Arm(QueueTimer* timer, std::chrono::milliseconds firstDelay, std::chrono::milliseconds period) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (threadId_ == std::thread::id()) return false;
        armed_[timer] = Arming{nextArmingId_++, Clock::now() + firstDelay, period};
    }
    scheduleChanged_.notify_one();
    return true;
}

void TimerService::Disarm(QueueTimer* timer) {
    std::unique_lock<std::mutex> lock(mutex_);
    armed_.erase(timer);
    // On the timer thread no other callback can be running, and waiting for the
    // caller's own callback would never end.
    if (IsTimerThread()) return;
    callbackDone_.wait(lock, [this, timer] { return firing_ != timer; });
}

void TimerService::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (armed_.empty()) {
            scheduleChanged_.wait(lock);
            continue;
        }
        auto next = std::min_element(armed_.begin(), armed_.end(),
                                     [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
        if (next->second.due > Clock::now()) {
            // A copy: the arming may be erased while this thread waits.
            const Clock::time_point due = next->second.due;
            scheduleChanged_.wait_until(lock, due);
            continue;
        }
        QueueTimer* const timer = next->first;
        const Arming arming = next->second;
        if (arming.period.count() == 0) armed_.erase(next);
        firing_ = timer;

        lock.unlock();
        timer->Expire();
        lock.lock();

        firing_ = nullptr;
        // The callback may have cancelled, re-armed or even destroyed its timer:
        // only an unchanged periodic arming is scheduled again.
        auto still = armed_.find(timer);
        if (arming.period.count() != 0 && still != armed_.end() && still->second.id == arming.id) {
            still->second.due = std::max(arming.due + arming.period, Clock::now());
        }
        callbackDone_.notify_all();
    }
}

}  // namespace System
