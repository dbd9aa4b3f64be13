#pragma once

#include <atomic>
#include <cstdint>

namespace System {

class Task;

// A one-shot or periodic timer whose expiry calls its owner task's OnTimer. All
// timers share one timer-service thread, and their callbacks run on it one after
// the other, so a callback should be short (queue work to a task, set a flag).
//
// Cancel, Start and the destructor wait for a callback of this timer that is
// running on the timer thread, so once they return no callback of this timer is
// running or will reach its owner. Called from the timer thread itself (inside a
// callback) they do not wait. Consequently a thread must not hold a lock that its
// owner's OnTimer takes while it cancels or destroys the timer.
class QueueTimer {
public:
    explicit QueueTimer(Task* owner = nullptr);
    // Disarms the timer, waiting for a running callback as Cancel does. A subclass
    // that overrides Expire cancels in its own destructor.
    virtual ~QueueTimer();

    QueueTimer(const QueueTimer&) = delete;
    QueueTimer& operator=(const QueueTimer&) = delete;

    // The interval in milliseconds and the kind, used by the next Start.
    void Configure(std::uint32_t intervalMs, bool periodic);

    // Arms the timer, replacing an earlier arming, and clears the expired flag.
    // One-shot: one expiry after the interval. Periodic: one expiry at once, then
    // one every interval (an interval of 0 gives the single expiry at once). True
    // when armed.
    virtual bool Start();

    // Disarms the timer and clears the expired flag.
    virtual void Cancel();

    // Set by an expiry; cleared by Start and Cancel.
    virtual bool IsExpired() const;

    // The expiry action, run on the timer thread: sets the expired flag, then calls
    // the owner's OnTimer with this timer when there is an owner.
    virtual void Expire();

    Task* GetOwner() const { return owner_; }
    std::uint32_t GetInterval() const { return intervalMs_; }
    bool IsPeriodic() const { return periodic_; }

private:
    std::atomic<bool> expired_{false};
    bool periodic_ = false;
    std::uint32_t intervalMs_ = 0;
    Task* const owner_;
};

}  // namespace System
