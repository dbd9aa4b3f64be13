#include "system/Task.h"

#include <chrono>
#include <system_error>

namespace System {

Task::Task() : state_(std::make_shared<ThreadState>()) {}

Task::~Task() {
    std::lock_guard<std::mutex> lock(controlMutex_);
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
        return;
    }
    // Only a subclass that forgot to stop in its own destructor gets here; its
    // wake-up hook is gone already, so this join relies on Run ending by itself.
    RequestStop();
    thread_.join();
}

ResultCode Task::Start() {
    if (IsTaskThread()) return Error;  // it is running: this very call proves it
    std::lock_guard<std::mutex> lock(controlMutex_);
    if (thread_.joinable()) {
        if (!state_->finished.load()) return Error;
        thread_.join();
    }
    {
        std::lock_guard<std::mutex> stopLock(stopMutex_);
        stopRequested_ = false;
    }
    state_->finished.store(false);
    try {
        thread_ = std::thread([this, state = state_] {
            threadId_.store(std::this_thread::get_id());
            Run();
            // The object may be gone by now (destroyed on this thread): only the
            // shared state is touched.
            state->finished.store(true);
        });
    } catch (const std::system_error&) {
        state_->finished.store(true);
        return Error;
    }
    threadId_.store(thread_.get_id());
    return OkNoError;
}

ResultCode Task::Stop() {
    if (IsTaskThread()) {
        RequestStop();
        return OkNoError;
    }
    std::lock_guard<std::mutex> lock(controlMutex_);
    if (!thread_.joinable()) return OkNoError;
    RequestStop();
    thread_.join();
    threadId_.store(std::thread::id());
    return OkNoError;
}

ResultCode Task::Suspend() { return NotSupported; }

ResultCode Task::Resume() { return NotSupported; }

ResultCode Task::Run() { return NotImplemented; }

ResultCode Task::OnTimer(QueueTimer*) { return NotImplemented; }

bool Task::IsRunning() const { return !state_->finished.load(); }

bool Task::StopRequested() const {
    std::lock_guard<std::mutex> lock(stopMutex_);
    return stopRequested_;
}

bool Task::IsTaskThread() const { return threadId_.load() == std::this_thread::get_id(); }

void Task::OnStopRequested() {}

bool Task::WaitForStop(std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(stopMutex_);
    auto stopped = [this] { return stopRequested_; };
    if (timeoutMs == 0) {
        stopChanged_.wait(lock, stopped);
        return true;
    }
    return stopChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs), stopped);
}

void Task::RequestStop() {
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        stopRequested_ = true;
        stopChanged_.notify_all();
    }
    OnStopRequested();
}

}  // namespace System
