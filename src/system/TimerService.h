#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

namespace System {

class QueueTimer;

// The one thread on which every QueueTimer expires. It is created on first use and
// lives until the process ends, so that timers in objects of any lifetime (static
// ones included) can always disarm safely.
class TimerService {
public:
    static TimerService& Instance();

    TimerService(const TimerService&) = delete;
    TimerService& operator=(const TimerService&) = delete;

    // Arms (or re-arms) the timer: first expiry after firstDelay, then every
    // period when the period is not zero. False when the timer thread could not
    // be created.
    bool Arm(QueueTimer* timer, std::chrono::milliseconds firstDelay, std::chrono::milliseconds period);

    // Disarms the timer; unless called on the timer thread, also waits until no
    // callback of this timer is running.
    void Disarm(QueueTimer* timer);

    bool IsTimerThread() const { return std::this_thread::get_id() == threadId_; }

private:
    using Clock = std::chrono::steady_clock;

    // One arming of one timer. The id tells an arming apart from a later one of
    // the same timer (or of a new timer at the same address).
    struct Arming {
        std::uint64_t id;
        Clock::time_point due;
        std::chrono::milliseconds period;
    };

    TimerService();
    void Loop();

    std::mutex mutex_;
    std::condition_variable scheduleChanged_;
    std::condition_variable callbackDone_;
    std::map<QueueTimer*, Arming> armed_;
    std::uint64_t nextArmingId_ = 1;
    QueueTimer* firing_ = nullptr;  // the timer whose callback runs right now
    std::thread thread_;
    std::thread::id threadId_;  // written before the thread first takes the mutex
};

}  // namespace System
