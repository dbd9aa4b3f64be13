#pragma once

// Holds the first ending of an association at a point of its one step (just after it has
// claimed its generation, or once its abort unit is out) until released: an ending
// descheduled in its midst, made by construction.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "mms/machine/MmsConnection.h"

namespace AcsiClientTest {

class EndingHold {
public:
    void Arm(Mms::MmsConnection& mms, Mms::MmsConnection::EndingPoint at) {
        mms.SetEndingHook([this, at](Mms::MmsConnection::EndingPoint point) {
            std::unique_lock lock(mutex_);
            if (!armed_ || point != at) return;
            armed_ = false;
            held_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
        });
    }
    bool WaitUntilHeld() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [this] { return held_; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = true;
    bool held_ = false;
    bool released_ = false;
};

}  // namespace AcsiClientTest
