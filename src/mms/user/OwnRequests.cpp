#include "mms/user/OwnRequests.h"

#include <utility>

#include "mms/machine/RequestHandle.h"

namespace Mms {

OwnRequests::~OwnRequests() {
    for (auto& [request, entry] : entries_) delete request;
}

void OwnRequests::Enter(RequestHandle* request) {
    std::lock_guard lock(mutex_);
    Entry& entry = entries_[request];
    entry.filed.store(false);
    ++entry.holders;
    RequestHandle* previous = std::exchange(current_[std::this_thread::get_id()], request);
    if (previous == nullptr) return;
    if (const auto before = entries_.find(previous); before != entries_.end()) Release(before);
}

void OwnRequests::Withdraw(RequestHandle* request) {
    std::lock_guard lock(mutex_);
    const auto entry = entries_.find(request);
    if (entry == entries_.end()) return;
    const auto current = current_.find(std::this_thread::get_id());
    if (current != current_.end() && current->second == request) current->second = nullptr;
    entries_.erase(entry);
}

bool OwnRequests::File(RequestHandle* request) {
    std::lock_guard lock(mutex_);
    const auto entry = entries_.find(request);
    if (entry == entries_.end()) return false;
    entry->second.filed.store(true);
    if (entry->second.holders == 0) {
        entries_.erase(entry);
        delete request;
        return true;
    }
    // Notified under the lock: a waiter that sees the request filed may delete it at once.
    filed_.notify_all();
    return true;
}

OwnRequests::Collected OwnRequests::Collect(RequestHandle* request, std::uint32_t timeoutMs,
                                            std::chrono::nanoseconds spin) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(mutex_);
    auto entry = entries_.find(request);
    if (entry == entries_.end()) return Collected::NotHeld;
    // Held by this wait: the entry stays where it is until the wait lets it go.
    ++entry->second.holders;
    if (spin.count() > 0 && !entry->second.filed.load()) {
        lock.unlock();
        const auto watchEnd = std::chrono::steady_clock::now() + spin;
        while (!entry->second.filed.load() && std::chrono::steady_clock::now() < watchEnd) std::this_thread::yield();
        lock.lock();
    }
    const auto filed = [&] { return entry->second.filed.load(); };
    if (timeoutMs == 0) {
        filed_.wait(lock, filed);
    } else {
        filed_.wait_until(lock, deadline, filed);
    }
    if (!entry->second.filed.load()) {
        Release(entry);
        return Collected::NotAnswered;
    }
    entries_.erase(entry);
    for (auto& [thread, current] : current_) {
        if (current == request) current = nullptr;
    }
    return Collected::Taken;
}

RequestHandle* OwnRequests::Current() const {
    std::lock_guard lock(mutex_);
    const auto current = current_.find(std::this_thread::get_id());
    return current != current_.end() ? current->second : nullptr;
}

void OwnRequests::LetGoCurrent() {
    std::lock_guard lock(mutex_);
    ClearCurrent(std::this_thread::get_id());
}

std::size_t OwnRequests::GetCount() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void OwnRequests::Release(Entries::iterator entry) {
    if (--entry->second.holders > 0 || !entry->second.filed.load()) return;
    RequestHandle* request = const_cast<RequestHandle*>(entry->first);
    entries_.erase(entry);
    delete request;
}

void OwnRequests::ClearCurrent(std::thread::id thread) {
    const auto current = current_.find(thread);
    if (current == current_.end() || current->second == nullptr) return;
    RequestHandle* request = std::exchange(current->second, nullptr);
    if (const auto entry = entries_.find(request); entry != entries_.end()) Release(entry);
}

}  // namespace Mms
