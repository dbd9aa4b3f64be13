#include "mms/user/OwnRequests.h"

#include <utility>

#include "mms/machine/RequestHandle.h"

namespace Mms {

OwnRequests::~OwnRequests() {
    for (auto& [request, entry] : entries_) delete entry->request;
}

void OwnRequests::Enter(RequestHandle* request) {
    std::lock_guard lock(mutex_);
    std::unique_ptr<Entry>& entry = entries_[request];
    if (entry == nullptr) entry = std::make_unique<Entry>(request);
    entry->filed.store(false);
    ++entry->holders;
    const auto [current, fresh] = current_.try_emplace(std::this_thread::get_id(), request);
    if (fresh) return;
    RequestHandle* previous = std::exchange(current->second, request);
    if (const auto before = entries_.find(previous); before != entries_.end()) Release(*before->second);
}

void OwnRequests::Withdraw(RequestHandle* request) {
    std::lock_guard lock(mutex_);
    const auto entry = entries_.find(request);
    if (entry == entries_.end()) return;
    const auto current = current_.find(std::this_thread::get_id());
    if (current != current_.end() && current->second == request) current_.erase(current);
    entries_.erase(entry);
}

bool OwnRequests::File(RequestHandle* request) {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(request);
    if (found == entries_.end()) return false;
    Entry& entry = *found->second;
    entry.filed.store(true);
    if (entry.holders == 0) {
        entries_.erase(found);
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
    const auto found = entries_.find(request);
    if (found == entries_.end()) return Collected::NotHeld;
    // Held by this wait, the entry stays until the wait lets it go, whatever the map does
    // meanwhile.
    Entry& entry = *found->second;
    ++entry.holders;
    if (spin.count() > 0 && !entry.filed.load()) {
        lock.unlock();
        const auto watchEnd = std::chrono::steady_clock::now() + spin;
        while (!entry.filed.load() && std::chrono::steady_clock::now() < watchEnd) std::this_thread::yield();
        lock.lock();
    }
    const auto filed = [&entry] { return entry.filed.load(); };
    if (timeoutMs == 0) {
        filed_.wait(lock, filed);
    } else {
        filed_.wait_until(lock, deadline, filed);
    }
    if (!entry.filed.load()) {
        Release(entry);
        return Collected::NotAnswered;
    }
    entries_.erase(request);
    std::erase_if(current_, [request](const auto& current) { return current.second == request; });
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

std::size_t OwnRequests::GetThreadCount() const {
    std::lock_guard lock(mutex_);
    return current_.size();
}

void OwnRequests::Release(Entry& entry) {
    if (--entry.holders > 0 || !entry.filed.load()) return;
    RequestHandle* request = entry.request;
    entries_.erase(request);
    delete request;
}

void OwnRequests::ClearCurrent(std::thread::id thread) {
    const auto current = current_.find(thread);
    if (current == current_.end()) return;
    RequestHandle* request = current->second;
    current_.erase(current);
    if (const auto entry = entries_.find(request); entry != entries_.end()) Release(*entry->second);
}

}  // namespace Mms
