#include "mms/machine/PendingRequests.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "mms/machine/RequestHandle.h"

namespace Mms {

PendingRequests::PendingRequests(std::uint32_t capacity) : capacity_(std::max<std::uint32_t>(capacity, 1)) {}

void PendingRequests::SetCapacity(std::uint32_t capacity) {
    {
        std::lock_guard lock(mutex_);
        capacity_ = std::max<std::uint32_t>(capacity, 1);
    }
    roomMade_.notify_all();
}

std::uint32_t PendingRequests::GetCapacity() const {
    std::lock_guard lock(mutex_);
    return capacity_;
}

std::uint32_t PendingRequests::GetCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint32_t>(entries_.size());
}

System::ResultCode PendingRequests::Put(RequestHandle* request, std::int32_t service, std::uint32_t timeoutMs,
                                        SendTicket* ticket) {
    const auto wait = std::chrono::milliseconds(timeoutMs);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    const bool conclude = service == ConcludeService;
    const std::uint32_t generation = request->GetGeneration();
    std::unique_lock lock(mutex_);
    if (conclude) {
        // Marked before the wait: what comes after the ask to conclude never overtakes it,
        // and a request waiting for room gives up rather than keep the conclude waiting. A
        // second conclude neither goes nor lifts the first one's mark.
        if (!release_.Conclude(generation, request->GetInvokeId())) return System::Aborted;
        roomMade_.notify_all();
    }
    while (true) {
        if (!conclude && !release_.MayEnter(generation)) return System::Aborted;
        // Withdrawn before it went out: it never does, whatever room there is.
        if (request->IsWithdrawn()) break;
        // Read afresh on each look: the next association's initiate may change the
        // capacity while this request waits.
        if (conclude ? entries_.empty() && !sending_.contains(generation) : entries_.size() < capacity_) {
            entries_.push_back(Entry{request, service, std::chrono::steady_clock::now()});
            if (!conclude) {
                ++entered_;
                if (ticket != nullptr) {
                    ++sending_[generation];
                    ticket->table_ = this;
                    ticket->generation_ = generation;
                }
            }
            return System::OkNoError;
        }
        // A table full of requests whose answers are overdue makes room only when someone
        // files them: the caller, once it is told.
        const auto wakeAt = entries_.empty() ? deadline : std::min(deadline, entries_.front().since + wait);
        if (std::chrono::steady_clock::now() >= wakeAt) break;
        ++waitingPuts_;
        roomMade_.wait_until(lock, wakeAt);
        --waitingPuts_;
    }
    // Not entered: a conclude that does not go stays marked until its release is over.
    return request->IsWithdrawn() ? System::Cancelled : System::Timeout;
}

void PendingRequests::SendTicket::Return() {
    PendingRequests* table = std::exchange(table_, nullptr);
    if (table == nullptr) return;
    {
        std::lock_guard lock(table->mutex_);
        const auto found = table->sending_.find(generation_);
        if (found != table->sending_.end() && --found->second == 0) table->sending_.erase(found);
    }
    table->roomMade_.notify_all();
}

bool PendingRequests::MayPost(const RequestHandle& request) const {
    std::lock_guard lock(mutex_);
    return release_.MayPost(request.GetGeneration());
}

bool PendingRequests::PostRelease(const RequestHandle& release) {
    std::lock_guard lock(mutex_);
    return release_.PostRelease(release.GetGeneration(), release.GetInvokeId());
}

void PendingRequests::ReleaseOver(const RequestHandle& release) {
    std::lock_guard lock(mutex_);
    release_.ReleaseOver(release.GetGeneration(), release.GetInvokeId());
}

std::uint32_t PendingRequests::GetWaitingPuts() const {
    std::lock_guard lock(mutex_);
    return waitingPuts_;
}

std::uint64_t PendingRequests::GetEnteredCount() const {
    std::lock_guard lock(mutex_);
    return entered_;
}

void PendingRequests::WakeWaiters() {
    // Under the lock: a waiter has either seen the withdrawal or is waiting, and woken.
    { std::lock_guard lock(mutex_); }
    roomMade_.notify_all();
}

bool PendingRequests::TakeById(std::uint32_t invokeId, Entry& entry) {
    {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(entries_.begin(), entries_.end(), [invokeId](const Entry& candidate) {
            return candidate.service != ConcludeService && candidate.request->GetInvokeId() == invokeId;
        });
        if (found == entries_.end()) return false;
        entry = *found;
        EraseAnswered(found);
    }
    roomMade_.notify_all();
    return true;
}

void PendingRequests::EraseAnswered(std::deque<Entry>::iterator answered) {
    const auto now = std::chrono::steady_clock::now();
    for (auto later = entries_.erase(answered); later != entries_.end(); ++later) later->since = now;
}

bool PendingRequests::Take(const RequestHandle* request) {
    {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(entries_.begin(), entries_.end(),
                                        [request](const Entry& candidate) { return candidate.request == request; });
        if (found == entries_.end()) return false;
        entries_.erase(found);
    }
    roomMade_.notify_all();
    return true;
}

bool PendingRequests::OldestEntered(std::chrono::steady_clock::time_point& since) const {
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return false;
    since = entries_.front().since;
    return true;
}

bool PendingRequests::TakeOldest(Entry& entry) {
    {
        std::lock_guard lock(mutex_);
        if (entries_.empty()) return false;
        entry = entries_.front();
        EraseAnswered(entries_.begin());
    }
    roomMade_.notify_all();
    return true;
}

bool PendingRequests::ConcludeEntered(std::chrono::steady_clock::time_point& since) const {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [](const Entry& candidate) { return candidate.service == ConcludeService; });
    if (found == entries_.end()) return false;
    since = found->since;
    return true;
}

bool PendingRequests::TakeConclude(Entry& entry) {
    {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(entries_.begin(), entries_.end(),
                                        [](const Entry& candidate) { return candidate.service == ConcludeService; });
        if (found == entries_.end()) return false;
        entry = *found;
        entries_.erase(found);
    }
    roomMade_.notify_all();
    return true;
}

template <typename Which>
std::vector<PendingRequests::Entry> PendingRequests::TakeEvery(Which which) {
    std::vector<Entry> taken;
    {
        std::lock_guard lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end();) {
            if (which(*it)) {
                taken.push_back(*it);
                it = entries_.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (!taken.empty()) roomMade_.notify_all();
    return taken;
}

std::vector<PendingRequests::Entry> PendingRequests::TakeEnteredBefore(std::chrono::steady_clock::time_point time) {
    return TakeEvery([time](const Entry& entry) { return entry.service != ConcludeService && entry.since < time; });
}

std::vector<PendingRequests::Entry> PendingRequests::TakeOf(std::int32_t service, const void* target) {
    return TakeEvery(
        [=](const Entry& entry) { return entry.service == service && entry.request->GetTarget() == target; });
}

std::vector<PendingRequests::Entry> PendingRequests::TakeAll() {
    std::vector<Entry> taken;
    {
        std::lock_guard lock(mutex_);
        taken.assign(entries_.begin(), entries_.end());
        entries_.clear();
    }
    roomMade_.notify_all();
    return taken;
}

void PendingRequests::ForgetTarget(const void* target) {
    std::lock_guard lock(mutex_);
    for (Entry& entry : entries_) {
        if (entry.request->GetTarget() == target) entry.request->SetTarget(nullptr);
    }
}

}  // namespace Mms
