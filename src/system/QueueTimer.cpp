#include "system/QueueTimer.h"

#include "system/Task.h"
#include "system/TimerService.h"

#include <chrono>

namespace System {

QueueTimer::QueueTimer(Task* owner) : owner_(owner) {}

QueueTimer::~QueueTimer() { TimerService::Instance().Disarm(this); }

void QueueTimer::Configure(std::uint32_t intervalMs, bool periodic) {
    intervalMs_ = intervalMs;
    periodic_ = periodic;
}

bool QueueTimer::Start() {
    TimerService& service = TimerService::Instance();
    // Disarmed first, so that a callback of the earlier arming cannot set the
    // expired flag after it has been cleared for this one.
    service.Disarm(this);
    expired_.store(false);
    const std::chrono::milliseconds interval(intervalMs_);
    if (periodic_) return service.Arm(this, std::chrono::milliseconds(0), interval);
    return service.Arm(this, interval, std::chrono::milliseconds(0));
}

void QueueTimer::Cancel() {
    TimerService::Instance().Disarm(this);
    expired_.store(false);
}

bool QueueTimer::IsExpired() const { return expired_.load(); }

void QueueTimer::Expire() {
    expired_.store(true);
    if (owner_ != nullptr) owner_->OnTimer(this);
}

}  // namespace System
