#include "system/MessageQueue.h"

#include <chrono>
#include <utility>

#include "system/SpinWatch.h"

namespace System {

namespace {

using Clock = std::chrono::steady_clock;

// Waits on cv until ready() holds, the deadline passes or, with timeoutMs 0, for
// as long as it takes. Returns ready()'s last value.
template <typename Ready>
bool WaitUntilReady(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, Clock::time_point deadline,
                    std::uint32_t timeoutMs, Ready ready) {
    if (timeoutMs == 0) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_until(lock, deadline, ready);
}

Clock::time_point DeadlineAfter(std::uint32_t timeoutMs) { return Clock::now() + std::chrono::milliseconds(timeoutMs); }

}  // namespace

// Every notification is made under the mutex: a woken thread may destroy the queue
// at once (a connection that got its answer), so nothing may touch it afterwards.

MessageQueue::MessageQueue(std::uint32_t capacity) : capacity_(capacity) {}

MessageQueue::~MessageQueue() {
    for (Message* message : entries_) delete message;
}

ResultCode MessageQueue::Put(Message* message) {
    if (capacity_ == 0) return Error;
    std::unique_lock<std::mutex> lock(mutex_);
    notFull_.wait(lock, [this] { return entries_.size() < capacity_ || interrupted_; });
    if (closed_ || entries_.size() >= capacity_) return Cancelled;
    entries_.push_back(message);
    count_.store(static_cast<std::uint32_t>(entries_.size()), std::memory_order_release);
    // Get and TakeById waiters share one condition, and a TakeById waiter may not
    // want this message, so every waiter must look.
    notEmpty_.notify_all();
    return OkNoError;
}

Message* MessageQueue::Get(std::uint32_t timeoutMs) {
    if (capacity_ == 0) return nullptr;
    const auto deadline = DeadlineAfter(timeoutMs);
    std::unique_lock<std::mutex> lock(mutex_);
    if (!WaitUntilReady(notEmpty_, lock, deadline, timeoutMs, [this] { return !entries_.empty() || interrupted_; }))
        return nullptr;
    if (entries_.empty()) return nullptr;
    Message* message = entries_.front();
    entries_.pop_front();
    count_.store(static_cast<std::uint32_t>(entries_.size()), std::memory_order_relaxed);
    notFull_.notify_one();
    return message;
}

Message* MessageQueue::Get(std::uint32_t timeoutMs, std::chrono::nanoseconds spin) {
    if (capacity_ != 0) WatchFor(spin, [this] { return count_.load(std::memory_order_acquire) != 0; });
    return Get(timeoutMs);
}

Message* MessageQueue::TakeById(std::uint32_t id, std::uint32_t timeoutMs) {
    if (capacity_ == 0) return nullptr;
    const auto deadline = DeadlineAfter(timeoutMs);
    std::unique_lock<std::mutex> lock(mutex_);
    auto position = entries_.end();
    WaitUntilReady(notEmpty_, lock, deadline, timeoutMs, [&] {
        position = FindLocked(id);
        return position != entries_.end() || interrupted_;
    });
    if (position == entries_.end()) return nullptr;
    Message* message = *position;
    // A message queued twice by mistake must not come back a second time and be
    // owned twice.
    entries_.remove(message);
    count_.store(static_cast<std::uint32_t>(entries_.size()), std::memory_order_relaxed);
    notFull_.notify_all();
    return message;
}

Message* MessageQueue::FindById(std::uint32_t id) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto position = FindLocked(id);
    return position == entries_.end() ? nullptr : *position;
}

void MessageQueue::Clear() {
    std::list<Message*> removed;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        removed.swap(entries_);
        count_.store(0, std::memory_order_relaxed);
        notFull_.notify_all();
    }
    // Deleted outside the lock: a message's destructor may well use this queue.
    for (Message* message : removed) delete message;
}

std::uint32_t MessageQueue::GetCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<std::uint32_t>(entries_.size());
}

void MessageQueue::Interrupt() {
    std::lock_guard<std::mutex> lock(mutex_);
    interrupted_ = true;
    notEmpty_.notify_all();
    notFull_.notify_all();
}

void MessageQueue::ClearInterrupt() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!closed_) interrupted_ = false;
}

void MessageQueue::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    interrupted_ = true;
    notEmpty_.notify_all();
    notFull_.notify_all();
}

bool MessageQueue::IsClosed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

bool MessageQueue::IsInterrupted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return interrupted_;
}

std::list<Message*>::iterator MessageQueue::FindLocked(std::uint32_t id) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (*it != nullptr && (*it)->GetId() == id) return it;
    }
    return entries_.end();
}

}  // namespace System
