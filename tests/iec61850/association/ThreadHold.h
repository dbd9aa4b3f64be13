#pragma once

// Holds the first thread that reaches it until released: a thread descheduled at a chosen
// point, made by construction. Later threads pass straight through.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace AcsiClientTest {

class ThreadHold {
public:
    // True for the thread that is held (once released), false for every later one.
    bool Reach() {
        std::unique_lock lock(mutex_);
        if (held_) return false;
        held_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return released_; });
        return true;
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
