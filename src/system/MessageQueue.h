#pragma once

#include "system/Message.h"
#include "system/ResultCode.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>

namespace System {

// A bounded first-in-first-out queue of messages: the hand-over point between a
// receive thread or a timer and a task. Every operation works under one mutex, so
// any thread may call any operation; a message can be taken from the middle by id.
//
// Ownership: Put hands the message to the queue (when it returns OkNoError); Get and
// TakeById hand it to the caller; Clear and the destructor delete what is queued.
// A null message may be queued like any other; Get then returns null for it.
//
// Time-outs are in milliseconds; 0 means no limit.
//
// Interrupt: a stopping task must not stay blocked in its queue. After Interrupt()
// no operation waits any more (until ClearInterrupt): waiters wake at once, Get and
// TakeById return what is queued or null, Put on a full queue gives up. The flag is
// sticky on purpose: a thread that tested "stop requested" just before the interrupt
// and then starts to wait still returns at once, so no stop is ever missed.
//
// Close: the queue's consumer is gone for good. Every Put after it is refused at once,
// so whoever empties the queue then empties it for the last time.
class MessageQueue {
public:
    // A capacity of 0 gives a queue that can hold nothing: Put fails with Error and
    // Get and TakeById return null at once.
    explicit MessageQueue(std::uint32_t capacity);
    virtual ~MessageQueue();

    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // Appends at the back, waiting without limit while the queue is full: OkNoError.
    // Cancelled when the queue is closed, or is (or becomes) interrupted while full;
    // Error when the queue has no capacity. Unless OkNoError the message stays with the
    // caller.
    ResultCode Put(Message* message);

    // Removes and returns the oldest message, waiting up to timeoutMs for one;
    // null on time-out or interrupt with nothing queued.
    Message* Get(std::uint32_t timeoutMs);
    // As Get, but first watches the queue for up to spin without sleeping, so that a
    // message put within it is taken without a sleep and wake-up of this thread. For a
    // waiter that expects an answer within microseconds: the spin is the CPU time it
    // may cost when none comes.
    Message* Get(std::uint32_t timeoutMs, std::chrono::nanoseconds spin);

    // Removes and returns the oldest message with this id, waiting up to timeoutMs
    // for one to be put; null when none came in time (or on interrupt). Other
    // messages stay queued in their order.
    Message* TakeById(std::uint32_t id, std::uint32_t timeoutMs);

    // The oldest message with this id, left in the queue (null when there is none).
    // The pointer stays valid only as long as no other thread takes or clears it,
    // so only the thread that consumes the queue should use it.
    Message* FindById(std::uint32_t id);

    // Deletes every queued message.
    void Clear();

    std::uint32_t GetCount() const;
    std::uint32_t GetCapacity() const { return capacity_; }

    void Interrupt();
    void ClearInterrupt();
    bool IsInterrupted() const;
    // Interrupts for good and refuses every Put from now on; what is queued stays to be
    // taken.
    void Close();
    bool IsClosed() const;

private:
    std::list<Message*>::iterator FindLocked(std::uint32_t id);

    mutable std::mutex mutex_;
    std::condition_variable notEmpty_;  // a Put happened or an interrupt
    std::condition_variable notFull_;   // a message left or an interrupt
    std::list<Message*> entries_;
    // entries_.size(), changed under the mutex, read by spinning waiters without it.
    std::atomic<std::uint32_t> count_{0};
    const std::uint32_t capacity_;
    bool interrupted_ = false;
    bool closed_ = false;
};

}  // namespace System
