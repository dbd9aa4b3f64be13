#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace Mms {

class RequestHandle;

// The service user's own requests (RequestHandle::Collector::OwnWait), from their
// submission until a synchronous wait collects them.
//
// Any thread may make requests and wait for them, so a wait finds its request by the
// request itself, never by what other threads made meanwhile. Each thread's latest own
// request is its current one (what WaitForCurrentRequest waits for) until it makes
// another or collects it.
//
// A request is deleted here exactly when it is filed (answered or ended) and nobody can
// want it: no thread has it current and no wait is on it. So nothing needs purging, and
// no wait ever finds its outcome taken by another.
class OwnRequests {
public:
    OwnRequests() = default;
    // Deletes every request still held (the connection goes; nothing waits any more).
    ~OwnRequests();
    OwnRequests(const OwnRequests&) = delete;
    OwnRequests& operator=(const OwnRequests&) = delete;

    // Holds the request, unanswered, as the calling thread's current one; the thread's
    // previous current request is let go. Before the request can be filed.
    void Enter(RequestHandle* request);
    // A request that was neither kept nor filed after all: no longer held, the caller's.
    void Withdraw(RequestHandle* request);
    // The request is answered or ended: its wait wakes; deleted now when nobody wants it.
    // False when it is not held here.
    bool File(RequestHandle* request);

    enum class Collected { Taken, NotHeld, NotAnswered };
    // Waits up to timeoutMs (0: without limit) for the request's outcome, watching for
    // spin first. Taken:
    // the request is the caller's alone now (no longer held, nobody's current). NotHeld:
    // it is not held here (never an own request, or collected before). NotAnswered: it
    // stays held.
    Collected Collect(RequestHandle* request, std::uint32_t timeoutMs, std::chrono::nanoseconds spin);

    // The calling thread's current request; null when it has none.
    RequestHandle* Current() const;
    // The calling thread has its current request no more (a wait for it gave up).
    void LetGoCurrent();

    // Requests held (for tests).
    std::size_t GetCount() const;

private:
    struct Entry {
        std::atomic<bool> filed{false};
        // The threads that have it current and the waits on it.
        int holders = 0;
    };
    using Entries = std::unordered_map<const RequestHandle*, Entry>;

    // Under the lock: one holder less; deleted when it was the last and the request is filed.
    void Release(Entries::iterator entry);
    void ClearCurrent(std::thread::id thread);

    mutable std::mutex mutex_;
    std::condition_variable filed_;
    Entries entries_;
    // Each thread's current request, null once it has none (kept, so that the next
    // request of a thread that asks again and again allocates nothing here).
    std::unordered_map<std::thread::id, RequestHandle*> current_;
};

}  // namespace Mms
