#pragma once

// Holds the first thread that reaches it until released: an ending (or an abandon)
// descheduled in its midst, made by construction. Arm puts it at a point of an
// association's one ending step (just after the claim, or once the abort unit is out);
// Reach serves any other hook (TPAppAssociation::SetAbandonHook).

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "mms/machine/MmsConnection.h"

namespace AcsiClientTest {

class EndingHold {
public:
    void Arm(Mms::MmsConnection& mms, Mms::MmsConnection::EndingPoint at) {
        mms.SetEndingHook([this, at](Mms::MmsConnection::EndingPoint point) {
            if (point == at) Reach();
        });
    }
    void Reach() {
        std::unique_lock lock(mutex_);
        if (held_) return;
        held_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
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
    bool held_ = false;
    bool released_ = false;
};

}  // namespace AcsiClientTest
