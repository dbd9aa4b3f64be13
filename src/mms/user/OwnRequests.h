#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
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
    // The calling thread has its current request no more (a wait for it gave up, or none
    // is made): filed later, it is deleted then.
    void LetGoCurrent();

    // Requests held (for tests).
    std::size_t GetCount() const;
    // Threads that have a current request (for tests).
    std::size_t GetThreadCount() const;

private:
    struct Entry {
        explicit Entry(RequestHandle* held) : request(held) {}
        RequestHandle* const request;
        std::atomic<bool> filed{false};
        // The threads that have it current and the waits on it.
        int holders = 0;
    };
    // Each entry in an allocation of its own: a wait keeps a pointer to it across the
    // unlocked spin and the condition wait, while other threads' Enter may rehash the map.
    using Entries = std::unordered_map<const RequestHandle*, std::unique_ptr<Entry>>;

    // Under the lock: one holder less; deleted when it was the last and the request is filed.
    void Release(Entry& entry);
    void ClearCurrent(std::thread::id thread);

    mutable std::mutex mutex_;
    std::condition_variable filed_;
    Entries entries_;
    // The current request of each thread that has one: a slot goes as soon as its thread
    // holds nothing, so threads that come and go leave nothing behind.
    std::unordered_map<std::thread::id, RequestHandle*> current_;
};

}  // namespace Mms
