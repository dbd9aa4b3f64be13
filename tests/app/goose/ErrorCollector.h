#pragma once

#include "app/goose/GooseCapture.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace GooseTest {

// Collects the texts the worker reports, and lets the test wait for the next one.
class ErrorCollector {
public:
    CGooseCapture::ErrorSink Sink() {
        return [this](const std::string& text) {
            std::lock_guard<std::mutex> hold(mutex_);
            texts_.push_back(text);
            changed_.notify_all();
        };
    }
    // false when fewer than `count` texts came within the bound.
    bool WaitFor(std::size_t count) {
        std::unique_lock<std::mutex> hold(mutex_);
        return changed_.wait_for(hold, std::chrono::seconds(20), [&] { return texts_.size() >= count; });
    }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> hold(mutex_);
        return texts_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> texts_;
};

}  // namespace GooseTest
