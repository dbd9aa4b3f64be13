#pragma once

// Holds an association's next request at the last point before its frame goes down the
// chain, until released: a sender descheduled on its way down, made by construction.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "mms/machine/MmsConnection.h"
#include "mms/machine/RequestHandle.h"

namespace AcsiClientTest {

class SendHold {
public:
    void Arm(Mms::MmsConnection& mms) {
        mms.SetSendHook([this](const Mms::RequestHandle& request) {
            std::unique_lock lock(mutex_);
            if (!armed_) return;
            armed_ = false;
            held_ = true;
            heldId_ = request.GetInvokeId();
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
        });
    }
    bool WaitUntilHeld() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(20), [this] { return held_; });
    }
    std::uint32_t HeldId() {
        std::lock_guard lock(mutex_);
        return heldId_;
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
    std::uint32_t heldId_ = 0;
};

}  // namespace AcsiClientTest
