#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "mms/machine/ReleaseState.h"
#include "system/ResultCode.h"

namespace Mms {

class RequestHandle;

// The requests of one association that have been sent and not yet answered, oldest
// first, each with the service its answer must carry.
//
// A request's wait for its answer begins when it is entered or when a request entered
// before it is answered, whichever comes later: a peer that serves its requests in turn
// cannot start on one before it has answered those ahead of it, so several requests
// outstanding to a slow peer are each given the whole time-out of their own turn.
//
// The table is bounded by the number of requests the peer allows to be outstanding:
// Put waits for room up to a time-out, so that a peer that stops answering holds the
// requester no longer than that, and every take returns at once: the receive thread
// never waits here for a request that is not there.
//
// The table does not own the requests: whoever takes one out decides its fate.
//
// It also keeps the association's ReleaseState, the one state that decides whether a
// request may go (read at a post, at Put, and through the send tickets at the conclude),
// and the association's sends in progress.
class PendingRequests {
public:
    // The service recorded for a conclude request (which carries no invoke id).
    static constexpr std::int32_t ConcludeService = -1;

    // A request's send in progress, from its entry (Put) until the ticket is returned or
    // goes: the conclude of its association waits for it, that of a later one does not.
    class SendTicket {
    public:
        SendTicket() = default;
        ~SendTicket() { Return(); }
        SendTicket(const SendTicket&) = delete;
        SendTicket& operator=(const SendTicket&) = delete;
        // The send is over, whatever became of it.
        void Return();

    private:
        friend class PendingRequests;
        PendingRequests* table_ = nullptr;
        std::uint32_t generation_ = 0;
    };

    struct Entry {
        RequestHandle* request = nullptr;
        std::int32_t service = 0;                       // the confirmed service number, or ConcludeService
        std::chrono::steady_clock::time_point since{};  // when its wait for the answer began
    };

    explicit PendingRequests(std::uint32_t capacity);

    PendingRequests(const PendingRequests&) = delete;
    PendingRequests& operator=(const PendingRequests&) = delete;

    // At least 1. Requests already in the table stay even above a smaller capacity.
    void SetCapacity(std::uint32_t capacity);
    std::uint32_t GetCapacity() const;
    std::uint32_t GetCount() const;
    // Requests entered since the table was made, the conclude aside.
    std::uint64_t GetEnteredCount() const;

    // Appends the request, waiting up to timeoutMs (0: not at all) while the table is
    // full: OkNoError, or Timeout when no room came (the request stays the caller's). The
    // wait also ends, with Timeout, once the oldest request has waited timeoutMs for its
    // answer: the caller files what is overdue (which makes room) and asks again.
    // A request entered with a ticket counts as being sent until the ticket is returned.
    // A conclude waits until the table is empty and no send of its association is in
    // progress: no request is outstanding when the peer is asked to end the association, and
    // none leaves after that ask. From the moment a conclude asks to be entered, its
    // association takes no other request (ReleaseState: concluding): one of the same invoke
    // generation is refused with Aborted, as the association's end would confirm it, before
    // or during its wait (it stays the caller's), a second conclude too. That lasts until the
    // release is over (ReleaseOver); a request of a later generation, the next
    // association's, is not touched.
    // A withdrawn request (RequestHandle::IsWithdrawn) is not entered, before or during
    // the wait: Cancelled, and it stays the caller's.
    System::ResultCode Put(RequestHandle* request, std::int32_t service, std::uint32_t timeoutMs,
                           SendTicket* ticket = nullptr);
    // A request of its association may be posted: no release of it is under way.
    bool MayPost(const RequestHandle& request) const;
    // The release is posted: false (nothing marked) when one is under way already.
    bool PostRelease(const RequestHandle& release);
    // The release is over, however it ended (see ReleaseState): its association takes
    // requests again if it still stands. Nothing for a release that held no mark.
    void ReleaseOver(const RequestHandle& release);
    // A wait in Put looks again whether its request has been withdrawn meanwhile.
    void WakeWaiters();
    // How many Puts wait for room now: one counted here is asleep until the table changes
    // (or its time-out), so whoever makes room after seeing it wakes that very wait.
    std::uint32_t GetWaitingPuts() const;

    // Takes out the oldest request with this invoke id, answered: false when there is none.
    bool TakeById(std::uint32_t invokeId, Entry& entry);
    // Takes out this very request: false when it is not there.
    bool Take(const RequestHandle* request);
    // When the oldest request's wait began: false when the table is empty.
    bool OldestEntered(std::chrono::steady_clock::time_point& since) const;
    // Takes out the oldest request, answered: false when the table is empty.
    bool TakeOldest(Entry& entry);
    // When the conclude request was entered: false when none is pending.
    bool ConcludeEntered(std::chrono::steady_clock::time_point& since) const;
    // Takes out the conclude request: false when none is pending.
    bool TakeConclude(Entry& entry);
    // Takes out every request but the conclude whose wait began before the time, oldest first.
    std::vector<Entry> TakeEnteredBefore(std::chrono::steady_clock::time_point time);
    // Takes out every request of the service that aims at the target, oldest first.
    std::vector<Entry> TakeOf(std::int32_t service, const void* target);
    // Takes out every request, oldest first.
    std::vector<Entry> TakeAll();
    // Clears the target of every request that still aims at this object, which is
    // about to be deleted: their answers then find no target instead of a freed one.
    void ForgetTarget(const void* target);

private:
    template <typename Which>
    std::vector<Entry> TakeEvery(Which which);
    // Under the lock: the entry at `answered` is taken out as answered; the waits of those
    // entered after it begin now.
    void EraseAnswered(std::deque<Entry>::iterator answered);

    mutable std::mutex mutex_;
    std::condition_variable roomMade_;
    std::deque<Entry> entries_;
    std::uint32_t capacity_;
    std::uint64_t entered_ = 0;
    std::uint32_t waitingPuts_ = 0;
    // Sends in progress (tickets out), per invoke generation.
    std::map<std::uint32_t, std::uint32_t> sending_;
    ReleaseState release_;
};

}  // namespace Mms
